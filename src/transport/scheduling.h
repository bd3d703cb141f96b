#pragma once

#include "core/calendarevent.h"
#include "core/result.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::transport {

// The schedule ("Programmazione"): how the vehicles and the drivers are busy with job orders, hour
// by hour, over a period of at most 31 days. It only reads the archive.

enum class ScheduleMode {
    Vehicle, // one block of 24 hours per vehicle
    Driver,  // one block per driver
    Generic  // one block for the whole firm
};

struct ScheduleRequest
{
    QDate from;
    QDate to;
    ScheduleMode mode = ScheduleMode::Vehicle;
    std::optional<qint64> vehicleKey; // only this vehicle (vehicle mode) or its jobs (other modes)
    std::optional<qint64> driverKey;  // only this driver (driver mode) or his jobs (other modes)
};

// One job order as the schedule shows it. Times are wall-clock times: a day has 24 hours in the
// grid whatever the clocks do in March and October.
struct ScheduledJob
{
    qint64 key = 0;
    QDateTime start;
    QDateTime storedEnd; // the return time as recorded, invalid when empty
    QDateTime end;       // the return time, or the end of the start day when it is empty or earlier
    QString customer;
    QString note;
    QString plate1;
    QString plate2;
    std::optional<qint64> driver1Key;
    std::optional<qint64> driver2Key;
    QString driver1;
    QString driver2;
    QString destinationTown;
    QString destinationStreet;

    // True when the job covers part of the hour that starts at the given wall-clock time.
    bool occupiesHour(const QDate &day, int hour) const;
};

// A vehicle or a driver with the jobs that involve it (every job in generic mode).
struct ScheduleBlock
{
    QString label;
    QList<int> jobs; // indexes into Schedule::jobs, by start time
};

struct Schedule
{
    ScheduleMode mode = ScheduleMode::Vehicle;
    QString title;            // "Programmazione per vetture", ...
    QList<QDate> days;        // the days of the period and the two days after it
    QList<ScheduledJob> jobs; // by start time
    QList<ScheduleBlock> blocks;

    // The grid as the window shows it: row 0 holds the headers; in vehicle and driver modes
    // column 0 holds the labels, and hour k of block b is row b * 24 + k + 1.
    QList<QStringList> grid() const;
};

// The checks of "Programmazione", in their order; the message and its title on failure.
struct ScheduleCheck
{
    QString message;
    QString title;
};
std::optional<ScheduleCheck> checkScheduleRange(const QDate &from, const QDate &to);

// "Lunedì - 09/03/2026".
QString scheduleDayHeader(const QDate &day);

// The job orders of the period, not cancelled, that end on or after its first day and start on or
// before its last day, with their blocks.
core::Result<Schedule> buildSchedule(storage::Archive &archive, const ScheduleRequest &request);

// The UID of a job order in calendar files: exporting it again updates it instead of doubling it.
QString jobOrderUid(qint64 key);

// One event per job order of the schedule, stamped with the moment of the export.
QList<core::EventRecord> scheduleEvents(const Schedule &schedule, const QDateTime &stamp);

} // namespace rotalina::transport
