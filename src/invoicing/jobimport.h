#pragma once

#include "core/result.h"
#include "shell/registrydescriptor.h"

#include <QDate>
#include <QList>
#include <QString>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::invoicing {

// Job orders ("Commesse") copied into a customer invoice. An imported job order is invoiced and
// closed and linked to the invoice (FatturaContiRighe); its rows become rows of kind "C" of the
// invoice. Removing the link, or deleting the invoice, opens the job order again.

// A job order the invoice may take, as the invoice window offers it.
struct ImportableJobOrder
{
    qint64 key = 0;
    QString choice; // "N° 5 Data: 10/03/2026 Serie: A - note"
};

// The job orders of the invoice's customer that no invoice has taken yet and that are not
// cancelled, of the invoice's own period (open, or history), oldest first. None without a customer.
core::Result<QList<ImportableJobOrder>> importableJobOrders(storage::Archive &archive, qint64 invoice);

// How a job order is offered: its number, date, series and note.
QString jobOrderChoiceText(const QVariant &number, const QDate &date, const QString &series,
                           const QString &note);

// Copies the job orders into the invoice, replacing the rows and the link of an earlier import of
// the same job order, marks them invoiced and closed, and writes the invoice's totals and due dates,
// all in one transaction: a job order of another customer, cancelled, of the other period or taken
// by another invoice (also by another workstation at the same moment) refuses the whole import.
// The number of invoice rows written.
core::Result<int> importJobOrders(storage::Archive &archive, qint64 invoice, const QList<qint64> &jobs,
                                  const QDate &today = QDate::currentDate());
// "Importa Tutte le commesse": every job order the invoice may take, in one transaction.
core::Result<int> importAllJobOrders(storage::Archive &archive, qint64 invoice,
                                     const QDate &today = QDate::currentDate());

// Takes the job order out of the invoice: its rows and its link go, and the job order is open again
// (neither invoiced nor closed) unless another invoice still holds it; then the totals and due
// dates, in one transaction.
core::Status unlinkJobOrder(storage::Archive &archive, qint64 invoice, qint64 job);
// The same, given the link's key.
core::Status removeJobOrderLink(storage::Archive &archive, qint64 link);

// The job orders linked to an invoice (the grid of the tab "Importazioni"): only looked at; a link
// is removed through removeJobOrderLink.
const shell::RegistryDescriptor &invoiceJobOrdersRegistry();

QString unsavedInvoiceForJobOrdersMessage(); // "Attenzione è necessario salvare la fattura ..."
QString noJobOrdersToImportMessage();        // "Nessun Record da importare"
QString importJobOrderQuestion();            // "Sei sicuro di voler Importare la Commessa ??"

} // namespace rotalina::invoicing
