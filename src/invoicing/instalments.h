#pragma once

#include "core/result.h"
#include "shell/recordchecks.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantMap>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::invoicing {

// How a document's due dates follow its payment mode.
enum class DueDateMode {
    NewDates,  // deleted and made again from the payment mode (a new mode, a new document)
    KeepDates, // the amounts follow the totals, the dates stay as they are
};

// What becomes of the instalments the user recorded as paid when new dates replace the old ones.
enum class PaidInstalments { Keep, Delete };

// The kind of document the due dates belong to, with the texts they are described by.
struct DueDateKind
{
    QString code;                // FatturaScadenze.Tipo and the receipt's finanzia.Tipo: "F"
    QString immediate;           // the one payment on the document's date: "Pagamento Fattura di vendita"
    QString instalment;          // after the instalment's number: "° Rata Fattura di vendita"
    QString entry;               // the document's entry in the cash book: "Emessa fattura n°"
    bool receiptIsIncome = true; // the receipt is an "Entrata" (customer invoices) or an "Uscita"
    QString entryCode;           // finanzia.Tipo of the document's own entry: "1" invoices, "2" credit notes
    // Who the document is with: the header's field, and the field of due dates and entries naming them.
    QString headerParty = QStringLiteral("Cliente_ID");
    QString party = QStringLiteral("Cliente_id");
    // The number the texts give (with the series, for customer documents) and the date of the
    // document's cash-book entries (a purchase is entered on the day it is registered).
    QString numberField = QStringLiteral("Num");
    bool withSeries = true;
    QString entryDateField = QStringLiteral("Data");
};
const DueDateKind &customerInvoiceDueDates();
// A credit note gives money back: its entry is an "Entrata" of kind "2", its payments "Uscita" "N".
const DueDateKind &creditNoteDueDates();
// A purchase invoice: due dates "C", its receipt "3" an "Entrata", its payments "Uscita".
const DueDateKind &purchaseInvoiceDueDates();
// A supplier's credit note: due dates "B", its receipt "4" an "Uscita", its settlements "Entrata".
const DueDateKind &supplierCreditNoteDueDates();
// The kind of a document from its header (Carico, FattNota).
core::Result<const DueDateKind *> dueDateKindOf(storage::Archive &archive, qint64 document);

// Whether due dates and payments are mirrored in the cash book (DuplicaFatturazioneInPrimaNota).
core::Result<bool> mirrorsInCashBook(storage::Archive &archive);

// Makes or updates the due dates of a customer document from its payment mode and totals, with its
// entries in the cash book, in one transaction. Instalments the user recorded as paid are kept
// unless told otherwise, and what they paid is taken from what is still due. A payment mode with
// no instalments is one payment on the document's date, recorded as paid: it follows the document.
core::Status generateDueDates(storage::Archive &archive, qint64 document, DueDateMode mode,
                              PaidInstalments paid = PaidInstalments::Keep,
                              const DueDateKind &kind = customerInvoiceDueDates(),
                              const QDate &today = QDate::currentDate());
// Due dates the document states itself (a supplier's electronic invoice): written as they are, none
// paid, after the document's own entry in the cash book when the firm mirrors due dates there.
// Runs inside the caller's transaction, on a document that has no due dates yet.
struct GivenInstalment
{
    QDate due;
    double amount = 0;
    QVariant paymentMode;
    QString details;
};
core::Status writeGivenDueDates(storage::Archive &archive, qint64 document,
                                const QList<GivenInstalment> &instalments, const DueDateKind &kind);
// How many of the document's instalments the user recorded as paid.
core::Result<int> paidInstalmentCount(storage::Archive &archive, qint64 document,
                                      const DueDateKind &kind = customerInvoiceDueDates());
// Emptying the payment mode: the due dates and their cash-book entries go, in one transaction
// (paid ones only when told so).
core::Status clearDueDates(storage::Archive &archive, qint64 document, PaidInstalments paid,
                           const DueDateKind &kind = customerInvoiceDueDates());
// A bank chosen for the document is the bank of all its due dates.
core::Status setDueDatesBank(storage::Archive &archive, qint64 document, const QVariant &bank);

// A due date added by hand: the next number, today, nothing to pay yet.
core::Result<qint64> addInstalment(storage::Archive &archive, qint64 document, const QDate &today,
                                   const DueDateKind &kind = customerInvoiceDueDates());
// Deletes a due date with its payment in the cash book.
core::Status deleteInstalment(storage::Archive &archive, qint64 instalment);

// The due-date window's checks, in order.
shell::RecordChecks instalmentChecks();
// Saves a due date: a payment date makes it paid and, with the cash-book mirror, writes the
// payment's entry; no payment date makes it open again and removes that entry. One transaction.
core::Status saveInstalment(storage::Archive &archive, qint64 instalment, const QVariantMap &changed);
// The cash-book entry of a paid due date: written, or brought up to date when there is one.
core::Status writePaymentEntry(storage::Archive &archive, qint64 instalment);

} // namespace rotalina::invoicing
