#pragma once

#include "core/result.h"
#include "shell/documentdescriptor.h"
#include "shell/recordchecks.h"
#include "shell/registrydescriptor.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::transport {

// Transport documents ("D.D.T."): the paper that travels with the goods, with the customer who
// receives them, the consignee, the carrier and the rows of what is carried.

// The document window "TfrmDDT", its rows edited in "TfrmModificaDDTRighe", and the list
// "TfrmGrigliaDDT" whose card is the document window.
const shell::DocumentDescriptor &deliveryNoteDocument();
const shell::RegistryDescriptor &deliveryNoteRowsRegistry();
const shell::RegistryDescriptor &deliveryNotesRegistry();

// The time of departure as the document prints it: hour and two-digit minutes, "9.05". Written
// without the leading zero of the minutes, 09:05 would read as 09:50 to whoever checks the goods.
QString departureTime(const QTime &time);

// A new transport document dated and timed now: numbered after the highest number of its year in
// the same transaction that writes it, so that neither back-dated documents nor two workstations
// give a number twice.
core::Result<qint64> createDeliveryNote(storage::Archive &archive, const QDateTime &now, bool history);

// The header's checks, in order.
shell::RecordChecks deliveryNoteChecks();
// Writes the changed header fields; a number another document of the same year already has is
// refused with duplicateNumberMessage().
core::Status saveDeliveryNote(storage::Archive &archive, qint64 note, const QVariantMap &changed);
QString duplicateNumberMessage(int number, int year);
// The highest number of the year plus one.
core::Result<int> nextDeliveryNoteNumber(storage::Archive &archive, int year);

// A new row ("Articolo da inserire", one unit) numbered after the others when the options say
// so, with the document's quantity written again, in one transaction.
core::Result<qint64> addDeliveryNoteRow(storage::Archive &archive, qint64 note,
                                        const QDate &today = QDate::currentDate());
// The row's checks, in order.
shell::RecordChecks deliveryNoteRowChecks();
// Writes a row, or deletes it, and the document's quantity with it, in one transaction.
core::Status saveDeliveryNoteRow(storage::Archive &archive, qint64 row, const QVariantMap &values);
core::Status deleteDeliveryNoteRow(storage::Archive &archive, qint64 row);
// The document's quantity: the sum of its rows, 0 without rows.
core::Status recomputeDeliveryNoteQuantity(storage::Archive &archive, qint64 note);
// Deletes the document with its own rows, in one transaction.
core::Status deleteDeliveryNote(storage::Archive &archive, qint64 note);

} // namespace rotalina::transport
