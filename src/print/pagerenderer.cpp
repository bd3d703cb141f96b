#include "print/pagerenderer.h"

#include "core/datetext.h"

#include <QDate>
#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>

namespace rotalina::print {

namespace {

constexpr double marginMm = 12;
const QColor lineColour(150, 160, 170);
const QColor headColour(224, 232, 240);
const QColor groupColour(242, 245, 248);

// Lays the report out, and draws it when a painter is given: the same code measures the pages
// first and draws them afterwards, so that "Pagina n di m" knows m.
class Layouter
{
public:
    Layouter(const ComposedReport &report, QPagedPaintDevice &device, QPainter *painter, int totalPages)
        : m_report(report), m_device(device), m_painter(painter), m_totalPages(totalPages)
    {
        m_width = device.width();
        m_height = device.height();
        m_base = font(report.fontSize);
        m_bold = font(report.fontSize, true);
        m_small = font(report.fontSize - 1.5);
        m_footerHeight = report.withHeader ? line(m_small) * 1.8 : 0.0;
    }

    int run()
    {
        startPage();
        for (const ReportBlock &block : m_report.blocks)
            place(block);
        finishPage();
        return m_page;
    }

private:
    QFont font(double points, bool bold = false) const
    {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPointSizeF(points);
        f.setBold(bold);
        // No ligatures: the text copied or searched in the PDF reads "fi", not one "ﬁ" sign.
        f.setStyleStrategy(QFont::PreferNoShaping);
        return f;
    }
    double mm(double millimetres) const { return millimetres * m_device.logicalDpiY() / 25.4; }
    double line(const QFont &f) const { return QFontMetricsF(f, &m_device).lineSpacing(); }
    double bottom() const { return m_height - m_footerHeight; }

    double textHeight(const QFont &f, double width, const QString &text) const
    {
        const QFontMetricsF metrics(f, &m_device);
        if (text.isEmpty())
            return metrics.lineSpacing();
        if (!text.contains(u'\n') && metrics.horizontalAdvance(text) <= width)
            return metrics.lineSpacing();
        return metrics.boundingRect(QRectF(0, 0, width, 1e9), Qt::TextWordWrap, text).height();
    }

    void drawText(const QFont &f, const QRectF &box, int flags, const QString &text)
    {
        if (!m_painter)
            return;
        m_painter->setFont(f);
        m_painter->drawText(box, flags | Qt::TextWordWrap, text);
    }

    void startPage()
    {
        ++m_page;
        m_y = 0;
        if (!m_report.withHeader) {
            return;
        }
        if (m_page == 1)
            companyBlock();
        else
            runningHead();
    }

    void finishPage()
    {
        // Label sheets (no company header) are printed edge to edge, without a footer.
        if (!m_painter || !m_report.withHeader)
            return;
        m_painter->setPen(lineColour);
        m_painter->drawLine(QPointF(0, bottom() + m_footerHeight * 0.2),
                            QPointF(m_width, bottom() + m_footerHeight * 0.2));
        m_painter->setPen(Qt::black);
        const QRectF footer(0, bottom() + m_footerHeight * 0.3, m_width, m_footerHeight * 0.7);
        drawText(m_small, footer, Qt::AlignLeft | Qt::AlignVCenter,
                 QStringLiteral("Stampato il ") + core::datetext::formatShortDate(QDate::currentDate()));
        drawText(m_small, footer, Qt::AlignRight | Qt::AlignVCenter,
                 QStringLiteral("Pagina %1 di %2").arg(m_page).arg(std::max(m_totalPages, m_page)));
    }

    void newPage()
    {
        finishPage();
        if (m_painter)
            m_device.newPage();
        startPage();
    }

    void ensure(double height)
    {
        if (m_y + height > bottom() && m_y > 0)
            newPage();
    }

    void companyBlock()
    {
        double textLeft = 0;
        double logoHeight = 0;
        QImage logo;
        if (!m_report.logo.isEmpty() && logo.loadFromData(m_report.logo)) {
            logoHeight = mm(22);
            const double logoWidth = std::min(mm(55), logoHeight * logo.width() / std::max(1, logo.height()));
            if (m_painter)
                m_painter->drawImage(QRectF(0, 0, logoWidth, logoHeight), logo);
            textLeft = logoWidth + mm(5);
        }
        const QFont name = font(m_report.fontSize + 4, true);
        double y = 0;
        const double width = m_width - textLeft;
        if (!m_report.companyName.isEmpty()) {
            drawText(name, QRectF(textLeft, y, width, line(name)), Qt::AlignLeft, m_report.companyName);
            y += line(name);
        }
        for (const QString &text : m_report.companyLines) {
            drawText(m_small, QRectF(textLeft, y, width, line(m_small)), Qt::AlignLeft, text);
            y += line(m_small);
        }
        m_y = std::max(y, logoHeight) + mm(2);
        rule();
    }

    void runningHead()
    {
        const QString text = m_report.companyName.isEmpty()
                                 ? m_report.title
                                 : m_report.companyName + QStringLiteral("  -  ") + m_report.title;
        drawText(m_small, QRectF(0, 0, m_width, line(m_small)), Qt::AlignLeft, text);
        m_y = line(m_small) + mm(1);
        rule();
    }

    void rule()
    {
        if (m_painter) {
            m_painter->setPen(QPen(lineColour, mm(0.3)));
            m_painter->drawLine(QPointF(0, m_y), QPointF(m_width, m_y));
            m_painter->setPen(Qt::black);
        }
        m_y += mm(3);
    }

    void place(const ReportBlock &block)
    {
        switch (block.kind) {
        case ReportBlock::Heading: {
            const QFont f = font(m_report.fontSize + 6, true);
            const double h = textHeight(f, m_width, block.text);
            ensure(h);
            drawText(f, QRectF(0, m_y, m_width, h), Qt::AlignLeft, block.text);
            m_y += h + mm(2);
            break;
        }
        case ReportBlock::Paragraph: {
            const double h = textHeight(m_base, m_width, block.text);
            ensure(h);
            drawText(m_base, QRectF(0, m_y, m_width, h), Qt::AlignLeft | Qt::AlignJustify, block.text);
            m_y += h + mm(1.5);
            break;
        }
        case ReportBlock::Boxes:
            boxes(block);
            break;
        case ReportBlock::Pairs:
            pairs(block);
            break;
        case ReportBlock::Table:
            table(block.table);
            break;
        case ReportBlock::Labels:
            labels(block);
            break;
        case ReportBlock::Chart: {
            const double h = mm(block.chart.heightMm);
            ensure(h);
            if (m_painter)
                drawChart(*m_painter, QRectF(0, m_y, m_width, h), block.chart, m_small, mm(1));
            m_y += h + mm(3);
            break;
        }
        }
    }

    double boxHeight(const QString &title, const QStringList &lines, double width) const
    {
        double h = mm(4);
        if (!title.isEmpty())
            h += line(m_small);
        for (const QString &text : lines)
            h += textHeight(lines.first() == text ? m_bold : m_base, width - mm(4), text);
        return h;
    }

    void box(double x, double width, double height, const QString &title, const QStringList &lines)
    {
        if (m_painter) {
            m_painter->setPen(QPen(lineColour, mm(0.3)));
            m_painter->drawRoundedRect(QRectF(x, m_y, width, height), mm(1.5), mm(1.5));
            m_painter->setPen(Qt::black);
        }
        double y = m_y + mm(2);
        if (!title.isEmpty()) {
            drawText(m_small, QRectF(x + mm(2), y, width - mm(4), line(m_small)), Qt::AlignLeft, title);
            y += line(m_small);
        }
        bool first = true;
        for (const QString &text : lines) {
            const QFont &f = first ? m_bold : m_base;
            const double h = textHeight(f, width - mm(4), text);
            drawText(f, QRectF(x + mm(2), y, width - mm(4), h), Qt::AlignLeft, text);
            y += h;
            first = false;
        }
    }

    void boxes(const ReportBlock &block)
    {
        const double gap = mm(4);
        const double leftWidth = (m_width - gap) * 0.42;
        const double rightWidth = m_width - gap - leftWidth;
        const double height =
            std::max(block.left.isEmpty() ? 0.0 : boxHeight(block.leftTitle, block.left, leftWidth),
                     block.right.isEmpty() ? 0.0 : boxHeight(block.rightTitle, block.right, rightWidth));
        if (height <= 0)
            return;
        ensure(height);
        if (!block.left.isEmpty())
            box(0, leftWidth, height, block.leftTitle, block.left);
        if (!block.right.isEmpty())
            box(leftWidth + gap, rightWidth, height, block.rightTitle, block.right);
        m_y += height + mm(3);
    }

    void pairs(const ReportBlock &block)
    {
        const double width = block.alignRight ? m_width * 0.45 : m_width;
        const double x = block.alignRight ? m_width - width : 0;
        const double captionWidth = width * (block.alignRight ? 0.55 : 0.25);
        for (const auto &[caption, value] : block.pairs) {
            const double h = std::max(textHeight(m_bold, captionWidth, caption),
                                      textHeight(m_base, width - captionWidth, value));
            ensure(h);
            drawText(m_bold, QRectF(x, m_y, captionWidth, h), Qt::AlignLeft, caption);
            drawText(block.alignRight ? m_bold : m_base,
                     QRectF(x + captionWidth, m_y, width - captionWidth, h),
                     block.alignRight ? Qt::AlignRight : Qt::AlignLeft, value);
            m_y += h;
        }
        m_y += mm(2);
    }

    QList<double> columnWidths(const ComposedTable &table) const
    {
        double sum = 0;
        for (double w : table.widths)
            sum += w;
        QList<double> widths;
        for (double w : table.widths)
            widths.append(m_width * w / std::max(sum, 1e-9));
        return widths;
    }

    // The width each cell of a row takes: a subtotal's or total's caption runs over the empty
    // cells after it, so "Totale Alfa Logistica S.p.A." does not wrap in a narrow first column.
    static QList<double> cellWidths(const QList<double> &widths, const ComposedTable::Row &row)
    {
        QList<double> out = widths;
        if (row.kind != ComposedTable::Row::Subtotal && row.kind != ComposedTable::Row::Total)
            return out;
        for (qsizetype c = 0; c < row.cells.size() && c < out.size(); ++c) {
            if (row.cells.at(c).isEmpty())
                continue;
            for (qsizetype next = c + 1;
                 next < row.cells.size() && next < out.size() && row.cells.at(next).isEmpty(); ++next) {
                out[c] += out.at(next);
                out[next] = 0;
            }
        }
        return out;
    }

    double rowHeight(const QList<double> &widths, const QStringList &cells, const QFont &f) const
    {
        double h = line(f);
        for (qsizetype c = 0; c < cells.size() && c < widths.size(); ++c)
            h = std::max(h, textHeight(f, widths.at(c) - mm(2), cells.at(c)));
        return h + mm(1);
    }

    void tableHeader(const ComposedTable &table, const QList<double> &widths)
    {
        const double h = rowHeight(widths, table.titles, m_bold);
        if (m_painter)
            m_painter->fillRect(QRectF(0, m_y, m_width, h), headColour);
        double x = 0;
        for (qsizetype c = 0; c < table.titles.size(); ++c) {
            drawText(m_bold, QRectF(x + mm(1), m_y + mm(0.5), widths.at(c) - mm(2), h),
                     table.alignments.at(c), table.titles.at(c));
            x += widths.at(c);
        }
        m_y += h;
    }

    void table(const ComposedTable &table)
    {
        if (table.titles.isEmpty())
            return;
        const QList<double> widths = columnWidths(table);
        const double headHeight = rowHeight(widths, table.titles, m_bold);
        if (!table.title.isEmpty()) {
            ensure(line(m_bold) + headHeight * 2);
            drawText(m_bold, QRectF(0, m_y, m_width, line(m_bold)), Qt::AlignLeft, table.title);
            m_y += line(m_bold) + mm(1);
        } else {
            ensure(headHeight * 2);
        }
        tableHeader(table, widths);
        for (const ComposedTable::Row &row : table.rows) {
            const bool strong = row.kind != ComposedTable::Row::Data && row.kind != ComposedTable::Row::Empty;
            const QFont &f = strong ? m_bold : m_base;
            const bool wide =
                row.kind == ComposedTable::Row::GroupHeading || row.kind == ComposedTable::Row::Empty;
            const QList<double> spans = cellWidths(widths, row);
            const double h =
                wide ? textHeight(f, m_width, row.cells.value(0)) + mm(1) : rowHeight(spans, row.cells, f);
            if (m_y + h > bottom()) {
                newPage();
                tableHeader(table, widths);
            }
            if (m_painter) {
                if (row.kind == ComposedTable::Row::GroupHeading)
                    m_painter->fillRect(QRectF(0, m_y, m_width, h), groupColour);
                if (row.kind == ComposedTable::Row::Subtotal || row.kind == ComposedTable::Row::Total) {
                    m_painter->setPen(
                        QPen(lineColour, mm(row.kind == ComposedTable::Row::Total ? 0.5 : 0.25)));
                    m_painter->drawLine(QPointF(0, m_y), QPointF(m_width, m_y));
                    m_painter->setPen(Qt::black);
                }
            }
            if (wide) {
                QFont italic = f;
                italic.setItalic(row.kind == ComposedTable::Row::Empty);
                drawText(italic, QRectF(mm(1), m_y + mm(0.5), m_width - mm(2), h), Qt::AlignLeft,
                         row.cells.value(0));
            } else {
                double x = 0;
                for (qsizetype c = 0; c < row.cells.size() && c < widths.size(); ++c) {
                    // A caption running over several columns starts at the left.
                    const Qt::Alignment align =
                        spans.at(c) > widths.at(c) ? Qt::AlignLeft : table.alignments.at(c);
                    if (spans.at(c) > 0)
                        drawText(f, QRectF(x + mm(1), m_y + mm(0.5), spans.at(c) - mm(2), h), align,
                                 row.cells.at(c));
                    x += widths.at(c);
                }
            }
            m_y += h;
            if (m_painter && row.kind == ComposedTable::Row::Data) {
                m_painter->setPen(QPen(QColor(225, 229, 233), mm(0.1)));
                m_painter->drawLine(QPointF(0, m_y), QPointF(m_width, m_y));
                m_painter->setPen(Qt::black);
            }
        }
        m_y += mm(4);
    }

    void labels(const ReportBlock &block)
    {
        const int across = std::max(1, block.labelsAcross);
        const double width = m_width / across;
        const double height = mm(block.labelHeightMm);
        for (qsizetype i = 0; i < block.labels.size(); ++i) {
            const int column = static_cast<int>(i % across);
            if (column == 0) {
                if (i > 0)
                    m_y += height;
                ensure(height);
            }
            // A long line wraps inside its label; what does not fit in the label is cut, never
            // printed over the next one.
            const QStringList &lines = block.labels.at(i);
            const QRectF label(column * width + mm(4), m_y + mm(4), width - mm(8), height - mm(8));
            if (m_painter) {
                m_painter->save();
                m_painter->setClipRect(label);
            }
            double y = label.top();
            for (qsizetype l = 0; l < lines.size() && y < label.bottom(); ++l) {
                const QFont &f = l == 0 ? m_bold : m_base;
                const double h = textHeight(f, label.width(), lines.at(l));
                drawText(f, QRectF(label.left(), y, label.width(), h), Qt::AlignLeft, lines.at(l));
                y += h;
            }
            if (m_painter)
                m_painter->restore();
        }
        if (!block.labels.isEmpty())
            m_y += height;
    }

    const ComposedReport &m_report;
    QPagedPaintDevice &m_device;
    QPainter *m_painter;
    int m_totalPages;
    double m_width = 0;
    double m_height = 0;
    double m_y = 0;
    double m_footerHeight = 0;
    int m_page = 0;
    QFont m_base;
    QFont m_bold;
    QFont m_small;
};

} // namespace

void preparePage(const ComposedReport &report, QPagedPaintDevice &device)
{
    prepareA4Page(report.landscape, device);
}

void prepareA4Page(bool landscape, QPagedPaintDevice &device)
{
    device.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                    QMarginsF(marginMm, marginMm, marginMm, marginMm), QPageLayout::Millimeter));
}

int renderPages(const ComposedReport &report, QPagedPaintDevice &device)
{
    const int pages = Layouter(report, device, nullptr, 0).run();
    QPainter painter(&device);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    Layouter(report, device, &painter, pages).run();
    return pages;
}

} // namespace rotalina::print
