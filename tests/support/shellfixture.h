#pragma once

#include "shell/desktop.h"
#include "shell/gridlayouts.h"
#include "shell/scriptedprompter.h"
#include "shell/session.h"
#include "shell/startupsequence.h"
#include "support/testarchive.h"

#include <QList>
#include <QTemporaryDir>
#include <QUrl>
#include <memory>

namespace rotalina::shell {
// Readable grid columns in test messages.
inline void PrintTo(const GridColumn &column, std::ostream *out)
{
    *out << column.field.toStdString() << " \"" << column.title.toStdString() << "\" " << column.width;
}
} // namespace rotalina::shell

namespace rotalina::test {

// The desktop of the tests: remembers what the program asked it to open or start.
class RecordingDesktop : public shell::Desktop
{
public:
    bool openUrl(const QUrl &url) override
    {
        opened.append(url);
        return true;
    }
    bool startProgram(const QString &program, const QStringList &arguments) override
    {
        started.append(program + u' ' + arguments.join(u' '));
        return true;
    }
    // Runs the program for real when asked to (the print program of the report tests).
    shell::ProgramRun runProgram(const QString &program, const QStringList &arguments) override
    {
        waitedFor.append(program + u' ' + arguments.join(u' '));
        if (runForReal)
            return shell::runAndWait(program, arguments);
        return runResult;
    }
    QList<QUrl> opened;
    QStringList started;
    QStringList waitedFor;
    bool runForReal = false;
    shell::ProgramRun runResult{true, 0, {}}; // what a program that is not really run gives
};

// What the start-up showed, for tests that run it without the main window.
class RecordingStartupUi : public shell::StartupUi
{
public:
    void showArchivePath(const QString &text) override { archivePath = text; }
    void showCompanyName(const QString &name) override { companyName = name; }
    QString askPassword() override
    {
        ++passwordAsked;
        return typedPassword;
    }
    void showStartTab(int index) override { startTab = index; }
    void showReminder(const QList<shell::ReminderList> &lists) override { reminders.append(lists); }

    QString archivePath;
    QString companyName;
    QString typedPassword;
    int passwordAsked = 0;
    int startTab = -1;
    QList<QList<shell::ReminderList>> reminders;
};

// A program folder of its own, with a session on it as the running program has.
struct ShellFixture
{
    explicit ShellFixture(const QString &workstation = QStringLiteral("UFFICIO"));

    // Points the program's path file at the archive (so that start-up finds it) and closes it.
    void useArchive(std::unique_ptr<storage::Archive> archive);
    // Points the path file at a new, empty archive of the engine under test; SQLite uses the
    // program folder's own archivio.db, which start-up creates.
    void useNewArchive();
    // The archive start-up opened.
    storage::Archive &archive() const { return *session->archive(); }
    QString path(const QString &name) const;

    QTemporaryDir folder;
    shell::ScriptedPrompter prompter;
    RecordingDesktop desktop;
    std::unique_ptr<shell::Session> session;
};

} // namespace rotalina::test
