#include "print/reportchart.h"

#include "core/money.h"
#include "core/numbertext.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QMap>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace rotalina::print {

namespace {

const QColor revenueColour(46, 139, 87);
const QColor costColour(204, 85, 68);
const QColor marginColour(36, 84, 160);
const QColor gridColour(218, 223, 228);
const QColor axisColour(120, 128, 136);

QString shortMonth(int month)
{
    static const char *const names[] = {"Gen", "Feb", "Mar", "Apr", "Mag", "Giu",
                                        "Lug", "Ago", "Set", "Ott", "Nov", "Dic"};
    return month >= 1 && month <= 12 ? QString::fromLatin1(names[month - 1]) : QString();
}

QString euro(double amount)
{
    return core::formatItalianNumber(amount == 0 ? 0.0 : amount, 0) + QStringLiteral(" €");
}

// Round steps for the amounts' axis (1, 2, 2.5 or 5 times a power of ten, at least one euro), and
// the range they cover.
struct AmountScale
{
    double low = 0;
    double high = 1;
    double step = 1;
};

AmountScale amountScale(double low, double high)
{
    if (high - low < 1)
        high = low + 1;
    const double raw = (high - low) / 5;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double residual = raw / magnitude;
    double step = residual <= 1 ? 1 : residual <= 2 ? 2 : residual <= 2.5 ? 2.5 : residual <= 5 ? 5 : 10;
    step = std::max(1.0, step * magnitude);
    return {std::floor(low / step) * step, std::ceil(high / step) * step, step};
}

// The monthly rows a chart reads: the workstation's rows of the work table that carry a month.
core::Result<ReportRows> monthlyRows(storage::Archive &archive, const storage::TableDef &table,
                                     const QString &workstation)
{
    const core::Result<storage::Archive::Rows> rows = archive.readRows(
        QStringLiteral("SELECT Mese, Entrata, Importo FROM %1 WHERE NomeComputer = ? AND Mese IS NOT NULL "
                       "ORDER BY Mese, %2")
            .arg(table.name, table.keyName()),
        {workstation});
    if (!rows)
        return core::Result<ReportRows>::failure(rows.error());
    return ReportRows{rows->fields, rows->values};
}

} // namespace

QList<double> ReportChart::cumulativeMargin() const
{
    QList<double> margins;
    double margin = 0;
    for (const ChartMonth &month : months) {
        margin += month.revenue - month.cost;
        margins.append(core::arrotonda(margin));
    }
    return margins;
}

QString chartMonthName(const QDate &month)
{
    return shortMonth(month.month()) + u' ' + QString::number(month.year());
}

core::Status loadChartRows(storage::Archive &archive, const QString &workstation,
                           const ReportRequest &request, ReportData &data)
{
    QStringList files{request.reportFile};
    if (!request.landscapeFile.isEmpty() && request.landscapeFile != request.reportFile &&
        QFileInfo::exists(request.landscapeFile))
        files.append(request.landscapeFile);
    for (const QString &file : files) {
        const core::Result<ReportLayout> layout = ReportLayout::load(file);
        if (!layout || !layout->chart)
            continue;
        const QString tableName = layout->chart->workTable;
        if (data.chartRows.contains(tableName.toLower()))
            continue;
        // The name comes from a layout file, not from the request: it must be one of the archive's
        // work tables with monthly rows, and only then does it go into the statement.
        const storage::TableDef *table = archive.schema().table(tableName);
        if (!table || !table->isWorkTable() || !table->field(QStringLiteral("Mese")) ||
            !table->field(QStringLiteral("Entrata")) || !table->field(QStringLiteral("Importo")))
            return core::Status::failure(
                QStringLiteral("Il modello di stampa %1 non è valido: il grafico legge la tabella «%2», che "
                               "non ha righe mensili della postazione.")
                    .arg(QFileInfo(file).fileName(), tableName));
        core::Result<ReportRows> rows = monthlyRows(archive, *table, workstation);
        if (!rows)
            return core::Status::failure(rows.error());
        data.chartRows.insert(tableName.toLower(), std::move(rows).value());
    }
    return {};
}

ReportChart composeChart(const LayoutChart &layout, const ReportRows &rows)
{
    ReportChart chart;
    chart.title = layout.title;
    chart.heightMm = layout.heightMm;
    QMap<QDate, ChartMonth> byMonth;
    for (int r = 0; r < rows.rows.size(); ++r) {
        const QDate day = storage::sqlvalue::toDate(rows.value(r, QStringLiteral("Mese")));
        if (!day.isValid())
            continue;
        const QDate first(day.year(), day.month(), 1);
        ChartMonth &month = byMonth[first];
        month.month = first;
        const double amount = rows.value(r, QStringLiteral("Importo")).toDouble();
        (rows.value(r, QStringLiteral("Entrata")).toBool() ? month.revenue : month.cost) += amount;
    }
    for (ChartMonth month : byMonth) {
        month.revenue = core::arrotonda(month.revenue);
        month.cost = core::arrotonda(month.cost);
        chart.months.append(month);
    }
    return chart;
}

void drawChart(QPainter &painter, const QRectF &area, const ReportChart &chart, const QFont &font, double mm)
{
    if (chart.months.isEmpty())
        return;
    painter.save();
    QFont bold = font;
    bold.setBold(true);
    const QFontMetricsF metrics(font, painter.device());
    const QFontMetricsF boldMetrics(bold, painter.device());
    const double line = metrics.lineSpacing();

    // The title on the left and the legend on the right of the first line.
    const double headHeight = std::max(boldMetrics.lineSpacing(), line);
    painter.setPen(Qt::black);
    if (!chart.title.isEmpty()) {
        painter.setFont(bold);
        painter.drawText(QRectF(area.left(), area.top(), area.width(), headHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, chart.title);
    }
    painter.setFont(font);
    const QList<std::pair<QColor, QString>> legend{{revenueColour, QStringLiteral("Entrate")},
                                                   {costColour, QStringLiteral("Uscite")},
                                                   {marginColour, QStringLiteral("Margine cumulato")}};
    double x = area.right();
    for (auto it = legend.crbegin(); it != legend.crend(); ++it) {
        const double textWidth = metrics.horizontalAdvance(it->second);
        x -= textWidth;
        painter.setPen(Qt::black);
        painter.drawText(QRectF(x, area.top(), textWidth, headHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         it->second);
        x -= mm * 4.5;
        const QRectF swatch(x, area.top() + (headHeight - mm * 3) / 2, mm * 3, mm * 3);
        if (it->first == marginColour) {
            painter.setPen(QPen(marginColour, mm * 0.5));
            painter.drawLine(QPointF(swatch.left(), swatch.center().y()),
                             QPointF(swatch.right(), swatch.center().y()));
        } else {
            painter.fillRect(swatch, it->first);
        }
        x -= mm * 5;
    }

    // The amounts' range takes in the bars and the margin line, and zero.
    const QList<double> margins = chart.cumulativeMargin();
    double low = 0;
    double high = 0;
    for (qsizetype i = 0; i < chart.months.size(); ++i) {
        for (double value : {chart.months.at(i).revenue, chart.months.at(i).cost, margins.at(i)}) {
            low = std::min(low, value);
            high = std::max(high, value);
        }
    }
    const AmountScale scale = amountScale(low, high);
    double labelWidth = 0;
    for (double value = scale.low; value <= scale.high + scale.step / 2; value += scale.step)
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(euro(value)));
    labelWidth += mm * 2;
    const double plotTop = area.top() + headHeight + line;
    const QRectF plot(area.left() + labelWidth, plotTop, area.width() - labelWidth - mm,
                      area.bottom() - plotTop - line * 2 - mm);
    if (plot.height() <= 0 || plot.width() <= 0) {
        painter.restore();
        return;
    }
    const auto yOf = [&](double value) {
        return plot.bottom() - (value - scale.low) / (scale.high - scale.low) * plot.height();
    };

    for (double value = scale.low; value <= scale.high + scale.step / 2; value += scale.step) {
        const double y = yOf(value);
        painter.setPen(QPen(std::abs(value) < scale.step / 2 ? axisColour : gridColour, mm * 0.2));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(area.left(), y - line / 2, labelWidth - mm * 2, line),
                         Qt::AlignRight | Qt::AlignVCenter,
                         euro(std::abs(value) < scale.step / 2 ? 0.0 : value));
    }

    // Two bars for each month, revenue on the left of its middle and cost on the right.
    const qsizetype count = chart.months.size();
    const double slot = plot.width() / static_cast<double>(count);
    const double barWidth = std::min(slot * 0.36, mm * 12);
    const double zero = yOf(0);
    const auto centreOf = [&](qsizetype i) {
        return plot.left() + slot * (static_cast<double>(i) + 0.5);
    };
    for (qsizetype i = 0; i < count; ++i) {
        const ChartMonth &month = chart.months.at(i);
        const double centre = centreOf(i);
        painter.fillRect(
            QRectF(QPointF(centre - barWidth, yOf(month.revenue)), QPointF(centre, zero)).normalized(),
            revenueColour);
        painter.fillRect(
            QRectF(QPointF(centre, yOf(month.cost)), QPointF(centre + barWidth, zero)).normalized(),
            costColour);
    }
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    for (qsizetype i = 0; i < count; ++i) {
        const QPointF point(centreOf(i), yOf(margins.at(i)));
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    painter.setPen(QPen(marginColour, mm * 0.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    painter.setBrush(marginColour);
    for (qsizetype i = 0; i < count; ++i)
        painter.drawEllipse(QPointF(centreOf(i), yOf(margins.at(i))), mm * 0.8, mm * 0.8);

    // The months under the plot, the year under the first one and under each January; with many
    // months only every few are named, so that the names never overlap.
    painter.setPen(Qt::black);
    const double nameWidth = metrics.horizontalAdvance(QStringLiteral("Mag ")) + mm;
    const qsizetype every = std::max<qsizetype>(1, static_cast<qsizetype>(std::ceil(nameWidth / slot)));
    for (qsizetype i = 0; i < count; i += every) {
        const QDate month = chart.months.at(i).month;
        const QRectF box(centreOf(i) - slot * every / 2, plot.bottom() + mm, slot * every, line);
        painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop, shortMonth(month.month()));
        if (i == 0 || month.month() <= every)
            painter.drawText(box.translated(0, line), Qt::AlignHCenter | Qt::AlignTop,
                             QString::number(month.year()));
    }
    painter.restore();
}

QImage chartImage(const ReportChart &chart)
{
    constexpr double dotsPerInch = 150;
    const double mm = dotsPerInch / 25.4;
    QImage image(qRound(180 * mm), qRound(chart.heightMm * mm), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dotsPerInch / 0.0254));
    image.setDotsPerMeterY(qRound(dotsPerInch / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(8);
    drawChart(painter, QRectF(mm * 2, mm * 2, image.width() - mm * 4, image.height() - mm * 4), chart, font,
              mm);
    return image;
}

QStringList chartTextLines(const ReportChart &chart)
{
    const QList<double> margins = chart.cumulativeMargin();
    QList<QStringList> cells{{QStringLiteral("Mese"), QStringLiteral("Entrate"), QStringLiteral("Uscite"),
                              QStringLiteral("Margine cumulato")}};
    for (qsizetype i = 0; i < chart.months.size(); ++i) {
        const ChartMonth &month = chart.months.at(i);
        cells.append({chartMonthName(month.month), core::formatItalianNumber(month.revenue, 2),
                      core::formatItalianNumber(month.cost, 2), core::formatItalianNumber(margins.at(i), 2)});
    }
    QList<qsizetype> widths(4, 0);
    for (const QStringList &row : cells) {
        for (qsizetype c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths.at(c), row.at(c).size());
    }
    QStringList lines;
    if (!chart.title.isEmpty())
        lines.append(chart.title);
    for (const QStringList &row : cells) {
        QStringList padded{row.at(0).leftJustified(widths.at(0))};
        for (qsizetype c = 1; c < row.size(); ++c)
            padded.append(row.at(c).rightJustified(widths.at(c)));
        lines.append(padded.join(QStringLiteral("  ")));
    }
    return lines;
}

} // namespace rotalina::print
