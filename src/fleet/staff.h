#pragma once

#include "core/result.h"
#include "shell/recordchecks.h"
#include "shell/registrydescriptor.h"

#include <QDate>
#include <QList>
#include <QVariant>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::fleet {

// The staff ("Personale"): drivers and office people with their identity documents, pay rates,
// deadlines (licences, CQC, medical checks), costs and monthly salaries.

// The list "TfrmGrigliaPersonale" with its card "TfrmPersonaleDettaglio".
const shell::RegistryDescriptor &staffRegistry();
// The card's rows: deadlines ("TfrmPersonaleScadenze"), costs ("TfrmPersonaleCosti") and salaries
// ("TfrmPersonaleStipendi").
const shell::RegistryDescriptor &staffDeadlinesRegistry();
const shell::RegistryDescriptor &staffCostsRegistry();
const shell::RegistryDescriptor &staffSalariesRegistry();

// The fields of the card by page: "Generale", "Dati Economici", "Documenti".
QList<shell::RegistryField> staffGeneralFields();
QList<shell::RegistryField> staffPayFields();
QList<shell::RegistryField> staffDocumentFields();

// A new member of staff, not withdrawn, with the stored defaults of "Personale".
core::Result<qint64> addStaffMember(storage::Archive &archive);
// Writes the member and copies the name into its calendar entries, in one transaction.
core::Status saveStaffMember(storage::Archive &archive, qint64 key, const QVariantMap &changed);
// Deletes a member with its deadlines, costs and salaries, in one transaction. One that job orders,
// documents, vehicles, refuellings or calendar entries name is refused with a message saying where.
core::Status deleteStaffMember(storage::Archive &archive, qint64 key);

// "Calcola" of "Dati Economici": a day is a 21st of the month, an hour an eighth of the day.
core::Result<double> dailyRate(double monthlyPay);
core::Result<double> hourlyRate(double dailyRate);

// A deadline whose warning date has passed and that nobody has dealt with yet.
bool deadlineOverdue(const QVariant &warning, const QVariant &validated, const QDate &today);

// "Aggiungi" of "Stipendi": the member's monthly pay as base, this year, paid today.
core::Result<qint64> addSalary(storage::Archive &archive, qint64 member, const QDate &today);
// "Calcola" of the salary editor: base, travel allowance and charges, less the credits.
double salaryPartialTotal(double base, double travel, double charges, double credits);

} // namespace rotalina::fleet
