#pragma once

#include "shell/startupsequence.h"

#include <QHash>
#include <QMainWindow>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace rotalina::shell {
struct MenuButton;
}

namespace rotalina::shell::ui {

class DateBox;
class WindowRegistry;

// The main window: the company's name in the header, one page per area with a large button per
// module, "Esci", "Lavora in Rete", "Aiuto", and the archive path. Its first showing runs the
// start-up of the program.
class MainWindow : public QMainWindow, public StartupUi
{
    Q_OBJECT

public:
    MainWindow(Session &session, const WindowRegistry &windows, QWidget *parent = nullptr);

    // Runs the start-up sequence (once it succeeded, later calls do nothing).
    StartupSequence::Outcome runStartup();
    bool startupDone() const { return m_startupDone; }

    // The network-archive choice: an archivio.db file, or the address of a PostgreSQL archive.
    void chooseArchiveFile();
    void chooseArchiveAddress();

    // Enables the buttons whose windows exist.
    void refreshButtons();

    // StartupUi
    void showArchivePath(const QString &text) override;
    void showCompanyName(const QString &name) override;
    QString askPassword() override;
    void showStartTab(int index) override;
    void showReminder(const QList<ReminderList> &lists) override;

signals:
    // The program must end (a wrong administrator password).
    void quitRequested();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *buildHeader();
    QWidget *buildPage(const QString &tab);
    QWidget *buildHistoryDates();
    QWidget *buildBottom();
    QToolButton *buildButton(const MenuButton &button, QWidget *parent);
    void press(const MenuButton &button);
    void runHistory(const MenuButton &button);
    void deleteOldData();
    void switchArchive(const QString &text);
    // The company window; on the first start of an archive without the firm's name it opens by
    // itself, so that the firm enters its identity before its first document.
    void openCompanyWindow();
    void askCompanyIdentity();
    void rereadCompanyName();

    Session &m_session;
    const WindowRegistry &m_windows;
    QLabel *m_header = nullptr;
    QTabWidget *m_pages = nullptr;
    QPlainTextEdit *m_path = nullptr;
    DateBox *m_historyFrom = nullptr;
    DateBox *m_historyTo = nullptr;
    QPushButton *m_loadCompany = nullptr;
    QHash<QString, QToolButton *> m_buttons;
    bool m_startupDone = false;
    bool m_startupTried = false;
    bool m_companyNamed = true;
};

} // namespace rotalina::shell::ui
