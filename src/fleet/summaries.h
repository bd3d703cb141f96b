#pragma once

#include "core/result.h"

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::fleet {

// What a vehicle ("Vetture Riepilogo") or a member of staff ("Riepilogo Personale") earned against
// what it cost over a period: job orders, purchase invoices, costs not invoiced, fuel or salaries.
// The totals go into the workstation's rows of a work table, which the print program reads: one
// row per category for the table of the report, and one row per category and month (the first day
// of the month in Mese) for its chart.

enum class SummaryOf { Vehicle, Staff };

// The work table of the summary: TempVettureRiepilogo or TempPersonaleRiepilogo.
QString summaryTable(SummaryOf of);

// Where a refused choice puts the user back.
enum class SummaryField { From, To, Subject };
struct SummaryProblem
{
    SummaryField field;
    QString title;
    QString message;
};

// The checks of the window's choices, in order: the from-date, the to-date (both given and real
// dates, the period not ending before it starts), then the vehicle or the driver.
std::optional<SummaryProblem> checkSummaryChoice(SummaryOf of, const QString &fromText, const QString &toText,
                                                 bool subjectChosen);

struct SummaryPeriod
{
    QDate from;
    QDate to; // the whole day is in the period
};

// "Dal 01/01/2026 al 31/03/2026".
QString summaryPeriodText(const SummaryPeriod &period);
// The first day of each month the period touches, from the first to the last.
QList<QDate> summaryMonths(const SummaryPeriod &period);

struct SummaryCategory
{
    QString name; // Tipologia
    bool revenue = false;
    double total = 0;
    QList<double> monthly; // one amount per month of the summary
};

struct Summary
{
    QString subject; // the plate or the member's name
    QString periodText;
    QList<QDate> months;
    QList<SummaryCategory> categories; // in the order of the report

    double revenue() const;
    double costs() const;
    double margin() const { return revenue() - costs(); }
    double revenueIn(qsizetype month) const;
    double costsIn(qsizetype month) const;
    // The margin from the first month to each month, one value per month.
    QList<double> cumulativeMargin() const;
};

// Computes the summary of a vehicle (by its key; its job orders and purchase rows name it by
// plate) or of a member of staff, and writes it as the workstation's rows of the work table in
// place of its earlier ones, in one transaction.
core::Result<Summary> summariseVehicle(storage::Archive &archive, const QString &workstation, qint64 vehicle,
                                       const SummaryPeriod &period);
core::Result<Summary> summariseStaffMember(storage::Archive &archive, const QString &workstation,
                                           qint64 member, const SummaryPeriod &period);

} // namespace rotalina::fleet
