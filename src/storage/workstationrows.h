#pragma once

#include "core/result.h"

#include <QSqlQuery>
#include <QString>
#include <QVariantMap>

namespace rotalina::storage {

class Archive;

// The rows one workstation keeps in the shared work tables. Every read, write and delete is
// limited to the rows that carry this workstation's name, so that several workstations can fill
// the same work table at once.
class WorkstationRows
{
public:
    WorkstationRows(Archive &archive, QString workstation);

    const QString &workstation() const { return m_workstation; }

    // Deletes this workstation's rows of a work table; the number deleted.
    core::Result<int> clear(const QString &table);
    // Adds a row with this workstation's name.
    core::Result<qint64> insert(const QString &table, QVariantMap values);
    // This workstation's rows, in the given order (field names of the table).
    core::Result<QSqlQuery> rows(const QString &table, const QStringList &orderBy = {});
    core::Result<int> count(const QString &table);

private:
    core::Result<QString> workTable(const QString &table) const;

    Archive &m_archive;
    QString m_workstation;
};

} // namespace rotalina::storage
