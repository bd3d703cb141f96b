// The print program as the main program starts it: a separate process that finds the archive
// through the program folder and carries out this workstation's request.

#include "core/workstation.h"
#include "print/reportfixture.h"
#include "shell/reportservice.h"
#include "storage/archivepathfile.h"
#include "support/shellfixture.h"
#include "support/testarchive.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rotalina;

namespace {

const QString installed = QStringLiteral(ROTALINA_RUNTIME_DIR);

struct ProgramEnd
{
    int exitCode = -1;
    QString errors;
};

class PrintProgram : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(storage::writeArchivePath(home.path(), archive().location())); }

    storage::Archive &archive() const { return *sample.archive; }

    // Runs the installed print program on the program folder, as the main program does.
    ProgramEnd run(const QString &programFolder) const
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ROTALINA_HOME"), programFolder);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(environment);
        process.start(shell::printProgramPath(installed), {});
        if (!process.waitForFinished(120000))
            ADD_FAILURE() << "the print program did not end";
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardError())};
    }

    void request(int code, const QString &file, int format, const QString &layouts = installed)
    {
        const shell::ExportTarget target{file, format};
        const core::Status written =
            shell::writeReportRequest(archive(), core::workstationName(), layouts, code,
                                      sample.find(QString::number(code)).context, {}, &target);
        ASSERT_TRUE(written) << written.error().toStdString();
    }

    QString logText() const
    {
        const QString folder = archive().location().engine() == storage::Engine::SQLite
                                   ? archive().location().folder()
                                   : home.path();
        QFile log(QDir(folder).filePath(QStringLiteral("rotalina-stampa.log")));
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
    }

    QTemporaryDir home;
    QTemporaryDir out;
    test::SeededReportArchive sample;
};

} // namespace

TEST_F(PrintProgram, ExportsTheRequestedFileWithoutAWindow)
{
    const struct
    {
        int code;
        const char *file;
        int format;
        const char *content;
    } exports[] = {{8, "Fattura_15_2026.pdf", 1, "%PDF-"},
                   {1, "Clienti.odt", 3, "application/vnd.oasis.opendocument.text"},
                   {63, "Indirizzi.csv", 4, "Magazzino Alfa Verona"}};
    for (const auto &e : exports) {
        const QString path = out.filePath(QString::fromLatin1(e.file));
        request(e.code, path, e.format);
        const ProgramEnd end = run(home.path());
        EXPECT_EQ(end.exitCode, 0) << e.file << ": " << end.errors.toStdString();
        QFile written(path);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly)) << e.file;
        EXPECT_TRUE(written.readAll().contains(e.content)) << e.file;
    }
}

TEST_F(PrintProgram, DocumentExportWaitsForTheFile)
{
    test::ShellFixture shell(core::workstationName());
    shell.session->setArchive(test::openAgain(archive().location()));
    shell.session->setInstallFolder(installed);
    shell.desktop.runForReal = true;
    qputenv("ROTALINA_HOME", home.path().toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ASSERT_TRUE(shell.archive().execute(
        QStringLiteral("UPDATE opzioni SET TipoEsportazione = 1, CartellaEsportazioneDocumenti = ?"),
        {out.path()}));
    const core::Result<QString> path =
        shell::ReportService(*shell.session)
            .exportDocument(8, sample.find(QStringLiteral("8")).context, QStringLiteral("Fattura_"),
                            QStringLiteral("15"), 2026);
    qunsetenv("ROTALINA_HOME");
    ASSERT_TRUE(path) << path.error().toStdString();
    // The call returned only when the file was complete.
    EXPECT_EQ(*path, out.filePath(QStringLiteral("Fattura_15_2026.pdf")));
    QFile file(*path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().trimmed().endsWith("%%EOF"));
    EXPECT_TRUE(shell.prompter.shown().isEmpty());
}

TEST_F(PrintProgram, BadInputEndsWithAReasonAndNoHalfWrittenFile)
{
    QTemporaryDir noLayouts;
    const QString target = out.filePath(QStringLiteral("Clienti.pdf"));

    // A layout that is not there.
    request(1, target, 1, noLayouts.path());
    ProgramEnd failed = run(home.path());
    EXPECT_NE(failed.exitCode, 0);
    EXPECT_TRUE(failed.errors.contains(QStringLiteral("Il modello di stampa Clienti.rpt non esiste")))
        << failed.errors.toStdString();
    EXPECT_TRUE(logText().contains(QStringLiteral("Clienti.rpt non esiste"))) << logText().toStdString();

    // A statement the archive refuses.
    request(1, target, 1);
    ASSERT_TRUE(archive().execute(
        QStringLiteral("UPDATE TempStampa SET Query = 'SELECT Nessuno FROM TabellaCheNonEsiste'")));
    failed = run(home.path());
    EXPECT_NE(failed.exitCode, 0);
    EXPECT_FALSE(failed.errors.trimmed().isEmpty());

    // A format the program does not know.
    request(1, target, 9);
    failed = run(home.path());
    EXPECT_NE(failed.exitCode, 0);
    EXPECT_TRUE(failed.errors.contains(QStringLiteral("Formato di esportazione 9 sconosciuto")))
        << failed.errors.toStdString();

    // A folder that cannot be written: nothing is left behind.
    request(1, QStringLiteral("/proc/rotalina/Clienti.pdf"), 1);
    failed = run(home.path());
    EXPECT_NE(failed.exitCode, 0);
    EXPECT_TRUE(failed.errors.contains(QStringLiteral("Esportazione non riuscita")))
        << failed.errors.toStdString();

    EXPECT_TRUE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).isEmpty())
        << "no export file, whole or partial";

    // Only another workstation has a request.
    ASSERT_TRUE(archive().execute(QStringLiteral("UPDATE TempStampa SET NomeComputer = 'ALTRA-POSTAZIONE'")));
    failed = run(home.path());
    EXPECT_NE(failed.exitCode, 0);
    EXPECT_TRUE(failed.errors.contains(QStringLiteral("Nessuna richiesta di stampa")))
        << failed.errors.toStdString();

    // An archive that cannot be read.
    QTemporaryDir broken;
    QFile garbage(QDir(broken.path()).filePath(QStringLiteral("archivio.db")));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(4096, 'x'));
    garbage.close();
    failed = run(broken.path());
    EXPECT_NE(failed.exitCode, 0);
    EXPECT_FALSE(failed.errors.trimmed().isEmpty());
}
