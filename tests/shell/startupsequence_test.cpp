#include "core/textfile.h"
#include "shell/startupsequence.h"
#include "storage/sqlvalue.h"
#include "storage/workstationrows.h"
#include "support/shellfixture.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell;
using Outcome = StartupSequence::Outcome;

namespace {

void setOptions(storage::Archive &archive, const QVariantMap &values)
{
    const auto key = archive.scalar(QStringLiteral("SELECT ID FROM opzioni"));
    ASSERT_TRUE(key.ok());
    ASSERT_TRUE(archive.update(QStringLiteral("opzioni"), key->toLongLong(), values).ok());
}

} // namespace

TEST(Startup, ANewInstallationCreatesItsArchive)
{
    test::ShellFixture fixture;
    fixture.useNewArchive();
    test::RecordingStartupUi ui;
    ASSERT_EQ(StartupSequence(*fixture.session, ui).run(), Outcome::Ready)
        << fixture.prompter.lastText().toStdString();
    EXPECT_TRUE(fixture.prompter.shown().isEmpty());
    if (test::engineUnderTest() == storage::Engine::SQLite) {
        EXPECT_TRUE(QFileInfo::exists(fixture.path(QStringLiteral("archivio.db"))));
        EXPECT_EQ(core::readTextFile(fixture.path(QStringLiteral("percorso.txt"))).value(),
                  fixture.path(QStringLiteral("archivio.db")) + u'\n');
        EXPECT_EQ(ui.archivePath, fixture.path(QStringLiteral("archivio.db")));
    }
    EXPECT_EQ(ui.companyName, QString());
    EXPECT_EQ(ui.passwordAsked, 0) << "no administrator password, no password window";
    EXPECT_EQ(ui.startTab, 0);
    EXPECT_TRUE(ui.reminders.isEmpty());
    storage::WorkstationRows rows(fixture.archive(), QStringLiteral("UFFICIO"));
    EXPECT_EQ(*rows.count(QStringLiteral("TempAvvisi")), 1) << "the workstation's notice row";
}

TEST(Startup, AnArchiveNamedButMissingIsReportedNotCreated)
{
    if (test::engineUnderTest() != storage::Engine::SQLite)
        GTEST_SKIP() << "a missing file is a SQLite matter";
    test::ShellFixture fixture;
    const QString elsewhere = fixture.path(QStringLiteral("rete/archivio.db"));
    ASSERT_TRUE(core::writeTextFile(fixture.path(QStringLiteral("percorso.txt")), elsewhere + u'\n').ok());
    test::RecordingStartupUi ui;
    EXPECT_EQ(StartupSequence(*fixture.session, ui).run(), Outcome::Failed);
    EXPECT_EQ(fixture.prompter.shown().last().title, QStringLiteral("Messaggio di errore"));
    EXPECT_TRUE(fixture.prompter.lastText().startsWith(QStringLiteral("Archivio non trovato")));
    EXPECT_EQ(fixture.session->archive(), nullptr);
    EXPECT_FALSE(QFileInfo::exists(elsewhere));
    EXPECT_EQ(ui.archivePath, elsewhere) << "the path is shown so the user sees what is wrong";
}

TEST(Startup, CompanyStartTabAndPassword)
{
    auto archive = test::newArchive();
    ASSERT_TRUE(archive
                    ->execute(QStringLiteral("UPDATE ditta SET RagSoc = ?"),
                              {QStringLiteral("Trasporti Rossi S.r.l.")})
                    .ok());
    setOptions(*archive, {{QStringLiteral("TabIniziale"), 2},
                          {QStringLiteral("PasswordAmministratore"), QStringLiteral("d´Amico")}});
    test::ShellFixture fixture;
    fixture.useArchive(std::move(archive));

    test::RecordingStartupUi wrong;
    wrong.typedPassword = QStringLiteral("d'Amico");
    EXPECT_EQ(StartupSequence(*fixture.session, wrong).run(), Outcome::WrongPassword);
    EXPECT_EQ(wrong.passwordAsked, 1);
    EXPECT_TRUE(fixture.prompter.shown().isEmpty()) << "a wrong password ends the program without a message";
    EXPECT_EQ(wrong.startTab, -1);

    test::RecordingStartupUi right;
    right.typedPassword = QStringLiteral("d´Amico");
    EXPECT_EQ(StartupSequence(*fixture.session, right).run(), Outcome::Ready);
    EXPECT_EQ(right.companyName, QStringLiteral("Trasporti Rossi S.r.l."));
    EXPECT_EQ(right.startTab, 2);
}

TEST(Startup, TheReminderAppearsOnlyWhenSomethingIsDue)
{
    auto archive = test::newArchive();
    setOptions(*archive, {{QStringLiteral("PromemoriaScadenze"), true}});
    // A due date paid, one due tomorrow: nothing to remind yet.
    ASSERT_TRUE(
        archive
            ->insert(QStringLiteral("FatturaScadenze"), {{QStringLiteral("DataScadenza"), QDate(2024, 5, 1)},
                                                         {QStringLiteral("DataPagamento"), QDate(2024, 5, 2)},
                                                         {QStringLiteral("Importo"), 100.0}})
            .ok());
    ASSERT_TRUE(
        archive
            ->insert(QStringLiteral("FatturaScadenze"), {{QStringLiteral("DataScadenza"), QDate(2024, 6, 11)},
                                                         {QStringLiteral("Importo"), 50.0}})
            .ok());
    test::ShellFixture fixture;
    fixture.session->setToday(QDate(2024, 6, 10));
    const storage::ArchiveLocation location = archive->location();
    fixture.useArchive(std::move(archive));

    test::RecordingStartupUi quiet;
    ASSERT_EQ(StartupSequence(*fixture.session, quiet).run(), Outcome::Ready);
    EXPECT_TRUE(quiet.reminders.isEmpty());

    fixture.session->setToday(QDate(2024, 6, 11));
    test::RecordingStartupUi due;
    ASSERT_EQ(StartupSequence(*fixture.session, due).run(), Outcome::Ready);
    ASSERT_EQ(due.reminders.size(), 1);
    const QList<ReminderList> &lists = due.reminders.first();
    ASSERT_EQ(lists.size(), 6);
    ASSERT_EQ(lists.at(0).rows.size(), 1);
    EXPECT_EQ(lists.at(0).rows.at(0).at(0), QStringLiteral("11/06/2024"));
    EXPECT_EQ(lists.at(0).rows.at(0).at(lists.at(0).columnOf(QStringLiteral("Importo"))),
              QStringLiteral("50,00"));
}

TEST(Startup, TwoWorkstationsKeepTheirScratchRowsApart)
{
    auto archive = test::newArchive();
    storage::WorkstationRows office(*archive, QStringLiteral("UFFICIO"));
    storage::WorkstationRows store(*archive, QStringLiteral("MAGAZZINO"));
    for (storage::WorkstationRows *rows : {&office, &store}) {
        for (const char *table : {"TempStampa", "TempBilancio", "TempAvvisiClienti", "TempoEtichette"})
            ASSERT_TRUE(rows->insert(QString::fromLatin1(table), {}).ok());
    }
    test::ShellFixture fixture(QStringLiteral("UFFICIO"));
    fixture.useArchive(std::move(archive));
    test::RecordingStartupUi ui;
    ASSERT_EQ(StartupSequence(*fixture.session, ui).run(), Outcome::Ready);

    storage::WorkstationRows mine(fixture.archive(), QStringLiteral("UFFICIO"));
    storage::WorkstationRows theirs(fixture.archive(), QStringLiteral("MAGAZZINO"));
    for (const char *table : {"TempStampa", "TempBilancio", "TempAvvisiClienti", "TempoEtichette"}) {
        EXPECT_EQ(*mine.count(QString::fromLatin1(table)), 0) << table;
        EXPECT_EQ(*theirs.count(QString::fromLatin1(table)), 1) << table << " of the other workstation stays";
    }
    EXPECT_EQ(*mine.count(QStringLiteral("TempAvvisi")), 1);
    EXPECT_EQ(*theirs.count(QStringLiteral("TempAvvisi")), 0);
}

TEST(Startup, ChoosingAnotherArchiveKeepsTheChoiceOnlyWhenItOpens)
{
    test::ShellFixture fixture;
    fixture.useNewArchive();
    test::RecordingStartupUi ui;
    ASSERT_EQ(StartupSequence(*fixture.session, ui).run(), Outcome::Ready);
    const QString before = core::readTextFile(fixture.path(QStringLiteral("percorso.txt"))).value();
    storage::Archive *first = fixture.session->archive();

    // A choice that does not open leaves everything as it was.
    const auto broken = storage::ArchiveLocation::parse(fixture.path(QStringLiteral("altrove/archivio.db")));
    EXPECT_EQ(StartupSequence(*fixture.session, ui).runOn(*broken), Outcome::Failed);
    EXPECT_EQ(fixture.session->archive(), first);
    EXPECT_EQ(core::readTextFile(fixture.path(QStringLiteral("percorso.txt"))).value(), before);

    auto other = test::newArchive();
    ASSERT_TRUE(
        other->execute(QStringLiteral("UPDATE ditta SET RagSoc = ?"), {QStringLiteral("Filiale Nord")}).ok());
    const storage::ArchiveLocation location = other->location();
    other.reset();
    ASSERT_EQ(StartupSequence(*fixture.session, ui).runOn(location), Outcome::Ready);
    EXPECT_EQ(ui.companyName, QStringLiteral("Filiale Nord"));
    EXPECT_EQ(core::readTextFile(fixture.path(QStringLiteral("percorso.txt"))).value(),
              location.text() + u'\n');
    EXPECT_EQ(fixture.session->archive()->location().text(), location.text());
}

TEST(Startup, AServersPasswordFoundNowhereIsAskedOnceAndKeptInMemoryOnly)
{
    auto other = test::newArchive();
    if (other->engine() != storage::Engine::PostgreSQL)
        GTEST_SKIP() << "a PostgreSQL server's password";
    const storage::ArchiveLocation real = other->location();
    other.reset();
    test::ShellFixture fixture;
    fixture.useNewArchive();
    test::RecordingStartupUi ui;
    ASSERT_EQ(StartupSequence(*fixture.session, ui).run(), Outcome::Ready);
    // No password in the address nor in the user's password file.
    const QString emptyFile = fixture.path(QStringLiteral("pgpass"));
    ASSERT_TRUE(core::writeTextFile(emptyFile, QString()).ok());
    QFile::setPermissions(emptyFile, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QByteArray before = qgetenv("PGPASSFILE");
    qputenv("PGPASSFILE", emptyFile.toLocal8Bit());
    const storage::ArchiveLocation bare = real.withoutPassword();

    // Cancelled: nothing opens, nothing is written.
    EXPECT_EQ(StartupSequence(*fixture.session, ui).runOn(bare), Outcome::Failed);
    fixture.prompter.answerDialogs({real.password()});
    const Outcome typed = StartupSequence(*fixture.session, ui).runOn(bare);
    if (before.isEmpty())
        qunsetenv("PGPASSFILE");
    else
        qputenv("PGPASSFILE", before);
    ASSERT_EQ(typed, Outcome::Ready) << fixture.prompter.lastText().toStdString();
    EXPECT_TRUE(fixture.prompter.texts().contains(
        QStringLiteral("Password dell'utente %1 per l'archivio %2:").arg(bare.user(), bare.displayText())));
    const QString pathFile = core::readTextFile(fixture.path(QStringLiteral("percorso.txt"))).value();
    EXPECT_FALSE(pathFile.contains(real.password())) << pathFile.toStdString();
    for (const QString &shown : fixture.prompter.texts())
        EXPECT_FALSE(shown.contains(real.password())) << shown.toStdString();
}

TEST(Startup, TheProgramsOwnArchiveMovedAwayIsReportedNotReplacedByAnEmptyOne)
{
    if (test::engineUnderTest() != storage::Engine::SQLite)
        GTEST_SKIP() << "a missing file is a SQLite matter";
    test::ShellFixture fixture;
    test::RecordingStartupUi first;
    ASSERT_EQ(StartupSequence(*fixture.session, first).run(), Outcome::Ready) << "the first start creates it";
    const QString own = fixture.path(QStringLiteral("archivio.db"));
    ASSERT_TRUE(QFileInfo::exists(own));
    ASSERT_TRUE(QFileInfo::exists(fixture.path(QStringLiteral("percorso.txt"))));
    fixture.session->setArchive(nullptr);

    // A backup restored elsewhere, a folder renamed: the archive the path file names is gone.
    ASSERT_TRUE(QFile::rename(own, fixture.path(QStringLiteral("archivio-copia.db"))));
    test::RecordingStartupUi later;
    EXPECT_EQ(StartupSequence(*fixture.session, later).run(), Outcome::Failed);
    EXPECT_TRUE(fixture.prompter.lastText().startsWith(QStringLiteral("Archivio non trovato")))
        << fixture.prompter.lastText().toStdString();
    EXPECT_FALSE(QFileInfo::exists(own)) << "no empty archive took its place";
}
