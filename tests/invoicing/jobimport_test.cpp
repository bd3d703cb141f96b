#include "invoicing/invoices.h"
#include "invoicing/jobimport.h"
#include "invoicingfixture.h"
#include "storage/sqlvalue.h"
#include "support/testarchive.h"

#include <QDateTime>
#include <QSqlRecord>
#include <gtest/gtest.h>

using namespace rotalina;

namespace {

const char *const childArchive = "ROTALINA_JOB_IMPORT_ARCHIVE";

// An invoice with a customer, and the job orders the tests put in the archive as the job-order window
// would leave them.
class JobImport : public ::testing::Test
{
protected:
    void SetUp() override
    {
        customer = fixture.customer(QStringLiteral("Rossi"));
        invoice = fixture.invoice(customer, fixture.paymentMode(2, {30, 60}), QDate(2026, 3, 10));
    }

    storage::Archive &archive() { return fixture.archive(); }

    qint64 job(int number, const QDate &date, const QVariantMap &more = {}, qint64 owner = 0)
    {
        QVariantMap values{{QStringLiteral("Cliente_Id"), owner ? owner : customer},
                           {QStringLiteral("Numero"), number},
                           {QStringLiteral("Data"), date},
                           {QStringLiteral("Serie"), QStringLiteral("A")},
                           {QStringLiteral("Note"), QStringLiteral("commessa %1").arg(number)},
                           {QStringLiteral("Fatturato"), false},
                           {QStringLiteral("Chiusa"), false},
                           {QStringLiteral("Annullato"), false},
                           {QStringLiteral("Storico"), false}};
        values.insert(more);
        return test::addRow(archive(), QStringLiteral("TotaliCo"), values);
    }

    qint64 jobRow(qint64 job, int number, double quantity, double unitValue, double vatRate,
                  const QVariantMap &more = {})
    {
        QVariantMap values{{QStringLiteral("Testata_ID"), job},
                           {QStringLiteral("NumeroRiga"), number},
                           {QStringLiteral("Descrizione"), QStringLiteral("Trasporto %1").arg(number)},
                           {QStringLiteral("Um"), quantity},
                           {QStringLiteral("ValoreUnitario"), unitValue},
                           {QStringLiteral("AliquotaIva"), vatRate},
                           {QStringLiteral("TipoRiga"), QStringLiteral("N")}};
        values.insert(more);
        return test::addRow(archive(), QStringLiteral("Conti"), values);
    }

    int count(const QString &sql, const QVariantList &params = {})
    {
        return test::count(archive(), sql, params);
    }

    QVariant value(const QString &table, const char *field, qint64 key)
    {
        return fixture.value(table, field, key);
    }

    bool invoiced(qint64 job) { return value(QStringLiteral("TotaliCo"), "Fatturato", job).toBool(); }
    bool closed(qint64 job) { return value(QStringLiteral("TotaliCo"), "Chiusa", job).toBool(); }

    double total(const char *field) { return value(QStringLiteral("fattura"), field, invoice).toDouble(); }

    int rowsOf(qint64 job)
    {
        return count(QStringLiteral("SELECT COUNT(*) FROM fattdett WHERE NumFatt = ? AND Conto_ID = ?"),
                     {invoice, job});
    }

    int links(qint64 job)
    {
        return count(QStringLiteral("SELECT COUNT(*) FROM FatturaContiRighe WHERE Conto_ID = ?"), {job});
    }

    test::InvoicingArchive fixture;
    qint64 customer = 0;
    qint64 invoice = 0;
};

} // namespace

TEST_F(JobImport, CopiesTheRowsFieldByFieldWithTheLinkTheFlagsTheTotalsAndTheDueDates)
{
    fixture.setOption("IncrementaNumeroRigaArticoli", true);
    const auto account = [this](const char *name) {
        return test::addRow(archive(), QStringLiteral("ContabilitaConti"),
                            {{QStringLiteral("Descrizione"), QString::fromUtf8(name)}});
    };
    const qint64 general = account("Ricavi trasporti");
    const qint64 transport = account("Rimborso spese di trasporto");
    const qint64 collection = account("Rimborso spese di incasso");
    fixture.setOption("conto_ID_Predefinito_su_FattureVendita_Generale", general);
    fixture.setOption("conto_ID_Predefinito_su_FattureVendita_SpeseTrasporto", transport);
    fixture.setOption("conto_ID_Predefinito_su_FattureVendita_SpeseIncasso", collection);
    const qint64 agent = test::addRow(archive(), QStringLiteral("Fornitor"),
                                      {{QStringLiteral("Fornitore"), QStringLiteral("Agente Bianchi")},
                                       {QStringLiteral("PercentualeProvvigioni"), 5.0}});
    ASSERT_TRUE(archive().update(QStringLiteral("fattura"), invoice, {{QStringLiteral("Agente_id"), agent}}));
    fixture.row(invoice, 1, 10, 22);
    const qint64 sender =
        test::addRow(archive(), QStringLiteral("Indirizzi"),
                     {{QStringLiteral("RagioneSociale"), QStringLiteral("Magazzino Nord")}});
    const qint64 vat = test::addRow(
        archive(), QStringLiteral("Iva"),
        {{QStringLiteral("Descrizione"), QStringLiteral("Iva 22")}, {QStringLiteral("Iva"), 22.0}});
    const qint64 from = test::addRow(archive(), QStringLiteral("Comuni"),
                                     {{QStringLiteral("Comune"), QStringLiteral("Verona")}});
    const qint64 to = test::addRow(archive(), QStringLiteral("Comuni"),
                                   {{QStringLiteral("Comune"), QStringLiteral("Milano")}});
    const qint64 tariff = test::addRow(archive(), QStringLiteral("prezziar"),
                                       {{QStringLiteral("Descrizione"), QStringLiteral("Verona - Milano")}});
    const qint64 unit = test::addRow(archive(), QStringLiteral("UnitaMisura"),
                                     {{QStringLiteral("Descrizione"), QStringLiteral("Viaggio")}});
    const qint64 job = this->job(7, QDate(2026, 3, 2),
                                 {{QStringLiteral("Targa1"), QStringLiteral("AB123CD")},
                                  {QStringLiteral("OrdineCarico"), QStringLiteral("OC-55")},
                                  {QStringLiteral("Mittente_ID"), sender}});
    // Every field the invoice row takes from the job order's row, with values of their own.
    const QVariantMap full{{QStringLiteral("Descrizione"), QStringLiteral("Verona - Milano bilico")},
                           {QStringLiteral("Contrassegno"), 150.0},
                           {QStringLiteral("DataInizioPeriodo"), QDate(2026, 3, 2)},
                           {QStringLiteral("DataFinePeriodo"), QDate(2026, 3, 3)},
                           {QStringLiteral("RiferimentoAmministrazione"), QStringLiteral("AMM-1")},
                           {QStringLiteral("Regione_ID"), 3},
                           {QStringLiteral("Chilometri"), 160.0},
                           {QStringLiteral("Reparto"), QStringLiteral("Groupage")},
                           {QStringLiteral("Sconto"), 10.0},
                           {QStringLiteral("RIFDDT"), QStringLiteral("DDT 12")},
                           {QStringLiteral("DataDDT"), QDate(2026, 3, 1)},
                           {QStringLiteral("ValoreTotale"), 109.8},
                           {QStringLiteral("Articolo_ID"), tariff},
                           {QStringLiteral("Iva_ID"), vat},
                           {QStringLiteral("Codice"), QStringLiteral("VR-MI")},
                           {QStringLiteral("Um_Id"), unit},
                           {QStringLiteral("Colli"), 4.0},
                           {QStringLiteral("Peso"), 1200.0},
                           {QStringLiteral("PesoRiconosciuto"), 1150.0},
                           {QStringLiteral("TotaleImponibile"), 90.0},
                           {QStringLiteral("ProvvigioneContrassegno"), 2.5},
                           {QStringLiteral("Volume"), 7.5},
                           {QStringLiteral("Partenza_ID"), from},
                           {QStringLiteral("Fine_ID"), to},
                           {QStringLiteral("Partenza_Indirizzo"), sender},
                           {QStringLiteral("Fine_Indirizzo"), sender},
                           {QStringLiteral("TipoRiga"), QStringLiteral("T")},
                           {QStringLiteral("Imputazione"), QStringLiteral("not copied")},
                           {QStringLiteral("Note"), QStringLiteral("not copied either")}};
    const qint64 second = jobRow(job, 2, 2, 50, 22, full);
    jobRow(job, 1, 1, 5, 22, {{QStringLiteral("TipoRiga"), QStringLiteral("s")}});
    jobRow(job, 3, 3, 1, 0,
           {{QStringLiteral("Descrizione"), QVariant()}, {QStringLiteral("TipoRiga"), QVariant()}});

    const auto imported = invoicing::importJobOrders(archive(), invoice, {job}, QDate(2026, 4, 1));
    ASSERT_TRUE(imported) << imported.error().toStdString();
    EXPECT_EQ(*imported, 3);

    auto read = archive().select(
        QStringLiteral("SELECT * FROM fattdett WHERE NumFatt = ? AND Conto_ID = ? ORDER BY NumeroRiga"),
        {invoice, job});
    ASSERT_TRUE(read);
    QList<QSqlRecord> rows;
    while (read->next())
        rows.append(read->record());
    ASSERT_EQ(rows.size(), 3);
    // In the job order's row order, numbered after the invoice's own row.
    EXPECT_EQ(rows.at(0).value(QStringLiteral("NumeroRiga")).toInt(), 2);
    EXPECT_EQ(rows.at(1).value(QStringLiteral("NumeroRiga")).toInt(), 3);
    EXPECT_EQ(rows.at(2).value(QStringLiteral("NumeroRiga")).toInt(), 4);
    for (const QSqlRecord &row : rows) {
        EXPECT_EQ(row.value(QStringLiteral("TipoRiga")).toString(), QStringLiteral("C"));
        EXPECT_EQ(row.value(QStringLiteral("note")).toString(),
                  QStringLiteral("Commessa N°7 Data: 02/03/2026"));
        EXPECT_EQ(row.value(QStringLiteral("Targa1")).toString(), QStringLiteral("AB123CD"));
        EXPECT_EQ(row.value(QStringLiteral("OrdineCarico")).toString(), QStringLiteral("OC-55"));
        EXPECT_EQ(row.value(QStringLiteral("Mittente_ID")).toLongLong(), sender);
        EXPECT_EQ(row.value(QStringLiteral("Mittente")).toString(), QStringLiteral("Magazzino Nord"));
        EXPECT_DOUBLE_EQ(row.value(QStringLiteral("PercentualeProvvigione")).toDouble(), 5);
        EXPECT_EQ(storage::sqlvalue::toDate(row.value(QStringLiteral("Data"))), QDate(2026, 3, 10))
            << "the invoice's date";
        EXPECT_FALSE(row.value(QStringLiteral("Storico")).toBool());
    }
    EXPECT_EQ(rows.at(0).value(QStringLiteral("ContabilitaConti_ID")).toLongLong(), collection) << "kind s";
    EXPECT_EQ(rows.at(1).value(QStringLiteral("ContabilitaConti_ID")).toLongLong(), transport) << "kind T";
    EXPECT_EQ(rows.at(2).value(QStringLiteral("ContabilitaConti_ID")).toLongLong(), general) << "no kind";
    // Empty values of the job order's row are not copied.
    EXPECT_TRUE(rows.at(2).value(QStringLiteral("Descrizione")).isNull());
    EXPECT_TRUE(rows.at(2).value(QStringLiteral("Sconto")).isNull());

    const QSqlRecord &copied = rows.at(1);
    const auto source = archive().readRow(QStringLiteral("Conti"), second);
    ASSERT_TRUE(source);
    for (const char *field : {"Descrizione",
                              "Contrassegno",
                              "DataInizioPeriodo",
                              "DataFinePeriodo",
                              "RiferimentoAmministrazione",
                              "Regione_ID",
                              "Um",
                              "Chilometri",
                              "ValoreUnitario",
                              "Reparto",
                              "Sconto",
                              "RIFDDT",
                              "DataDDT",
                              "ValoreTotale",
                              "AliquotaIva",
                              "Articolo_ID",
                              "Iva_ID",
                              "Codice",
                              "Colli",
                              "Peso",
                              "PesoRiconosciuto",
                              "TotaleImponibile",
                              "ProvvigioneContrassegno",
                              "Volume",
                              "Partenza_ID",
                              "Fine_ID",
                              "Partenza_Indirizzo",
                              "Fine_Indirizzo"}) {
        const QVariant expected = source->value(QLatin1String(field));
        ASSERT_FALSE(expected.isNull()) << field;
        EXPECT_EQ(copied.value(QLatin1String(field)).toString(), expected.toString()) << field;
    }
    EXPECT_EQ(copied.value(QStringLiteral("Um_ID")).toLongLong(), unit);
    EXPECT_TRUE(copied.value(QStringLiteral("Imputazione")).isNull());

    // The link, with the job order's number and date.
    ASSERT_EQ(links(job), 1);
    auto link = archive().select(
        QStringLiteral("SELECT Fattura_ID, Numero, data FROM FatturaContiRighe WHERE Conto_ID = ?"), {job});
    ASSERT_TRUE(link && link->next());
    EXPECT_EQ(link->value(0).toLongLong(), invoice);
    EXPECT_EQ(link->value(1).toInt(), 7);
    EXPECT_EQ(storage::sqlvalue::toDate(link->value(2)), QDate(2026, 3, 2));
    EXPECT_TRUE(invoiced(job));
    EXPECT_TRUE(closed(job));

    // 10 + 90 + 5 + 3 net; VAT 2,20 + 19,80 + 1,10.
    EXPECT_DOUBLE_EQ(total("TotImponibile"), 108);
    EXPECT_DOUBLE_EQ(total("TotImposta"), 23.1);
    EXPECT_DOUBLE_EQ(total("TotFattura"), 131.1);
    EXPECT_DOUBLE_EQ(total("TotColli"), 4);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM FatturaScadenze WHERE Fattura_ID = ?"), {invoice}),
              2);
    EXPECT_DOUBLE_EQ(
        archive()
            .scalar(QStringLiteral("SELECT SUM(Importo) FROM FatturaScadenze WHERE Fattura_ID = ?"),
                    {invoice})
            ->toDouble(),
        131.1);
}

TEST_F(JobImport, ImportingTwiceLeavesOneSetOfRowsAndOneLink)
{
    fixture.setOption("IncrementaNumeroRigaArticoli", true);
    const qint64 job = this->job(3, QDate(2026, 3, 5));
    const qint64 first = jobRow(job, 1, 1, 100, 22);
    jobRow(job, 2, 1, 20, 22);
    ASSERT_TRUE(invoicing::importJobOrders(archive(), invoice, {job}));
    // The job order changed meanwhile: the second import brings its rows as they are now.
    ASSERT_TRUE(
        archive().update(QStringLiteral("Conti"), first, {{QStringLiteral("ValoreUnitario"), 200.0}}));
    const auto again = invoicing::importJobOrders(archive(), invoice, {job, job});
    ASSERT_TRUE(again) << again.error().toStdString();
    EXPECT_EQ(rowsOf(job), 2);
    EXPECT_EQ(links(job), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT MAX(NumeroRiga) FROM fattdett WHERE NumFatt = ?"), {invoice}), 2);
    EXPECT_DOUBLE_EQ(total("TotImponibile"), 220);
    EXPECT_TRUE(invoiced(job));
}

TEST_F(JobImport, WithoutIncreasingNumbersEveryRowIsNumberOne)
{
    fixture.setOption("IncrementaNumeroRigaArticoli", false);
    const qint64 job = this->job(3, QDate(2026, 3, 5));
    jobRow(job, 1, 1, 100, 22);
    jobRow(job, 2, 1, 20, 22);
    ASSERT_TRUE(invoicing::importJobOrders(archive(), invoice, {job}));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM fattdett WHERE NumFatt = ? AND NumeroRiga = 1"),
                    {invoice}),
              2);
}

TEST_F(JobImport, OffersAndImportsAllTheCustomersOpenJobsOnly)
{
    const qint64 other = fixture.customer(QStringLiteral("Verdi"));
    const qint64 elsewhere = fixture.invoice(customer, fixture.paymentMode(0), QDate(2026, 3, 1));
    const qint64 second = job(2, QDate(2026, 3, 6), {{QStringLiteral("Note"), QStringLiteral("urgente")}});
    const qint64 first = job(1, QDate(2026, 3, 5));
    const qint64 unwritten = test::addRow(archive(), QStringLiteral("TotaliCo"),
                                          {{QStringLiteral("Cliente_Id"), customer},
                                           {QStringLiteral("Numero"), 9},
                                           {QStringLiteral("Data"), QDate(2026, 3, 9)}});
    const qint64 cancelled = job(3, QDate(2026, 3, 5), {{QStringLiteral("Annullato"), true}});
    const qint64 archived = job(4, QDate(2025, 3, 5), {{QStringLiteral("Storico"), true}});
    const qint64 othersJob = job(5, QDate(2026, 3, 5), {}, other);
    const qint64 taken = job(6, QDate(2026, 3, 5));
    for (const qint64 key : {first, second, unwritten, cancelled, archived, othersJob, taken})
        jobRow(key, 1, 1, 10, 22);
    ASSERT_TRUE(invoicing::importJobOrders(archive(), elsewhere, {taken}));

    const auto offered = invoicing::importableJobOrders(archive(), invoice);
    ASSERT_TRUE(offered) << offered.error().toStdString();
    ASSERT_EQ(offered->size(), 3) << "flags never written count as not set";
    EXPECT_EQ(offered->at(0).key, first);
    EXPECT_EQ(offered->at(1).key, second);
    EXPECT_EQ(offered->at(2).key, unwritten);
    EXPECT_EQ(offered->at(1).choice, QStringLiteral("N° 2 Data: 06/03/2026 Serie: A - urgente"));

    const auto all = invoicing::importAllJobOrders(archive(), invoice);
    ASSERT_TRUE(all) << all.error().toStdString();
    EXPECT_EQ(*all, 3);
    for (const qint64 key : {first, second, unwritten})
        EXPECT_EQ(rowsOf(key), 1);
    for (const qint64 key : {cancelled, archived, othersJob})
        EXPECT_FALSE(invoiced(key));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM FatturaContiRighe WHERE Fattura_ID = ?"), {invoice}),
              3);

    const auto none = invoicing::importAllJobOrders(archive(), invoice);
    ASSERT_FALSE(none);
    EXPECT_EQ(none.error(), QStringLiteral("Nessun Record da importare"));
    EXPECT_TRUE(invoicing::importableJobOrders(archive(), invoice)->isEmpty());
}

TEST_F(JobImport, UnlinkingReopensTheJobAndTakesItsRowsAway)
{
    const qint64 kept = job(1, QDate(2026, 3, 5));
    const qint64 removed = job(2, QDate(2026, 3, 6));
    jobRow(kept, 1, 1, 100, 22);
    jobRow(removed, 1, 1, 50, 22);
    jobRow(removed, 2, 1, 25, 22);
    ASSERT_TRUE(invoicing::importJobOrders(archive(), invoice, {kept, removed}));
    EXPECT_DOUBLE_EQ(total("TotImponibile"), 175);

    // As the grid of the links removes it: by the link's key.
    const qint64 link =
        archive()
            .scalar(QStringLiteral("SELECT ID FROM FatturaContiRighe WHERE Conto_ID = ?"), {removed})
            ->toLongLong();
    const auto unlinked = invoicing::removeJobOrderLink(archive(), link);
    ASSERT_TRUE(unlinked) << unlinked.error().toStdString();
    EXPECT_EQ(rowsOf(removed), 0);
    EXPECT_EQ(links(removed), 0);
    EXPECT_FALSE(invoiced(removed));
    EXPECT_FALSE(closed(removed)) << "open again, not only no longer invoiced";
    EXPECT_EQ(rowsOf(kept), 1);
    EXPECT_TRUE(invoiced(kept));
    EXPECT_TRUE(closed(kept));
    EXPECT_DOUBLE_EQ(total("TotImponibile"), 100);
    EXPECT_DOUBLE_EQ(
        archive()
            .scalar(QStringLiteral("SELECT SUM(Importo) FROM FatturaScadenze WHERE Fattura_ID = ?"),
                    {invoice})
            ->toDouble(),
        122);
    // It is offered again.
    ASSERT_EQ(invoicing::importableJobOrders(archive(), invoice)->size(), 1);

    // A job order the invoice does not hold is left as it is.
    const qint64 other = fixture.invoice(customer, fixture.paymentMode(0), QDate(2026, 3, 1));
    ASSERT_TRUE(invoicing::unlinkJobOrder(archive(), other, kept));
    EXPECT_TRUE(invoiced(kept));
    EXPECT_EQ(rowsOf(kept), 1);
}

TEST_F(JobImport, DeletingTheInvoiceReopensItsJobs)
{
    const qint64 job = this->job(1, QDate(2026, 3, 5));
    jobRow(job, 1, 1, 100, 22);
    ASSERT_TRUE(invoicing::importJobOrders(archive(), invoice, {job}));
    ASSERT_TRUE(invoicing::deleteInvoice(archive(), invoice));
    EXPECT_FALSE(invoiced(job));
    EXPECT_FALSE(closed(job));
    EXPECT_EQ(links(job), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM fattdett")), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Conti WHERE Testata_ID = ?"), {job}), 1)
        << "the job order keeps its own rows";
}

TEST_F(JobImport, RefusesWhatTheInvoiceCannotTakeAndChangesNothing)
{
    const qint64 other = fixture.customer(QStringLiteral("Verdi"));
    const qint64 good = job(1, QDate(2026, 3, 5));
    const qint64 othersJob = job(2, QDate(2026, 3, 5), {}, other);
    jobRow(good, 1, 1, 100, 22);
    jobRow(othersJob, 1, 1, 100, 22);
    const double before = total("TotFattura");

    auto refused = invoicing::importJobOrders(archive(), invoice, {good, othersJob});
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(), QStringLiteral("Attenzione la commessa N° 2 è di un altro cliente: non si può "
                                              "importare in questa fattura"));
    // One transaction: the good job order is not taken either.
    EXPECT_FALSE(invoiced(good));
    EXPECT_EQ(links(good), 0);
    EXPECT_EQ(rowsOf(good), 0);
    EXPECT_DOUBLE_EQ(total("TotFattura"), before);

    const QString unsaved = QStringLiteral(
        "Attenzione è necessario salvare la fattura prima di inserirci i riferimenti ai Conti");
    EXPECT_EQ(invoicing::importJobOrders(archive(), 0, {good}).error(), unsaved);
    EXPECT_EQ(invoicing::importJobOrders(archive(), invoice + 1000, {good}).error(), unsaved);
    EXPECT_EQ(invoicing::importJobOrders(archive(), invoice, {}).error(), unsaved) << "no job order chosen";
    EXPECT_EQ(invoicing::importAllJobOrders(archive(), 0).error(), unsaved);

    const qint64 cancelled = job(3, QDate(2026, 3, 5), {{QStringLiteral("Annullato"), true}});
    EXPECT_EQ(invoicing::importJobOrders(archive(), invoice, {cancelled}).error(),
              QStringLiteral("Attenzione la commessa N° 3 è annullata: non si può fatturare"));
    EXPECT_FALSE(invoiced(cancelled));

    // Taken by another invoice.
    const qint64 first = fixture.invoice(customer, fixture.paymentMode(0), QDate(2026, 3, 1));
    ASSERT_TRUE(invoicing::importJobOrders(archive(), first, {good}));
    refused = invoicing::importJobOrders(archive(), invoice, {good});
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(),
              QStringLiteral(
                  "Attenzione la commessa N° 1 è già stata fatturata con la fattura N° %1 del 01/03/2026")
                  .arg(value(QStringLiteral("fattura"), "Num", first).toInt()));
    EXPECT_EQ(
        count(QStringLiteral("SELECT COUNT(*) FROM FatturaContiRighe WHERE Conto_ID = ? AND Fattura_ID = ?"),
              {good, first}),
        1);
    EXPECT_EQ(rowsOf(good), 0);

    // Marked invoiced by hand without an invoice holding it.
    const qint64 marked = job(4, QDate(2026, 3, 5), {{QStringLiteral("Fatturato"), true}});
    EXPECT_EQ(invoicing::importJobOrders(archive(), invoice, {marked}).error(),
              QStringLiteral("Attenzione la commessa N° 4 risulta già fatturata"));

    // A credit note takes no job orders.
    invoicing::NewInvoice note;
    note.document = invoicing::CustomerDocument::CreditNote;
    const auto creditNote = invoicing::createInvoice(archive(), note);
    ASSERT_TRUE(creditNote);
    ASSERT_TRUE(
        archive().update(QStringLiteral("fattura"), *creditNote, {{QStringLiteral("Cliente_ID"), customer}}));
    const qint64 open = job(5, QDate(2026, 3, 5));
    EXPECT_FALSE(invoicing::importJobOrders(archive(), *creditNote, {open}));
    EXPECT_FALSE(invoiced(open));
}

TEST_F(JobImport, OfTwoWorkstationsImportingTheSameJobOnlyOneSucceeds)
{
    const qint64 job = this->job(1, QDate(2026, 3, 5));
    jobRow(job, 1, 1, 100, 22);
    const qint64 theirs = fixture.invoice(customer, fixture.paymentMode(0), QDate(2026, 3, 9));
    auto elsewhere = test::openAgain(archive().location());
    ASSERT_TRUE(invoicing::importJobOrders(archive(), invoice, {job}));
    const auto refused = invoicing::importJobOrders(*elsewhere, theirs, {job});
    ASSERT_FALSE(refused);
    EXPECT_TRUE(
        refused.error().startsWith(QStringLiteral("Attenzione la commessa N° 1 è già stata fatturata")))
        << refused.error().toStdString();
    EXPECT_EQ(links(job), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM fattdett WHERE NumFatt = ?"), {theirs}), 0);
}

// Run as a separate process by the test below: a workstation invoicing the only job order of the
// archive on an invoice of its own.
TEST(JobImportWorkstation, InvoicesTheSharedJob)
{
    const QString location = qEnvironmentVariable(childArchive);
    if (location.isEmpty())
        GTEST_SKIP() << "run by JobImportWorkstations.OnlyOneInvoicesTheJob as one of its workstations";
    const auto parsed = storage::ArchiveLocation::parse(location);
    ASSERT_TRUE(parsed) << parsed.error().toStdString();
    auto opened = storage::Archive::open(*parsed);
    ASSERT_TRUE(opened) << opened.error().toStdString();
    storage::Archive &archive = **opened;
    const qint64 job = archive.scalar(QStringLiteral("SELECT ID FROM TotaliCo"))->toLongLong();
    const qint64 customer = archive.scalar(QStringLiteral("SELECT Cliente_Id FROM TotaliCo"))->toLongLong();
    const auto invoice = invoicing::createInvoice(archive, {});
    ASSERT_TRUE(invoice) << invoice.error().toStdString();
    ASSERT_TRUE(
        archive.update(QStringLiteral("fattura"), *invoice, {{QStringLiteral("Cliente_ID"), customer}}));
    const auto imported = invoicing::importJobOrders(archive, *invoice, {job});
    if (!imported) {
        EXPECT_TRUE(
            imported.error().startsWith(QStringLiteral("Attenzione la commessa N° 1 è già stata fatturata")))
            << imported.error().toStdString();
    }
}

TEST(JobImportWorkstations, OnlyOneInvoicesTheJob)
{
    test::InvoicingArchive fixture;
    storage::Archive &archive = fixture.archive();
    const qint64 customer = fixture.customer(QStringLiteral("Rossi"));
    const qint64 job = test::addRow(archive, QStringLiteral("TotaliCo"),
                                    {{QStringLiteral("Cliente_Id"), customer},
                                     {QStringLiteral("Numero"), 1},
                                     {QStringLiteral("Data"), QDate(2026, 3, 5)},
                                     {QStringLiteral("Fatturato"), false},
                                     {QStringLiteral("Storico"), false}});
    for (int row = 1; row <= 3; ++row)
        test::addRow(archive, QStringLiteral("Conti"),
                     {{QStringLiteral("Testata_ID"), job},
                      {QStringLiteral("NumeroRiga"), row},
                      {QStringLiteral("Um"), 1.0},
                      {QStringLiteral("ValoreUnitario"), 10.0}});
    test::runAsWorkstations(QStringLiteral("JobImportWorkstation.InvoicesTheSharedJob"), childArchive,
                            archive);
    EXPECT_EQ(test::count(archive, QStringLiteral("SELECT COUNT(*) FROM fattura")), 4);
    EXPECT_EQ(test::count(archive, QStringLiteral("SELECT COUNT(*) FROM FatturaContiRighe")), 1);
    EXPECT_EQ(test::count(archive, QStringLiteral("SELECT COUNT(*) FROM fattdett")), 3);
    EXPECT_EQ(test::count(archive, QStringLiteral("SELECT COUNT(DISTINCT NumFatt) FROM fattdett")), 1);
    EXPECT_EQ(test::count(archive, QStringLiteral("SELECT COUNT(*) FROM fattura WHERE TotImponibile = 30")),
              1);
    EXPECT_TRUE(fixture.value(QStringLiteral("TotaliCo"), "Fatturato", job).toBool());
}
