#pragma once

#include <QJsonDocument>
#include <QList>
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

// A calendar file as two independent libraries read it (python3-icalendar and python3-vobject):
// for each, a JSON array with one object per event, in the file's order, with "start" and "end" in
// UTC ("2024-01-15 08:05:00") and "summary", "description" and "uid" ("" when absent).
struct CalendarReading
{
    QString reader; // the library's module name
    ExternalReading reading;
};
QList<CalendarReading> readCalendarWithPython(const QString &file);

} // namespace rotalina::test
