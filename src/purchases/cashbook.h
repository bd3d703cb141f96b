#pragma once

#include "core/result.h"
#include "shell/recordchecks.h"
#include "shell/registrydescriptor.h"

#include <QDate>
#include <QString>
#include <QVariant>

namespace rotalina::storage {
class Archive;
class ListFilter;
} // namespace rotalina::storage

namespace rotalina::purchases {

// The cash book: every movement of money in (Entrata) and out (Uscita), typed by hand or written by
// the documents and their payments. The list "TForm5" and the entry "TCassaDettaglio".
const shell::RegistryDescriptor &cashBookRegistry();
// The entry's checks, in order.
shell::RecordChecks cashEntryChecks();

// The kinds of cash (TipologiaPrimaNota).
enum class CashKind { All = 0, Cash = 1, Bank = 2, Outside = 3 };

// What the list shows unless the history view says otherwise: this year's entries not yet moved to
// the history.
shell::ListScope currentCashBookScope(const QDate &today);

// The list's own conditions: the kind of cash and the bank.
void addCashBookConditions(storage::ListFilter &filter, CashKind kind, const QVariant &bank);

// The sums of the rows a list shows (summed by the archive and rounded to the cent once), and what
// the cash holds at the end of them: the opening balance of the options (with the bank's own when
// the list is of one bank) and every movement up to the last day the list reaches.
struct CashBookTotals
{
    double income = 0;
    double spending = 0;
    double difference = 0;
    double balance = 0;
};
core::Result<CashBookTotals> cashBookTotals(storage::Archive &archive, const storage::ListFilter &listed,
                                            const QDate &until, const QVariant &bank);

// What the cash holds at the end of a day (every movement when the day is not given): the opening
// balance of the options, or of the bank for one bank's movements, plus what came in less what went
// out, history and earlier years included; summed by the archive and rounded to the cent once. A
// bank no longer in the archive is reported.
core::Result<double> cashBalance(storage::Archive &archive, const QDate &through, const QVariant &bank = {});

// Whether an entry belongs to a document (its date, text, amounts and party are the document's
// while the documents are mirrored in the cash book).
core::Result<bool> belongsToDocument(storage::Archive &archive, qint64 entry);
QString entryOfDocumentMessage();

// Deletes an entry typed in the cash book; one of a document is refused while documents are
// mirrored. A payment's entry deleted otherwise leaves its instalment without it, in the same
// transaction.
core::Status deleteCashEntry(storage::Archive &archive, qint64 entry);

} // namespace rotalina::purchases
