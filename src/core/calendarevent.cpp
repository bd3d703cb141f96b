#include "core/calendarevent.h"

#include <QCryptographicHash>
#include <QTimeZone>

namespace rotalina::core {

namespace {

// A text value: backslashes, semicolons, commas and line breaks escaped, so that a multi-line
// description stays one property and a comma is not read as a list.
QString text(QString value)
{
    value.replace(u'\\', QStringLiteral("\\\\"));
    value.replace(u';', QStringLiteral("\\;"));
    value.replace(u',', QStringLiteral("\\,"));
    value.remove(u'\r');
    value.replace(u'\n', QStringLiteral("\\n"));
    return value;
}

// A content line folded after 75 bytes of UTF-8 (never inside a character), each continuation
// starting with a space, and ended by CRLF.
void add(QString &out, const QString &line)
{
    const QByteArray bytes = line.toUtf8();
    qsizetype from = 0;
    int limit = 75;
    while (bytes.size() - from > limit) {
        qsizetype cut = from + limit;
        while (cut > from && (static_cast<unsigned char>(bytes.at(cut)) & 0xC0) == 0x80)
            --cut; // a continuation byte: the character starts earlier
        out += QString::fromUtf8(bytes.mid(from, cut - from)) + QStringLiteral("\r\n ");
        from = cut;
        limit = 74; // the leading space counts
    }
    out += QString::fromUtf8(bytes.mid(from)) + QStringLiteral("\r\n");
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

// The last Sunday of the month, at 01:00 UTC: when European summer time starts or ends.
QDateTime lastSundayAtOneUtc(int year, int month)
{
    QDate day(year, month, QDate(year, month, 1).daysInMonth());
    day = day.addDays(-(day.dayOfWeek() % 7));
    return QDateTime(day, QTime(1, 0), QTimeZone::utc());
}

} // namespace

QDateTime romeToUtc(const QDateTime &wallClock)
{
    if (!wallClock.isValid())
        return {};
    // A moment given with its own zone or offset is already a moment: only a plain wall-clock
    // time is Rome's.
    if (wallClock.timeSpec() != Qt::LocalTime)
        return wallClock.toUTC();
    const QDateTime asUtc(wallClock.date(), wallClock.time(), QTimeZone::utc());
    const int year = wallClock.date().year();
    const QDateTime summerFrom = lastSundayAtOneUtc(year, 3);
    const QDateTime summerTo = lastSundayAtOneUtc(year, 10);
    // In wall-clock terms summer time starts at 02:00 (winter) and ends at 03:00 (summer).
    const bool summer = asUtc >= summerFrom.addSecs(3600) && asUtc < summerTo.addSecs(2 * 3600);
    return asUtc.addSecs(summer ? -2 * 3600 : -3600);
}

QString calendarDateTime(const QDateTime &dateTime)
{
    return romeToUtc(dateTime).toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
}

QString scriviEvento(const EventRecord &event)
{
    QString out;
    add(out, QStringLiteral("BEGIN:VEVENT"));
    // Without a key of its own an event is named by what it is, so that writing it again names it
    // the same.
    QString uid = event.uid;
    if (uid.isEmpty())
        uid = QString::fromLatin1(
                  QCryptographicHash::hash((calendarDateTime(event.start) + event.summary).toUtf8(),
                                           QCryptographicHash::Sha1)
                      .toHex()) +
              QStringLiteral("@rotalina");
    add(out, QStringLiteral("UID:") + uid);
    const QDateTime stamp = event.stamp.isValid()          ? event.stamp
                            : event.lastModified.isValid() ? event.lastModified
                            : event.created.isValid()      ? event.created
                                                           : QDateTime::currentDateTimeUtc();
    addDateTime(out, QStringLiteral("DTSTAMP:"), stamp);
    addDateTime(out, QStringLiteral("CREATED:"), event.created);
    addText(out, QStringLiteral("DESCRIPTION:"), event.description);
    addDateTime(out, QStringLiteral("DTSTART:"), event.start);
    // A calendar refuses an event that ends before it starts: it ends when it starts.
    const bool backwards =
        event.start.isValid() && event.end.isValid() && romeToUtc(event.end) < romeToUtc(event.start);
    addDateTime(out, QStringLiteral("DTEND:"), backwards ? event.start : event.end);
    addDateTime(out, QStringLiteral("LAST-MODIFIED:"), event.lastModified);
    addText(out, QStringLiteral("LOCATION:"), event.location);
    if (event.priority)
        add(out, QStringLiteral("PRIORITY:") + QString::number(*event.priority));
    if (event.sequence)
        add(out, QStringLiteral("SEQUENCE:") + QString::number(*event.sequence));
    addText(out, QStringLiteral("SUMMARY;LANGUAGE=it-IT:"), event.summary);
    if (!event.opaque.isEmpty())
        add(out, QStringLiteral("TRANSP:") + event.opaque);
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
