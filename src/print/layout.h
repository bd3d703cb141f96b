#pragma once

#include "core/result.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace rotalina::print {

// How a value is written in a report.
enum class ValueFormat { Text, Money, Number, Integer, Date, DateTime, YesNo, Upper };

struct LayoutColumn
{
    QString field;
    QString title;
    double width = 1; // relative to the other columns
    Qt::Alignment align = Qt::AlignLeft;
    ValueFormat format = ValueFormat::Text;
    bool total = false; // summed in group subtotals and in the grand total
};

// A table of the report: the rows of the main statement or of a sub-report statement.
struct LayoutTable
{
    int source = 0; // 0 the main statement, 1 and 2 the sub-reports
    QString title;  // shown above a sub-report table
    QList<LayoutColumn> columns;
    QString rowKey;           // rows whose key is empty are left out: a document without rows
                              // still gives one row of its header (left join)
    QString groupField;       // rows with the same value form a group
    bool sortByGroup = false; // group the rows even where the statement orders them otherwise
    QString groupTitle;       // text of the group's heading, with {fields}
    bool groupSubtotals = false;
    bool grandTotal = false;
    QString emptyText; // shown when the table has no rows
};

// The blocks of a document (invoice, job sheet, transport document...) above and below its rows;
// their {fields} come from the first row of the main statement.
struct LayoutDocument
{
    QString heading;       // "FATTURA", "DOCUMENTO DI TRASPORTO"...
    QStringList reference; // number and date lines, beside the party
    QString partyTitle;    // "Spett.le", "Destinatario"
    QStringList party;     // lines of the party block; a line whose fields are all empty is left out
    QList<QPair<QString, QString>> details; // caption and value, under the party
    bool vatSummary = false;                // the VAT summary by rate, from the rows
    QString vatRateField = QStringLiteral("AliquotaIva");
    QString vatTaxableField = QStringLiteral("TotaleImponibile");
    QString vatDescriptionField =
        QStringLiteral("DescrizioneIva");  // an exemption's wording, shown beside its rate
    QList<QPair<QString, QString>> totals; // caption and value, bottom right
    QStringList closing;                   // lines after the totals (notes, signatures)
};

struct LayoutLabels
{
    int across = 3;       // labels side by side
    double heightMm = 36; // height of a label
    QStringList lines;    // lines of a label, with {fields}
};

// A chart of revenue against cost month by month, drawn after the tables from the workstation's
// monthly rows of a work table (those with a month in Mese).
struct LayoutChart
{
    QString title;
    QString workTable;
    double heightMm = 75;
};

enum class LayoutKind { List, Document, Labels, Text };

// A report layout: what a ".rpt" file of the reports folder describes (JSON).
struct ReportLayout
{
    QString title;
    bool landscape = false;
    double fontSize = 9;
    LayoutKind kind = LayoutKind::List;
    QString parameterLine; // shown under the title when the request carries a parameter
    QStringList text;      // paragraphs (a privacy statement), with {fields}
    LayoutDocument document;
    LayoutLabels labels;
    QList<LayoutTable> tables; // the main table first, then the sub-reports
    std::optional<LayoutChart> chart;

    // The fields the layout reads from the main statement (0) and the sub-report statements (1, 2),
    // for checking a layout against its statements.
    std::array<QStringList, 3> fieldsUsed() const;

    // Reads a layout; the message names the file and what is wrong in it.
    static core::Result<ReportLayout> parse(const QByteArray &json, const QString &fileName);
    static core::Result<ReportLayout> load(const QString &path);
};

} // namespace rotalina::print
