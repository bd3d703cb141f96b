#pragma once

#include "core/result.h"
#include "shell/documentdescriptor.h"
#include "shell/recordchecks.h"
#include "shell/registrydescriptor.h"
#include "transport/pricedrows.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>

namespace rotalina::storage {
class Archive;
class ListFilter;
} // namespace rotalina::storage

namespace rotalina::transport {

// Job orders ("Commesse"): one transport job for a customer, its priced rows, its pallet movements,
// and what the job does to the vehicle's odometer.

// The options a job order reads.
struct JobSettings
{
    bool tariffsOfCustomerOnly = false; // the tariff picker shows the customer's tariffs only
    bool routeInDescription = false;    // " Da:... A:..." after a tariff's description
    bool rowNumbersIncrease = false;    // a new row is numbered after the last, else 1
    bool odometerFromJobs = false;      // the kilometres of the rows move the vehicle's odometer
    bool checkLettersOfIntent = false;
    bool regionalCoefficient = false; // the unit value may come from the volume and the region
    int returnHour = 0;               // the hour a job's return is set to (0: the end of the day)
    double vatRate = 0;
    QVariant vatKey;
};
core::Result<JobSettings> readJobSettings(storage::Archive &archive);

// The document window "TfrmConto" and the registries of what belongs to a job order.
const shell::DocumentDescriptor &jobOrderDocument();
// The rows, edited in "TfrmModificaCommesse".
const shell::RegistryDescriptor &jobRowsRegistry();
// The pallet movements, edited in "TfrmModificaCommesseBancali".
const shell::RegistryDescriptor &jobPalletsRegistry();
// The list "TfrmGrigliaConti", whose card is the document window.
const shell::RegistryDescriptor &jobOrdersRegistry();

// A new job order: numbered after the highest number of the open (or, in the history view, the
// archived) job orders that are not cancelled, in the same transaction that writes it, so that two
// workstations never get the same number.
struct NewJobOrder
{
    QDate today = QDate::currentDate();
    bool history = false;
};
core::Result<qint64> createJobOrder(storage::Archive &archive, const NewJobOrder &request);
// The return of a new job: today at the options' hour and 59:59, or at the end of the day.
QDateTime jobReturnTime(const QDate &today, int returnHour);

// The header's checks, in order.
shell::RecordChecks jobOrderChecks();

// Rows added to a job order, each action in one transaction with the job's totals and the
// odometer: from tariffs, in the given order; a free row the user describes in the row editor.
core::Result<QList<qint64>> addJobTariffRows(storage::Archive &archive, qint64 job,
                                             const QList<qint64> &tariffs,
                                             const QDate &today = QDate::currentDate());
core::Result<qint64> addJobFreeRow(storage::Archive &archive, qint64 job,
                                   const QDate &today = QDate::currentDate());
// Writes the row's changed fields with its amounts, moves the odometer by the change of its
// kilometres, and writes the job's totals, in one transaction.
core::Status saveJobRow(storage::Archive &archive, qint64 row, const QVariantMap &changed);
// Deletes a row, gives its kilometres back to the odometer and writes the totals, in one transaction.
core::Status deleteJobRow(storage::Archive &archive, qint64 row);
// Writes the job's totals from its rows.
core::Status recomputeJobTotals(storage::Archive &archive, qint64 job);
// Deletes a job order with its rows (their kilometres given back), its pallet movements and its
// links to quotes (the quotes open again), in one transaction. A job order billed in an invoice is
// refused with a message naming the invoice.
core::Status deleteJobOrder(storage::Archive &archive, qint64 job);

// Whether leaving the job must warn that its customer has a letter of intent in force at the job's
// date while a row carries VAT.
core::Result<bool> letterOfIntentApplies(storage::Archive &archive, qint64 job);
QString letterOfIntentWarning();

// The totals of the listed job orders: the list's conditions, summed.
struct JobListTotals
{
    double taxable = 0;
    double total = 0;
    double ownerDriverCosts = 0;
    double packages = 0;
};
core::Result<JobListTotals> jobListTotals(storage::Archive &archive, const storage::ListFilter &filter);

} // namespace rotalina::transport
