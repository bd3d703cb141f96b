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

ListScope openDocumentsScope()
{
    return {QStringLiteral("Storico = ?"), {false}};
}

ListScope historyScope(const QString &dateField, const QVariantList &periodBounds)
{
    return {QStringLiteral("%1 >= ? AND %1 <= ?").arg(dateField), periodBounds};
}

bool isHistoryView(const QVariantMap &parameters)
{
    return parameters.value(QStringLiteral("storico")).toBool();
}

ListScope documentListScope(const QVariantMap &parameters, const QString &dateField)
{
    return isHistoryView(parameters)
               ? historyScope(dateField, parameters.value(QStringLiteral("parametri")).toList())
               : openDocumentsScope();
}

QString documentListCaption(const QString &caption, const QVariantMap &parameters)
{
    if (!isHistoryView(parameters))
        return caption;
    const QVariantList period = parameters.value(QStringLiteral("parametri")).toList();
    return QStringLiteral("%1 - Storico dal %2 al %3")
        .arg(caption, core::datetext::formatShortDate(storage::sqlvalue::toDate(period.value(0))),
             core::datetext::formatShortDate(storage::sqlvalue::toDate(period.value(1))));
}

} // namespace rotalina::shell
