#pragma once

#include <QString>

namespace rotalina::shell {

// Every message, question and file dialog of the program goes through a prompter, so that
// windows and logic can be driven by tests without real dialogs.
class Prompter
{
public:
    virtual ~Prompter() = default;

    // An OK-only message with its title ("Messaggio di errore", "Messaggio di avviso!!", ...).
    virtual void message(const QString &title, const QString &text) = 0;
    // A Yes/No question; true only when the user answered Yes.
    virtual bool ask(const QString &title, const QString &text) = 0;
    // An information message with the program's name as title.
    virtual void information(const QString &text) = 0;
    // A file to open; empty when the user cancelled. The filter reads "Descrizione (*.ext)".
    virtual QString openFile(const QString &title, const QString &folder, const QString &filter) = 0;
    // Several files to open; empty when the user cancelled.
    virtual QStringList openFiles(const QString &title, const QString &folder, const QString &filter) = 0;
    // Several files, or a whole folder (the dialog's folderButton takes the folder it shows); empty
    // when the user cancelled. Without a dialog of its own it asks for files.
    virtual QStringList openFilesOrFolder(const QString &title, const QString &folder, const QString &filter,
                                          const QString &folderButton)
    {
        Q_UNUSED(folderButton);
        return openFiles(title, folder, filter);
    }
    // A file to write; empty when the user cancelled.
    virtual QString saveFile(const QString &title, const QString &path, const QString &filter) = 0;
    // A folder; empty when the user cancelled.
    virtual QString chooseFolder(const QString &title, const QString &folder) = 0;
    // A line of text; empty when the user cancelled.
    virtual QString askText(const QString &title, const QString &label, const QString &initial = {}) = 0;
    // A secret (a password), not shown while typed; empty when the user cancelled.
    virtual QString askSecret(const QString &title, const QString &label) { return askText(title, label); }
};

// The file name chosen in a save dialog with the extension of the chosen filter ("PDF (*.pdf)")
// added when the user typed none of the filter's extensions: "privacy" saved as PDF is "privacy.pdf".
QString withFilterSuffix(const QString &path, const QString &chosenFilter);

// The titles the program's messages use.
namespace titles {
inline QString error()
{
    return QStringLiteral("Messaggio di errore");
}
inline QString warning()
{
    return QStringLiteral("Messaggio di avviso");
}
inline QString missingInput()
{
    return QStringLiteral("Messaggio di avviso!!");
}
inline QString mail()
{
    return QStringLiteral("Messaggio di Avviso");
}
inline QString secondCopy()
{
    return QStringLiteral("Messaggio di Avviso !");
}
} // namespace titles

} // namespace rotalina::shell
