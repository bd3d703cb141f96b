#pragma once

#include <QSqlDatabase>
#include <QString>

namespace rotalina::storage {

// Lower case without accents, with the acute accent that replaces a typed apostrophe read as an
// apostrophe: the form in which searches compare texts.
QString foldedText(const QString &text);

// Makes the folding function available to the statements of a SQLite connection.
bool registerFoldFunction(const QSqlDatabase &database);

} // namespace rotalina::storage
