#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <optional>

namespace rotalina::test {

// The official schema's complaints about a document; nothing when the schema is not beside the
// checkout.
std::optional<QStringList> schemaErrors(const QByteArray &xml);

// The document as the independent reader (a38) loads it: its first body, or an error text in
// "error"; nothing when the reader is not installed.
std::optional<QJsonObject> readBack(const QByteArray &xml);

// The text of the first element of that name, or empty.
QString firstText(const QByteArray &xml, const QString &element);
// The texts of every element of that name, in document order.
QStringList allTexts(const QByteArray &xml, const QString &element);

} // namespace rotalina::test
