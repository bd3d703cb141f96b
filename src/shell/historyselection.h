#pragma once

#include "core/result.h"
#include "shell/registrydescriptor.h"

#include <QDate>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

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

// Which documents a document list shows: the open ones (not closed with their year), or, when the
// main window opens it on a history period ("storico", with the period's bounds as "parametri"),
// every one whose date field falls in the period, closed or not.
ListScope openDocumentsScope();
ListScope historyScope(const QString &dateField, const QVariantList &periodBounds);
bool isHistoryView(const QVariantMap &parameters);
ListScope documentListScope(const QVariantMap &parameters, const QString &dateField);
// "Fatture - Storico dal 01/01/2025 al 31/12/2025" in the history view, else the caption.
QString documentListCaption(const QString &caption, const QVariantMap &parameters);

} // namespace rotalina::shell
