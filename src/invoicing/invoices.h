#pragma once

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

// The options and company settings the invoice rules read.
struct InvoicingSettings
{
    bool multipleSeries = false;          // ditta.FatturazioneMultipla
    bool sharedCreditNoteNumbers = false; // credit notes count in the invoices' sequence
    QVariant defaultBank;
    QVariant defaultPaymentMode;
    bool rowNumbersIncrease = false; // a new row is numbered after the last, else 1
    bool tariffsOfCustomerOnly = false;
    bool routeInDescription = false; // "Da: ... A: ..." after a tariff's description
    QVariant generalAccount;
    QVariant transportAccount;
    QVariant collectionAccount;
    double transportCost = 0; // gross, VAT included
    double collectionCost = 0;
    double vatRate = 0;
    QVariant vatKey;
    bool checkLettersOfIntent = false;
};
core::Result<InvoicingSettings> readInvoicingSettings(storage::Archive &archive);

// The next number of a customer document in its year and series: one after the highest number of
// the open documents (those not closed with their year), not counting those marked "Non Numerare".
// The series counts only when the firm uses several; credit notes count when they share the
// sequence.
// Credit notes have a sequence of their own unless the firm numbers them with the invoices.
enum class CustomerDocument { Invoice, CreditNote };
core::Result<int> nextInvoiceNumber(storage::Archive &archive, const InvoicingSettings &settings,
                                    const QString &series,
                                    CustomerDocument document = CustomerDocument::Invoice);
// The next transmission number of an electronic document, over the whole archive: one after the
// highest internal number and the highest progressive that is a number (it may have been edited).
core::Result<qint64> nextTransmissionNumber(storage::Archive &archive);
// The name under which workstations take turns giving out document numbers.
QString documentNumbering();

// A new customer invoice with its number, its transmission number, today's date, the default bank
// and payment mode and its due dates, in one transaction: two workstations never get the same
// number.
struct NewInvoice
{
    QString series;
    QDate today = QDate::currentDate();
    CustomerDocument document = CustomerDocument::Invoice;
};
core::Result<qint64> createInvoice(storage::Archive &archive, const NewInvoice &request);

// The checks of the invoice's save, in order.
shell::RecordChecks invoiceChecks();

// What choosing a customer writes into the invoice: the name for documents, the transmission
// format (public administration or not), split payment and the customer's payment mode when it
// has one.
core::Result<QVariantMap> customerChoice(storage::Archive &archive, const QVariant &customer);

// The header totals from the rows, then the due dates that follow them, in one transaction.
core::Status recomputeTotals(storage::Archive &archive, qint64 invoice);

// Deletes an invoice with its rows, due dates, cash-book entries and job-order links, and makes its
// job orders available again, in one transaction.
core::Status deleteInvoice(storage::Archive &archive, qint64 invoice);

// The warning when the previous number of the same year (and series) has a later date, or nothing.
core::Result<std::optional<QString>> dateOrderWarning(storage::Archive &archive,
                                                      const InvoicingSettings &settings, int number,
                                                      const QDate &date, const QString &series,
                                                      CustomerDocument document = CustomerDocument::Invoice);
QString dateOrderWarningTitle();

// Whether the customer has a letter of intent valid on the invoice's date while a row of the
// invoice carries VAT (only when the options ask for the check; nothing without customer or date).
core::Result<bool> letterOfIntentApplies(storage::Archive &archive, qint64 invoice, const QVariant &customer,
                                         const QDate &date);
QString letterOfIntentWarning();

// The last price of the article charged to the customer on another invoice, as the message says it.
core::Result<QString> lastPriceMessage(storage::Archive &archive, const QVariant &customer, qint64 invoice,
                                       const QVariant &article);

} // namespace rotalina::invoicing
