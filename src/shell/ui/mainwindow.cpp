#include "shell/ui/mainwindow.h"

#include "shell/desktop.h"
#include "shell/historyselection.h"
#include "shell/mainmenu.h"
#include "shell/olddata.h"
#include "shell/prompter.h"
#include "shell/session.h"
#include "shell/ui/datebox.h"
#include "shell/ui/entrynavigation.h"
#include "shell/ui/gridlayoutmenu.h"
#include "shell/ui/moduleicon.h"
#include "shell/ui/passworddialog.h"
#include "shell/ui/reminderwindow.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace rotalina::shell::ui {

namespace {
constexpr int buttonsPerRow = 6;
constexpr int mainWindowHelp = 100;
} // namespace

MainWindow::MainWindow(Session &session, const WindowRegistry &windows, QWidget *parent)
    : QMainWindow(parent), m_session(session), m_windows(windows)
{
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Rotalina"));
    WindowRegistry::setHelpContext(this, mainWindowHelp);

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 8);
    layout->addWidget(buildHeader());

    m_pages = new QTabWidget(central);
    m_pages->setObjectName(QStringLiteral("pgcBarra"));
    m_pages->setDocumentMode(true);
    for (const QString &tab : mainMenuTabs())
        m_pages->addTab(buildPage(tab), tab);
    auto *body = new QVBoxLayout;
    body->setContentsMargins(10, 4, 10, 0);
    body->addWidget(m_pages, 1);
    body->addWidget(buildBottom());
    layout->addLayout(body, 1);
    setCentralWidget(central);

    auto *company = new QAction(QStringLiteral("Ditta"), this);
    company->setObjectName(QStringLiteral("DittaX"));
    company->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    connect(company, &QAction::triggered, this,
            [this] { m_loadCompany->setVisible(!m_loadCompany->isVisible()); });
    addAction(company);

    refreshButtons();
    resize(1060, 680);
}

QWidget *MainWindow::buildHeader()
{
    m_header = new QLabel(QStringLiteral("Rotalina"), this);
    m_header->setObjectName(QStringLiteral("Label1"));
    m_header->setMinimumHeight(58);
    m_header->setIndent(18);
    m_header->setStyleSheet(QStringLiteral(
        "QLabel#Label1 { color: white; font-size: 20px; font-weight: bold;"
        " background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #14507e, stop:1 #2b7bbf); }"));
    return m_header;
}

QToolButton *MainWindow::buildButton(const MenuButton &button, QWidget *parent)
{
    auto *tool = new QToolButton(parent);
    tool->setObjectName(button.objectName);
    tool->setText(button.caption);
    tool->setToolTip(button.caption);
    tool->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tool->setIcon(moduleIcon(button.target, button.caption,
                             pageColour(static_cast<int>(mainMenuTabs().indexOf(button.tab)))));
    tool->setIconSize(QSize(44, 44));
    tool->setFixedSize(156, 92);
    tool->setAutoRaise(true);
    const MenuButton copy = button;
    connect(tool, &QToolButton::clicked, this, [this, copy] { press(copy); });
    m_buttons.insert(button.objectName, tool);
    return tool;
}

QWidget *MainWindow::buildPage(const QString &tab)
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    if (tab == mainMenuTabs().at(5))
        layout->addWidget(buildHistoryDates());

    QString currentGroup;
    QGridLayout *grid = nullptr;
    QWidget *holder = nullptr;
    int index = 0;
    for (const MenuButton &button : mainMenuButtons()) {
        if (button.tab != tab)
            continue;
        if (!grid || button.group != currentGroup) {
            currentGroup = button.group;
            if (currentGroup.isEmpty()) {
                holder = new QWidget(page);
            } else {
                auto *box = new QGroupBox(currentGroup, page);
                holder = box;
            }
            grid = new QGridLayout(holder);
            grid->setSpacing(4);
            grid->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            layout->addWidget(holder);
            index = 0;
        }
        grid->addWidget(buildButton(button, holder), index / buttonsPerRow, index % buttonsPerRow);
        ++index;
    }
    layout->addStretch(1);

    auto *scroll = new QScrollArea;
    scroll->setWidget(page);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    return scroll;
}

QWidget *MainWindow::buildHistoryDates()
{
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_historyFrom = new DateBox(row);
    m_historyFrom->setObjectName(QStringLiteral("maskDa"));
    m_historyTo = new DateBox(row);
    m_historyTo->setObjectName(QStringLiteral("maskA"));
    auto *from = new QLabel(QStringLiteral("Dalla data"), row);
    from->setBuddy(m_historyFrom);
    auto *to = new QLabel(QStringLiteral("Alla data"), row);
    to->setBuddy(m_historyTo);
    layout->addWidget(from);
    layout->addWidget(m_historyFrom);
    layout->addSpacing(16);
    layout->addWidget(to);
    layout->addWidget(m_historyTo);
    layout->addStretch(1);
    connect(m_historyFrom, &QLineEdit::editingFinished, this, [this] {
        if (m_historyTo->isBlank())
            m_historyTo->setText(proposedHistoryEnd(m_historyFrom->text()));
    });
    return row;
}

QWidget *MainWindow::buildBottom()
{
    auto *bottom = new QWidget;
    auto *layout = new QHBoxLayout(bottom);
    layout->setContentsMargins(0, 6, 0, 0);

    m_path = new QPlainTextEdit(bottom);
    m_path->setObjectName(QStringLiteral("Memo1"));
    m_path->setToolTip(QStringLiteral("Percorso di rete"));
    m_path->setReadOnly(true);
    m_path->setMaximumHeight(m_path->fontMetrics().height() * 2 + 14);
    m_path->setFocusPolicy(Qt::StrongFocus);
    EntryNavigation::navigateLikeALine(m_path);
    layout->addWidget(m_path, 1);

    m_loadCompany = new QPushButton(QStringLiteral("Carica ditta"), bottom);
    m_loadCompany->setObjectName(QStringLiteral("Button2"));
    m_loadCompany->setVisible(false);
    connect(m_loadCompany, &QPushButton::clicked, this, &MainWindow::openCompanyWindow);
    layout->addWidget(m_loadCompany);

    auto *rebind = new QPushButton(QStringLiteral("Connessione"), bottom);
    rebind->setObjectName(QStringLiteral("cmdConnessione"));
    rebind->setVisible(false);
    connect(rebind, &QPushButton::clicked, this, [this] {
        if (m_session.archive()) {
            if (core::Status done = rebindWorkstation(*m_session.archive(), m_session.workstation()); !done)
                m_session.prompter().message(titles::error(), done.error());
        }
    });
    layout->addWidget(rebind);

    auto *purge = new QPushButton(QStringLiteral("Elimina dati vecchi"), bottom);
    purge->setObjectName(QStringLiteral("Button1"));
    purge->setVisible(false);
    connect(purge, &QPushButton::clicked, this, &MainWindow::deleteOldData);
    layout->addWidget(purge);

    auto *network = new QPushButton(style()->standardIcon(QStyle::SP_DriveNetIcon),
                                    QStringLiteral("Lavora in Rete"), bottom);
    network->setObjectName(QStringLiteral("btnLavoraRete"));
    auto *choices = new QMenu(network);
    QAction *file = choices->addAction(QStringLiteral("Archivio su file (archivio.db)..."));
    file->setObjectName(QStringLiteral("actArchivioFile"));
    connect(file, &QAction::triggered, this, &MainWindow::chooseArchiveFile);
    QAction *server = choices->addAction(QStringLiteral("Archivio PostgreSQL in rete..."));
    server->setObjectName(QStringLiteral("actArchivioPostgres"));
    connect(server, &QAction::triggered, this, &MainWindow::chooseArchiveAddress);
    network->setMenu(choices);
    layout->addWidget(network);

    auto *help =
        new QPushButton(style()->standardIcon(QStyle::SP_DialogHelpButton), QStringLiteral("Aiuto"), bottom);
    help->setObjectName(QStringLiteral("btnHelp"));
    connect(help, &QPushButton::clicked, this, [help] { requestHelp(help); });
    layout->addWidget(help);

    auto *quit =
        new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("Esci"), bottom);
    quit->setObjectName(QStringLiteral("btnEsci"));
    connect(quit, &QPushButton::clicked, this, &QWidget::close);
    layout->addWidget(quit);
    return bottom;
}

void MainWindow::refreshButtons()
{
    for (const MenuButton &button : mainMenuButtons()) {
        QToolButton *tool = m_buttons.value(button.objectName);
        // Windows live in the archive: without one only what needs no archive is offered. A
        // companion program is offered when it is installed beside this one.
        bool available = false;
        if (button.kind == MenuButton::Kind::Video)
            available = true;
        else if (button.kind == MenuButton::Kind::Companion)
            available =
                QFileInfo(QDir(m_session.installFolder()).absoluteFilePath(button.target)).isExecutable();
        else
            available = m_windows.has(button.target) &&
                        (m_session.archive() || button.target == u"TfrmRealizzazione");
        tool->setEnabled(available);
        const QString tip = button.hint.isEmpty() ? button.caption : button.hint;
        tool->setToolTip(available ? tip
                                   : tip + QStringLiteral(" - non ancora disponibile in questa versione"));
    }
}

StartupSequence::Outcome MainWindow::runStartup()
{
    if (m_startupDone)
        return StartupSequence::Outcome::Ready;
    if (!m_startupTried && !QFileInfo::exists(helpIndexPath(m_session.installFolder())))
        m_session.prompter().information(missingHelpMessage(m_session.installFolder()));
    m_startupTried = true;
    StartupSequence sequence(m_session, *this);
    const StartupSequence::Outcome outcome = sequence.run();
    m_startupDone = outcome == StartupSequence::Outcome::Ready;
    if (m_startupDone)
        grid_layouts::applyToAll(m_session);
    refreshButtons();
    if (m_startupDone)
        askCompanyIdentity();
    if (outcome == StartupSequence::Outcome::WrongPassword)
        emit quitRequested();
    return outcome;
}

void MainWindow::chooseArchiveFile()
{
    QString folder = m_session.archive() ? m_session.archive()->location().folder() : QString();
    if (folder.isEmpty())
        folder = m_session.programFolder();
    const QString path = m_session.prompter().openFile(QStringLiteral("Lavora in Rete"), folder,
                                                       QStringLiteral("Database (archivio.db)"));
    if (!path.isEmpty())
        switchArchive(path);
}

void MainWindow::chooseArchiveAddress()
{
    const QString address = m_session.prompter().askText(
        QStringLiteral("Lavora in Rete"),
        QStringLiteral("Indirizzo dell'archivio PostgreSQL\n(postgresql://utente@server:porta/"
                       "archivio?sslmode=verify-full&sslrootcert=...):"));
    if (address.trimmed().isEmpty())
        return;
    const core::Result<storage::ArchiveLocation> location = storage::ArchiveLocation::parse(address);
    // A password typed in the address is better kept in the user's password file, readable by the
    // user alone, than in percorso.txt.
    if (location && location->engine() == storage::Engine::PostgreSQL && !location->password().isEmpty() &&
        m_session.prompter().ask(
            QStringLiteral("Lavora in Rete"),
            QStringLiteral("Vuoi conservare la password nel file delle password dell'utente "
                           "(leggibile solo dall'utente) invece che in percorso.txt ?"))) {
        const core::Result<QString> stored = storage::storeInPasswordFile(*location);
        if (!stored) {
            m_session.prompter().message(titles::error(), stored.error());
            return;
        }
        switchArchive(location->withoutPassword().text());
        return;
    }
    switchArchive(address);
}

void MainWindow::switchArchive(const QString &text)
{
    const core::Result<storage::ArchiveLocation> location = storage::ArchiveLocation::parse(text);
    if (!location) {
        m_session.prompter().message(titles::error(), location.error());
        return;
    }
    StartupSequence sequence(m_session, *this);
    const StartupSequence::Outcome outcome = sequence.runOn(*location);
    if (outcome == StartupSequence::Outcome::Ready)
        m_startupDone = true;
    refreshButtons();
    if (outcome == StartupSequence::Outcome::Ready)
        askCompanyIdentity();
    if (outcome == StartupSequence::Outcome::WrongPassword)
        emit quitRequested();
}

void MainWindow::press(const MenuButton &button)
{
    switch (button.kind) {
    case MenuButton::Kind::Window:
        if (button.target == u"TfrmDitta")
            openCompanyWindow();
        else
            m_windows.open(button.target, m_session, this);
        break;
    case MenuButton::Kind::History:
        runHistory(button);
        break;
    case MenuButton::Kind::DueDates:
        m_windows.open(button.target, m_session, this,
                       {{QStringLiteral("condizione"), button.condition},
                        {QStringLiteral("titolo"), button.listCaption},
                        {QStringLiteral("colonna"), button.partyColumn}});
        break;
    case MenuButton::Kind::Video:
        m_session.desktop().openUrl(tutorialVideo(m_session.installFolder(), button.target));
        break;
    case MenuButton::Kind::Companion: {
        // A companion program that is not installed is simply not started.
        const QString program = QDir(m_session.installFolder()).absoluteFilePath(button.target);
        if (QFileInfo(program).isExecutable())
            m_session.desktop().startProgram(program, button.arguments);
        break;
    }
    }
}

void MainWindow::runHistory(const MenuButton &button)
{
    const core::Result<HistoryPeriod> period =
        historyPeriod(m_historyFrom->text(), m_historyTo->text(),
                      button.sameYear ? YearRule::SameYear : YearRule::AnyYears);
    if (!period) {
        m_session.prompter().message(titles::missingInput(), period.error());
        return;
    }
    const QString where = period->whereClause(button.dateField);
    m_session.setHistoryMode(true);
    m_windows.open(button.target, m_session, this,
                   {{QStringLiteral("istruzione"), button.statement.arg(where)},
                    {QStringLiteral("condizione"), where},
                    {QStringLiteral("parametri"), period->parameters()},
                    {QStringLiteral("storico"), true}});
    m_session.setHistoryMode(false);
}

void MainWindow::deleteOldData()
{
    if (!m_session.archive() || !m_session.prompter().ask(titles::warning(), oldDataQuestion()))
        return;
    if (core::Status done = shell::deleteOldData(*m_session.archive(), m_session.workstation()); !done)
        m_session.prompter().message(titles::error(), done.error());
    else
        m_session.prompter().information(QStringLiteral("Eliminazione dei dati vecchi completata."));
}

void MainWindow::showArchivePath(const QString &text)
{
    // The address of a PostgreSQL archive is shown without its password.
    const core::Result<storage::ArchiveLocation> location = storage::ArchiveLocation::parse(text);
    m_path->setPlainText(location ? location->displayText() : text);
}

void MainWindow::openCompanyWindow()
{
    if (m_windows.open(QStringLiteral("TfrmDitta"), m_session, this))
        rereadCompanyName();
}

void MainWindow::rereadCompanyName()
{
    // The header follows a change of the company's name.
    if (!m_session.archive())
        return;
    const core::Result<QVariant> name =
        m_session.archive()->scalar(QStringLiteral("SELECT RagSoc FROM ditta"));
    if (name)
        showCompanyName(name->toString());
}

void MainWindow::askCompanyIdentity()
{
    if (m_companyNamed || !m_session.archive())
        return;
    if (QDialog *company = m_windows.show(QStringLiteral("TfrmDitta"), m_session, this))
        connect(company, &QDialog::finished, this, &MainWindow::rereadCompanyName);
}

void MainWindow::showCompanyName(const QString &name)
{
    m_companyNamed = !name.trimmed().isEmpty();
    m_header->setText(name.trimmed().isEmpty() ? QStringLiteral("Rotalina")
                                               : QStringLiteral("Rotalina  -  ") + name.trimmed());
}

QString MainWindow::askPassword()
{
    PasswordDialog dialog(this);
    dialog.exec();
    return dialog.password();
}

void MainWindow::showStartTab(int index)
{
    if (index >= 0 && index < m_pages->count())
        m_pages->setCurrentIndex(index);
}

void MainWindow::showReminder(const QList<ReminderList> &lists)
{
    raise();
    activateWindow();
    ReminderWindow reminder(m_session, m_windows, lists, this);
    reminder.exec();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Closing the main window ends the program and its archive connection.
    m_session.setArchive(nullptr);
    event->accept();
}

} // namespace rotalina::shell::ui
