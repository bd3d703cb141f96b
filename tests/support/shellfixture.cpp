#include "support/shellfixture.h"

#include "storage/archivepathfile.h"

#include <QDir>

namespace rotalina::test {

ShellFixture::ShellFixture(const QString &workstation)
    : session(std::make_unique<shell::Session>(prompter, desktop, folder.path() + u'/', workstation))
{
    // The fixture's folder stands for both: the program's files and the installed ones (help).
    session->setInstallFolder(folder.path());
}

void ShellFixture::useArchive(std::unique_ptr<storage::Archive> archive)
{
    const storage::ArchiveLocation location = archive->location();
    archive.reset();
    if (!storage::writeArchivePath(folder.path(), location))
        throw std::runtime_error("cannot write the path file");
}

void ShellFixture::useNewArchive()
{
    if (engineUnderTest() == storage::Engine::PostgreSQL) {
        if (!storage::writeArchivePath(folder.path(), freshLocation()))
            throw std::runtime_error("cannot write the path file");
    }
}

QString ShellFixture::path(const QString &name) const
{
    return QDir(folder.path()).filePath(name);
}

} // namespace rotalina::test
