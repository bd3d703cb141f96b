#pragma once

#include "core/result.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::shell {

// One list of the due-date reminder shown at start-up.
struct ReminderList
{
    struct Column
    {
        QString field;
        QString title;
    };

    QString gridName; // "StringGrid1" ... "StringGrid6"
    QString label;    // "Scadenze pagamenti scaduti" ...
    QString window;   // the window that edits a row, opened by double-click
    QString idField;  // the column that holds the row's key
    QList<Column> columns;
    QList<QStringList> rows; // cells as shown: dates dd/mm/yyyy, amounts 1.234,56, empty for no value

    int columnOf(const QString &field) const;
};

// The six lists: unpaid instalments due by today, vehicle and staff deadlines whose warning date
// has come, owner-drivers' instalments due, open calendar entries to be reminded of, and the
// owner-drivers whose DURC has run out or runs out within a month.
core::Result<QList<ReminderList>> loadDueDateReminder(storage::Archive &archive, const QDate &today);

// True when at least one list has something to show.
bool anythingDue(const QList<ReminderList> &lists);

} // namespace rotalina::shell
