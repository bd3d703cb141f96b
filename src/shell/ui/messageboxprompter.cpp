#include "shell/ui/messageboxprompter.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>

namespace rotalina::shell::ui {

namespace {
QWidget *owner()
{
    return QApplication::activeWindow();
}
} // namespace

void MessageBoxPrompter::message(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, owner());
    box.exec();
}

bool MessageBoxPrompter::ask(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, owner());
    QPushButton *yes = box.addButton(QStringLiteral("Sì"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("No"), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

void MessageBoxPrompter::information(const QString &text)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Rotalina"), text, QMessageBox::Ok, owner());
    box.exec();
}

QString MessageBoxPrompter::openFile(const QString &title, const QString &folder, const QString &filter)
{
    return QFileDialog::getOpenFileName(owner(), title, folder, filter);
}

QStringList MessageBoxPrompter::openFiles(const QString &title, const QString &folder, const QString &filter)
{
    return QFileDialog::getOpenFileNames(owner(), title, folder, filter);
}

QStringList MessageBoxPrompter::openFilesOrFolder(const QString &title, const QString &folder,
                                                  const QString &filter, const QString &folderButton)
{
    // Qt's own dialog, which can carry one more button: the desktop's cannot.
    QFileDialog dialog(owner(), title, folder, filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    QStringList chosen;
    if (auto *buttons = dialog.findChild<QDialogButtonBox *>()) {
        QPushButton *wholeFolder = buttons->addButton(folderButton, QDialogButtonBox::ActionRole);
        QObject::connect(wholeFolder, &QPushButton::clicked, &dialog, [&dialog, &chosen] {
            chosen = {dialog.directory().absolutePath()};
            static_cast<QDialog &>(dialog).done(QDialog::Accepted);
        });
    }
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return chosen.isEmpty() ? dialog.selectedFiles() : chosen;
}

QString MessageBoxPrompter::saveFile(const QString &title, const QString &path, const QString &filter)
{
    QString chosenFilter;
    const QString chosen = QFileDialog::getSaveFileName(owner(), title, path, filter, &chosenFilter);
    return withFilterSuffix(chosen, chosenFilter);
}

QString MessageBoxPrompter::chooseFolder(const QString &title, const QString &folder)
{
    return QFileDialog::getExistingDirectory(owner(), title, folder);
}

QString MessageBoxPrompter::askText(const QString &title, const QString &label, const QString &initial)
{
    bool ok = false;
    const QString text = QInputDialog::getText(owner(), title, label, QLineEdit::Normal, initial, &ok);
    return ok ? text : QString();
}

QString MessageBoxPrompter::askSecret(const QString &title, const QString &label)
{
    bool ok = false;
    const QString text = QInputDialog::getText(owner(), title, label, QLineEdit::Password, QString(), &ok);
    return ok ? text : QString();
}

bool SystemDesktop::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

bool SystemDesktop::startProgram(const QString &program, const QStringList &arguments)
{
    return QProcess::startDetached(program, arguments);
}

ProgramRun SystemDesktop::runProgram(const QString &program, const QStringList &arguments)
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const ProgramRun run = runAndWait(program, arguments);
    QGuiApplication::restoreOverrideCursor();
    return run;
}

} // namespace rotalina::shell::ui
