#pragma once

#include "core/result.h"

#include <QString>
#include <QStringList>

namespace rotalina::storage {
class Archive;
class ArchiveLocation;
} // namespace rotalina::storage

namespace rotalina::shell {

// The one-shot update script an installer may leave beside the archive.
QString schemaUpdateFileName(); // "SQLAggio.sql"

// Where the script is looked for: the archive's folder, or the program folder for an archive on a
// PostgreSQL server.
QString schemaUpdateFolder(const storage::ArchiveLocation &location, const QString &programFolder);

// The script's statements: the text is cut at every ";" (as if it ended with one), pieces are not
// trimmed and the ";" belongs to no piece.
QStringList splitSchemaUpdate(const QString &script);

// Runs the script when it exists: every statement in order, all in one transaction, then deletes
// the file. Blank pieces (a line break after the last ";") are not statements and are skipped.
// When a statement fails nothing of the script stays applied and the file is kept. The result
// says whether a script was run.
core::Result<bool> applySchemaUpdate(storage::Archive &archive, const QString &folder);

} // namespace rotalina::shell
