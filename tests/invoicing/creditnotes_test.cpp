#include "core/money.h"
#include "einvoicechecks.h"
#include "invoicing/creditnotes.h"
#include "invoicing/einvoice.h"
#include "invoicing/instalments.h"
#include "invoicing/invoicerows.h"
#include "invoicing/invoices.h"
#include "invoicingfixture.h"
#include "support/testarchive.h"

#include <QJsonArray>
#include <gtest/gtest.h>
#include <tuple>

using namespace rotalina;
using namespace rotalina::invoicing;

namespace {

class CreditNotes : public ::testing::Test
{
protected:
    void SetUp() override
    {
        data.setElectronicInvoicingCompany();
        cash = data.paymentMode(0, {},
                                {{QStringLiteral("PA_ModalitaPagamento_Codice"), QStringLiteral("MP01")}});
        customer = data.electronicInvoicingCustomer();
    }

    storage::Archive &archive() { return data.archive(); }

    qint64 creditNote(const QDate &date)
    {
        NewInvoice request;
        request.today = date;
        request.document = CustomerDocument::CreditNote;
        const core::Result<qint64> key = createInvoice(archive(), request);
        EXPECT_TRUE(key) << key.error().toStdString();
        if (!key)
            return 0;
        const core::Status set = archive().update(
            QStringLiteral("fattura"), *key,
            {{QStringLiteral("Cliente_ID"), customer}, {QStringLiteral("ModPagamento_Id"), cash}});
        EXPECT_TRUE(set) << set.error().toStdString();
        const core::Status dates = generateDueDates(archive(), *key, DueDateMode::NewDates,
                                                    PaidInstalments::Keep, creditNoteDueDates(), date);
        EXPECT_TRUE(dates) << dates.error().toStdString();
        return *key;
    }

    // An invoice with two rows: a transport at 22 % with a discount and collection costs.
    qint64 invoice(const QDate &date)
    {
        const qint64 key = data.invoice(customer, cash, date);
        for (const auto &[line, kind, quantity, unit, discount] :
             {std::tuple(1, "D", 2.0, 333.33, 10.0), std::tuple(2, "S", 1.0, 5.0, 0.0)})
            test::addRow(archive(), QStringLiteral("fattdett"),
                         {{QStringLiteral("NumFatt"), key},
                          {QStringLiteral("NumeroRiga"), line},
                          {QStringLiteral("TipoRiga"), QString::fromLatin1(kind)},
                          {QStringLiteral("Descrizione"), QStringLiteral("Riga %1").arg(line)},
                          {QStringLiteral("Um"), quantity},
                          {QStringLiteral("ValoreUnitario"), unit},
                          {QStringLiteral("Sconto"), discount},
                          {QStringLiteral("AliquotaIva"), 22.0},
                          {QStringLiteral("Iva_ID"), 1},
                          {QStringLiteral("TotaleImponibile"),
                           core::arrotonda(quantity * unit * (1 - discount / 100))}});
        const core::Status totals = recomputeTotals(archive(), key);
        EXPECT_TRUE(totals) << totals.error().toStdString();
        return key;
    }

    QVariant scalar(const QString &sql, const QVariantList &params = {})
    {
        const core::Result<QVariant> value = archive().scalar(sql, params);
        EXPECT_TRUE(value) << value.error().toStdString();
        return value ? *value : QVariant();
    }

    test::InvoicingArchive data;
    qint64 cash = 0;
    qint64 customer = 0;
};

} // namespace

TEST_F(CreditNotes, HaveTheirOwnSequenceUnlessTheFirmNumbersThemWithTheInvoices)
{
    invoice(QDate(2026, 1, 10));
    invoice(QDate(2026, 1, 11));
    const qint64 first = creditNote(QDate(2026, 2, 1));
    EXPECT_EQ(data.value(QStringLiteral("fattura"), "Num", first).toInt(), 1) << "invoices do not count";
    EXPECT_TRUE(data.value(QStringLiteral("fattura"), "FattNota", first).toBool());
    const qint64 third = invoice(QDate(2026, 2, 2));
    EXPECT_EQ(data.value(QStringLiteral("fattura"), "Num", third).toInt(), 3) << "credit notes do not count";

    data.setOption("NumerazioneUnicaNoteCredito", true);
    const qint64 shared = creditNote(QDate(2026, 2, 3));
    EXPECT_EQ(data.value(QStringLiteral("fattura"), "Num", shared).toInt(), 4);
    EXPECT_NE(data.value(QStringLiteral("fattura"), "DatiTrasmissione_ProgressivoInvio", shared),
              data.value(QStringLiteral("fattura"), "DatiTrasmissione_ProgressivoInvio", third))
        << "one transmission sequence for every electronic document";
}

TEST_F(CreditNotes, TheDateOrderWarningComparesCreditNotesWithCreditNotes)
{
    const core::Result<InvoicingSettings> settings = readInvoicingSettings(archive());
    ASSERT_TRUE(settings);
    const qint64 note = creditNote(QDate(2026, 3, 10));
    invoice(QDate(2026, 3, 20));
    const auto warning =
        dateOrderWarning(archive(), *settings, 2, QDate(2026, 3, 5), {}, CustomerDocument::CreditNote);
    ASSERT_TRUE(warning);
    ASSERT_TRUE(warning->has_value()) << "the credit note number 1 is dated later";
    EXPECT_TRUE((*warning)->contains(QStringLiteral("la numero 1")));
    const auto later =
        dateOrderWarning(archive(), *settings, 2, QDate(2026, 3, 15), {}, CustomerDocument::CreditNote);
    ASSERT_TRUE(later);
    EXPECT_FALSE(later->has_value()) << "the invoice of the 20th is another sequence";
    EXPECT_GT(note, 0);
}

TEST_F(CreditNotes, ImportedRowsReplaceTheirEarlierCopyKeepHandTypedRowsAndFollowTheTotalsRule)
{
    data.setOption("conto_ID_Predefinito_su_NoteCreditoVendita_Generale", 71);
    data.setOption("conto_ID_Predefinito_su_NoteCreditoVendita_SpeseIncasso", 73);
    const qint64 credited = invoice(QDate(2026, 4, 1));
    const qint64 note = creditNote(QDate(2026, 4, 15));

    const core::Result<int> refused = importCreditedRows(archive(), note);
    ASSERT_FALSE(refused);
    EXPECT_TRUE(refused.error().contains(QStringLiteral("trovare e scegliere una fattura")));

    const core::Result<QList<CreditableInvoice>> choices = creditableInvoices(archive(), customer);
    ASSERT_TRUE(choices);
    ASSERT_EQ(choices->size(), 1) << "the customer's invoices only, not its credit notes";
    ASSERT_TRUE(setCreditedInvoice(archive(), note, choices->first().id));
    EXPECT_EQ(data.value(QStringLiteral("fattura"), "NCFattNumRif", note),
              data.value(QStringLiteral("fattura"), "Num", credited));

    test::addRow(archive(), QStringLiteral("NotaCreditoRighe"),
                 {{QStringLiteral("NotaCredito_ID"), note},
                  {QStringLiteral("NumeroRiga"), 1},
                  {QStringLiteral("Descrizione"), QStringLiteral("Abbuono concordato")},
                  {QStringLiteral("Um"), 1.0},
                  {QStringLiteral("ValoreUnitario"), 10.0},
                  {QStringLiteral("AliquotaIva"), 22.0},
                  {QStringLiteral("Iva_Id"), 1},
                  {QStringLiteral("TotaleImponibile"), 10.0}});
    for (int time = 0; time < 2; ++time) {
        const core::Result<int> imported = importCreditedRows(archive(), note);
        ASSERT_TRUE(imported) << imported.error().toStdString();
        EXPECT_EQ(*imported, 2);
    }
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM NotaCreditoRighe WHERE NotaCredito_ID = ?"), {note})
                  .toInt(),
              3)
        << "one copy of the invoice's rows, and the row typed by hand";
    EXPECT_EQ(scalar(QStringLiteral("SELECT MAX(NumeroRiga) FROM NotaCreditoRighe WHERE NotaCredito_ID = ?"),
                     {note})
                  .toInt(),
              3);
    EXPECT_EQ(scalar(QStringLiteral(
                         "SELECT TipoRiga FROM NotaCreditoRighe WHERE NotaCredito_ID = ? AND NumeroRiga = 2"),
                     {note})
                  .toString(),
              QStringLiteral("N"));
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT ContabilitaConti_ID FROM NotaCreditoRighe WHERE NotaCredito_ID = ? AND "
                              "NumeroRiga = 3"),
               {note})
            .toInt(),
        73)
        << "collection costs go to their own account";
    EXPECT_TRUE(scalar(QStringLiteral(
                           "SELECT Note FROM NotaCreditoRighe WHERE NotaCredito_ID = ? AND NumeroRiga = 2"),
                       {note})
                    .toString()
                    .contains(QStringLiteral(" Fattura numero: ")));

    // 10 + 599.99 + 5 = 614.99 net; the total is exactly net plus VAT.
    const double taxable = data.value(QStringLiteral("fattura"), "TotImponibile", note).toDouble();
    const double tax = data.value(QStringLiteral("fattura"), "TotImposta", note).toDouble();
    EXPECT_DOUBLE_EQ(taxable, 614.99);
    EXPECT_DOUBLE_EQ(data.value(QStringLiteral("fattura"), "TotFattura", note).toDouble(),
                     core::arrotonda(taxable + tax));

    const core::Result<std::optional<QString>> over = overCreditWarning(archive(), note);
    ASSERT_TRUE(over);
    EXPECT_TRUE(over->has_value()) << "the hand-typed row gives back more than was invoiced";

    // The credit note leaves as a TD04 tied to its invoice.
    const core::Result<EInvoiceSource> source = readEInvoiceSource(archive(), note);
    ASSERT_TRUE(source);
    const EInvoiceDocument built = buildEInvoice(*source);
    ASSERT_TRUE(built.problems.isEmpty()) << built.problems.first().text().toStdString();
    EXPECT_EQ(test::firstText(built.xml, QStringLiteral("TipoDocumento")), QStringLiteral("TD04"));
    EXPECT_EQ(test::firstText(built.xml, QStringLiteral("IdDocumento")),
              data.value(QStringLiteral("fattura"), "Num", credited).toString());
    if (const std::optional<QStringList> errors = test::schemaErrors(built.xml)) {
        EXPECT_TRUE(errors->isEmpty()) << errors->join(QLatin1Char('\n')).toStdString();
    }
    if (const std::optional<QJsonObject> body = test::readBack(built.xml)) {
        ASSERT_FALSE(body->contains(QStringLiteral("error")))
            << body->value(QStringLiteral("error")).toString().toStdString();
        EXPECT_FALSE(body->value(QStringLiteral("dati_generali"))
                         .toObject()
                         .value(QStringLiteral("dati_fatture_collegate"))
                         .toArray()
                         .isEmpty());
    }

    // An invoice deleted since can no longer be imported from.
    ASSERT_TRUE(deleteInvoice(archive(), credited));
    const core::Result<int> gone = importCreditedRows(archive(), note);
    ASSERT_FALSE(gone);
    EXPECT_TRUE(gone.error().contains(QStringLiteral("non è più in archivio")));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM NotaCreditoRighe WHERE NotaCredito_ID = ?"), {note})
                  .toInt(),
              3)
        << "nothing half-done";
}

TEST_F(CreditNotes, GiveMoneyBackInTheCashBookAndGoWithEverythingTheyOwn)
{
    data.setOption("DuplicaFatturazioneInPrimaNota", true);
    const qint64 credited = invoice(QDate(2026, 5, 2));
    const qint64 note = creditNote(QDate(2026, 5, 20));
    ASSERT_TRUE(setCreditedInvoice(archive(), note, credited));
    ASSERT_TRUE(importCreditedRows(archive(), note));
    const double total = data.value(QStringLiteral("fattura"), "TotFattura", note).toDouble();
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT Tipo FROM FatturaScadenze WHERE Fattura_ID = ?"), {note}).toString(),
        QStringLiteral("N"));
    EXPECT_DOUBLE_EQ(
        scalar(QStringLiteral("SELECT Entrata FROM finanzia WHERE Fattura_ID = ? AND Tipo = '2'"), {note})
            .toDouble(),
        total)
        << "the credit note's own entry";
    EXPECT_DOUBLE_EQ(
        scalar(QStringLiteral("SELECT Uscita FROM finanzia WHERE Fattura_ID = ? AND Tipo = 'N'"), {note})
            .toDouble(),
        total)
        << "the money paid back on its date";
    EXPECT_TRUE(
        scalar(QStringLiteral("SELECT Operazione FROM finanzia WHERE Fattura_ID = ? AND Tipo = '2'"), {note})
            .toString()
            .startsWith(QStringLiteral("Emessa Nota di credito n°")));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM finanzia WHERE Fattura_ID = ? AND Tipo = '1'"),
                     {credited})
                  .toInt(),
              1)
        << "the invoice keeps its own entry";

    ASSERT_TRUE(deleteInvoice(archive(), note));
    for (const char *table : {"NotaCreditoRighe WHERE NotaCredito_ID", "FatturaScadenze WHERE Fattura_ID",
                              "finanzia WHERE Fattura_ID", "fattura WHERE ID"})
        EXPECT_EQ(
            scalar(QStringLiteral("SELECT COUNT(*) FROM %1 = ?").arg(QLatin1String(table)), {note}).toInt(),
            0)
            << table;
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM fattdett WHERE NumFatt = ?"), {credited}).toInt(),
              2);
}

TEST_F(CreditNotes, RowsAddedByHandGoToTheCreditNoteOnItsOwnAccounts)
{
    data.setOption("conto_ID_Predefinito_su_NoteCreditoVendita_Generale", 81);
    data.setOption("conto_ID_Predefinito_su_NoteCreditoVendita_SpeseTrasporto", 82);
    data.setOption("conto_ID_Predefinito_su_FattureVendita_Generale", 91);
    data.setOption("Spese_di_Trasporto", 12.2);
    data.setOption("AliquotaIva", 22.0);
    const qint64 tariff = test::addRow(archive(), QStringLiteral("prezziar"),
                                       {{QStringLiteral("Descrizione"), QStringLiteral("Verona - Milano")},
                                        {QStringLiteral("Prezzo"), 100.0},
                                        {QStringLiteral("AliquotaIva"), 22.0},
                                        {QStringLiteral("Annullato"), false}});
    const qint64 note = creditNote(QDate(2026, 6, 3));
    const core::Result<QList<qint64>> fromTariff = addTariffRows(archive(), note, {tariff});
    ASSERT_TRUE(fromTariff) << fromTariff.error().toStdString();
    const core::Result<qint64> transport = addCostRow(archive(), note, CostRow::Transport);
    ASSERT_TRUE(transport) << transport.error().toStdString();
    const core::Result<qint64> free = addFreeArticle(archive(), note);
    ASSERT_TRUE(free) << free.error().toStdString();
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM fattdett")).toInt(), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM NotaCreditoRighe WHERE NotaCredito_ID = ?"), {note})
                  .toInt(),
              3);
    EXPECT_EQ(
        data.value(QStringLiteral("NotaCreditoRighe"), "ContabilitaConti_ID", fromTariff->first()).toInt(),
        81);
    EXPECT_EQ(data.value(QStringLiteral("NotaCreditoRighe"), "ContabilitaConti_ID", *transport).toInt(), 82);
    EXPECT_TRUE(
        data.value(QStringLiteral("NotaCreditoRighe"), "DataInizioPeriodo", fromTariff->first()).isNull())
        << "a credited row has no period of its own";
    EXPECT_DOUBLE_EQ(data.value(QStringLiteral("fattura"), "TotImponibile", note).toDouble(), 100 + 10 + 1);

    ASSERT_TRUE(saveCreditNoteRow(archive(), *free, {{QStringLiteral("ValoreUnitario"), 50.0}}));
    EXPECT_DOUBLE_EQ(data.value(QStringLiteral("fattura"), "TotImponibile", note).toDouble(), 160);
    ASSERT_TRUE(deleteCreditNoteRow(archive(), fromTariff->first()));
    EXPECT_DOUBLE_EQ(data.value(QStringLiteral("fattura"), "TotImponibile", note).toDouble(), 60);
    EXPECT_DOUBLE_EQ(
        scalar(QStringLiteral("SELECT SUM(Importo) FROM FatturaScadenze WHERE Fattura_ID = ?"), {note})
            .toDouble(),
        data.value(QStringLiteral("fattura"), "TotFattura", note).toDouble())
        << "the due dates follow";
}
