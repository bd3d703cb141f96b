#pragma once

#include "shell/desktop.h"
#include "shell/prompter.h"

#include <QPointer>
#include <QWidget>

namespace rotalina::shell::ui {

// The prompter of the running program: message boxes with Italian buttons and file dialogs,
// over the window that is active when they appear.
class MessageBoxPrompter : public Prompter
{
public:
    void message(const QString &title, const QString &text) override;
    bool ask(const QString &title, const QString &text) override;
    void information(const QString &text) override;
    QString openFile(const QString &title, const QString &folder, const QString &filter) override;
    QStringList openFiles(const QString &title, const QString &folder, const QString &filter) override;
    QStringList openFilesOrFolder(const QString &title, const QString &folder, const QString &filter,
                                  const QString &folderButton) override;
    QString saveFile(const QString &title, const QString &path, const QString &filter) override;
    QString chooseFolder(const QString &title, const QString &folder) override;
    QString askText(const QString &title, const QString &label, const QString &initial = {}) override;
    QString askSecret(const QString &title, const QString &label) override;
};

// The desktop of the running program.
class SystemDesktop : public Desktop
{
public:
    bool openUrl(const QUrl &url) override;
    bool startProgram(const QString &program, const QStringList &arguments) override;
    // Waits with the busy cursor: the caller needs what the program writes.
    ProgramRun runProgram(const QString &program, const QStringList &arguments) override;
};

} // namespace rotalina::shell::ui
