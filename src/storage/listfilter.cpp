#include "storage/listfilter.h"

#include "storage/sqlvalue.h"

namespace rotalina::storage {

ListFilter &ListFilter::contains(const QString &field, const QString &typed)
{
    if (typed.trimmed().isEmpty())
        return *this;
    return condition(m_dialect->foldedLike(field), {SqlDialect::containsPattern(typed.trimmed())});
}

ListFilter &ListFilter::startsWith(const QString &field, const QString &typed)
{
    if (typed.trimmed().isEmpty())
        return *this;
    return condition(m_dialect->foldedLike(field), {SqlDialect::startsWithPattern(typed.trimmed())});
}

ListFilter &ListFilter::dateFrom(const QString &field, const QDate &from)
{
    return from.isValid() ? condition(field + QStringLiteral(" >= ?"), {sqlvalue::date(from)}) : *this;
}

ListFilter &ListFilter::dateTo(const QString &field, const QDate &to)
{
    return to.isValid() ? condition(field + QStringLiteral(" <= ?"), {sqlvalue::endOfDay(to)}) : *this;
}

ListFilter &ListFilter::equals(const QString &field, const QVariant &value)
{
    return condition(field + QStringLiteral(" = ?"), {value});
}

ListFilter &ListFilter::condition(const QString &sql, const QVariantList &params)
{
    m_conditions.append(u'(' + sql + u')');
    m_params.append(params);
    return *this;
}

QString ListFilter::whereClause() const
{
    return isEmpty() ? QString() : QStringLiteral(" WHERE ") + conditions();
}

} // namespace rotalina::storage
