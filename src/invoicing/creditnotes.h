#pragma once

#include "core/result.h"
#include "shell/recordchecks.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::invoicing {

// The checks of a credit note's save, in order.
shell::RecordChecks creditNoteChecks();

// An invoice of the customer that a credit note can refer to ("Trova Fattura").
struct CreditableInvoice
{
    qint64 id = 0;
    QDate date;
    int number = 0;
    QString series;
    double total = 0;
    QVariant agent;
};
// The statement of the customer's invoices, with the customer's key bound: ID, Data, Numero,
// SerieFatturazione, TotaleFattura, Agente_id.
QString creditableInvoicesStatement();
// The customer's invoices by date and number; none without a customer.
core::Result<QList<CreditableInvoice>> creditableInvoices(storage::Archive &archive,
                                                          const QVariant &customer);
QString noCustomerForInvoiceMessage(); // "Attenzione E' necessario scegliere il Cliente ..."

// Makes the invoice the one the credit note refers to: its number, date, series and agent.
core::Status setCreditedInvoice(storage::Archive &archive, qint64 creditNote, qint64 invoice);

// "Importa Righe": the rows of the credited invoice become rows of the credit note, after those
// already there; rows imported before from the same invoice are replaced, rows typed by hand stay.
// The totals and the due dates follow, all in one transaction. The number of rows imported.
core::Result<int> importCreditedRows(storage::Archive &archive, qint64 creditNote);
QString importedMessage(); // "Importazione avvenuta con successo !"

// A warning when the credit note gives back more than its invoice was worth, or nothing.
core::Result<std::optional<QString>> overCreditWarning(storage::Archive &archive, qint64 creditNote);

} // namespace rotalina::invoicing
