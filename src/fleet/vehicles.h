#pragma once

#include "core/result.h"
#include "shell/recordchecks.h"
#include "shell/registrydescriptor.h"

#include <QDate>
#include <QString>
#include <QVariant>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::fleet {

// The firm's vehicles ("Vetture") with their deadlines, fuel cards and costs not invoiced. The
// refuellings and the fuel tanks they draw from are in refuelling.h.

// The list "TfrmVetture" with its card "TfrmVettureDettaglio".
const shell::RegistryDescriptor &vehiclesRegistry();
// The rows of the card, each edited in its own small window.
const shell::RegistryDescriptor &vehicleDeadlinesRegistry(); // TfrmVettureScadenze
const shell::RegistryDescriptor &vehicleCardsRegistry();     // TfrmVettureSchede
const shell::RegistryDescriptor &vehicleCostsRegistry();     // TfrmVettureCosti

// A new vehicle registered today, with the stored defaults of "Vetture".
core::Result<qint64> addVehicle(storage::Archive &archive, const QDate &today);

// How many other vehicles carry the plate (a warning only: a plate may come back after a sale).
core::Result<int> otherVehiclesWithPlate(storage::Archive &archive, const QString &plate, qint64 key);
// The two warnings of a plate already in the archive, in the order they are shown; empty when the
// plate is new.
QStringList duplicatePlateWarnings(const QString &plate, int others);

// What happened to a vehicle the user asked to delete.
enum class VehicleRemoval { Deleted, Withdrawn };
// The message that tells why a vehicle was withdrawn instead of deleted.
QString vehicleWithdrawnMessage();
// Deletes a vehicle with its fuel cards, deadlines and costs, in one transaction. A vehicle with
// refuellings or named by job orders is withdrawn instead: deleting it would put back into the
// tanks litres it drew long ago and leave job orders naming a plate nobody knows.
core::Result<VehicleRemoval> removeVehicle(storage::Archive &archive, qint64 key);

// Stores the vehicle's fuel and cost totals from its rows, inside the caller's transaction.
core::Status storeVehicleTotals(storage::Archive &archive, const QVariant &vehicle);

// A deadline whose warning date has passed and that nobody has dealt with yet.
bool vehicleDeadlineOverdue(const QVariant &warning, const QVariant &validated, const QDate &today);

// The checks of the small editors, in order.
shell::RecordChecks vehicleDeadlineChecks();
shell::RecordChecks vehicleCostChecks();

} // namespace rotalina::fleet
