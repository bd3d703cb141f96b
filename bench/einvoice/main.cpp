// Times the month-end export of electronic invoices on the synthetic ten-year archive: a month of
// new invoices of five rows each, written by the program's command line as the accountant runs it,
// in files per second; beside it the time the official schema check (xmllint) takes on the same
// files.
//   bench_einvoice [--scale F] [--postgresql ADDRESS] [--invoices N] [--schema XSD]

#include "archive/syntheticarchive.h"
#include "benchsupport.h"
#include "storage/archive.h"
#include "storage/archivepathfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

using namespace rotalina;

namespace {

constexpr int rowsPerInvoice = 5;

core::Status check(const core::Status &status, const char *step)
{
    if (!status)
        return core::Status::failure(QString::fromLatin1(step) + QStringLiteral(": ") + status.error());
    return status;
}

// The firm, a customer and a payment mode the exchange system accepts, and the month's invoices,
// written in bulk as a month of office work would have left them.
core::Status addMonthOfInvoices(storage::Archive &archive, int invoices, const QDate &month)
{
    if (core::Result<int> firm = archive.execute(QStringLiteral(
            "UPDATE ditta SET IdPaese = 'IT', PIva = '12345670017', RagSoc = 'Trasporti Rossi', "
            "Via = 'Via Roma', Numero = '1', Cap = '20100', Comune = 'Milano', Provincia = 'MI', "
            "RegimeFiscale = 'RF01'"));
        !firm)
        return core::Status::failure(firm.error());
    const core::Result<qint64> customer = archive.insert(
        QStringLiteral("Clienti"), {{QStringLiteral("Cliente"), QStringLiteral("Alfa S.p.A.")},
                                    {QStringLiteral("NominativoVisualizzato"), QStringLiteral("Alfa")},
                                    {QStringLiteral("Iva"), QStringLiteral("80000000002")},
                                    {QStringLiteral("IdPaese"), QStringLiteral("IT")},
                                    {QStringLiteral("Codice"), QStringLiteral("ABC1234")},
                                    {QStringLiteral("Via"), QStringLiteral("Corso Italia")},
                                    {QStringLiteral("Cap"), QStringLiteral("10100")},
                                    {QStringLiteral("Citta"), QStringLiteral("Torino")},
                                    {QStringLiteral("Provincia"), QStringLiteral("TO")}});
    const core::Result<qint64> mode =
        archive.insert(QStringLiteral("ModPagamento"),
                       {{QStringLiteral("Descrizione"), QStringLiteral("Bonifico 30 gg")},
                        {QStringLiteral("NumeroScadenze"), 1},
                        {QStringLiteral("GG1Scadenza"), 30},
                        {QStringLiteral("PA_ModalitaPagamento_Codice"), QStringLiteral("MP05")}});
    const core::Result<qint64> bank = archive.insert(
        QStringLiteral("Bank"), {{QStringLiteral("Banca"), QStringLiteral("Banca Uno")},
                                 {QStringLiteral("Iban"), QStringLiteral("IT60X0542811101000000123456")}});
    if (!customer || !mode || !bank)
        return core::Status::failure(QStringLiteral("the firm's registries could not be written"));

    const double net = 100 + 101 + 102 + 103 + 104;
    const double vat = net * 0.22;
    QList<QVariantList> headers;
    for (int i = 0; i < invoices; ++i)
        headers.append({900000 + i, month.addDays(i % month.daysInMonth()), *customer,
                        QStringLiteral("Alfa S.p.A."), *mode, *bank, QString::number(700000 + i),
                        QStringLiteral("FPR12"), net, vat, net + vat, false, false, false, false});
    if (core::Status written = archive.insertRows(
            QStringLiteral("fattura"),
            {QStringLiteral("Num"), QStringLiteral("Data"), QStringLiteral("Cliente_ID"),
             QStringLiteral("Cliente"), QStringLiteral("ModPagamento_Id"), QStringLiteral("Banca_ID"),
             QStringLiteral("DatiTrasmissione_ProgressivoInvio"),
             QStringLiteral("DatiTrasmissione_FormatoTrasmissione"), QStringLiteral("TotImponibile"),
             QStringLiteral("TotImposta"), QStringLiteral("TotFattura"), QStringLiteral("Carico"),
             QStringLiteral("FattNota"), QStringLiteral("Storico"), QStringLiteral("EsportatoXml")},
            headers);
        !written)
        return check(written, "invoices");
    const core::Result<storage::Archive::Rows> keys = archive.readRows(
        QStringLiteral("SELECT ID, Data FROM fattura WHERE Num >= 900000 AND Carico = false ORDER BY ID"));
    if (!keys)
        return core::Status::failure(keys.error());
    QList<QVariantList> rows;
    QList<QVariantList> dues;
    for (const QVariantList &key : keys->values) {
        for (int r = 0; r < rowsPerInvoice; ++r)
            rows.append({key.at(0), r + 1, QStringLiteral("Trasporto Verona - Milano, viaggio %1").arg(r + 1),
                         1.0, 100.0 + r, 0.0, 22.0, 1, 100.0 + r, QStringLiteral("N")});
        dues.append({key.at(0), 1, key.at(1).toDate().addDays(30), net + vat, *mode, QStringLiteral("C")});
    }
    if (core::Status written = archive.insertRows(
            QStringLiteral("fattdett"),
            {QStringLiteral("NumFatt"), QStringLiteral("NumeroRiga"), QStringLiteral("Descrizione"),
             QStringLiteral("Um"), QStringLiteral("ValoreUnitario"), QStringLiteral("Sconto"),
             QStringLiteral("AliquotaIva"), QStringLiteral("Iva_ID"), QStringLiteral("TotaleImponibile"),
             QStringLiteral("TipoRiga")},
            rows);
        !written)
        return check(written, "rows");
    return check(archive.insertRows(QStringLiteral("FatturaScadenze"),
                                    {QStringLiteral("Fattura_ID"), QStringLiteral("Numero"),
                                     QStringLiteral("DataScadenza"), QStringLiteral("Importo"),
                                     QStringLiteral("ModPagamento_Id"), QStringLiteral("Tipo")},
                                    dues),
                 "due dates");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("scale"),
                      QStringLiteral("Size of the archive relative to ten busy years."),
                      QStringLiteral("factor"), QStringLiteral("1.0")});
    parser.addOption({QStringLiteral("invoices"), QStringLiteral("Invoices of the exported month (10000)."),
                      QStringLiteral("n"), QStringLiteral("10000")});
    parser.addOption(
        {QStringLiteral("schema"), QStringLiteral("The FatturaPA schema xmllint checks the files with."),
         QStringLiteral("xsd"),
         QStringLiteral(ROTALINA_SOURCE_DIR
                        "/../shared/fatturapa/schemas/Schema_del_file_xml_FatturaPA_v1.2.2.xsd")});
    parser.addOption(
        {QStringLiteral("keep"),
         QStringLiteral("Work in this new folder and leave it there (archive, files) to look into."),
         QStringLiteral("folder")});
    bench::addPostgresOption(parser);
    parser.process(app);
    QTextStream out(stdout);

    QTemporaryDir temporary;
    const QString homePath =
        parser.isSet(QStringLiteral("keep")) ? parser.value(QStringLiteral("keep")) : temporary.path();
    if (!QDir().mkpath(homePath)) {
        out << "cannot make " << homePath << Qt::endl;
        return 1;
    }
    auto archive = bench::openNewArchive(parser, homePath);
    if (!archive) {
        out << archive.error() << Qt::endl;
        return 1;
    }
    bench::SyntheticArchiveSize size;
    size.scale = parser.value(QStringLiteral("scale")).toDouble();
    size.today = QDate(2026, 11, 30);
    QElapsedTimer timer;
    timer.start();
    if (const auto filled = bench::fillSyntheticArchive(**archive, size); !filled) {
        out << filled.error() << Qt::endl;
        return 1;
    }
    const int invoices = parser.value(QStringLiteral("invoices")).toInt();
    const QDate month(2026, 12, 1);
    if (core::Status added = addMonthOfInvoices(**archive, invoices, month); !added) {
        out << added.error() << Qt::endl;
        return 1;
    }
    out << QStringLiteral("archive filled in %1 s (scale %2, %3)")
               .arg(timer.elapsed() / 1000.0, 0, 'f', 1)
               .arg(size.scale)
               .arg(parser.isSet(QStringLiteral("postgresql")) ? QStringLiteral("PostgreSQL")
                                                               : QStringLiteral("SQLite"))
        << Qt::endl;
    if (core::Status path = storage::writeArchivePath(homePath, (*archive)->location()); !path) {
        out << path.error() << Qt::endl;
        return 1;
    }
    archive->reset();

    const QString folder = QDir(homePath).filePath(QStringLiteral("fatture"));
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ROTALINA_HOME"), homePath);
    program.setProcessEnvironment(environment);
    program.setStandardOutputFile(QProcess::nullDevice());
    timer.restart();
    program.start(QStringLiteral(ROTALINA_RUNTIME_DIR "/rotalina"),
                  {QStringLiteral("--esporta-fatture-xml"), folder, QStringLiteral("--dal"),
                   month.toString(QStringLiteral("dd/MM/yyyy")), QStringLiteral("--al"),
                   month.addMonths(1).addDays(-1).toString(QStringLiteral("dd/MM/yyyy"))});
    if (!program.waitForFinished(-1) || program.exitCode() != 0) {
        out << "the export failed: " << program.readAllStandardError() << Qt::endl;
        return 1;
    }
    const double exportSeconds = timer.elapsed() / 1000.0;
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.xml")}, QDir::Files);
    out << QStringLiteral("export: %1 files of %2 rows in %3 s, %4 files per second")
               .arg(files.size())
               .arg(rowsPerInvoice)
               .arg(exportSeconds, 0, 'f', 2)
               .arg(files.size() / exportSeconds, 0, 'f', 0)
        << Qt::endl;

    const QString schema = parser.value(QStringLiteral("schema"));
    if (!QFileInfo::exists(schema)) {
        out << "schema check: skipped, " << schema << " not found" << Qt::endl;
        return 0;
    }
    timer.restart();
    int invalid = 0;
    for (qsizetype first = 0; first < files.size(); first += 500) {
        QStringList arguments{QStringLiteral("--noout"), QStringLiteral("--nonet"),
                              QStringLiteral("--schema"), schema};
        for (const QString &file : files.mid(first, 500))
            arguments.append(QDir(folder).filePath(file));
        QProcess lint;
        lint.setStandardOutputFile(QProcess::nullDevice());
        lint.setStandardErrorFile(QProcess::nullDevice());
        lint.start(QStringLiteral("xmllint"), arguments);
        lint.waitForFinished(-1);
        if (lint.exitCode() != 0)
            ++invalid;
    }
    const double lintSeconds = timer.elapsed() / 1000.0;
    out << QStringLiteral("xmllint --schema: the same files in %1 s, %2 files per second%3")
               .arg(lintSeconds, 0, 'f', 2)
               .arg(files.size() / lintSeconds, 0, 'f', 0)
               .arg(invalid ? QStringLiteral(", SOME FILES INVALID") : QStringLiteral(", all valid"))
        << Qt::endl;
    return invalid ? 1 : 0;
}
