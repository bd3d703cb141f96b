#pragma once

#include "core/result.h"
#include "print/textdocumentpages.h"

#include <QByteArray>
#include <QString>

namespace rotalina::print {

// The XML of an electronic invoice file and how it came: plain, or inside a signed envelope.
struct ElectronicInvoiceFile
{
    QByteArray xml;
    bool signedEnvelope = false;
    bool signatureIntact = false; // the signature matches the content (the signer is not checked)
};

// Reads an electronic invoice file: the XML itself, or the XML inside a signed .p7m envelope,
// binary (DER) or in base64. A failure carries an Italian message.
core::Result<ElectronicInvoiceFile> readElectronicInvoiceFile(const QString &path);

// The invoice as a readable HTML document in Italian, one document per invoice body, each after
// the first on a new page. Every text of the file is escaped. Fails with an Italian message when
// the XML is not a FatturaPA invoice.
core::Result<QString> electronicInvoiceHtml(const QByteArray &xml);

// The file ready for the preview, the printer and the exports ("Visualizza").
core::Result<TextDocumentPages> electronicInvoicePages(const QString &path);

} // namespace rotalina::print
