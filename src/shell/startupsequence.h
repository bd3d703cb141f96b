#pragma once

#include "core/result.h"
#include "shell/duedatereminder.h"
#include "storage/archivelocation.h"

#include <QString>

namespace rotalina::shell {

class Session;

// What the start-up shows and asks through the main window.
class StartupUi
{
public:
    virtual ~StartupUi() = default;
    // The path file's content, shown in the main window.
    virtual void showArchivePath(const QString &text) = 0;
    // The company name for the header (empty when none is recorded).
    virtual void showCompanyName(const QString &name) = 0;
    // The administrator's password as typed in the password window.
    virtual QString askPassword() = 0;
    virtual void showStartTab(int index) = 0;
    virtual void showReminder(const QList<ReminderList> &lists) = 0;
};

// The start-up of the program once its main window is up: find and open the archive, run the
// update script, clear this workstation's scratch rows, move closed years to history, check the
// administrator's password, open the start tab and remind the due dates.
class StartupSequence
{
public:
    enum class Outcome {
        Ready,        // the program is ready for work
        Failed,       // a message said why; the user may choose another archive
        WrongPassword // the program must end, without a message
    };

    StartupSequence(Session &session, StartupUi &ui);

    // The whole sequence on the archive named by the path file.
    Outcome run();
    // The sequence on an archive the user chose (the network-archive choice); the path file is
    // rewritten only when the archive opens.
    Outcome runOn(const storage::ArchiveLocation &location);

private:
    Outcome openAndPrepare(const storage::ArchiveLocation &location, bool createIfMissing);
    Outcome fail(const QString &message);

    Session &m_session;
    StartupUi &m_ui;
};

// Re-binds this workstation to the archive: empties its label rows and makes sure it has its
// notice row.
core::Status rebindWorkstation(storage::Archive &archive, const QString &workstation);

// Empties this workstation's rows of the given scratch tables.
core::Status clearScratchRows(storage::Archive &archive, const QString &workstation,
                              const QStringList &tables);

} // namespace rotalina::shell
