#include "core/calendarevent.h"

namespace rotalina::core {

namespace {

// ";" becomes "," as the office's calendars expect; backslashes and line breaks are escaped so
// that a multi-line description stays one property.
QString text(QString value)
{
    value.replace(u';', u',');
    value.replace(u'\\', QStringLiteral("\\\\"));
    value.remove(u'\r');
    value.replace(u'\n', QStringLiteral("\\n"));
    return value;
}

void add(QString &out, const QString &line)
{
    out += line + u'\n';
}

void addDateTime(QString &out, const QString &property, const QDateTime &value)
{
    if (value.isValid())
        add(out, property + calendarDateTime(value));
}

void addText(QString &out, const QString &property, const QString &value)
{
    if (!value.isEmpty())
        add(out, property + text(value));
}

} // namespace

QString calendarDateTime(const QDateTime &dateTime)
{
    return dateTime.toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
}

QString scriviEvento(const EventRecord &event)
{
    QString out;
    add(out, QStringLiteral("BEGIN:VEVENT"));
    addDateTime(out, QStringLiteral("CREATED:"), event.created);
    addText(out, QStringLiteral("DESCRIPTION:"), event.description);
    addDateTime(out, QStringLiteral("DTEND:"), event.end);
    addDateTime(out, QStringLiteral("DTSTAMP:"), event.stamp);
    addDateTime(out, QStringLiteral("DTSTART:"), event.start);
    addDateTime(out, QStringLiteral("LAST-MODIFIED:"), event.lastModified);
    addText(out, QStringLiteral("LOCATION:"), event.location);
    if (event.priority)
        add(out, QStringLiteral("PRIORITY:") + QString::number(*event.priority));
    if (event.sequence)
        add(out, QStringLiteral("SEQUENCE:") + QString::number(*event.sequence));
    addText(out, QStringLiteral("SUMMARY;LANGUAGE=it-IT:"), event.summary);
    if (!event.opaque.isEmpty())
        add(out, QStringLiteral("OPAQUE:") + event.opaque);
    if (!event.uid.isEmpty())
        add(out, QStringLiteral("UID:") + event.uid);
    add(out, QStringLiteral("X-MICROSOFT-CDO-BUSYSTATUS:BUSY"));
    add(out, QStringLiteral("X-MICROSOFT-CDO-IMPORTANCE:1"));
    add(out, QStringLiteral("X-MICROSOFT-DISALLOW-COUNTER:FALSE"));
    add(out, QStringLiteral("X-MS-OLK-ALLOWEXTERNCHECK:TRUE"));
    add(out, QStringLiteral("X-MS-OLK-AUTOFILLLOCATION:FALSE"));
    add(out, QStringLiteral("X-MS-OLK-CONFTYPE:0"));
    add(out, QStringLiteral("END:VEVENT"));
    return out;
}

QString scriviCalendario(const QList<EventRecord> &events)
{
    QString out;
    add(out, QStringLiteral("BEGIN:VCALENDAR"));
    add(out, QStringLiteral("VERSION:2.0"));
    add(out, QStringLiteral("PRODID:-//Rotalina//Rotalina//IT"));
    add(out, QStringLiteral("METHOD:PUBLISH"));
    for (const EventRecord &event : events)
        out += scriviEvento(event);
    add(out, QStringLiteral("END:VCALENDAR"));
    return out;
}

} // namespace rotalina::core
