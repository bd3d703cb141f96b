#include "fleet/refuelling.h"
#include "fleet/vehicles.h"
#include "shell/duedatereminder.h"
#include "shell/registrydescriptor.h"
#include "storage/archive.h"
#include "support/testarchive.h"

#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::fleet;

namespace {

const char *const childArchive = "ROTALINA_REFUELLING_CHILD_ARCHIVE";
constexpr int refuellingsPerChild = 10;

class Vehicles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_archive = test::newArchive();
        setOption("LavoraCisterne", true);
        setOption("IncrementaChilometriDaCommesse", false);
        diesel = test::addRow(
            archive(), QStringLiteral("Carburanti"),
            {{QStringLiteral("Descrizione"), QStringLiteral("Gasolio")}, {QStringLiteral("Prezzo"), 1.8}});
        truck = vehicle(QStringLiteral("AB123CD"));
        tankA = tank(QStringLiteral("Cisterna piazzale"), 1000);
        tankB = tank(QStringLiteral("Cisterna officina"), 500);
    }

    storage::Archive &archive() { return *m_archive; }

    void setOption(const char *field, const QVariant &value)
    {
        ASSERT_TRUE(archive().execute(QStringLiteral("UPDATE opzioni SET %1 = ?").arg(QLatin1String(field)),
                                      {value}));
    }

    qint64 vehicle(const QString &plate)
    {
        const core::Result<qint64> key = addVehicle(archive(), QDate(2020, 1, 15));
        EXPECT_TRUE(key) << key.error().toStdString();
        EXPECT_TRUE(archive().update(QStringLiteral("Vetture"), *key,
                                     {{QStringLiteral("Targa"), plate},
                                      {QStringLiteral("Carburante_id"), diesel},
                                      {QStringLiteral("Cilindrata"), QStringLiteral("3,5")},
                                      {QStringLiteral("Chilometri"), 100000.0}}));
        return *key;
    }

    qint64 tank(const QString &name, double litres)
    {
        return test::addRow(archive(), QStringLiteral("Cisterne"),
                            {{QStringLiteral("Descrizione"), name},
                             {QStringLiteral("Carburante_ID"), diesel},
                             {QStringLiteral("Litri"), litres}});
    }

    double value(const QString &sql, const QVariantList &params)
    {
        const core::Result<QVariant> read = archive().scalar(sql, params);
        EXPECT_TRUE(read) << read.error().toStdString();
        return read ? read->toDouble() : -1;
    }

    double stock(qint64 tank)
    {
        return value(QStringLiteral("SELECT Litri FROM Cisterne WHERE id = ?"), {tank});
    }

    double kilometres()
    {
        return value(QStringLiteral("SELECT Chilometri FROM Vetture WHERE ID = ?"), {truck});
    }

    QVariantMap row(qint64 key)
    {
        const core::Result<QVariantMap> read = archive().readRow(QStringLiteral("VettureCarburante"), key);
        EXPECT_TRUE(read) << read.error().toStdString();
        return read ? *read : QVariantMap();
    }

    // A refuelling recorded as the editor does: added, then saved with what the user typed.
    qint64 refuel(const QDate &date, double litres, qint64 reading, const QVariant &fromTank = {})
    {
        const core::Result<qint64> key = addRefuelling(archive(), truck, date, fromTank);
        EXPECT_TRUE(key) << key.error().toStdString();
        const core::Status saved = saveRefuelling(archive(), *key,
                                                  {{QStringLiteral("Litri"), litres},
                                                   {QStringLiteral("Importo"), litres * 1.8},
                                                   {QStringLiteral("KmPartenza"), reading}});
        EXPECT_TRUE(saved) << saved.error().toStdString();
        return *key;
    }

    std::unique_ptr<storage::Archive> m_archive;
    qint64 diesel = 0;
    qint64 truck = 0;
    qint64 tankA = 0;
    qint64 tankB = 0;
};

TEST_F(Vehicles, ATankGivesAndTakesBackWhatItsRefuellingsDraw)
{
    const qint64 key = refuel(QDate(2026, 3, 2), 50, 0, tankA);
    EXPECT_DOUBLE_EQ(stock(tankA), 950);

    ASSERT_TRUE(saveRefuelling(archive(), key, {{QStringLiteral("Litri"), 40.0}}));
    EXPECT_DOUBLE_EQ(stock(tankA), 960);
    ASSERT_TRUE(saveRefuelling(archive(), key, {{QStringLiteral("Note"), QStringLiteral("pieno")}}));
    EXPECT_DOUBLE_EQ(stock(tankA), 960) << "saving again without a change of litres leaves the tank";

    ASSERT_TRUE(saveRefuelling(archive(), key, {{QStringLiteral("Cisterna_ID"), tankB}}));
    EXPECT_DOUBLE_EQ(stock(tankA), 1000);
    EXPECT_DOUBLE_EQ(stock(tankB), 460);
    EXPECT_EQ(row(key).value(QStringLiteral("Cisterna")).toString(), QStringLiteral("Cisterna officina"));

    ASSERT_TRUE(deleteRefuelling(archive(), key));
    EXPECT_DOUBLE_EQ(stock(tankA), 1000);
    EXPECT_DOUBLE_EQ(stock(tankB), 500);
}

TEST_F(Vehicles, AStockBelowZeroIsRefusedAndNothingIsWritten)
{
    const qint64 key = *addRefuelling(archive(), truck, QDate(2026, 3, 2), tankB);
    const core::Status saved = saveRefuelling(
        archive(), key, {{QStringLiteral("Litri"), 600.0}, {QStringLiteral("Importo"), 1080.0}});
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.error(),
              QStringLiteral("Attenzione la cisterna Cisterna officina ha solo 500,00 litri: il "
                             "rifornimento di 600,00 litri non può essere registrato"));
    EXPECT_DOUBLE_EQ(stock(tankB), 500);
    EXPECT_DOUBLE_EQ(row(key).value(QStringLiteral("Litri")).toDouble(), 0);
    EXPECT_TRUE(saveRefuelling(archive(), key,
                               {{QStringLiteral("Litri"), 500.0}, {QStringLiteral("Importo"), 900.0}}))
        << "the whole stock may be drawn";
    EXPECT_DOUBLE_EQ(stock(tankB), 0);
}

TEST_F(Vehicles, TanksAreLeftAloneWhenNotManagedOrDeleted)
{
    setOption("LavoraCisterne", false);
    refuel(QDate(2026, 3, 2), 50, 0, tankA);
    EXPECT_DOUBLE_EQ(stock(tankA), 1000);

    setOption("LavoraCisterne", true);
    const qint64 gone = tank(QStringLiteral("Vecchia"), 100);
    const qint64 key = refuel(QDate(2026, 3, 3), 20, 0, gone);
    ASSERT_TRUE(archive().remove(QStringLiteral("Cisterne"), gone));
    EXPECT_TRUE(saveRefuelling(archive(), key, {{QStringLiteral("Litri"), 30.0}}))
        << "a refuelling of a deleted tank saves without touching any tank";
}

TEST_F(Vehicles, TheOdometerOnlyMovesForward)
{
    const qint64 first = refuel(QDate(2026, 3, 1), 100, 100500);
    EXPECT_TRUE(row(first).value(QStringLiteral("KmArrivo")).isNull());
    EXPECT_EQ(row(first).value(QStringLiteral("KmDifferenza")).toLongLong(), 100500);
    EXPECT_DOUBLE_EQ(kilometres(), 100500);

    const qint64 second = refuel(QDate(2026, 3, 10), 100, 101200);
    EXPECT_EQ(row(second).value(QStringLiteral("KmArrivo")).toLongLong(), 100500);
    EXPECT_EQ(row(second).value(QStringLiteral("KmDifferenza")).toLongLong(), 700);

    // Two on the same day: the later key follows the earlier one.
    const qint64 sameDay = refuel(QDate(2026, 3, 10), 50, 101450);
    EXPECT_EQ(row(sameDay).value(QStringLiteral("KmArrivo")).toLongLong(), 101200);
    EXPECT_EQ(row(sameDay).value(QStringLiteral("KmDifferenza")).toLongLong(), 250);
    ASSERT_TRUE(saveRefuelling(archive(), second, {{QStringLiteral("Note"), QStringLiteral("ok")}}));
    EXPECT_EQ(row(second).value(QStringLiteral("KmArrivo")).toLongLong(), 100500)
        << "saving a row again measures it from the one before it, never from itself or a later one";
    EXPECT_DOUBLE_EQ(kilometres(), 101450);

    // A refuelling recorded late sits between its neighbours and never lowers the odometer.
    const qint64 late = refuel(QDate(2026, 3, 5), 80, 100900);
    EXPECT_EQ(row(late).value(QStringLiteral("KmArrivo")).toLongLong(), 100500);
    EXPECT_EQ(row(late).value(QStringLiteral("KmDifferenza")).toLongLong(), 400);
    EXPECT_EQ(row(second).value(QStringLiteral("KmArrivo")).toLongLong(), 100900);
    EXPECT_EQ(row(second).value(QStringLiteral("KmDifferenza")).toLongLong(), 300);
    EXPECT_DOUBLE_EQ(kilometres(), 101450);

    // A reading below the previous one, or above the next one, is refused.
    const core::Result<qint64> wrong = addRefuelling(archive(), truck, QDate(2026, 3, 6));
    ASSERT_TRUE(wrong);
    core::Status saved = saveRefuelling(archive(), *wrong,
                                        {{QStringLiteral("Litri"), 10.0},
                                         {QStringLiteral("Importo"), 18.0},
                                         {QStringLiteral("KmPartenza"), 100800}});
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.error(),
              QStringLiteral("Attenzione i chilometri del rifornimento (100800) sono meno di quelli "
                             "del rifornimento precedente del 05/03/2026 (100900)"));
    saved = saveRefuelling(archive(), *wrong,
                           {{QStringLiteral("Litri"), 10.0},
                            {QStringLiteral("Importo"), 18.0},
                            {QStringLiteral("KmPartenza"), 101300}});
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.error(),
              QStringLiteral("Attenzione i chilometri del rifornimento (101300) sono più di quelli "
                             "del rifornimento successivo del 10/03/2026 (101200)"));

    // Deleting the late one measures the next from the one before it again.
    ASSERT_TRUE(deleteRefuelling(archive(), late));
    EXPECT_EQ(row(second).value(QStringLiteral("KmArrivo")).toLongLong(), 100500);
    EXPECT_DOUBLE_EQ(kilometres(), 101450);
}

TEST_F(Vehicles, KilometresFromJobOrdersAreNotMovedByRefuellings)
{
    setOption("IncrementaChilometriDaCommesse", true);
    refuel(QDate(2026, 3, 1), 100, 150000);
    EXPECT_DOUBLE_EQ(kilometres(), 100000);
}

TEST_F(Vehicles, TotalsFollowRefuellingsAndCosts)
{
    const qint64 kind = test::addRow(archive(), QStringLiteral("TipologiaCostiVetture"),
                                     {{QStringLiteral("Descrizione"), QStringLiteral("Tagliando")}});
    refuel(QDate(2026, 3, 1), 100, 0);
    const qint64 other = refuel(QDate(2026, 3, 2), 50, 0);
    const core::Result<qint64> cost = shell::addRegistryRow(archive(), vehicleCostsRegistry(), truck);
    ASSERT_TRUE(cost) << cost.error().toStdString();
    core::Status saved = shell::saveRegistryRow(archive(), vehicleCostsRegistry(), *cost,
                                                {{QStringLiteral("Importo"), 320.5}});
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.error(), QStringLiteral("Attenzione manca la Tipologia"));
    saved = shell::saveRegistryRow(archive(), vehicleCostsRegistry(), *cost,
                                   {{QStringLiteral("Importo"), 320.5},
                                    {QStringLiteral("TipologiaCosto_id"), kind},
                                    {QStringLiteral("TipologiaCosto"), QStringLiteral("Tagliando")}});
    ASSERT_TRUE(saved) << saved.error().toStdString();
    const auto totals = [this](const char *field) {
        return value(QStringLiteral("SELECT %1 FROM Vetture WHERE ID = ?").arg(QLatin1String(field)),
                     {truck});
    };
    EXPECT_DOUBLE_EQ(totals("TotaleLitriCarburante"), 150);
    EXPECT_DOUBLE_EQ(totals("TotaleCarburante"), 270);
    EXPECT_DOUBLE_EQ(totals("TotaleCostoManutenzione"), 320.5);
    ASSERT_TRUE(deleteRefuelling(archive(), other));
    ASSERT_TRUE(shell::deleteRegistryRow(archive(), vehicleCostsRegistry(), *cost));
    EXPECT_DOUBLE_EQ(totals("TotaleLitriCarburante"), 100);
    EXPECT_DOUBLE_EQ(totals("TotaleCostoManutenzione"), 0);
}

TEST_F(Vehicles, APriceOfNothingGivesTheMessageInsteadOfADivision)
{
    EXPECT_DOUBLE_EQ(*fuelPrice(archive(), truck), 1.8);
    EXPECT_DOUBLE_EQ(*amountOfLitres(50.0, 1.8), 90);
    EXPECT_DOUBLE_EQ(*litresOfAmount(100.0, 1.8), 55.56);
    EXPECT_EQ(amountOfLitres(QVariant(), 1.8).error(),
              QStringLiteral("Attenzione Inserire i Litri prima di poter calcolare il prezzo!!! "));
    EXPECT_EQ(
        litresOfAmount(0.0, 1.8).error(),
        QStringLiteral("Attenzione Inserire l'importo prima di poter calcolare la quantità di litri!!! "));
    for (const QVariant &price : {QVariant(0.0), QVariant()}) {
        ASSERT_TRUE(
            archive().update(QStringLiteral("Carburanti"), diesel, {{QStringLiteral("Prezzo"), price}}));
        EXPECT_EQ(litresOfAmount(100.0, *fuelPrice(archive(), truck)).error(),
                  QStringLiteral(
                      "Attenzione non è possibile calcolare il prezzo del carburante per il veicolo!!! "));
    }
    const qint64 noFuel = *addVehicle(archive(), QDate(2026, 1, 1));
    EXPECT_EQ(
        amountOfLitres(10.0, *fuelPrice(archive(), noFuel)).error(),
        QStringLiteral("Attenzione non è possibile calcolare il prezzo del carburante per il veicolo!!! "));
}

TEST_F(Vehicles, AVehicleInUseIsWithdrawnNotDeleted)
{
    refuel(QDate(2026, 3, 1), 100, 0, tankA);
    EXPECT_DOUBLE_EQ(stock(tankA), 900);
    const core::Result<VehicleRemoval> removed = removeVehicle(archive(), truck);
    ASSERT_TRUE(removed) << removed.error().toStdString();
    EXPECT_EQ(*removed, VehicleRemoval::Withdrawn);
    EXPECT_EQ(test::count(archive(),
                          QStringLiteral("SELECT COUNT(*) FROM Vetture WHERE ID = ? AND Annullato = ?"),
                          {truck, true}),
              1);
    EXPECT_DOUBLE_EQ(stock(tankA), 900) << "the litres drawn stay drawn";

    const qint64 van = vehicle(QStringLiteral("EF456GH"));
    test::addRow(archive(), QStringLiteral("TotaliCo"),
                 {{QStringLiteral("Numero"), 1}, {QStringLiteral("Targa2"), QStringLiteral("EF456GH")}});
    EXPECT_EQ(*removeVehicle(archive(), van), VehicleRemoval::Withdrawn) << "named by a job order";

    const qint64 spare = vehicle(QStringLiteral("IL789MN"));
    test::addRow(archive(), QStringLiteral("VettureScadenze"),
                 {{QStringLiteral("Vettura_ID"), spare},
                  {QStringLiteral("Descrizione"), QStringLiteral("Revisione")}});
    EXPECT_EQ(*removeVehicle(archive(), spare), VehicleRemoval::Deleted);
    EXPECT_EQ(test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM VettureScadenze")), 0);
    EXPECT_EQ(test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM Vetture WHERE ID = ?"), {spare}),
              0);
}

TEST_F(Vehicles, PlatesAlreadyInTheArchiveAreWarnedOf)
{
    vehicle(QStringLiteral("AB123CD"));
    const qint64 third = vehicle(QStringLiteral("ZZ000ZZ"));
    // The plate is bound, never part of the statement.
    EXPECT_EQ(*otherVehiclesWithPlate(archive(), QStringLiteral("AB123CD"), third), 2);
    EXPECT_EQ(*otherVehiclesWithPlate(archive(), QStringLiteral("x' OR '1'='1"), third), 0);
    EXPECT_EQ(duplicatePlateWarnings(QStringLiteral("AB123CD"), 2),
              (QStringList{QStringLiteral("Attenzione la targa AB123CD è già presente in altri 2 Record."),
                           QStringLiteral("Attenzione si è caricato una Targa già presente in archivio")}));
    EXPECT_TRUE(duplicatePlateWarnings(QStringLiteral("AB123CD"), 0).isEmpty());
}

TEST_F(Vehicles, DeadlinesReachTheStartUpReminder)
{
    const QDate today(2026, 3, 10);
    const auto deadline = [this](const char *what, const QDate &warning, bool dealt) {
        return test::addRow(archive(), QStringLiteral("VettureScadenze"),
                            {{QStringLiteral("Vettura_ID"), truck},
                             {QStringLiteral("Descrizione"), QString::fromUtf8(what)},
                             {QStringLiteral("DataAvviso"), warning},
                             {QStringLiteral("DataScadenza"), warning.addDays(30)},
                             {QStringLiteral("Validato"), dealt}});
    };
    const qint64 due = deadline("Revisione", today, false);
    deadline("Bollo", today.addDays(1), false);
    deadline("Assicurazione", today.addDays(-5), true);
    const auto lists = shell::loadDueDateReminder(archive(), today);
    ASSERT_TRUE(lists) << lists.error().toStdString();
    const shell::ReminderList &vehicles = lists->at(1);
    EXPECT_EQ(vehicles.window, QStringLiteral("TfrmVettureScadenze"));
    ASSERT_EQ(vehicles.rows.size(), 1);
    EXPECT_EQ(vehicles.rows.first().at(vehicles.columnOf(QStringLiteral("Operazione"))),
              QStringLiteral("Revisione"));
    EXPECT_EQ(vehicles.rows.first().at(vehicles.columnOf(QStringLiteral("Targa"))),
              QStringLiteral("AB123CD"));
    EXPECT_EQ(vehicles.rows.first().at(vehicles.columnOf(vehicles.idField)).toLongLong(), due);

    EXPECT_TRUE(vehicleDeadlineOverdue(QDate(2026, 3, 9), false, today));
    EXPECT_FALSE(vehicleDeadlineOverdue(QDate(2026, 3, 9), true, today));
    EXPECT_FALSE(vehicleDeadlineOverdue(today, false, today));

    // A withdrawn vehicle no longer reminds of its deadlines.
    ASSERT_TRUE(archive().update(QStringLiteral("Vetture"), truck, {{QStringLiteral("Annullato"), true}}));
    EXPECT_TRUE(shell::loadDueDateReminder(archive(), today)->at(1).rows.isEmpty());
}

// Run as a separate process by the test below: refuels from the shared tank on the archive given.
TEST(RefuellingWorkstations, WorkstationRefuellingFromTheTank)
{
    const QString location = qEnvironmentVariable(childArchive);
    if (location.isEmpty())
        GTEST_SKIP() << "run by RefuellingWorkstations.FourAtOnceLoseNothing as one of its workstations";
    const auto parsed = storage::ArchiveLocation::parse(location);
    ASSERT_TRUE(parsed) << parsed.error().toStdString();
    auto archive = storage::Archive::open(*parsed);
    ASSERT_TRUE(archive) << archive.error().toStdString();
    const qint64 vehicle = (*archive)->scalar(QStringLiteral("SELECT MIN(ID) FROM Vetture"))->toLongLong();
    const qint64 tank = (*archive)->scalar(QStringLiteral("SELECT MIN(id) FROM Cisterne"))->toLongLong();
    for (int i = 0; i < refuellingsPerChild; ++i) {
        const auto key = addRefuelling(**archive, vehicle, QDate(2026, 3, 10), tank);
        ASSERT_TRUE(key) << key.error().toStdString();
        const core::Status saved = saveRefuelling(
            **archive, *key, {{QStringLiteral("Litri"), 10.0}, {QStringLiteral("Importo"), 18.0}});
        ASSERT_TRUE(saved) << saved.error().toStdString();
    }
}

TEST(RefuellingWorkstations, FourAtOnceLoseNothing)
{
    auto archive = test::newArchive();
    ASSERT_TRUE(archive->execute(QStringLiteral("UPDATE opzioni SET LavoraCisterne = ?"), {true}));
    test::addRow(*archive, QStringLiteral("Vetture"), {{QStringLiteral("Targa"), QStringLiteral("AB123CD")}});
    const qint64 tank = test::addRow(
        *archive, QStringLiteral("Cisterne"),
        {{QStringLiteral("Descrizione"), QStringLiteral("Piazzale")}, {QStringLiteral("Litri"), 1000.0}});
    test::runAsWorkstations(QStringLiteral("RefuellingWorkstations.WorkstationRefuellingFromTheTank"),
                            childArchive, *archive);
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM VettureCarburante")),
              4 * refuellingsPerChild);
    EXPECT_DOUBLE_EQ(
        archive->scalar(QStringLiteral("SELECT Litri FROM Cisterne WHERE id = ?"), {tank})->toDouble(),
        1000.0 - 4 * refuellingsPerChild * 10.0);
}

} // namespace
