#pragma once

#include "core/result.h"
#include "print/documentexport.h"

#include <QString>

class QPagedPaintDevice;

namespace rotalina::print {

// A document written as HTML and laid out by Qt's text engine, for what is not a report of the
// archive (an electronic invoice file): the preview, the printer and the exports show it on the
// pages of the reports, with their margins and "Pagina n di m" at the bottom. A page break in the
// HTML ("page-break-before: always") starts a new page.
struct TextDocumentPages
{
    QString title;
    QString html;
    QString footnote; // left of the page number: where the pages come from
    bool landscape = false;
    double fontSize = 9;
};

// An HTML file the program wrote, titled by its <title>; a failure carries an Italian message.
core::Result<TextDocumentPages> htmlDocumentPages(const QString &path);

// Page size, orientation and margins: those of the reports.
void preparePage(const TextDocumentPages &pages, QPagedPaintDevice &device);

// Draws the pages on a PDF writer or a printer that has not been painted on yet; the number of
// pages.
int renderPages(const TextDocumentPages &pages, QPagedPaintDevice &device);

// Writes the document to a file: PDF, HTML, ODT or plain text. CSV holds the rows of a list, which
// such a document does not have, and is refused.
core::Status exportReport(const TextDocumentPages &pages, ExportFormat format, const QString &path);

} // namespace rotalina::print
