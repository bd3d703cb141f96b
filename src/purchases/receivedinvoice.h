#pragma once

#include "core/einvoicefile.h"
#include "core/money.h"
#include "core/result.h"

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

namespace rotalina::purchases {

// A party of an electronic invoice: the supplier (CedentePrestatore) or the recipient
// (CessionarioCommittente).
struct ReceivedParty
{
    QString country;   // IdFiscaleIVA/IdPaese
    QString vatNumber; // IdFiscaleIVA/IdCodice
    QString taxCode;   // CodiceFiscale
    QString name;      // Anagrafica/Denominazione
    QString firstName;
    QString lastName;
    QString title;
    QString eori;
    QString street;
    QString streetNumber;
    QString postCode;
    QString town;
    QString province;
    QString nation;
    QString phone;
    QString fax;
    QString email;

    // The name the registry shows: the company's name, or "Cognome Nome" for a person.
    QString displayName() const;
};

// One line of goods or services (DettaglioLinee) as the archive keeps it: discounts in percent in
// the four discount fields, mark-ups and discounts by amount folded into the unit price.
struct ReceivedLine
{
    int number = 0;
    QString codeType;
    QString codeValue;
    QString description;
    double quantity = 1; // a line without a quantity counts once
    QString unit;
    double unitPrice = 0;
    core::Discounts discounts{};
    double totalPrice = 0; // PrezzoTotale, the line's taxable amount as the file states it
    double vatRate = 0;
    QString withholding; // Ritenuta ("SI")
    QString nature;      // Natura
    QString administrationReference;
    QString otherData; // AltriDatiGestionali as one text
};

// One instalment of the payment data (DettaglioPagamento).
struct ReceivedPayment
{
    QString conditions; // CondizioniPagamento (TP01, TP02, TP03)
    QString beneficiary;
    QString method; // ModalitaPagamento (MP01 ...)
    QDate referenceDate;
    std::optional<int> days;
    QDate dueDate;
    double amount = 0;
    QString institute;
    QString iban;
    QString code;

    // The due date: the one of the file, else the reference date and its days, else the fallback.
    QDate effectiveDueDate(const QDate &fallback) const;
};

// A summary line per rate and nature (DatiRiepilogo).
struct ReceivedSummary
{
    double vatRate = 0;
    QString nature;
    double taxable = 0;
    double tax = 0;
    double rounding = 0;
};

// An invoice a credit note refers to (DatiFattureCollegate).
struct LinkedInvoice
{
    QString number;
    QDate date;
    int line = 0;
};

// A pension-fund contribution (DatiCassaPrevidenziale): part of the taxable amount.
struct PensionContribution
{
    QString type;
    double amount = 0;
    double vatRate = 0;
    QString nature;
};

// What a document type becomes in the archive.
enum class ReceivedKind {
    PurchaseInvoice,
    SupplierCreditNote,
    SelfInvoice, // self-invoices and integration documents: purchase invoices imported on request
    NotImported
};
ReceivedKind receivedKindOf(const QString &documentType);
// "Fattura", "Nota di credito", "Autofattura": what the report calls the document.
QString receivedKindText(const QString &documentType);

// One document of the file (FatturaElettronicaBody).
struct ReceivedBody
{
    QString type; // TipoDocumento
    QString currency;
    QDate date;
    QString number;
    std::optional<double> documentTotal; // ImportoTotaleDocumento
    double documentRounding = 0;         // Arrotondamento
    double withholding = 0;              // the sum of every DatiRitenuta/ImportoRitenuta
    double stamp = 0;                    // DatiBollo/ImportoBollo
    QList<LinkedInvoice> linkedInvoices;
    QList<ReceivedLine> lines;
    QList<PensionContribution> pensionContributions;
    QList<ReceivedSummary> summaries;
    QList<ReceivedPayment> payments;
};

// What the transmission data say about the recipient.
struct ReceivedTransmission
{
    QString format; // FormatoTrasmissione (FPR12, FPA12, SDI11)
    QString progressive;
    QString recipientCode; // CodiceDestinatario
    QString recipientPec;  // PECDestinatario
};

struct ReceivedInvoice
{
    ReceivedTransmission transmission;
    ReceivedParty supplier;
    ReceivedParty recipient;
    QList<ReceivedBody> bodies;
};

// What the file turned out to be when it is not an invoice to import.
enum class NotAnInvoice {
    Other,     // another XML document, or a broken one
    Companion, // the exchange system's metadata file that travels beside every invoice
};
struct UnreadableInvoice
{
    NotAnInvoice kind = NotAnInvoice::Other;
    QString reason;
};

// Reads an ordinary electronic invoice (formats 1.2 and 1.1) from its XML elements; amounts are read
// with the point whatever the workstation's language. Simplified invoices, the exchange system's
// receipts and any other document are refused with their reason.
std::optional<UnreadableInvoice> checkInvoiceRoot(const core::XmlElement &root);
core::Result<ReceivedInvoice> readReceivedInvoice(const core::XmlElement &root);

} // namespace rotalina::purchases
