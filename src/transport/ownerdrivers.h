#pragma once

#include "core/result.h"
#include "shell/recordchecks.h"
#include "shell/registrydescriptor.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <optional>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::transport {

// Owner-drivers ("Padroncini"): the hauliers the firm subcontracts jobs to, their rates, the
// expiry of their contribution-compliance document (DURC), and what the firm owes them for the
// jobs of a period, paid in instalments. Their balance (SaldoInizioAnno) goes down by every paid
// instalment and up again when a payment is taken back.

// The list "TfrmGrigliaPadroncini" with its card "TfrmPadronciniDettaglio".
const shell::RegistryDescriptor &ownerDriversRegistry();
// The instalments, edited in "TfrmModificaPadronciniScadenze" from the card's "  Scadenze  " tab.
const shell::RegistryDescriptor &ownerDriverInstalmentsRegistry();

// Whether the DURC has run out: set and earlier than today.
bool durcExpired(const QVariant &expiry, const QDate &today);

// A new owner-driver with both rates at zero and the stored defaults of "Padroncini".
core::Result<qint64> addOwnerDriver(storage::Archive &archive);
// Deletes an owner-driver with its instalments, in one transaction. One that job orders name is
// refused with a message saying which.
core::Status deleteOwnerDriver(storage::Archive &archive, qint64 key);

// "Calcola" of the card: the hourly rate of an eight-hour day; a daily rate of 0 is refused.
core::Result<double> hourlyRate(double dailyRate);

// The owner-driver costs of the job orders of a period, the last day included whatever the time of
// its jobs; cancelled job orders are not paid.
core::Result<double> ownerDriverJobCosts(storage::Archive &archive, qint64 ownerDriver, const QDate &from,
                                         const QDate &to);
// The taxable amount with its VAT at the rate (a percentage), to the cent.
double totalWithVat(double taxable, double ratePercent);

// What the generator window was given.
struct InstalmentPlan
{
    qint64 ownerDriver = 0;
    QDate from;
    QDate to;
    QDate reference;
    std::optional<double> total;
    QVariant paymentMode; // ModPagamento.id
};
// The generator's checks, in order: each failure names the window's box ("maskDa", "maskA",
// "msDataRiferimento", "txtTotale", "LookModPagamento") and its message.
std::optional<shell::RecordChecks::Failure> checkInstalmentPlan(const InstalmentPlan &plan);
// Writes the instalments of the plan from its payment mode, in one transaction: one per instalment
// of the mode, due by the mode's days from the reference date, their amounts adding up to the total
// (the last takes the cents left). A mode without instalments is one payment on the reference date,
// already made: it lowers the balance at once. Gives the number of instalments written.
core::Result<int> generateOwnerDriverInstalments(storage::Archive &archive, const InstalmentPlan &plan);

// "Aggiungi" of the "  Scadenze  " tab: the next number, due and referring to today, nothing paid.
core::Result<qint64> addOwnerDriverInstalment(storage::Archive &archive, qint64 ownerDriver,
                                              const QDate &today);
// The instalment editor's checks, in order.
shell::RecordChecks ownerDriverInstalmentChecks();
// Writes the changed fields over the stored instalment after the checks: a payment date makes it
// paid, none makes it unpaid; the balance moves by what was paid before less what is paid now, in
// the same transaction.
core::Status saveOwnerDriverInstalment(storage::Archive &archive, qint64 key, const QVariantMap &changed);
// Deletes an instalment; a paid one gives its amount back to the balance once it is gone, in the
// same transaction.
core::Status deleteOwnerDriverInstalment(storage::Archive &archive, qint64 key);

} // namespace rotalina::transport
