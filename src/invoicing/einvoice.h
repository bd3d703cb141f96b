#pragma once

#include "core/result.h"
#include "invoicing/einvoicexml.h"

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <optional>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::invoicing {

class DocumentSigner;

// Everything an electronic invoice or credit note is written from, read in one go.
struct EInvoiceSource
{
    bool creditNote = false;
    QVariantMap header;  // fattura
    QVariantMap company; // ditta
    QVariantMap customer;
    QVariantMap carrier;         // Personale of the accompanying data, or empty
    QList<QVariantMap> rows;     // with "Natura" of the row's VAT record and "IvaTrovata"
    QList<QVariantMap> dueDates; // with "ModalitaPagamento", "Beneficiario", "Banca", "Iban", "BancaTrovata"
    QVariantMap paymentMode;     // of the header, or empty
    QList<QVariantMap> orders;
    QList<QVariantMap> attachments; // with "Contenuto" (the file) or "Mancante"
    QString aspect;                 // FatturaAspetto.Descrizione
    QString deliveryTerms;          // FatturaPorto.Codice
};

// What a batch of documents shares, read once for all of them.
struct EInvoiceReadCache
{
    std::optional<QVariantMap> company;
    QHash<qint64, QVariantMap> customers;
    QHash<qint64, QVariantMap> carriers;
    QHash<qint64, QVariantMap> paymentModes;
    bool aspectsAndPorts = false;
    QHash<qint64, QString> aspects;
    QHash<qint64, QString> deliveryTerms;
};
// The documents of a group with a few statements for all of them, in the order given.
core::Result<QList<EInvoiceSource>> readEInvoiceSources(storage::Archive &archive,
                                                        const QList<qint64> &documents,
                                                        EInvoiceReadCache *cache = nullptr);
core::Result<EInvoiceSource> readEInvoiceSource(storage::Archive &archive, qint64 document);
core::Result<QVariantMap> readCompany(storage::Archive &archive);

// A reason the export cannot start, with its title.
struct ExportStop
{
    QString title;
    QString message;
};
// The checks made before anything else: the transmission number, the rows, the customer's
// addressing (recipient code of a public administration; recipient code or certified mail of a firm).
std::optional<ExportStop> exportStop(const EInvoiceSource &source);

// The stored row and header amounts that differ from those recomputed from the rows, one per line;
// empty when they agree.
QString consistencyReport(const EInvoiceSource &source);
QString consistencyQuestionTitle(); // "Messaggio di errore vuoi proseguire lo stesso ?"

// "IT01234567890_00012.xml": the company's country and code and the transmission number.
QString eInvoiceFileName(const EInvoiceSource &source);
// The document number as written in the file: 5, 5/2024, 5/2024/B.
QString eInvoiceNumber(const EInvoiceSource &source);

// The written document with every problem the exchange system would reject it for (schema rules
// and its semantic checks); the bytes are empty when there is a problem.
struct EInvoiceDocument
{
    XmlNode root;
    QList<EInvoiceProblem> problems;
    QByteArray xml;
    QString fileName;
    QString transmissionFormat;
};
EInvoiceDocument buildEInvoice(const EInvoiceSource &source);

// Adds the title and the suggestion of the exchange system's table of errors to each problem with
// a code.
core::Status explainProblems(storage::Archive &archive, QList<EInvoiceProblem> &problems);

// Writes the file (and, with a signer, its signed twin NAME.p7m) completely before the document is
// marked exported, in one step: on any failure no file is left and the mark is as it was.
core::Status writeEInvoiceFiles(storage::Archive &archive, qint64 document, const EInvoiceDocument &built,
                                const QString &path, const DocumentSigner *signer = nullptr);

QString exportedMessage(bool creditNote); // "Fattura esportata con successo !"

// The month-end export of every customer document of a period into a folder, or of the documents
// chosen in a list (exported before or not).
struct BatchExport
{
    QString folder;
    QDate from;
    QDate to;
    bool alsoExported = false;
    QList<qint64> documents; // when given, these and no others
    // Told before each document how many are done out of how many; false stops the export there,
    // keeping what was written and marked.
    std::function<bool(int done, int total)> progress;
};
struct BatchLine
{
    bool written = false;
    QString number;
    QString file;
    QStringList problems;
    QString text() const; // "OK 5/2024 /cartella/IT..._00012.xml" or "ERRORE 5/2024: ..."
};
// The documents handled, each reported as soon as it is done; a failure of the archive itself
// stops the export.
core::Result<QList<BatchLine>> exportEInvoices(storage::Archive &archive, const BatchExport &request,
                                               const std::function<void(const BatchLine &)> &done = {});

} // namespace rotalina::invoicing
