#pragma once

#include "core/result.h"
#include "shell/recordchecks.h"

#include <QDate>
#include <QList>
#include <QVariant>
#include <QVariantMap>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::invoicing {

// A row's amounts: net of the discount, and with its VAT rounded to the cent.
double rowNet(double quantity, double unitValue, double discount);
double rowGross(double quantity, double unitValue, double vatRate, double discount);
// The unit value giving a gross amount, to four decimals; nothing when the discount leaves
// nothing to divide (100 % or more) or the quantity is 0.
std::optional<double> unitValueFromGross(double quantity, double gross, double vatRate, double discount);

// Rows appended to an invoice or a credit note (which keeps them in a table of its own, on the
// credit-note accounts), each in one transaction with the totals and due dates.
// From tariffs, in the given order, with the customer's discount unless the tariff's price is fixed.
core::Result<QList<qint64>> addTariffRows(storage::Archive &archive, qint64 invoice,
                                          const QList<qint64> &tariffs,
                                          const QDate &today = QDate::currentDate());
enum class CostRow { Transport, Collection };
// "Spese di Trasporto" or "Spese di Incasso" at the gross cost of the options.
core::Result<qint64> addCostRow(storage::Archive &archive, qint64 invoice, CostRow cost,
                                const QDate &today = QDate::currentDate());
// "Articolo da inserire": a free article the user describes in the row editor.
core::Result<qint64> addFreeArticle(storage::Archive &archive, qint64 invoice,
                                    const QDate &today = QDate::currentDate());

// The row editor's checks, in order.
shell::RecordChecks invoiceRowChecks();
// Writes the row's changed fields, its net and gross amounts, then the invoice's totals and due
// dates, in one transaction.
core::Status saveInvoiceRow(storage::Archive &archive, qint64 row, const QVariantMap &changed);
// Deletes a row and updates the invoice's totals and due dates, in one transaction.
core::Status deleteInvoiceRow(storage::Archive &archive, qint64 row);
// The same for a row of a credit note.
core::Status saveCreditNoteRow(storage::Archive &archive, qint64 row, const QVariantMap &changed);
core::Status deleteCreditNoteRow(storage::Archive &archive, qint64 row);

} // namespace rotalina::invoicing
