#include "core/textfile.h"
#include "storage/archive.h"
#include "support/externalreader.h"
#include "support/testarchive.h"
#include "transport/scheduling.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>
#include <time.h>

using namespace rotalina;
using namespace rotalina::transport;

namespace {

class Scheduling : public ::testing::Test
{
protected:
    storage::Archive &archive() { return *m_archive; }

    qint64 driver(const QString &name)
    {
        return test::addRow(archive(), QStringLiteral("Personale"), {{QStringLiteral("Personale"), name}});
    }

    qint64 vehicle(const QString &plate)
    {
        return test::addRow(archive(), QStringLiteral("Vetture"), {{QStringLiteral("Targa"), plate}});
    }

    // A job order from start to its return (none when invalid) for a customer, with the given
    // further fields.
    qint64 job(const QDateTime &start, const QDateTime &end, const QString &customer, QVariantMap fields = {})
    {
        fields.insert(QStringLiteral("Data"), start);
        if (end.isValid())
            fields.insert(QStringLiteral("DataRientro"), end);
        fields.insert(QStringLiteral("Cliente"), customer);
        if (!fields.contains(QStringLiteral("Annullato")))
            fields.insert(QStringLiteral("Annullato"), false);
        fields.insert(QStringLiteral("Storico"), false);
        return test::addRow(archive(), QStringLiteral("TotaliCo"), fields);
    }

    Schedule schedule(const QDate &from, const QDate &to, ScheduleMode mode,
                      std::optional<qint64> vehicleKey = std::nullopt,
                      std::optional<qint64> driverKey = std::nullopt)
    {
        const core::Result<Schedule> built =
            buildSchedule(archive(), {from, to, mode, vehicleKey, driverKey});
        EXPECT_TRUE(built) << built.error().toStdString();
        return built ? *built : Schedule();
    }

    // The hours of the day in which a block of the grid shows something.
    static QList<int> busyHours(const Schedule &schedule, int block, const QDate &day)
    {
        const QList<QStringList> grid = schedule.grid();
        const int column =
            static_cast<int>(schedule.days.indexOf(day)) + (schedule.mode == ScheduleMode::Generic ? 0 : 1);
        QList<int> hours;
        for (int hour = 0; hour < 24; ++hour) {
            if (!grid.at(block * 24 + hour + 1).at(column).isEmpty())
                hours.append(hour);
        }
        return hours;
    }

    static QList<int> range(int first, int last)
    {
        QList<int> hours;
        for (int hour = first; hour <= last; ++hour)
            hours.append(hour);
        return hours;
    }

    std::unique_ptr<storage::Archive> m_archive = test::newArchive();
};

TEST_F(Scheduling, ThePeriodIsFromOneToThirtyOneDaysAndBothDatesAreNeeded)
{
    EXPECT_FALSE(checkScheduleRange(QDate(2026, 3, 1), QDate(2026, 3, 31)));
    EXPECT_FALSE(checkScheduleRange(QDate(2026, 3, 10), QDate(2026, 3, 10)));
    const auto tooLong = checkScheduleRange(QDate(2026, 3, 1), QDate(2026, 4, 1));
    ASSERT_TRUE(tooLong);
    EXPECT_EQ(tooLong->message,
              QStringLiteral(
                  "Attenzione l'intervallo di tempo deve essere al massimo di 31 giorni e minimo 1 giorno"));
    EXPECT_EQ(tooLong->title, QStringLiteral("Messaggio di errore"));
    EXPECT_TRUE(checkScheduleRange(QDate(2026, 3, 10), QDate(2026, 3, 9)));
    EXPECT_EQ(checkScheduleRange(QDate(), QDate())->message,
              QStringLiteral("Attenzione E' necessario definire la data di inizio..."));
    EXPECT_EQ(checkScheduleRange(QDate(2026, 3, 10), QDate())->message,
              QStringLiteral("Attenzione E' necessario definire la data di fine..."));
    EXPECT_FALSE(
        buildSchedule(archive(), {QDate(2026, 3, 1), QDate(2026, 4, 1), ScheduleMode::Generic, {}, {}}));
}

TEST_F(Scheduling, AnHourIsBusyWhenTheJobCoversPartOfItAndAnEmptyOrEarlierReturnEndsWithTheStartDay)
{
    const QString plate = QStringLiteral("AB123CD");
    vehicle(plate);
    const QVariantMap onTruck{{QStringLiteral("Targa1"), plate}};
    job(QDateTime(QDate(2026, 3, 10), QTime(8, 30)), QDateTime(QDate(2026, 3, 10), QTime(11, 0)),
        QStringLiteral("Alfa"), onTruck);
    job(QDateTime(QDate(2026, 3, 11), QTime(8, 15)), QDateTime(QDate(2026, 3, 11), QTime(8, 45)),
        QStringLiteral("Beta"), onTruck);
    job(QDateTime(QDate(2026, 3, 12), QTime(14, 20)), QDateTime(), QStringLiteral("Gamma"), onTruck);
    job(QDateTime(QDate(2026, 3, 13), QTime(18, 0)), QDateTime(QDate(2026, 3, 13), QTime(7, 0)),
        QStringLiteral("Delta"), onTruck);
    // The default return of a new job: the end of the office's last hour.
    job(QDateTime(QDate(2026, 3, 14), QTime(6, 0)), QDateTime(QDate(2026, 3, 14), QTime(18, 59, 59)),
        QStringLiteral("Epsilon"), onTruck);

    const Schedule week = schedule(QDate(2026, 3, 10), QDate(2026, 3, 14), ScheduleMode::Vehicle);
    ASSERT_EQ(week.blocks.size(), 1);
    EXPECT_EQ(week.days.size(), 7) << "the period and the two days after it";
    EXPECT_EQ(busyHours(week, 0, QDate(2026, 3, 10)), range(8, 10));
    EXPECT_EQ(busyHours(week, 0, QDate(2026, 3, 11)), QList<int>{8});
    EXPECT_EQ(busyHours(week, 0, QDate(2026, 3, 12)), range(14, 23));
    EXPECT_EQ(busyHours(week, 0, QDate(2026, 3, 13)), range(18, 23));
    EXPECT_EQ(busyHours(week, 0, QDate(2026, 3, 14)), range(6, 18));
    EXPECT_TRUE(busyHours(week, 0, QDate(2026, 3, 15)).isEmpty());
}

TEST_F(Scheduling, JobsOverlappingThePeriodAreShownAndCancelledOrFinishedOnesAreNot)
{
    const QString plate = QStringLiteral("AB123CD");
    const QVariantMap onTruck{{QStringLiteral("Targa1"), plate}};
    job(QDateTime(QDate(2026, 3, 8), QTime(20, 0)), QDateTime(QDate(2026, 3, 10), QTime(2, 30)),
        QStringLiteral("Across"), onTruck);
    job(QDateTime(QDate(2026, 3, 9), QTime(10, 0)), QDateTime(), QStringLiteral("Stale"), onTruck);
    job(QDateTime(QDate(2026, 3, 9), QTime(10, 0)), QDateTime(QDate(2026, 3, 9), QTime(23, 0)),
        QStringLiteral("Before"), onTruck);
    QVariantMap cancelled = onTruck;
    cancelled.insert(QStringLiteral("Annullato"), true);
    job(QDateTime(QDate(2026, 3, 10), QTime(9, 0)), QDateTime(QDate(2026, 3, 10), QTime(12, 0)),
        QStringLiteral("Cancelled"), cancelled);
    job(QDateTime(QDate(2026, 3, 11), QTime(23, 30)), QDateTime(QDate(2026, 3, 12), QTime(1, 0)),
        QStringLiteral("LastEvening"), onTruck);
    job(QDateTime(QDate(2026, 3, 12), QTime(0, 0)), QDateTime(QDate(2026, 3, 12), QTime(4, 0)),
        QStringLiteral("After"), onTruck);

    const Schedule period = schedule(QDate(2026, 3, 10), QDate(2026, 3, 11), ScheduleMode::Vehicle);
    QStringList customers;
    for (const ScheduledJob &shown : period.jobs)
        customers.append(shown.customer);
    EXPECT_EQ(customers, (QStringList{QStringLiteral("Across"), QStringLiteral("LastEvening")}));
    EXPECT_EQ(busyHours(period, 0, QDate(2026, 3, 10)), range(0, 2));
    // The grid also shows the two days after the period: the job that started in it goes on there.
    EXPECT_EQ(busyHours(period, 0, QDate(2026, 3, 12)), QList<int>{0});
}

TEST_F(Scheduling, VehicleBlocksIncludeTheSecondPlateAndJobsInTheSameHourShareTheCell)
{
    const qint64 truck = vehicle(QStringLiteral("ZZ999ZZ"));
    vehicle(QStringLiteral("AA111AA"));
    const QDateTime nine(QDate(2026, 3, 10), QTime(9, 0));
    const QDateTime ten(QDate(2026, 3, 10), QTime(9, 50));
    job(nine, ten, QStringLiteral("Alfa"),
        {{QStringLiteral("Targa1"), QStringLiteral("ZZ999ZZ")},
         {QStringLiteral("Note"), QStringLiteral("fragile")}});
    job(nine, ten, QStringLiteral("Beta"),
        {{QStringLiteral("Targa1"), QStringLiteral("AA111AA")},
         {QStringLiteral("Targa2"), QStringLiteral("ZZ999ZZ")}});

    const Schedule all = schedule(QDate(2026, 3, 10), QDate(2026, 3, 10), ScheduleMode::Vehicle);
    ASSERT_EQ(all.blocks.size(), 2);
    EXPECT_EQ(all.title, QStringLiteral("Programmazione per vetture"));
    const QList<QStringList> grid = all.grid();
    EXPECT_EQ(grid.size(), 1 + 2 * 24);
    EXPECT_EQ(grid.at(0).at(0), QStringLiteral("Vettura"));
    EXPECT_EQ(grid.at(0).at(1), QStringLiteral("Martedì - 10/03/2026"));
    EXPECT_EQ(grid.at(1).at(0), QStringLiteral("AA111AA"));
    EXPECT_EQ(grid.at(25).at(0), QStringLiteral("ZZ999ZZ"));
    EXPECT_EQ(grid.at(1 + 9).at(1), QStringLiteral("9 - Beta"));
    EXPECT_EQ(grid.at(25 + 9).at(1), QStringLiteral("9 - Alfa - fragile   - Beta"));

    const Schedule one = schedule(QDate(2026, 3, 10), QDate(2026, 3, 10), ScheduleMode::Vehicle, truck);
    ASSERT_EQ(one.blocks.size(), 1);
    EXPECT_EQ(one.blocks.at(0).label, QStringLiteral("ZZ999ZZ"));
    EXPECT_EQ(one.blocks.at(0).jobs.size(), 2);
    // A vehicle chosen without jobs still has its (empty) block.
    const qint64 idle = vehicle(QStringLiteral("CC333CC"));
    const Schedule none = schedule(QDate(2026, 3, 10), QDate(2026, 3, 10), ScheduleMode::Vehicle, idle);
    ASSERT_EQ(none.blocks.size(), 1);
    EXPECT_TRUE(none.blocks.at(0).jobs.isEmpty());
}

TEST_F(Scheduling, DriversAreTellApartByKeyAndTheFirmsGridNamesEverything)
{
    const qint64 first = driver(QStringLiteral("Rossi Mario"));
    const qint64 namesake = driver(QStringLiteral("Rossi Mario"));
    const qint64 second = driver(QStringLiteral("Bianchi Luca"));
    const qint64 town = test::addRow(archive(), QStringLiteral("Comuni"),
                                     {{QStringLiteral("Comune"), QStringLiteral("Parma")}});
    const qint64 consignee = test::addRow(archive(), QStringLiteral("Indirizzi"),
                                          {{QStringLiteral("RagioneSociale"), QStringLiteral("Magazzino")},
                                           {QStringLiteral("Indirizzo"), QStringLiteral("Via Roma 1")},
                                           {QStringLiteral("Comune_ID"), town}});
    const QDateTime start(QDate(2026, 3, 10), QTime(9, 0));
    const QDateTime end(QDate(2026, 3, 10), QTime(9, 30));
    job(start, end, QStringLiteral("Alfa"),
        {{QStringLiteral("Personale_ID"), first},
         {QStringLiteral("Personale2_ID"), second},
         {QStringLiteral("Targa1"), QStringLiteral("AB123CD")},
         {QStringLiteral("Targa2"), QStringLiteral("CD456EF")},
         {QStringLiteral("Destinatario_ID"), consignee},
         {QStringLiteral("Note"), QStringLiteral("fragile")}});
    job(start.addSecs(3600), end.addSecs(3600), QStringLiteral("Beta"),
        {{QStringLiteral("Personale_ID"), namesake}});

    const Schedule drivers = schedule(QDate(2026, 3, 10), QDate(2026, 3, 10), ScheduleMode::Driver);
    EXPECT_EQ(drivers.title, QStringLiteral("Programmazione per autisti"));
    ASSERT_EQ(drivers.blocks.size(), 3);
    EXPECT_EQ(drivers.blocks.at(0).label, QStringLiteral("Bianchi Luca"));
    EXPECT_EQ(drivers.blocks.at(1).jobs.size(), 1);
    EXPECT_EQ(drivers.blocks.at(2).jobs.size(), 1);
    EXPECT_EQ(drivers.grid().at(0).at(0), QStringLiteral("Autista"));

    const Schedule namesakeOnly =
        schedule(QDate(2026, 3, 10), QDate(2026, 3, 10), ScheduleMode::Driver, std::nullopt, namesake);
    ASSERT_EQ(namesakeOnly.blocks.size(), 1);
    ASSERT_EQ(namesakeOnly.jobs.size(), 1);
    EXPECT_EQ(namesakeOnly.jobs.at(0).customer, QStringLiteral("Beta"));

    const Schedule firm = schedule(QDate(2026, 3, 10), QDate(2026, 3, 10), ScheduleMode::Generic);
    EXPECT_EQ(firm.title, QStringLiteral("Programmazione generica"));
    const QList<QStringList> grid = firm.grid();
    ASSERT_EQ(grid.size(), 25);
    EXPECT_EQ(grid.at(0).size(), 3) << "no label column";
    EXPECT_EQ(grid.at(0).at(0), QStringLiteral("Martedì - 10/03/2026"));
    EXPECT_EQ(grid.at(10).at(0), QStringLiteral("9: -  Aut:Rossi Mario Bianchi Luca Mezzo:AB123CD CD456EF "
                                                "Destin.:Parma Via Roma 1 Cliente:Alfa Note:fragile"));
    EXPECT_EQ(grid.at(11).at(0), QStringLiteral("10: -  Aut:Rossi Mario Cliente:Beta"));
}

// Sets the computer's time zone for one test, as an office in Italy has it.
class RomeTime
{
public:
    RomeTime() : m_saved(qgetenv("TZ"))
    {
        qputenv("TZ", "Europe/Rome");
        tzset();
    }
    ~RomeTime()
    {
        if (m_saved.isEmpty())
            qunsetenv("TZ");
        else
            qputenv("TZ", m_saved);
        tzset();
    }
    RomeTime(const RomeTime &) = delete;
    RomeTime &operator=(const RomeTime &) = delete;

private:
    QByteArray m_saved;
};

TEST_F(Scheduling, HoursAreWallClockHoursAcrossTheChangesOfMarchAndOctober)
{
    const RomeTime rome;
    const QVariantMap onTruck{{QStringLiteral("Targa1"), QStringLiteral("AB123CD")}};
    // 31 March 2024 has no 02:00, 27 October 2024 has it twice.
    job(QDateTime(QDate(2024, 3, 31), QTime(1, 30)), QDateTime(QDate(2024, 3, 31), QTime(4, 30)),
        QStringLiteral("Spring"), onTruck);
    job(QDateTime(QDate(2024, 3, 31), QTime(22, 0)), QDateTime(QDate(2024, 4, 1), QTime(1, 0)),
        QStringLiteral("Night"), onTruck);
    job(QDateTime(QDate(2024, 10, 26), QTime(22, 0)), QDateTime(QDate(2024, 10, 27), QTime(3, 30)),
        QStringLiteral("Autumn"), onTruck);

    const Schedule march = schedule(QDate(2024, 3, 30), QDate(2024, 4, 1), ScheduleMode::Vehicle);
    ASSERT_EQ(march.blocks.size(), 1);
    EXPECT_EQ(march.days.size(), 5);
    EXPECT_EQ(march.grid().at(0).at(2), QStringLiteral("Domenica - 31/03/2024"));
    EXPECT_EQ(busyHours(march, 0, QDate(2024, 3, 31)), (QList<int>{1, 2, 3, 4, 22, 23}));
    EXPECT_EQ(busyHours(march, 0, QDate(2024, 4, 1)), QList<int>{0});

    const Schedule october = schedule(QDate(2024, 10, 26), QDate(2024, 10, 27), ScheduleMode::Vehicle);
    EXPECT_EQ(busyHours(october, 0, QDate(2024, 10, 26)), (QList<int>{22, 23}));
    EXPECT_EQ(busyHours(october, 0, QDate(2024, 10, 27)), range(0, 3));
    EXPECT_EQ(october.grid().at(0).at(2), QStringLiteral("Domenica - 27/10/2024"));
}

TEST_F(Scheduling, TheExportHasOneEventPerJobThatOtherCalendarProgramsRead)
{
    const qint64 mario = driver(QStringLiteral("Rossi Mario"));
    const qint64 winter = job(QDateTime(QDate(2024, 3, 29), QTime(8, 0)),
                              QDateTime(QDate(2024, 3, 29), QTime(12, 0)), QStringLiteral("Alfa, Beta & C."),
                              {{QStringLiteral("Personale_ID"), mario},
                               {QStringLiteral("Targa1"), QStringLiteral("AB123CD")},
                               {QStringLiteral("Targa2"), QStringLiteral("CD456EF")},
                               {QStringLiteral("Note"), QStringLiteral("scarico; piano 2")}});
    const qint64 summer =
        job(QDateTime(QDate(2024, 4, 2), QTime(14, 0)), QDateTime(), QStringLiteral("Gamma"),
            {{QStringLiteral("Targa1"), QStringLiteral("AB123CD")}});

    const Schedule both = schedule(QDate(2024, 3, 29), QDate(2024, 4, 2), ScheduleMode::Vehicle);
    ASSERT_EQ(both.blocks.size(), 2) << "the first job is in both vehicles' blocks";
    const QList<core::EventRecord> events =
        scheduleEvents(both, QDateTime(QDate(2024, 3, 20), QTime(10, 0), QTimeZone::utc()));
    ASSERT_EQ(events.size(), 2);

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString file = folder.filePath(QStringLiteral("Calendario.ics"));
    ASSERT_TRUE(core::writeTextFile(file, core::scriviCalendario(events)));

    for (const test::CalendarReading &calendar : test::readCalendarWithPython(file)) {
        const QString &module = calendar.reader;
        const test::ExternalReading &reading = calendar.reading;
        if (reading.skipped)
            GTEST_SKIP() << reading.message.toStdString();
        ASSERT_TRUE(reading.ok) << module.toStdString() << ": " << reading.message.toStdString();
        const QJsonArray read = reading.json.array();
        ASSERT_EQ(read.size(), 2) << module.toStdString();
        const QJsonObject first = read.at(0).toObject();
        const QJsonObject second = read.at(1).toObject();
        EXPECT_EQ(first[QStringLiteral("start")].toString(), QStringLiteral("2024-03-29 07:00:00"))
            << module.toStdString();
        EXPECT_EQ(first[QStringLiteral("end")].toString(), QStringLiteral("2024-03-29 11:00:00"))
            << module.toStdString();
        EXPECT_EQ(first[QStringLiteral("summary")].toString(),
                  QStringLiteral("Rossi Mario - Alfa, Beta & C. : AB123CD"))
            << module.toStdString();
        EXPECT_EQ(first[QStringLiteral("uid")].toString(), jobOrderUid(winter)) << module.toStdString();
        // In summer Rome is two hours ahead; a job without a return ends with its day.
        EXPECT_EQ(second[QStringLiteral("start")].toString(), QStringLiteral("2024-04-02 12:00:00"))
            << module.toStdString();
        EXPECT_EQ(second[QStringLiteral("end")].toString(), QStringLiteral("2024-04-02 21:59:59"))
            << module.toStdString();
        EXPECT_EQ(second[QStringLiteral("uid")].toString(),
                  QStringLiteral("commessa-%1@rotalina").arg(summer))
            << module.toStdString();
    }
}

} // namespace
