#include "core/money.h"
#include "shell/duedatereminder.h"
#include "shell/registrydescriptor.h"
#include "shell/reportcatalogue.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"
#include "support/testarchive.h"
#include "transport/ownerdrivers.h"

#include <QDateTime>
#include <QSqlRecord>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::transport;

namespace {

class OwnerDrivers : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const core::Result<qint64> added = addOwnerDriver(archive());
        ASSERT_TRUE(added) << added.error().toStdString();
        owner = *added;
        ASSERT_TRUE(
            archive().update(QStringLiteral("Padroncini"), owner,
                             {{QStringLiteral("RagioneSociale"), QStringLiteral("Bianchi Autotrasporti")}}));
    }

    storage::Archive &archive() { return *m_archive; }

    qint64 job(const QDateTime &when, double cost, bool cancelled = false, int number = 1)
    {
        return test::addRow(archive(), QStringLiteral("TotaliCo"),
                            {{QStringLiteral("Numero"), number},
                             {QStringLiteral("Data"), when},
                             {QStringLiteral("Padroncino_id"), owner},
                             {QStringLiteral("CostoPadroncino"), cost},
                             {QStringLiteral("Annullato"), cancelled},
                             {QStringLiteral("Storico"), false}});
    }

    // A payment mode of n instalments, 30 days apart.
    qint64 paymentMode(int instalments)
    {
        QVariantMap values{
            {QStringLiteral("Descrizione"), QStringLiteral("Rimessa %1 rate").arg(instalments)},
            {QStringLiteral("NumeroScadenze"), instalments},
            {QStringLiteral("FatturaFineMese"), false},
            {QStringLiteral("AnnoCommerciale"), false},
            {QStringLiteral("CalcolaScadenzeFineMeseInizio"), false}};
        for (int i = 1; i <= instalments; ++i)
            values.insert(QStringLiteral("GG%1Scadenza").arg(i), 30 * i);
        return test::addRow(archive(), QStringLiteral("ModPagamento"), values);
    }

    double balance()
    {
        const core::Result<QVariant> read =
            archive().scalar(QStringLiteral("SELECT SaldoInizioAnno FROM Padroncini WHERE id = ?"), {owner});
        EXPECT_TRUE(read) << read.error().toStdString();
        return read ? core::arrotonda(read->toDouble()) : 0;
    }

    QList<double> amounts()
    {
        const core::Result<storage::Archive::Rows> rows = archive().readRows(
            QStringLiteral("SELECT Importo FROM PadronciniScadenze WHERE Padroncino_ID = ? ORDER BY Numero"),
            {owner});
        QList<double> found;
        if (rows)
            for (const QVariantList &row : rows->values)
                found.append(row.value(0).toDouble());
        return found;
    }

    InstalmentPlan plan(double total, qint64 mode)
    {
        return InstalmentPlan{owner, QDate(2026, 2, 1), QDate(2026, 2, 28), QDate(2026, 3, 1), total, mode};
    }

    qint64 instalment(const char *order = "ASC")
    {
        const core::Result<QVariant> key = archive().scalar(
            QStringLiteral(
                "SELECT Id FROM PadronciniScadenze WHERE Padroncino_ID = ? ORDER BY Numero %1 LIMIT 1")
                .arg(QLatin1String(order)),
            {owner});
        return key ? key->toLongLong() : 0;
    }

    std::unique_ptr<storage::Archive> m_archive = test::newArchive();
    qint64 owner = 0;
};

TEST_F(OwnerDrivers, ANewOwnerDriverStartsWithNoRatesAndNoBalance)
{
    const core::Result<QVariantMap> row = archive().readRow(QStringLiteral("Padroncini"), owner);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->value(QStringLiteral("TariffaGiornaliera")).toDouble(), 0);
    EXPECT_EQ(row->value(QStringLiteral("TariffaOraria")).toDouble(), 0);
    EXPECT_EQ(balance(), 0);
}

TEST_F(OwnerDrivers, TheHourlyRateIsAnEighthOfTheDailyOne)
{
    EXPECT_EQ(*hourlyRate(200), 25);
    EXPECT_EQ(*hourlyRate(99.99), 12.5);
    const core::Result<double> none = hourlyRate(0);
    ASSERT_FALSE(none);
    EXPECT_EQ(
        none.error(),
        QStringLiteral("Attenzione Inserisci la Tariffa giornaliera per poter calcolare la tariffa Oraria!"));
}

TEST_F(OwnerDrivers, APeriodIncludesItsWholeLastDayAndLeavesCancelledJobsOut)
{
    job(QDateTime(QDate(2026, 1, 31), QTime(23, 59, 59)), 1000); // the day before
    job(QDateTime(QDate(2026, 2, 1), QTime(0, 0)), 100);         // the first moment
    job(QDateTime(QDate(2026, 2, 15), QTime(10, 30)), 200);
    job(QDateTime(QDate(2026, 2, 28), QTime(8, 0)), 300);        // the last day, in the morning
    job(QDateTime(QDate(2026, 2, 28), QTime(23, 59, 59)), 400);  // its last second
    job(QDateTime(QDate(2026, 3, 1), QTime(0, 0)), 2000);        // the next period
    job(QDateTime(QDate(2026, 2, 10), QTime(9, 0)), 5000, true); // cancelled: not paid
    const qint64 other = *addOwnerDriver(archive());
    test::addRow(archive(), QStringLiteral("TotaliCo"),
                 {{QStringLiteral("Data"), QDateTime(QDate(2026, 2, 10), QTime(9, 0))},
                  {QStringLiteral("Padroncino_id"), other},
                  {QStringLiteral("CostoPadroncino"), 7000.0},
                  {QStringLiteral("Annullato"), false}});

    const core::Result<double> costs =
        ownerDriverJobCosts(archive(), owner, QDate(2026, 2, 1), QDate(2026, 2, 28));
    ASSERT_TRUE(costs) << costs.error().toStdString();
    EXPECT_EQ(*costs, 1000);
    EXPECT_EQ(*ownerDriverJobCosts(archive(), owner, QDate(2026, 2, 28), QDate(2026, 2, 28)), 700)
        << "one day is a whole period";
    EXPECT_EQ(*ownerDriverJobCosts(archive(), owner, QDate(2026, 4, 1), QDate(2026, 4, 30)), 0);
    EXPECT_EQ(totalWithVat(1000, 22), 1220);
    EXPECT_EQ(totalWithVat(33.33, 22), 40.66);
}

TEST_F(OwnerDrivers, TheGeneratorChecksItsBoxesInOrder)
{
    InstalmentPlan empty;
    empty.ownerDriver = owner;
    const auto failure = [](const InstalmentPlan &p) {
        const auto found = checkInstalmentPlan(p);
        return found ? found->field + u'|' + found->message : QString();
    };
    EXPECT_EQ(failure(empty),
              QStringLiteral("maskDa|Attenzione E' necessario definire la data di inizio..."));
    empty.from = QDate(2026, 2, 1);
    EXPECT_EQ(failure(empty), QStringLiteral("maskA|Attenzione E' necessario definire la data di fine..."));
    empty.to = QDate(2026, 2, 28);
    EXPECT_EQ(
        failure(empty),
        QStringLiteral("msDataRiferimento|Attenzione E' necessario definire la data di riferimento..."));
    empty.reference = QDate(2026, 3, 1);
    EXPECT_EQ(failure(empty), QStringLiteral("txtTotale|Attenzione E' necessario definire l'Importo..."));
    empty.total = 100;
    EXPECT_EQ(
        failure(empty),
        QStringLiteral("LookModPagamento|Attenzione E' necessario definire la modalità di pagamento..."));
    empty.paymentMode = paymentMode(1);
    EXPECT_EQ(failure(empty), QString());
    EXPECT_EQ(test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM PadronciniScadenze")), 0);
}

struct SplitCase
{
    int instalments;
    double total;
    QList<double> expected;
};

class InstalmentsAddUp : public OwnerDrivers, public ::testing::WithParamInterface<SplitCase>
{};

TEST_P(InstalmentsAddUp, ToTheTotalTheLastTakingTheCentsLeft)
{
    const SplitCase &split = GetParam();
    const qint64 mode = paymentMode(split.instalments);
    const core::Result<int> written = generateOwnerDriverInstalments(archive(), plan(split.total, mode));
    ASSERT_TRUE(written) << written.error().toStdString();
    EXPECT_EQ(*written, int(split.expected.size()));
    EXPECT_EQ(amounts(), split.expected);
    double sum = 0;
    for (const double amount : amounts())
        sum += amount;
    EXPECT_DOUBLE_EQ(core::arrotonda(sum), split.total);
    EXPECT_EQ(balance(), 0) << "instalments still to pay leave the balance alone";
    EXPECT_EQ(test::count(archive(),
                          QStringLiteral("SELECT COUNT(*) FROM PadronciniScadenze WHERE pagato = false AND "
                                         "DataPagamento IS NULL AND ModPagamento_Id = ?"),
                          {mode}),
              int(split.expected.size()));
}

INSTANTIATE_TEST_SUITE_P(
    OwnerDrivers, InstalmentsAddUp,
    ::testing::Values(SplitCase{1, 1000, {1000}}, SplitCase{3, 1000, {333.33, 333.33, 333.34}},
                      SplitCase{7, 1000, {142.86, 142.86, 142.86, 142.86, 142.86, 142.86, 142.84}},
                      SplitCase{3, 0.02, {0.01, 0.01, 0}}));

TEST_F(OwnerDrivers, InstalmentsFallDueByTheDaysOfThePaymentMode)
{
    ASSERT_TRUE(generateOwnerDriverInstalments(archive(), plan(900, paymentMode(3))));
    const core::Result<storage::Archive::Rows> rows = archive().readRows(QStringLiteral(
        "SELECT Numero, DataScadenza, DataRiferimento FROM PadronciniScadenze ORDER BY Numero"));
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->values.size(), 3);
    const QList<QDate> due{QDate(2026, 3, 31), QDate(2026, 4, 30), QDate(2026, 5, 30)};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(rows->values.at(i).at(0).toInt(), i + 1);
        EXPECT_EQ(storage::sqlvalue::toDate(rows->values.at(i).at(1)), due.at(i));
        EXPECT_EQ(storage::sqlvalue::toDate(rows->values.at(i).at(2)), QDate(2026, 3, 1));
    }
}

TEST_F(OwnerDrivers, AModeWithoutInstalmentsIsPaidOnTheReferenceDateAndLowersTheBalanceAtOnce)
{
    ASSERT_TRUE(
        archive().update(QStringLiteral("Padroncini"), owner, {{QStringLiteral("SaldoInizioAnno"), 2000.0}}));
    const core::Result<int> written = generateOwnerDriverInstalments(archive(), plan(750.5, paymentMode(0)));
    ASSERT_TRUE(written) << written.error().toStdString();
    EXPECT_EQ(*written, 1);
    const core::Result<QVariantMap> row =
        archive().readRow(QStringLiteral("PadronciniScadenze"), instalment());
    ASSERT_TRUE(row);
    EXPECT_TRUE(row->value(QStringLiteral("pagato")).toBool());
    EXPECT_EQ(storage::sqlvalue::toDate(row->value(QStringLiteral("DataScadenza"))), QDate(2026, 3, 1));
    EXPECT_EQ(storage::sqlvalue::toDate(row->value(QStringLiteral("DataPagamento"))), QDate(2026, 3, 1));
    EXPECT_EQ(row->value(QStringLiteral("Importo")).toDouble(), 750.5);
    EXPECT_EQ(balance(), 1249.5);

    // Deleting it gives the payment back.
    ASSERT_TRUE(deleteOwnerDriverInstalment(archive(), instalment()));
    EXPECT_EQ(balance(), 2000);
}

TEST_F(OwnerDrivers, TheBalanceFollowsEveryPaymentTakenBackChangedOrDeleted)
{
    ASSERT_TRUE(
        archive().update(QStringLiteral("Padroncini"), owner, {{QStringLiteral("SaldoInizioAnno"), 1000.0}}));
    ASSERT_TRUE(generateOwnerDriverInstalments(archive(), plan(1000, paymentMode(2))));
    EXPECT_EQ(balance(), 1000);
    const qint64 first = instalment("ASC");
    const qint64 second = instalment("DESC");

    // Paid: the balance goes down by the amount.
    ASSERT_TRUE(
        saveOwnerDriverInstalment(archive(), first, {{QStringLiteral("DataPagamento"), QDate(2026, 3, 31)}}));
    EXPECT_EQ(balance(), 500);
    EXPECT_TRUE(archive()
                    .readRow(QStringLiteral("PadronciniScadenze"), first)
                    ->value(QStringLiteral("pagato"))
                    .toBool());
    // Saved again without a change: nothing moves twice.
    ASSERT_TRUE(
        saveOwnerDriverInstalment(archive(), first, {{QStringLiteral("Note"), QStringLiteral("bonifico")}}));
    EXPECT_EQ(balance(), 500);
    // A paid amount corrected: the balance moves by the difference.
    ASSERT_TRUE(saveOwnerDriverInstalment(archive(), first, {{QStringLiteral("Importo"), 450.0}}));
    EXPECT_EQ(balance(), 550);
    // Taken back: the balance goes up again.
    ASSERT_TRUE(saveOwnerDriverInstalment(archive(), first, {{QStringLiteral("DataPagamento"), QVariant()}}));
    EXPECT_EQ(balance(), 1000);
    EXPECT_FALSE(archive()
                     .readRow(QStringLiteral("PadronciniScadenze"), first)
                     ->value(QStringLiteral("pagato"))
                     .toBool());
    // An unpaid amount changed or deleted never touches it.
    ASSERT_TRUE(saveOwnerDriverInstalment(archive(), first, {{QStringLiteral("Importo"), 500.0}}));
    EXPECT_EQ(balance(), 1000);

    // A paid one deleted gives its amount back, an unpaid one nothing.
    ASSERT_TRUE(saveOwnerDriverInstalment(archive(), second,
                                          {{QStringLiteral("DataPagamento"), QDate(2026, 4, 30)}}));
    EXPECT_EQ(balance(), 500);
    ASSERT_TRUE(deleteOwnerDriverInstalment(archive(), second));
    EXPECT_EQ(balance(), 1000);
    ASSERT_TRUE(deleteOwnerDriverInstalment(archive(), first));
    EXPECT_EQ(balance(), 1000);
    // A delete that finds nothing gives nothing back.
    EXPECT_FALSE(deleteOwnerDriverInstalment(archive(), second));
    EXPECT_EQ(balance(), 1000);
}

TEST_F(OwnerDrivers, AnInstalmentIsCheckedBeforeItIsSavedAndTheBalanceStaysWhenItIsRefused)
{
    const core::Result<qint64> added = addOwnerDriverInstalment(archive(), owner, QDate(2026, 3, 10));
    ASSERT_TRUE(added);
    const core::Result<QVariantMap> row = archive().readRow(QStringLiteral("PadronciniScadenze"), *added);
    EXPECT_EQ(row->value(QStringLiteral("Numero")).toInt(), 1);
    EXPECT_EQ(storage::sqlvalue::toDate(row->value(QStringLiteral("DataScadenza"))), QDate(2026, 3, 10));
    ASSERT_TRUE(addOwnerDriverInstalment(archive(), owner, QDate(2026, 3, 10)));
    EXPECT_EQ(test::count(archive(), QStringLiteral("SELECT MAX(Numero) FROM PadronciniScadenze")), 2);

    const core::Status refused = saveOwnerDriverInstalment(
        archive(), *added,
        {{QStringLiteral("Importo"), 300.0}, {QStringLiteral("DataPagamento"), QDate(2026, 3, 10)}});
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(), QStringLiteral("Attenzione manca la modalità di pagamento !!"));
    EXPECT_EQ(balance(), 0);
    ASSERT_TRUE(saveOwnerDriverInstalment(archive(), *added,
                                          {{QStringLiteral("Importo"), 300.0},
                                           {QStringLiteral("ModPagamento_Id"), paymentMode(1)},
                                           {QStringLiteral("DataPagamento"), QDate(2026, 3, 10)}}));
    EXPECT_EQ(balance(), -300);
}

TEST_F(OwnerDrivers, AnOwnerDriverNamedByJobOrdersIsNotDeleted)
{
    ASSERT_TRUE(generateOwnerDriverInstalments(archive(), plan(100, paymentMode(1))));
    job(QDateTime(QDate(2026, 2, 3), QTime(9, 0)), 100, false, 7);
    const core::Status refused = shell::deleteRegistryRow(archive(), ownerDriversRegistry(), owner);
    ASSERT_FALSE(refused);
    EXPECT_EQ(
        refused.error(),
        QStringLiteral(
            "Attenzione il padroncino è nelle commesse n. 7 del 03/02/2026: non può essere eliminato."));
    EXPECT_EQ(test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM Padroncini")), 1);
    EXPECT_EQ(test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM PadronciniScadenze")), 1);

    for (int number = 8; number < 14; ++number)
        job(QDateTime(QDate(2026, 2, 4), QTime(9, 0)), 10, false, number);
    EXPECT_TRUE(deleteOwnerDriver(archive(), owner).error().contains(QStringLiteral(" e in altre 2")));

    ASSERT_TRUE(archive().execute(QStringLiteral("DELETE FROM TotaliCo")));
    ASSERT_TRUE(shell::deleteRegistryRow(archive(), ownerDriversRegistry(), owner));
    EXPECT_EQ(test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM Padroncini")), 0);
    EXPECT_EQ(test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM PadronciniScadenze")), 0);
}

TEST_F(OwnerDrivers, AnExpiredDurcIsShownInRedAndRemindedOfAMonthAhead)
{
    const QDate today(2026, 3, 10);
    EXPECT_TRUE(durcExpired(storage::sqlvalue::date(today.addDays(-1)), today));
    EXPECT_FALSE(durcExpired(storage::sqlvalue::date(today), today));
    EXPECT_FALSE(durcExpired(QVariant(), today));

    ASSERT_TRUE(archive().update(QStringLiteral("Padroncini"), owner,
                                 {{QStringLiteral("ScadenzaDurc"), QDate(2026, 4, 9)}}));
    const qint64 later = *addOwnerDriver(archive());
    ASSERT_TRUE(archive().update(QStringLiteral("Padroncini"), later,
                                 {{QStringLiteral("RagioneSociale"), QStringLiteral("Verdi")},
                                  {QStringLiteral("ScadenzaDurc"), QDate(2026, 4, 10)}}));
    ASSERT_TRUE(addOwnerDriver(archive())); // no DURC recorded: nothing to remind

    const auto lists = shell::loadDueDateReminder(archive(), today);
    ASSERT_TRUE(lists) << lists.error().toStdString();
    const shell::ReminderList &durc = lists->last();
    EXPECT_EQ(durc.gridName, QStringLiteral("StringGrid6"));
    EXPECT_EQ(durc.window, QStringLiteral("TfrmPadronciniDettaglio"));
    ASSERT_EQ(durc.rows.size(), 1);
    EXPECT_EQ(durc.rows.first().at(0), QStringLiteral("09/04/2026"));
    EXPECT_EQ(durc.rows.first().at(durc.columnOf(QStringLiteral("Padroncino"))),
              QStringLiteral("Bianchi Autotrasporti"));
    EXPECT_EQ(durc.rows.first().at(durc.columnOf(durc.idField)).toLongLong(), owner);
    EXPECT_EQ(shell::loadDueDateReminder(archive(), today.addDays(1))->last().rows.size(), 2);
}

TEST_F(OwnerDrivers, ThePrintsKeepToTheOwnerDriverAndPeriodTheyAreGiven)
{
    ASSERT_TRUE(generateOwnerDriverInstalments(archive(), plan(300, paymentMode(3))));
    const qint64 other = *addOwnerDriver(archive());
    ASSERT_TRUE(
        generateOwnerDriverInstalments(archive(), InstalmentPlan{other, QDate(2026, 2, 1), QDate(2026, 2, 28),
                                                                 QDate(2026, 3, 1), 50.0, paymentMode(1)}));
    ASSERT_TRUE(saveOwnerDriverInstalment(archive(), instalment(),
                                          {{QStringLiteral("DataPagamento"), QDate(2026, 3, 31)}}));
    job(QDateTime(QDate(2026, 2, 28), QTime(8, 0)), 300);

    const auto rowsOf = [this](int code, const shell::ReportContext &context) {
        const shell::ReportSpec report = shell::reportSpec(code, context, {}, archive().dialect());
        const core::Result<storage::Archive::Rows> rows = archive().readRows(report.query);
        EXPECT_TRUE(rows) << code << rows.error().toStdString();
        return rows ? int(rows->values.size()) : -1;
    };
    EXPECT_EQ(rowsOf(16, {}), 3) << "every owner-driver's instalments to pay";
    EXPECT_EQ(rowsOf(17, {}), 1);
    shell::ReportContext mine;
    mine.partyKey = owner;
    EXPECT_EQ(rowsOf(16, mine), 2);
    EXPECT_EQ(rowsOf(17, mine), 1);
    mine.from = QDate(2026, 4, 1);
    mine.to = QDate(2026, 4, 30);
    EXPECT_EQ(rowsOf(16, mine), 1) << "the instalment due on 30/04 only";
    EXPECT_EQ(rowsOf(17, mine), 0) << "paid in March";
    shell::ReportContext february;
    february.from = QDate(2026, 2, 28);
    february.to = QDate(2026, 2, 28);
    EXPECT_EQ(rowsOf(39, february), 1) << "a job on the last morning is in the period";
    february.partyKey = other;
    EXPECT_EQ(rowsOf(39, february), 0);
    EXPECT_EQ(rowsOf(6, {}), 2);
}

} // namespace
