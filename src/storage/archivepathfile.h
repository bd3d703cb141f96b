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
    // The first start: no path file named an archive, so the program's own archivio.db in its
    // folder is the archive and is created when it does not exist. An archive the path file
    // names (even that same file, moved away since) is never created: it is reported missing.
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
