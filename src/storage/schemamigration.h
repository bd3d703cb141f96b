#pragma once

#include "core/result.h"
#include "storage/schema.h"

#include <QStringList>

namespace rotalina::storage {

class Archive;
class SqlDialect;

// Creating the archive's tables and bringing an older archive to the program's version. The
// version lives in the archive's table VersioneArchivio.
namespace schema_migration {

constexpr int noArchive = -1;

// The version written in the archive, or noArchive when it has none (a new, empty archive).
core::Result<int> readVersion(Archive &archive);

// Creates the tables, fields and indexes that the schema had at the given version. Runs inside
// the caller's transaction.
core::Status create(Archive &archive, const SchemaDefinition &schema, int version);

// Brings an archive of an older version to the schema's version in one transaction: new tables,
// new fields, new indexes, then the data steps in version order. On failure nothing changes.
core::Status upgrade(Archive &archive, const SchemaDefinition &schema, int fromVersion);

// The statements that create a table with the fields it had at the given version.
QString createTableStatement(const SqlDialect &dialect, const TableDef &table, int version);
QString createIndexStatement(const TableDef &table, const IndexDef &index);
// The PostgreSQL trigram index of a folded text field.
QString searchIndexStatement(const SearchIndexDef &index);

// Every index of a table: one per reference field and per field kept per workstation, and those
// the table declares.
QList<IndexDef> indexesOf(const TableDef &table);

} // namespace schema_migration
} // namespace rotalina::storage
