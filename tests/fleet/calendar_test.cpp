#include "core/textfile.h"
#include "fleet/calendar.h"
#include "shell/registrydescriptor.h"
#include "storage/archive.h"
#include "support/externalreader.h"
#include "support/testarchive.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::fleet;

namespace {

class Calendar : public ::testing::Test
{
protected:
    storage::Archive &archive() { return *m_archive; }

    qint64 entry(const QDateTime &when, const QString &staff, const QString &kind, const QString &customer,
                 const QString &note)
    {
        const core::Result<qint64> added = addCalendarEntry(archive(), false, when.date());
        EXPECT_TRUE(added) << added.error().toStdString();
        EXPECT_TRUE(shell::saveRegistryRow(archive(), calendarRegistry(), *added,
                                           {{QStringLiteral("Data"), when},
                                            {QStringLiteral("DataAvviso"), when.date()},
                                            {QStringLiteral("Personale"), staff},
                                            {QStringLiteral("TipologiaCalendario"), kind},
                                            {QStringLiteral("Cliente"), customer},
                                            {QStringLiteral("Note"), note}}));
        return *added;
    }

    std::unique_ptr<storage::Archive> m_archive = test::newArchive();
};

TEST_F(Calendar, ANewEntryIsDatedTodayOpenAndInTheHistoryOnlyWhenAddedThere)
{
    const qint64 open = *addCalendarEntry(archive(), false, QDate(2026, 3, 10));
    const qint64 history = *addCalendarEntry(archive(), true, QDate(2026, 3, 10));
    const QVariantMap row = *archive().readRow(QStringLiteral("Calendario"), open);
    EXPECT_EQ(row.value(QStringLiteral("Data")).toDate(), QDate(2026, 3, 10));
    EXPECT_FALSE(row.value(QStringLiteral("Conclusa")).toBool());
    EXPECT_FALSE(row.value(QStringLiteral("Storico")).toBool());
    EXPECT_TRUE(
        archive().readRow(QStringLiteral("Calendario"), history)->value(QStringLiteral("Storico")).toBool());
}

TEST_F(Calendar, TheWarningMayFallOnTheDayButNeverAfterIt)
{
    const shell::RecordChecks &checks = calendarRegistry().checks;
    EXPECT_EQ(checks.firstFailure({{QStringLiteral("DataAvviso"), QDate(2026, 3, 1)}})->message,
              QStringLiteral("Attenzione manca la Data"));
    EXPECT_FALSE(checks.firstFailure(
        {{QStringLiteral("Data"), QDate(2026, 3, 10)}, {QStringLiteral("DataAvviso"), QDate(2026, 3, 10)}}));
    EXPECT_FALSE(checks.firstFailure(
        {{QStringLiteral("Data"), QDate(2026, 3, 10)}, {QStringLiteral("DataAvviso"), QDate(2026, 3, 1)}}));
    EXPECT_EQ(checks
                  .firstFailure({{QStringLiteral("Data"), QDate(2026, 3, 10)},
                                 {QStringLiteral("DataAvviso"), QDate(2026, 3, 11)}})
                  ->message,
              QStringLiteral("Attenzione la Data di avviso è minore della data dell'impegno"));
}

TEST_F(Calendar, TheSummaryLeavesOutEmptyPartsWithTheirSeparators)
{
    EXPECT_EQ(calendarSummary(QStringLiteral("Rossi"), QStringLiteral("Ferie"), QStringLiteral("Alfa srl"),
                              QStringLiteral("mattina")),
              QStringLiteral("Rossi - Ferie / Alfa srl : mattina"));
    EXPECT_EQ(calendarSummary(QString(), QStringLiteral("Ferie"), QString(), QStringLiteral("mattina")),
              QStringLiteral("Ferie : mattina"));
    EXPECT_EQ(calendarSummary(QStringLiteral("Rossi"), QString(), QStringLiteral("Alfa srl"), QString()),
              QStringLiteral("Rossi / Alfa srl"));
    EXPECT_EQ(calendarUid(42), QStringLiteral("calendario-42@rotalina"));
}

TEST_F(Calendar, TheExportOpensInOtherCalendarProgramsAtTheRightHoursInWinterAndSummer)
{
    const qint64 january =
        entry(QDateTime(QDate(2026, 1, 15), QTime(9, 30)), QStringLiteral("Rossi Mario"),
              QStringLiteral("Visita medica"), QString(), QStringLiteral("Ambulatorio; piano 2"));
    const qint64 july = entry(QDateTime(QDate(2026, 7, 15), QTime(14, 0)), QStringLiteral("Bianchi"),
                              QStringLiteral("Consegna"), QStringLiteral("Alfa, Beta & C. srl"), QString());
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString file = folder.filePath(QStringLiteral("Calendario.ics"));
    ASSERT_TRUE(exportCalendar(archive(), {january, july}, file,
                               QDateTime(QDate(2026, 3, 10), QTime(8, 0), QTimeZone::utc())));
    const QString text = *core::readTextFile(file);
    EXPECT_TRUE(text.contains(QStringLiteral("\r\nUID:calendario-%1@rotalina\r\n").arg(january)));

    for (const test::CalendarReading &read : test::readCalendarWithPython(file)) {
        const QString &module = read.reader;
        const test::ExternalReading &reading = read.reading;
        if (reading.skipped)
            GTEST_SKIP() << reading.message.toStdString();
        ASSERT_TRUE(reading.ok) << module.toStdString() << ": " << reading.message.toStdString();
        const QJsonArray events = reading.json.array();
        ASSERT_EQ(events.size(), 2) << module.toStdString();
        const QJsonObject winter = events.at(0).toObject();
        const QJsonObject summer = events.at(1).toObject();
        // Rome is one hour ahead of UTC in January, two in July.
        EXPECT_EQ(winter[QStringLiteral("start")].toString(), QStringLiteral("2026-01-15 08:30:00"))
            << module.toStdString();
        EXPECT_EQ(winter[QStringLiteral("end")].toString(), QStringLiteral("2026-01-15 08:30:00"))
            << module.toStdString();
        EXPECT_EQ(summer[QStringLiteral("start")].toString(), QStringLiteral("2026-07-15 12:00:00"))
            << module.toStdString();
        EXPECT_EQ(winter[QStringLiteral("summary")].toString(),
                  QStringLiteral("Rossi Mario - Visita medica : Ambulatorio; piano 2"))
            << module.toStdString();
        EXPECT_EQ(summer[QStringLiteral("summary")].toString(),
                  QStringLiteral("Bianchi - Consegna / Alfa, Beta & C. srl"))
            << module.toStdString();
        EXPECT_EQ(summer[QStringLiteral("uid")].toString(),
                  QStringLiteral("calendario-%1@rotalina").arg(july))
            << module.toStdString();
    }
}

} // namespace
