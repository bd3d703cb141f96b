#pragma once

#include "core/result.h"

#include <QDate>
#include <QString>
#include <QVariantList>

namespace rotalina::shell {

// The period of a history selection of the main window, checked as the office expects: both
// dates given and, for every list but the purchase invoices, in the same year.
struct HistoryPeriod
{
    QDate from;
    QDate to;

    // "WHERE <field> >= ? AND <field> <= ?" with the bound values: from the start of the first
    // day to the last second of the last one.
    QString whereClause(const QString &dateField) const;
    QVariantList parameters() const;
};

enum class YearRule { SameYear, AnyYears };

core::Result<HistoryPeriod> historyPeriod(const QString &fromText, const QString &toText, YearRule rule);

// The end date proposed when the start date is complete and the end is still empty: 31 December
// of the same year, or an empty text.
QString proposedHistoryEnd(const QString &fromText);

} // namespace rotalina::shell
