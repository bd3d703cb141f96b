#include "shell/session.h"

#include <QCoreApplication>
#include <QDir>

namespace rotalina::shell {

Session::Session(Prompter &prompter, Desktop &desktop, QString programFolder, QString workstation,
                 QObject *parent)
    : QObject(parent), m_prompter(prompter), m_desktop(desktop), m_programFolder(std::move(programFolder)),
      m_workstation(std::move(workstation))
{}

Session::~Session() = default;

QString Session::installFolder() const
{
    QString folder =
        QDir(m_installFolder.isEmpty() ? QCoreApplication::applicationDirPath() : m_installFolder)
            .absolutePath();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

void Session::setArchive(std::unique_ptr<storage::Archive> archive)
{
    m_archive = std::move(archive);
    emit archiveChanged();
}

} // namespace rotalina::shell
