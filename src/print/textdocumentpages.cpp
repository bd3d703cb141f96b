#include "print/textdocumentpages.h"

#include "core/textfile.h"
#include "print/pagerenderer.h"

#include <QAbstractTextDocumentLayout>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>

namespace rotalina::print {

namespace {

QFont pageFont(double points)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(points);
    // No ligatures: the text copied or searched in the PDF reads "fi", not one "ﬁ" sign.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

// Fills a document with the HTML for a screen or for a file, where nothing is paginated.
void fill(QTextDocument &document, const TextDocumentPages &pages)
{
    document.setDefaultFont(pageFont(pages.fontSize));
    document.setHtml(pages.html);
}

} // namespace

void preparePage(const TextDocumentPages &pages, QPagedPaintDevice &device)
{
    prepareA4Page(pages.landscape, device);
}

core::Result<TextDocumentPages> htmlDocumentPages(const QString &path)
{
    const core::Result<QString> html = core::readTextFile(path);
    if (!html)
        return core::Result<TextDocumentPages>::failure(html.error());
    TextDocumentPages pages;
    pages.html = *html;
    QTextDocument document;
    document.setHtml(*html);
    pages.title = document.metaInformation(QTextDocument::DocumentTitle);
    if (pages.title.isEmpty())
        pages.title = QFileInfo(path).completeBaseName();
    return pages;
}

int renderPages(const TextDocumentPages &pages, QPagedPaintDevice &device)
{
    const QFont small = pageFont(pages.fontSize - 1.5);
    const double footerHeight = QFontMetricsF(small, &device).lineSpacing() * 1.8;
    const double width = device.width();
    const double bodyHeight = device.height() - footerHeight;

    // Laid out on the device itself, so that points, borders and paddings have their size on
    // paper; the page margins are the device's, the document adds none of its own.
    QTextDocument document;
    document.documentLayout()->setPaintDevice(&device);
    document.setDocumentMargin(0);
    fill(document, pages);
    document.setPageSize(QSizeF(width, bodyHeight));
    const int pageCount = std::max(1, document.pageCount());

    QPainter painter(&device);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QColor lineColour(150, 160, 170);
    for (int page = 0; page < pageCount; ++page) {
        if (page > 0)
            device.newPage();
        painter.save();
        const QRectF view(0, page * bodyHeight, width, bodyHeight);
        painter.translate(0, -view.top());
        painter.setClipRect(view);
        QAbstractTextDocumentLayout::PaintContext context;
        // A line that starts where the page ends belongs to the next page: without the pixel less
        // it would also be drawn, hidden under the clip, on this one, and be found twice in the PDF.
        context.clip = view.adjusted(0, 0, 0, -1);
        // Black on paper whatever the desktop's colours are.
        context.palette.setColor(QPalette::Text, Qt::black);
        document.documentLayout()->draw(&painter, context);
        painter.restore();

        painter.setPen(lineColour);
        painter.drawLine(QPointF(0, bodyHeight + footerHeight * 0.2),
                         QPointF(width, bodyHeight + footerHeight * 0.2));
        painter.setPen(Qt::black);
        painter.setFont(small);
        const QRectF footer(0, bodyHeight + footerHeight * 0.3, width, footerHeight * 0.7);
        const QString number = QStringLiteral("Pagina %1 di %2").arg(page + 1).arg(pageCount);
        const double numberWidth = QFontMetricsF(small, &device).horizontalAdvance(number);
        painter.drawText(footer.adjusted(0, 0, -numberWidth * 1.2, 0), Qt::AlignLeft | Qt::AlignVCenter,
                         QFontMetricsF(small, &device)
                             .elidedText(pages.footnote, Qt::ElideMiddle, width - numberWidth * 1.2));
        painter.drawText(footer, Qt::AlignRight | Qt::AlignVCenter, number);
    }
    return pageCount;
}

core::Status exportReport(const TextDocumentPages &pages, ExportFormat format, const QString &path)
{
    if (format == ExportFormat::Csv)
        return core::Status::failure(
            QStringLiteral("Il formato CSV vale solo per gli elenchi: scegliere PDF, pagina web, "
                           "documento OpenDocument o testo."));
    return writeExportFile(path, [&](QIODevice &file) {
        switch (format) {
        case ExportFormat::Pdf:
            return writePdf(file, pages.title, [&](QPdfWriter &pdf) {
                preparePage(pages, pdf);
                renderPages(pages, pdf);
            });
        case ExportFormat::Html:
            return file.write(pages.html.toUtf8()) >= 0;
        case ExportFormat::Odt: {
            QTextDocument document;
            fill(document, pages);
            return writeOdt(file, document);
        }
        case ExportFormat::Text: {
            QTextDocument document;
            fill(document, pages);
            return file.write(document.toPlainText().toUtf8()) >= 0;
        }
        case ExportFormat::Csv:
            break;
        }
        return false;
    });
}

} // namespace rotalina::print
