#include "shell/historyselection.h"

#include "core/datetext.h"
#include "storage/sqlvalue.h"

namespace rotalina::shell {

QString HistoryPeriod::whereClause(const QString &dateField) const
{
    return QStringLiteral("WHERE %1 >= ? AND %1 <= ?").arg(dateField);
}

QVariantList HistoryPeriod::parameters() const
{
    return {storage::sqlvalue::date(from), storage::sqlvalue::endOfDay(to)};
}

core::Result<HistoryPeriod> historyPeriod(const QString &fromText, const QString &toText, YearRule rule)
{
    using R = core::Result<HistoryPeriod>;
    const std::optional<QDate> from = core::datetext::parseShortDate(fromText);
    if (!from)
        return R::failure(QStringLiteral("Attenzione E' necessario definire la data di inizio..."));
    const std::optional<QDate> to = core::datetext::parseShortDate(toText);
    if (!to)
        return R::failure(QStringLiteral("Attenzione E' necessario definire la data di fine..."));
    if (rule == YearRule::SameYear && from->year() != to->year())
        return R::failure(QStringLiteral(
            "Attenzione E' necessario che la data di inizio e la data di fine abbiano lo stesso anno..."));
    return HistoryPeriod{*from, *to};
}

QString proposedHistoryEnd(const QString &fromText)
{
    const std::optional<QDate> from = core::datetext::parseShortDate(fromText);
    return from ? core::datetext::formatShortDate(QDate(from->year(), 12, 31)) : QString();
}

} // namespace rotalina::shell
