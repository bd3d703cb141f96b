#pragma once

#include "core/result.h"
#include "shell/recordchecks.h"
#include "shell/registrydescriptor.h"

#include <QDate>
#include <QVariant>
#include <QVariantMap>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::fleet {

// Refuellings of the vehicles ("VettureCarburante") and the stock of the firm's fuel tanks they
// draw from. When the options say tanks are managed, every change of a refuelling moves the
// tank's litres in the same transaction, by adding in the statement, so that two workstations
// refuelling from one tank at once both count.

// The refuellings of the vehicle card, edited in "TfrmVettureCarburante".
const shell::RegistryDescriptor &refuellingsRegistry();

// The options a refuelling reads.
struct RefuellingOptions
{
    bool tanks = false;                   // LavoraCisterne
    bool kilometresFromJobOrders = false; // IncrementaChilometriDaCommesse
};
core::Result<RefuellingOptions> readRefuellingOptions(storage::Archive &archive);

// A new refuelling of today with no litres, the vehicle's fuel, the tank chosen (or none) and the
// reading of the vehicle's latest refuelling as its previous one.
core::Result<qint64> addRefuelling(storage::Archive &archive, qint64 vehicle, const QDate &today,
                                   const QVariant &tank = {});

shell::RecordChecks refuellingChecks();
// Writes the changed fields over the stored refuelling, in one transaction: the previous reading is
// that of the refuelling before this one by date and key, a reading below it is refused, the
// distance is computed, the tanks give back what the row drew and give what it draws now (a stock
// that would go below zero is refused), the following refuelling is measured from this one, the
// vehicle's kilometres move forward only, and the vehicle's totals are stored again.
core::Status saveRefuelling(storage::Archive &archive, qint64 key, const QVariantMap &changed);
// Deletes a refuelling, giving its litres back to its tank, in one transaction.
core::Status deleteRefuelling(storage::Archive &archive, qint64 key);

// The price per litre of the vehicle's fuel; a vehicle without fuel or whose fuel has no price
// gives the message the user sees.
core::Result<double> fuelPrice(storage::Archive &archive, const QVariant &vehicle);
// "Calcola" beside the amount and beside the litres, rounded as money is.
core::Result<double> amountOfLitres(const QVariant &litres, double price);
core::Result<double> litresOfAmount(const QVariant &amount, double price);

} // namespace rotalina::fleet
