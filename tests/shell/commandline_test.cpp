#include "core/textfile.h"
#include "storage/archive.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rotalina;

// The program itself, started as the office would start it to load a code table.
TEST(CommandLine, LoadsACodeTableIntoTheProgramsArchive)
{
    const QString program = QStringLiteral(ROTALINA_RUNTIME_DIR "/rotalina");
    if (!QFileInfo(program).isExecutable())
        GTEST_SKIP() << "the program is not built";
    QTemporaryDir home;
    const QString csv = QDir(home.path()).filePath(QStringLiteral("errori.csv"));
    ASSERT_TRUE(
        core::writeTextFile(csv, QStringLiteral("Codice,Titolo\n00001,Nome file non valido\n00002,Nome file "
                                                "duplicato\n"))
            .ok());
    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ROTALINA_HOME"), home.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    run.setProcessEnvironment(environment);
    run.start(program, {QStringLiteral("--importa-tabella"), QStringLiteral("PA_Errori"), csv});
    ASSERT_TRUE(run.waitForFinished(120000));
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    EXPECT_TRUE(QString::fromUtf8(run.readAllStandardOutput()).contains(QStringLiteral("2 righe aggiunte")));

    const QString archivePath = QDir(home.path()).filePath(QStringLiteral("archivio.db"));
    ASSERT_TRUE(QFileInfo::exists(archivePath)) << "the program's own archive is created on first use";
    auto archive = storage::Archive::open(storage::ArchiveLocation::sqliteFile(archivePath));
    ASSERT_TRUE(archive.ok()) << archive.error().toStdString();
    EXPECT_EQ((*archive)->scalar(QStringLiteral("SELECT COUNT(*) FROM PA_Errori")).value().toInt(), 2);

    QProcess refused;
    refused.setProcessEnvironment(environment);
    refused.start(program, {QStringLiteral("--importa-tabella"), QStringLiteral("fattura"), csv});
    ASSERT_TRUE(refused.waitForFinished(120000));
    EXPECT_EQ(refused.exitCode(), 1);
    EXPECT_TRUE(
        QString::fromUtf8(refused.readAllStandardError()).contains(QStringLiteral("non si può caricare")));
}
