#pragma once

#include "core/result.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace rotalina::storage {

class Archive;

enum class FieldKind {
    Key,     // the table's own automatically numbered key
    Boolean, // yes/no, never empty
    Date,    // date-time
    Memo,    // long text
    Text,
    Integer,
    Double,  // money, percentages, quantities and measures
    Ref,     // another table's integer key (0 or empty means none)
    TextRef, // another table's text value (a town name, a plate, a nation code)
    Binary   // a picture or a file kept in the row
};

struct FieldDef
{
    FieldDef(QString fieldName, FieldKind fieldKind, QString reference = {}, int sinceVersion = 1)
        : name(std::move(fieldName)), kind(fieldKind), refersTo(std::move(reference)), since(sinceVersion)
    {}

    QString name;
    FieldKind kind = FieldKind::Text;
    QString refersTo; // "Table.Field" for Ref and TextRef
    int since = 1;    // archive version that added the field
};

struct IndexDef
{
    IndexDef(QStringList indexFields, int sinceVersion = 1)
        : fields(std::move(indexFields)), since(sinceVersion)
    {}

    QStringList fields;
    int since = 1;
};

struct TableDef
{
    TableDef(QString tableName, QList<FieldDef> tableFields, QList<IndexDef> tableIndexes = {},
             int sinceVersion = 1)
        : name(std::move(tableName)), fields(std::move(tableFields)), indexes(std::move(tableIndexes)),
          since(sinceVersion)
    {}

    QString name;
    QList<FieldDef> fields; // the key first
    QList<IndexDef> indexes;
    int since = 1;

    const FieldDef *field(const QString &fieldName) const;
    const FieldDef *key() const;
    QString keyName() const;
    bool isWorkTable() const; // rows belong to one workstation
};

// One step of an upgrade that is more than adding tables, fields and indexes (moving data).
struct MigrationStep
{
    int version; // the step runs when the archive is brought to this version
    QString description;
    std::function<core::Status(Archive &)> apply;
};

// A text field searched by any part of it, whatever its case and accents, in long lists (customer
// names): on PostgreSQL a trigram index over its folded form serves those searches.
struct SearchIndexDef
{
    QString table;
    QString field;
    int since = 1;
};

// The tables of the archive at its newest version, with the version each part arrived in. Both
// engines' statements are produced from it and upgrades are derived from it.
class SchemaDefinition
{
public:
    SchemaDefinition(int version, QList<TableDef> tables, QList<MigrationStep> steps = {},
                     QList<SearchIndexDef> searchIndexes = {});

    int version() const { return m_version; }
    const QList<TableDef> &tables() const { return m_tables; }
    const QList<MigrationStep> &steps() const { return m_steps; }
    const QList<SearchIndexDef> &searchIndexes() const { return m_searchIndexes; }
    const TableDef *table(const QString &name) const; // case-insensitive

private:
    int m_version;
    QList<TableDef> m_tables;
    QList<MigrationStep> m_steps;
    QList<SearchIndexDef> m_searchIndexes;
};

// The archive of this program.
const SchemaDefinition &archiveSchema();

} // namespace rotalina::storage
