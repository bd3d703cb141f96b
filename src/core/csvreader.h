#pragma once

#include "core/result.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace rotalina::core {

// Comma-separated text as code tables are published: a header row, fields quoted with double
// quotes when they hold a comma, a quote or a line break (a quote inside doubled), LF or CRLF.
struct CsvTable
{
    QStringList header;
    QList<QStringList> rows;
    QList<int> lineNumbers; // the line each row starts on, for messages
};

Result<CsvTable> parseCsv(const QString &text, QChar separator = u',');

} // namespace rotalina::core
