#include "shell/registrydescriptor.h"
#include "storage/archive.h"
#include "storage/listfilter.h"
#include "storage/recordlistmodel.h"
#include "storage/sqlvalue.h"
#include "support/testarchive.h"
#include "transport/joborders.h"
#include "transport/quotes.h"

#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::transport;

namespace {

const char *const childArchive = "ROTALINA_JOB_CHILD_ARCHIVE";
constexpr int jobsPerChild = 12;

class JobOrders : public ::testing::Test
{
protected:
    storage::Archive &archive() { return *m_archive; }

    void setOption(const char *field, const QVariant &value)
    {
        ASSERT_TRUE(archive().execute(QStringLiteral("UPDATE opzioni SET %1 = ?").arg(QLatin1String(field)),
                                      {value}));
    }

    qint64 job(const QDate &today = QDate(2026, 3, 10))
    {
        const core::Result<qint64> key = createJobOrder(archive(), {today, false});
        EXPECT_TRUE(key) << key.error().toStdString();
        return key ? *key : 0;
    }

    qint64 vehicle(const QString &plate, double kilometres)
    {
        return test::addRow(archive(), QStringLiteral("Vetture"),
                            {{QStringLiteral("Targa"), plate}, {QStringLiteral("Chilometri"), kilometres}});
    }

    double odometer(qint64 vehicle)
    {
        return value(QStringLiteral("SELECT Chilometri FROM Vetture WHERE ID = ?"), {vehicle}).toDouble();
    }

    qint64 tariff(const QVariantMap &values)
    {
        QVariantMap row{{QStringLiteral("Descrizione"), QStringLiteral("Trasporto")},
                        {QStringLiteral("Prezzo"), 100.0},
                        {QStringLiteral("AliquotaIva"), 22.0},
                        {QStringLiteral("Iva_Id"), 1},
                        {QStringLiteral("Annullato"), false}};
        row.insert(values);
        return test::addRow(archive(), QStringLiteral("prezziar"), row);
    }

    QVariant value(const QString &sql, const QVariantList &params = {})
    {
        const core::Result<QVariant> read = archive().scalar(sql, params);
        EXPECT_TRUE(read) << read.error().toStdString();
        return read ? *read : QVariant();
    }

    QVariant rowValue(qint64 row, const char *field)
    {
        return value(QStringLiteral("SELECT %1 FROM Conti WHERE IDX = ?").arg(QLatin1String(field)), {row});
    }

    void setPlate(qint64 job, const QString &plate)
    {
        ASSERT_TRUE(archive().update(QStringLiteral("TotaliCo"), job, {{QStringLiteral("Targa1"), plate}}));
    }

    std::unique_ptr<storage::Archive> m_archive = test::newArchive();
};

TEST_F(JobOrders, NumbersFollowTheOpenJobOrdersThatAreNotCancelledAndTheReturnIsAtTheOptionsHour)
{
    setOption("ProgrammazioneOraFine", 18);
    const qint64 first = job(QDate(2026, 3, 10));
    EXPECT_EQ(value(QStringLiteral("SELECT Numero FROM TotaliCo WHERE ID = ?"), {first}).toInt(), 1);
    EXPECT_EQ(storage::sqlvalue::toDateTime(
                  value(QStringLiteral("SELECT DataRientro FROM TotaliCo WHERE ID = ?"), {first})),
              QDateTime(QDate(2026, 3, 10), QTime(18, 59, 59)));
    EXPECT_EQ(jobReturnTime(QDate(2026, 3, 10), 0), QDateTime(QDate(2026, 3, 10), QTime(23, 59, 59)));
    for (int n = 2; n <= 5; ++n)
        job();
    ASSERT_TRUE(archive().execute(QStringLiteral("UPDATE TotaliCo SET Annullato = true WHERE Numero = 5")));
    const qint64 next = job();
    EXPECT_EQ(value(QStringLiteral("SELECT Numero FROM TotaliCo WHERE ID = ?"), {next}).toInt(), 5)
        << "a cancelled last number is given again";
    // Archived job orders count apart: the numbering starts again after the year is closed.
    ASSERT_TRUE(archive().execute(QStringLiteral("UPDATE TotaliCo SET Storico = true")));
    EXPECT_EQ(value(QStringLiteral("SELECT Numero FROM TotaliCo WHERE ID = ?"), {job()}).toInt(), 1);
}

TEST_F(JobOrders, TheHeaderNeedsDateNumberPlateCustomerAndADriverOrAnOwnerDriver)
{
    const shell::RecordChecks checks = jobOrderChecks();
    QVariantMap values{{QStringLiteral("Data"), QDate(2026, 3, 10)},
                       {QStringLiteral("Numero"), 1},
                       {QStringLiteral("Targa1"), QStringLiteral("AB123CD")},
                       {QStringLiteral("Cliente_Id"), 3}};
    auto failure = checks.firstFailure(values);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message, QStringLiteral("Attenzione manca l' autista o il padroncino"));
    values.insert(QStringLiteral("Padroncino_id"), 2);
    EXPECT_FALSE(checks.firstFailure(values)) << "an owner-driver alone is enough";
    values.remove(QStringLiteral("Targa1"));
    failure = checks.firstFailure(values);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message, QStringLiteral("Attenzione manca la targa"));
}

TEST_F(JobOrders, TariffRowsTakeTheCustomersDiscountUnlessThePriceIsFixedAndNameTheRoute)
{
    setOption("DescrizioneDocumentiTariffario", true);
    const qint64 customer = test::addRow(archive(), QStringLiteral("Clienti"),
                                         {{QStringLiteral("NominativoVisualizzato"), QStringLiteral("Alfa")},
                                          {QStringLiteral("Sconto"), 5.0}});
    const qint64 from = test::addRow(archive(), QStringLiteral("Comuni"),
                                     {{QStringLiteral("Comune"), QStringLiteral("Parma")}});
    const qint64 to = test::addRow(archive(), QStringLiteral("Comuni"),
                                   {{QStringLiteral("Comune"), QStringLiteral("Milano")}});
    const qint64 fixed = tariff({{QStringLiteral("Sconto"), 10.0}, {QStringLiteral("PrezzoImposto"), true}});
    const qint64 open = tariff({{QStringLiteral("Partenza_ID"), from},
                                {QStringLiteral("Fine_ID"), to},
                                {QStringLiteral("PrezzoFornitore"), 60.0}});
    const qint64 nameless =
        tariff({{QStringLiteral("Descrizione"), QVariant()}, {QStringLiteral("Partenza_ID"), from}});
    const qint64 key = job();
    ASSERT_TRUE(
        archive().update(QStringLiteral("TotaliCo"), key, {{QStringLiteral("Cliente_Id"), customer}}));

    const core::Result<QList<qint64>> rows = addJobTariffRows(archive(), key, {fixed, open, nameless});
    ASSERT_TRUE(rows) << rows.error().toStdString();
    ASSERT_EQ(rows->size(), 3);
    EXPECT_DOUBLE_EQ(rowValue(rows->at(0), "Sconto").toDouble(), 10) << "a fixed price keeps its discount";
    EXPECT_DOUBLE_EQ(rowValue(rows->at(1), "Sconto").toDouble(), 5) << "the customer's replaces none";
    EXPECT_EQ(rowValue(rows->at(1), "Descrizione").toString(), QStringLiteral("Trasporto Da:Parma A:Milano"));
    EXPECT_DOUBLE_EQ(rowValue(rows->at(1), "Costo").toDouble(), 60);
    EXPECT_TRUE(rowValue(rows->at(2), "Descrizione").isNull()) << "no description, no route";
    EXPECT_EQ(rowValue(rows->at(0), "TipoRiga").toString(), QStringLiteral("N"));
    EXPECT_EQ(rowValue(rows->at(2), "NumeroRiga").toInt(), 1) << "row numbers stay at 1 without the option";
    EXPECT_DOUBLE_EQ(
        value(QStringLiteral("SELECT TotImponibile FROM TotaliCo WHERE ID = ?"), {key}).toDouble(),
        90 + 95 + 95);
    EXPECT_DOUBLE_EQ(value(QStringLiteral("SELECT Costo FROM TotaliCo WHERE ID = ?"), {key}).toDouble(), 60);
}

TEST_F(JobOrders, ARowOfTwoAtTenWithTenPercentOffAndVatAtTwentyTwo)
{
    setOption("IncrementaNumeroRigaArticoli", true);
    setOption("AliquotaIva", 22.0);
    setOption("Iva_Id", 1);
    const qint64 key = job();
    const core::Result<qint64> free = addJobFreeRow(archive(), key);
    ASSERT_TRUE(free) << free.error().toStdString();
    EXPECT_EQ(rowValue(*free, "Descrizione").toString(), QStringLiteral("Articolo da inserire"));
    EXPECT_EQ(rowValue(*free, "TipoRiga").toString(), QStringLiteral("A"));
    ASSERT_TRUE(saveJobRow(archive(), *free,
                           {{QStringLiteral("Um"), 2.0},
                            {QStringLiteral("ValoreUnitario"), 10.0},
                            {QStringLiteral("Sconto"), 10.0}}));
    EXPECT_DOUBLE_EQ(rowValue(*free, "TotaleImponibile").toDouble(), 18);
    EXPECT_DOUBLE_EQ(rowValue(*free, "ValoreTotale").toDouble(), 21.96);
    EXPECT_DOUBLE_EQ(value(QStringLiteral("SELECT TotFattura FROM TotaliCo WHERE ID = ?"), {key}).toDouble(),
                     21.96);
    const core::Result<qint64> second = addJobFreeRow(archive(), key);
    ASSERT_TRUE(second);
    EXPECT_EQ(rowValue(*second, "NumeroRiga").toInt(), 2);

    const shell::RecordChecks checks = pricedRowChecks();
    const auto minutes = [&checks](const QVariant &typed) {
        const auto failure = checks.firstFailure({{QStringLiteral("Um"), 1.0},
                                                  {QStringLiteral("ValoreUnitario"), 1.0},
                                                  {QStringLiteral("AliquotaIva"), 22.0},
                                                  {QStringLiteral("TempoMinuti"), typed}});
        return failure ? failure->message : QString();
    };
    EXPECT_EQ(minutes(60), QString());
    EXPECT_EQ(minutes(61), QStringLiteral("Attenzione i minuti devono essere tra 0 e 60 !"));
    EXPECT_EQ(minutes(-1), QStringLiteral("Attenzione i minuti devono essere tra 0 e 60 !"));
}

TEST_F(JobOrders, TheOdometerEndsWhereItStartedWhateverIsAddedChangedAndRemoved)
{
    setOption("IncrementaChilometriDaCommesse", true);
    const qint64 truck = vehicle(QStringLiteral("AB123CD"), 1000);
    const qint64 route = tariff({{QStringLiteral("Chilometri"), 120.0}});
    const qint64 key = job();
    setPlate(key, QStringLiteral("AB123CD"));

    const core::Result<QList<qint64>> added = addJobTariffRows(archive(), key, {route});
    ASSERT_TRUE(added);
    EXPECT_DOUBLE_EQ(odometer(truck), 1120);
    ASSERT_TRUE(saveJobRow(archive(), added->first(), {{QStringLiteral("Chilometri"), 100.0}}));
    EXPECT_DOUBLE_EQ(odometer(truck), 1100);
    ASSERT_TRUE(deleteJobRow(archive(), added->first()));
    EXPECT_DOUBLE_EQ(odometer(truck), 1000);

    // The whole job: every row's kilometres go back.
    ASSERT_TRUE(addJobTariffRows(archive(), key, {route, route}));
    EXPECT_DOUBLE_EQ(odometer(truck), 1240);
    ASSERT_TRUE(deleteJobOrder(archive(), key));
    EXPECT_DOUBLE_EQ(odometer(truck), 1000);

    // Without the option, or with a plate of no vehicle, nothing moves.
    const qint64 other = job();
    setPlate(other, QStringLiteral("ZZ999ZZ"));
    ASSERT_TRUE(addJobTariffRows(archive(), other, {route}));
    EXPECT_DOUBLE_EQ(odometer(truck), 1000);
    setOption("IncrementaChilometriDaCommesse", false);
    setPlate(other, QStringLiteral("AB123CD"));
    ASSERT_TRUE(addJobTariffRows(archive(), other, {route}));
    EXPECT_DOUBLE_EQ(odometer(truck), 1000);
}

TEST_F(JobOrders, DeletingAJobTakesItsPalletsAndQuoteLinksAndABilledOneIsRefused)
{
    const qint64 key = job();
    ASSERT_TRUE(addJobFreeRow(archive(), key));
    const qint64 quote = test::addRow(archive(), QStringLiteral("PreventiTestata"),
                                      {{QStringLiteral("Numero"), 7}, {QStringLiteral("Chiuso"), true}});
    test::addRow(archive(), QStringLiteral("CommessePreventiviRighe"),
                 {{QStringLiteral("Conto_ID"), key}, {QStringLiteral("Preventivo_ID"), quote}});
    const core::Result<qint64> pallet = jobPalletsRegistry().add(archive(), key);
    ASSERT_TRUE(pallet) << pallet.error().toStdString();
    EXPECT_EQ(
        value(QStringLiteral("SELECT PedaneRicevute FROM CommesseBancali WHERE ID = ?"), {*pallet}).toInt(),
        0);

    const qint64 invoice =
        test::addRow(archive(), QStringLiteral("fattura"),
                     {{QStringLiteral("Num"), 12}, {QStringLiteral("Data"), QDate(2026, 3, 31)}});
    const qint64 link =
        test::addRow(archive(), QStringLiteral("FatturaContiRighe"),
                     {{QStringLiteral("Fattura_ID"), invoice}, {QStringLiteral("Conto_ID"), key}});
    const core::Status refused = deleteJobOrder(archive(), key);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(),
              QStringLiteral("Attenzione la Commessa è nella fattura n. 12 del 31/03/2026: per "
                             "eliminarla toglierla prima dalla fattura."));
    EXPECT_EQ(test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM Conti")), 1)
        << "nothing half-deleted";

    ASSERT_TRUE(archive().remove(QStringLiteral("FatturaContiRighe"), link));
    ASSERT_TRUE(deleteJobOrder(archive(), key));
    for (const char *table : {"TotaliCo", "Conti", "CommesseBancali", "CommessePreventiviRighe"})
        EXPECT_EQ(test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table))),
                  0)
            << table;
    EXPECT_FALSE(value(QStringLiteral("SELECT Chiuso FROM PreventiTestata WHERE ID = ?"), {quote}).toBool())
        << "the quote is offered again";
}

TEST_F(JobOrders, ListTotalsAreThoseOfTheListedJobOrders)
{
    const qint64 alfa = test::addRow(archive(), QStringLiteral("Indirizzi"),
                                     {{QStringLiteral("RagioneSociale"), QStringLiteral("Alfa")}});
    for (int n = 0; n < 3; ++n) {
        const qint64 key = job(QDate(2026, 3, 10 + n));
        ASSERT_TRUE(
            archive().update(QStringLiteral("TotaliCo"), key,
                             {{QStringLiteral("TotImponibile"), 100.0 * (n + 1)},
                              {QStringLiteral("TotFattura"), 122.0 * (n + 1)},
                              {QStringLiteral("CostoPadroncino"), 10.0},
                              {QStringLiteral("TotColli"), 2.0},
                              {QStringLiteral("Destinatario_ID"), n == 1 ? QVariant(alfa) : QVariant()}}));
    }
    const auto listed = [this](const storage::ListFilter &filter) {
        // The list reads the same job orders as its totals.
        storage::RecordListModel records(archive(), QStringLiteral("ID"));
        records.setStatement(shell::registryListStatement(jobOrdersRegistry(), filter.conditions()),
                             filter.parameters());
        EXPECT_TRUE(records.reload());
        const core::Result<JobListTotals> totals = jobListTotals(archive(), filter);
        EXPECT_TRUE(totals) << totals.error().toStdString();
        EXPECT_EQ(records.rowCount(), totals ? int(totals->packages / 2) : -1);
        return totals ? *totals : JobListTotals{};
    };
    storage::ListFilter filter(archive().dialect());
    filter.equals(QStringLiteral("Storico"), false);
    const JobListTotals all = listed(filter);
    EXPECT_DOUBLE_EQ(all.taxable, 600);
    EXPECT_DOUBLE_EQ(all.total, 732);
    EXPECT_DOUBLE_EQ(all.ownerDriverCosts, 30);
    EXPECT_DOUBLE_EQ(all.packages, 6);
    // A condition on a field the list does not show (the consignee) and the whole last day.
    filter.equals(QStringLiteral("Destinatario_ID"), alfa);
    filter.dateTo(QStringLiteral("Data"), QDate(2026, 3, 11));
    EXPECT_DOUBLE_EQ(listed(filter).taxable, 200);
}

TEST_F(JobOrders, TheLetterOfIntentWarnsOnlyWithVatInItsPeriod)
{
    const qint64 customer =
        test::addRow(archive(), QStringLiteral("Clienti"),
                     {{QStringLiteral("NominativoVisualizzato"), QStringLiteral("Esportatore")},
                      {QStringLiteral("LetteraIntento_DataInizio"), QDate(2026, 1, 1)},
                      {QStringLiteral("LetteraIntento_DataFine"), QDate(2026, 12, 31)}});
    const qint64 key = job(QDate(2026, 3, 10));
    ASSERT_TRUE(
        archive().update(QStringLiteral("TotaliCo"), key, {{QStringLiteral("Cliente_Id"), customer}}));
    EXPECT_FALSE(*letterOfIntentApplies(archive(), key)) << "no rows with VAT";
    ASSERT_TRUE(addJobTariffRows(archive(), key, {tariff({})}));
    EXPECT_TRUE(*letterOfIntentApplies(archive(), key));
    ASSERT_TRUE(
        archive().update(QStringLiteral("TotaliCo"), key, {{QStringLiteral("Data"), QDate(2027, 1, 2)}}));
    EXPECT_FALSE(*letterOfIntentApplies(archive(), key)) << "outside the letter's period";
}

TEST_F(JobOrders, EveryChoiceOfTheWindowsReadsTheArchive)
{
    QList<shell::RegistryField> fields;
    for (const shell::DocumentDescriptor *document : {&jobOrderDocument(), &quoteDocument()})
        for (const shell::DocumentTab &tab : document->tabs)
            fields += tab.fields;
    fields += jobRowsRegistry().fields;
    fields += jobPalletsRegistry().fields;
    fields += quoteRowsRegistry().fields;
    for (const shell::RegistryField &field : std::as_const(fields)) {
        if (!field.lookupSql.isEmpty()) {
            const auto read = archive().readRows(field.lookupSql);
            EXPECT_TRUE(read) << field.field.toStdString() << ": " << read.error().toStdString();
        }
        if (!field.copySql.isEmpty()) {
            const auto read = archive().readRows(field.copySql, {0});
            EXPECT_TRUE(read) << field.field.toStdString() << ": " << read.error().toStdString();
        }
    }
    for (const shell::RegistryDescriptor *list :
         {&jobOrdersRegistry(), &jobRowsRegistry(), &jobPalletsRegistry()}) {
        const auto read = archive().readRows(shell::registryListStatement(*list, {}));
        EXPECT_TRUE(read) << list->table.toStdString() << ": " << read.error().toStdString();
    }
}

// Run as a separate process by the test below: creates job orders on the archive it is given.
TEST(JobNumbering, WorkstationCreatingJobOrders)
{
    const QString location = qEnvironmentVariable(childArchive);
    if (location.isEmpty())
        GTEST_SKIP() << "run by JobNumbering.FourWorkstationsAtOnce as one of its workstations";
    const auto parsed = storage::ArchiveLocation::parse(location);
    ASSERT_TRUE(parsed) << parsed.error().toStdString();
    auto archive = storage::Archive::open(*parsed);
    ASSERT_TRUE(archive) << archive.error().toStdString();
    for (int i = 0; i < jobsPerChild; ++i) {
        const auto key = createJobOrder(**archive, {QDate(2026, 3, 10), false});
        ASSERT_TRUE(key) << key.error().toStdString();
    }
}

TEST(JobNumbering, FourWorkstationsAtOnce)
{
    auto archive = test::newArchive();
    test::runAsWorkstations(QStringLiteral("JobNumbering.WorkstationCreatingJobOrders"), childArchive,
                            *archive);
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM TotaliCo")), 4 * jobsPerChild);
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(DISTINCT Numero) FROM TotaliCo")),
              4 * jobsPerChild);
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT MAX(Numero) FROM TotaliCo")), 4 * jobsPerChild);
}

} // namespace
