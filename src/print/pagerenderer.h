#pragma once

#include "print/composedreport.h"

class QPagedPaintDevice;

namespace rotalina::print {

// Draws a composed report page after page on a PDF writer or a printer: the company's block at the
// top of the first page, a short heading on the others, tables that continue on the next page
// with their titles repeated, and "Pagina n di m" at the bottom. The device must not have been
// painted on yet. The result is the number of pages.
int renderPages(const ComposedReport &report, QPagedPaintDevice &device);

// Page size, orientation and margins of every report: A4.
void preparePage(const ComposedReport &report, QPagedPaintDevice &device);
void prepareA4Page(bool landscape, QPagedPaintDevice &device);

} // namespace rotalina::print
