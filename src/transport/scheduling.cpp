#include "transport/scheduling.h"

#include "storage/archive.h"
#include "storage/sqlvalue.h"

#include <QLocale>
#include <QSet>
#include <algorithm>
#include <functional>

namespace rotalina::transport {

namespace {

constexpr int maximumDays = 31;
constexpr int hoursPerDay = 24;
constexpr qint64 secondsPerDay = 86400;
constexpr qint64 secondsPerHour = 3600;
constexpr int daysAfterPeriod = 2;

// Seconds of wall-clock time since the start of the calendar: the grid counts hours as the clock
// shows them, so a day is always 24 of them, also when the clocks change.
qint64 wallSeconds(const QDate &day, const QTime &time)
{
    return day.toJulianDay() * secondsPerDay + time.msecsSinceStartOfDay() / 1000;
}

qint64 wallSeconds(const QDateTime &moment)
{
    return wallSeconds(moment.date(), moment.time());
}

std::optional<qint64> keyOf(const QVariant &value)
{
    if (value.isNull() || !value.isValid() || value.toLongLong() == 0)
        return std::nullopt;
    return value.toLongLong();
}

const char *const staffName = "COALESCE(%1.Personale, TRIM(COALESCE(%1.Cognome, '') || ' ' || "
                              "COALESCE(%1.Nome, '')))";

QString appendIf(const QString &prefix, const QString &first, const QString &second)
{
    if (first.isEmpty() && second.isEmpty())
        return {};
    QString text = prefix + first;
    if (!second.isEmpty())
        text += QLatin1Char(' ') + second;
    return text;
}

// The text a job adds to a cell of a vehicle's or a driver's block.
void appendToBlockCell(QString &cell, const ScheduledJob &job, int hour)
{
    cell += cell.isEmpty() ? QString::number(hour) : QStringLiteral("  ");
    cell += QStringLiteral(" - ") + job.customer;
    if (!job.note.isEmpty())
        cell += QStringLiteral(" - ") + job.note;
}

// The text a job adds to a cell of the firm's block, which names the drivers and the vehicles.
void appendToGenericCell(QString &cell, const ScheduledJob &job, int hour)
{
    cell += cell.isEmpty() ? QString::number(hour) + QLatin1Char(':') : QStringLiteral("     ");
    cell += QStringLiteral(" - ");
    cell += appendIf(QStringLiteral(" Aut:"), job.driver1, job.driver2);
    cell += appendIf(QStringLiteral(" Mezzo:"), job.plate1, job.plate2);
    cell += appendIf(QStringLiteral(" Destin.:"), job.destinationTown, job.destinationStreet);
    if (!job.customer.isEmpty())
        cell += QStringLiteral(" Cliente:") + job.customer;
    if (!job.note.isEmpty())
        cell += QStringLiteral(" Note:") + job.note;
}

QString blankIfNull(const QVariant &value)
{
    return value.isNull() ? QString() : value.toString().trimmed();
}

ScheduledJob jobFromRow(const QVariantList &row)
{
    ScheduledJob job;
    job.key = row.at(0).toLongLong();
    job.start = storage::sqlvalue::toDateTime(row.at(1));
    job.storedEnd = storage::sqlvalue::toDateTime(row.at(2));
    // A return left empty, or earlier than the start, ends with the start day: the vehicle is
    // shown busy that day rather than free.
    job.end = job.storedEnd.isValid() && wallSeconds(job.storedEnd) >= wallSeconds(job.start)
                  ? job.storedEnd
                  : QDateTime(job.start.date(), QTime(23, 59, 59));
    job.customer = blankIfNull(row.at(3));
    job.note = blankIfNull(row.at(4));
    job.plate1 = blankIfNull(row.at(5));
    job.plate2 = blankIfNull(row.at(6));
    job.driver1Key = keyOf(row.at(7));
    job.driver2Key = keyOf(row.at(8));
    job.driver1 = blankIfNull(row.at(9));
    job.driver2 = blankIfNull(row.at(10));
    job.destinationTown = blankIfNull(row.at(11));
    job.destinationStreet = blankIfNull(row.at(12));
    return job;
}

core::Result<QString> vehiclePlate(storage::Archive &archive, qint64 key)
{
    const core::Result<QVariant> plate =
        archive.scalar(QStringLiteral("SELECT Targa FROM Vetture WHERE ID = ?"), {key});
    if (!plate)
        return core::Result<QString>::failure(plate.error());
    return blankIfNull(*plate);
}

core::Result<QString> driverName(storage::Archive &archive, qint64 key)
{
    const core::Result<QVariant> name =
        archive.scalar(QStringLiteral("SELECT %1 FROM Personale WHERE Id = ?")
                           .arg(QString::fromLatin1(staffName).arg(u"Personale")),
                       {key});
    if (!name)
        return core::Result<QString>::failure(name.error());
    return blankIfNull(*name);
}

QList<int> jobsWhere(const QList<ScheduledJob> &jobs,
                     const std::function<bool(const ScheduledJob &)> &belongs)
{
    QList<int> indexes;
    for (int index = 0; index < jobs.size(); ++index) {
        if (belongs(jobs.at(index)))
            indexes.append(index);
    }
    return indexes;
}

void addVehicleBlocks(Schedule &schedule, const std::optional<QString> &chosenPlate)
{
    QStringList plates;
    if (chosenPlate) {
        plates.append(*chosenPlate);
    } else {
        QSet<QString> seen;
        for (const ScheduledJob &job : std::as_const(schedule.jobs)) {
            for (const QString &plate : {job.plate1, job.plate2}) {
                if (!plate.isEmpty() && !seen.contains(plate)) {
                    seen.insert(plate);
                    plates.append(plate);
                }
            }
        }
        std::sort(plates.begin(), plates.end(),
                  [](const QString &a, const QString &b) { return QString::localeAwareCompare(a, b) < 0; });
    }
    for (const QString &plate : std::as_const(plates)) {
        schedule.blocks.append({plate, jobsWhere(schedule.jobs, [&plate](const ScheduledJob &job) {
                                    return !plate.isEmpty() && (job.plate1 == plate || job.plate2 == plate);
                                })});
    }
}

void addDriverBlocks(Schedule &schedule, const std::optional<std::pair<qint64, QString>> &chosenDriver)
{
    QList<std::pair<qint64, QString>> drivers;
    if (chosenDriver) {
        drivers.append(*chosenDriver);
    } else {
        QSet<qint64> seen;
        for (const ScheduledJob &job : std::as_const(schedule.jobs)) {
            const std::pair<std::optional<qint64>, QString> named[] = {{job.driver1Key, job.driver1},
                                                                       {job.driver2Key, job.driver2}};
            for (const auto &[key, name] : named) {
                if (key && !seen.contains(*key)) {
                    seen.insert(*key);
                    drivers.append({*key, name});
                }
            }
        }
        std::sort(drivers.begin(), drivers.end(), [](const auto &a, const auto &b) {
            const int byName = QString::localeAwareCompare(a.second, b.second);
            return byName != 0 ? byName < 0 : a.first < b.first;
        });
    }
    for (const auto &[key, name] : std::as_const(drivers)) {
        schedule.blocks.append({name, jobsWhere(schedule.jobs, [key = key](const ScheduledJob &job) {
                                    return job.driver1Key == key || job.driver2Key == key;
                                })});
    }
}

} // namespace

bool ScheduledJob::occupiesHour(const QDate &day, int hour) const
{
    const qint64 hourStart = wallSeconds(day, QTime(hour, 0));
    const qint64 hourEnd = hourStart + secondsPerHour;
    const qint64 from = wallSeconds(start);
    const qint64 until = wallSeconds(end);
    if (from == until)
        return from >= hourStart && from < hourEnd;
    return from < hourEnd && until > hourStart;
}

std::optional<ScheduleCheck> checkScheduleRange(const QDate &from, const QDate &to)
{
    const QString warning = QStringLiteral("Messaggio di avviso!!");
    if (!from.isValid())
        return ScheduleCheck{QStringLiteral("Attenzione E' necessario definire la data di inizio..."),
                             warning};
    if (!to.isValid())
        return ScheduleCheck{QStringLiteral("Attenzione E' necessario definire la data di fine..."), warning};
    const qint64 days = from.daysTo(to) + 1;
    if (days < 1 || days > maximumDays)
        return ScheduleCheck{QStringLiteral("Attenzione l'intervallo di tempo deve essere al massimo di 31 "
                                            "giorni e minimo 1 giorno"),
                             QStringLiteral("Messaggio di errore")};
    return std::nullopt;
}

QString scheduleDayHeader(const QDate &day)
{
    static const QStringList weekdays = {QStringLiteral("Lunedì"),    QStringLiteral("Martedì"),
                                         QStringLiteral("Mercoledì"), QStringLiteral("Giovedì"),
                                         QStringLiteral("Venerdì"),   QStringLiteral("Sabato"),
                                         QStringLiteral("Domenica")};
    return weekdays.at(day.dayOfWeek() - 1) + QStringLiteral(" - ") +
           day.toString(QStringLiteral("dd/MM/yyyy"));
}

core::Result<Schedule> buildSchedule(storage::Archive &archive, const ScheduleRequest &request)
{
    using R = core::Result<Schedule>;
    if (const std::optional<ScheduleCheck> wrong = checkScheduleRange(request.from, request.to))
        return R::failure(wrong->message);

    std::optional<QString> chosenPlate;
    if (request.vehicleKey) {
        const core::Result<QString> plate = vehiclePlate(archive, *request.vehicleKey);
        if (!plate)
            return R::failure(plate.error());
        chosenPlate = *plate;
    }
    std::optional<std::pair<qint64, QString>> chosenDriver;
    if (request.driverKey) {
        const core::Result<QString> name = driverName(archive, *request.driverKey);
        if (!name)
            return R::failure(name.error());
        chosenDriver = std::pair{*request.driverKey, *name};
    }

    // A job without a return time, or with one before its start, ends with its start day: it is in
    // the period when that day is.
    QString sql =
        QStringLiteral(
            "SELECT TotaliCo.ID, TotaliCo.Data, TotaliCo.DataRientro, TotaliCo.Cliente, TotaliCo.Note, "
            "TotaliCo.Targa1, TotaliCo.Targa2, TotaliCo.Personale_ID, TotaliCo.Personale2_ID, %1, %2, "
            "Comuni.Comune, Indirizzi.Indirizzo FROM TotaliCo "
            "LEFT JOIN Indirizzi ON TotaliCo.Destinatario_ID = Indirizzi.ID "
            "LEFT JOIN Comuni ON Indirizzi.Comune_ID = Comuni.ID "
            "LEFT JOIN Personale Driver1 ON TotaliCo.Personale_ID = Driver1.Id "
            "LEFT JOIN Personale Driver2 ON TotaliCo.Personale2_ID = Driver2.Id "
            "WHERE COALESCE(TotaliCo.Annullato, false) = false AND TotaliCo.Data IS NOT NULL "
            "AND TotaliCo.Data <= ? AND (TotaliCo.DataRientro >= ? OR ((TotaliCo.DataRientro IS NULL "
            "OR TotaliCo.DataRientro < TotaliCo.Data) AND TotaliCo.Data >= ?))")
            .arg(QString::fromLatin1(staffName).arg(u"Driver1"),
                 QString::fromLatin1(staffName).arg(u"Driver2"));
    QVariantList params = {storage::sqlvalue::endOfDay(request.to), storage::sqlvalue::date(request.from),
                           storage::sqlvalue::date(request.from)};
    if (chosenPlate) {
        sql += QStringLiteral(" AND (TotaliCo.Targa1 = ? OR TotaliCo.Targa2 = ?)");
        params << *chosenPlate << *chosenPlate;
    }
    if (chosenDriver) {
        sql += QStringLiteral(" AND (TotaliCo.Personale_ID = ? OR TotaliCo.Personale2_ID = ?)");
        params << chosenDriver->first << chosenDriver->first;
    }
    sql += QStringLiteral(" ORDER BY TotaliCo.Data, TotaliCo.ID");
    const core::Result<storage::Archive::Rows> rows = archive.readRows(sql, params);
    if (!rows)
        return R::failure(rows.error());

    Schedule schedule;
    schedule.mode = request.mode;
    const qint64 periodStart = wallSeconds(request.from, QTime(0, 0));
    for (const QVariantList &row : rows->values) {
        ScheduledJob job = jobFromRow(row);
        if (job.start.isValid() && wallSeconds(job.end) >= periodStart)
            schedule.jobs.append(job);
    }
    // The statement orders by the stored moment; the grid and the calendar by the wall clock.
    std::stable_sort(schedule.jobs.begin(), schedule.jobs.end(),
                     [](const ScheduledJob &a, const ScheduledJob &b) {
                         return wallSeconds(a.start) < wallSeconds(b.start);
                     });

    const qint64 dayCount = request.from.daysTo(request.to) + 1 + daysAfterPeriod;
    for (qint64 day = 0; day < dayCount; ++day)
        schedule.days.append(request.from.addDays(day));

    switch (request.mode) {
    case ScheduleMode::Vehicle:
        schedule.title = QStringLiteral("Programmazione per vetture");
        addVehicleBlocks(schedule, chosenPlate);
        break;
    case ScheduleMode::Driver:
        schedule.title = QStringLiteral("Programmazione per autisti");
        addDriverBlocks(schedule, chosenDriver);
        break;
    case ScheduleMode::Generic: {
        schedule.title = QStringLiteral("Programmazione generica");
        QList<int> all;
        for (int index = 0; index < schedule.jobs.size(); ++index)
            all.append(index);
        schedule.blocks.append({QString(), all});
        break;
    }
    }
    return schedule;
}

QList<QStringList> Schedule::grid() const
{
    const bool labelled = mode != ScheduleMode::Generic;
    const int firstDayColumn = labelled ? 1 : 0;
    const int columns = static_cast<int>(days.size()) + firstDayColumn;
    QStringList header(columns);
    if (labelled)
        header[0] = mode == ScheduleMode::Vehicle ? QStringLiteral("Vettura") : QStringLiteral("Autista");
    for (int day = 0; day < days.size(); ++day)
        header[day + firstDayColumn] = scheduleDayHeader(days.at(day));

    QList<QStringList> rows{header};
    for (const ScheduleBlock &block : blocks) {
        const int firstRow = static_cast<int>(rows.size());
        for (int hour = 0; hour < hoursPerDay; ++hour)
            rows.append(QStringList(columns));
        if (labelled)
            rows[firstRow][0] = block.label;
        for (const int index : block.jobs) {
            const ScheduledJob &job = jobs.at(index);
            for (int day = 0; day < days.size(); ++day) {
                for (int hour = 0; hour < hoursPerDay; ++hour) {
                    if (!job.occupiesHour(days.at(day), hour))
                        continue;
                    QString &cell = rows[firstRow + hour][day + firstDayColumn];
                    if (labelled)
                        appendToBlockCell(cell, job, hour);
                    else
                        appendToGenericCell(cell, job, hour);
                }
            }
        }
    }
    return rows;
}

QString jobOrderUid(qint64 key)
{
    return QStringLiteral("commessa-%1@rotalina").arg(key);
}

QList<core::EventRecord> scheduleEvents(const Schedule &schedule, const QDateTime &stamp)
{
    // A job shown under two vehicles or two drivers is still one appointment: one event, one UID.
    QList<core::EventRecord> events;
    QSet<qint64> written;
    for (const ScheduleBlock &block : schedule.blocks) {
        for (const int index : block.jobs) {
            const ScheduledJob &job = schedule.jobs.at(index);
            if (written.contains(job.key))
                continue;
            written.insert(job.key);
            core::EventRecord event;
            event.start = job.start;
            event.end = job.end;
            event.stamp = stamp;
            event.uid = jobOrderUid(job.key);
            event.summary =
                job.driver1 + QStringLiteral(" - ") + job.customer + QStringLiteral(" : ") + job.plate1;
            event.description = job.note;
            event.location = job.destinationStreet;
            if (!job.destinationTown.isEmpty())
                event.location +=
                    (event.location.isEmpty() ? QString() : QStringLiteral(", ")) + job.destinationTown;
            events.append(event);
        }
    }
    return events;
}

} // namespace rotalina::transport
