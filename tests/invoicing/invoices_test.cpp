#include "invoicing/instalments.h"
#include "invoicing/invoicerows.h"
#include "invoicing/invoices.h"
#include "invoicingfixture.h"
#include "storage/sqlvalue.h"
#include "support/testarchive.h"

#include <gtest/gtest.h>

using namespace rotalina;

namespace {

const char *const childArchive = "ROTALINA_INVOICE_CHILD_ARCHIVE";
constexpr int invoicesPerChild = 25;

int number(test::InvoicingArchive &fixture, qint64 invoice)
{
    return fixture.value(QStringLiteral("fattura"), "Num", invoice).toInt();
}

qint64 newInvoice(storage::Archive &archive, const QString &series = {})
{
    invoicing::NewInvoice request;
    request.series = series;
    request.today = QDate(2026, 3, 2);
    const auto key = invoicing::createInvoice(archive, request);
    EXPECT_TRUE(key) << key.error().toStdString();
    return key ? *key : 0;
}

double total(test::InvoicingArchive &fixture, qint64 invoice, const char *field)
{
    return fixture.value(QStringLiteral("fattura"), field, invoice).toDouble();
}

} // namespace

TEST(InvoiceNumbering, NumbersFollowTheSeriesAndTheOptions)
{
    test::InvoicingArchive fixture;
    storage::Archive &archive = fixture.archive();
    const qint64 first = newInvoice(archive);
    EXPECT_EQ(number(fixture, first), 1);
    EXPECT_EQ(fixture.value(QStringLiteral("fattura"), "DatiTrasmissione_ProgressivoInvio", first).toString(),
              QStringLiteral("1"));
    EXPECT_EQ(fixture.value(QStringLiteral("fattura"), "DatiGenerali_Divisa", first).toString(),
              QStringLiteral("EUR"));
    EXPECT_EQ(number(fixture, newInvoice(archive)), 2);

    // An invoice marked "Non Numerare" does not count; one closed with its year neither.
    const qint64 unnumbered = newInvoice(archive);
    ASSERT_TRUE(archive.update(QStringLiteral("fattura"), unnumbered,
                               {{QStringLiteral("Num"), 50}, {QStringLiteral("NonNumerare"), true}}));
    const qint64 closed = newInvoice(archive);
    ASSERT_TRUE(archive.update(QStringLiteral("fattura"), closed,
                               {{QStringLiteral("Num"), 70}, {QStringLiteral("Storico"), true}}));
    EXPECT_EQ(number(fixture, newInvoice(archive)), 3);

    // Credit notes count only when they share the sequence.
    test::addRow(archive, QStringLiteral("fattura"),
                 {{QStringLiteral("Num"), 9},
                  {QStringLiteral("FattNota"), true},
                  {QStringLiteral("Carico"), false},
                  {QStringLiteral("Storico"), false},
                  {QStringLiteral("NonNumerare"), false}});
    EXPECT_EQ(number(fixture, newInvoice(archive)), 4);
    fixture.setOption("NumerazioneUnicaNoteCredito", true);
    EXPECT_EQ(number(fixture, newInvoice(archive)), 10);
    fixture.setOption("NumerazioneUnicaNoteCredito", false);

    // The series counts only when the firm numbers by series.
    EXPECT_EQ(number(fixture, newInvoice(archive, QStringLiteral("B"))), 11);
    fixture.setCompany("FatturazioneMultipla", true);
    const qint64 seriesB = newInvoice(archive, QStringLiteral("B"));
    EXPECT_EQ(number(fixture, seriesB), 12);
    EXPECT_EQ(fixture.value(QStringLiteral("fattura"), "SerieFatturazione", seriesB).toString(),
              QStringLiteral("B"));
    EXPECT_EQ(number(fixture, newInvoice(archive, QStringLiteral("L'Aquila"))), 1);
}

TEST(InvoiceNumbering, TheTransmissionNumberIsNeverGivenTwice)
{
    test::InvoicingArchive fixture;
    storage::Archive &archive = fixture.archive();
    const qint64 first = newInvoice(archive);
    EXPECT_EQ(fixture.value(QStringLiteral("fattura"), "DatiTrasmissione_NumeroInterno", first).toInt(), 1);
    // A progressive edited by hand above the internal numbers is the one to follow; one that is not
    // a number does not count.
    ASSERT_TRUE(
        archive.update(QStringLiteral("fattura"), first,
                       {{QStringLiteral("DatiTrasmissione_ProgressivoInvio"), QStringLiteral("00041")}}));
    test::addRow(archive, QStringLiteral("fattura"),
                 {{QStringLiteral("Carico"), true},
                  {QStringLiteral("DatiTrasmissione_ProgressivoInvio"), QStringLiteral("A9Z99")}});
    const qint64 second = newInvoice(archive);
    EXPECT_EQ(fixture.value(QStringLiteral("fattura"), "DatiTrasmissione_NumeroInterno", second).toInt(), 42);
    EXPECT_EQ(
        fixture.value(QStringLiteral("fattura"), "DatiTrasmissione_ProgressivoInvio", second).toString(),
        QStringLiteral("42"));
    EXPECT_EQ(number(fixture, second), 2);
}

// Run as a separate process by the test below: creates invoices on the archive it is given.
TEST(InvoiceNumbering, WorkstationCreatingInvoices)
{
    const QString location = qEnvironmentVariable(childArchive);
    if (location.isEmpty())
        GTEST_SKIP() << "run by InvoiceNumbering.FourWorkstationsAtOnce as one of its workstations";
    const auto parsed = storage::ArchiveLocation::parse(location);
    ASSERT_TRUE(parsed) << parsed.error().toStdString();
    auto archive = storage::Archive::open(*parsed);
    ASSERT_TRUE(archive) << archive.error().toStdString();
    for (int i = 0; i < invoicesPerChild; ++i) {
        invoicing::NewInvoice request;
        request.series = i % 2 ? QStringLiteral("A") : QString();
        const auto key = invoicing::createInvoice(**archive, request);
        ASSERT_TRUE(key) << key.error().toStdString();
    }
}

TEST(InvoiceNumbering, FourWorkstationsAtOnce)
{
    test::InvoicingArchive fixture;
    storage::Archive &archive = fixture.archive();
    fixture.setCompany("FatturazioneMultipla", true);
    fixture.setOption("DuplicaFatturazioneInPrimaNota", true);
    fixture.setOption("ModPagamento_Id", fixture.paymentMode(0));
    test::runAsWorkstations(QStringLiteral("InvoiceNumbering.WorkstationCreatingInvoices"), childArchive,
                            archive);
    EXPECT_EQ(test::count(archive, QStringLiteral("SELECT COUNT(*) FROM fattura")), 4 * invoicesPerChild);
    EXPECT_EQ(test::count(archive,
                          QStringLiteral("SELECT COUNT(*) FROM (SELECT COALESCE(SerieFatturazione, ''), Num "
                                         "FROM fattura GROUP BY COALESCE(SerieFatturazione, ''), Num "
                                         "HAVING COUNT(*) > 1) AS twice")),
              0);
    EXPECT_EQ(test::count(archive, QStringLiteral(
                                       "SELECT COUNT(DISTINCT DatiTrasmissione_NumeroInterno) FROM fattura")),
              4 * invoicesPerChild);
    // The series counted on its own: every one of its numbers once.
    EXPECT_EQ(test::count(archive, QStringLiteral("SELECT COUNT(*) - COUNT(DISTINCT Num) FROM fattura WHERE "
                                                  "SerieFatturazione = 'A'")),
              0);
    // Each invoice got its due date and its two cash-book entries with it.
    EXPECT_EQ(test::count(archive, QStringLiteral("SELECT COUNT(*) FROM FatturaScadenze")),
              4 * invoicesPerChild);
    EXPECT_EQ(test::count(archive, QStringLiteral("SELECT COUNT(*) FROM finanzia")), 8 * invoicesPerChild);
}

TEST(InvoiceTotals, RowsAreSummedUnroundedAndRoundedOnce)
{
    test::InvoicingArchive fixture;
    storage::Archive &archive = fixture.archive();
    const qint64 customer = fixture.customer(QStringLiteral("Rossi"));
    const qint64 invoice = fixture.invoice(customer, fixture.paymentMode(1, {30}), QDate(2026, 1, 5));
    fixture.row(invoice, 1, 0.005, 0);
    fixture.row(invoice, 1, 0.005, 0);
    EXPECT_DOUBLE_EQ(total(fixture, invoice, "TotImponibile"), 0.01);

    const qint64 vat = fixture.invoice(customer, fixture.paymentMode(1, {30}), QDate(2026, 1, 5));
    fixture.row(vat, 1, 18.25, 22);
    EXPECT_DOUBLE_EQ(total(fixture, vat, "TotImposta"), 4.02);
    EXPECT_DOUBLE_EQ(total(fixture, vat, "TotFattura"), 22.27);
    // A row without quantity is left out; parcels and commissions are summed over every row.
    test::addRow(archive, QStringLiteral("fattdett"),
                 {{QStringLiteral("NumFatt"), vat},
                  {QStringLiteral("ValoreUnitario"), 1000.0},
                  {QStringLiteral("AliquotaIva"), 22.0},
                  {QStringLiteral("Colli"), 3.0},
                  {QStringLiteral("ProvvigioneContrassegno"), 1.255}});
    ASSERT_TRUE(invoicing::recomputeTotals(archive, vat));
    EXPECT_DOUBLE_EQ(total(fixture, vat, "TotFattura"), 22.27);
    EXPECT_DOUBLE_EQ(total(fixture, vat, "TotColli"), 3);
    EXPECT_DOUBLE_EQ(total(fixture, vat, "TotProvvigioneContrassegno"), 1.26);
}

TEST(InvoiceRows, RowsFromTariffsCostsAndFreeArticles)
{
    test::InvoicingArchive fixture;
    storage::Archive &archive = fixture.archive();
    fixture.setOption("IncrementaNumeroRigaArticoli", true);
    fixture.setOption("DescrizioneDocumentiTariffario", true);
    fixture.setOption("Spese_di_Trasporto", 12.2);
    fixture.setOption("Spese_di_Incasso", 3.0);
    const qint64 customer = fixture.customer(QStringLiteral("Rossi"), {{QStringLiteral("Sconto"), 5.0}});
    const qint64 agent = test::addRow(archive, QStringLiteral("Fornitor"),
                                      {{QStringLiteral("Fornitore"), QStringLiteral("Agente")},
                                       {QStringLiteral("PercentualeProvvigioni"), 3.5}});
    const qint64 invoice = fixture.invoice(customer, fixture.paymentMode(1, {30}), QDate(2026, 2, 10));
    ASSERT_TRUE(archive.update(QStringLiteral("fattura"), invoice, {{QStringLiteral("Agente_id"), agent}}));
    const qint64 milano = test::addRow(archive, QStringLiteral("Comuni"),
                                       {{QStringLiteral("Comune"), QStringLiteral("Milano")}});
    const qint64 roma = test::addRow(
        archive, QStringLiteral("Comuni"),
        {{QStringLiteral("Comune"), QStringLiteral("Roma")}, {QStringLiteral("Regione_ID"), 12}});
    const auto tariff = [&](const char *description, double price, double discount, bool fixedPrice,
                            const QVariantMap &more = {}) {
        QVariantMap values{{QStringLiteral("Descrizione"), QString::fromUtf8(description)},
                           {QStringLiteral("Prezzo"), price},
                           {QStringLiteral("Sconto"), discount},
                           {QStringLiteral("AliquotaIva"), 22.0},
                           {QStringLiteral("Iva_Id"), 1},
                           {QStringLiteral("PrezzoImposto"), fixedPrice},
                           {QStringLiteral("Annullato"), false}};
        values.insert(more);
        return test::addRow(archive, QStringLiteral("prezziar"), values);
    };
    const qint64 route = tariff("Milano-Roma", 100, 10, false,
                                {{QStringLiteral("Partenza_ID"), milano}, {QStringLiteral("Fine_ID"), roma}});
    const qint64 fixedPrice = tariff("Bancale", 100, 10, true);
    const qint64 plain = tariff("Sosta «oraria» 🚚", 40, 0, false);

    const auto added =
        invoicing::addTariffRows(archive, invoice, {plain, route, fixedPrice}, QDate(2026, 2, 11));
    ASSERT_TRUE(added) << added.error().toStdString();
    ASSERT_EQ(added->size(), 3);
    const auto row = [&](qint64 key, const char *field) {
        return fixture.value(QStringLiteral("fattdett"), field, key);
    };
    EXPECT_EQ(row(added->at(0), "NumeroRiga").toInt(), 1);
    EXPECT_EQ(row(added->at(2), "NumeroRiga").toInt(), 3);
    EXPECT_EQ(row(added->at(0), "Descrizione").toString(), QString::fromUtf8("Sosta «oraria» 🚚"));
    EXPECT_EQ(row(added->at(1), "Descrizione").toString(), QStringLiteral("Milano-Roma Da:Milano A:Roma"));
    EXPECT_EQ(row(added->at(1), "Regione_ID").toInt(), 12);
    // The customer's discount replaces the tariff's, unless the tariff's price is fixed.
    EXPECT_DOUBLE_EQ(row(added->at(1), "Sconto").toDouble(), 5);
    EXPECT_DOUBLE_EQ(row(added->at(2), "Sconto").toDouble(), 10);
    EXPECT_DOUBLE_EQ(row(added->at(2), "TotaleImponibile").toDouble(), 90);
    EXPECT_DOUBLE_EQ(row(added->at(2), "ValoreTotale").toDouble(), 109.8);
    EXPECT_DOUBLE_EQ(row(added->at(0), "PercentualeProvvigione").toDouble(), 3.5);
    EXPECT_EQ(row(added->at(0), "TipoRiga").toString(), QStringLiteral("N"));
    EXPECT_EQ(row(added->at(0), "Articolo_ID").toLongLong(), plain);
    EXPECT_EQ(storage::sqlvalue::toDate(row(added->at(0), "DataInizioPeriodo")), QDate(2026, 2, 10));
    // 38 + 95 + 90 = 223 net, 49.06 VAT: the plain tariff takes the customer's discount too.
    EXPECT_DOUBLE_EQ(total(fixture, invoice, "TotImponibile"), 223);
    EXPECT_DOUBLE_EQ(total(fixture, invoice, "TotFattura"), 272.06);

    const auto transport = invoicing::addCostRow(archive, invoice, invoicing::CostRow::Transport);
    ASSERT_TRUE(transport);
    EXPECT_DOUBLE_EQ(row(*transport, "ValoreUnitario").toDouble(), 10);
    EXPECT_DOUBLE_EQ(row(*transport, "ValoreTotale").toDouble(), 12.2);
    EXPECT_EQ(row(*transport, "TipoRiga").toString(), QStringLiteral("T"));
    EXPECT_EQ(row(*transport, "NumeroRiga").toInt(), 4);
    const auto free = invoicing::addFreeArticle(archive, invoice);
    ASSERT_TRUE(free);
    EXPECT_EQ(row(*free, "Descrizione").toString(), QStringLiteral("Articolo da inserire"));
    EXPECT_DOUBLE_EQ(row(*free, "ValoreTotale").toDouble(), 1.22);
    EXPECT_DOUBLE_EQ(total(fixture, invoice, "TotImponibile"), 234);

    // The row editor's save: 100 at 10 % discount and 22 % VAT is 109,80; totals and due date follow.
    ASSERT_TRUE(invoicing::saveInvoiceRow(archive, *free,
                                          {{QStringLiteral("Um"), 1.0},
                                           {QStringLiteral("ValoreUnitario"), 100.0},
                                           {QStringLiteral("Sconto"), 10.0}}));
    EXPECT_DOUBLE_EQ(row(*free, "TotaleImponibile").toDouble(), 90);
    EXPECT_DOUBLE_EQ(row(*free, "ValoreTotale").toDouble(), 109.8);
    EXPECT_DOUBLE_EQ(total(fixture, invoice, "TotImponibile"), 323);
    EXPECT_DOUBLE_EQ(
        archive
            .scalar(QStringLiteral("SELECT SUM(Importo) FROM FatturaScadenze WHERE Fattura_ID = ?"),
                    {invoice})
            .value()
            .toDouble(),
        total(fixture, invoice, "TotFattura"));

    // A long description with quotes, accents and emoji is kept as typed.
    QString description = QString::fromUtf8("Trasporto \"urgente\" d'andata: perché 🚚 € ");
    while (description.size() < 5000)
        description += description;
    description.truncate(5000);
    ASSERT_TRUE(invoicing::saveInvoiceRow(archive, *free, {{QStringLiteral("Descrizione"), description}}));
    EXPECT_EQ(row(*free, "Descrizione").toString(), description);

    ASSERT_TRUE(invoicing::deleteInvoiceRow(archive, *free));
    EXPECT_DOUBLE_EQ(total(fixture, invoice, "TotImponibile"), 233);
    EXPECT_FALSE(invoicing::deleteInvoiceRow(archive, *free)) << "a row already gone is told";
}

TEST(InvoiceRows, RowArithmetic)
{
    EXPECT_DOUBLE_EQ(invoicing::rowGross(1, 100, 22, 10), 109.8);
    EXPECT_DOUBLE_EQ(invoicing::rowNet(3, 0.3333, 0), 0.9999) << "the net amount is not rounded";
    EXPECT_DOUBLE_EQ(invoicing::unitValueFromGross(1, 122, 22, 0).value(), 100.0);
    EXPECT_DOUBLE_EQ(invoicing::unitValueFromGross(2, 109.8, 22, 10).value(), 50.0);
    EXPECT_FALSE(invoicing::unitValueFromGross(1, 122, 22, 100)) << "nothing to divide by";
    EXPECT_FALSE(invoicing::unitValueFromGross(0, 122, 22, 0));

    const auto checks = invoicing::invoiceRowChecks();
    const QVariantMap complete{{QStringLiteral("Um"), 1.0},
                               {QStringLiteral("ValoreUnitario"), 0.0},
                               {QStringLiteral("AliquotaIva"), 0.0},
                               {QStringLiteral("Descrizione"), QStringLiteral("x")}};
    EXPECT_FALSE(checks.firstFailure(complete)) << "zero is a value";
    QVariantMap missing = complete;
    missing.insert(QStringLiteral("AliquotaIva"), QVariant());
    missing.insert(QStringLiteral("Descrizione"), QStringLiteral("  "));
    EXPECT_EQ(checks.firstFailure(missing)->message, QStringLiteral("Attenzione manca l'Aliquota Iva"));
}

TEST(Invoices, DeleteTakesEverythingAndFreesTheJobOrders)
{
    test::InvoicingArchive fixture;
    storage::Archive &archive = fixture.archive();
    fixture.setOption("DuplicaFatturazioneInPrimaNota", true);
    const qint64 customer = fixture.customer(QStringLiteral("Rossi"));
    const qint64 invoice = fixture.invoice(customer, fixture.paymentMode(0), QDate(2026, 1, 5));
    const qint64 other = fixture.invoice(customer, fixture.paymentMode(0), QDate(2026, 1, 6));
    fixture.row(invoice, 1, 10, 22);
    fixture.row(other, 1, 10, 22);
    const qint64 job = test::addRow(archive, QStringLiteral("TotaliCo"),
                                    {{QStringLiteral("Fatturato"), true}, {QStringLiteral("Chiusa"), true}});
    test::addRow(archive, QStringLiteral("FatturaContiRighe"),
                 {{QStringLiteral("Fattura_ID"), invoice}, {QStringLiteral("Conto_ID"), job}});
    test::addRow(archive, QStringLiteral("OrdiniClienti"), {{QStringLiteral("Fattura_ID"), invoice}});

    ASSERT_TRUE(invoicing::deleteInvoice(archive, invoice));
    for (const char *table :
         {"fattdett WHERE NumFatt", "FatturaScadenze WHERE Fattura_ID", "finanzia WHERE Fattura_ID",
          "FatturaContiRighe WHERE Fattura_ID", "OrdiniClienti WHERE Fattura_ID", "fattura WHERE ID"})
        EXPECT_EQ(test::count(archive,
                              QStringLiteral("SELECT COUNT(*) FROM %1 = ?").arg(QLatin1String(table)),
                              {invoice}),
                  0)
            << table;
    EXPECT_FALSE(fixture.value(QStringLiteral("TotaliCo"), "Fatturato", job).toBool());
    EXPECT_FALSE(fixture.value(QStringLiteral("TotaliCo"), "Chiusa", job).toBool());
    // The other invoice keeps all of its own.
    EXPECT_EQ(
        test::count(archive, QStringLiteral("SELECT COUNT(*) FROM finanzia WHERE Fattura_ID = ?"), {other}),
        2);
    EXPECT_EQ(
        test::count(archive, QStringLiteral("SELECT COUNT(*) FROM fattdett WHERE NumFatt = ?"), {other}), 1);
}

TEST(Invoices, CustomerChoiceAndWarnings)
{
    test::InvoicingArchive fixture;
    storage::Archive &archive = fixture.archive();
    const qint64 mode = fixture.paymentMode(1, {30});
    const qint64 office = fixture.customer(QStringLiteral("Comune di Lodi"),
                                           {{QStringLiteral("PubblicaAmministrazione"), true},
                                            {QStringLiteral("ScissionePagamenti"), true},
                                            {QStringLiteral("Pagamento_ID"), mode},
                                            {QStringLiteral("LetteraIntento_DataInizio"), QDate(2026, 1, 1)},
                                            {QStringLiteral("LetteraIntento_DataFine"), QDate(2026, 6, 30)}});
    const auto chosen = invoicing::customerChoice(archive, office);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->value(QStringLiteral("Cliente")).toString(), QStringLiteral("Comune di Lodi"));
    EXPECT_EQ(chosen->value(QStringLiteral("DatiTrasmissione_FormatoTrasmissione")).toString(),
              QStringLiteral("FPA12"));
    EXPECT_TRUE(chosen->value(QStringLiteral("ScissionePagamenti")).toBool());
    EXPECT_EQ(chosen->value(QStringLiteral("ModPagamento_Id")).toLongLong(), mode);
    const qint64 plain = fixture.customer(QStringLiteral("Bianchi"));
    const auto other = invoicing::customerChoice(archive, plain);
    ASSERT_TRUE(other);
    EXPECT_EQ(other->value(QStringLiteral("DatiTrasmissione_FormatoTrasmissione")).toString(),
              QStringLiteral("FPR12"));
    EXPECT_FALSE(other->contains(QStringLiteral("ModPagamento_Id")))
        << "no mode of its own: the invoice's stays";

    // Letter of intent: only with the option, a row with VAT and a date within the letter.
    const qint64 invoice = fixture.invoice(office, mode, QDate(2026, 6, 30));
    fixture.row(invoice, 1, 100, 22);
    const auto letter = [&](const QVariant &customer, const QDate &date) {
        return invoicing::letterOfIntentApplies(archive, invoice, customer, date).value();
    };
    EXPECT_FALSE(letter(office, QDate(2026, 6, 30)));
    fixture.setOption("ControllaLettereIntentoDocumenti", true);
    EXPECT_TRUE(letter(office, QDate(2026, 6, 30)));
    EXPECT_TRUE(letter(office, QDate(2026, 1, 1)));
    EXPECT_FALSE(letter(office, QDate(2026, 7, 1)));
    EXPECT_FALSE(letter(plain, QDate(2026, 6, 30)));
    EXPECT_FALSE(letter(QVariant(), QDate(2026, 6, 30))) << "no customer: nothing to check";
    EXPECT_FALSE(letter(office, QDate())) << "no date: nothing to check";

    // Date order: number 10 dated before number 9 of the same year is told.
    const auto settings = invoicing::readInvoicingSettings(archive);
    ASSERT_TRUE(settings);
    ASSERT_TRUE(archive.update(QStringLiteral("fattura"), invoice,
                               {{QStringLiteral("Num"), 9}, {QStringLiteral("Data"), QDate(2026, 5, 20)}}));
    const auto warning = invoicing::dateOrderWarning(archive, *settings, 10, QDate(2026, 5, 19), {});
    ASSERT_TRUE(warning && warning->has_value());
    EXPECT_EQ(**warning,
              QStringLiteral("Attenzione la fattura precedente: la numero 9 presenta una data maggiore di "
                             "quella che si sta registrando "));
    EXPECT_FALSE(invoicing::dateOrderWarning(archive, *settings, 10, QDate(2026, 5, 20), {})->has_value());
    EXPECT_FALSE(invoicing::dateOrderWarning(archive, *settings, 10, QDate(2027, 1, 2), {})->has_value());

    // The last price of an article for the customer, from another invoice.
    const qint64 article = test::addRow(archive, QStringLiteral("prezziar"),
                                        {{QStringLiteral("Descrizione"), QStringLiteral("x")}});
    ASSERT_TRUE(archive.update(QStringLiteral("fattura"), invoice, {{QStringLiteral("Cliente_ID"), office}}));
    test::addRow(archive, QStringLiteral("fattdett"),
                 {{QStringLiteral("NumFatt"), invoice},
                  {QStringLiteral("Articolo_ID"), article},
                  {QStringLiteral("ValoreUnitario"), 12.5},
                  {QStringLiteral("Sconto"), 2.0}});
    const qint64 next = fixture.invoice(office, mode, QDate(2026, 6, 1));
    EXPECT_EQ(invoicing::lastPriceMessage(archive, office, next, article).value(),
              QStringLiteral("Ultima fattura: 20/05/2026 Valore Unitario: 12,5000 Sconto: 2,00"));
    EXPECT_EQ(invoicing::lastPriceMessage(archive, office, invoice, article).value(),
              QStringLiteral("Non sono presenti fatture per questo articolo e per questo Cliente!"));
    EXPECT_TRUE(invoicing::lastPriceMessage(archive, office, next, QVariant()).value().isEmpty());
}
