#include "benchsupport.h"

#include <QDir>

namespace rotalina::bench {

void addPostgresOption(QCommandLineParser &parser)
{
    parser.addOption({QStringLiteral("postgresql"),
                      QStringLiteral("An empty PostgreSQL database instead of SQLite."),
                      QStringLiteral("address")});
}

core::Result<std::unique_ptr<storage::Archive>> openNewArchive(const QCommandLineParser &parser,
                                                               const QString &folder)
{
    const core::Result<storage::ArchiveLocation> location =
        parser.isSet(QStringLiteral("postgresql"))
            ? storage::ArchiveLocation::parse(parser.value(QStringLiteral("postgresql")))
            : storage::ArchiveLocation::parse(QDir(folder).filePath(QStringLiteral("archivio.db")));
    if (!location)
        return core::Result<std::unique_ptr<storage::Archive>>::failure(location.error());
    storage::OpenOptions options;
    options.createIfMissing = true;
    return storage::Archive::open(*location, options);
}

} // namespace rotalina::bench
