#include "storage/sqlvalue.h"

#include "core/datetext.h"

#include <QRegularExpression>

namespace rotalina::storage::sqlvalue {

using core::datetext::Bound;

QVariant date(const QDate &d)
{
    return d.isValid() ? QVariant(core::datetext::canonical(d)) : QVariant();
}

QVariant endOfDay(const QDate &d)
{
    return d.isValid() ? QVariant(core::datetext::canonical(d, Bound::EndOfDay)) : QVariant();
}

QVariant dateTime(const QDateTime &dt)
{
    return dt.isValid() ? QVariant(core::datetext::canonical(dt)) : QVariant();
}

QDateTime toDateTime(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime();
    if (value.typeId() == QMetaType::QDate)
        return QDateTime(value.toDate(), QTime(0, 0));
    const auto parsed = core::datetext::parseCanonical(value.toString());
    return parsed ? *parsed : QDateTime();
}

QDate toDate(const QVariant &value)
{
    return toDateTime(value).date();
}

bool isDate(const QVariant &value)
{
    if (value.typeId() == QMetaType::QDateTime || value.typeId() == QMetaType::QDate)
        return true;
    if (value.typeId() != QMetaType::QString)
        return false;
    static const QRegularExpression canonical(QStringLiteral(R"(^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}$)"));
    return canonical.match(value.toString()).hasMatch();
}

} // namespace rotalina::storage::sqlvalue
