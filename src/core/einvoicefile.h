#pragma once

#include "core/result.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>
#include <vector>

namespace rotalina::core {

// An XML element read by its local name, whatever prefix the file gives it ("p:", "ns2:", none),
// with its text and its children in order.
struct XmlElement
{
    QString name;
    QString text;
    std::vector<XmlElement> children;

    // The first element along a path of names ("Sede/Comune"); null when it is not there.
    const XmlElement *find(QStringView path) const;
    // Every child with the name, or every element at the end of a path.
    QList<const XmlElement *> all(QStringView path) const;
    // The text at the path without surrounding blanks; empty when it is not there.
    QString value(QStringView path) const;
    bool has(QStringView path) const { return find(path) != nullptr; }
};

// Reads an XML document into elements: with or without declaration, with a byte-order mark, in
// UTF-8, UTF-16 or the code page it declares. What follows the document element (the trailer of a
// signature) is not read. A failure carries an Italian message.
Result<XmlElement> parseXmlElements(const QByteArray &xml);

// The XML of an electronic invoice file and how it came: plain, or inside a signed envelope.
struct ElectronicInvoiceFile
{
    QByteArray xml;
    bool signedEnvelope = false;
    bool signatureIntact = false; // the signature matches the content
    QString signer;               // the signer's name from the certificate in the envelope
    bool signerTrusted = false;   // the signer's certificate chains to an authority this machine trusts

    // How the signature stands, for the user: empty for a plain file.
    QString signatureText() const;
};

// Reads an electronic invoice file: the XML itself, or the XML inside a signed .p7m envelope (DER,
// BER with streamed content, base64 on one line or wrapped, PEM), envelopes inside envelopes
// included. A failure carries an Italian message naming the file.
Result<ElectronicInvoiceFile> readElectronicInvoiceFile(const QString &path);
// The same for bytes already read; shownName names them in messages.
Result<ElectronicInvoiceFile> readElectronicInvoiceData(QByteArray data, const QString &shownName);

} // namespace rotalina::core
