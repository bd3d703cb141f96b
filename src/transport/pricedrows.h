#pragma once

#include "core/result.h"
#include "shell/recordchecks.h"
#include "shell/registrydescriptor.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QVariantMap>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::transport {

// Job orders and quotes price their work the same way: rows from tariffs or typed freely, each
// with its quantity, unit value, discount and VAT, summed into the header. What differs between the
// two is told by this description.
struct PricedDocument
{
    QString header;               // TotaliCo, PreventiTestata
    QString rows;                 // Conti, PreventiRighe
    QString owner;                // the rows' field with the header's key
    QString customer;             // the header's customer field
    QString total;                // the header's total with VAT
    bool packages = false;        // the rows' packages are summed into TotColli
    bool odometer = false;        // the rows' kilometres move the odometer of the header's first vehicle
    bool transportFields = false; // rows carry the transport's period and the arrival's region
    QString freeRowCode;          // the code a free row starts with
};
const PricedDocument &jobPricing();
const PricedDocument &quotePricing();

// Where a new row of a document starts: the document's date (today without one) and its number,
// after the last row when the options number rows one after another, else 1.
struct NewRowStart
{
    QDate date;
    int number = 1;
};
core::Result<NewRowStart> newRowStart(storage::Archive &archive, const QString &header,
                                      const QString &dateField, const QString &rows, const QString &owner,
                                      qint64 document, const QDate &today);

// The options that shape new rows.
struct PricingSettings
{
    bool routeInDescription = false; // " Da:... A:..." after a tariff's description
    bool rowNumbersIncrease = false; // a new row is numbered after the last, else 1
    bool odometerFromJobs = false;   // the kilometres of the rows move the vehicle's odometer
    double vatRate = 0;
    QVariant vatKey;
};
core::Result<PricingSettings> readPricingSettings(storage::Archive &archive);

// A row's amounts: net of the discount (unrounded), and with VAT rounded to the cent.
double pricedRowNet(double quantity, double unitValue, double discount);
double pricedRowGross(double quantity, double unitValue, double vatRate, double discount);

// Rows from tariffs, in the given order, with the customer's discount unless the tariff's price is
// fixed, and the header's totals (and odometer), in one transaction.
core::Result<QList<qint64>> addPricedTariffRows(storage::Archive &archive, const PricedDocument &document,
                                                qint64 owner, const QList<qint64> &tariffs,
                                                const QDate &today);
// "Articolo da inserire", a row the user describes in the row editor.
core::Result<qint64> addPricedFreeRow(storage::Archive &archive, const PricedDocument &document, qint64 owner,
                                      const QDate &today);
// The row editor's checks, in order.
shell::RecordChecks pricedRowChecks();
// The row editor of a priced document: its fields (a job order's rows also have the transport's
// documents, period, region and notes), checks, save and delete.
shell::RegistryDescriptor pricedRowsRegistry(const PricedDocument &document);
// Writes the row's changed fields with its amounts, the odometer's change and the header's totals.
core::Status savePricedRow(storage::Archive &archive, const PricedDocument &document, qint64 row,
                           const QVariantMap &changed);
// Deletes a row, gives its kilometres back and writes the totals.
core::Status deletePricedRow(storage::Archive &archive, const PricedDocument &document, qint64 row);
// Writes the header's totals from its rows.
core::Status recomputePricedTotals(storage::Archive &archive, const PricedDocument &document, qint64 owner);
// Moves the odometer of the vehicle with the plate by the kilometres (back when negative), in the
// statement itself; a plate of no vehicle moves nothing.
core::Status moveOdometer(storage::Archive &archive, const QString &plate, double kilometres);

} // namespace rotalina::transport
