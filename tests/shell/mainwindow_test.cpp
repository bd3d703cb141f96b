#include "core/textfile.h"
#include "shell/mainmenu.h"
#include "shell/ui/datebox.h"
#include "shell/ui/entrynavigation.h"
#include "shell/ui/helpdispatcher.h"
#include "shell/ui/helpwindow.h"
#include "shell/ui/mainwindow.h"
#include "shell/ui/moduleicon.h"
#include "shell/ui/shellwindows.h"
#include "shell/ui/windowregistry.h"
#include "support/shellfixture.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell::ui;
using Outcome = rotalina::shell::StartupSequence::Outcome;

namespace {

// A window of a later module, standing in for it: it remembers how it was opened and closes.
struct OpenedWindow
{
    int times = 0;
    QVariantMap parameters;
    bool historyMode = false;
};

WindowRegistry::Factory recordingFactory(OpenedWindow &opened)
{
    return [&opened](shell::Session &session, const QVariantMap &parameters, QWidget *parent) {
        ++opened.times;
        opened.parameters = parameters;
        opened.historyMode = session.historyMode();
        auto *dialog = new QDialog(parent);
        QTimer::singleShot(0, dialog, &QDialog::accept);
        return dialog;
    };
}

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EntryNavigation::install();
        HelpDispatcher::install(*fixture.session);
        registerShellWindows(windows);
    }

    // The main window on a new archive, started as the program starts it.
    MainWindow &start()
    {
        fixture.useNewArchive();
        window = std::make_unique<MainWindow>(*fixture.session, windows);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        EXPECT_EQ(window->runStartup(), Outcome::Ready) << fixture.prompter.lastText().toStdString();
        // A new archive asks for the firm's identity first; these tests leave it for later.
        if (QWidget *company = companyWindow())
            company->close();
        return *window;
    }

    static QWidget *companyWindow()
    {
        for (QWidget *shown : QApplication::topLevelWidgets()) {
            if (shown->objectName() == u"TfrmDitta" && shown->isVisible())
                return shown;
        }
        return nullptr;
    }

    template <typename T> T *find(const char *name) const
    {
        T *child = window->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    test::ShellFixture fixture;
    WindowRegistry windows;
    std::unique_ptr<MainWindow> window;
};

} // namespace

TEST_F(MainWindowTest, EveryPageAndButtonIsThere)
{
    start();
    auto *pages = find<QTabWidget>("pgcBarra");
    QStringList captions;
    for (int i = 0; i < pages->count(); ++i)
        captions.append(pages->tabText(i));
    EXPECT_EQ(captions, QStringList({"Archivio  ", "Attività", "Documenti Clienti  ", "Documenti Fornitori  ",
                                     "Stampe  ", "Storico  ", "Scadenziario  ", "Utility", "Video"}));
    const struct
    {
        const char *name;
        const char *caption;
    } buttons[] = {{"btnTariffe", "Tariffe"},
                   {"btnModalitaPagamento", "Modalità di Pagamento"},
                   {"btnUnitaMisura", "Unità di Misura"},
                   {"BitBtn3", "Calendario"},
                   {"btnFatturaElettronica", "Fattura Elettronica Estesa"},
                   {"btnDDTClienti", "D.D.T."},
                   {"btnImportaFatturaElettronica", "Importa fattura elettronica xml"},
                   {"btnStampeCisterne", "Cisterne"},
                   {"BitBtn1", "Prima Nota"},
                   {"btnUtilityRealizzazione", "Realizzazione"},
                   {"btnErroriFatturaElettronica", "Errori di scarto Fattura Elettronica"}};
    for (const auto &b : buttons)
        EXPECT_EQ(find<QToolButton>(b.name)->text(), QString::fromUtf8(b.caption));
    EXPECT_EQ(find<QPushButton>("btnEsci")->text(), QStringLiteral("Esci"));
    EXPECT_EQ(find<QPushButton>("btnLavoraRete")->text(), QStringLiteral("Lavora in Rete"));
    EXPECT_EQ(find<QPushButton>("btnHelp")->text(), QStringLiteral("Aiuto"));
    EXPECT_EQ(find<QPlainTextEdit>("Memo1")->toolTip(), QStringLiteral("Percorso di rete"));
    for (const char *hidden : {"Button2", "cmdConnessione", "Button1"})
        EXPECT_TRUE(find<QPushButton>(hidden)->isHidden()) << hidden;
    // Windows of modules still to come: their buttons are there, disabled.
    EXPECT_FALSE(find<QToolButton>("btnVetture")->isEnabled());
    EXPECT_FALSE(find<QToolButton>("btnStoricoFattureClienti")->isEnabled());
    EXPECT_TRUE(find<QToolButton>("btnUtilityRealizzazione")->isEnabled());
    // Companion programs are offered only when they are installed beside the program.
    EXPECT_FALSE(find<QToolButton>("btnFatturaElettronica")->isEnabled());
    EXPECT_FALSE(find<QToolButton>("btnEsportazioni")->isEnabled());
    QFile companion(fixture.path(QStringLiteral("Zelexport")));
    ASSERT_TRUE(companion.open(QIODevice::WriteOnly));
    companion.close();
    ASSERT_TRUE(companion.setPermissions(companion.permissions() | QFileDevice::ExeOwner));
    window->refreshButtons();
    EXPECT_TRUE(find<QToolButton>("btnEsportazioni")->isEnabled());
    EXPECT_TRUE(find<QToolButton>("btnVideoGriglie")->isEnabled());
    if (test::engineUnderTest() == storage::Engine::SQLite) {
        EXPECT_EQ(find<QPlainTextEdit>("Memo1")->toPlainText(), fixture.path(QStringLiteral("archivio.db")));
    }
}

TEST_F(MainWindowTest, ARegisteredWindowEnablesItsButton)
{
    OpenedWindow vehicles;
    start();
    EXPECT_FALSE(find<QToolButton>("btnVetture")->isEnabled());
    windows.add(QStringLiteral("TfrmVetture"), 6100, recordingFactory(vehicles));
    window->runStartup();
    window.reset();
    start();
    auto *button = find<QToolButton>("btnVetture");
    ASSERT_TRUE(button->isEnabled());
    button->click();
    EXPECT_EQ(vehicles.times, 1);
    EXPECT_EQ(windows.helpContext(QStringLiteral("TfrmVetture")), 6100);
}

TEST_F(MainWindowTest, CtrlDShowsAndHidesTheCompanyButton)
{
    start();
    auto *company = find<QPushButton>("Button2");
    QTest::keyClick(window.get(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_FALSE(company->isHidden());
    QTest::keyClick(window.get(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_TRUE(company->isHidden());
}

TEST_F(MainWindowTest, HistorySelectionsCheckTheirPeriod)
{
    OpenedWindow invoices;
    OpenedWindow purchases;
    windows.add(QStringLiteral("TfrmGrigliaFatture"), 2600, recordingFactory(invoices));
    windows.add(QStringLiteral("TfrmGrigliaCarico"), 3100, recordingFactory(purchases));
    start();
    auto *from = find<DateBox>("maskDa");
    auto *to = find<DateBox>("maskA");
    auto *sales = find<QToolButton>("btnStoricoFattureClienti");
    auto *bought = find<QToolButton>("btnStoricoFattureFornitori");

    sales->click();
    EXPECT_EQ(fixture.prompter.shown().last().title, QStringLiteral("Messaggio di avviso!!"));
    EXPECT_EQ(fixture.prompter.lastText(),
              QStringLiteral("Attenzione E' necessario definire la data di inizio..."));

    find<QTabWidget>("pgcBarra")->setCurrentIndex(5);
    from->setFocus();
    QTest::keyClicks(from, QStringLiteral("15122023"));
    QTest::keyClick(from, Qt::Key_Return);
    EXPECT_EQ(to->text(), QStringLiteral("31/12/2023")) << "the end is proposed at the end of the year";
    to->setText(QStringLiteral("15/01/2024"));
    sales->click();
    EXPECT_EQ(
        fixture.prompter.lastText(),
        QStringLiteral(
            "Attenzione E' necessario che la data di inizio e la data di fine abbiano lo stesso anno..."));
    EXPECT_EQ(invoices.times, 0);

    bought->click();
    ASSERT_EQ(purchases.times, 1) << "purchase invoices may span two years";
    EXPECT_TRUE(purchases.historyMode);
    EXPECT_FALSE(fixture.session->historyMode()) << "the history mode ends with the list";
    EXPECT_EQ(
        purchases.parameters.value(QStringLiteral("istruzione")).toString(),
        QStringLiteral(
            "SELECT * FROM fattura WHERE DataRegistrazione >= ? AND DataRegistrazione <= ? AND Carico = "
            "true AND FattNota = false ORDER BY ProgressivoCarico, DataRegistrazione"));
    EXPECT_EQ(purchases.parameters.value(QStringLiteral("parametri")).toList(),
              QVariantList({QStringLiteral("2023-12-15 00:00:00"), QStringLiteral("2024-01-15 23:59:59")}));

    to->setText(QStringLiteral("31/12/2023"));
    sales->click();
    ASSERT_EQ(invoices.times, 1);
    EXPECT_TRUE(invoices.parameters.value(QStringLiteral("storico")).toBool());
}

TEST_F(MainWindowTest, ChoosingAnotherArchiveSwitchesToIt)
{
    start();
    auto other = test::newArchive();
    ASSERT_TRUE(
        other->execute(QStringLiteral("UPDATE ditta SET RagSoc = ?"), {QStringLiteral("Autotrasporti Neri")})
            .ok());
    const storage::ArchiveLocation location = other->location();
    other.reset();
    if (location.engine() == storage::Engine::SQLite) {
        fixture.prompter.answerDialogs({location.filePath()});
        find<QAction>("actArchivioFile")->trigger();
        const auto dialog = std::find_if(
            fixture.prompter.shown().cbegin(), fixture.prompter.shown().cend(),
            [](const auto &shown) { return shown.kind == shell::ScriptedPrompter::Kind::OpenFile; });
        ASSERT_NE(dialog, fixture.prompter.shown().cend());
        EXPECT_EQ(dialog->text, QStringLiteral("Database (archivio.db)"));
    } else {
        fixture.prompter.answerDialogs({location.text()});
        find<QAction>("actArchivioPostgres")->trigger();
    }
    EXPECT_EQ(find<QLabel>("Label1")->text(), QStringLiteral("Rotalina  -  Autotrasporti Neri"));
    EXPECT_EQ(find<QPlainTextEdit>("Memo1")->toPlainText(), location.displayText());
    EXPECT_EQ(core::readTextFile(fixture.path(QStringLiteral("percorso.txt"))).value(),
              location.text() + u'\n');

    // A cancelled choice changes nothing.
    fixture.prompter.clear();
    find<QAction>("actArchivioFile")->trigger();
    EXPECT_EQ(fixture.session->archive()->location().text(), location.text());
}

TEST_F(MainWindowTest, AWrongPasswordEndsTheProgram)
{
    auto archive = test::newArchive();
    ASSERT_TRUE(archive
                    ->execute(QStringLiteral("UPDATE opzioni SET PasswordAmministratore = ?"),
                              {QStringLiteral("l´ufficio")})
                    .ok());
    fixture.useArchive(std::move(archive));
    window = std::make_unique<MainWindow>(*fixture.session, windows);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QSignalSpy quit(window.get(), &MainWindow::quitRequested);

    const auto typeInPasswordWindow = [](const QString &typed) {
        QTimer::singleShot(0, [typed] {
            QWidget *dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->objectName(), QStringLiteral("TfrmPass"));
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Password"));
            auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("Edit1"));
            ASSERT_NE(edit, nullptr);
            EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
            QTest::keyClicks(edit, typed);
            QTest::keyClick(edit, Qt::Key_Return);
        });
    };
    typeInPasswordWindow(QStringLiteral("l'ufficiO"));
    EXPECT_EQ(window->runStartup(), Outcome::WrongPassword);
    EXPECT_EQ(quit.count(), 1);
    EXPECT_TRUE(fixture.prompter.texts().filter(QStringLiteral("Password")).isEmpty());

    typeInPasswordWindow(QStringLiteral("l'ufficio")); // the apostrophe types the stored acute accent
    EXPECT_EQ(window->runStartup(), Outcome::Ready);
    EXPECT_EQ(quit.count(), 1);
}

TEST_F(MainWindowTest, HelpVideosAndTheOldDataCleanUp)
{
    start();
    EXPECT_TRUE(
        fixture.prompter.wasShown(QStringLiteral("File di Help non Trovato\n") +
                                  QDir::toNativeSeparators(fixture.path(QStringLiteral("help/index.html")))));
    find<QToolButton>("btnVideoGriglie")->click();
    ASSERT_FALSE(fixture.desktop.opened.isEmpty());
    EXPECT_EQ(fixture.desktop.opened.last(),
              QUrl(QStringLiteral("https://www.rotalina.it/video/Griglie.mp4")));
    ASSERT_TRUE(
        core::writeTextFile(fixture.path(QStringLiteral("Griglie.mp4")), QStringLiteral("video")).ok());
    find<QToolButton>("btnVideoGriglie")->click();
    EXPECT_EQ(fixture.desktop.opened.last(),
              QUrl::fromLocalFile(fixture.path(QStringLiteral("Griglie.mp4"))));

    ASSERT_TRUE(QDir(fixture.folder.path()).mkpath(QStringLiteral("help")));
    ASSERT_TRUE(
        core::writeTextFile(fixture.path(QStringLiteral("help/100.html")), QStringLiteral("<p>aiuto</p>"))
            .ok());
    find<QPushButton>("btnHelp")->click();
    ASSERT_NE(HelpDispatcher::window(), nullptr) << "the help shows in a window of the program";
    EXPECT_TRUE(HelpDispatcher::window()->isVisible());
    EXPECT_EQ(HelpDispatcher::window()->page(),
              QUrl::fromLocalFile(fixture.path(QStringLiteral("help/100.html"))));
    EXPECT_TRUE(HelpDispatcher::window()->browser()->toPlainText().contains(QStringLiteral("aiuto")));
    HelpDispatcher::window()->findChild<QPushButton *>(QStringLiteral("btnApriBrowser"))->click();
    EXPECT_EQ(fixture.desktop.opened.last(),
              QUrl::fromLocalFile(fixture.path(QStringLiteral("help/100.html"))))
        << "and in the browser when asked";
    HelpDispatcher::window()->close();

    // The hidden clean-up asks first; No leaves the data alone.
    ASSERT_TRUE(fixture.archive()
                    .insert(QStringLiteral("finanzia"), {{QStringLiteral("Data"), QDate(2020, 1, 1)}})
                    .ok());
    find<QPushButton>("Button1")->click();
    EXPECT_EQ(fixture.prompter.shown().last().kind, shell::ScriptedPrompter::Kind::Question);
    EXPECT_EQ(fixture.archive().scalar(QStringLiteral("SELECT COUNT(*) FROM finanzia")).value().toInt(), 1);
    fixture.prompter.answerQuestions({true});
    find<QPushButton>("Button1")->click();
    EXPECT_EQ(fixture.archive().scalar(QStringLiteral("SELECT COUNT(*) FROM finanzia")).value().toInt(), 0);
}

TEST_F(MainWindowTest, AStartUpFailureLeavesTheNetworkChoiceAvailable)
{
    if (test::engineUnderTest() != storage::Engine::SQLite)
        GTEST_SKIP() << "a missing file is a SQLite matter";
    ASSERT_TRUE(core::writeTextFile(fixture.path(QStringLiteral("percorso.txt")),
                                    fixture.path(QStringLiteral("manca/archivio.db")))
                    .ok());
    window = std::make_unique<MainWindow>(*fixture.session, windows);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    EXPECT_EQ(window->runStartup(), Outcome::Failed);
    EXPECT_TRUE(find<QPushButton>("btnLavoraRete")->isEnabled());
    EXPECT_FALSE(find<QToolButton>("btnVideoGriglie")->isHidden());
    auto good = test::newArchive();
    const QString path = good->location().filePath();
    good.reset();
    fixture.prompter.answerDialogs({path});
    find<QAction>("actArchivioFile")->trigger();
    EXPECT_TRUE(window->startupDone());
}

TEST_F(MainWindowTest, PrintButtonsRequestTheirListReports)
{
    fixture.session->setInstallFolder(QStringLiteral("/opt/rotalina"));
    start();
    fixture.prompter.clear();
    const struct
    {
        const char *button;
        const char *layout;
    } prints[] = {{"btnStampeClienti", "Clienti.rpt"},
                  {"btnStampeFornitori", "Fornitori.rpt"},
                  {"btnStampeTariffe", "Tariffe.rpt"},
                  {"btnStampeIndirizzi", "Indirizzi.rpt"},
                  {"btnStampePadroncini", "Padroncini.rpt"},
                  {"BitBtn2", "PesoVolumeRegionale.rpt"},
                  {"btnStampeFattureClienti", "FattureLista.rpt"}};
    for (const auto &p : prints) {
        fixture.desktop.started.clear();
        auto *button = find<QToolButton>(p.button);
        ASSERT_TRUE(button->isEnabled()) << p.button;
        button->click();
        const core::Result<QVariant> layout = fixture.archive().scalar(
            QStringLiteral("SELECT NomeReport FROM TempStampa WHERE NomeComputer = ?"),
            {fixture.session->workstation()});
        ASSERT_TRUE(layout) << layout.error().toStdString();
        EXPECT_EQ(layout->toString(), QStringLiteral("/opt/rotalina/reports/") + QLatin1String(p.layout));
        EXPECT_EQ(fixture.desktop.started, QStringList{QStringLiteral("/opt/rotalina/rotalina-stampa ")})
            << p.button;
    }
    EXPECT_TRUE(fixture.prompter.shown().isEmpty());
    // A print selection window still to come keeps its button disabled.
    EXPECT_FALSE(find<QToolButton>("btnStampeScadenziario")->isEnabled());
}

TEST_F(MainWindowTest, HelpIsFoundBesideTheProgramWhenTheDataLiveElsewhere)
{
    // The program folder holds the archive's path file; the help pages stay with the programs.
    QTemporaryDir installed;
    ASSERT_TRUE(QDir(installed.path()).mkpath(QStringLiteral("help")));
    ASSERT_TRUE(core::writeTextFile(QDir(installed.path()).filePath(QStringLiteral("help/index.html")),
                                    QStringLiteral("<p>indice</p>")));
    fixture.session->setInstallFolder(installed.path());
    start();
    EXPECT_TRUE(fixture.prompter.texts().filter(QStringLiteral("File di Help non Trovato")).isEmpty());
    find<QPushButton>("btnHelp")->click();
    ASSERT_NE(HelpDispatcher::window(), nullptr);
    EXPECT_EQ(HelpDispatcher::window()->page(),
              QUrl::fromLocalFile(QDir(installed.path()).filePath(QStringLiteral("help/index.html"))));
    HelpDispatcher::window()->close();
}

TEST_F(MainWindowTest, ANewArchiveAsksForTheFirmsIdentityAndUtilityOffersItLater)
{
    fixture.useNewArchive();
    window = std::make_unique<MainWindow>(*fixture.session, windows);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    ASSERT_EQ(window->runStartup(), Outcome::Ready);
    QWidget *company = companyWindow();
    ASSERT_NE(company, nullptr) << "the company window opens by itself on a firm without a name";
    EXPECT_TRUE(company->isModal());
    auto *name = company->findChild<QLineEdit *>(QStringLiteral("edtRagSoc"));
    ASSERT_NE(name, nullptr);
    name->setFocus();
    QTest::keyClicks(name, QStringLiteral("Autotrasporti Bianchi Srl"));
    company->findChild<QPushButton *>(QStringLiteral("spdIndietro"))->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(companyWindow(), nullptr);
    EXPECT_EQ(fixture.archive().scalar(QStringLiteral("SELECT RagSoc FROM ditta")).value().toString(),
              QStringLiteral("Autotrasporti Bianchi Srl"));
    EXPECT_TRUE(find<QLabel>("Label1")->text().contains(QStringLiteral("Autotrasporti Bianchi Srl")));

    // Later, "Dati ditta" on the "Utility" page is where a user looks for it.
    auto *button = find<QToolButton>("btnUtilityDatiDitta");
    EXPECT_EQ(button->text(), QStringLiteral("Dati ditta"));
    EXPECT_TRUE(button->isEnabled());

    // A named firm is not asked again.
    window = std::make_unique<MainWindow>(*fixture.session, windows);
    window->show();
    ASSERT_EQ(window->runStartup(), Outcome::Ready);
    EXPECT_EQ(companyWindow(), nullptr);
}

TEST(ModuleIcons, EveryNamedIconExistsInTheInstalledTheme)
{
    useIconThemeFallback();
    if (!QIcon::hasThemeIcon(QStringLiteral("user-identity")))
        GTEST_SKIP() << "no Breeze icons installed (Debian package breeze-icon-theme): the tiles stand in";
    int themed = 0;
    for (const shell::MenuButton &button : shell::mainMenuButtons()) {
        const QString name = moduleIconName(button.target);
        if (name.isEmpty())
            continue;
        EXPECT_TRUE(QIcon::hasThemeIcon(name))
            << button.objectName.toStdString() << ": " << name.toStdString();
        EXPECT_FALSE(moduleIcon(button.target, button.caption, Qt::blue).pixmap(48).isNull());
        ++themed;
    }
    EXPECT_GE(themed, 30);
}

namespace {

TEST_F(MainWindowTest, ATypedServerPasswordGoesToThePasswordFileNotToThePathFile)
{
    auto server = test::newArchive();
    if (server->engine() != storage::Engine::PostgreSQL)
        GTEST_SKIP() << "a PostgreSQL server's address";
    const storage::ArchiveLocation real = server->location();
    server.reset();
    start();
    const QString passwordFile = fixture.path(QStringLiteral("pgpass"));
    const QByteArray before = qgetenv("PGPASSFILE");
    qputenv("PGPASSFILE", passwordFile.toLocal8Bit());
    fixture.prompter.answerDialogs({real.text()});
    fixture.prompter.answerQuestions({true});
    find<QAction>("actArchivioPostgres")->trigger();
    if (before.isEmpty())
        qunsetenv("PGPASSFILE");
    else
        qputenv("PGPASSFILE", before);
    ASSERT_EQ(fixture.session->archive()->location().databaseName(), real.databaseName())
        << fixture.prompter.lastText().toStdString();
    const QString pathFile = core::readTextFile(fixture.path(QStringLiteral("percorso.txt"))).value();
    EXPECT_FALSE(pathFile.contains(real.password())) << pathFile.toStdString();
    const QString stored = core::readTextFile(passwordFile).value();
    EXPECT_TRUE(stored.endsWith(QStringLiteral(":%1:%2\n").arg(real.user(), real.password())))
        << stored.toStdString();
    EXPECT_FALSE(find<QPlainTextEdit>("Memo1")->toPlainText().contains(real.password()));
}

} // namespace
