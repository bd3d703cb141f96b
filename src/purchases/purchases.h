#pragma once

#include "core/money.h"
#include "core/result.h"
#include "shell/recordchecks.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <optional>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::invoicing {
struct DueDateKind;
}

namespace rotalina::purchases {

// A supplier's invoice received by the firm, or a supplier's credit note.
enum class PurchaseDocument { Invoice, CreditNote };

// Where a document's rows are kept and how the table names what the computations use.
struct PurchaseRowTable
{
    QString table;    // "Movimenti"
    QString owner;    // the field holding the document's key
    QString quantity; // the row's quantity ("Um")
    QString gross;    // the row's amount with VAT ("PrezzoCompleto")
    QString vat;      // the VAT code ("Iva_id")
};
const PurchaseRowTable &rowTableOf(PurchaseDocument document);
const invoicing::DueDateKind &dueDatesOf(PurchaseDocument document);

// What the purchases read of the options.
struct PurchaseSettings
{
    bool sharedNumbering = false; // NumerazioneUnicaNoteCredito: invoices and credit notes in one sequence
    QVariant bank;
    QVariant paymentMode;
    double vatRate = 0;
    QVariant vatCode;
    double transportCost = 0; // with VAT
    double collectionCost = 0;
    QVariant generalAccount;
    QVariant transportAccount;
    QVariant collectionAccount;
};
core::Result<PurchaseSettings> readPurchaseSettings(storage::Archive &archive, PurchaseDocument document);

// The next registration progressive of the open documents (one sequence for invoices and credit
// notes when the firm wants it). Run inside the transaction that writes it.
core::Result<int> nextRegistrationProgressive(storage::Archive &archive, const PurchaseSettings &settings,
                                              PurchaseDocument document);

// A new document with its progressive, registered and dated today, the default bank and payment
// mode and its due dates, in one transaction: two workstations never get the same progressive.
struct NewPurchase
{
    PurchaseDocument document = PurchaseDocument::Invoice;
    QDate today = QDate::currentDate();
};
core::Result<qint64> createPurchase(storage::Archive &archive, const NewPurchase &request);

// The checks of the document's save, in order.
shell::RecordChecks purchaseChecks(PurchaseDocument document);

// The warnings about a progressive or a supplier's number already registered; they never stop a
// save. Each runs only when the fields it reads are filled.
enum class DuplicateCheck {
    Progressive,    // the progressive within the registration year
    SupplierNumber, // the supplier's number within the registration year, for the same supplier
    NumberAndDate,  // the supplier's number on the same date
};
core::Result<std::optional<QString>> duplicateWarning(storage::Archive &archive, DuplicateCheck check,
                                                      qint64 document, const QVariantMap &values,
                                                      PurchaseDocument kind);
QString duplicateWarningTitle();

// A row's amounts: the net after up to four discounts applied one after the other, the amount with
// VAT rounded to the cent (the rate read as a whole number), and the unit value that gives an amount
// with VAT (to four decimals; nothing when a discount of 100 % or more leaves nothing to divide).
using Discounts = core::Discounts;
double purchaseRowNet(double quantity, double unitValue, const Discounts &discounts);
double purchaseRowGross(double net, double vatRate);
std::optional<double> purchaseUnitValue(double gross, double vatRate, const Discounts &discounts,
                                        double quantity);
QString noUnitValueMessage();

// The totals from the rows less the withholding tax, then the due dates that follow them (their
// dates kept), in one transaction.
core::Status recomputePurchaseTotals(storage::Archive &archive, qint64 document);

// The same totals inside the caller's transaction, leaving the due dates as they are (an imported
// document keeps the instalments of its file).
core::Status writePurchaseTotals(storage::Archive &archive, qint64 document, PurchaseDocument kind);

// "Aggiungi" on the rows: a row the user describes in the row editor.
core::Result<qint64> addPurchaseRow(storage::Archive &archive, qint64 document,
                                    const QDate &today = QDate::currentDate());
// "Spese di Trasporto" / "Spese di Incasso" at the cost with VAT of the options.
enum class PurchaseCost { Transport, Collection };
core::Result<qint64> addPurchaseCostRow(storage::Archive &archive, qint64 document, PurchaseCost cost,
                                        const QDate &today = QDate::currentDate());
// The row editor's checks.
shell::RecordChecks purchaseRowChecks(PurchaseDocument document);
// Writes the row's changed fields with its net and its amount with VAT, then the document's totals
// and due dates, in one transaction; deleting does the same.
core::Status savePurchaseRow(storage::Archive &archive, PurchaseDocument document, qint64 row,
                             const QVariantMap &changed);
core::Status deletePurchaseRow(storage::Archive &archive, PurchaseDocument document, qint64 row);

// What choosing a supplier writes into the document: its name and, when it has one, its payment mode.
core::Result<QVariantMap> supplierChoice(storage::Archive &archive, const QVariant &supplier);

// Writes the header's changed fields in one transaction with what follows them: a new supplier,
// payment mode or supplier's date makes the due dates again from the payment mode (instalments the
// user recorded as paid stay, with their payments); a new withholding tax the totals; a new number
// the due dates' texts.
core::Status savePurchaseHeader(storage::Archive &archive, qint64 document, const QVariantMap &changed);

// The supplier's purchase invoices a credit note can refer to, newest first, with the supplier's key
// bound (all purchase invoices without one): ID, DataRegistrazione, ProgressivoCarico, Data,
// NumeroCarico, Fornitore.
QString creditablePurchasesStatement(bool ofOneSupplier);
QString noSupplierForInvoiceMessage(); // "Attenzione E' necessario scegliere il Fornitore ..."
// Makes the purchase invoice the one the credit note refers to: its number, date and key.
core::Status setCreditedPurchase(storage::Archive &archive, qint64 creditNote, qint64 invoice);
// "Importa": the rows of the credited purchase invoice become rows of the credit note, with their
// quantities, on the credit notes' account; rows imported before are replaced, rows typed by hand
// stay; the note names the invoice; the totals and due dates follow; all in one transaction. The
// number of rows imported.
core::Result<int> importCreditedPurchaseRows(storage::Archive &archive, qint64 creditNote);

// Deletes the document with its rows, due dates and cash-book entries, in one transaction.
core::Status deletePurchase(storage::Archive &archive, qint64 document);

} // namespace rotalina::purchases
