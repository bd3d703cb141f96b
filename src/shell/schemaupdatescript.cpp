#include "shell/schemaupdatescript.h"

#include "core/textfile.h"
#include "storage/archive.h"

#include <QDir>
#include <QFile>

namespace rotalina::shell {

QString schemaUpdateFileName()
{
    return QStringLiteral("SQLAggio.sql");
}

QString schemaUpdateFolder(const storage::ArchiveLocation &location, const QString &programFolder)
{
    return location.engine() == storage::Engine::SQLite ? location.folder() : programFolder;
}

QStringList splitSchemaUpdate(const QString &script)
{
    if (script.isEmpty())
        return {};
    QStringList pieces = (script.endsWith(u';') ? script : script + u';').split(u';');
    pieces.removeLast(); // what follows the last ";" is not a piece
    return pieces;
}

core::Result<bool> applySchemaUpdate(storage::Archive &archive, const QString &folder)
{
    using R = core::Result<bool>;
    const QString path = QDir(folder).filePath(schemaUpdateFileName());
    if (!QFile::exists(path))
        return false;
    const core::Result<QString> script = core::readTextFile(path);
    if (!script)
        return R::failure(script.error());

    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return R::failure(transaction.error());
    const QStringList pieces = splitSchemaUpdate(*script);
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (pieces.at(i).trimmed().isEmpty())
            continue;
        const core::Result<int> done = archive.execute(pieces.at(i));
        if (!done)
            return R::failure(
                QStringLiteral("Aggiornamento dell'archivio da %1 non riuscito: l'istruzione %2 non è "
                               "stata eseguita e nessuna modifica del file è stata applicata.\n%3")
                    .arg(QDir::toNativeSeparators(path))
                    .arg(i + 1)
                    .arg(done.error()));
    }
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    if (!QFile::remove(path))
        return R::failure(QStringLiteral("L'archivio è stato aggiornato ma il file %1 non si può eliminare: "
                                         "eliminarlo prima di riavviare il programma.")
                              .arg(QDir::toNativeSeparators(path)));
    return true;
}

} // namespace rotalina::shell
