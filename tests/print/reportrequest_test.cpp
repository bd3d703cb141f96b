#include "print/reportdata.h"
#include "shell/reportservice.h"
#include "support/shellfixture.h"
#include "support/testarchive.h"

#include <QDir>
#include <QSqlRecord>
#include <gtest/gtest.h>

using namespace rotalina;
using shell::ReportContext;
using shell::ReportSettings;

namespace {

const QString programs = QStringLiteral("/opt/rotalina/");

QVariantMap requestRow(storage::Archive &archive, const QString &workstation)
{
    auto rows =
        archive.select(QStringLiteral("SELECT * FROM TempStampa WHERE NomeComputer = ?"), {workstation});
    EXPECT_TRUE(rows) << rows.error().toStdString();
    QVariantMap row;
    int count = 0;
    while (rows && rows->next()) {
        ++count;
        const QSqlRecord record = rows->record();
        for (int i = 0; i < record.count(); ++i)
            row.insert(record.fieldName(i).toLower(), record.value(i));
    }
    EXPECT_EQ(count, 1) << "one request per workstation";
    return row;
}

QVariantMap write(storage::Archive &archive, int code, const ReportContext &context = {},
                  const ReportSettings &settings = {}, const shell::ExportTarget *target = nullptr)
{
    const core::Status written = shell::writeReportRequest(archive, QStringLiteral("UFFICIO1"), programs,
                                                           code, context, settings, target);
    EXPECT_TRUE(written) << written.error().toStdString();
    return requestRow(archive, QStringLiteral("UFFICIO1"));
}

ReportContext on(qint64 key)
{
    ReportContext context;
    context.key = key;
    context.rowKey = key;
    return context;
}

} // namespace

TEST(ReportRequest, ListRequestCarriesEveryFieldAndReplacesTheEarlierOne)
{
    auto archive = test::newArchive();
    test::addRow(*archive, QStringLiteral("TempStampa"),
                 {{QStringLiteral("NomeComputer"), QStringLiteral("MAGAZZINO")},
                  {QStringLiteral("NomeReport"), QStringLiteral("Altro.rpt")}});
    write(*archive, 3);
    const QVariantMap row = write(*archive, 1);
    EXPECT_EQ(row.value("nomeprogramma").toString(), QStringLiteral("Rotalina"));
    EXPECT_EQ(row.value("nomecomputer").toString(), QStringLiteral("UFFICIO1"));
    EXPECT_EQ(row.value("nomereport").toString(), QStringLiteral("/opt/rotalina/reports/Clienti.rpt"));
    EXPECT_EQ(row.value("nomereportlandscape").toString(),
              QStringLiteral("/opt/rotalina/reports/ClientiLan.rpt"));
    EXPECT_TRUE(row.value("query").toString().startsWith(
        QStringLiteral("SELECT Clienti.NominativoDocumenti AS Cliente")));
    EXPECT_TRUE(row.value("querysottoreport1").toString().isEmpty());
    EXPECT_TRUE(row.value("filtro").toBool());
    EXPECT_TRUE(row.value("presenzatestata").toBool());
    EXPECT_FALSE(row.value("esportazione").toBool());
    EXPECT_TRUE(row.value("fileesportazione").toString().isEmpty());
    EXPECT_TRUE(row.value("tipoesportazione").isNull());
    // The other workstation's request is left alone.
    EXPECT_EQ(test::count(*archive,
                          QStringLiteral("SELECT COUNT(*) FROM TempStampa WHERE NomeComputer = 'MAGAZZINO'")),
              1);
}

TEST(ReportRequest, SetupFollowsTheDefaultPrinterOptionAndIsOffForExports)
{
    auto archive = test::newArchive();
    ReportSettings settings;
    settings.defaultPrinter = false;
    EXPECT_TRUE(write(*archive, 6, {}, settings).value("setup").toBool());
    settings.defaultPrinter = true;
    EXPECT_FALSE(write(*archive, 6, {}, settings).value("setup").toBool());

    settings.defaultPrinter = false;
    const shell::ExportTarget target{QStringLiteral("/tmp/Fattura_15_2026.odt"), 3};
    const QVariantMap exported = write(*archive, 8, on(1), settings, &target);
    EXPECT_FALSE(exported.value("setup").toBool());
    EXPECT_TRUE(exported.value("esportazione").toBool());
    EXPECT_EQ(exported.value("fileesportazione").toString(), target.path);
    EXPECT_EQ(exported.value("tipoesportazione").toInt(), 3);
}

TEST(ReportRequest, LayoutVariantsFollowTheOptions)
{
    auto archive = test::newArchive();
    const auto names = [&](int code, bool rowsWithVat, bool quotePrices, bool delivery = false) -> QString {
        ReportSettings settings;
        settings.layout.rowsWithVat = rowsWithVat;
        settings.layout.quotePrices = quotePrices;
        ReportContext context = on(5);
        context.deliveryVariant = delivery;
        const QVariantMap row = write(*archive, code, context, settings);
        return QDir(row.value("nomereport").toString()).dirName() + u' ' +
               QDir(row.value("nomereportlandscape").toString()).dirName();
    };
    EXPECT_EQ(names(4, true, true), QStringLiteral("NoteCredito.rpt NoteCreditoLan.rpt"));
    EXPECT_EQ(names(4, false, true), QStringLiteral("NoteCreditoNoRigaIva.rpt NoteCreditoNoRigaIvaLan.rpt"));
    EXPECT_EQ(names(7, false, false), QStringLiteral("ContiNoRigaIva.rpt ContiNoRigaIvaLan.rpt"));
    EXPECT_EQ(names(8, false, true), QStringLiteral("FattureNoRigaIva.rpt FattureNoRigaIvaLan.rpt"));
    EXPECT_EQ(names(5, true, true), QStringLiteral("Preventivi.rpt PreventiviLan.rpt"));
    EXPECT_EQ(names(5, false, true), QStringLiteral("PreventiviNoRigaIva.rpt PreventiviNoRigaIvaLan.rpt"));
    // Without prices the quote has one layout, whatever the VAT option says.
    EXPECT_EQ(names(5, false, false), QStringLiteral("Preventivi2.rpt PreventiviLan2.rpt"));
    EXPECT_EQ(names(5, true, false), QStringLiteral("Preventivi2.rpt PreventiviLan2.rpt"));
    EXPECT_EQ(names(76, true, true, false), QStringLiteral("Bolletta.rpt BollettaLan.rpt"));
    EXPECT_EQ(names(76, false, true, true), QStringLiteral("BollettaPF.rpt BollettaPFLan.rpt"));
    EXPECT_EQ(names(26, true, true), QStringLiteral("Etichette.rpt Etichette.rpt"));
    EXPECT_EQ(names(38, true, true), QStringLiteral("EtichetteClienti.rpt EtichetteClienti.rpt"));
}

TEST(ReportRequest, OnlyTheLabelsGoWithoutTheCompanyHeader)
{
    auto archive = test::newArchive();
    for (int code = shell::firstReportCode; code <= shell::lastReportCode; ++code) {
        const QVariantMap row = write(*archive, code, on(7));
        EXPECT_EQ(row.value("presenzatestata").toBool(), code != 26 && code != 38 && code != 41)
            << "code " << code;
        EXPECT_FALSE(row.value("nomereport").toString().isEmpty()) << "code " << code;
        EXPECT_FALSE(row.value("query").toString().isEmpty()) << "code " << code;
    }
}

TEST(ReportRequest, DocumentWithoutItsKeyGivesAnEmptyRequestThatStillStartsThePrintProgram)
{
    test::ShellFixture shell(QStringLiteral("UFFICIO1"));
    shell.session->setArchive(test::newArchive());
    shell.session->setInstallFolder(programs);
    shell::ReportService service(*shell.session);

    for (const int code : {8, 76, 0, 82}) {
        shell.desktop.started.clear();
        ReportContext context;
        if (code == 76)
            context.key = 15; // the invoice without a current row
        ASSERT_TRUE(service.print(code, context));
        const QVariantMap row = requestRow(shell.archive(), QStringLiteral("UFFICIO1"));
        EXPECT_TRUE(row.value("nomereport").toString().isEmpty()) << code;
        EXPECT_TRUE(row.value("nomereportlandscape").toString().isEmpty()) << code;
        EXPECT_TRUE(row.value("query").toString().isEmpty()) << code;
        EXPECT_TRUE(row.value("presenzatestata").toBool()) << code;
        EXPECT_EQ(shell.desktop.started, QStringList{QStringLiteral("/opt/rotalina/rotalina-stampa ")})
            << code;
    }
    EXPECT_TRUE(shell.desktop.waitedFor.isEmpty()) << "a print does not wait";
    EXPECT_TRUE(shell.prompter.shown().isEmpty());
}

TEST(ReportRequest, StatementsCarryKeysAsIntegersAndTypedTextAsLiterals)
{
    auto archive = test::newArchive();
    const QVariantMap invoice = write(*archive, 8, on(1234567));
    EXPECT_TRUE(
        invoice.value("query").toString().contains(QStringLiteral("WHERE fattura.ID = 1234567 ORDER BY")));
    EXPECT_TRUE(invoice.value("querysottoreport1")
                    .toString()
                    .contains(QStringLiteral("FatturaScadenze.Fattura_ID = 1234567")));

    ReportContext period;
    period.month = 11;
    period.year = 2026;
    period.parameter = QStringLiteral("2.000,00");
    const QVariantMap month = write(*archive, 27, period);
    EXPECT_EQ(month.value("parametro").toString(), QStringLiteral("2.000,00"));
    EXPECT_FALSE(month.value("filtro").toBool());

    ReportSettings settings;
    settings.layout.cashBookOpening = 1500.5;
    EXPECT_EQ(write(*archive, 9, {}, settings).value("parametro").toString(), QStringLiteral("1.500,50"));

    // The workstation's work rows: a workstation name with a quote stays inside its literal.
    const core::Status written =
        shell::writeReportRequest(*archive, QStringLiteral("PC D'UFFICIO"), programs, 15, {}, {});
    ASSERT_TRUE(written) << written.error().toStdString();
    EXPECT_TRUE(requestRow(*archive, QStringLiteral("PC D'UFFICIO"))
                    .value("query")
                    .toString()
                    .contains(QStringLiteral("TempBilancio.NomeComputer = 'PC D''UFFICIO'")));
}

TEST(ReportRequest, HostileWorkstationNamesSelectOnlyTheirOwnRows)
{
    auto archive = test::newArchive();
    const QStringList names{QStringLiteral("O'Brien"), QStringLiteral("x' OR '1'='1"),
                            QStringLiteral("a'); DELETE FROM TempoEtichette; --"),
                            QStringLiteral("back\\slash'"), QStringLiteral("MAGAZZINO")};
    for (const QString &name : names)
        test::addRow(*archive, QStringLiteral("TempoEtichette"),
                     {{QStringLiteral("NomeComputer"), name}, {QStringLiteral("Descrizione"), name}});
    for (const QString &name : names.first(4)) {
        const core::Status written = shell::writeReportRequest(*archive, name, programs, 26, {}, {});
        ASSERT_TRUE(written) << written.error().toStdString();
        const QString sql = requestRow(*archive, name).value("query").toString();
        const core::Result<print::ReportRows> rows = print::runStatement(*archive, sql);
        ASSERT_TRUE(rows) << rows.error().toStdString();
        ASSERT_EQ(rows->rows.size(), 1) << name.toStdString();
        EXPECT_EQ(rows->value(0, QStringLiteral("Descrizione")).toString(), name);
    }
    EXPECT_EQ(test::count(*archive, QStringLiteral("SELECT COUNT(*) FROM TempoEtichette")), names.size());
}

TEST(ReportRequest, SettingsComeFromTheOptions)
{
    auto archive = test::newArchive();
    ASSERT_TRUE(archive->execute(
        QStringLiteral("UPDATE opzioni SET DocumentiRigaIvato = ?, PrezzoPreventivo = ?, "
                       "SaldoInizialePrimaNota = ?, StampanteDefault = ?, TipoEsportazione = ?, "
                       "CartellaEsportazioneDocumenti = ?"),
        {false, true, 250.75, true, 3, QStringLiteral("/srv/documenti")}));
    const core::Result<ReportSettings> settings = shell::readReportSettings(*archive);
    ASSERT_TRUE(settings) << settings.error().toStdString();
    EXPECT_FALSE(settings->layout.rowsWithVat);
    EXPECT_TRUE(settings->layout.quotePrices);
    EXPECT_DOUBLE_EQ(settings->layout.cashBookOpening, 250.75);
    EXPECT_TRUE(settings->defaultPrinter);
    EXPECT_EQ(settings->exportFormat, 3);
    EXPECT_EQ(settings->exportExtension, QStringLiteral("odt"));
    EXPECT_EQ(settings->documentFolder, QStringLiteral("/srv/documenti"));
}

TEST(ReportRequest, DocumentExportFileIsNamedAfterTheDocument)
{
    QTemporaryDir documents;
    EXPECT_EQ(shell::documentExportPath(documents.path(), QStringLiteral("/opt/rotalina/"),
                                        QStringLiteral("Fattura_"), QStringLiteral("15"), 2026,
                                        QStringLiteral("pdf")),
              documents.filePath(QStringLiteral("Fattura_15_2026.pdf")));
    // A folder that is not there (a disconnected share): the program folder.
    EXPECT_EQ(shell::documentExportPath(QStringLiteral("/nessuna/cartella"), QStringLiteral("/opt/rotalina/"),
                                        QStringLiteral("Commessa_"), QStringLiteral("12/A"), 2026,
                                        QStringLiteral("odt")),
              QStringLiteral("/opt/rotalina/Commessa_12-A_2026.odt"));
}

TEST(ReportRequest, FailedExportTellsTheUserWhy)
{
    test::ShellFixture shell(QStringLiteral("UFFICIO1"));
    shell.session->setArchive(test::newArchive());
    shell.session->setInstallFolder(programs);
    shell::ReportService service(*shell.session);

    // The print program failed: its reason is shown.
    shell.desktop.runResult = {
        true, 1, QStringLiteral("Il modello di stampa Clienti.rpt non esiste o non è leggibile.")};
    const core::Status failed = service.exportTo(1, {}, shell.path(QStringLiteral("Clienti.pdf")));
    ASSERT_FALSE(failed);
    EXPECT_EQ(
        shell.prompter.lastText(),
        QStringLiteral(
            "Esportazione non riuscita:\nIl modello di stampa Clienti.rpt non esiste o non è leggibile."));
    EXPECT_EQ(shell.desktop.waitedFor, QStringList{QStringLiteral("/opt/rotalina/rotalina-stampa ")});
    EXPECT_TRUE(requestRow(shell.archive(), QStringLiteral("UFFICIO1")).value("esportazione").toBool());

    // It claimed success but wrote nothing.
    shell.desktop.runResult = {true, 0, {}};
    ASSERT_FALSE(service.exportTo(1, {}, shell.path(QStringLiteral("Clienti.pdf"))));
    EXPECT_TRUE(shell.prompter.lastText().startsWith(QStringLiteral("Esportazione non riuscita:\nil file")));

    // It could not be started.
    shell.desktop.runResult = {false, -1, QStringLiteral("No such file or directory")};
    ASSERT_FALSE(service.exportTo(1, {}, shell.path(QStringLiteral("Clienti.pdf"))));
    EXPECT_TRUE(shell.prompter.lastText().contains(QStringLiteral("non si avvia")));
}
