#include "core/einvoicefile.h"
#include "invoicingfixture.h"
#include "purchases/einvoiceimport.h"
#include "shell/scriptedprompter.h"
#include "storage/archivelocation.h"
#include "storage/sqlvalue.h"
#include "support/shareddata.h"
#include "support/testarchive.h"
#include "support/testsigner.h"
#include "testinvoicefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <cmath>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::purchases;
using Outcome = ImportLine::Outcome;
using test::line;
using test::payment;
using test::summary;
using test::TestInvoice;

namespace {

const char *const childArchive = "ROTALINA_IMPORT_CHILD_ARCHIVE";
const char *const childFolder = "ROTALINA_IMPORT_CHILD_FOLDER";

class ElectronicInvoiceImportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        data.setOption("AggiornaAutomaticamenteInformazioniDaXml", true);
        data.setCompany("PIva", QStringLiteral("12345670017"));
    }

    storage::Archive &archive() { return data.archive(); }

    QString write(const QString &name, const QByteArray &content)
    {
        const QString path = QDir(folder.path()).filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }

    QList<ImportLine> import(const QString &path, ImportSettings settings = {})
    {
        if (settings.workstation.isEmpty())
            settings.workstation = QStringLiteral("UFFICIO1");
        settings.today = QDate(2026, 3, 10);
        ElectronicInvoiceImport importer(archive(), settings, &prompter);
        return importer.importFile(path);
    }

    ImportLine importOne(const QString &name, const QByteArray &content, ImportSettings settings = {})
    {
        const QList<ImportLine> lines = import(write(name, content), settings);
        EXPECT_EQ(lines.size(), 1);
        return lines.value(0);
    }

    QVariant scalar(const QString &sql, const QVariantList &params = {})
    {
        const core::Result<QVariant> value = archive().scalar(sql, params);
        EXPECT_TRUE(value) << value.error().toStdString();
        return value ? *value : QVariant();
    }

    int count(const QString &sql, const QVariantList &params = {})
    {
        return test::count(archive(), sql, params);
    }

    // What the archive holds of every table an import writes.
    QList<int> registrySizes()
    {
        QList<int> sizes;
        for (const char *table : {"fattura", "Movimenti", "NotaCreditoCaricoRighe", "FatturaScadenze",
                                  "finanzia", "Fornitor", "Comuni", "Iva"})
            sizes << count(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table)));
        return sizes;
    }

    // A document and everything hanging from it, as comparable text.
    QStringList documentContent(qint64 document)
    {
        QStringList content;
        const auto rows = [&](const QString &sql) {
            const core::Result<storage::Archive::Rows> read = archive().readRows(sql, {document});
            EXPECT_TRUE(read) << read.error().toStdString();
            for (const QVariantList &row : read->values) {
                QStringList cells;
                for (const QVariant &cell : row)
                    cells << cell.toString();
                content << cells.join(u'|');
            }
        };
        rows(QStringLiteral("SELECT NumeroCarico, Data, Fornitore, TotImponibile, TotImposta, TotFattura, "
                            "RitenutaAcconto, ModPagamento_Id, TipoDocumentoXml FROM fattura WHERE ID = ?"));
        rows(
            QStringLiteral("SELECT NumeroRiga, Codice, Descrizione, Um, ValoreUnitario, Sconto, Sconto2, "
                           "AliquotaIva, TotaleImponibile, PrezzoCompleto, Iva_id, Note FROM Movimenti WHERE "
                           "Fattura_ID = ? ORDER BY NumeroRiga"));
        rows(QStringLiteral(
            "SELECT Numero, DataScadenza, Importo, Pagato FROM FatturaScadenze WHERE Fattura_ID = ? "
            "ORDER BY Numero"));
        return content;
    }

    test::InvoicingArchive data;
    shell::ScriptedPrompter prompter;
    QTemporaryDir folder;
};

// What each body says of its totals, read with Qt's own reader: the sums of its summary lines, and
// the sum of its line amounts and pension-fund contributions, which the archive's rows must make.
struct FileTotals
{
    QString number;
    double summaryTaxable = 0;
    double summaryTax = 0;
    double linesTaxable = 0;
};
QList<FileTotals> fileTotals(const QByteArray &xml)
{
    QList<FileTotals> bodies;
    QXmlStreamReader reader(xml);
    QString within;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = reader.name();
        if (name == u"FatturaElettronicaBody")
            bodies.append(FileTotals{});
        else if (name == u"DatiGeneraliDocumento" || name == u"DatiRiepilogo" || name == u"DettaglioLinee")
            within = name.toString();
        else if (bodies.isEmpty())
            continue;
        else if (within == u"DatiGeneraliDocumento" && name == u"Numero")
            bodies.last().number = reader.readElementText();
        else if (within == u"DatiGeneraliDocumento" && name == u"ImportoContributoCassa")
            bodies.last().linesTaxable += reader.readElementText().toDouble();
        else if (within == u"DettaglioLinee" && name == u"PrezzoTotale")
            bodies.last().linesTaxable += reader.readElementText().toDouble();
        else if (within == u"DatiRiepilogo" && name == u"ImponibileImporto")
            bodies.last().summaryTaxable += reader.readElementText().toDouble();
        else if (within == u"DatiRiepilogo" && name == u"Imposta")
            bodies.last().summaryTax += reader.readElementText().toDouble();
    }
    return bodies;
}

TEST_F(ElectronicInvoiceImportTest, EverySampleIsImportedWithTheTotalsOfItsSummary)
{
    ROTALINA_REQUIRE_SHARED("/fatturapa/samples");
    const QString samples = test::sharedFolder() + QStringLiteral("/fatturapa/samples");
    const QFileInfoList files = QDir(samples).entryInfoList(QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 12);
    ImportSettings settings;
    settings.alsoNotAddressed = true; // the samples are addressed to their own example firms
    for (const QFileInfo &file : files) {
        test::InvoicingArchive fresh;
        fresh.setOption("AggiornaAutomaticamenteInformazioniDaXml", true);
        settings.workstation = QStringLiteral("UFFICIO1");
        ElectronicInvoiceImport importer(fresh.archive(), settings);
        const QList<ImportLine> lines = importer.importFile(file.absoluteFilePath());
        const core::Result<core::ElectronicInvoiceFile> read =
            core::readElectronicInvoiceFile(file.absoluteFilePath());
        ASSERT_TRUE(read) << read.error().toStdString();
        const QList<FileTotals> expected = fileTotals(read->xml);
        ASSERT_EQ(lines.size(), expected.size()) << file.fileName().toStdString();
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const ImportLine &line = lines.at(i);
            const FileTotals &totals = expected.at(i);
            ASSERT_EQ(line.outcome, Outcome::Imported) << line.text().toStdString();
            EXPECT_EQ(line.number, totals.number);
            const core::Result<storage::Archive::Rows> stored = fresh.archive().readRows(
                QStringLiteral(
                    "SELECT TotImponibile, TotImposta, ImportatoXml, Carico FROM fattura WHERE ID = ?"),
                {line.document});
            ASSERT_TRUE(stored && stored->values.size() == 1) << line.text().toStdString();
            const QVariantList header = stored->values.first();
            const double taxable = header.value(0).toDouble();
            const double tax = header.value(1).toDouble();
            // The rows are those of the file; where the file's own summary disagrees with its lines
            // (two of the official examples do), the difference is reported, not hidden.
            EXPECT_NEAR(taxable, totals.linesTaxable, 0.001) << line.text().toStdString();
            if (std::fabs(totals.summaryTaxable - totals.linesTaxable) < 0.001) {
                EXPECT_NEAR(tax, totals.summaryTax, 0.001) << line.text().toStdString();
                EXPECT_FALSE(line.text().contains(QStringLiteral("imponibile del file")));
            } else {
                EXPECT_TRUE(line.text().contains(
                    QStringLiteral("imponibile del file %1")
                        .arg(QLocale(QLocale::Italian).toString(totals.summaryTaxable, 'f', 2))))
                    << line.text().toStdString();
            }
            EXPECT_TRUE(header.value(2).toBool());
            EXPECT_TRUE(header.value(3).toBool());
        }
    }
    // The signed sample's signature holds: the envelope is read, not scanned.
    const core::Result<core::ElectronicInvoiceFile> signedSample =
        core::readElectronicInvoiceFile(samples + QStringLiteral("/IT01234567890_FPR03.xml.p7m"));
    ASSERT_TRUE(signedSample);
    EXPECT_TRUE(signedSample->signatureIntact);
    EXPECT_TRUE(signedSample->xml.trimmed().endsWith("FatturaElettronica>"));
}

TEST_F(ElectronicInvoiceImportTest, ImportingAgainAddsNothingAndTwoBodiesGiveTwoDocuments)
{
    TestInvoice invoice;
    invoice.bodies = 2;
    const QString path = write(QStringLiteral("IT01234567897_00001.xml"), invoice.xml());
    const QList<ImportLine> first = import(path);
    ASSERT_EQ(first.size(), 2);
    for (const ImportLine &line : first)
        EXPECT_EQ(line.outcome, Outcome::Imported) << line.text().toStdString();
    EXPECT_EQ(first.at(0).text(),
              QStringLiteral("IMPORTATA IT01234567897_00001.xml TD01 F-101 SOCIETA' ALPHA S.R.L. 18.30"));
    EXPECT_NE(
        scalar(QStringLiteral("SELECT ProgressivoCarico FROM fattura WHERE ID = ?"), {first.at(0).document}),
        scalar(QStringLiteral("SELECT ProgressivoCarico FROM fattura WHERE ID = ?"), {first.at(1).document}));
    const QList<int> before = registrySizes();

    // Again, and once more after one of its rows was deleted by hand: skipped whole, never completed.
    const QList<ImportLine> second = import(path);
    ASSERT_EQ(second.size(), 2);
    for (const ImportLine &line : second) {
        EXPECT_EQ(line.outcome, Outcome::Skipped);
        EXPECT_TRUE(line.text().startsWith(
            QStringLiteral("SALTATA IT01234567897_00001.xml: Fattura TD01 numero F-101")))
            << line.text().toStdString();
        EXPECT_TRUE(line.reason.contains(QStringLiteral("già in archivio")));
    }
    EXPECT_EQ(registrySizes(), before);
    ASSERT_TRUE(archive().execute(QStringLiteral("DELETE FROM Movimenti WHERE Fattura_ID = ?"),
                                  {first.at(0).document}));
    import(path);
    EXPECT_EQ(
        count(QStringLiteral("SELECT COUNT(*) FROM Movimenti WHERE Fattura_ID = ?"), {first.at(0).document}),
        0);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM fattura")), 2);
}

TEST_F(ElectronicInvoiceImportTest, SignedFilesInEveryFormGiveTheDocumentOfThePlainFile)
{
    test::TestSigner signer(folder.path());
    if (!signer.available())
        GTEST_SKIP() << "the openssl program is not installed: no signed file can be made";
    const QByteArray xml = TestInvoice{}.xml();
    const ImportLine plain = importOne(QStringLiteral("IT01234567897_00001.xml"), xml);
    ASSERT_EQ(plain.outcome, Outcome::Imported) << plain.text().toStdString();
    const QStringList expected = documentContent(plain.document);
    ASSERT_TRUE(archive().execute(QStringLiteral("DELETE FROM FatturaScadenze")));
    ASSERT_TRUE(archive().execute(QStringLiteral("DELETE FROM Movimenti")));
    ASSERT_TRUE(archive().execute(QStringLiteral("DELETE FROM fattura")));

    using Form = test::TestSigner::Form;
    for (const auto &[form, name] : {std::pair(Form::Der, "der"), std::pair(Form::StreamedBer, "ber"),
                                     std::pair(Form::Base64Line, "base64"),
                                     std::pair(Form::Base64Wrapped, "righe"), std::pair(Form::Pem, "pem")}) {
        const QByteArray envelope = signer.sign(xml, form);
        ASSERT_FALSE(envelope.isEmpty()) << name;
        const QString file = QStringLiteral("IT01234567897_00001_%1.xml.p7m").arg(QLatin1String(name));
        const core::Result<core::ElectronicInvoiceFile> read =
            core::readElectronicInvoiceData(envelope, file);
        ASSERT_TRUE(read) << name << ": " << read.error().toStdString();
        EXPECT_EQ(read->xml, xml) << name;
        EXPECT_TRUE(read->signatureIntact) << name;
        EXPECT_EQ(read->signer, QStringLiteral("Fornitore di prova")) << name;
        EXPECT_FALSE(read->signerTrusted) << name << ": a throw-away certificate is no authority";

        const ImportLine imported = importOne(file, envelope);
        ASSERT_EQ(imported.outcome, Outcome::Imported) << name << ": " << imported.text().toStdString();
        EXPECT_TRUE(imported.remarks.isEmpty()) << imported.text().toStdString();
        EXPECT_EQ(documentContent(imported.document), expected) << name;
        ASSERT_TRUE(archive().execute(QStringLiteral("DELETE FROM FatturaScadenze")));
        ASSERT_TRUE(archive().execute(QStringLiteral("DELETE FROM Movimenti")));
        ASSERT_TRUE(archive().execute(QStringLiteral("DELETE FROM fattura")));
    }

    // Changed after signing: imported, with the reader told that the signature does not hold.
    QByteArray altered = signer.sign(xml, Form::Der);
    const qsizetype at = altered.indexOf("Gasolio");
    ASSERT_GE(at, 0);
    altered.replace(at, 7, "Benzina");
    const ImportLine changed = importOne(QStringLiteral("alterata.xml.p7m"), altered);
    ASSERT_EQ(changed.outcome, Outcome::Imported);
    EXPECT_TRUE(changed.text().contains(QStringLiteral("firma digitale non valida")))
        << changed.text().toStdString();
}

TEST_F(ElectronicInvoiceImportTest, WhatIsNotAnInvoiceIsRefusedByNameAndWritesNothing)
{
    const QList<int> before = registrySizes();
    QByteArray broken = TestInvoice{}.xml();
    broken.chop(40);
    TestInvoice withoutLines;
    withoutLines.lines.clear();
    TestInvoice commaAmount;
    commaAmount.total = QStringLiteral("18,30");
    QByteArray damagedEnvelope;
    test::TestSigner signer(folder.path());
    if (signer.available()) {
        damagedEnvelope = signer.sign(TestInvoice{}.xml(), test::TestSigner::Form::Der);
        damagedEnvelope.truncate(damagedEnvelope.size() / 2);
    }
    const struct
    {
        const char *file;
        QByteArray content;
        Outcome outcome;
        const char *reason;
    } files[] = {
        {"ordine.xml", "<?xml version=\"1.0\"?><Ordine><Numero>1</Numero></Ordine>", Outcome::Refused,
         "il documento XML inizia con <Ordine>"},
        {"semplificata.xml",
         "<p:FatturaElettronicaSemplificata xmlns:p=\"x\"><FatturaElettronicaHeader/>"
         "</p:FatturaElettronicaSemplificata>",
         Outcome::Refused, "fattura semplificata"},
        {"IT01234567897_00001_RC_001.xml",
         "<ns3:RicevutaConsegna xmlns:ns3=\"y\"><IdentificativoSdI>1</IdentificativoSdI>"
         "</ns3:RicevutaConsegna>",
         Outcome::Refused, "ricevuta del Sistema di Interscambio (RicevutaConsegna)"},
        {"IT01234567897_00001_MT_001.xml", "<ns3:MetadatiInvioFile xmlns:ns3=\"y\"/>", Outcome::Skipped,
         "file dei metadati"},
        {"troncata.xml", broken, Outcome::Refused, "non è un documento XML"},
        {"vuota.xml", "", Outcome::Refused, "è vuoto"},
        {"senza_righe.xml", withoutLines.xml(), Outcome::Refused, "non ha righe"},
        {"importo.xml", commaAmount.xml(), Outcome::Refused,
         "ImportoTotaleDocumento \"18,30\" non è un numero"},
        {"firmata_rotta.xml.p7m", damagedEnvelope, Outcome::Refused,
         "non è una fattura elettronica leggibile"},
    };
    for (const auto &file : files) {
        if (file.content.isEmpty() && QByteArray(file.file).endsWith(".p7m"))
            continue; // no openssl: no envelope to damage
        const ImportLine line = importOne(QString::fromLatin1(file.file), file.content);
        EXPECT_EQ(line.outcome, file.outcome) << file.file;
        EXPECT_TRUE(line.reason.contains(QString::fromUtf8(file.reason)))
            << file.file << ": " << line.text().toStdString();
        EXPECT_TRUE(line.text().contains(QString::fromLatin1(file.file))) << line.text().toStdString();
    }
    EXPECT_EQ(registrySizes(), before);
}

TEST_F(ElectronicInvoiceImportTest, LinesKeepDiscountsMarkUpsQuantitiesAndOtherData)
{
    // Another prefix, a Windows code page and the Italian language on the workstation: the amounts
    // are read with their point all the same.
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    TestInvoice invoice;
    invoice.prefix = QStringLiteral("q1");
    invoice.lines =
        line(1, QStringLiteral("Pneumatici \x80 scontati"), QStringLiteral("2.00"), QStringLiteral("100.00"),
             QStringLiteral("171.00"), QStringLiteral("22.00"),
             QStringLiteral(
                 "<ScontoMaggiorazione><Tipo>SC</Tipo><Percentuale>10.00</Percentuale></ScontoMaggiorazione>"
                 "<ScontoMaggiorazione><Tipo>SC</Tipo><Percentuale>5.00</Percentuale>"
                 "</ScontoMaggiorazione>")) +
        line(2, QStringLiteral("Montaggio"), QStringLiteral("1.00"), QStringLiteral("100.00"),
             QStringLiteral("110.00"), QStringLiteral("22.00"),
             QStringLiteral("<ScontoMaggiorazione><Tipo>MG</Tipo><Percentuale>10.00</Percentuale>"
                            "</ScontoMaggiorazione>")) +
        line(3, QStringLiteral("Trasporto"), QString(), QStringLiteral("20.00"), QStringLiteral("20.00")) +
        line(4, QStringLiteral("Spese bancarie"), QStringLiteral("3.00"), QStringLiteral("0.33333333"),
             QStringLiteral("1.00"), QStringLiteral("0.00"),
             QStringLiteral(
                 "<AltriDatiGestionali><TipoDato>INTENTO</TipoDato><RiferimentoTesto>12345</RiferimentoTesto>"
                 "<RiferimentoData>2026-01-02</RiferimentoData></AltriDatiGestionali>"));
    invoice.summaries = summary(QStringLiteral("22.00"), QStringLiteral("301.00"), QStringLiteral("66.22")) +
                        summary(QStringLiteral("0.00"), QStringLiteral("1.00"), QStringLiteral("0.00"));
    invoice.total = QStringLiteral("368.22");
    invoice.payments.clear();
    // The euro sign is 0x80 in the Windows code page.
    const QByteArray content = invoice.xml(QStringLiteral("windows-1252"));
    ASSERT_TRUE(content.contains("Pneumatici \x80 scontati"));
    const ImportLine imported = importOne(QStringLiteral("gomme.xml"), content);
    QLocale::setDefault(QLocale::c());
    ASSERT_EQ(imported.outcome, Outcome::Imported) << imported.text().toStdString();
    EXPECT_TRUE(imported.remarks.isEmpty()) << imported.text().toStdString();
    EXPECT_DOUBLE_EQ(imported.total, 368.22);

    const core::Result<storage::Archive::Rows> rows = archive().readRows(
        QStringLiteral("SELECT Descrizione, Um, ValoreUnitario, Sconto, Sconto2, Sconto3, TotaleImponibile, "
                       "PrezzoCompleto, Note, Iva_id, ImportatoXml FROM Movimenti WHERE Fattura_ID = ? ORDER "
                       "BY NumeroRiga"),
        {imported.document});
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->values.size(), 4);
    const QVariantList discounted = rows->values.at(0);
    EXPECT_EQ(discounted.at(0).toString(), QStringLiteral("Pneumatici € scontati"));
    EXPECT_DOUBLE_EQ(discounted.at(2).toDouble(), 100.0);
    EXPECT_DOUBLE_EQ(discounted.at(3).toDouble(), 10.0);
    EXPECT_DOUBLE_EQ(discounted.at(4).toDouble(), 5.0);
    EXPECT_DOUBLE_EQ(discounted.at(5).toDouble(), 0.0);
    EXPECT_DOUBLE_EQ(discounted.at(6).toDouble(), 171.0);
    EXPECT_DOUBLE_EQ(discounted.at(7).toDouble(), 208.62);
    const QVariantList markedUp = rows->values.at(1);
    EXPECT_DOUBLE_EQ(markedUp.at(2).toDouble(), 110.0);
    EXPECT_DOUBLE_EQ(markedUp.at(3).toDouble(), 0.0);
    const QVariantList noQuantity = rows->values.at(2);
    EXPECT_DOUBLE_EQ(noQuantity.at(1).toDouble(), 1.0);
    EXPECT_DOUBLE_EQ(noQuantity.at(6).toDouble(), 20.0);
    // A unit price of eight decimals whose product rounds to the file's amount keeps its quantity.
    const QVariantList thirds = rows->values.at(3);
    EXPECT_DOUBLE_EQ(thirds.at(1).toDouble(), 3.0);
    EXPECT_DOUBLE_EQ(thirds.at(6).toDouble(), 1.0);
    EXPECT_EQ(thirds.at(8).toString(), QStringLiteral("[TipoDato:INTENTO|Testo:|12345]Data:|2026-01-02]]"));
    EXPECT_TRUE(test::count(archive(),
                            QStringLiteral("SELECT COUNT(*) FROM Iva WHERE ID = ? AND Iva = 0 AND "
                                           "Pa_Natura_Codice = 'N2.2'"),
                            {thirds.at(9)}) == 1);
    for (const QVariantList &row : rows->values)
        EXPECT_TRUE(row.at(10).toBool());
    // The town written in capitals with its apostrophe is the archive's own.
    EXPECT_EQ(scalar(QStringLiteral("SELECT Comune_id FROM Fornitor")),
              scalar(QStringLiteral("SELECT ID FROM Comuni WHERE Comune = ?"), {QStringLiteral("L'Aquila")}));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Comuni WHERE ImportatoXml = ?"), {true}), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT Fornitore FROM Fornitor")).toString(),
              QStringLiteral("SOCIETA' ALPHA S.R.L."));
}

TEST_F(ElectronicInvoiceImportTest, InstalmentsAreThoseOfTheFileAndNoneIsPaid)
{
    data.setOption("DuplicaFatturazioneInPrimaNota", true);
    const qint64 threeInstalments = data.paymentMode(3, {30, 60, 90});
    const qint64 immediate = data.paymentMode(0);
    TestInvoice invoice;
    invoice.lines = line(1, QStringLiteral("Officina"), QStringLiteral("1.00"), QStringLiteral("1000.00"),
                         QStringLiteral("1000.00"));
    invoice.summaries = summary(QStringLiteral("22.00"), QStringLiteral("1000.00"), QStringLiteral("220.00"));
    invoice.total = QStringLiteral("1220.00");
    invoice.payments =
        QStringLiteral("<DatiPagamento><CondizioniPagamento>TP01</CondizioniPagamento>") +
        payment(QStringLiteral("2026-04-15"), QStringLiteral("400.00")) +
        QStringLiteral("<DettaglioPagamento><ModalitaPagamento>MP05</ModalitaPagamento>"
                       "<DataRiferimentoTerminiPagamento>2026-03-02</DataRiferimentoTerminiPagamento>"
                       "<GiorniTerminiPagamento>60</GiorniTerminiPagamento>"
                       "<ImportoPagamento>400.00</ImportoPagamento></DettaglioPagamento>") +
        payment(QString(), QStringLiteral("420.00")) + QStringLiteral("</DatiPagamento>");
    const ImportLine imported = importOne(QStringLiteral("rate.xml"), invoice.xml());
    ASSERT_EQ(imported.outcome, Outcome::Imported) << imported.text().toStdString();
    const core::Result<storage::Archive::Rows> instalments = archive().readRows(
        QStringLiteral(
            "SELECT DataScadenza, Importo, Pagato, ModPagamento_Id, Tipo FROM FatturaScadenze WHERE "
            "Fattura_ID = ? ORDER BY Numero"),
        {imported.document});
    ASSERT_TRUE(instalments);
    ASSERT_EQ(instalments->values.size(), 3);
    const QList<QDate> dates{QDate(2026, 4, 15), QDate(2026, 5, 1), QDate(2026, 3, 2)};
    const QList<double> amounts{400, 400, 420};
    for (int i = 0; i < 3; ++i) {
        const QVariantList row = instalments->values.at(i);
        EXPECT_EQ(storage::sqlvalue::toDate(row.at(0)), dates.at(i)) << i;
        EXPECT_DOUBLE_EQ(row.at(1).toDouble(), amounts.at(i)) << i;
        EXPECT_FALSE(row.at(2).toBool()) << i;
        EXPECT_EQ(row.at(3).toLongLong(), threeInstalments)
            << "three MP05 instalments find the three-instalment mode";
        EXPECT_EQ(row.at(4).toString(), QStringLiteral("C"));
    }
    EXPECT_EQ(scalar(QStringLiteral("SELECT ModPagamento_Id FROM fattura WHERE ID = ?"), {imported.document})
                  .toLongLong(),
              threeInstalments);
    // The document is in the cash book; no payment is.
    EXPECT_EQ(
        count(QStringLiteral("SELECT COUNT(*) FROM finanzia WHERE Fattura_ID = ?"), {imported.document}), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM finanzia WHERE FatturaScadenze_Id IS NOT NULL")), 0);

    // Without payment data the supplier's mode gives the due dates, also one that is paid at once
    // when typed by hand: an imported one is still to be paid.
    ASSERT_TRUE(archive().execute(QStringLiteral("UPDATE Fornitor SET Pagamento_ID = ?"), {immediate}));
    invoice.number = QStringLiteral("F-102");
    invoice.payments.clear();
    const ImportLine withoutPayments = importOne(QStringLiteral("senza_pagamenti.xml"), invoice.xml());
    ASSERT_EQ(withoutPayments.outcome, Outcome::Imported);
    const core::Result<storage::Archive::Rows> fromMode =
        archive().readRows(QStringLiteral("SELECT DataScadenza, Importo, Pagato, ModPagamento_Id FROM "
                                          "FatturaScadenze WHERE Fattura_ID = ?"),
                           {withoutPayments.document});
    ASSERT_TRUE(fromMode);
    ASSERT_EQ(fromMode->values.size(), 1);
    EXPECT_EQ(storage::sqlvalue::toDate(fromMode->values.first().at(0)), QDate(2026, 3, 2));
    EXPECT_DOUBLE_EQ(fromMode->values.first().at(1).toDouble(), 1220.0);
    EXPECT_FALSE(fromMode->values.first().at(2).toBool());
    EXPECT_EQ(fromMode->values.first().at(3).toLongLong(), immediate);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM finanzia WHERE FatturaScadenze_Id IS NOT NULL")), 0);

    // Cash in two instalments: no mode of the archive has two, the one with the same method is
    // closer to the truth than the supplier's.
    invoice.number = QStringLiteral("F-103");
    invoice.payments =
        QStringLiteral("<DatiPagamento><CondizioniPagamento>TP01</CondizioniPagamento>") +
        payment(QStringLiteral("2026-04-01"), QStringLiteral("610.00"), QStringLiteral("MP01")) +
        payment(QStringLiteral("2026-05-01"), QStringLiteral("610.00"), QStringLiteral("MP01")) +
        QStringLiteral("</DatiPagamento>");
    const ImportLine cash = importOne(QStringLiteral("contanti.xml"), invoice.xml());
    ASSERT_EQ(cash.outcome, Outcome::Imported);
    const QVariant cashMode =
        scalar(QStringLiteral("SELECT MIN(id) FROM ModPagamento WHERE PA_ModalitaPagamento_Codice = 'MP01'"));
    EXPECT_EQ(count(QStringLiteral(
                        "SELECT COUNT(*) FROM FatturaScadenze WHERE Fattura_ID = ? AND ModPagamento_Id = ?"),
                    {cash.document, cashMode}),
              2);
}

TEST_F(ElectronicInvoiceImportTest, ACreditNoteFindsTheInvoiceItCredits)
{
    const ImportLine invoice = importOne(QStringLiteral("fattura.xml"), TestInvoice{}.xml());
    ASSERT_EQ(invoice.outcome, Outcome::Imported);
    TestInvoice note; // without a prefix, after a byte-order mark
    note.prefix.clear();
    note.type = QStringLiteral("TD04");
    note.number = QStringLiteral("NC-7");
    note.linked =
        QStringLiteral("<DatiFattureCollegate><IdDocumento>F-101</IdDocumento><Data>2026-03-02</Data>"
                       "</DatiFattureCollegate>");
    const ImportLine credited = importOne(QStringLiteral("nota.xml"), "\xEF\xBB\xBF" + note.xml());
    ASSERT_EQ(credited.outcome, Outcome::Imported) << credited.text().toStdString();
    EXPECT_TRUE(credited.text().startsWith(QStringLiteral("IMPORTATA nota.xml TD04 NC-7 ")));
    const core::Result<storage::Archive::Rows> header = archive().readRows(
        QStringLiteral(
            "SELECT FattNota, NCFattIDRif, NCFattNumRifCarico, NCFattDataRif, ProgressivoCarico FROM "
            "fattura WHERE ID = ?"),
        {credited.document});
    ASSERT_TRUE(header);
    const QVariantList row = header->values.first();
    EXPECT_TRUE(row.at(0).toBool());
    EXPECT_EQ(row.at(1).toLongLong(), invoice.document);
    EXPECT_EQ(row.at(2).toString(), QStringLiteral("F-101"));
    EXPECT_EQ(storage::sqlvalue::toDate(row.at(3)), QDate(2026, 3, 2));
    EXPECT_EQ(row.at(4).toInt(), 1) << "credit notes have their own sequence";
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM NotaCreditoCaricoRighe WHERE NotaCredito_ID = ? AND "
                                   "ImportatoXml = ?"),
                    {credited.document, true}),
              1);
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT Tipo FROM FatturaScadenze WHERE Fattura_ID = ?"), {credited.document})
            .toString(),
        QStringLiteral("B"));
    // A credit note of an invoice the archive does not have says so.
    note.number = QStringLiteral("NC-8");
    note.linked.replace(QStringLiteral("F-101"), QStringLiteral("F-999"));
    const ImportLine orphan = importOne(QStringLiteral("nota2.xml"), note.xml());
    ASSERT_EQ(orphan.outcome, Outcome::Imported);
    EXPECT_TRUE(orphan.text().contains(
        QStringLiteral("la fattura F-999 del 02/03/2026 a cui si riferisce non è in archivio")))
        << orphan.text().toStdString();
}

TEST_F(ElectronicInvoiceImportTest, TheSupplierIsFoundUpdatedWithoutLosingWhatTheFileLeavesOut)
{
    const qint64 known = test::addRow(archive(), QStringLiteral("Fornitor"),
                                      {{QStringLiteral("Fornitore"), QStringLiteral("Alpha")},
                                       {QStringLiteral("Iva"), QStringLiteral("01234567897")},
                                       {QStringLiteral("Telefono"), QStringLiteral("0862 123456")},
                                       {QStringLiteral("Email"), QStringLiteral("alpha@example.it")}});
    const qint64 older = test::addRow(archive(), QStringLiteral("fattura"),
                                      {{QStringLiteral("Carico"), true},
                                       {QStringLiteral("Fornitore_ID"), known},
                                       {QStringLiteral("Fornitore"), QStringLiteral("Alpha")},
                                       {QStringLiteral("NumeroCarico"), QStringLiteral("F-1")}});
    TestInvoice invoice;
    invoice.contacts = QStringLiteral("<Contatti><Fax>0862 999</Fax></Contatti>");
    const ImportLine imported = importOne(QStringLiteral("alpha.xml"), invoice.xml());
    ASSERT_EQ(imported.outcome, Outcome::Imported);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Fornitor")), 1);
    const core::Result<QVariantMap> supplier = archive().readRow(QStringLiteral("Fornitor"), known);
    ASSERT_TRUE(supplier);
    EXPECT_EQ(supplier->value(QStringLiteral("Fornitore")).toString(),
              QStringLiteral("SOCIETA' ALPHA S.R.L."));
    EXPECT_EQ(supplier->value(QStringLiteral("Telefono")).toString(), QStringLiteral("0862 123456"));
    EXPECT_EQ(supplier->value(QStringLiteral("Email")).toString(), QStringLiteral("alpha@example.it"));
    EXPECT_EQ(supplier->value(QStringLiteral("Fax")).toString(), QStringLiteral("0862 999"));
    EXPECT_EQ(supplier->value(QStringLiteral("Comune")).toString(), QStringLiteral("L'AQUILA"));
    EXPECT_TRUE(supplier->value(QStringLiteral("Comune_id")).toLongLong() > 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT Fornitore FROM fattura WHERE ID = ?"), {older}).toString(),
              QStringLiteral("SOCIETA' ALPHA S.R.L."))
        << "the new name reaches the supplier's documents";

    // A person is named by surname and name; a town the archive does not know is added once.
    TestInvoice person;
    person.supplierVat = QStringLiteral("07643520567");
    person.town = QStringLiteral("Borgo d'Alpe");
    person.province = QStringLiteral("ZZ");
    person.postCode = QStringLiteral("99999");
    person.person = QStringLiteral("<Nome>Mario</Nome><Cognome>Rossi</Cognome>");
    const ImportLine fromPerson = importOne(QStringLiteral("rossi.xml"), person.xml());
    ASSERT_EQ(fromPerson.outcome, Outcome::Imported);
    EXPECT_EQ(fromPerson.supplier, QStringLiteral("Rossi Mario"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT Fornitore FROM Fornitor WHERE Iva = ?"), {person.supplierVat})
                  .toString(),
              QStringLiteral("Rossi Mario"));
    person.supplierVat = QStringLiteral("07643520568");
    person.person = QStringLiteral("<Nome>Anna</Nome><Cognome>Verdi</Cognome>");
    ASSERT_EQ(importOne(QStringLiteral("verdi.xml"), person.xml()).outcome, Outcome::Imported);
    EXPECT_EQ(
        count(QStringLiteral("SELECT COUNT(*) FROM Comuni WHERE Comune = ? AND Provincia = ? AND CAP = ? AND "
                             "ImportatoXml = ?"),
              {QStringLiteral("Borgo d'Alpe"), QStringLiteral("ZZ"), QStringLiteral("99999"), true}),
        1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(DISTINCT Comune_id) FROM Fornitor WHERE Comune = ?"),
                    {QStringLiteral("Borgo d'Alpe")}),
              1);

    // Without leave to add to the registries, an unknown supplier's invoice is refused whole, and a
    // known supplier's invoice at an unknown rate has no VAT code.
    data.setOption("AggiornaAutomaticamenteInformazioniDaXml", false);
    const QList<int> before = registrySizes();
    TestInvoice stranger;
    stranger.supplierVat = QStringLiteral("09876543210");
    const ImportLine refused = importOne(QStringLiteral("sconosciuto.xml"), stranger.xml());
    EXPECT_EQ(refused.outcome, Outcome::Refused);
    EXPECT_TRUE(refused.reason.contains(QStringLiteral("non è in archivio"))) << refused.text().toStdString();
    EXPECT_EQ(registrySizes(), before);
    invoice.number = QStringLiteral("F-55");
    invoice.lines = line(1, QStringLiteral("Libri"), QStringLiteral("1.00"), QStringLiteral("10.00"),
                         QStringLiteral("10.00"), QStringLiteral("7.50"));
    invoice.summaries = summary(QStringLiteral("7.50"), QStringLiteral("10.00"), QStringLiteral("0.75"));
    invoice.total = QStringLiteral("10.75");
    const ImportLine oddRate = importOne(QStringLiteral("aliquota.xml"), invoice.xml());
    ASSERT_EQ(oddRate.outcome, Outcome::Imported) << oddRate.text().toStdString();
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Iva WHERE Iva = 7.5")), 0);
    EXPECT_TRUE(
        scalar(QStringLiteral("SELECT Iva_id FROM Movimenti WHERE Fattura_ID = ?"), {oddRate.document})
            .isNull());
}

TEST_F(ElectronicInvoiceImportTest, ADocumentForAnotherFirmIsImportedOnlyOnYes)
{
    TestInvoice invoice;
    invoice.recipientVat = QStringLiteral("99999999999");
    const QString path = write(QStringLiteral("altra_ditta.xml"), invoice.xml());
    const QList<int> before = registrySizes();
    prompter.answerQuestions({false});
    const QList<ImportLine> refused = import(path);
    ASSERT_EQ(refused.size(), 1);
    EXPECT_EQ(refused.first().outcome, Outcome::Refused);
    EXPECT_TRUE(prompter.lastText().startsWith(ElectronicInvoiceImport::notAddressedQuestion()));
    EXPECT_TRUE(prompter.lastText().contains(QStringLiteral("altra_ditta.xml")));
    EXPECT_EQ(registrySizes(), before) << "the supplier is not written before the answer";

    // The recipient code of the firm is enough.
    data.setCompany("CodiceSdi", QStringLiteral("ABC1234"));
    invoice.recipientCode = QStringLiteral("ABC1234");
    prompter.clear();
    EXPECT_EQ(importOne(QStringLiteral("codice.xml"), invoice.xml()).outcome, Outcome::Imported);
    EXPECT_TRUE(prompter.shown().isEmpty());

    invoice.recipientCode = QStringLiteral("0000000");
    invoice.number = QStringLiteral("F-200");
    prompter.answerQuestions({true});
    EXPECT_EQ(importOne(QStringLiteral("si.xml"), invoice.xml()).outcome, Outcome::Imported);
    ImportSettings unattended;
    unattended.alsoNotAddressed = true;
    invoice.number = QStringLiteral("F-201");
    prompter.clear();
    EXPECT_EQ(importOne(QStringLiteral("riga_di_comando.xml"), invoice.xml(), unattended).outcome,
              Outcome::Imported);
    EXPECT_TRUE(prompter.shown().isEmpty());
}

TEST_F(ElectronicInvoiceImportTest, SelfInvoicesComeInOnlyWhenConfirmedAndOtherTypesAreNamed)
{
    TestInvoice selfInvoice;
    selfInvoice.type = QStringLiteral("TD17");
    const QString path = write(QStringLiteral("td17.xml"), selfInvoice.xml());
    prompter.answerQuestions({false});
    const QList<ImportLine> declined = import(path);
    ASSERT_EQ(declined.size(), 1);
    EXPECT_EQ(declined.first().outcome, Outcome::Skipped);
    EXPECT_TRUE(declined.first().text().contains(QStringLiteral("Autofattura TD17 numero F-101")))
        << declined.first().text().toStdString();
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM fattura")), 0);
    prompter.answerQuestions({true});
    const QList<ImportLine> confirmed = import(path);
    ASSERT_EQ(confirmed.size(), 1);
    ASSERT_EQ(confirmed.first().outcome, Outcome::Imported);
    EXPECT_EQ(scalar(QStringLiteral("SELECT TipoDocumentoXml FROM fattura WHERE ID = ?"),
                     {confirmed.first().document})
                  .toString(),
              QStringLiteral("TD17"));
    EXPECT_FALSE(
        scalar(QStringLiteral("SELECT FattNota FROM fattura WHERE ID = ?"), {confirmed.first().document})
            .toBool());

    TestInvoice other;
    other.type = QStringLiteral("TD26");
    const ImportLine skipped = importOne(QStringLiteral("td26.xml"), other.xml());
    EXPECT_EQ(skipped.outcome, Outcome::Skipped);
    EXPECT_TRUE(skipped.reason.contains(QStringLiteral("TD26"))) << skipped.text().toStdString();
}

TEST_F(ElectronicInvoiceImportTest, TotalsThatDifferFromTheFileAreReported)
{
    TestInvoice invoice;
    invoice.general = QStringLiteral("<DatiRitenuta><TipoRitenuta>RT02</TipoRitenuta><ImportoRitenuta>3.00"
                                     "</ImportoRitenuta><AliquotaRitenuta>20.00</AliquotaRitenuta>"
                                     "<CausalePagamento>A</CausalePagamento></DatiRitenuta>");
    const ImportLine withholding = importOne(QStringLiteral("ritenuta.xml"), invoice.xml());
    ASSERT_EQ(withholding.outcome, Outcome::Imported);
    EXPECT_TRUE(withholding.remarks.isEmpty()) << "the file's total is before the withholding tax";
    EXPECT_DOUBLE_EQ(withholding.total, 15.30);

    invoice.number = QStringLiteral("F-300");
    invoice.general.clear();
    invoice.total = QStringLiteral("18.40");
    invoice.summaries = summary(QStringLiteral("22.00"), QStringLiteral("15.00"), QStringLiteral("3.40"));
    const ImportLine differing = importOne(QStringLiteral("diverso.xml"), invoice.xml());
    ASSERT_EQ(differing.outcome, Outcome::Imported);
    EXPECT_EQ(differing.remarks,
              QStringList({QStringLiteral("imposta del file 3,40, registrata 3,30"),
                           QStringLiteral("totale documento del file 18,40, registrato 18,30")}));
    EXPECT_TRUE(differing.text().endsWith(
        QStringLiteral(" - imposta del file 3,40, registrata 3,30; totale documento "
                       "del file 18,40, registrato 18,30")));
}

TEST_F(ElectronicInvoiceImportTest, AFailureInsideADocumentLeavesTheArchiveAsItWas)
{
    // The last statement of the document fails, as a full disk or a lost connection would.
    if (archive().location().engine() == storage::Engine::SQLite) {
        ASSERT_TRUE(archive().execute(QStringLiteral("CREATE TRIGGER guasto BEFORE INSERT ON FatturaScadenze "
                                                     "BEGIN SELECT RAISE(ABORT, 'disco pieno'); END")));
    } else {
        ASSERT_TRUE(
            archive().execute(QStringLiteral("CREATE FUNCTION guasto() RETURNS trigger AS $$ BEGIN RAISE "
                                             "EXCEPTION 'disco pieno'; END $$ LANGUAGE plpgsql")));
        ASSERT_TRUE(archive().execute(QStringLiteral("CREATE TRIGGER guasto BEFORE INSERT ON FatturaScadenze "
                                                     "FOR EACH ROW EXECUTE FUNCTION guasto()")));
    }
    const QList<int> before = registrySizes();
    const ImportLine failed = importOne(QStringLiteral("guasto.xml"), TestInvoice{}.xml());
    EXPECT_EQ(failed.outcome, Outcome::Refused);
    EXPECT_TRUE(failed.reason.contains(QStringLiteral("disco pieno"))) << failed.text().toStdString();
    EXPECT_EQ(registrySizes(), before) << "header, rows, supplier and town all undone";
}

// Run as a separate process by the test below: one workstation importing the folder it is given.
TEST(ElectronicInvoiceWorkstation, ImportsAFolder)
{
    const QString location = qEnvironmentVariable(childArchive);
    if (location.isEmpty())
        GTEST_SKIP()
            << "run by "
               "ElectronicInvoiceImportTest.TwoWorkstationsAtOnceImportEachDocumentOnceWithTheirOwnWorkRows "
               "as one of its workstations";
    const auto parsed = storage::ArchiveLocation::parse(location);
    ASSERT_TRUE(parsed) << parsed.error().toStdString();
    auto archive = storage::Archive::open(*parsed);
    ASSERT_TRUE(archive) << archive.error().toStdString();
    ImportSettings settings;
    const qint64 pid = QCoreApplication::applicationPid();
    settings.workstation = QStringLiteral("PC%1").arg(pid);
    ElectronicInvoiceImport importer(**archive, settings);
    for (const QString &file : electronicInvoiceFiles({qEnvironmentVariable(childFolder)}))
        for (const ImportLine &line : importer.importFile(file))
            EXPECT_NE(line.outcome, Outcome::Refused) << line.text().toStdString();
    // Last, an invoice of this workstation only: its work rows are that invoice's, whatever the
    // other workstation did meanwhile.
    QTemporaryDir own;
    TestInvoice invoice;
    invoice.number = QStringLiteral("P-%1").arg(pid);
    invoice.lines += line(2, QStringLiteral("Seconda riga"), QStringLiteral("1.00"), QStringLiteral("1.00"),
                          QStringLiteral("1.00"));
    const QString path = QDir(own.path()).filePath(QStringLiteral("propria.xml"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(invoice.xml());
    file.close();
    const QList<ImportLine> lines = importer.importFile(path);
    ASSERT_EQ(lines.size(), 1);
    ASSERT_EQ(lines.first().outcome, Outcome::Imported) << lines.first().text().toStdString();
    const core::Result<storage::Archive::Rows> workRows = (*archive)->readRows(
        QStringLiteral(
            "SELECT Fattura_Id, Descrizione FROM TempXml_FatturaRighe WHERE NomeComputer = ? ORDER BY ID"),
        {settings.workstation});
    ASSERT_TRUE(workRows);
    ASSERT_EQ(workRows->values.size(), 2);
    for (const QVariantList &row : workRows->values)
        EXPECT_EQ(row.at(0).toLongLong(), lines.first().document);
    EXPECT_EQ(workRows->values.at(1).at(1).toString(), QStringLiteral("Seconda riga"));
}

TEST_F(ElectronicInvoiceImportTest, TwoWorkstationsAtOnceImportEachDocumentOnceWithTheirOwnWorkRows)
{
    constexpr int files = 8;
    for (int i = 0; i < files; ++i) {
        TestInvoice invoice;
        invoice.number = QStringLiteral("F-%1").arg(500 + i);
        invoice.supplierVat = QStringLiteral("0123456789%1").arg(i % 3);
        write(QStringLiteral("fattura_%1.xml").arg(i), invoice.xml());
    }
    qputenv(childFolder, folder.path().toUtf8());
    test::runAsWorkstations(QStringLiteral("ElectronicInvoiceWorkstation.ImportsAFolder"), childArchive,
                            archive(), 2);
    qunsetenv(childFolder);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM fattura")), files + 2);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(DISTINCT ProgressivoCarico) FROM fattura")), files + 2);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Fornitor")), 4);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(DISTINCT NomeComputer) FROM TempXml_FatturaRighe")), 2);
}

TEST(ElectronicInvoiceCommandLine, TheProgramImportsAFolderWithoutADisplayAndSaysHowEachFileWent)
{
    const QString program = QStringLiteral(ROTALINA_RUNTIME_DIR "/rotalina");
    if (!QFileInfo(program).isExecutable())
        GTEST_SKIP() << "the program is not built";
    QTemporaryDir home;
    {
        storage::OpenOptions create;
        create.createIfMissing = true;
        auto archive = storage::Archive::open(
            storage::ArchiveLocation::sqliteFile(QDir(home.path()).filePath(QStringLiteral("archivio.db"))),
            create);
        ASSERT_TRUE(archive) << archive.error().toStdString();
        ASSERT_TRUE((*archive)->execute(QStringLiteral("UPDATE ditta SET PIva = '12345670017'")));
    }
    const QDir folder(QDir(home.path()).filePath(QStringLiteral("fatture")));
    ASSERT_TRUE(QDir().mkpath(folder.path()));
    const auto write = [&folder](const QString &name, const QByteArray &content) {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return file.fileName();
    };
    const QString good = write(QStringLiteral("IT01234567897_00001.xml"), TestInvoice{}.xml());
    TestInvoice elsewhere;
    elsewhere.number = QStringLiteral("F-900");
    elsewhere.recipientVat = QStringLiteral("99999999999");
    write(QStringLiteral("IT01234567897_00002.xml"), elsewhere.xml());
    write(QStringLiteral("IT01234567897_00002_RC_001.xml"), "<ns3:RicevutaConsegna xmlns:ns3=\"x\"/>");
    const auto run = [&](const QStringList &arguments, QStringList *lines = nullptr) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ROTALINA_HOME"), home.path());
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        process.setProcessEnvironment(environment);
        process.start(program, QStringList{QStringLiteral("--importa-fatture-xml")} + arguments);
        EXPECT_TRUE(process.waitForFinished(120000));
        if (lines)
            *lines = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        return process.exitCode();
    };
    QStringList lines;
    EXPECT_EQ(run({folder.path()}, &lines), 1);
    ASSERT_EQ(lines.size(), 3) << lines.join(u'\n').toStdString();
    EXPECT_EQ(lines.at(0),
              QStringLiteral("IMPORTATA IT01234567897_00001.xml TD01 F-101 SOCIETA' ALPHA S.R.L. 18.30"));
    EXPECT_TRUE(
        lines.at(1).startsWith(QStringLiteral("ERRORE IT01234567897_00002.xml: documento non indirizzato")))
        << lines.at(1).toStdString();
    EXPECT_TRUE(lines.at(2).startsWith(QStringLiteral("ERRORE IT01234567897_00002_RC_001.xml: ricevuta")));

    EXPECT_EQ(run({QStringLiteral("--anche-non-indirizzate"),
                   folder.filePath(QStringLiteral("IT01234567897_00002.xml")), good},
                  &lines),
              0);
    ASSERT_EQ(lines.size(), 2) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines.at(0).startsWith(QStringLiteral("IMPORTATA IT01234567897_00002.xml TD01 F-900")));
    EXPECT_TRUE(
        lines.at(1).startsWith(QStringLiteral("SALTATA IT01234567897_00001.xml: Fattura TD01 numero F-101: "
                                              "già in archivio")));

    EXPECT_EQ(run({}), 2);
    EXPECT_EQ(run({folder.filePath(QStringLiteral("assente.xml"))}, &lines), 1);
    EXPECT_EQ(lines.value(0), QStringLiteral("ERRORE %1: il file o la cartella non esiste")
                                  .arg(folder.filePath(QStringLiteral("assente.xml"))));
}

} // namespace
