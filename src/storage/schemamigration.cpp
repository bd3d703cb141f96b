#include "storage/schemamigration.h"

#include "storage/archive.h"
#include "storage/sqldialect.h"

#include <QCryptographicHash>

namespace rotalina::storage::schema_migration {

namespace {

const QString versionTable = QStringLiteral("VersioneArchivio");

QString indexName(const TableDef &table, const IndexDef &index)
{
    QString name = (QStringLiteral("ix_") + table.name + u'_' + index.fields.join(u'_')).toLower();
    // PostgreSQL cuts names at 63 characters; a hash keeps long ones distinct.
    if (name.size() > 60)
        name = name.left(50) + u'_' +
               QString::fromLatin1(
                   QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Md5).toHex().left(8));
    return name;
}

core::Status run(Archive &archive, const QString &sql)
{
    return core::Status::from(archive.execute(sql));
}

core::Status writeVersion(Archive &archive, int version)
{
    const core::Result<int> updated =
        archive.execute(QStringLiteral("UPDATE VersioneArchivio SET Versione = ?"), {version});
    if (!updated)
        return core::Status::failure(updated.error());
    if (*updated == 0)
        return core::Status::from(
            archive.execute(QStringLiteral("INSERT INTO VersioneArchivio (Versione) VALUES (?)"), {version}));
    return {};
}

core::Status createIndexes(Archive &archive, const TableDef &table, int fromExclusive, int toInclusive)
{
    for (const IndexDef &index : indexesOf(table)) {
        if (index.since <= fromExclusive || index.since > toInclusive)
            continue;
        if (core::Status made = run(archive, createIndexStatement(table, index)); !made)
            return made;
    }
    return {};
}

} // namespace

QList<IndexDef> indexesOf(const TableDef &table)
{
    QList<IndexDef> indexes;
    QStringList covered;
    for (const IndexDef &index : table.indexes) {
        indexes.append(index);
        covered.append(index.fields.first().toLower());
    }
    for (const FieldDef &field : table.fields) {
        const bool referenced = field.kind == FieldKind::Ref || field.kind == FieldKind::TextRef ||
                                field.name.compare(QStringLiteral("NomeComputer"), Qt::CaseInsensitive) == 0;
        if (referenced && !covered.contains(field.name.toLower()))
            indexes.append(IndexDef{{field.name}, field.since});
    }
    return indexes;
}

QString createTableStatement(const SqlDialect &dialect, const TableDef &table, int version)
{
    QStringList columns;
    for (const FieldDef &field : table.fields) {
        if (field.since <= version)
            columns.append(field.name + u' ' + dialect.columnDefinition(field));
    }
    return QStringLiteral("CREATE TABLE ") + table.name + QStringLiteral(" (") +
           columns.join(QStringLiteral(", ")) + u')';
}

QString searchIndexStatement(const SearchIndexDef &index)
{
    return QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 USING gin (rl_fold(%3) gin_trgm_ops)")
        .arg(QStringLiteral("cerca_%1_%2").arg(index.table, index.field).toLower(), index.table, index.field);
}

QString createIndexStatement(const TableDef &table, const IndexDef &index)
{
    return QStringLiteral("CREATE INDEX ") + indexName(table, index) + QStringLiteral(" ON ") + table.name +
           QStringLiteral(" (") + index.fields.join(QStringLiteral(", ")) + u')';
}

core::Result<int> readVersion(Archive &archive)
{
    if (!archive.existingTables().contains(versionTable.toLower()))
        return noArchive;
    const core::Result<QVariant> version =
        archive.scalar(QStringLiteral("SELECT MAX(Versione) FROM VersioneArchivio"));
    if (!version)
        return core::Result<int>::failure(version.error());
    return version->isNull() ? 0 : version->toInt();
}

// The trigram indexes of folded texts, on PostgreSQL only (SQLite reads such searches quickly
// enough, and an index on a function of ours would tie its file to this program). Without the
// pg_trgm extension, and without the right to add it, the archive simply goes without them.
core::Status createSearchIndexes(Archive &archive, const SchemaDefinition &schema, int fromExclusive,
                                 int toInclusive)
{
    if (archive.engine() != Engine::PostgreSQL)
        return {};
    QList<SearchIndexDef> wanted;
    for (const SearchIndexDef &index : schema.searchIndexes()) {
        if (index.since > fromExclusive && index.since <= toInclusive)
            wanted.append(index);
    }
    if (wanted.isEmpty())
        return {};
    // A failed statement spoils a PostgreSQL transaction: the attempt stands in a savepoint.
    if (core::Status marked = run(archive, QStringLiteral("SAVEPOINT rl_trigrammi")); !marked)
        return marked;
    if (!run(archive, QStringLiteral("CREATE EXTENSION IF NOT EXISTS pg_trgm"))) {
        return run(archive, QStringLiteral("ROLLBACK TO SAVEPOINT rl_trigrammi"));
    }
    for (const SearchIndexDef &index : wanted) {
        if (core::Status made = run(archive, searchIndexStatement(index)); !made)
            return made;
    }
    return run(archive, QStringLiteral("RELEASE SAVEPOINT rl_trigrammi"));
}

core::Status create(Archive &archive, const SchemaDefinition &schema, int version)
{
    if (archive.engine() == Engine::PostgreSQL) {
        if (core::Status made = run(archive, SqlDialect::postgresFoldFunction()); !made)
            return made;
    }
    if (core::Status made =
            run(archive, QStringLiteral("CREATE TABLE VersioneArchivio (Versione INTEGER NOT NULL)"));
        !made)
        return made;
    for (const TableDef &table : schema.tables()) {
        if (table.since > version)
            continue;
        if (core::Status made = run(archive, createTableStatement(archive.dialect(), table, version)); !made)
            return made;
        if (core::Status made = createIndexes(archive, table, 0, version); !made)
            return made;
    }
    if (core::Status made = createSearchIndexes(archive, schema, 0, version); !made)
        return made;
    return writeVersion(archive, version);
}

core::Status upgrade(Archive &archive, const SchemaDefinition &schema, int fromVersion)
{
    Transaction transaction(archive);
    if (!transaction.isActive())
        return core::Status::failure(transaction.error());
    const int target = schema.version();
    if (archive.engine() == Engine::PostgreSQL) {
        if (core::Status made = run(archive, SqlDialect::postgresFoldFunction()); !made)
            return made;
    }
    for (const TableDef &table : schema.tables()) {
        if (table.since > fromVersion) {
            if (core::Status made = run(archive, createTableStatement(archive.dialect(), table, target));
                !made)
                return made;
            if (core::Status made = createIndexes(archive, table, 0, target); !made)
                return made;
            continue;
        }
        for (const FieldDef &field : table.fields) {
            if (field.since <= fromVersion)
                continue;
            const QString sql = QStringLiteral("ALTER TABLE ") + table.name + QStringLiteral(" ADD COLUMN ") +
                                field.name + u' ' + archive.dialect().columnDefinition(field);
            if (core::Status made = run(archive, sql); !made)
                return made;
        }
        if (core::Status made = createIndexes(archive, table, fromVersion, target); !made)
            return made;
    }
    if (core::Status made = createSearchIndexes(archive, schema, fromVersion, target); !made)
        return made;
    for (const MigrationStep &step : schema.steps()) {
        if (step.version <= fromVersion || step.version > target)
            continue;
        if (core::Status applied = step.apply(archive); !applied)
            return core::Status::failure(QStringLiteral("%1: %2").arg(step.description, applied.error()));
    }
    if (core::Status written = writeVersion(archive, target); !written)
        return written;
    return transaction.commit();
}

} // namespace rotalina::storage::schema_migration
