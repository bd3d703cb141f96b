#pragma once

#include "print/layout.h"
#include "print/reportchart.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace rotalina::print {

struct ReportData;

// A table as it is printed: formatted cells, group headings, subtotals and total.
struct ComposedTable
{
    struct Row
    {
        enum Kind { Data, GroupHeading, Subtotal, Total, Empty } kind = Data;
        QStringList cells; // one per column; a heading or an empty note has its text in the first cell
    };
    QString title;
    QString groupColumn; // grouped rows whose group shows only in the headings: the group's field
    QStringList titles;
    QList<double> widths; // relative
    QList<Qt::Alignment> alignments;
    QList<Row> rows;
};

// One part of a report page from top to bottom.
struct ReportBlock
{
    enum Kind {
        Heading,   // the report's or document's title
        Paragraph, // a line or a paragraph of text
        Boxes,     // two boxes side by side: the document's reference and its party
        Pairs,     // captions and values
        Table,
        Labels,
        Chart
    } kind = Paragraph;
    QString text;
    QString leftTitle;
    QStringList left;
    QString rightTitle;
    QStringList right;
    QList<QPair<QString, QString>> pairs;
    bool alignRight = false; // pairs placed on the right (totals)
    ComposedTable table;
    int labelsAcross = 3;
    double labelHeightMm = 36;
    QList<QStringList> labels;
    ReportChart chart;

    static ReportBlock of(Kind kind, const QString &text = {})
    {
        ReportBlock block;
        block.kind = kind;
        block.text = text;
        return block;
    }
};

// A report ready to be drawn, exported or written as text.
struct ComposedReport
{
    QString title;
    bool landscape = false;
    double fontSize = 9;
    bool withHeader = true;
    QString companyName;
    QStringList companyLines;
    QByteArray logo;
    QList<ReportBlock> blocks;

    // The main table, for the exports that hold only rows (CSV, text); null when there is none.
    const ComposedTable *mainTable() const;
};

// Fills the layout with the data of a request.
ComposedReport compose(const ReportLayout &layout, const ReportData &data, bool withHeader);

// How a value is written: 1.234,56 for money, dd/mm/yyyy for dates, "Sì"/"No" for yes/no.
QString formatValue(const QVariant &value, ValueFormat format);

// A text with {Field} and {Field|format} placeholders filled from a row; the line is left out (an
// empty text) when it has placeholders and every one of them is empty.
QString expandTemplate(const QString &text, const std::function<QVariant(const QString &)> &value,
                       bool dropWhenEmpty = true);

} // namespace rotalina::print
