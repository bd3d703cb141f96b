#pragma once

#include "core/result.h"
#include "shell/documentdescriptor.h"
#include "shell/recordchecks.h"
#include "shell/registrydescriptor.h"

#include <QDate>
#include <QString>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::transport {

// Loading lists ("Distinte di Carico"): the consignments loaded on one or two vehicles for a
// customer, each from a sender to a consignee, with amounts typed as the customer agreed them.

// The document window "TfrmDistinteCarico", its rows edited in "TfrmModificaDistinteCarico", and
// the list "TfrmGrigliaDistinteCarico".
const shell::DocumentDescriptor &loadingListDocument();
const shell::RegistryDescriptor &loadingListRowsRegistry();
const shell::RegistryDescriptor &loadingListsRegistry();

// A new loading list dated and delivered today, numbered after the highest number of its year in
// the same transaction that writes it.
core::Result<qint64> createLoadingList(storage::Archive &archive, const QDate &today, bool history);
core::Result<int> nextLoadingListNumber(storage::Archive &archive, int year);

shell::RecordChecks loadingListChecks();
// Writes the changed header fields; a number another list of the same year has is refused.
core::Status saveLoadingList(storage::Archive &archive, qint64 list, const QVariantMap &changed);
QString duplicateLoadingListMessage(int number, int year);

// A new consignment of the list, on the list's date (today without one), numbered after the
// others when the options say so.
core::Result<qint64> addLoadingListRow(storage::Archive &archive, qint64 list,
                                       const QDate &today = QDate::currentDate());
shell::RecordChecks loadingListRowChecks();
// Deletes the list with its rows, in one transaction.
core::Status deleteLoadingList(storage::Archive &archive, qint64 list);

} // namespace rotalina::transport
