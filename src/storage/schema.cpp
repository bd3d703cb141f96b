#include "storage/schema.h"

namespace rotalina::storage {

const FieldDef *TableDef::field(const QString &fieldName) const
{
    for (const FieldDef &f : fields) {
        if (f.name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return &f;
    }
    return nullptr;
}

const FieldDef *TableDef::key() const
{
    for (const FieldDef &f : fields) {
        if (f.kind == FieldKind::Key)
            return &f;
    }
    return nullptr;
}

QString TableDef::keyName() const
{
    const FieldDef *k = key();
    return k ? k->name : QString();
}

bool TableDef::isWorkTable() const
{
    return field(QStringLiteral("NomeComputer")) != nullptr;
}

SchemaDefinition::SchemaDefinition(int version, QList<TableDef> tables, QList<MigrationStep> steps,
                                   QList<SearchIndexDef> searchIndexes)
    : m_version(version), m_tables(std::move(tables)), m_steps(std::move(steps)),
      m_searchIndexes(std::move(searchIndexes))
{}

const TableDef *SchemaDefinition::table(const QString &name) const
{
    for (const TableDef &t : m_tables) {
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

} // namespace rotalina::storage
