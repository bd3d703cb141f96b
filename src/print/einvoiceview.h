#pragma once

#include "core/result.h"
#include "print/textdocumentpages.h"

#include <QByteArray>
#include <QString>

namespace rotalina::print {

// The invoice as a readable HTML document in Italian, one document per invoice body, each after
// the first on a new page. Every text of the file is escaped. Fails with an Italian message when
// the XML is not a FatturaPA invoice.
core::Result<QString> electronicInvoiceHtml(const QByteArray &xml);

// The file ready for the preview, the printer and the exports ("Visualizza").
core::Result<TextDocumentPages> electronicInvoicePages(const QString &path);

} // namespace rotalina::print
