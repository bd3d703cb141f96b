#include "shell/registrydescriptor.h"

#include "shell/storeddefaults.h"
#include "storage/archive.h"

#include <QDate>

namespace rotalina::shell {

RegistryField registryField(const char *field, const char *caption, RegistryField::Kind kind, int maxLength)
{
    RegistryField f;
    f.field = QString::fromLatin1(field);
    f.caption = QString::fromUtf8(caption);
    f.kind = kind;
    f.maxLength = maxLength;
    return f;
}

RegistryField registryChoice(const char *field, const char *caption, const QString &sql,
                             const QString &copySql, QStringList copiedFields)
{
    RegistryField f = registryField(field, caption, RegistryField::Kind::Lookup);
    f.lookupSql = sql;
    f.copySql = copySql;
    f.copiedFields = std::move(copiedFields);
    return f;
}

RegistryField withList(RegistryField field, const char *listWindow)
{
    field.listWindow = QString::fromLatin1(listWindow);
    return field;
}

QString registryListStatement(const RegistryDescriptor &registry, const QString &conditions)
{
    QString sql = registry.listSql;
    if (!conditions.isEmpty())
        sql += QStringLiteral(" WHERE ") + conditions;
    if (!registry.order.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + registry.order;
    return sql;
}

core::Result<qint64> addRegistryRow(storage::Archive &archive, const RegistryDescriptor &registry,
                                    const QVariant &owner)
{
    if (registry.add)
        return registry.add(archive, owner);
    QVariantMap values = registry.newValues;
    if (!registry.todayField.isEmpty())
        values.insert(registry.todayField, QDate::currentDate());
    QVariantMap fixed;
    if (!registry.ownerField.isEmpty() && owner.isValid())
        fixed.insert(registry.ownerField, owner);
    return insertWithDefaults(archive, registry.table, registry.table, values, fixed);
}

core::Result<QString> registryRowUse(storage::Archive &archive, const RegistryDescriptor &registry,
                                     qint64 key)
{
    QStringList uses;
    for (const RegistryUse &use : registry.usedBy) {
        const core::Result<QVariant> counted = archive.scalar(
            QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ?").arg(use.table, use.field), {key});
        if (!counted)
            return core::Result<QString>::failure(counted.error());
        if (const int rows = counted->toInt(); rows > 0)
            uses.append(QStringLiteral("- %1: %2").arg(use.caption).arg(rows));
    }
    if (uses.isEmpty())
        return QString();
    return QString(registry.inUseMessage + u'\n' + uses.join(u'\n'));
}

core::Status saveRegistryRow(storage::Archive &archive, const RegistryDescriptor &registry, qint64 key,
                             QVariantMap values)
{
    if (registry.save)
        return registry.save(archive, key, values);
    if (registry.normalise)
        registry.normalise(values);
    storage::Transaction transaction(archive);
    if (core::Status written = archive.update(registry.table, key, values); !written)
        return written;
    for (const QString &statement : registry.afterSave) {
        if (core::Result<int> run = archive.execute(statement, {key}); !run)
            return core::Status::failure(run.error());
    }
    return transaction.commit();
}

core::Status deleteRegistryRow(storage::Archive &archive, const RegistryDescriptor &registry, qint64 key)
{
    // What other rows still use is kept: history does not vanish with a delete.
    const core::Result<QString> used = registryRowUse(archive, registry, key);
    if (!used)
        return core::Status::failure(used.error());
    if (!used->isEmpty())
        return core::Status::failure(*used);
    if (registry.remove)
        return registry.remove(archive, key);
    storage::Transaction transaction(archive);
    for (const QString &statement : registry.beforeDelete) {
        if (core::Result<int> run = archive.execute(statement, {key}); !run)
            return core::Status::failure(run.error());
    }
    if (core::Status removed = archive.remove(registry.table, key); !removed)
        return removed;
    return transaction.commit();
}

} // namespace rotalina::shell
