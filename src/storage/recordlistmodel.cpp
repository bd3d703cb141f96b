#include "storage/recordlistmodel.h"

#include "core/datetext.h"
#include "core/numbertext.h"
#include "core/separatedtext.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"

#include <QSqlField>

namespace rotalina::storage {

RecordListModel::RecordListModel(Archive &archive, QString keyField, QObject *parent)
    : QAbstractTableModel(parent), m_archive(archive), m_keyField(std::move(keyField))
{}

void RecordListModel::setStatement(const QString &sql, const QVariantList &params)
{
    m_sql = sql;
    m_params = params;
}

void RecordListModel::setColumns(const QList<Column> &columns)
{
    beginResetModel();
    m_columns = columns;
    endResetModel();
}

core::Status RecordListModel::reload()
{
    core::Result<Archive::Rows> read = m_archive.readRows(m_sql, m_params);
    if (!read)
        return core::Status::failure(read.error());
    beginResetModel();
    m_shape = QSqlRecord();
    m_fieldIndex.clear();
    for (int i = 0; i < read->fields.size(); ++i) {
        m_shape.append(QSqlField(read->fields.at(i)));
        const QString name = read->fields.at(i).toLower();
        if (!m_fieldIndex.contains(name))
            m_fieldIndex.insert(name, i);
    }
    m_allRows = std::move(read->values);
    sortRows();
    endResetModel();
    return {};
}

namespace {
// Empty values first, numbers by value, texts alphabetically ignoring case; dates are held in a
// form that sorts as text.
bool lessThan(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && !b.isNull();
    const bool numbers = a.typeId() != QMetaType::QString && b.typeId() != QMetaType::QString &&
                         a.canConvert<double>() && b.canConvert<double>();
    if (numbers)
        return a.toDouble() < b.toDouble();
    if (a.typeId() == QMetaType::QDateTime && b.typeId() == QMetaType::QDateTime)
        return a.toDateTime() < b.toDateTime();
    return QString::compare(a.toString(), b.toString(), Qt::CaseInsensitive) < 0;
}
} // namespace

void RecordListModel::sort(int column, Qt::SortOrder order)
{
    m_sortColumn = column;
    m_sortOrder = order;
    beginResetModel();
    sortRows();
    endResetModel();
}

void RecordListModel::sortRows()
{
    const QString field = columnField(m_sortColumn);
    const int index = m_sortColumn >= 0 && !field.isEmpty() ? fieldIndex(field) : -1;
    if (index >= 0) {
        std::stable_sort(m_allRows.begin(), m_allRows.end(),
                         [&](const QVariantList &a, const QVariantList &b) {
                             return m_sortOrder == Qt::AscendingOrder ? lessThan(a.at(index), b.at(index))
                                                                      : lessThan(b.at(index), a.at(index));
                         });
    }
    applyRowFilter();
}

void RecordListModel::applyRowFilter()
{
    if (!m_rowFilter) {
        m_rows = m_allRows;
        return;
    }
    m_rows.clear();
    for (const QVariantList &row : std::as_const(m_allRows)) {
        if (m_rowFilter(row))
            m_rows.append(row);
    }
}

void RecordListModel::setRowFilter(std::function<bool(const QVariantList &row)> keep)
{
    beginResetModel();
    m_rowFilter = std::move(keep);
    applyRowFilter();
    endResetModel();
}

int RecordListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int RecordListModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return m_columns.isEmpty() ? m_shape.count() : static_cast<int>(m_columns.size());
}

QString RecordListModel::columnField(int column) const
{
    if (m_columns.isEmpty())
        return m_shape.fieldName(column);
    return column >= 0 && column < m_columns.size() ? m_columns.at(column).field : QString();
}

QVariant RecordListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const QString field = columnField(index.column());
    const QVariant raw = value(index.row(), field);
    if (role == Qt::EditRole)
        return raw;
    if (role == Qt::BackgroundRole && m_rowColour)
        return m_rowColour(record(index.row()));
    const auto number = m_numberFields.constFind(field.toLower());
    if (role == Qt::TextAlignmentRole && number != m_numberFields.cend())
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    if (m_booleanFields.contains(field, Qt::CaseInsensitive))
        return raw.toBool() ? QStringLiteral("Sì") : QStringLiteral("No");
    if (raw.isNull())
        return QString();
    if (number != m_numberFields.cend())
        return core::formatItalianNumber(raw.toDouble(), *number);
    if (sqlvalue::isDate(raw))
        return core::datetext::formatShortDate(sqlvalue::toDate(raw));
    if (m_memoFields.contains(field, Qt::CaseInsensitive))
        return core::convertiMemo(raw.toString());
    return raw;
}

QVariant RecordListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (m_columns.isEmpty())
        return m_shape.fieldName(section);
    return section >= 0 && section < m_columns.size() ? m_columns.at(section).title : QString();
}

QSqlRecord RecordListModel::record(int row) const
{
    if (row < 0 || row >= m_rows.size())
        return {};
    QSqlRecord record = m_shape;
    const QVariantList &values = m_rows.at(row);
    for (int i = 0; i < record.count(); ++i)
        record.setValue(i, values.at(i));
    return record;
}

int RecordListModel::fieldIndex(const QString &field) const
{
    return m_fieldIndex.value(field.toLower(), -1);
}

std::optional<qint64> RecordListModel::keyAt(int row) const
{
    if (row < 0 || row >= m_rows.size())
        return std::nullopt;
    const QVariant key = value(row, m_keyField);
    if (key.isNull())
        return std::nullopt;
    return key.toLongLong();
}

int RecordListModel::rowOfKey(qint64 key) const
{
    const int index = fieldIndex(m_keyField);
    if (index < 0)
        return -1;
    for (qsizetype row = 0; row < m_rows.size(); ++row) {
        const QVariant &stored = m_rows.at(row).at(index);
        if (!stored.isNull() && stored.toLongLong() == key)
            return static_cast<int>(row);
    }
    return -1;
}

QVariant RecordListModel::value(int row, const QString &field) const
{
    const int index = fieldIndex(field);
    if (row < 0 || row >= m_rows.size() || index < 0)
        return {};
    return m_rows.at(row).at(index);
}

core::Result<int> saveRecord(Archive &archive, RecordListModel &list, const QString &table,
                             std::optional<qint64> key, const QVariantMap &values)
{
    using R = core::Result<int>;
    qint64 savedKey = 0;
    if (key) {
        if (core::Status updated = archive.update(table, *key, values); !updated)
            return R::failure(updated.error());
        savedKey = *key;
    } else {
        const core::Result<qint64> inserted = archive.insert(table, values);
        if (!inserted)
            return R::failure(inserted.error());
        savedKey = *inserted;
    }
    if (core::Status reloaded = list.reload(); !reloaded)
        return R::failure(reloaded.error());
    return list.rowOfKey(savedKey);
}

core::Result<int> deleteRecord(Archive &archive, RecordListModel &list, const QString &table, int row)
{
    using R = core::Result<int>;
    const std::optional<qint64> key = list.keyAt(row);
    if (!key)
        return R::failure(QStringLiteral("Nessuna riga selezionata da eliminare."));
    const std::optional<qint64> previous = list.keyAt(row - 1);
    const std::optional<qint64> following = list.keyAt(row + 1);
    if (core::Status removed = archive.remove(table, *key); !removed)
        return R::failure(removed.error());
    if (core::Status reloaded = list.reload(); !reloaded)
        return R::failure(reloaded.error());
    if (previous) {
        if (const int at = list.rowOfKey(*previous); at >= 0)
            return at;
    }
    if (following) {
        if (const int at = list.rowOfKey(*following); at >= 0)
            return at;
    }
    return list.rowCount() > 0 ? std::min(row, list.rowCount() - 1) : -1;
}

} // namespace rotalina::storage
