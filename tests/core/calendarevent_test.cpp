#include "core/calendarevent.h"
#include "core/textfile.h"
#include "support/externalreader.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rotalina::core;
using rotalina::test::ExternalReading;
using rotalina::test::readWithPython;

namespace {
EventRecord delivery()
{
    EventRecord e;
    e.start = QDateTime(QDate(2024, 3, 14), QTime(9, 5, 0));
    e.end = QDateTime(QDate(2024, 3, 14), QTime(11, 30, 0));
    e.stamp = QDateTime(QDate(2024, 3, 1), QTime(8, 0, 0));
    e.summary = QStringLiteral("Consegna; Parma");
    e.description = QStringLiteral("Bancali: 12\nScarico con sponda");
    e.location = QStringLiteral("Via Emilia 12; Parma");
    e.priority = 5;
    e.uid = QStringLiteral("commessa-42@rotalina");
    return e;
}
} // namespace

TEST(CalendarEvent, WritesTheDocumentedLines)
{
    EXPECT_EQ(calendarDateTime(QDateTime(QDate(2024, 3, 14), QTime(9, 5, 0))),
              QStringLiteral("20240314T090500Z"));
    const QString text = scriviEvento(delivery());
    const QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.first(), QStringLiteral("BEGIN:VEVENT"));
    EXPECT_EQ(lines.last(), QStringLiteral("END:VEVENT"));
    EXPECT_TRUE(lines.contains(QStringLiteral("DTSTART:20240314T090500Z")));
    EXPECT_TRUE(lines.contains(QStringLiteral("SUMMARY;LANGUAGE=it-IT:Consegna, Parma")));
    EXPECT_TRUE(lines.contains(QStringLiteral("LOCATION:Via Emilia 12, Parma")));
    EXPECT_TRUE(lines.contains(QStringLiteral("DESCRIPTION:Bancali: 12\\nScarico con sponda")));
    EXPECT_TRUE(lines.contains(QStringLiteral("X-MS-OLK-CONFTYPE:0")));
    EXPECT_FALSE(text.contains(QStringLiteral("CREATED:"))) << "unset values are left out";
    EXPECT_FALSE(text.contains(QStringLiteral("SEQUENCE:")));
    // The fixed lines follow the event's own, in their order.
    EXPECT_LT(text.indexOf(QStringLiteral("UID:")),
              text.indexOf(QStringLiteral("X-MICROSOFT-CDO-BUSYSTATUS")));
}

TEST(CalendarEvent, AnIndependentReaderUnderstandsIt)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("calendario.ics"));
    EventRecord second = delivery();
    second.uid = QStringLiteral("commessa-43@rotalina");
    second.start = second.start.addDays(1);
    ASSERT_TRUE(writeTextFile(file, scriviCalendario({delivery(), second})).ok());
    const QString script = QStringLiteral(R"(
import json, sys, icalendar
cal = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())
events = [c for c in cal.walk() if c.name == 'VEVENT']
print(json.dumps([{
  'start': c.decoded('dtstart').strftime('%Y-%m-%d %H:%M:%S'),
  'end': c.decoded('dtend').strftime('%Y-%m-%d %H:%M:%S'),
  'summary': str(c.get('summary')),
  'description': str(c.get('description')),
  'uid': str(c.get('uid')),
} for c in events]))
)");
    const ExternalReading reading = readWithPython(QStringLiteral("icalendar"), script, file);
    if (reading.skipped)
        GTEST_SKIP() << reading.message.toStdString();
    ASSERT_TRUE(reading.ok) << reading.message.toStdString();
    const QJsonArray events = reading.json.array();
    ASSERT_EQ(events.size(), 2);
    const QJsonObject first = events.at(0).toObject();
    EXPECT_EQ(first[QStringLiteral("start")].toString(), QStringLiteral("2024-03-14 09:05:00"));
    EXPECT_EQ(first[QStringLiteral("end")].toString(), QStringLiteral("2024-03-14 11:30:00"));
    EXPECT_EQ(first[QStringLiteral("summary")].toString(), QStringLiteral("Consegna, Parma"));
    EXPECT_EQ(first[QStringLiteral("description")].toString(),
              QStringLiteral("Bancali: 12\nScarico con sponda"));
    EXPECT_EQ(events.at(1).toObject()[QStringLiteral("uid")].toString(),
              QStringLiteral("commessa-43@rotalina"));
}
