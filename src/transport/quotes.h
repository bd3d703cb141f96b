#pragma once

#include "core/result.h"
#include "shell/documentdescriptor.h"
#include "shell/recordchecks.h"
#include "shell/registrydescriptor.h"
#include "transport/pricedrows.h"

#include <QDate>
#include <QList>
#include <QString>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::transport {

// Quotes ("Preventivi"): a job priced before it is ordered, later taken into a job order.

// The document window "TfrmPreventivi", its rows edited in "TfrmModificaPreventiviRighe", and the
// list "TfrmGrigliaPreventivi".
const shell::DocumentDescriptor &quoteDocument();
const shell::RegistryDescriptor &quoteRowsRegistry();
const shell::RegistryDescriptor &quotesRegistry();
// The quotes a job order has taken, in its "Altro" page.
const shell::RegistryDescriptor &jobQuoteLinksRegistry();

// A new quote, numbered after the highest number of the open (or archived) quotes in the same
// transaction that writes it.
core::Result<qint64> createQuote(storage::Archive &archive, const QDate &today, bool history);
shell::RecordChecks quoteChecks();
// Deletes a quote with its rows in one transaction; a quote a job order has taken is refused with
// a message naming the job order.
core::Status deleteQuote(storage::Archive &archive, qint64 quote);

// The open quotes of the job order's customer, offered to it: key and "N° 3 Data: 05/03/2026 - note".
struct OfferedQuote
{
    qint64 key = 0;
    QString text;
};
core::Result<QList<OfferedQuote>> offeredQuotes(storage::Archive &archive, qint64 job);
// Takes the quotes into the job order, in one transaction: each quote's rows replace those an
// earlier import of it left (their kilometres given back first), the link is written once and the
// quote closed. Refused for a job order or quote not saved yet.
core::Status importQuotes(storage::Archive &archive, qint64 job, const QList<qint64> &quotes,
                          const QDate &today = QDate::currentDate());
// Removes a quote from the job order: its rows (kilometres given back) and the link go, the quote
// opens again; in one transaction.
core::Status unlinkQuote(storage::Archive &archive, qint64 link);
QString quoteNotSavedMessage();

} // namespace rotalina::transport
