#pragma once

#include <QDate>
#include <QList>

namespace rotalina::core {

// How the days of a payment term are counted from the document's date.
struct DueDateRule
{
    bool endOfMonth = false;      // the due date moves to the end of a month
    bool endOfMonthFirst = false; // with endOfMonth: the end of the document's month first, then the days
    bool commercialYear = false;  // months of thirty days: 60 days are two months
};

// The due date of an instalment "days" after the base date. Adding months keeps the day of the
// month, or takes the last day of a shorter month.
QDate dueDate(const QDate &base, int days, const DueDateRule &rule);

// An amount split into instalments to the cent: every instalment but the last is the rounded
// share, and the last takes what is left, so that they add up to the amount. No instalment at
// all (a payment on the document's date) is one instalment of the whole amount.
QList<double> splitInstalments(double amount, int count);

} // namespace rotalina::core
