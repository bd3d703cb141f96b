#include "storage/workstationrows.h"

#include "storage/archive.h"

namespace rotalina::storage {

WorkstationRows::WorkstationRows(Archive &archive, QString workstation)
    : m_archive(archive), m_workstation(std::move(workstation))
{}

core::Result<QString> WorkstationRows::workTable(const QString &table) const
{
    const TableDef *def = m_archive.schema().table(table);
    if (!def || !def->isWorkTable())
        return core::Result<QString>::failure(
            QStringLiteral("%1 non è una tabella di lavoro della postazione.").arg(table));
    return def->name;
}

core::Result<int> WorkstationRows::clear(const QString &table)
{
    const core::Result<QString> name = workTable(table);
    if (!name)
        return core::Result<int>::failure(name.error());
    return m_archive.execute(QStringLiteral("DELETE FROM %1 WHERE NomeComputer = ?").arg(*name),
                             {m_workstation});
}

core::Result<qint64> WorkstationRows::insert(const QString &table, QVariantMap values)
{
    const core::Result<QString> name = workTable(table);
    if (!name)
        return core::Result<qint64>::failure(name.error());
    values.insert(QStringLiteral("NomeComputer"), m_workstation);
    return m_archive.insert(*name, values);
}

core::Result<QSqlQuery> WorkstationRows::rows(const QString &table, const QStringList &orderBy)
{
    const core::Result<QString> name = workTable(table);
    if (!name)
        return core::Result<QSqlQuery>::failure(name.error());
    const TableDef *def = m_archive.schema().table(*name);
    QStringList order;
    for (const QString &field : orderBy) {
        if (!def->field(field))
            return core::Result<QSqlQuery>::failure(
                QStringLiteral("Il campo %1 non esiste nella tabella %2.").arg(field, *name));
        order.append(def->field(field)->name);
    }
    order.append(def->keyName());
    return m_archive.select(QStringLiteral("SELECT * FROM %1 WHERE NomeComputer = ? ORDER BY %2")
                                .arg(*name, order.join(QStringLiteral(", "))),
                            {m_workstation});
}

core::Result<int> WorkstationRows::count(const QString &table)
{
    const core::Result<QString> name = workTable(table);
    if (!name)
        return core::Result<int>::failure(name.error());
    const core::Result<QVariant> n = m_archive.scalar(
        QStringLiteral("SELECT COUNT(*) FROM %1 WHERE NomeComputer = ?").arg(*name), {m_workstation});
    if (!n)
        return core::Result<int>::failure(n.error());
    return n->toInt();
}

} // namespace rotalina::storage
