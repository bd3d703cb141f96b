#include "core/calendarevent.h"
#include "core/textfile.h"
#include "support/externalreader.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

using namespace rotalina::core;
using rotalina::test::CalendarReading;
using rotalina::test::ExternalReading;
using rotalina::test::readCalendarWithPython;

namespace {

QDateTime rome(int year, int month, int day, int hour, int minute)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute));
}

EventRecord delivery(const QDateTime &start, const QString &uid)
{
    EventRecord e;
    e.start = start;
    e.end = start.addSecs(2 * 3600 + 25 * 60);
    e.stamp = rome(2024, 1, 2, 8, 0);
    e.summary = QStringLiteral("Consegna; Parma, magazzino");
    e.description = QStringLiteral("Bancali: 12\nScarico con sponda \\ lato nord");
    e.location = QStringLiteral("Via Emilia 12, Parma");
    e.priority = 5;
    e.uid = uid;
    return e;
}

QString utc(const QDateTime &wallClock)
{
    return romeToUtc(wallClock).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

} // namespace

TEST(CalendarEvent, RomeTimeBecomesUtcDateByDateAcrossTheClockChanges)
{
    EXPECT_EQ(utc(rome(2024, 1, 15, 9, 5)), QStringLiteral("2024-01-15 08:05")) << "winter: one hour";
    EXPECT_EQ(utc(rome(2024, 7, 15, 9, 5)), QStringLiteral("2024-07-15 07:05")) << "summer: two hours";
    // 2026: summer time from Sunday 29 March to Sunday 25 October.
    EXPECT_EQ(utc(rome(2026, 3, 29, 1, 59)), QStringLiteral("2026-03-29 00:59"));
    EXPECT_EQ(utc(rome(2026, 3, 29, 3, 0)), QStringLiteral("2026-03-29 01:00"));
    EXPECT_EQ(utc(rome(2026, 10, 25, 2, 30)), QStringLiteral("2026-10-25 00:30")) << "the first 02:30";
    EXPECT_EQ(utc(rome(2026, 10, 25, 3, 0)), QStringLiteral("2026-10-25 02:00"));
    EXPECT_EQ(utc(rome(2026, 10, 24, 23, 0)), QStringLiteral("2026-10-24 21:00"));
    EXPECT_EQ(calendarDateTime(rome(2024, 3, 14, 9, 5)), QStringLiteral("20240314T080500Z"));
    const QDateTime alreadyUtc(QDate(2024, 7, 1), QTime(10, 0), QTimeZone::utc());
    EXPECT_EQ(calendarDateTime(alreadyUtc), QStringLiteral("20240701T100000Z"));
}

TEST(CalendarEvent, LinesAreEscapedFoldedAndEndedAsCalendarsReadThem)
{
    EventRecord event = delivery(rome(2024, 1, 15, 9, 5), QStringLiteral("commessa-42@rotalina"));
    event.description = QString(100, u'è');
    const QString text = scriviEvento(event);
    EXPECT_TRUE(text.startsWith(
        QStringLiteral("BEGIN:VEVENT\r\nUID:commessa-42@rotalina\r\nDTSTAMP:20240102T070000Z\r\n")));
    EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("[^\r]\n")))) << "every line ends with CRLF";
    for (const QString &line : text.split(QStringLiteral("\r\n")))
        EXPECT_LE(line.toUtf8().size(), 75) << line.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("SUMMARY;LANGUAGE=it-IT:Consegna\\; Parma\\, magazzino\r\n")));
    EXPECT_FALSE(text.contains(QStringLiteral("CREATED:"))) << "unset values are left out";

    // An end before the start is the start; an event without a key is named the same each time.
    event.end = event.start.addSecs(-3600);
    event.uid.clear();
    const QString again = scriviEvento(event);
    EXPECT_TRUE(again.contains(QStringLiteral("DTEND:20240115T080500Z\r\n")));
    const QString uidLine = again.section(QStringLiteral("\r\n"), 1, 1);
    EXPECT_TRUE(uidLine.startsWith(QStringLiteral("UID:")) && uidLine.endsWith(QStringLiteral("@rotalina")));
    EXPECT_EQ(scriviEvento(event).section(QStringLiteral("\r\n"), 1, 1), uidLine);
}

// Two independent readers find the same moments, texts and keys, in January and in July.
TEST(CalendarEvent, IndependentReadersFindTheRightHours)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("calendario.ics"));
    ASSERT_TRUE(
        writeTextFile(file, scriviCalendario(
                                {delivery(rome(2024, 1, 15, 9, 5), QStringLiteral("commessa-42@rotalina")),
                                 delivery(rome(2024, 7, 15, 9, 5), QStringLiteral("commessa-43@rotalina"))}))
            .ok());
    for (const CalendarReading &read : readCalendarWithPython(file)) {
        const QString &module = read.reader;
        const ExternalReading &reading = read.reading;
        if (reading.skipped)
            GTEST_SKIP() << reading.message.toStdString();
        ASSERT_TRUE(reading.ok) << module.toStdString() << ": " << reading.message.toStdString();
        const QJsonArray events = reading.json.array();
        ASSERT_EQ(events.size(), 2) << module.toStdString();
        const QJsonObject january = events.at(0).toObject();
        const QJsonObject july = events.at(1).toObject();
        EXPECT_EQ(january[QStringLiteral("start")].toString(), QStringLiteral("2024-01-15 08:05:00"))
            << module.toStdString();
        EXPECT_EQ(january[QStringLiteral("end")].toString(), QStringLiteral("2024-01-15 10:30:00"))
            << module.toStdString();
        EXPECT_EQ(july[QStringLiteral("start")].toString(), QStringLiteral("2024-07-15 07:05:00"))
            << module.toStdString();
        EXPECT_EQ(january[QStringLiteral("summary")].toString(), QStringLiteral("Consegna; Parma, magazzino"))
            << module.toStdString();
        EXPECT_EQ(january[QStringLiteral("description")].toString(),
                  QStringLiteral("Bancali: 12\nScarico con sponda \\ lato nord"))
            << module.toStdString();
        EXPECT_EQ(july[QStringLiteral("uid")].toString(), QStringLiteral("commessa-43@rotalina"))
            << module.toStdString();
    }
}
