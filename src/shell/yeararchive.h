#pragma once

#include "core/result.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QVariantList>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::shell {

// Marks as history exactly the records of the years before today's, and brings back those of
// the current year: cash book, loading lists, concluded calendar entries, customer documents by
// their date, purchase documents by their registration date, job orders, quotes and transport
// documents; and realigns the paid flag of due dates with their payment date. Every workstation
// runs it at start-up; running it again changes nothing.
core::Status markClosedYears(storage::Archive &archive, const QDate &today);

// The statements markClosedYears runs, in their order, with their bound values.
struct YearArchiveStatement
{
    QString sql;
    QVariantList params;
};
QList<YearArchiveStatement> yearArchiveStatements(const QDate &today);

} // namespace rotalina::shell
