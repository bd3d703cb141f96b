#include "invoicing/instalments.h"
#include "invoicing/invoices.h"
#include "invoicingfixture.h"
#include "storage/sqlvalue.h"
#include "support/testarchive.h"

#include <gtest/gtest.h>

using namespace rotalina;
using invoicing::DueDateMode;
using invoicing::PaidInstalments;

namespace {

struct Instalment
{
    qint64 key;
    int number;
    QDate due;
    double amount;
    bool paid;
    QString operation;
};

QList<Instalment> instalments(storage::Archive &archive, qint64 invoice)
{
    auto rows =
        archive.select(QStringLiteral("SELECT Id, Numero, DataScadenza, Importo, Pagato, Operazione FROM "
                                      "FatturaScadenze WHERE Fattura_ID = ? ORDER BY DataScadenza, Numero"),
                       {invoice});
    EXPECT_TRUE(rows) << rows.error().toStdString();
    QList<Instalment> found;
    while (rows && rows->next())
        found.append({rows->value(0).toLongLong(), rows->value(1).toInt(),
                      storage::sqlvalue::toDate(rows->value(2)), rows->value(3).toDouble(),
                      rows->value(4).toBool(), rows->value(5).toString()});
    return found;
}

QList<double> amounts(storage::Archive &archive, qint64 invoice)
{
    QList<double> found;
    for (const Instalment &i : instalments(archive, invoice))
        found.append(i.amount);
    return found;
}

void pay(storage::Archive &archive, qint64 instalment, const QDate &on)
{
    const auto saved =
        invoicing::saveInstalment(archive, instalment, {{QStringLiteral("DataPagamento"), on}});
    ASSERT_TRUE(saved) << saved.error().toStdString();
}

} // namespace

TEST(DueDateGeneration, InstalmentsFallOnTheRuleAndAddUpToTheTotal)
{
    test::InvoicingArchive fixture;
    storage::Archive &archive = fixture.archive();
    const qint64 bank =
        test::addRow(archive, QStringLiteral("Bank"), {{QStringLiteral("Banca"), QStringLiteral("BCC")}});
    fixture.setOption("Bank_ID", bank);
    const qint64 customer = fixture.customer(QStringLiteral("Rossi"));
    const qint64 calendar = fixture.paymentMode(3, {30, 60, 90});
    const qint64 endOfMonth =
        fixture.paymentMode(3, {30, 60, 90}, {{QStringLiteral("FatturaFineMese"), true}});

    const qint64 invoice = fixture.invoice(customer, calendar, QDate(2023, 1, 31));
    fixture.row(invoice, 1, 100, 0);
    QList<Instalment> found = instalments(archive, invoice);
    ASSERT_EQ(found.size(), 3);
    EXPECT_EQ(found.at(0).due, QDate(2023, 3, 2));
    EXPECT_EQ(found.at(1).due, QDate(2023, 4, 1));
    EXPECT_EQ(found.at(2).due, QDate(2023, 5, 1));
    EXPECT_EQ(amounts(archive, invoice), (QList<double>{33.33, 33.33, 33.34}));
    EXPECT_EQ(found.at(0).operation, QStringLiteral("1° Rata Fattura di vendita N° 1 Data: 31/01/2023"));
    EXPECT_EQ(found.at(2).number, 3);
    EXPECT_FALSE(found.at(0).paid);
    EXPECT_EQ(test::count(archive,
                          QStringLiteral("SELECT COUNT(*) FROM FatturaScadenze WHERE Fattura_ID = ? AND "
                                         "Banca_ID = ? AND Tipo = 'F' AND Cliente_id = ?"),
                          {invoice, bank, customer}),
              3);

    // Another mode: the dates are made again, at the end of their months.
    ASSERT_TRUE(archive.update(QStringLiteral("fattura"), invoice,
                               {{QStringLiteral("ModPagamento_Id"), endOfMonth}}));
    ASSERT_TRUE(invoicing::generateDueDates(archive, invoice, DueDateMode::NewDates));
    found = instalments(archive, invoice);
    ASSERT_EQ(found.size(), 3);
    EXPECT_EQ(found.at(0).due, QDate(2023, 3, 31));
    EXPECT_EQ(found.at(1).due, QDate(2023, 4, 30));
    EXPECT_EQ(found.at(2).due, QDate(2023, 5, 31));

    // A new total moves the amounts and keeps the dates, even ones the user moved.
    ASSERT_TRUE(archive.update(QStringLiteral("FatturaScadenze"), found.at(1).key,
                               {{QStringLiteral("DataScadenza"), QDate(2023, 5, 10)}}));
    fixture.row(invoice, 1, 200, 0);
    found = instalments(archive, invoice);
    EXPECT_EQ(found.at(1).due, QDate(2023, 5, 10));
    EXPECT_EQ(amounts(archive, invoice), (QList<double>{100, 100, 100}));

    // Split payment: the customer pays the taxable amount only.
    ASSERT_TRUE(
        archive.update(QStringLiteral("fattura"), invoice, {{QStringLiteral("ScissionePagamenti"), true}}));
    fixture.row(invoice, 1, 100, 22);
    EXPECT_DOUBLE_EQ(fixture.value(QStringLiteral("fattura"), "TotFattura", invoice).toDouble(), 422);
    EXPECT_EQ(amounts(archive, invoice), (QList<double>{133.33, 133.33, 133.34}));
}

TEST(DueDateGeneration, PaymentOnTheDateIsPaidAndMirroredInTheCashBook)
{
    test::InvoicingArchive fixture;
    storage::Archive &archive = fixture.archive();
    fixture.setOption("DuplicaFatturazioneInPrimaNota", true);
    const qint64 customer = fixture.customer(QStringLiteral("Rossi"));
    const qint64 immediate = fixture.paymentMode(0);
    const qint64 invoice = fixture.invoice(customer, immediate, QDate(2024, 2, 29));
    fixture.row(invoice, 2, 50, 22);
    fixture.row(invoice, 1, 10, 22);

    const QList<Instalment> found = instalments(archive, invoice);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found.at(0).due, QDate(2024, 2, 29));
    EXPECT_TRUE(found.at(0).paid);
    EXPECT_DOUBLE_EQ(found.at(0).amount, 134.2);
    EXPECT_EQ(found.at(0).operation, QStringLiteral("Pagamento Fattura di vendita N° 1 Data: 29/02/2024"));
    // One entry for the invoice and one receipt, however often the totals changed.
    EXPECT_EQ(test::count(archive,
                          QStringLiteral("SELECT COUNT(*) FROM finanzia WHERE Fattura_ID = ? AND Tipo = '1' "
                                         "AND Uscita = 134.2 AND Operazione = ?"),
                          {invoice, QStringLiteral("Emessa fattura n° 1 Data: 29/02/2024")}),
              1);
    EXPECT_EQ(test::count(archive,
                          QStringLiteral("SELECT COUNT(*) FROM finanzia WHERE FatturaScadenze_Id = ? AND "
                                         "Tipo = 'F' AND Entrata = 134.2"),
                          {found.at(0).key}),
              1);
    EXPECT_EQ(test::count(archive, QStringLiteral("SELECT COUNT(*) FROM finanzia")), 2);
    EXPECT_TRUE(fixture.value(QStringLiteral("fattura"), "Finanzia_id", invoice).toLongLong() > 0);
    // The generated payment follows the invoice: it is not one the user recorded.
    EXPECT_EQ(invoicing::paidInstalmentCount(archive, invoice).value(), 0);

    // Emptying the payment mode takes the due date and the cash-book entries away.
    ASSERT_TRUE(invoicing::clearDueDates(archive, invoice, PaidInstalments::Keep));
    EXPECT_EQ(test::count(archive, QStringLiteral("SELECT COUNT(*) FROM FatturaScadenze")), 0);
    EXPECT_EQ(test::count(archive, QStringLiteral("SELECT COUNT(*) FROM finanzia")), 0);
}

TEST(DueDateGeneration, InstalmentsTheUserPaidAreNeverTouched)
{
    test::InvoicingArchive fixture;
    storage::Archive &archive = fixture.archive();
    fixture.setOption("DuplicaFatturazioneInPrimaNota", true);
    const qint64 customer = fixture.customer(QStringLiteral("Rossi"));
    const qint64 threeMonths = fixture.paymentMode(3, {30, 60, 90});
    const qint64 twoMonths = fixture.paymentMode(2, {30, 60});
    const qint64 invoice = fixture.invoice(customer, threeMonths, QDate(2025, 3, 10));
    fixture.row(invoice, 1, 300, 0);
    const qint64 first = instalments(archive, invoice).at(0).key;
    pay(archive, first, QDate(2025, 4, 9));
    EXPECT_EQ(test::count(archive,
                          QStringLiteral("SELECT COUNT(*) FROM finanzia WHERE FatturaScadenze_Id = ? AND "
                                         "Entrata = 100 AND Uscita = 0"),
                          {first}),
              1);
    EXPECT_EQ(invoicing::paidInstalmentCount(archive, invoice).value(), 1);

    // Keep-dates: what is paid stays, the rest of the new total is spread over the open ones.
    fixture.row(invoice, 1, 100.01, 0);
    EXPECT_EQ(amounts(archive, invoice), (QList<double>{100, 150.01, 150}));
    EXPECT_TRUE(instalments(archive, invoice).at(1).operation.startsWith(QStringLiteral("2° Rata")))
        << "each open instalment keeps its place after the paid one";

    // New dates, keeping the paid one and its receipt: the new mode's instalments share what is
    // still due and are numbered after it.
    ASSERT_TRUE(
        archive.update(QStringLiteral("fattura"), invoice, {{QStringLiteral("ModPagamento_Id"), twoMonths}}));
    ASSERT_TRUE(invoicing::generateDueDates(archive, invoice, DueDateMode::NewDates, PaidInstalments::Keep));
    QList<Instalment> found = instalments(archive, invoice);
    ASSERT_EQ(found.size(), 2);
    EXPECT_EQ(found.at(0).key, first);
    EXPECT_TRUE(found.at(0).paid);
    EXPECT_EQ(found.at(1).number, 2);
    EXPECT_DOUBLE_EQ(found.at(1).amount, 300.01);
    EXPECT_EQ(found.at(1).due, QDate(2025, 5, 9)) << "the second instalment of the mode: 60 days";
    EXPECT_EQ(test::count(archive,
                          QStringLiteral("SELECT COUNT(*) FROM finanzia WHERE FatturaScadenze_Id = ?"),
                          {first}),
              1);

    // When the user says so, the paid ones go too, with their receipts.
    ASSERT_TRUE(
        invoicing::generateDueDates(archive, invoice, DueDateMode::NewDates, PaidInstalments::Delete));
    EXPECT_EQ(amounts(archive, invoice), (QList<double>{200.01, 200}));
    EXPECT_EQ(test::count(archive, QStringLiteral(
                                       "SELECT COUNT(*) FROM finanzia WHERE FatturaScadenze_Id IS NOT NULL")),
              0);
}

TEST(DueDateGeneration, TheDueDateWindowPaysAndUnpays)
{
    test::InvoicingArchive fixture;
    storage::Archive &archive = fixture.archive();
    fixture.setOption("DuplicaFatturazioneInPrimaNota", true);
    const qint64 customer = fixture.customer(QStringLiteral("Rossi"));
    const qint64 invoice = fixture.invoice(customer, fixture.paymentMode(1, {30}), QDate(2025, 1, 15));
    fixture.row(invoice, 1, 500, 0);

    const auto added = invoicing::addInstalment(archive, invoice, QDate(2025, 6, 1));
    ASSERT_TRUE(added);
    EXPECT_EQ(fixture.value(QStringLiteral("FatturaScadenze"), "Numero", *added).toInt(), 2);
    EXPECT_DOUBLE_EQ(fixture.value(QStringLiteral("FatturaScadenze"), "Importo", *added).toDouble(), 0);
    ASSERT_TRUE(invoicing::saveInstalment(
        archive, *added,
        {{QStringLiteral("Importo"), 20.5}, {QStringLiteral("Operazione"), QStringLiteral("Bollo")}}));

    const auto checks = invoicing::instalmentChecks();
    const auto failure = checks.firstFailure({{QStringLiteral("DataScadenza"), QDate(2025, 1, 1)},
                                              {QStringLiteral("Operazione"), QStringLiteral("x")},
                                              {QStringLiteral("Importo"), 0.0},
                                              {QStringLiteral("Numero"), QVariant()}});
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message, QStringLiteral("Attenzione manca il numero cronologico di pagamento !!"))
        << "an amount of 0 is an amount";

    // Paying twice updates the same entry; clearing the date removes it and opens the instalment.
    pay(archive, *added, QDate(2025, 6, 2));
    pay(archive, *added, QDate(2025, 6, 3));
    const QString entries = QStringLiteral("SELECT COUNT(*) FROM finanzia WHERE FatturaScadenze_Id = ?");
    EXPECT_EQ(test::count(archive, entries, {*added}), 1);
    EXPECT_EQ(storage::sqlvalue::toDate(archive
                                            .scalar(QStringLiteral("SELECT Data FROM finanzia WHERE "
                                                                   "FatturaScadenze_Id = ?"),
                                                    {*added})
                                            .value()),
              QDate(2025, 6, 3));
    ASSERT_TRUE(invoicing::saveInstalment(archive, *added, {{QStringLiteral("DataPagamento"), QVariant()}}));
    EXPECT_EQ(test::count(archive, entries, {*added}), 0);
    EXPECT_FALSE(fixture.value(QStringLiteral("FatturaScadenze"), "Pagato", *added).toBool());
    EXPECT_TRUE(fixture.value(QStringLiteral("FatturaScadenze"), "Finanzia_id", *added).isNull());

    // A bank chosen for the invoice reaches every due date; a deleted one takes its entry along.
    const qint64 bank =
        test::addRow(archive, QStringLiteral("Bank"), {{QStringLiteral("Banca"), QStringLiteral("BPM")}});
    ASSERT_TRUE(invoicing::setDueDatesBank(archive, invoice, bank));
    EXPECT_EQ(test::count(archive, QStringLiteral("SELECT COUNT(*) FROM FatturaScadenze WHERE Banca_ID = ?"),
                          {bank}),
              2);
    pay(archive, *added, QDate(2025, 6, 4));
    ASSERT_TRUE(invoicing::deleteInstalment(archive, *added));
    EXPECT_EQ(test::count(archive, entries, {*added}), 0);
    EXPECT_EQ(instalments(archive, invoice).size(), 1);
}
