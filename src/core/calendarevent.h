#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace rotalina::core {

// One appointment as written to calendar files; unset values are left out of the text. The times
// are the office's, Rome wall-clock time, whatever zone the computer runs in.
struct EventRecord
{
    QDateTime created;
    QDateTime end;
    QDateTime stamp;
    QDateTime start;
    QDateTime lastModified;
    QString description;
    QString location;
    std::optional<int> priority;
    std::optional<int> sequence;
    QString summary;
    QString opaque;
    QString uid; // stable per appointment, so that a calendar updates it instead of adding it again
};

// The VEVENT text of an event as calendar programs read it: lines ended by CRLF and folded at 75
// bytes, texts escaped, times in UTC, a UID and a DTSTAMP always, an end never before its start.
QString scriviEvento(const EventRecord &event);

// A whole calendar file: the events wrapped in one VCALENDAR.
QString scriviCalendario(const QList<EventRecord> &events);

// "20240314T080500Z" for 14 March 2024 09:05:00 in Rome (winter time, one hour ahead of UTC).
QString calendarDateTime(const QDateTime &dateTime);

// The UTC moment of a Rome wall-clock time: one hour ahead of UTC in winter, two in summer, summer
// time running from the last Sunday of March to the last Sunday of October at 01:00 UTC. An hour
// that happens twice when the clocks go back is taken as summer time, as is one the clocks skip. A
// date-time given in UTC or with a zone of its own is only brought to UTC.
QDateTime romeToUtc(const QDateTime &wallClock);

} // namespace rotalina::core
