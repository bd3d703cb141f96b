#include "invoicing/instalments.h"
#include "invoicingfixture.h"
#include "purchases/cashbook.h"
#include "purchases/duedatebook.h"
#include "purchases/purchases.h"
#include "shell/registrydescriptor.h"
#include "storage/listfilter.h"
#include "storage/sqlvalue.h"
#include "support/testarchive.h"

#include <QColor>
#include <QCoreApplication>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::purchases;

namespace {

const char *const childArchive = "ROTALINA_CUMULATIVE_CHILD_ARCHIVE";
const char *const childSupplier = "ROTALINA_CUMULATIVE_CHILD_SUPPLIER";

class CashBook : public ::testing::Test
{
protected:
    storage::Archive &archive() { return data.archive(); }

    qint64 entry(const QDate &date, double income, double spending, int kind = 1, const QVariant &bank = {},
                 const QString &text = QStringLiteral("Movimento"))
    {
        return test::addRow(archive(), QStringLiteral("finanzia"),
                            {{QStringLiteral("Data"), date},
                             {QStringLiteral("Operazione"), text},
                             {QStringLiteral("Entrata"), income},
                             {QStringLiteral("Uscita"), spending},
                             {QStringLiteral("Tipologia_ID"), kind},
                             {QStringLiteral("Banca_ID"), bank},
                             {QStringLiteral("Storico"), false},
                             {QStringLiteral("Tipo"), QStringLiteral("A")}});
    }

    CashBookTotals totals(const storage::ListFilter &filter, const QDate &until = {},
                          const QVariant &bank = {})
    {
        const core::Result<CashBookTotals> read = cashBookTotals(archive(), filter, until, bank);
        EXPECT_TRUE(read) << read.error().toStdString();
        return read ? *read : CashBookTotals{};
    }

    int count(const QString &sql, const QVariantList &params = {})
    {
        return test::count(archive(), sql, params);
    }

    test::InvoicingArchive data;
};

TEST_F(CashBook, TotalsAreThoseOfTheListedRowsAndTheBalanceCountsEveryEarlierMovement)
{
    data.setOption("SaldoInizialePrimaNota", 1000.0);
    const qint64 bank = test::addRow(archive(), QStringLiteral("Bank"),
                                     {{QStringLiteral("Banca"), QStringLiteral("Banca Alfa")},
                                      {QStringLiteral("SaldoInizioAnno"), 500.0}});
    entry(QDate(2025, 12, 31), 200, 0);    // last year: not listed, in the balance
    entry(QDate(2026, 1, 10), 100.005, 0); // half a cent, rounded once
    entry(QDate(2026, 2, 1), 0, 40.10, 2, bank, QStringLiteral("Bonifico gasolio"));
    entry(QDate(2026, 2, 2), 10, 0, 2, bank, QStringLiteral("Accredito"));
    entry(QDate(2026, 3, 5), 0, 0.1 + 0.2, 3); // a sum that is not exact in binary

    storage::ListFilter thisYear(archive().dialect());
    const shell::ListScope scope = currentCashBookScope(QDate(2026, 3, 10));
    thisYear.condition(scope.condition, scope.parameters);
    const CashBookTotals year = totals(thisYear);
    EXPECT_DOUBLE_EQ(year.income, 110.01);
    EXPECT_DOUBLE_EQ(year.spending, 40.40);
    EXPECT_DOUBLE_EQ(year.difference, 69.61);
    EXPECT_DOUBLE_EQ(year.balance, 1269.61) << "the options' opening balance and every movement";

    // The bank's entries only, with a description prefix: the totals cover the rows shown, the
    // balance is the bank's own.
    storage::ListFilter ofBank = thisYear;
    addCashBookConditions(ofBank, CashKind::Bank, bank);
    ofBank.startsWith(QStringLiteral("finanzia.Operazione"), QStringLiteral("Bonifico"));
    const CashBookTotals bankTotals = totals(ofBank, {}, bank);
    EXPECT_DOUBLE_EQ(bankTotals.income, 0);
    EXPECT_DOUBLE_EQ(bankTotals.spending, 40.10);
    EXPECT_DOUBLE_EQ(bankTotals.balance, 469.90);

    // A balance up to a day counts that whole day and nothing after it.
    const CashBookTotals toFebruary = totals(thisYear, QDate(2026, 2, 1));
    EXPECT_DOUBLE_EQ(toFebruary.balance, 1259.91);
    storage::ListFilter outside(archive().dialect());
    addCashBookConditions(outside, CashKind::Outside, {});
    EXPECT_DOUBLE_EQ(totals(outside).spending, 0.30);
}

TEST_F(CashBook, AnEntryOfADocumentIsTheDocumentsWhileDocumentsAreMirrored)
{
    data.setOption("DuplicaFatturazioneInPrimaNota", true);
    const qint64 mode = data.paymentMode(1, {30});
    const qint64 customer = data.customer(QStringLiteral("Alfa"));
    const qint64 invoice = data.invoice(customer, mode, QDate(2026, 3, 1));
    data.row(invoice, 1, 100, 22);
    const qint64 instalment = test::count(
        archive(), QStringLiteral("SELECT MIN(Id) FROM FatturaScadenze WHERE Fattura_ID = ?"), {invoice});
    ASSERT_TRUE(invoicing::saveInstalment(archive(), instalment,
                                          {{QStringLiteral("DataPagamento"), QDate(2026, 3, 20)}}));
    const qint64 payment =
        count(QStringLiteral("SELECT ID FROM finanzia WHERE FatturaScadenze_Id = ?"), {instalment});
    ASSERT_GT(payment, 0);
    const core::Result<bool> owned = belongsToDocument(archive(), payment);
    ASSERT_TRUE(owned);
    EXPECT_TRUE(*owned);
    const core::Status refused = deleteCashEntry(archive(), payment);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(), entryOfDocumentMessage());

    // Without the mirror it is an entry like any other; its instalment no longer points to it.
    data.setOption("DuplicaFatturazioneInPrimaNota", false);
    ASSERT_TRUE(deleteCashEntry(archive(), payment));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM finanzia WHERE ID = ?"), {payment}), 0);
    EXPECT_EQ(
        count(QStringLiteral("SELECT COUNT(*) FROM FatturaScadenze WHERE Id = ? AND Finanzia_id IS NULL"),
              {instalment}),
        1);

    // The entry's checks: a day's takings need their VAT code.
    const shell::RecordChecks checks = cashEntryChecks();
    QVariantMap values{{QStringLiteral("Data"), QDate(2026, 3, 1)},
                       {QStringLiteral("Operazione"), QStringLiteral("Incasso")},
                       {QStringLiteral("Corrispettivi"), true}};
    ASSERT_TRUE(checks.firstFailure(values));
    EXPECT_EQ(checks.firstFailure(values)->message, QStringLiteral("Attenzione manca l'Aliquota Iva"));
    values.insert(QStringLiteral("Corrispettivi"), false);
    EXPECT_FALSE(checks.firstFailure(values));
    values.remove(QStringLiteral("Operazione"));
    EXPECT_EQ(checks.firstFailure(values)->message, QStringLiteral("Attenzione manca l'Operazione"));
}

TEST(DueDateBook, OnlyUnpaidInstalmentsDueBeforeTodayAreRed)
{
    const QDate today(2026, 3, 10);
    EXPECT_TRUE(overdueColour(QDate(2026, 3, 9), QVariant(), today).isValid());
    EXPECT_FALSE(overdueColour(QDate(2026, 3, 10), QVariant(), today).isValid())
        << "due today is not late yet";
    EXPECT_FALSE(overdueColour(QDate(2026, 3, 9), QDate(2026, 3, 9), today).isValid()) << "paid";
    EXPECT_FALSE(overdueColour(QVariant(), QVariant(), today).isValid());
}

class CumulativePayments : public CashBook
{
protected:
    void SetUp() override
    {
        data.setOption("DuplicaFatturazioneInPrimaNota", true);
        supplier = test::addRow(archive(), QStringLiteral("Fornitor"),
                                {{QStringLiteral("Fornitore"), QStringLiteral("Gasolio Nord")}});
        threeMonths = data.paymentMode(3, {30, 60, 90});
        bank = test::addRow(archive(), QStringLiteral("Bank"),
                            {{QStringLiteral("Banca"), QStringLiteral("Banca Beta")}});
    }

    // A purchase invoice of 1220.00 in three instalments.
    qint64 invoice(const QString &number)
    {
        NewPurchase request;
        request.today = QDate(2026, 1, 15);
        const core::Result<qint64> key = createPurchase(archive(), request);
        EXPECT_TRUE(key);
        EXPECT_TRUE(savePurchaseHeader(archive(), *key,
                                       {{QStringLiteral("Fornitore_ID"), supplier},
                                        {QStringLiteral("ModPagamento_Id"), threeMonths},
                                        {QStringLiteral("NumeroCarico"), number}}));
        const core::Result<qint64> row = addPurchaseRow(archive(), *key, request.today);
        EXPECT_TRUE(row);
        EXPECT_TRUE(savePurchaseRow(archive(), PurchaseDocument::Invoice, *row,
                                    {{QStringLiteral("Um"), 1.0},
                                     {QStringLiteral("ValoreUnitario"), 1000.0},
                                     {QStringLiteral("AliquotaIva"), 22.0}}));
        return *key;
    }

    QList<qint64> instalmentsOf(qint64 document)
    {
        const core::Result<storage::Archive::Rows> rows = archive().readRows(
            QStringLiteral("SELECT Id FROM FatturaScadenze WHERE Fattura_ID = ? ORDER BY Numero"),
            {document});
        QList<qint64> keys;
        for (const QVariantList &row : rows->values)
            keys << row.value(0).toLongLong();
        return keys;
    }

    qint64 supplier = 0;
    qint64 threeMonths = 0;
    qint64 bank = 0;
};

TEST_F(CumulativePayments, SeveralInstalmentsArePaidTogetherWithTheirEntriesOnTheRightSide)
{
    const qint64 first = invoice(QStringLiteral("A-1"));
    const qint64 second = invoice(QStringLiteral("A-2"));
    const QList<qint64> ofFirst = instalmentsOf(first);
    const QList<qint64> ofSecond = instalmentsOf(second);
    ASSERT_EQ(ofFirst.size(), 3);
    CumulativePayment payment(archive(), QStringLiteral("UFFICIO1"), BookParty::Suppliers, supplier);
    ASSERT_TRUE(payment.start());
    ASSERT_TRUE(payment.choose(ofFirst.at(0)));
    ASSERT_TRUE(payment.choose(ofFirst.at(0))) << "choosing twice chooses once";
    ASSERT_TRUE(payment.choose(ofSecond.at(0)));
    core::Result<CumulativePayment::Totals> totals = payment.totals();
    ASSERT_TRUE(totals);
    EXPECT_DOUBLE_EQ(totals->due, 2440.0);
    EXPECT_DOUBLE_EQ(totals->chosen, 813.34) << "406.67 each, the first instalment carrying the cent";
    EXPECT_DOUBLE_EQ(totals->remaining, 1626.66);
    EXPECT_EQ(
        count(QStringLiteral("SELECT COUNT(*) FROM FatturaScadenze WHERE TemporaneaSelezionata = ?"), {true}),
        0)
        << "the choice is the workstation's alone";

    const core::Result<CumulativePayment::Outcome> paid =
        payment.pay({QDate(2026, 2, 20), threeMonths, QStringLiteral("Bonifico unico"), bank});
    ASSERT_TRUE(paid) << paid.error().toStdString();
    EXPECT_EQ(paid->paid, 2);
    EXPECT_TRUE(paid->alreadyPaid.isEmpty());
    for (const qint64 key : {ofFirst.at(0), ofSecond.at(0)}) {
        const core::Result<QVariantMap> row = archive().readRow(QStringLiteral("FatturaScadenze"), key);
        ASSERT_TRUE(row);
        EXPECT_TRUE(row->value(QStringLiteral("Pagato")).toBool());
        EXPECT_EQ(storage::sqlvalue::toDate(row->value(QStringLiteral("DataPagamento"))), QDate(2026, 2, 20));
        EXPECT_EQ(row->value(QStringLiteral("Dettagli")).toString(), QStringLiteral("Bonifico unico"));
        EXPECT_EQ(row->value(QStringLiteral("Banca_ID")).toLongLong(), bank);
        // A purchase's payment goes out of the cash.
        const core::Result<storage::Archive::Rows> entry = archive().readRows(
            QStringLiteral("SELECT Entrata, Uscita, Banca_ID FROM finanzia WHERE FatturaScadenze_Id = ?"),
            {key});
        ASSERT_TRUE(entry);
        ASSERT_EQ(entry->values.size(), 1);
        EXPECT_DOUBLE_EQ(entry->values.first().at(0).toDouble(), 0.0);
        EXPECT_DOUBLE_EQ(entry->values.first().at(1).toDouble(), 406.67);
        EXPECT_EQ(entry->values.first().at(2).toLongLong(), bank);
    }
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TempFatturaScadenzeCumulativo")), 0);
    totals = payment.totals();
    EXPECT_DOUBLE_EQ(totals->due, 1626.66);

    // Nothing chosen: refused with the window's message.
    const core::Result<CumulativePayment::Outcome> nothing = payment.pay({QDate(2026, 2, 21), {}, {}, {}});
    ASSERT_FALSE(nothing);
    EXPECT_EQ(nothing.error(), CumulativePayment::nothingChosenMessage());
}

TEST_F(CumulativePayments, AnInstalmentPaidMeanwhileElsewhereIsNamedAndNotPaidAgain)
{
    const qint64 document = invoice(QStringLiteral("B-1"));
    const QList<qint64> keys = instalmentsOf(document);
    CumulativePayment here(archive(), QStringLiteral("UFFICIO1"), BookParty::Suppliers, supplier);
    ASSERT_TRUE(here.start());
    ASSERT_TRUE(here.chooseAll());
    // Another workstation pays the second one by hand first.
    ASSERT_TRUE(invoicing::saveInstalment(archive(), keys.at(1),
                                          {{QStringLiteral("DataPagamento"), QDate(2026, 2, 1)}}));
    const core::Result<CumulativePayment::Outcome> paid = here.pay({QDate(2026, 2, 20), threeMonths, {}, {}});
    ASSERT_TRUE(paid);
    EXPECT_EQ(paid->paid, 2);
    ASSERT_EQ(paid->alreadyPaid.size(), 1);
    EXPECT_TRUE(paid->alreadyPaid.first().startsWith(QStringLiteral("2° Rata")))
        << paid->alreadyPaid.first().toStdString();
    EXPECT_EQ(storage::sqlvalue::toDate(archive()
                                            .readRow(QStringLiteral("FatturaScadenze"), keys.at(1))
                                            ->value(QStringLiteral("DataPagamento"))),
              QDate(2026, 2, 1));
    EXPECT_EQ(
        count(QStringLiteral("SELECT COUNT(*) FROM finanzia WHERE FatturaScadenze_Id = ?"), {keys.at(1)}), 1);

    // Un-paying removes the payment from the cash book; deleting takes its entry with it.
    ASSERT_TRUE(
        invoicing::saveInstalment(archive(), keys.at(0), {{QStringLiteral("DataPagamento"), QVariant()}}));
    EXPECT_EQ(
        count(QStringLiteral("SELECT COUNT(*) FROM finanzia WHERE FatturaScadenze_Id = ?"), {keys.at(0)}), 0);
    EXPECT_FALSE(archive()
                     .readRow(QStringLiteral("FatturaScadenze"), keys.at(0))
                     ->value(QStringLiteral("Pagato"))
                     .toBool());
    ASSERT_TRUE(invoicing::deleteInstalment(archive(), keys.at(2)));
    EXPECT_EQ(
        count(QStringLiteral("SELECT COUNT(*) FROM finanzia WHERE FatturaScadenze_Id = ?"), {keys.at(2)}), 0);
}

// Run as a separate process by the test below: a workstation choosing every open instalment of the
// supplier and checking that its choice stays its own while the other chooses too.
TEST(CumulativeWorkstation, ChoosesTheSuppliersInstalments)
{
    const QString location = qEnvironmentVariable(childArchive);
    if (location.isEmpty())
        GTEST_SKIP() << "run by CumulativePayments.TwoWorkstationsChooseTheSameSuppliersInstalmentsApart";
    const auto parsed = storage::ArchiveLocation::parse(location);
    ASSERT_TRUE(parsed);
    auto archive = storage::Archive::open(*parsed);
    ASSERT_TRUE(archive) << archive.error().toStdString();
    const QString workstation = QStringLiteral("PC%1").arg(QCoreApplication::applicationPid());
    CumulativePayment payment(**archive, workstation, BookParty::Suppliers,
                              qEnvironmentVariable(childSupplier).toLongLong());
    for (int round = 0; round < 10; ++round) {
        ASSERT_TRUE(payment.start());
        ASSERT_TRUE(payment.chooseAll());
        const core::Result<CumulativePayment::Totals> totals = payment.totals();
        ASSERT_TRUE(totals);
        EXPECT_DOUBLE_EQ(totals->chosen, 2440.0) << "every instalment, whatever the other workstation chose";
        EXPECT_DOUBLE_EQ(totals->remaining, 0.0);
        ASSERT_TRUE(payment.drop(0));
    }
}

TEST_F(CumulativePayments, TwoWorkstationsChooseTheSameSuppliersInstalmentsApart)
{
    invoice(QStringLiteral("C-1"));
    invoice(QStringLiteral("C-2"));
    qputenv(childSupplier, QByteArray::number(supplier));
    test::runAsWorkstations(QStringLiteral("CumulativeWorkstation.ChoosesTheSuppliersInstalments"),
                            childArchive, archive(), 2);
    qunsetenv(childSupplier);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(DISTINCT NomeComputer) FROM TempFatturaScadenzeCumulativo")),
              2);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TempFatturaScadenzeCumulativo")), 12);
}

} // namespace
