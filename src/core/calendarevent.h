#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace rotalina::core {

// One appointment as written to calendar files; unset values are left out of the text.
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
    QString uid;
};

// The VEVENT text of an event, lines ended by a line feed. Date-times are written as local
// time with the "Z" suffix, as the calendars the office uses expect.
QString scriviEvento(const EventRecord &event);

// A whole calendar file: the events wrapped in one VCALENDAR.
QString scriviCalendario(const QList<EventRecord> &events);

// "20240314T090500Z" for 14 March 2024 09:05:00.
QString calendarDateTime(const QDateTime &dateTime);

} // namespace rotalina::core
