#include "print/documentexport.h"

#include "print/pagerenderer.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>
#include <QTextDocumentWriter>

namespace rotalina::print {

namespace {

QString escaped(const QString &text)
{
    return text.toHtmlEscaped().replace(u'\n', QStringLiteral("<br/>"));
}

QString alignment(Qt::Alignment align)
{
    if (align & Qt::AlignRight)
        return QStringLiteral("right");
    if (align & Qt::AlignHCenter)
        return QStringLiteral("center");
    return QStringLiteral("left");
}

QString tableHtml(const ComposedTable &table)
{
    QString html;
    if (!table.title.isEmpty())
        html += QStringLiteral("<h3>%1</h3>").arg(escaped(table.title));
    double sum = 0;
    for (double w : table.widths)
        sum += w;
    html += QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\" border=\"1\" "
                           "style=\"border-collapse: collapse; border-color: #c0c8d0;\"><thead><tr>");
    for (qsizetype c = 0; c < table.titles.size(); ++c)
        html += QStringLiteral("<th bgcolor=\"#e0e8f0\" width=\"%1%\" align=\"%2\">%3</th>")
                    .arg(qRound(100 * table.widths.at(c) / std::max(sum, 1e-9)))
                    .arg(alignment(table.alignments.at(c)), escaped(table.titles.at(c)));
    html += QStringLiteral("</tr></thead><tbody>");
    const int columns = static_cast<int>(table.titles.size());
    for (const ComposedTable::Row &row : table.rows) {
        switch (row.kind) {
        case ComposedTable::Row::GroupHeading:
            html += QStringLiteral("<tr><td colspan=\"%1\" bgcolor=\"#f2f5f8\"><b>%2</b></td></tr>")
                        .arg(columns)
                        .arg(escaped(row.cells.value(0)));
            break;
        case ComposedTable::Row::Empty:
            html += QStringLiteral("<tr><td colspan=\"%1\"><i>%2</i></td></tr>")
                        .arg(columns)
                        .arg(escaped(row.cells.value(0)));
            break;
        default: {
            const bool strong = row.kind != ComposedTable::Row::Data;
            html += QStringLiteral("<tr>");
            for (qsizetype c = 0; c < row.cells.size(); ++c) {
                const QString cell = escaped(row.cells.at(c));
                html +=
                    QStringLiteral("<td align=\"%1\">%2</td>")
                        .arg(alignment(table.alignments.value(c)), strong ? u"<b>" + cell + u"</b>" : cell);
            }
            html += QStringLiteral("</tr>");
        }
        }
    }
    return html + QStringLiteral("</tbody></table>");
}

QString logoHtml(const QByteArray &logo)
{
    QImage image;
    if (logo.isEmpty() || !image.loadFromData(logo))
        return {};
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.scaledToHeight(std::min(image.height(), 90), Qt::SmoothTransformation).save(&buffer, "PNG");
    return QStringLiteral("<img src=\"data:image/png;base64,%1\" height=\"70\"/>")
        .arg(QString::fromLatin1(png.toBase64()));
}

// The chart as a picture, which HTML and ODT readers show as it is printed.
QString chartHtml(const ReportChart &chart)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    const QImage image = chartImage(chart);
    image.save(&buffer, "PNG");
    return QStringLiteral(
               "<p><img src=\"data:image/png;base64,%1\" width=\"680\" height=\"%2\" alt=\"%3\"/></p>")
        .arg(QString::fromLatin1(png.toBase64()))
        .arg(qRound(680.0 * image.height() / std::max(1, image.width())))
        .arg(escaped(chart.title));
}

// Values as a spreadsheet takes them: quoted when they hold the separator, a quote or a line break.
QString csvValue(const QString &value)
{
    if (value.contains(u';') || value.contains(u'"') || value.contains(u'\n'))
        return u'"' + QString(value).replace(u'"', QStringLiteral("\"\"")) + u'"';
    return value;
}

} // namespace

QString reportHtml(const ComposedReport &report)
{
    QString html =
        QStringLiteral("<!DOCTYPE html>\n<html lang=\"it\"><head><meta charset=\"utf-8\"><title>%1</title>"
                       "<style>body{font-family:'DejaVu Sans',Arial,sans-serif;font-size:%2pt;}"
                       "table{border-collapse:collapse;margin-bottom:10px;}th,td{padding:3px 5px;}"
                       ".box{border:1px solid #c0c8d0;padding:6px;vertical-align:top;}</style></head><body>")
            .arg(escaped(report.title))
            .arg(report.fontSize);
    if (report.withHeader && (!report.companyName.isEmpty() || !report.companyLines.isEmpty())) {
        html += QStringLiteral("<table width=\"100%\" border=\"0\"><tr><td width=\"1%\">%1</td><td><b "
                               "style=\"font-size:%2pt\">%3</b>")
                    .arg(logoHtml(report.logo))
                    .arg(report.fontSize + 4)
                    .arg(escaped(report.companyName));
        for (const QString &line : report.companyLines)
            html += QStringLiteral("<br/>") + escaped(line);
        html += QStringLiteral("</td></tr></table><hr/>");
    }
    for (const ReportBlock &block : report.blocks) {
        switch (block.kind) {
        case ReportBlock::Heading:
            html += QStringLiteral("<h2>%1</h2>").arg(escaped(block.text));
            break;
        case ReportBlock::Paragraph:
            html += QStringLiteral("<p>%1</p>").arg(escaped(block.text));
            break;
        case ReportBlock::Boxes: {
            const auto boxHtml = [](const QString &title, const QStringList &lines) {
                QString cell = title.isEmpty() ? QString()
                                               : QStringLiteral("<small>%1</small><br/>").arg(escaped(title));
                for (qsizetype i = 0; i < lines.size(); ++i)
                    cell += (i == 0 ? QStringLiteral("<b>%1</b>") : QStringLiteral("<br/>%1"))
                                .arg(escaped(lines.at(i)));
                return cell;
            };
            html += QStringLiteral(
                        "<table width=\"100%\" cellspacing=\"8\"><tr><td class=\"box\" width=\"42%\">%1</td>"
                        "<td class=\"box\">%2</td></tr></table>")
                        .arg(boxHtml(block.leftTitle, block.left), boxHtml(block.rightTitle, block.right));
            break;
        }
        case ReportBlock::Pairs:
            html += QStringLiteral("<table %1>")
                        .arg(block.alignRight ? QStringLiteral("align=\"right\"") : QString());
            for (const auto &[caption, value] : block.pairs)
                html += QStringLiteral("<tr><td><b>%1</b></td><td align=\"%2\">%3</td></tr>")
                            .arg(escaped(caption),
                                 block.alignRight ? QStringLiteral("right") : QStringLiteral("left"),
                                 escaped(value));
            html += QStringLiteral("</table><br clear=\"all\"/>");
            break;
        case ReportBlock::Table:
            html += tableHtml(block.table);
            break;
        case ReportBlock::Labels: {
            html += QStringLiteral("<table width=\"100%\" cellspacing=\"6\">");
            for (qsizetype i = 0; i < block.labels.size(); ++i) {
                if (i % block.labelsAcross == 0)
                    html += QStringLiteral("<tr>");
                html += QStringLiteral("<td class=\"box\">") + escaped(block.labels.at(i).join(u'\n')) +
                        QStringLiteral("</td>");
                if (i % block.labelsAcross == block.labelsAcross - 1 || i == block.labels.size() - 1)
                    html += QStringLiteral("</tr>");
            }
            html += QStringLiteral("</table>");
            break;
        }
        case ReportBlock::Chart:
            html += chartHtml(block.chart);
            break;
        }
    }
    return html + QStringLiteral("</body></html>\n");
}

QString reportCsv(const ComposedReport &report)
{
    const ComposedTable *table = report.mainTable();
    QString csv;
    if (!table) {
        // Labels and texts: one line per label or paragraph.
        for (const ReportBlock &block : report.blocks) {
            for (const QStringList &label : block.labels)
                csv += csvValue(label.join(QStringLiteral(", "))) + u'\n';
            if (block.kind == ReportBlock::Paragraph)
                csv += csvValue(block.text) + u'\n';
        }
        return csv;
    }
    // A spreadsheet has no group headings: each row carries its group in a first column instead.
    const bool grouped = !table->groupColumn.isEmpty();
    QStringList header;
    if (grouped)
        header.append(csvValue(table->groupColumn));
    for (const QString &title : table->titles)
        header.append(csvValue(title));
    csv += header.join(u';') + u'\n';
    QString group;
    for (const ComposedTable::Row &row : table->rows) {
        if (row.kind == ComposedTable::Row::GroupHeading)
            group = row.cells.value(0);
        if (row.kind != ComposedTable::Row::Data)
            continue;
        QStringList values;
        if (grouped)
            values.append(csvValue(group));
        for (const QString &cell : row.cells)
            values.append(csvValue(cell));
        csv += values.join(u';') + u'\n';
    }
    return csv;
}

QString reportText(const ComposedReport &report)
{
    QString text;
    if (report.withHeader && !report.companyName.isEmpty()) {
        text += report.companyName + u'\n';
        for (const QString &line : report.companyLines)
            text += line + u'\n';
        text += u'\n';
    }
    for (const ReportBlock &block : report.blocks) {
        switch (block.kind) {
        case ReportBlock::Heading:
        case ReportBlock::Paragraph:
            text += block.text + QStringLiteral("\n\n");
            break;
        case ReportBlock::Boxes:
            for (const QString &line : block.left + block.right)
                text += line + u'\n';
            text += u'\n';
            break;
        case ReportBlock::Pairs:
            for (const auto &[caption, value] : block.pairs)
                text += caption + QStringLiteral(": ") + value + u'\n';
            text += u'\n';
            break;
        case ReportBlock::Labels:
            for (const QStringList &label : block.labels)
                text += label.join(u'\n') + QStringLiteral("\n\n");
            break;
        case ReportBlock::Chart:
            text += chartTextLines(block.chart).join(u'\n') + QStringLiteral("\n\n");
            break;
        case ReportBlock::Table: {
            const ComposedTable &table = block.table;
            if (!table.title.isEmpty())
                text += table.title + u'\n';
            QList<qsizetype> widths;
            for (const QString &title : table.titles)
                widths.append(title.size());
            for (const ComposedTable::Row &row : table.rows) {
                if (row.kind == ComposedTable::Row::GroupHeading || row.kind == ComposedTable::Row::Empty)
                    continue;
                for (qsizetype c = 0; c < row.cells.size() && c < widths.size(); ++c)
                    widths[c] = std::max(widths.at(c), row.cells.at(c).size());
            }
            const auto line = [&](const QStringList &cells) -> QString {
                QStringList padded;
                for (qsizetype c = 0; c < cells.size() && c < widths.size(); ++c)
                    padded.append(table.alignments.value(c) & Qt::AlignRight
                                      ? cells.at(c).rightJustified(widths.at(c))
                                      : cells.at(c).leftJustified(widths.at(c)));
                return padded.join(QStringLiteral("  ")).trimmed() + u'\n';
            };
            text += line(table.titles);
            for (const ComposedTable::Row &row : table.rows)
                text += row.kind == ComposedTable::Row::GroupHeading || row.kind == ComposedTable::Row::Empty
                            ? row.cells.value(0) + u'\n'
                            : line(row.cells);
            text += u'\n';
            break;
        }
        }
    }
    return text;
}

core::Status writeExportFile(const QString &path, const std::function<bool(QIODevice &file)> &write)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return core::Status::failure(
            QStringLiteral("Impossibile scrivere il file %1: %2").arg(path, file.errorString()));
    if (!write(file) || !file.commit())
        return core::Status::failure(
            QStringLiteral("Impossibile scrivere il file %1: %2").arg(path, file.errorString()));
    return {};
}

bool writePdf(QIODevice &file, const QString &title, const std::function<void(QPdfWriter &pdf)> &paint)
{
    QPdfWriter pdf(&file);
    pdf.setResolution(300);
    pdf.setCreator(QStringLiteral("Rotalina"));
    pdf.setTitle(title);
    paint(pdf);
    return true;
}

bool writeOdt(QIODevice &file, const QTextDocument &document)
{
    // The writer closes its device when done, which a save file must not be: it writes to memory.
    QByteArray odt;
    QBuffer buffer(&odt);
    QTextDocumentWriter writer(&buffer, "odf");
    return writer.write(&document) && file.write(odt) == odt.size();
}

core::Status exportReport(const ComposedReport &report, ExportFormat format, const QString &path)
{
    return writeExportFile(path, [&](QIODevice &file) {
        switch (format) {
        case ExportFormat::Pdf:
            return writePdf(file, report.title, [&](QPdfWriter &pdf) {
                preparePage(report, pdf);
                renderPages(report, pdf);
            });
        case ExportFormat::Html:
            return file.write(reportHtml(report).toUtf8()) >= 0;
        case ExportFormat::Odt: {
            QTextDocument document;
            document.setHtml(reportHtml(report));
            return writeOdt(file, document);
        }
        case ExportFormat::Csv:
            // A byte-order mark tells spreadsheets the file is UTF-8.
            return file.write("\xEF\xBB\xBF") == 3 && file.write(reportCsv(report).toUtf8()) >= 0;
        case ExportFormat::Text:
            return file.write(reportText(report).toUtf8()) >= 0;
        }
        return false;
    });
}

} // namespace rotalina::print
