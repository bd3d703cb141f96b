#include "print/composedreport.h"

#include "core/datetext.h"
#include "core/money.h"
#include "core/numbertext.h"
#include "print/reportdata.h"
#include "storage/sqlvalue.h"

#include <QRegularExpression>
#include <algorithm>
#include <functional>

namespace rotalina::print {

QString formatValue(const QVariant &value, ValueFormat format)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (format) {
    case ValueFormat::Money: {
        // Rounded to the cent as the amounts were computed; no "-0,00" for a rounding residue.
        const double cents = core::arrotonda(value.toDouble());
        return core::formatItalianNumber(cents == 0 ? 0.0 : cents, 2);
    }
    case ValueFormat::Number: {
        // Up to four decimals, without trailing zeros: quantities, weights, rates.
        QString text = core::formatItalianNumber(value.toDouble(), 4);
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u','))
            text.chop(1);
        return text;
    }
    case ValueFormat::Integer:
        return core::formatItalianNumber(std::round(value.toDouble()), 0);
    case ValueFormat::Date:
        return core::datetext::formatShortDate(storage::sqlvalue::toDate(value));
    case ValueFormat::DateTime: {
        const QDateTime moment = storage::sqlvalue::toDateTime(value);
        return moment.isValid() ? moment.toString(QStringLiteral("dd/MM/yyyy HH:mm")) : QString();
    }
    case ValueFormat::YesNo:
        return value.toBool() ? QStringLiteral("Sì") : QStringLiteral("No");
    case ValueFormat::Upper:
        return value.toString().toUpper();
    case ValueFormat::Text:
        break;
    }
    if (storage::sqlvalue::isDate(value))
        return core::datetext::formatShortDate(storage::sqlvalue::toDate(value));
    if (value.typeId() == QMetaType::Double)
        return formatValue(value, ValueFormat::Money);
    return value.toString();
}

namespace {

ValueFormat formatNamed(const QString &name)
{
    static const QHash<QString, ValueFormat> formats = {
        {QStringLiteral("money"), ValueFormat::Money},       {QStringLiteral("number"), ValueFormat::Number},
        {QStringLiteral("integer"), ValueFormat::Integer},   {QStringLiteral("date"), ValueFormat::Date},
        {QStringLiteral("datetime"), ValueFormat::DateTime}, {QStringLiteral("yesno"), ValueFormat::YesNo},
        {QStringLiteral("upper"), ValueFormat::Upper}};
    return formats.value(name, ValueFormat::Text);
}

// The values of the first row of a statement, by field.
std::function<QVariant(const QString &)> firstRow(const ReportData &data)
{
    return [&data](const QString &field) {
        if (field.compare(QStringLiteral("Parametro"), Qt::CaseInsensitive) == 0) {
            // The parameter is typed text: an amount ("1.500,00") prints in the layout's format.
            bool amount = false;
            const double value = core::parseItalianNumber(data.parameter, &amount);
            return amount ? QVariant(value) : QVariant(data.parameter);
        }
        return data.main.value(0, field);
    };
}

QStringList expandLines(const QStringList &lines, const std::function<QVariant(const QString &)> &value)
{
    QStringList out;
    for (const QString &line : lines) {
        const QString text = expandTemplate(line, value);
        if (!text.trimmed().isEmpty())
            out.append(text);
    }
    return out;
}

QString notGiven()
{
    return QStringLiteral("non indicato");
}

// The rows a table prints, in the order it prints them: rows without the table's key are left out,
// and a table grouped against the statement's order gathers its groups (keeping their order).
QList<int> tableRows(const LayoutTable &layout, const ReportRows &rows)
{
    QList<int> order;
    for (int r = 0; r < rows.rows.size(); ++r) {
        if (layout.rowKey.isEmpty() || !rows.value(r, layout.rowKey).isNull())
            order.append(r);
    }
    if (layout.sortByGroup && !layout.groupField.isEmpty()) {
        // Rows without a group come last.
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            const QString first = formatValue(rows.value(a, layout.groupField), ValueFormat::Text).trimmed();
            const QString second = formatValue(rows.value(b, layout.groupField), ValueFormat::Text).trimmed();
            if (first.isEmpty() != second.isEmpty())
                return second.isEmpty();
            return QString::localeAwareCompare(first, second) < 0;
        });
    }
    return order;
}

ComposedTable composeTable(const LayoutTable &layout, const ReportRows &rows)
{
    ComposedTable table;
    table.title = layout.title;
    const bool groupShown =
        std::any_of(layout.columns.cbegin(), layout.columns.cend(), [&](const LayoutColumn &column) {
            return column.field.compare(layout.groupField, Qt::CaseInsensitive) == 0;
        });
    if (!layout.groupField.isEmpty() && !groupShown)
        table.groupColumn = layout.groupField;
    for (const LayoutColumn &column : layout.columns) {
        table.titles.append(column.title);
        table.widths.append(column.width);
        table.alignments.append(column.align);
    }
    const qsizetype columns = layout.columns.size();
    QList<double> subtotals(columns, 0.0);
    QList<double> totals(columns, 0.0);
    const auto sumRow = [&](ComposedTable::Row::Kind kind, const QList<double> &sums,
                            const QString &caption) {
        ComposedTable::Row row{kind, QStringList(columns)};
        for (qsizetype c = 0; c < columns; ++c) {
            const ValueFormat format = layout.columns.at(c).format;
            if (layout.columns.at(c).total)
                row.cells[c] =
                    formatValue(sums.at(c), format == ValueFormat::Integer || format == ValueFormat::Number
                                                ? format
                                                : ValueFormat::Money);
        }
        // The caption goes in the first column that carries no sum.
        for (qsizetype c = 0; c < columns; ++c) {
            if (!layout.columns.at(c).total) {
                row.cells[c] = caption;
                break;
            }
        }
        table.rows.append(row);
    };

    const QList<int> order = tableRows(layout, rows);
    QString currentGroup;
    bool inGroup = false;
    for (const int r : order) {
        if (!layout.groupField.isEmpty()) {
            // Rows without the group's value gather under "non indicato", not under a bare caption.
            const auto value = [&](const QString &field) {
                const QVariant v = rows.value(r, field);
                if (field.compare(layout.groupField, Qt::CaseInsensitive) == 0 &&
                    v.toString().trimmed().isEmpty())
                    return QVariant(notGiven());
                return v;
            };
            QString group = formatValue(rows.value(r, layout.groupField), ValueFormat::Text);
            if (group.trimmed().isEmpty())
                group = notGiven();
            if (!inGroup || group != currentGroup) {
                if (inGroup && layout.groupSubtotals)
                    sumRow(ComposedTable::Row::Subtotal, subtotals, QStringLiteral("Totale ") + currentGroup);
                subtotals.fill(0.0);
                currentGroup = group;
                inGroup = true;
                table.rows.append(
                    {ComposedTable::Row::GroupHeading, {expandTemplate(layout.groupTitle, value, false)}});
            }
        }
        ComposedTable::Row row;
        for (qsizetype c = 0; c < columns; ++c) {
            const LayoutColumn &column = layout.columns.at(c);
            const QVariant cell = rows.value(r, column.field);
            row.cells.append(formatValue(cell, column.format));
            if (column.total) {
                subtotals[c] += cell.toDouble();
                totals[c] += cell.toDouble();
            }
        }
        table.rows.append(row);
    }
    if (inGroup && layout.groupSubtotals)
        sumRow(ComposedTable::Row::Subtotal, subtotals, QStringLiteral("Totale ") + currentGroup);
    if (order.isEmpty() && !layout.emptyText.isEmpty())
        table.rows.append({ComposedTable::Row::Empty, {layout.emptyText}});
    if (layout.grandTotal && !order.isEmpty())
        sumRow(ComposedTable::Row::Total, totals, QStringLiteral("Totale"));
    return table;
}

// The VAT summary of a document: taxable amount and tax for each rate (and exemption) of its rows.
ReportBlock vatSummary(const LayoutDocument &document, const LayoutTable &rowsLayout, const ReportRows &rows)
{
    struct Line
    {
        double rate = 0;
        QString description;
        double taxable = 0;
    };
    QList<Line> lines;
    for (const int r : tableRows(rowsLayout, rows)) {
        const double rate = rows.value(r, document.vatRateField).toDouble();
        const QString description = rows.value(r, document.vatDescriptionField).toString().trimmed();
        auto line = std::find_if(lines.begin(), lines.end(), [&](const Line &l) {
            return l.rate == rate && l.description == description;
        });
        if (line == lines.end())
            line = lines.insert(lines.end(), Line{rate, description, 0});
        line->taxable += rows.value(r, document.vatTaxableField).toDouble();
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const Line &a, const Line &b) { return a.rate < b.rate; });
    ReportBlock block;
    block.kind = ReportBlock::Table;
    block.table.title = QStringLiteral("Riepilogo IVA");
    block.table.titles = {QStringLiteral("Aliquota"), QStringLiteral("Descrizione"),
                          QStringLiteral("Imponibile"), QStringLiteral("Imposta")};
    block.table.widths = {1, 3, 1.5, 1.5};
    block.table.alignments = {Qt::AlignRight, Qt::AlignLeft, Qt::AlignRight, Qt::AlignRight};
    for (const Line &line : lines) {
        const double base = core::arrotonda(line.taxable);
        const double tax = core::arrotonda(base * line.rate / 100);
        block.table.rows.append(
            {ComposedTable::Row::Data,
             {formatValue(line.rate, ValueFormat::Number) + u'%', line.description,
              formatValue(base, ValueFormat::Money), formatValue(tax, ValueFormat::Money)}});
    }
    return block;
}

} // namespace

QString expandTemplate(const QString &text, const std::function<QVariant(const QString &)> &value,
                       bool dropWhenEmpty)
{
    static const QRegularExpression placeholder(QStringLiteral(R"(\{([A-Za-z0-9_]+)(?:\|([a-z]+))?\})"));
    QString out;
    qsizetype from = 0;
    int placeholders = 0;
    int filled = 0;
    auto it = placeholder.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        out += text.mid(from, match.capturedStart() - from);
        const QString formatted = formatValue(value(match.captured(1)), formatNamed(match.captured(2)));
        ++placeholders;
        if (!formatted.trimmed().isEmpty())
            ++filled;
        out += formatted;
        from = match.capturedEnd();
    }
    out += text.mid(from);
    if (dropWhenEmpty && placeholders > 0 && filled == 0)
        return {};
    // "({Provincia})" of an address without province leaves no empty brackets behind.
    if (filled < placeholders && !text.contains(QStringLiteral("()")))
        out.remove(QStringLiteral("()"));
    return out.simplified();
}

const ComposedTable *ComposedReport::mainTable() const
{
    for (const ReportBlock &block : blocks) {
        if (block.kind == ReportBlock::Table && !block.table.titles.isEmpty())
            return &block.table;
    }
    return nullptr;
}

ComposedReport compose(const ReportLayout &layout, const ReportData &data, bool withHeader)
{
    ComposedReport report;
    report.title = expandTemplate(layout.title, firstRow(data), false);
    report.landscape = layout.landscape;
    report.fontSize = layout.fontSize;
    report.withHeader = withHeader;
    report.companyName = data.company.name;
    report.companyLines = data.company.lines;
    report.logo = data.company.logo;
    const auto header = firstRow(data);

    if (layout.kind == LayoutKind::Document) {
        const LayoutDocument &document = layout.document;
        report.blocks.append(
            ReportBlock::of(ReportBlock::Heading, expandTemplate(document.heading, header, false)));
        ReportBlock boxes;
        boxes.kind = ReportBlock::Boxes;
        boxes.left = expandLines(document.reference, header);
        boxes.rightTitle = document.partyTitle;
        boxes.right = expandLines(document.party, header);
        report.blocks.append(boxes);
        if (!document.details.isEmpty()) {
            ReportBlock details;
            details.kind = ReportBlock::Pairs;
            for (const auto &[caption, text] : document.details) {
                const QString value = expandTemplate(text, header);
                if (!value.isEmpty())
                    details.pairs.append({caption, value});
            }
            if (!details.pairs.isEmpty())
                report.blocks.append(details);
        }
    } else if (!layout.title.isEmpty()) {
        report.blocks.append(
            ReportBlock::of(ReportBlock::Heading, expandTemplate(layout.title, header, false)));
    }
    if (!layout.parameterLine.isEmpty() && !data.parameter.trimmed().isEmpty())
        report.blocks.append(
            ReportBlock::of(ReportBlock::Paragraph, expandTemplate(layout.parameterLine, header, false)));

    // A paragraph of fields that are all empty ("Codice fiscale: {CodFiscale}") is left out.
    for (const QString &paragraph : layout.text) {
        const QString text = expandTemplate(paragraph, header, true);
        if (!text.isEmpty())
            report.blocks.append(ReportBlock::of(ReportBlock::Paragraph, text));
    }

    if (layout.kind == LayoutKind::Labels) {
        ReportBlock labels;
        labels.kind = ReportBlock::Labels;
        labels.labelsAcross = layout.labels.across;
        labels.labelHeightMm = layout.labels.heightMm;
        for (int r = 0; r < data.main.rows.size(); ++r)
            labels.labels.append(expandLines(
                layout.labels.lines, [&data, r](const QString &field) { return data.main.value(r, field); }));
        report.blocks.append(labels);
    }

    for (const LayoutTable &table : layout.tables) {
        ReportBlock block;
        block.kind = ReportBlock::Table;
        block.table = composeTable(table, data.rows(table.source));
        // A sub-report with nothing to show and nothing to say about it is left out.
        if (table.source != 0 && block.table.rows.isEmpty())
            continue;
        report.blocks.append(block);
        if (layout.kind == LayoutKind::Document && table.source == 0) {
            if (layout.document.vatSummary)
                report.blocks.append(vatSummary(layout.document, table, data.main));
            ReportBlock totals;
            totals.kind = ReportBlock::Pairs;
            totals.alignRight = true;
            for (const auto &[caption, text] : layout.document.totals) {
                const QString value = expandTemplate(text, header);
                if (!value.isEmpty())
                    totals.pairs.append({caption, value});
            }
            if (!totals.pairs.isEmpty())
                report.blocks.append(totals);
        }
    }
    // A chart without months (a period summed before months were kept) is left out.
    if (layout.chart) {
        ReportBlock chart;
        chart.kind = ReportBlock::Chart;
        chart.chart = composeChart(*layout.chart, data.chartRows.value(layout.chart->workTable.toLower()));
        if (!chart.chart.months.isEmpty())
            report.blocks.append(chart);
    }
    if (layout.kind == LayoutKind::Document) {
        for (const QString &line : expandLines(layout.document.closing, header))
            report.blocks.append(ReportBlock::of(ReportBlock::Paragraph, line));
    }
    return report;
}

} // namespace rotalina::print
