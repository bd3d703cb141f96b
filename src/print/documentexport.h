#pragma once

#include "core/result.h"
#include "print/composedreport.h"

#include <QString>
#include <functional>

class QIODevice;
class QPdfWriter;
class QTextDocument;

namespace rotalina::print {

// The formats of the export list (TipoEsportazioniCrystalReport.Numero).
enum class ExportFormat { Pdf = 1, Html = 2, Odt = 3, Csv = 4, Text = 5 };

// The report as an HTML page (also the source of the ODT document).
QString reportHtml(const ComposedReport &report);

// The rows of the main table as CSV for a spreadsheet: ";" between values (as Italian spreadsheets
// expect), a header row with the column titles, values as they are printed.
QString reportCsv(const ComposedReport &report);

// The report as plain text: its lines and the main table in aligned columns.
QString reportText(const ComposedReport &report);

// Writes the report to a file in the given format. The file is written beside its final name and
// renamed when complete, so a failure never leaves a half-written file.
core::Status exportReport(const ComposedReport &report, ExportFormat format, const QString &path);

// The way every export is written: beside its final name, renamed when `write` filled it whole.
core::Status writeExportFile(const QString &path, const std::function<bool(QIODevice &file)> &write);
// A PDF of the pages the painter function draws, on a 300 dpi writer with the title.
bool writePdf(QIODevice &file, const QString &title, const std::function<void(QPdfWriter &pdf)> &paint);
// A document as OpenDocument text.
bool writeOdt(QIODevice &file, const QTextDocument &document);

} // namespace rotalina::print
