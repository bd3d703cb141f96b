#pragma once

#include "core/result.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QSqlRecord>
#include <QString>
#include <QVariantList>
#include <functional>
#include <optional>

namespace rotalina::storage {

class Archive;

// The rows of a list window: the result of one statement, held in memory, with the key of each
// row. Cells show dates as dd/mm/yyyy and long texts cut to their first 100 characters.
class RecordListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    struct Column
    {
        QString field;
        QString title;
    };

    RecordListModel(Archive &archive, QString keyField, QObject *parent = nullptr);

    // The statement and its bound values; the list is read by reload().
    void setStatement(const QString &sql, const QVariantList &params = {});
    QString statement() const { return m_sql; }
    // The columns shown, in order; every column of the statement when none are set.
    void setColumns(const QList<Column> &columns);
    // Fields shown as long texts (cut for the grid).
    void setMemoFields(const QStringList &fields) { m_memoFields = fields; }
    // Fields shown as "Sì" or "No".
    void setBooleanFields(const QStringList &fields) { m_booleanFields = fields; }
    // Fields shown as Italian numbers with this many decimals, on the right.
    void setNumberField(const QString &field, int decimals)
    {
        m_numberFields.insert(field.toLower(), decimals);
    }
    // The background of each row, from its values: a colour, or nothing.
    void setRowColour(std::function<QVariant(const QSqlRecord &row)> colour)
    {
        m_rowColour = std::move(colour);
    }
    // The row as the statement gave it.
    QSqlRecord record(int row) const;
    // Narrows the rows read without reading them again (a search typed letter by letter); an
    // empty filter shows them all. The filter sees the values in the statement's column order.
    void setRowFilter(std::function<bool(const QVariantList &row)> keep);
    // The position of a field among the statement's columns, or -1.
    int fieldIndex(const QString &field) const;
    const QList<Column> &columns() const { return m_columns; }

    core::Status reload();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Orders the rows by a column; the order is kept when the list is read again.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    QString keyField() const { return m_keyField; }
    // The key of a row, or nullopt for a row that does not exist.
    std::optional<qint64> keyAt(int row) const;
    // The row that holds the key, or -1.
    int rowOfKey(qint64 key) const;
    QVariant value(int row, const QString &field) const;
    QString columnField(int column) const;

private:
    void applyRowFilter();

    Archive &m_archive;
    QString m_keyField;
    QString m_sql;
    QVariantList m_params;
    QList<Column> m_columns;
    QStringList m_memoFields;
    QStringList m_booleanFields;
    QHash<QString, int> m_numberFields; // by lower-case field
    std::function<QVariant(const QSqlRecord &row)> m_rowColour;
    QList<QVariantList> m_allRows; // as read and ordered
    QList<QVariantList> m_rows;    // those the row filter keeps
    std::function<bool(const QVariantList &row)> m_rowFilter;
    QSqlRecord m_shape;
    QHash<QString, int> m_fieldIndex; // by lower-case field
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;

    void sortRows();
};

// Saving a row as the list windows do: the row is written (inserted when it has no key yet),
// the list is read again and the result is the row that now holds the saved record.
core::Result<int> saveRecord(Archive &archive, RecordListModel &list, const QString &table,
                             std::optional<qint64> key, const QVariantMap &values);

// Deleting the row of a list: after the delete the list is read again and the result is the row
// to stand on: the one before the deleted row, the one that followed when the first was deleted,
// or -1 when the list is now empty.
core::Result<int> deleteRecord(Archive &archive, RecordListModel &list, const QString &table, int row);

} // namespace rotalina::storage
