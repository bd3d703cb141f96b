#include "core/textfile.h"
#include "shell/schemaupdatescript.h"
#include "shell/startupsequence.h"
#include "support/shellfixture.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell;

namespace {

class SchemaUpdate : public ::testing::Test
{
protected:
    void SetUp() override
    {
        archive = test::newArchive();
        folder = schemaUpdateFolder(archive->location(), dir.path());
        script = QDir(folder).filePath(QStringLiteral("SQLAggio.sql"));
    }
    void TearDown() override { QFile::remove(script); }

    int colours() { return archive->scalar(QStringLiteral("SELECT COUNT(*) FROM Colori")).value().toInt(); }

    QTemporaryDir dir;
    std::unique_ptr<storage::Archive> archive;
    QString folder;
    QString script;
};

} // namespace

TEST_F(SchemaUpdate, RunsEveryStatementWithOrWithoutTheLastSemicolon)
{
    for (const char *text : {"INSERT INTO Colori (Descrizione) VALUES ('Rosso');\n"
                             "INSERT INTO Colori (Descrizione) VALUES ('Blu');\n"
                             "INSERT INTO Colori (Descrizione) VALUES ('Verde')",
                             "INSERT INTO Colori (Descrizione) VALUES ('Rosso');"
                             "INSERT INTO Colori (Descrizione) VALUES ('Blu');"
                             "INSERT INTO Colori (Descrizione) VALUES ('Verde');\n"}) {
        ASSERT_TRUE(archive->execute(QStringLiteral("DELETE FROM Colori")).ok());
        ASSERT_TRUE(core::writeTextFile(script, QString::fromLatin1(text)).ok());
        const auto ran = applySchemaUpdate(*archive, folder);
        ASSERT_TRUE(ran.ok()) << ran.error().toStdString();
        EXPECT_TRUE(*ran);
        EXPECT_EQ(colours(), 3);
        EXPECT_FALSE(QFileInfo::exists(script)) << "the script runs once";
    }
    const auto nothing = applySchemaUpdate(*archive, folder);
    ASSERT_TRUE(nothing.ok());
    EXPECT_FALSE(*nothing);
}

TEST_F(SchemaUpdate, AFailingStatementLeavesNothingHalfApplied)
{
    ASSERT_TRUE(
        core::writeTextFile(script, QStringLiteral("INSERT INTO Colori (Descrizione) VALUES ('Rosso');"
                                                   "UPDATE Colori SET Inesistente = 1;"
                                                   "INSERT INTO Colori (Descrizione) VALUES ('Verde');"))
            .ok());
    const auto ran = applySchemaUpdate(*archive, folder);
    ASSERT_FALSE(ran.ok());
    EXPECT_TRUE(ran.error().contains(QStringLiteral("l'istruzione 2"))) << ran.error().toStdString();
    EXPECT_EQ(colours(), 0);
    EXPECT_TRUE(QFileInfo::exists(script)) << "the script stays for the next start";
}

TEST(SchemaUpdateAtStartup, AFailingScriptStopsTheStartUp)
{
    test::ShellFixture fixture;
    auto archive = test::newArchive();
    const QString folder = schemaUpdateFolder(archive->location(), fixture.folder.path());
    fixture.useArchive(std::move(archive));
    const QString script = QDir(folder).filePath(QStringLiteral("SQLAggio.sql"));
    ASSERT_TRUE(core::writeTextFile(script, QStringLiteral("UPDATE Nessuna SET a = 1")).ok());
    test::RecordingStartupUi ui;
    EXPECT_EQ(StartupSequence(*fixture.session, ui).run(), StartupSequence::Outcome::Failed);
    EXPECT_EQ(fixture.session->archive(), nullptr);
    EXPECT_TRUE(fixture.prompter.lastText().startsWith(QStringLiteral("Aggiornamento dell'archivio")));
    ASSERT_TRUE(
        core::writeTextFile(script, QStringLiteral("UPDATE ditta SET RagSoc = 'Aggiornata';\n")).ok());
    EXPECT_EQ(StartupSequence(*fixture.session, ui).run(), StartupSequence::Outcome::Ready)
        << "the next start runs the mended script";
    EXPECT_EQ(ui.companyName, QStringLiteral("Aggiornata"));
    EXPECT_FALSE(QFileInfo::exists(script));
}
