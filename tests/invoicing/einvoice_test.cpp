#include "core/money.h"
#include "core/textfile.h"
#include "einvoicechecks.h"
#include "invoicing/einvoice.h"
#include "invoicing/einvoicesignature.h"
#include "invoicing/invoicerows.h"
#include "invoicing/invoices.h"
#include "invoicingfixture.h"
#include "storage/archivepathfile.h"
#include "support/testarchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::invoicing;

namespace {

const qint64 vat22 = 1; // the rates a new archive starts with
const qint64 excludedN1 = 5;

class EInvoice : public ::testing::Test
{
protected:
    void SetUp() override
    {
        data.setElectronicInvoicingCompany();
        mode = data.paymentMode(3, {30, 60, 90});
        bank = test::addRow(archive(), QStringLiteral("Bank"),
                            {{QStringLiteral("Banca"), QStringLiteral("Banca Uno")},
                             {QStringLiteral("Beneficiario"), QStringLiteral("Trasporti Rossi")},
                             {QStringLiteral("Iban"), QStringLiteral("it60 x054 2811 1010 0000 0123 456")}});
        firm = data.electronicInvoicingCustomer();
    }

    storage::Archive &archive() { return data.archive(); }

    qint64 invoiceFor(qint64 customer, const QDate &date = QDate(2024, 3, 15))
    {
        const qint64 key = data.invoice(customer, mode, date);
        update(key, {{QStringLiteral("Banca_ID"), bank}});
        return key;
    }

    void update(qint64 key, const QVariantMap &values, const QString &table = QStringLiteral("fattura"))
    {
        const core::Status done = archive().update(table, key, values);
        ASSERT_TRUE(done) << done.error().toStdString();
    }

    // A row as the row editor saves it: numbered, with its VAT record and its net amount.
    qint64 row(qint64 invoice, double quantity, double unit, qint64 vat, double discount = 0,
               const QString &description = QStringLiteral("Trasporto Milano - Torino"),
               bool recompute = true)
    {
        const double rate = vat == excludedN1 ? 0 : 22;
        const int line =
            int(archive()
                    .scalar(QStringLiteral("SELECT COUNT(*) FROM fattdett WHERE NumFatt = ?"), {invoice})
                    .value()
                    .toLongLong());
        const qint64 key = test::addRow(
            archive(), QStringLiteral("fattdett"),
            {{QStringLiteral("NumFatt"), invoice},
             {QStringLiteral("NumeroRiga"), line + 1},
             {QStringLiteral("Descrizione"), description},
             {QStringLiteral("Um"), quantity},
             {QStringLiteral("ValoreUnitario"), unit},
             {QStringLiteral("AliquotaIva"), rate},
             {QStringLiteral("Iva_ID"), vat},
             {QStringLiteral("Sconto"), discount},
             {QStringLiteral("TotaleImponibile"), core::arrotonda(rowNet(quantity, unit, discount))}});
        if (recompute) {
            const core::Status totals = recomputeTotals(archive(), invoice);
            EXPECT_TRUE(totals) << totals.error().toStdString();
        }
        return key;
    }

    EInvoiceDocument build(qint64 document)
    {
        const core::Result<EInvoiceSource> source = readEInvoiceSource(archive(), document);
        EXPECT_TRUE(source) << source.error().toStdString();
        return source ? buildEInvoice(*source) : EInvoiceDocument();
    }

    static QString problemsOf(const EInvoiceDocument &built)
    {
        QStringList lines;
        for (const EInvoiceProblem &problem : built.problems)
            lines.append(problem.text());
        return lines.join(QLatin1Char('\n'));
    }

    // The document is accepted by the official schema and read back with the same totals.
    static void expectAccepted(const EInvoiceDocument &built, double total, double taxable, double tax)
    {
        ASSERT_TRUE(built.problems.isEmpty()) << problemsOf(built).toStdString();
        ASSERT_FALSE(built.xml.isEmpty());
        if (const std::optional<QStringList> errors = test::schemaErrors(built.xml))
            EXPECT_TRUE(errors->isEmpty()) << errors->join(QLatin1Char('\n')).toStdString() << "\n"
                                           << built.xml.toStdString();
        else
            std::cout << "[ note ] FatturaPA schema not beside the checkout: schema check skipped\n";
        if (const std::optional<QJsonObject> body = test::readBack(built.xml)) {
            ASSERT_FALSE(body->contains(QStringLiteral("error")))
                << body->value(QStringLiteral("error")).toString().toStdString();
            const QJsonObject document = body->value(QStringLiteral("dati_generali"))
                                             .toObject()
                                             .value(QStringLiteral("dati_generali_documento"))
                                             .toObject();
            EXPECT_DOUBLE_EQ(document.value(QStringLiteral("importo_totale_documento")).toString().toDouble(),
                             total);
            double readTaxable = 0;
            double readTax = 0;
            const QJsonArray summaries = body->value(QStringLiteral("dati_beni_servizi"))
                                             .toObject()
                                             .value(QStringLiteral("dati_riepilogo"))
                                             .toArray();
            for (const QJsonValue &summary : summaries) {
                readTaxable +=
                    summary.toObject().value(QStringLiteral("imponibile_importo")).toString().toDouble();
                readTax += summary.toObject().value(QStringLiteral("imposta")).toString().toDouble();
            }
            EXPECT_NEAR(readTaxable, taxable, 1e-9);
            EXPECT_NEAR(readTax, tax, 1e-9);
        } else {
            std::cout << "[ note ] a38tool not installed: read-back skipped\n";
        }
    }

    QVariant stored(const char *field, qint64 key)
    {
        return data.value(QStringLiteral("fattura"), field, key);
    }

    test::InvoicingArchive data;
    qint64 mode = 0;
    qint64 bank = 0;
    qint64 firm = 0;
};

} // namespace

TEST(EInvoiceFormat, ValuesAreWrittenInTheShapeOfTheirSchemaType)
{
    namespace f = einvoice_format;
    EXPECT_EQ(f::amount2(1234.5), QStringLiteral("1234.50"));
    EXPECT_EQ(f::amount2(0), QStringLiteral("0.00"));
    EXPECT_EQ(f::amount2(-0.001), QStringLiteral("0.00"));
    EXPECT_EQ(f::amount2(2.345), QStringLiteral("2.35"));
    EXPECT_EQ(f::amount2(12345678.9), QStringLiteral("12345678.90")) << "never an exponent";
    EXPECT_EQ(f::amount8(12.345), QStringLiteral("12.345"));
    EXPECT_EQ(f::amount8(12), QStringLiteral("12.00"));
    EXPECT_EQ(f::amount8(0.123456789), QStringLiteral("0.12345679"));
    EXPECT_EQ(f::amount8(-1.5), QStringLiteral("-1.50"));
    EXPECT_EQ(f::quantity(-3), QStringLiteral("3.00")) << "a quantity has no sign";
    EXPECT_EQ(f::rate(22), QStringLiteral("22.00"));
    EXPECT_EQ(f::date(QDate(2024, 2, 9)), QStringLiteral("2024-02-09"));

    EXPECT_EQ(acceptableText(QStringLiteral("Prezzo 10 € – “netto” ‘a’ corpo…"), true),
              QStringLiteral("Prezzo 10 EUR - \"netto\" 'a' corpo..."));
    EXPECT_EQ(acceptableText(QStringLiteral("Città più bella"), true), QStringLiteral("Città più bella"));
    EXPECT_EQ(acceptableText(QStringLiteral("N° 5 Città"), false), QStringLiteral("No 5 Citta"));
    EXPECT_EQ(acceptableText(QStringLiteral("  Łódź Wrocław  "), true), QStringLiteral("Lódz Wroclaw"));
    EXPECT_EQ(acceptableText(QStringLiteral("a\x01"
                                            "b\tc"),
                             true),
              QStringLiteral("ab\tc"));
    EXPECT_EQ(acceptableText(QStringLiteral("東京"), true), QStringLiteral("東京")) << "kept, and reported";
    EXPECT_EQ(codeText(QStringLiteral(" it60 x054 ")), QStringLiteral("IT60X054"));
}

TEST_F(EInvoice, AFirmsInvoiceIsAcceptedAndReadBackWithItsTotals)
{
    data.setCompany("FatturaAnno", true);
    data.setCompany("FatturazioneMultipla", true);
    const qint64 invoice = invoiceFor(firm, QDate(2024, 3, 15));
    update(invoice, {{QStringLiteral("Num"), 5},
                     {QStringLiteral("SerieFatturazione"), QStringLiteral("B")},
                     {QStringLiteral("DatiTrasmissione_ProgressivoInvio"), QStringLiteral("12")},
                     {QStringLiteral("ImportoMarcaBollo"), 2.0},
                     {QStringLiteral("Causale"),
                      QString(QString(150, QLatin1Char('a')) + QString(100, QLatin1Char('b')))}});
    row(invoice, 2, 617.25, vat22, 10, QStringLiteral("Trasporto <urgente> & \"rapido\""));
    row(invoice, 1, 100, vat22);
    row(invoice, 1, 0, excludedN1, 0, QStringLiteral("Spese anticipate"));
    test::addRow(archive(), QStringLiteral("OrdiniClienti"),
                 {{QStringLiteral("Fattura_ID"), invoice},
                  {QStringLiteral("Numero"), QStringLiteral("ORD-7")},
                  {QStringLiteral("Data"), QDate(2024, 3, 1)},
                  {QStringLiteral("CodiceCig"), QStringLiteral("zab123")}});
    QTemporaryDir folder;
    const QString attachment = QDir(folder.path()).filePath(QStringLiteral("bolla.pdf"));
    ASSERT_TRUE(core::writeTextFile(attachment, QStringLiteral("%PDF-1.4 bolla")));
    test::addRow(archive(), QStringLiteral("Fattura_Allegati"),
                 {{QStringLiteral("Fattura_Id"), invoice},
                  {QStringLiteral("NomeAttachment"), QStringLiteral("bolla.pdf")},
                  {QStringLiteral("FormatoAttachment"), QStringLiteral("PDF")},
                  {QStringLiteral("PercorsoCompleto"), attachment}});

    const EInvoiceDocument built = build(invoice);
    const double taxable = core::arrotonda(2 * 617.25 * 0.9) + 100;
    expectAccepted(built, stored("TotFattura", invoice).toDouble(), taxable, core::arrotonda(taxable * 0.22));
    EXPECT_EQ(built.fileName, QStringLiteral("IT12345670017_00012.xml"));
    EXPECT_EQ(test::firstText(built.xml, QStringLiteral("Numero")), QStringLiteral("5/2024/B"));
    EXPECT_EQ(test::firstText(built.xml, QStringLiteral("CodiceDestinatario")), QStringLiteral("ABC1234"));
    EXPECT_EQ(test::firstText(built.xml, QStringLiteral("FormatoTrasmissione")), QStringLiteral("FPR12"));
    EXPECT_EQ(test::firstText(built.xml, QStringLiteral("Descrizione")),
              QStringLiteral("Trasporto <urgente> & \"rapido\""));
    EXPECT_EQ(test::allTexts(built.xml, QStringLiteral("Causale")).size(), 2) << "a long reason goes on";
    EXPECT_EQ(test::firstText(built.xml, QStringLiteral("ImportoBollo")), QStringLiteral("2.00"));
    EXPECT_EQ(test::firstText(built.xml, QStringLiteral("CodiceCIG")), QStringLiteral("ZAB123"));
    EXPECT_EQ(test::allTexts(built.xml, QStringLiteral("PrezzoTotale")),
              QStringList({QStringLiteral("1111.05"), QStringLiteral("100.00"), QStringLiteral("0.00")}));
    EXPECT_EQ(test::allTexts(built.xml, QStringLiteral("Percentuale")), QStringList{QStringLiteral("10.00")});
    // Two groups: 0 % with its nature, 22 % without.
    EXPECT_EQ(test::allTexts(built.xml, QStringLiteral("ImponibileImporto")),
              QStringList({QStringLiteral("0.00"), QStringLiteral("1211.05")}));
    EXPECT_EQ(test::allTexts(built.xml, QStringLiteral("Natura")),
              QStringList({QStringLiteral("N1"), QStringLiteral("N1")}));
    // Three instalments; the bank's IBAN only on the last.
    EXPECT_EQ(test::allTexts(built.xml, QStringLiteral("DettaglioPagamento")).size(), 3);
    EXPECT_EQ(test::allTexts(built.xml, QStringLiteral("IBAN")),
              QStringList{QStringLiteral("IT60X0542811101000000123456")});
    EXPECT_TRUE(built.xml.lastIndexOf("<IBAN>") > built.xml.lastIndexOf("<DettaglioPagamento>"));
    EXPECT_EQ(QByteArray::fromBase64(test::firstText(built.xml, QStringLiteral("Attachment")).toLatin1()),
              QByteArray("%PDF-1.4 bolla"));
    EXPECT_TRUE(built.xml.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    // The schema check is no formality: the same file with a broken postcode is refused.
    if (const std::optional<QStringList> errors =
            test::schemaErrors(QByteArray(built.xml).replace("<CAP>20100</CAP>", "<CAP>2010</CAP>"))) {
        EXPECT_FALSE(errors->isEmpty());
    }
    EXPECT_TRUE(built.xml.contains("<p:FatturaElettronica")) << "only the root bears the prefix";
    EXPECT_FALSE(built.xml.contains("<p:FatturaElettronicaHeader"));
}

TEST_F(EInvoice, APrivatePersonAPublicOfficeAndAForeignFirmAreEachAddressedAsTheExchangeAsks)
{
    const qint64 person = data.customer(QStringLiteral("Bianchi"),
                                        {{QStringLiteral("Nome"), QStringLiteral("Giovanna")},
                                         {QStringLiteral("Cognome"), QStringLiteral("Bianchi")},
                                         {QStringLiteral("CodFiscale"), QStringLiteral("bncgvn75l41f205w")},
                                         {QStringLiteral("IdPaese"), QStringLiteral("IT")},
                                         {QStringLiteral("Via"), QStringLiteral("Via Po")},
                                         {QStringLiteral("Cap"), QStringLiteral("20121")},
                                         {QStringLiteral("Citta"), QStringLiteral("Milano")}});
    const qint64 personInvoice = invoiceFor(person);
    row(personInvoice, 1, 1234.5, vat22);
    const EInvoiceDocument personal = build(personInvoice);
    expectAccepted(personal, 1506.09, 1234.5, 271.59);
    EXPECT_EQ(test::firstText(personal.xml, QStringLiteral("CodiceDestinatario")), QStringLiteral("0000000"));
    EXPECT_FALSE(personal.xml.contains("PECDestinatario"));
    EXPECT_EQ(test::allTexts(personal.xml, QStringLiteral("IdCodice")),
              QStringList({QStringLiteral("12345670017"), QStringLiteral("12345670017")}))
        << "a person without VAT number has no tax identifier";
    EXPECT_EQ(test::firstText(personal.xml, QStringLiteral("Cognome")), QStringLiteral("Bianchi"));
    EXPECT_EQ(test::allTexts(personal.xml, QStringLiteral("CodiceFiscale")).last(),
              QStringLiteral("BNCGVN75L41F205W"));

    // Made a public administration after its invoice was created: the file follows the customer.
    const qint64 office = data.customer(QStringLiteral("Comune"),
                                        {{QStringLiteral("Cliente"), QStringLiteral("Comune di Asti")},
                                         {QStringLiteral("CodFiscale"), QStringLiteral("80000000002")},
                                         {QStringLiteral("IdPaese"), QStringLiteral("IT")},
                                         {QStringLiteral("Via"), QStringLiteral("Piazza S. Secondo")},
                                         {QStringLiteral("Cap"), QStringLiteral("14100")},
                                         {QStringLiteral("Citta"), QStringLiteral("Asti")}});
    const qint64 officeInvoice = invoiceFor(office);
    row(officeInvoice, 1, 100, vat22);
    update(office,
           {{QStringLiteral("PubblicaAmministrazione"), true},
            {QStringLiteral("CodiceUnivocoUfficio"), QStringLiteral("uf1234")}},
           QStringLiteral("Clienti"));
    const EInvoiceDocument public_ = build(officeInvoice);
    expectAccepted(public_, 122, 100, 22);
    EXPECT_EQ(public_.transmissionFormat, QStringLiteral("FPA12"));
    EXPECT_TRUE(public_.xml.contains("versione=\"FPA12\""));
    EXPECT_EQ(test::firstText(public_.xml, QStringLiteral("CodiceDestinatario")), QStringLiteral("UF1234"));

    const qint64 foreign =
        data.customer(QStringLiteral("Gmbh"), {{QStringLiteral("Cliente"), QStringLiteral("Müller GmbH")},
                                               {QStringLiteral("Iva"), QStringLiteral("de 123456789")},
                                               {QStringLiteral("IdPaese"), QStringLiteral("DE")},
                                               {QStringLiteral("Via"), QStringLiteral("Hauptstraße")},
                                               {QStringLiteral("Cap"), QStringLiteral("D-80331")},
                                               {QStringLiteral("Citta"), QStringLiteral("München")},
                                               {QStringLiteral("Provincia"), QStringLiteral("BY")}});
    const qint64 foreignInvoice = invoiceFor(foreign);
    row(foreignInvoice, 1, 100, excludedN1);
    const EInvoiceDocument abroad = build(foreignInvoice);
    expectAccepted(abroad, 100, 100, 0);
    EXPECT_EQ(test::firstText(abroad.xml, QStringLiteral("CodiceDestinatario")), QStringLiteral("XXXXXXX"));
    EXPECT_EQ(test::allTexts(abroad.xml, QStringLiteral("CAP")).last(), QStringLiteral("00000"));
    EXPECT_EQ(test::allTexts(abroad.xml, QStringLiteral("Provincia")), QStringList{QStringLiteral("MI")})
        << "a foreign province is left out";
    EXPECT_EQ(test::allTexts(abroad.xml, QStringLiteral("IdCodice")).last(), QStringLiteral("DE123456789"));
}

TEST_F(EInvoice, ACreditNoteIsATD04LinkedToItsInvoiceOnlyWhenOneIsSet)
{
    const qint64 invoice = invoiceFor(firm, QDate(2024, 3, 1));
    row(invoice, 1, 100, vat22);
    const qint64 note =
        test::addRow(archive(), QStringLiteral("fattura"),
                     {{QStringLiteral("FattNota"), true},
                      {QStringLiteral("Carico"), false},
                      {QStringLiteral("Num"), 1},
                      {QStringLiteral("Data"), QDate(2024, 3, 20)},
                      {QStringLiteral("Cliente_ID"), firm},
                      {QStringLiteral("ModPagamento_Id"), mode},
                      {QStringLiteral("DatiTrasmissione_ProgressivoInvio"), QStringLiteral("40")},
                      {QStringLiteral("TotImponibile"), 50.0},
                      {QStringLiteral("TotImposta"), 11.0},
                      {QStringLiteral("TotFattura"), 61.0}});
    test::addRow(archive(), QStringLiteral("NotaCreditoRighe"),
                 {{QStringLiteral("NotaCredito_ID"), note},
                  {QStringLiteral("NumeroRiga"), 1},
                  {QStringLiteral("Descrizione"), QStringLiteral("Storno parziale")},
                  {QStringLiteral("Um"), 1.0},
                  {QStringLiteral("ValoreUnitario"), 50.0},
                  {QStringLiteral("AliquotaIva"), 22.0},
                  {QStringLiteral("Iva_Id"), vat22},
                  {QStringLiteral("TotaleImponibile"), 50.0}});
    const EInvoiceDocument unlinked = build(note);
    expectAccepted(unlinked, 61, 50, 11);
    EXPECT_EQ(test::firstText(unlinked.xml, QStringLiteral("TipoDocumento")), QStringLiteral("TD04"));
    EXPECT_FALSE(unlinked.xml.contains("DatiFattureCollegate"));

    update(note, {{QStringLiteral("NCFattIDRif"), invoice},
                  {QStringLiteral("NCFattNumRif"), stored("Num", invoice)},
                  {QStringLiteral("NCFattDataRif"), QDate(2024, 3, 1)}});
    const EInvoiceDocument linked = build(note);
    expectAccepted(linked, 61, 50, 11);
    EXPECT_EQ(test::allTexts(linked.xml, QStringLiteral("IdDocumento")),
              QStringList{QString::number(stored("Num", invoice).toInt())});

    update(note, {{QStringLiteral("NCFattDataRif"), QDate(2024, 4, 1)}});
    EXPECT_TRUE(problemsOf(build(note)).contains(QStringLiteral("[00418]")))
        << "credited after the credit note";
}

TEST_F(EInvoice, TheVatSummaryCountsEveryRowOnceByRateAndNature)
{
    const qint64 secondVat22 = test::addRow(
        archive(), QStringLiteral("Iva"),
        {{QStringLiteral("Descrizione"), QStringLiteral("Iva 22% bis")}, {QStringLiteral("Iva"), 22.0}});
    const qint64 invoice = invoiceFor(firm);
    row(invoice, 1, 100, vat22);
    row(invoice, 1, 50, secondVat22);
    const qint64 orphan = row(invoice, 1, 25, vat22);
    // Kept from older data: no VAT record and no row number.
    update(orphan, {{QStringLiteral("Iva_ID"), QVariant()}, {QStringLiteral("NumeroRiga"), QVariant()}},
           QStringLiteral("fattdett"));
    const EInvoiceDocument built = build(invoice);
    expectAccepted(built, 213.5, 175, 38.5);
    EXPECT_EQ(test::allTexts(built.xml, QStringLiteral("ImponibileImporto")),
              QStringList{QStringLiteral("175.00")});
    EXPECT_EQ(test::allTexts(built.xml, QStringLiteral("Imposta")), QStringList{QStringLiteral("38.50")});
    EXPECT_EQ(test::allTexts(built.xml, QStringLiteral("NumeroLinea")),
              QStringList({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}))
        << "a row without number follows the numbered ones";
}

TEST_F(EInvoice, ANegativeQuantityIsWrittenAsAPositiveOneWithANegativePrice)
{
    const qint64 invoice = invoiceFor(firm);
    row(invoice, 3, 100, vat22);
    row(invoice, -1, 40, vat22, 0, QStringLiteral("Reso bancale"));
    const EInvoiceDocument built = build(invoice);
    expectAccepted(built, 317.2, 260, 57.2);
    EXPECT_EQ(test::allTexts(built.xml, QStringLiteral("Quantita")),
              QStringList({QStringLiteral("3.00"), QStringLiteral("1.00")}));
    EXPECT_EQ(test::allTexts(built.xml, QStringLiteral("PrezzoUnitario")).last(), QStringLiteral("-40.00"));
    EXPECT_EQ(test::allTexts(built.xml, QStringLiteral("PrezzoTotale")).last(), QStringLiteral("-40.00"));
}

TEST_F(EInvoice, WhatTheExchangeWouldRejectIsReportedWithTheFieldToFixAndItsCode)
{
    const auto problemsAfter = [this](const std::function<void(qint64 invoice)> &breakIt) {
        const qint64 invoice = invoiceFor(firm);
        row(invoice, 1, 100, vat22);
        breakIt(invoice);
        return problemsOf(build(invoice));
    };
    const auto expectProblem = [&](const char *what, const std::function<void(qint64)> &breakIt,
                                   const char *expected) {
        const QString problems = problemsAfter(breakIt);
        EXPECT_TRUE(problems.contains(QString::fromUtf8(expected))) << what << ":\n"
                                                                    << problems.toStdString();
    };
    EXPECT_EQ(problemsAfter([](qint64) {}), QString()) << "the unbroken invoice passes";

    expectProblem(
        "zero rate without nature",
        [this](qint64 invoice) {
            row(invoice, 1, 10, excludedN1);
            const auto cleared = archive().execute(
                QStringLiteral("UPDATE Iva SET Pa_Natura_Codice = NULL WHERE ID = ?"), {excludedN1});
            ASSERT_TRUE(cleared);
        },
        "Riga 2: Iva: con l'aliquota 0 serve la natura dell'Iva");
    const auto restored = archive().execute(
        QStringLiteral("UPDATE Iva SET Pa_Natura_Codice = 'N1' WHERE ID = ?"), {excludedN1});
    ASSERT_TRUE(restored);
    expectProblem(
        "generic nature",
        [this](qint64 invoice) {
            const qint64 generic = test::addRow(
                archive(), QStringLiteral("Iva"),
                {{QStringLiteral("Iva"), 0.0}, {QStringLiteral("Pa_Natura_Codice"), QStringLiteral("N2")}});
            row(invoice, 1, 10, generic);
            const auto rate = archive().execute(
                QStringLiteral("UPDATE fattdett SET AliquotaIva = 0 WHERE Iva_ID = ?"), {generic});
            ASSERT_TRUE(rate);
        },
        "[00445]");
    expectProblem(
        "row total",
        [this](qint64 invoice) {
            const auto changed = archive().execute(
                QStringLiteral("UPDATE fattdett SET TotaleImponibile = 90 WHERE NumFatt = ?"), {invoice});
            ASSERT_TRUE(changed);
        },
        "[00423]");
    expectProblem(
        "office code of seven",
        [this](qint64) {
            update(firm,
                   {{QStringLiteral("PubblicaAmministrazione"), true},
                    {QStringLiteral("CodiceUnivocoUfficio"), QStringLiteral("ABC1234")}},
                   QStringLiteral("Clienti"));
        },
        "Codice Univoco Ufficio: il codice univoco ufficio di una pubblica amministrazione ha 6 caratteri "
        "[00427]");
    update(firm, {{QStringLiteral("PubblicaAmministrazione"), false}}, QStringLiteral("Clienti"));
    expectProblem(
        "recipient code of five",
        [this](qint64) {
            update(firm, {{QStringLiteral("Codice"), QStringLiteral("AB12")}}, QStringLiteral("Clienti"));
        },
        "Codice SDI: «AB12» non è 6 o 7 lettere maiuscole o cifre [00200]");
    update(firm, {{QStringLiteral("Codice"), QStringLiteral("ABC1234")}}, QStringLiteral("Clienti"));
    expectProblem(
        "unidentified customer",
        [this](qint64) {
            update(firm, {{QStringLiteral("Iva"), QVariant()}, {QStringLiteral("CodFiscale"), QVariant()}},
                   QStringLiteral("Clienti"));
        },
        "[00417]");
    update(firm, {{QStringLiteral("Iva"), QStringLiteral("80000000001")}}, QStringLiteral("Clienti"));
    expectProblem(
        "wrong check digit", [](qint64) {}, "la partita Iva del cliente non è valida [00305]");
    update(firm, {{QStringLiteral("Iva"), QStringLiteral("80000000002")}}, QStringLiteral("Clienti"));
    expectProblem(
        "post code",
        [this](qint64) {
            update(firm, {{QStringLiteral("Cap"), QStringLiteral("1010")}}, QStringLiteral("Clienti"));
        },
        "Cliente «Alfa S.p.A.»: CAP: «1010» non è cinque cifre");
    update(firm, {{QStringLiteral("Cap"), QStringLiteral("10100")}}, QStringLiteral("Clienti"));
    expectProblem(
        "character with no equivalent",
        [this](qint64 invoice) {
            const auto changed =
                archive().execute(QStringLiteral("UPDATE fattdett SET Descrizione = ? WHERE NumFatt = ?"),
                                  {QStringLiteral("Trasporto 東京"), invoice});
            ASSERT_TRUE(changed);
        },
        "Riga 1: Descrizione: contiene caratteri non ammessi nella fattura elettronica: «東京»");
    expectProblem(
        "payment method unknown",
        [this](qint64) {
            update(mode, {{QStringLiteral("PA_ModalitaPagamento_Codice"), QVariant()}},
                   QStringLiteral("ModPagamento"));
        },
        "Scadenza 1: manca la modalità di pagamento");
    update(mode, {{QStringLiteral("PA_ModalitaPagamento_Codice"), QStringLiteral("MP05")}},
           QStringLiteral("ModPagamento"));
    expectProblem(
        "attachment gone",
        [this](qint64 invoice) {
            test::addRow(
                archive(), QStringLiteral("Fattura_Allegati"),
                {{QStringLiteral("Fattura_Id"), invoice},
                 {QStringLiteral("NomeAttachment"), QStringLiteral("foto.jpg")},
                 {QStringLiteral("PercorsoCompleto"), QStringLiteral("/nessuna/cartella/foto.jpg")}});
        },
        "Attenzione non è più presente il file allegato : /nessuna/cartella/foto.jpg");

    // The exchange system's own table explains the code.
    test::addRow(archive(), QStringLiteral("PA_Errori"),
                 {{QStringLiteral("Codice"), QStringLiteral("00423")},
                  {QStringLiteral("Titolo"), QStringLiteral("PrezzoTotale non calcolato secondo le regole")},
                  {QStringLiteral("Suggerimenti"), QStringLiteral("Verificare quantità e prezzo")}});
    const qint64 invoice = invoiceFor(firm);
    row(invoice, 1, 100, vat22);
    ASSERT_TRUE(archive().execute(
        QStringLiteral("UPDATE fattdett SET TotaleImponibile = 90 WHERE NumFatt = ?"), {invoice}));
    EInvoiceDocument built = build(invoice);
    ASSERT_TRUE(explainProblems(archive(), built.problems));
    ASSERT_EQ(built.problems.size(), 1) << problemsOf(built).toStdString();
    EXPECT_EQ(built.problems.first().title, QStringLiteral("PrezzoTotale non calcolato secondo le regole"));
    EXPECT_EQ(built.problems.first().suggestion, QStringLiteral("Verificare quantità e prezzo"));
    EXPECT_TRUE(built.xml.isEmpty()) << "nothing is written while a problem stands";
}

TEST_F(EInvoice, TheExportStopsFirstOnWhatTheUserMustSetAndChecksTheStoredTotals)
{
    const auto stopOf = [this](qint64 invoice) {
        const core::Result<EInvoiceSource> source = readEInvoiceSource(archive(), invoice);
        EXPECT_TRUE(source);
        const std::optional<ExportStop> stop = exportStop(*source);
        return stop ? stop->message : QString();
    };
    const qint64 invoice = invoiceFor(firm);
    EXPECT_EQ(stopOf(invoice),
              QStringLiteral("Attenzione mancano le Righe di dettaglio della fattura! Prego inserirle"));
    row(invoice, 1, 100, vat22);
    EXPECT_EQ(stopOf(invoice), QString());
    update(invoice, {{QStringLiteral("DatiTrasmissione_ProgressivoInvio"), QString()}});
    EXPECT_EQ(stopOf(invoice), QStringLiteral("Attenzione manca il numero progressivo di trasmissione"));
    update(invoice, {{QStringLiteral("DatiTrasmissione_ProgressivoInvio"), QStringLiteral("9")}});
    update(firm, {{QStringLiteral("Codice"), QString()}}, QStringLiteral("Clienti"));
    EXPECT_TRUE(stopOf(invoice).contains(QStringLiteral("non è impostato la pec o il codice sdi")));
    update(firm, {{QStringLiteral("Pec"), QStringLiteral("alfa@pec.it")}}, QStringLiteral("Clienti"));
    EXPECT_EQ(stopOf(invoice), QString());
    EXPECT_EQ(test::firstText(build(invoice).xml, QStringLiteral("PECDestinatario")),
              QStringLiteral("alfa@pec.it"));
    update(firm, {{QStringLiteral("PubblicaAmministrazione"), true}}, QStringLiteral("Clienti"));
    EXPECT_TRUE(stopOf(invoice).contains(QStringLiteral("Codice Univoco Ufficio")));

    const core::Result<EInvoiceSource> agreeing = readEInvoiceSource(archive(), invoice);
    ASSERT_TRUE(agreeing);
    EXPECT_EQ(consistencyReport(*agreeing), QString());
    update(invoice, {{QStringLiteral("TotFattura"), 100.0}});
    ASSERT_TRUE(archive().execute(
        QStringLiteral("UPDATE fattdett SET TotaleImponibile = 99 WHERE NumFatt = ?"), {invoice}));
    const core::Result<EInvoiceSource> differing = readEInvoiceSource(archive(), invoice);
    ASSERT_TRUE(differing);
    EXPECT_EQ(consistencyReport(*differing),
              QStringLiteral(
                  "La riga numero:%1 ha un imponibile di : 99.00 diverso da quello calcolato: 100.00\n"
                  "Il totale della fattura: ha un valore di : 100.00 diverso da quello calcolato: 122.00\n")
                  .arg(differing->rows.first().value(QStringLiteral("NumeroRiga")).toString()));
}

TEST_F(EInvoice, TheFileIsWrittenWholeBeforeTheInvoiceIsMarkedAndAFailureLeavesNothing)
{
    EInvoiceSource named;
    named.company = {{QStringLiteral("IdPaese"), QStringLiteral("IT")},
                     {QStringLiteral("PIva"), QStringLiteral("01234567890")}};
    named.header = {{QStringLiteral("DatiTrasmissione_ProgressivoInvio"), QStringLiteral("12")}};
    EXPECT_EQ(eInvoiceFileName(named), QStringLiteral("IT01234567890_00012.xml"));
    named.header.clear();
    EXPECT_EQ(eInvoiceFileName(named), QStringLiteral("IT01234567890_00000.xml"));
    named.header = {{QStringLiteral("DatiTrasmissione_ProgressivoInvio"), QStringLiteral("1234567")}};
    named.company.insert(QStringLiteral("Trasmissione_CodFisc"), true);
    named.company.insert(QStringLiteral("CodFisc"), QStringLiteral("rssmra80a01h501u"));
    EXPECT_EQ(eInvoiceFileName(named), QStringLiteral("ITRSSMRA80A01H501U_1234567.xml"));

    const qint64 invoice = invoiceFor(firm);
    row(invoice, 1, 100, vat22);
    const EInvoiceDocument built = build(invoice);
    ASSERT_TRUE(built.problems.isEmpty()) << problemsOf(built).toStdString();
    QTemporaryDir folder;
    const QString unreachable = QDir(folder.path()).filePath(QStringLiteral("manca/") + built.fileName);
    const core::Status refused = writeEInvoiceFiles(archive(), invoice, built, unreachable);
    EXPECT_FALSE(refused);
    EXPECT_TRUE(refused.error().contains(QStringLiteral("non è stato possibile scrivere il file")));
    EXPECT_FALSE(QFileInfo::exists(unreachable));
    EXPECT_FALSE(stored("EsportatoXml", invoice).toBool());

    const QString path = QDir(folder.path()).filePath(built.fileName);
    ASSERT_TRUE(writeEInvoiceFiles(archive(), invoice, built, path));
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), built.xml);
    EXPECT_TRUE(stored("EsportatoXml", invoice).toBool());
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{built.fileName})
        << "no scratch file is left";
}

namespace {

// A certificate authority and a signing certificate of the firm, made with the openssl program.
struct TestCertificates
{
    QTemporaryDir folder;
    QString ca, pkcs12;
    bool made = false;

    TestCertificates()
    {
        const QString openssl = QStandardPaths::findExecutable(QStringLiteral("openssl"));
        if (openssl.isEmpty())
            return;
        const auto run = [&](const QStringList &arguments) {
            QProcess process;
            process.setWorkingDirectory(folder.path());
            process.start(openssl, arguments);
            return process.waitForFinished(60000) && process.exitCode() == 0;
        };
        ca = QDir(folder.path()).filePath(QStringLiteral("ca.pem"));
        pkcs12 = QDir(folder.path()).filePath(QStringLiteral("firma.p12"));
        core::Status extensions =
            core::writeTextFile(QDir(folder.path()).filePath(QStringLiteral("ext.cnf")),
                                QStringLiteral("keyUsage=digitalSignature,nonRepudiation\n"));
        made = extensions &&
               run({QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                    QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-subj"),
                    QStringLiteral("/CN=Prova CA"), QStringLiteral("-keyout"), QStringLiteral("ca.key"),
                    QStringLiteral("-out"), ca, QStringLiteral("-days"), QStringLiteral("2")}) &&
               run({QStringLiteral("req"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                    QStringLiteral("-nodes"), QStringLiteral("-subj"), QStringLiteral("/CN=Mario Rossi"),
                    QStringLiteral("-keyout"), QStringLiteral("firma.key"), QStringLiteral("-out"),
                    QStringLiteral("firma.csr")}) &&
               run({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
                    QStringLiteral("firma.csr"), QStringLiteral("-CA"), ca, QStringLiteral("-CAkey"),
                    QStringLiteral("ca.key"), QStringLiteral("-CAcreateserial"), QStringLiteral("-extfile"),
                    QStringLiteral("ext.cnf"), QStringLiteral("-out"), QStringLiteral("firma.pem"),
                    QStringLiteral("-days"), QStringLiteral("2")}) &&
               run({QStringLiteral("pkcs12"), QStringLiteral("-export"), QStringLiteral("-in"),
                    QStringLiteral("firma.pem"), QStringLiteral("-inkey"), QStringLiteral("firma.key"),
                    QStringLiteral("-certfile"), ca, QStringLiteral("-passout"),
                    QStringLiteral("pass:segreta"), QStringLiteral("-out"), pkcs12});
    }
};

} // namespace

TEST_F(EInvoice, ASignedFileIsACadesEnvelopeThatOpensslVerifiesAgainstTheAuthority)
{
    TestCertificates certificates;
    if (!certificates.made)
        GTEST_SKIP() << "the openssl program is needed to make the test certificates";
    EXPECT_FALSE(DocumentSigner::open(certificates.pkcs12, QStringLiteral("sbagliata")));
    EXPECT_FALSE(DocumentSigner::open(certificates.ca, QStringLiteral("segreta"))) << "not a PKCS#12 file";
    core::Result<DocumentSigner> signer =
        DocumentSigner::open(certificates.pkcs12, QStringLiteral("segreta"));
    ASSERT_TRUE(signer) << signer.error().toStdString();
    EXPECT_TRUE(signer->subject().contains(QStringLiteral("Mario Rossi")));

    const qint64 invoice = invoiceFor(firm);
    row(invoice, 1, 100, vat22);
    const EInvoiceDocument built = build(invoice);
    QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath(built.fileName);
    ASSERT_TRUE(writeEInvoiceFiles(archive(), invoice, built, path, &*signer));
    ASSERT_TRUE(QFileInfo::exists(path + QStringLiteral(".p7m")));

    const QString openssl = QStandardPaths::findExecutable(QStringLiteral("openssl"));
    QProcess verify;
    const QString payload = QDir(folder.path()).filePath(QStringLiteral("payload.xml"));
    verify.start(openssl,
                 {QStringLiteral("cms"), QStringLiteral("-verify"), QStringLiteral("-binary"),
                  QStringLiteral("-inform"), QStringLiteral("DER"), QStringLiteral("-in"),
                  path + QStringLiteral(".p7m"), QStringLiteral("-CAfile"), certificates.ca,
                  QStringLiteral("-purpose"), QStringLiteral("any"), QStringLiteral("-out"), payload});
    ASSERT_TRUE(verify.waitForFinished(60000));
    EXPECT_EQ(verify.exitCode(), 0) << verify.readAllStandardError().toStdString();
    QFile content(payload);
    ASSERT_TRUE(content.open(QIODevice::ReadOnly));
    EXPECT_EQ(content.readAll(), built.xml);

    QProcess print;
    print.start(openssl, {QStringLiteral("cms"), QStringLiteral("-cmsout"), QStringLiteral("-print"),
                          QStringLiteral("-inform"), QStringLiteral("DER"), QStringLiteral("-in"),
                          path + QStringLiteral(".p7m")});
    ASSERT_TRUE(print.waitForFinished(60000));
    const QString structure = QString::fromUtf8(print.readAllStandardOutput());
    EXPECT_TRUE(structure.contains(QStringLiteral("signingCertificateV2"))) << "CAdES-BES";
    EXPECT_TRUE(structure.contains(QStringLiteral("sha256")));
}

TEST_F(EInvoice, TheMonthEndExportWritesEveryDocumentOfThePeriodAndReportsTheRefusedOnes)
{
    const qint64 march = invoiceFor(firm, QDate(2024, 3, 10));
    row(march, 1, 100, vat22);
    const qint64 broken = invoiceFor(firm, QDate(2024, 3, 20));
    row(broken, 1, 100, vat22);
    ASSERT_TRUE(archive().execute(
        QStringLiteral("UPDATE fattdett SET TotaleImponibile = 1 WHERE NumFatt = ?"), {broken}));
    const qint64 april = invoiceFor(firm, QDate(2024, 4, 2));
    row(april, 1, 100, vat22);

    QTemporaryDir folder;
    BatchExport request;
    request.folder = folder.path();
    request.from = QDate(2024, 3, 1);
    request.to = QDate(2024, 3, 31);
    QStringList told;
    core::Result<QList<BatchLine>> lines =
        exportEInvoices(archive(), request, [&](const BatchLine &line) { told.append(line.text()); });
    ASSERT_TRUE(lines) << lines.error().toStdString();
    ASSERT_EQ(lines->size(), 2);
    EXPECT_TRUE(lines->at(0).written);
    EXPECT_TRUE(told.at(0).startsWith(QStringLiteral("OK ") + QString::number(stored("Num", march).toInt()) +
                                      QLatin1Char(' ')));
    EXPECT_FALSE(lines->at(1).written);
    EXPECT_TRUE(told.at(1).startsWith(QStringLiteral("ERRORE %1: ").arg(stored("Num", broken).toInt())))
        << told.at(1).toStdString();
    EXPECT_TRUE(told.at(1).contains(QStringLiteral("[00423]")));
    EXPECT_TRUE(stored("EsportatoXml", march).toBool());
    EXPECT_FALSE(stored("EsportatoXml", broken).toBool());
    EXPECT_FALSE(stored("EsportatoXml", april).toBool()) << "outside the period";
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 1);

    request.to = QDate();
    lines = exportEInvoices(archive(), request);
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->size(), 2) << "the exported one is not written again";
    request.alsoExported = true;
    lines = exportEInvoices(archive(), request);
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->size(), 3);
}

TEST(EInvoiceCommandLine, TheProgramExportsWithoutADisplayAndSaysHowItWent)
{
    const QString program = QStringLiteral(ROTALINA_RUNTIME_DIR "/rotalina");
    if (!QFileInfo(program).isExecutable())
        GTEST_SKIP() << "the program is not built";
    QTemporaryDir home;
    const QString archivePath = QDir(home.path()).filePath(QStringLiteral("archivio.db"));
    qint64 good = 0;
    {
        storage::OpenOptions create;
        create.createIfMissing = true;
        auto archive = storage::Archive::open(storage::ArchiveLocation::sqliteFile(archivePath), create);
        ASSERT_TRUE(archive) << archive.error().toStdString();
        storage::Archive &a = **archive;
        ASSERT_TRUE(a.execute(
            QStringLiteral("UPDATE ditta SET IdPaese = 'IT', PIva = '12345670017', RagSoc = 'Rossi', "
                           "Via = 'Via Roma', Cap = '20100', Comune = 'Milano', RegimeFiscale = 'RF01'")));
        const qint64 customer = test::addRow(a, QStringLiteral("Clienti"),
                                             {{QStringLiteral("Cliente"), QStringLiteral("Alfa")},
                                              {QStringLiteral("Iva"), QStringLiteral("80000000002")},
                                              {QStringLiteral("IdPaese"), QStringLiteral("IT")},
                                              {QStringLiteral("Codice"), QStringLiteral("ABC1234")},
                                              {QStringLiteral("Via"), QStringLiteral("Corso Italia")},
                                              {QStringLiteral("Cap"), QStringLiteral("10100")},
                                              {QStringLiteral("Citta"), QStringLiteral("Torino")}});
        for (const bool complete : {true, false}) {
            NewInvoice request;
            request.today = QDate(2024, 5, 10);
            const core::Result<qint64> invoice = createInvoice(a, request);
            ASSERT_TRUE(invoice) << invoice.error().toStdString();
            ASSERT_TRUE(
                a.update(QStringLiteral("fattura"), *invoice, {{QStringLiteral("Cliente_ID"), customer}}));
            if (complete) {
                good = *invoice;
                test::addRow(a, QStringLiteral("fattdett"),
                             {{QStringLiteral("NumFatt"), *invoice},
                              {QStringLiteral("NumeroRiga"), 1},
                              {QStringLiteral("Descrizione"), QStringLiteral("Trasporto")},
                              {QStringLiteral("Um"), 1.0},
                              {QStringLiteral("ValoreUnitario"), 100.0},
                              {QStringLiteral("AliquotaIva"), 22.0},
                              {QStringLiteral("Iva_ID"), vat22},
                              {QStringLiteral("TotaleImponibile"), 100.0}});
                ASSERT_TRUE(recomputeTotals(a, *invoice));
            }
        }
    }
    const auto run = [&](const QStringList &arguments, QString *output = nullptr) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ROTALINA_HOME"), home.path());
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForFinished(120000));
        if (output)
            *output = QString::fromUtf8(process.readAllStandardOutput());
        return process.exitCode();
    };
    const QString out = QDir(home.path()).filePath(QStringLiteral("uscita"));
    QString printed;
    EXPECT_EQ(run({QStringLiteral("--esporta-fatture-xml"), out, QStringLiteral("--dal"),
                   QStringLiteral("01/05/2024"), QStringLiteral("--al"), QStringLiteral("31/05/2024")},
                  &printed),
              1);
    const QStringList lines = printed.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << printed.toStdString();
    EXPECT_TRUE(lines.at(0).startsWith(QStringLiteral("OK 1 ")) &&
                lines.at(0).endsWith(QStringLiteral("_00001.xml")))
        << lines.at(0).toStdString();
    EXPECT_TRUE(lines.at(1).startsWith(QStringLiteral("ERRORE 2: Attenzione mancano le Righe")))
        << lines.at(1).toStdString();
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 1);

    EXPECT_EQ(run({QStringLiteral("--esporta-fatture-xml"), out, QStringLiteral("--al"),
                   QStringLiteral("31/02/2024")}),
              2);
    EXPECT_EQ(run({QStringLiteral("--esporta-fatture-xml"), out, QStringLiteral("avanzo")}), 2);
    EXPECT_EQ(run({QStringLiteral("--esporta-fatture-xml"), out, QStringLiteral("--dal"),
                   QStringLiteral("01/06/2024")},
                  &printed),
              0);
    EXPECT_EQ(printed, QString()) << "nothing left to export in June";

    auto archive = storage::Archive::open(storage::ArchiveLocation::sqliteFile(archivePath));
    ASSERT_TRUE(archive);
    EXPECT_TRUE((*archive)
                    ->scalar(QStringLiteral("SELECT EsportatoXml FROM fattura WHERE ID = ?"), {good})
                    ->toBool());
}
