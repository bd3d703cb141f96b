#include "invoicing/instalments.h"
#include "invoicingfixture.h"
#include "purchases/purchases.h"
#include "storage/sqlvalue.h"
#include "support/testarchive.h"

#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::purchases;

namespace {

const char *const childArchive = "ROTALINA_PURCHASE_CHILD_ARCHIVE";
constexpr int purchasesPerChild = 15;

class Purchases : public ::testing::Test
{
protected:
    void SetUp() override
    {
        data.setOption("DuplicaFatturazioneInPrimaNota", true);
        supplier = test::addRow(archive(), QStringLiteral("Fornitor"),
                                {{QStringLiteral("Fornitore"), QStringLiteral("Gasolio Nord S.r.l.")}});
        other = test::addRow(archive(), QStringLiteral("Fornitor"),
                             {{QStringLiteral("Fornitore"), QStringLiteral("Pneumatici Sud")}});
    }

    storage::Archive &archive() { return data.archive(); }

    QVariant scalar(const QString &sql, const QVariantList &params = {})
    {
        const core::Result<QVariant> value = archive().scalar(sql, params);
        EXPECT_TRUE(value) << value.error().toStdString();
        return value ? *value : QVariant();
    }

    qint64 purchase(const QDate &today, PurchaseDocument document = PurchaseDocument::Invoice)
    {
        NewPurchase request;
        request.today = today;
        request.document = document;
        const core::Result<qint64> key = createPurchase(archive(), request);
        EXPECT_TRUE(key) << key.error().toStdString();
        return key ? *key : 0;
    }

    int progressive(qint64 document)
    {
        return data.value(QStringLiteral("fattura"), "ProgressivoCarico", document).toInt();
    }

    // A purchase invoice of the supplier, saved as the window saves it.
    qint64 invoiceOf(qint64 from, qint64 mode, const QDate &dated, const QString &number)
    {
        const qint64 key = purchase(dated);
        const core::Status saved = savePurchaseHeader(archive(), key,
                                                      {{QStringLiteral("Fornitore_ID"), from},
                                                       {QStringLiteral("ModPagamento_Id"), mode},
                                                       {QStringLiteral("NumeroCarico"), number},
                                                       {QStringLiteral("Data"), dated}});
        EXPECT_TRUE(saved) << saved.error().toStdString();
        return key;
    }

    qint64 row(qint64 document, double quantity, double unit, const Discounts &discounts = {},
               double vat = 22)
    {
        const core::Result<qint64> key = addPurchaseRow(archive(), document);
        EXPECT_TRUE(key) << key.error().toStdString();
        if (!key)
            return 0;
        const core::Status saved = savePurchaseRow(archive(), PurchaseDocument::Invoice, *key,
                                                   {{QStringLiteral("Um"), quantity},
                                                    {QStringLiteral("ValoreUnitario"), unit},
                                                    {QStringLiteral("Sconto"), discounts[0]},
                                                    {QStringLiteral("Sconto2"), discounts[1]},
                                                    {QStringLiteral("Sconto3"), discounts[2]},
                                                    {QStringLiteral("Sconto4"), discounts[3]},
                                                    {QStringLiteral("AliquotaIva"), vat}});
        EXPECT_TRUE(saved) << saved.error().toStdString();
        return *key;
    }

    QList<double> instalments(qint64 document)
    {
        QList<double> amounts;
        const core::Result<storage::Archive::Rows> read = archive().readRows(
            QStringLiteral(
                "SELECT Importo FROM FatturaScadenze WHERE Fattura_ID = ? ORDER BY DataScadenza, Numero"),
            {document});
        EXPECT_TRUE(read);
        if (read)
            for (const QVariantList &r : read->values)
                amounts.append(r.value(0).toDouble());
        return amounts;
    }

    test::InvoicingArchive data;
    qint64 supplier = 0;
    qint64 other = 0;
};

TEST_F(Purchases, ProgressivesRestartWithTheYearAndAreSharedWithCreditNotesOnlyWhenAsked)
{
    const qint64 first = purchase(QDate(2025, 1, 3));
    EXPECT_EQ(progressive(first), 1) << "the first of an empty year";
    EXPECT_EQ(progressive(purchase(QDate(2025, 1, 4))), 2);
    // Closing the year marks its documents as history: the sequence starts again.
    ASSERT_TRUE(archive().execute(QStringLiteral("UPDATE fattura SET Storico = ?"), {true}));
    EXPECT_EQ(progressive(purchase(QDate(2026, 1, 2))), 1);

    // A credit note has a sequence of its own...
    const qint64 note = purchase(QDate(2026, 1, 3), PurchaseDocument::CreditNote);
    EXPECT_EQ(progressive(note), 1);
    EXPECT_TRUE(data.value(QStringLiteral("fattura"), "FattNota", note).toBool());
    EXPECT_EQ(progressive(purchase(QDate(2026, 1, 4))), 2);
    // ...unless the firm numbers them together: after a credit note with 7 the next invoice is 8.
    data.setOption("NumerazioneUnicaNoteCredito", true);
    ASSERT_TRUE(
        archive().update(QStringLiteral("fattura"), note, {{QStringLiteral("ProgressivoCarico"), 7}}));
    EXPECT_EQ(progressive(purchase(QDate(2026, 1, 5))), 8);
}

TEST_F(Purchases, DiscountsCascadeAndTheTotalIsLessTheWithholdingTax)
{
    EXPECT_DOUBLE_EQ(purchaseRowNet(1, 100, {10, 10, 0, 0}), 81) << "10 and 10 give 81, not 80";
    EXPECT_DOUBLE_EQ(purchaseRowNet(2, 50, {10, -5, 0, 0}), 90) << "a negative discount is ignored";
    EXPECT_DOUBLE_EQ(purchaseRowNet(0, 50, {}), 0);
    EXPECT_DOUBLE_EQ(purchaseRowGross(81, 22), 98.82);
    // Back from the amount with VAT through the discounts to the unit value.
    EXPECT_EQ(purchaseUnitValue(98.82, 22, {10, 10, 0, 0}, 1), std::optional<double>(100));
    EXPECT_EQ(purchaseUnitValue(98.82, 22, {100, 0, 0, 0}, 1), std::nullopt) << "nothing to divide";
    EXPECT_EQ(purchaseUnitValue(0, 22, {}, 1), std::optional<double>(0));

    const qint64 mode = data.paymentMode(0);
    const qint64 invoice = invoiceOf(supplier, mode, QDate(2026, 2, 10), QStringLiteral("FT 12/A"));
    row(invoice, 1, 100, {10, 10, 0, 0});
    const qint64 second = row(invoice, 3, 33.333, {}, 10);
    EXPECT_DOUBLE_EQ(data.value(QStringLiteral("Movimenti"), "PrezzoCompleto", second).toDouble(), 110);
    // 81 + 99.999 = 180.999 -> 181.00; 17.82 + 9.9999 = 27.8199 -> 27.82.
    EXPECT_DOUBLE_EQ(data.value(QStringLiteral("fattura"), "TotImponibile", invoice).toDouble(), 181);
    EXPECT_DOUBLE_EQ(data.value(QStringLiteral("fattura"), "TotImposta", invoice).toDouble(), 27.82);
    ASSERT_TRUE(savePurchaseHeader(archive(), invoice, {{QStringLiteral("RitenutaAcconto"), 36.2}}));
    EXPECT_DOUBLE_EQ(data.value(QStringLiteral("fattura"), "TotFattura", invoice).toDouble(), 172.62);
    EXPECT_EQ(instalments(invoice), QList<double>{172.62}) << "the payment follows the withholding tax";

    // A row deleted takes its amounts with it.
    ASSERT_TRUE(deletePurchaseRow(archive(), PurchaseDocument::Invoice, second));
    EXPECT_DOUBLE_EQ(data.value(QStringLiteral("fattura"), "TotFattura", invoice).toDouble(), 62.62);
}

TEST_F(Purchases, APaymentOnTheDayIsMirroredInTheCashBookAndInstalmentsAddUp)
{
    const qint64 cash = data.paymentMode(0);
    const qint64 invoice = invoiceOf(supplier, cash, QDate(2026, 2, 10), QStringLiteral("77"));
    ASSERT_TRUE(archive().update(QStringLiteral("fattura"), invoice,
                                 {{QStringLiteral("DataRegistrazione"), QDate(2026, 2, 14)}}));
    row(invoice, 1, 100);
    EXPECT_EQ(instalments(invoice), QList<double>{122});
    EXPECT_EQ(scalar(QStringLiteral("SELECT Operazione FROM FatturaScadenze WHERE Fattura_ID = ?"), {invoice})
                  .toString(),
              QStringLiteral("Pagamento Fattura di acquisto N° 77 Data: 10/02/2026"));
    EXPECT_TRUE(storage::sqlvalue::toDate(
                    scalar(QStringLiteral("SELECT DataPagamento FROM FatturaScadenze WHERE Fattura_ID = ?"),
                           {invoice}))
                    .isValid());
    // The invoice's receipt is an income of kind 3, its payment an expense of kind C, both entered
    // on the day the invoice was registered.
    for (const auto &[kind, income, spending] : {std::tuple("3", 122.0, 0.0), std::tuple("C", 0.0, 122.0)}) {
        const core::Result<storage::Archive::Rows> entry = archive().readRows(
            QStringLiteral(
                "SELECT Entrata, Uscita, Data, Fornitore_id FROM finanzia WHERE Fattura_ID = ? AND Tipo = ?"),
            {invoice, QString::fromLatin1(kind)});
        ASSERT_TRUE(entry);
        ASSERT_EQ(entry->values.size(), 1) << kind;
        EXPECT_DOUBLE_EQ(entry->values.first().value(0).toDouble(), income) << kind;
        EXPECT_DOUBLE_EQ(entry->values.first().value(1).toDouble(), spending) << kind;
        EXPECT_EQ(storage::sqlvalue::toDate(entry->values.first().value(2)), QDate(2026, 2, 14)) << kind;
        EXPECT_EQ(entry->values.first().value(3).toLongLong(), supplier) << kind;
    }

    // Three instalments of 100 add up to what is due.
    const qint64 three = data.paymentMode(3, {30, 60, 90});
    ASSERT_TRUE(savePurchaseHeader(archive(), invoice, {{QStringLiteral("ModPagamento_Id"), three}}));
    ASSERT_TRUE(savePurchaseHeader(archive(), invoice, {{QStringLiteral("RitenutaAcconto"), 22.0}}));
    EXPECT_EQ(instalments(invoice), (QList<double>{33.33, 33.33, 33.34}));
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT COUNT(*) FROM finanzia WHERE Fattura_ID = ? AND Tipo = 'C'"), {invoice})
            .toInt(),
        0)
        << "no payment is recorded for instalments still to pay";
}

TEST_F(Purchases, AnInstalmentPaidByTheUserSurvivesEveryChangeOfTheInvoice)
{
    const qint64 twoMonths = data.paymentMode(2, {30, 60});
    const qint64 invoice = invoiceOf(supplier, twoMonths, QDate(2026, 3, 1), QStringLiteral("A-1"));
    row(invoice, 1, 1000, {}, 0);
    ASSERT_EQ(instalments(invoice), (QList<double>{500, 500}));
    const qint64 first =
        scalar(QStringLiteral("SELECT Id FROM FatturaScadenze WHERE Fattura_ID = ? AND Numero = 1"),
               {invoice})
            .toLongLong();
    ASSERT_TRUE(
        invoicing::saveInstalment(archive(), first, {{QStringLiteral("DataPagamento"), QDate(2026, 3, 31)}}));
    const auto paidStill = [&](const char *after) {
        EXPECT_TRUE(
            storage::sqlvalue::toDate(
                scalar(QStringLiteral("SELECT DataPagamento FROM FatturaScadenze WHERE Id = ?"), {first}))
                .isValid())
            << after;
        EXPECT_EQ(
            scalar(QStringLiteral("SELECT COUNT(*) FROM finanzia WHERE FatturaScadenze_Id = ?"), {first})
                .toInt(),
            1)
            << after << ": its payment stays in the cash book";
        EXPECT_DOUBLE_EQ(
            scalar(QStringLiteral("SELECT SUM(Importo) FROM FatturaScadenze WHERE Fattura_ID = ?"), {invoice})
                .toDouble(),
            data.value(QStringLiteral("fattura"), "TotFattura", invoice).toDouble())
            << after << ": the rest is what is still due";
    };
    paidStill("paid");
    row(invoice, 1, 200, {}, 0);
    paidStill("a row added");
    ASSERT_TRUE(savePurchaseHeader(archive(), invoice, {{QStringLiteral("RitenutaAcconto"), 100.0}}));
    paidStill("the withholding tax");
    ASSERT_TRUE(savePurchaseHeader(archive(), invoice, {{QStringLiteral("Fornitore_ID"), other}}));
    paidStill("another supplier");
    EXPECT_EQ(data.value(QStringLiteral("fattura"), "Fornitore", invoice).toString(),
              QStringLiteral("Pneumatici Sud"));
    ASSERT_TRUE(savePurchaseHeader(archive(), invoice,
                                   {{QStringLiteral("ModPagamento_Id"), data.paymentMode(3, {30, 60, 90})}}));
    paidStill("another payment mode");
    EXPECT_EQ(instalments(invoice).size(), 3);

    // Deleted, the invoice goes with its rows, due dates and cash-book entries.
    ASSERT_TRUE(deletePurchase(archive(), invoice));
    for (const char *sql :
         {"SELECT COUNT(*) FROM Movimenti WHERE Fattura_ID = ?",
          "SELECT COUNT(*) FROM FatturaScadenze WHERE Fattura_ID = ?",
          "SELECT COUNT(*) FROM finanzia WHERE Fattura_ID = ?", "SELECT COUNT(*) FROM fattura WHERE ID = ?"})
        EXPECT_EQ(scalar(QString::fromLatin1(sql), {invoice}).toInt(), 0) << sql;
}

TEST_F(Purchases, NumbersAlreadyRegisteredAreToldWithinTheirYearAndSupplier)
{
    const qint64 mode = data.paymentMode(0);
    const qint64 earlier = invoiceOf(supplier, mode, QDate(2025, 6, 1), QStringLiteral("100"));
    ASSERT_TRUE(archive().update(QStringLiteral("fattura"), earlier,
                                 {{QStringLiteral("DataRegistrazione"), QDate(2025, 6, 2)},
                                  {QStringLiteral("ProgressivoCarico"), 5}}));
    invoiceOf(other, mode, QDate(2026, 6, 1), QStringLiteral("100"));
    const qint64 current = invoiceOf(supplier, mode, QDate(2026, 6, 3), QStringLiteral("100"));
    const auto warned = [&](DuplicateCheck check, const QVariantMap &changes) {
        core::Result<QVariantMap> values = archive().readRow(QStringLiteral("fattura"), current);
        EXPECT_TRUE(values);
        for (auto it = changes.cbegin(); it != changes.cend(); ++it)
            values->insert(it.key(), it.value());
        const core::Result<std::optional<QString>> told =
            duplicateWarning(archive(), check, current, *values, PurchaseDocument::Invoice);
        EXPECT_TRUE(told) << told.error().toStdString();
        return told ? told->value_or(QString()) : QStringLiteral("errore");
    };
    EXPECT_EQ(warned(DuplicateCheck::SupplierNumber, {}), QString())
        << "the same number of another supplier, or of another year, is no duplicate";
    EXPECT_EQ(
        warned(DuplicateCheck::SupplierNumber, {{QStringLiteral("DataRegistrazione"), QDate(2025, 12, 31)}}),
        QStringLiteral("Attenzione il (Numero:100) è già presente in altri 1 Record."));
    EXPECT_EQ(
        warned(DuplicateCheck::NumberAndDate, {{QStringLiteral("Data"), QDate(2026, 6, 1)}}),
        QStringLiteral("Attenzione la data ed il Numero di Fattura:100 è già presente in altri 1 Record."));
    EXPECT_EQ(warned(DuplicateCheck::Progressive, {{QStringLiteral("ProgressivoCarico"), 5}}), QString());
    EXPECT_EQ(
        warned(DuplicateCheck::Progressive, {{QStringLiteral("ProgressivoCarico"), 5},
                                             {QStringLiteral("DataRegistrazione"), QDate(2025, 1, 1)}}),
        QStringLiteral("Attenzione il Numero Progressivo (Numero:5) è già presente in altri 1 Record."));
    EXPECT_EQ(
        warned(DuplicateCheck::SupplierNumber, {{QStringLiteral("NumeroCarico"), QStringLiteral("10'0")}}),
        QString())
        << "a number with an apostrophe is a value like any other";
}

TEST_F(Purchases, ACreditNoteImportsItsInvoiceOnceWithItsQuantitiesAndGivesMoneyBack)
{
    const qint64 cash = data.paymentMode(0);
    const qint64 invoice = invoiceOf(supplier, cash, QDate(2026, 4, 2), QStringLiteral("F-9"));
    row(invoice, 2, 100, {10, 0, 0, 0});
    row(invoice, 1, 50);
    row(invoice, 3, 10, {}, 10);
    const double invoiced = data.value(QStringLiteral("fattura"), "TotFattura", invoice).toDouble();

    const qint64 note = purchase(QDate(2026, 4, 20), PurchaseDocument::CreditNote);
    ASSERT_TRUE(savePurchaseHeader(archive(), note,
                                   {{QStringLiteral("Fornitore_ID"), supplier},
                                    {QStringLiteral("ModPagamento_Id"), cash},
                                    {QStringLiteral("NumeroCarico"), QStringLiteral("NC 3")}}));
    const core::Result<int> none = importCreditedPurchaseRows(archive(), note);
    ASSERT_FALSE(none);
    EXPECT_EQ(
        none.error(),
        QStringLiteral(
            "Attenzione E' necessario trovare e scegliere una fattura prima di poterne importare le righe"));
    ASSERT_TRUE(setCreditedPurchase(archive(), note, invoice));
    EXPECT_EQ(data.value(QStringLiteral("fattura"), "NCFattNumRifCarico", note).toString(),
              QStringLiteral("F-9"));
    for (int time = 1; time <= 2; ++time) {
        const core::Result<int> imported = importCreditedPurchaseRows(archive(), note);
        ASSERT_TRUE(imported) << imported.error().toStdString();
        EXPECT_EQ(*imported, 3);
        EXPECT_EQ(
            scalar(QStringLiteral("SELECT COUNT(*) FROM NotaCreditoCaricoRighe WHERE NotaCredito_ID = ?"),
                   {note})
                .toInt(),
            3)
            << "import " << time << " leaves one copy";
        EXPECT_DOUBLE_EQ(data.value(QStringLiteral("fattura"), "TotFattura", note).toDouble(), invoiced)
            << "the quantities came with the rows";
    }
    EXPECT_EQ(data.value(QStringLiteral("fattura"), "Note", note).toString(),
              QStringLiteral(" Fattura numero: F-9 Data: 02/04/2026"));
    // A row typed by hand stays through another import.
    ASSERT_TRUE(addPurchaseRow(archive(), note));
    ASSERT_TRUE(importCreditedPurchaseRows(archive(), note));
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT COUNT(*) FROM NotaCreditoCaricoRighe WHERE NotaCredito_ID = ?"), {note})
            .toInt(),
        4);

    // Settled at once: its receipt is an expense of kind 4, its settlement an income of kind B.
    const double credited = data.value(QStringLiteral("fattura"), "TotFattura", note).toDouble();
    for (const auto &[kind, income, spending] :
         {std::tuple("4", 0.0, credited), std::tuple("B", credited, 0.0)}) {
        const core::Result<storage::Archive::Rows> entry = archive().readRows(
            QStringLiteral("SELECT Entrata, Uscita FROM finanzia WHERE Fattura_ID = ? AND Tipo = ?"),
            {note, QString::fromLatin1(kind)});
        ASSERT_TRUE(entry);
        ASSERT_EQ(entry->values.size(), 1) << kind;
        EXPECT_DOUBLE_EQ(entry->values.first().value(0).toDouble(), income) << kind;
        EXPECT_DOUBLE_EQ(entry->values.first().value(1).toDouble(), spending) << kind;
    }
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT Tipo FROM FatturaScadenze WHERE Fattura_ID = ?"), {note}).toString(),
        QStringLiteral("B"));

    // The invoice deleted since: nothing can be imported from it, nothing is lost.
    ASSERT_TRUE(deletePurchase(archive(), invoice));
    const core::Result<int> gone = importCreditedPurchaseRows(archive(), note);
    ASSERT_FALSE(gone);
    EXPECT_TRUE(gone.error().contains(QStringLiteral("non è più in archivio")));
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT COUNT(*) FROM NotaCreditoCaricoRighe WHERE NotaCredito_ID = ?"), {note})
            .toInt(),
        4);
}

// Run as a separate process by the test below: registers purchases on the archive it is given.
TEST(PurchaseNumbering, WorkstationRegisteringPurchases)
{
    const QString location = qEnvironmentVariable(childArchive);
    if (location.isEmpty())
        GTEST_SKIP() << "run by PurchaseNumbering.FourWorkstationsAtOnce as one of its workstations";
    const auto parsed = storage::ArchiveLocation::parse(location);
    ASSERT_TRUE(parsed) << parsed.error().toStdString();
    auto archive = storage::Archive::open(*parsed);
    ASSERT_TRUE(archive) << archive.error().toStdString();
    for (int i = 0; i < purchasesPerChild; ++i) {
        NewPurchase request;
        request.document = i % 3 == 2 ? PurchaseDocument::CreditNote : PurchaseDocument::Invoice;
        const auto key = createPurchase(**archive, request);
        ASSERT_TRUE(key) << key.error().toStdString();
    }
}

TEST(PurchaseNumbering, FourWorkstationsAtOnce)
{
    test::InvoicingArchive fixture;
    storage::Archive &archive = fixture.archive();
    fixture.setOption("NumerazioneUnicaNoteCredito", true);
    fixture.setOption("Carico_ModPagamento_Id", fixture.paymentMode(0));
    test::runAsWorkstations(QStringLiteral("PurchaseNumbering.WorkstationRegisteringPurchases"), childArchive,
                            archive);
    EXPECT_EQ(test::count(archive, QStringLiteral("SELECT COUNT(*) FROM fattura")), 4 * purchasesPerChild);
    EXPECT_EQ(test::count(archive, QStringLiteral("SELECT COUNT(DISTINCT ProgressivoCarico) FROM fattura")),
              4 * purchasesPerChild)
        << "one sequence for invoices and credit notes, every progressive once";
    EXPECT_EQ(test::count(archive, QStringLiteral("SELECT MAX(ProgressivoCarico) FROM fattura")),
              4 * purchasesPerChild);
}

} // namespace
