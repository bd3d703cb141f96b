#pragma once

#include "storage/sqldialect.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace rotalina::storage {

// The conditions a list's filter bar builds from what the user typed, compiled to SQL with bound
// values. Field names come from the program's own list descriptions, never from the user.
class ListFilter
{
public:
    explicit ListFilter(const SqlDialect &dialect) : m_dialect(&dialect) {}

    const SqlDialect &dialect() const { return *m_dialect; }

    // The field contains the typed text, ignoring case and accents; nothing when the text is blank.
    ListFilter &contains(const QString &field, const QString &typed);
    // The field starts with the typed text.
    ListFilter &startsWith(const QString &field, const QString &typed);
    // The date field is on or after the day, or on or before it (the whole day included).
    ListFilter &dateFrom(const QString &field, const QDate &from);
    ListFilter &dateTo(const QString &field, const QDate &to);
    ListFilter &equals(const QString &field, const QVariant &value);
    // A fixed condition of the program with its own bound values.
    ListFilter &condition(const QString &sql, const QVariantList &params = {});

    bool isEmpty() const { return m_conditions.isEmpty(); }
    // "a AND b AND c", or an empty text.
    QString conditions() const { return m_conditions.join(QStringLiteral(" AND ")); }
    // " WHERE a AND b", or an empty text.
    QString whereClause() const;
    const QVariantList &parameters() const { return m_params; }

private:
    const SqlDialect *m_dialect;
    QStringList m_conditions;
    QVariantList m_params;
};

} // namespace rotalina::storage
