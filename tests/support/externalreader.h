#pragma once

#include <QJsonDocument>
#include <QString>

namespace rotalina::test {

// The outcome of handing a file we wrote to an independent reader (a Python library).
struct ExternalReading
{
    bool skipped = false; // the reader is not installed here
    bool ok = false;
    QString message;
    QJsonDocument json; // what the script printed
};

// Runs a Python script with Debian's interpreter (/usr/bin/python3), the file as its argument.
// The script prints one JSON document. Skipped when the interpreter or the module is missing.
ExternalReading readWithPython(const QString &module, const QString &script, const QString &file);

} // namespace rotalina::test
