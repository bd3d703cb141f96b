#include "storage/archivepathfile.h"

#include "core/textfile.h"

#include <QDir>
#include <QFileInfo>

namespace rotalina::storage {

QString pathFileName()
{
    return QStringLiteral("percorso.txt");
}
QString defaultArchiveName()
{
    return QStringLiteral("archivio.db");
}

core::Result<ArchiveChoice> locateArchive(const QString &programFolder)
{
    using R = core::Result<ArchiveChoice>;
    const QString pathFile = QDir(programFolder).filePath(pathFileName());
    const QString defaultPath = QDir::cleanPath(QDir(programFolder).absoluteFilePath(defaultArchiveName()));
    QString named;
    if (QFileInfo::exists(pathFile)) {
        const core::Result<QString> text = core::readTextFile(pathFile);
        if (!text)
            return R::failure(text.error());
        named = text->trimmed();
    }
    ArchiveChoice choice;
    if (named.isEmpty()) {
        choice.location = ArchiveLocation::sqliteFile(defaultPath);
        if (core::Status written = writeArchivePath(programFolder, choice.location); !written)
            return R::failure(written.error());
    } else {
        const core::Result<ArchiveLocation> parsed = ArchiveLocation::parse(named);
        if (!parsed)
            return R::failure(parsed.error());
        choice.location = *parsed;
    }
    choice.isDefaultArchive = named.isEmpty();
    choice.pathFileText = choice.location.text();
    return choice;
}

core::Status writeArchivePath(const QString &programFolder, const ArchiveLocation &location)
{
    return core::writeTextFile(QDir(programFolder).filePath(pathFileName()), location.text() + u'\n');
}

} // namespace rotalina::storage
