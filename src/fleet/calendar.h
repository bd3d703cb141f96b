#pragma once

#include "core/calendarevent.h"
#include "core/result.h"
#include "shell/registrydescriptor.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::fleet {

// The calendar ("Calendario"): dated commitments of the staff and the customers, reminded at
// start-up from their warning date until they are done, and exported for other calendar programs.

// The list "TfrmGrigliaCalendario" with its entry editor "TfrmCalendario".
const shell::RegistryDescriptor &calendarRegistry();

// A new entry dated today, not done, in the history when the list shows the history, with the
// stored defaults of "Calendario".
core::Result<qint64> addCalendarEntry(storage::Archive &archive, bool history, const QDate &today);

// "Personale - Tipologia / Cliente : Note", each with its separator only when it is there.
QString calendarSummary(const QString &staff, const QString &kind, const QString &customer,
                        const QString &note);

// The UID that lets a calendar program update an entry exported again instead of doubling it.
QString calendarUid(qint64 key);

// The events of the entries, in the order of the keys: each starts and ends at the entry's date
// and time (Rome time), stamped with the moment of the export.
core::Result<QList<core::EventRecord>> calendarEvents(storage::Archive &archive, const QList<qint64> &keys,
                                                      const QDateTime &stamp);
// "Esporta Calendario": the entries written to an iCalendar file.
core::Status exportCalendar(storage::Archive &archive, const QList<qint64> &keys, const QString &path,
                            const QDateTime &stamp);

} // namespace rotalina::fleet
