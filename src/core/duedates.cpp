#include "core/duedates.h"

#include "core/money.h"

namespace rotalina::core {

namespace {

QDate endOfMonthOf(const QDate &date)
{
    return QDate(date.year(), date.month(), date.daysInMonth());
}

} // namespace

QDate dueDate(const QDate &base, int days, const DueDateRule &rule)
{
    if (!base.isValid())
        return {};
    if (!rule.commercialYear) {
        if (!rule.endOfMonth)
            return base.addDays(days);
        if (rule.endOfMonthFirst)
            return endOfMonthOf(base).addDays(days);
        return endOfMonthOf(base.addDays(days));
    }
    // QDate::addMonths keeps the day, or takes the last day of a shorter month.
    const int months = days / 30;
    const int rest = days % 30;
    QDate due = months > 0 ? base.addMonths(months) : base;
    if (rule.endOfMonth && rule.endOfMonthFirst)
        due = endOfMonthOf(due);
    if (rest > 0)
        due = due.addDays(rest);
    if (rule.endOfMonth && !rule.endOfMonthFirst)
        due = endOfMonthOf(due);
    return due;
}

QList<double> splitInstalments(double amount, int count)
{
    if (count <= 1)
        return {arrotonda(amount)};
    const double share = arrotonda(amount / count);
    QList<double> instalments(count, share);
    instalments.last() = arrotonda(amount - share * (count - 1));
    return instalments;
}

} // namespace rotalina::core
