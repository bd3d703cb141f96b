#pragma once

#include "core/result.h"
#include "print/layout.h"
#include "print/reportdata.h"

#include <QDate>
#include <QFont>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>

class QPainter;

namespace rotalina::storage {
class Archive;
}

namespace rotalina::print {

// The chart element of a layout: revenue against cost month by month, with the margin gathered
// since the first month, read from the monthly rows (Mese, Entrata, Importo) that the program wrote
// for the workstation in a work table beside the rows of the report's table.

struct ChartMonth
{
    QDate month; // its first day
    double revenue = 0;
    double cost = 0;
};

// A chart as it is printed.
struct ReportChart
{
    QString title;
    double heightMm = 75;
    QList<ChartMonth> months;

    // The margin from the first month to each month, one value per month.
    QList<double> cumulativeMargin() const;
};

// "Gen 2026": the month as the chart's axis and the text exports write it.
QString chartMonthName(const QDate &month);

// Reads the workstation's monthly rows of the work tables that the charts of the request's
// layouts name into the data (a layout that cannot be read is left to the composition, which says
// why). A chart naming a table that holds no monthly rows of a workstation is a fault of its layout.
core::Status loadChartRows(storage::Archive &archive, const QString &workstation,
                           const ReportRequest &request, ReportData &data);

// The months of the rows, revenue and cost summed by month, in order.
ReportChart composeChart(const LayoutChart &layout, const ReportRows &rows);

// Draws the chart in the area: title, legend, amounts on the left in euro, months below. mm is the
// size of a millimetre on the painter's device, text takes the given font.
void drawChart(QPainter &painter, const QRectF &area, const ReportChart &chart, const QFont &font, double mm);

// The chart as a picture for the exports that hold images (HTML, ODT).
QImage chartImage(const ReportChart &chart);

// The chart's figures as lines of text for the exports without pictures: one line per month.
QStringList chartTextLines(const ReportChart &chart);

} // namespace rotalina::print
