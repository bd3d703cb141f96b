#pragma once

#include "core/result.h"
#include "storage/archivelocation.h"

#include <QString>

namespace rotalina::storage {

// The path file beside the program names the archive: one line, a SQLite file path or a
// postgresql:// address.
struct ArchiveChoice
{
    ArchiveLocation location;
    // The program's own archive in its folder: the only one created when it does not exist.
    bool isDefaultArchive = false;
    // The path file's content, as shown in the main window.
    QString pathFileText;
};

QString pathFileName();       // "percorso.txt"
QString defaultArchiveName(); // "archivio.db"

// Reads the path file in the program folder. A missing file, or one holding only blanks, makes
// the program folder's archivio.db the archive and is (re)written with that path.
core::Result<ArchiveChoice> locateArchive(const QString &programFolder);

// Writes the chosen archive into the path file, so that the choice holds for later runs.
core::Status writeArchivePath(const QString &programFolder, const ArchiveLocation &location);

} // namespace rotalina::storage
