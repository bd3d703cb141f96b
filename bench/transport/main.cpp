// Times the job-order list and the job-order window on an archive of many open job orders: the list
// as it opens (every open job order, with its totals), the list kept to a customer and a period
// (with its totals), and a job order of many rows as its window reads it (header, rows, pallets).
// Each reading is made on a connection just opened, then again several times; the target is 100 ms.
//   bench_transport [--jobs N] [--rows N] [--long-rows N] [--runs N] [--keep FOLDER] [--postgresql ADDRESS]
// It runs on SQLite, and also on the PostgreSQL database the option names (an empty one).

#include "benchsupport.h"
#include "shell/historyselection.h"
#include "shell/registrydescriptor.h"
#include "storage/archive.h"
#include "storage/listfilter.h"
#include "storage/recordlistmodel.h"
#include "storage/sqlvalue.h"
#include "transport/joborders.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <functional>
#include <random>

using namespace rotalina;

namespace {

constexpr double targetMs = 100;

struct Settings
{
    int jobs = 50000;
    int rows = 5;
    int longRows = 50;
    int runs = 10;
};

core::Status fill(storage::Archive &archive, const Settings &settings, const QDate &today)
{
    std::mt19937 random(4711);
    const auto between = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return core::Status::failure(transaction.error());
    QList<QVariantList> customers, headers, rows;
    const int customerCount = 800;
    for (int c = 1; c <= customerCount; ++c)
        customers.append({c, QStringLiteral("Cliente %1").arg(c, 4, 10, QChar(u'0')),
                          QStringLiteral("Cliente %1 S.r.l.").arg(c, 4, 10, QChar(u'0')), false});
    if (core::Status written =
            archive.insertRows(QStringLiteral("Clienti"),
                               {QStringLiteral("Id"), QStringLiteral("NominativoVisualizzato"),
                                QStringLiteral("NominativoDocumenti"), QStringLiteral("Annullato")},
                               customers);
        !written)
        return written;
    qint64 rowKey = 0;
    for (int n = 1; n <= settings.jobs; ++n) {
        const int customer = between(1, customerCount);
        const QDate date = today.addDays(-between(0, 364));
        const int count = n == settings.jobs ? settings.longRows : settings.rows;
        double taxable = 0;
        for (int r = 1; r <= count; ++r) {
            const double unit = between(5000, 90000) / 100.0;
            taxable += unit;
            rows.append({++rowKey, n, r, QStringLiteral("Trasporto %1").arg(r), 1.0, unit, 22.0, unit,
                         QStringLiteral("N"), false});
        }
        headers.append(
            {n, n, date, customer, QStringLiteral("Cliente %1 S.r.l.").arg(customer, 4, 10, QChar(u'0')),
             QStringLiteral("AB%1CD").arg(between(100, 160)), taxable, taxable * 1.22,
             double(between(0, 300)), double(between(1, 30)), between(0, 5) == 0, false, false, false});
    }
    if (core::Status written = archive.insertRows(
            QStringLiteral("TotaliCo"),
            {QStringLiteral("ID"), QStringLiteral("Numero"), QStringLiteral("Data"),
             QStringLiteral("Cliente_Id"), QStringLiteral("Cliente"), QStringLiteral("Targa1"),
             QStringLiteral("TotImponibile"), QStringLiteral("TotFattura"), QStringLiteral("CostoPadroncino"),
             QStringLiteral("TotColli"), QStringLiteral("Chiusa"), QStringLiteral("Fatturato"),
             QStringLiteral("Annullato"), QStringLiteral("Storico")},
            headers);
        !written)
        return written;
    if (core::Status written = archive.insertRows(
            QStringLiteral("Conti"),
            {QStringLiteral("IDX"), QStringLiteral("Testata_ID"), QStringLiteral("NumeroRiga"),
             QStringLiteral("Descrizione"), QStringLiteral("Um"), QStringLiteral("ValoreUnitario"),
             QStringLiteral("AliquotaIva"), QStringLiteral("TotaleImponibile"), QStringLiteral("TipoRiga"),
             QStringLiteral("Storico")},
            rows);
        !written)
        return written;
    for (const char *table : {"Clienti", "TotaliCo", "Conti"})
        if (core::Status keys = archive.continueKeysAfterHighest(QLatin1String(table)); !keys)
            return keys;
    return transaction.commit();
}

// The list as its window reads it, with the totals of the same rows; what it found.
core::Result<QString> readList(storage::Archive &archive, const storage::ListFilter &filter)
{
    const shell::RegistryDescriptor &list = transport::jobOrdersRegistry();
    storage::RecordListModel records(archive, QStringLiteral("ID"));
    records.setStatement(shell::registryListStatement(list, filter.conditions()), filter.parameters());
    if (core::Status read = records.reload(); !read)
        return core::Result<QString>::failure(read.error());
    const core::Result<transport::JobListTotals> totals = transport::jobListTotals(archive, filter);
    if (!totals)
        return core::Result<QString>::failure(totals.error());
    return QStringLiteral("%1 job orders, taxable %2")
        .arg(records.rowCount())
        .arg(totals->taxable, 0, 'f', 2);
}

// A job order as its window reads it: the header, its rows and its pallet movements.
core::Result<QString> readJob(storage::Archive &archive, qint64 job)
{
    const core::Result<QVariantMap> header = archive.readRow(QStringLiteral("TotaliCo"), job);
    if (!header)
        return core::Result<QString>::failure(header.error());
    int rows = 0;
    for (const shell::RegistryDescriptor *owned :
         {&transport::jobRowsRegistry(), &transport::jobPalletsRegistry()}) {
        storage::RecordListModel records(archive, archive.schema().table(owned->table)->keyName());
        storage::ListFilter filter(archive.dialect());
        filter.equals(owned->ownerField, job);
        records.setStatement(shell::registryListStatement(*owned, filter.conditions()), filter.parameters());
        if (core::Status read = records.reload(); !read)
            return core::Result<QString>::failure(read.error());
        rows += records.rowCount();
    }
    return QStringLiteral("job %1 with %2 rows")
        .arg(header->value(QStringLiteral("Numero")).toInt())
        .arg(rows);
}

bool measure(const QString &caption, const storage::ArchiveLocation &location, int runs,
             const std::function<core::Result<QString>(storage::Archive &)> &reading, QTextStream &out)
{
    QList<double> times;
    QString outcome;
    auto archive = storage::Archive::open(location);
    if (!archive) {
        out << "  " << archive.error() << Qt::endl;
        return false;
    }
    for (int n = 0; n <= runs; ++n) {
        QElapsedTimer timer;
        timer.start();
        const core::Result<QString> read = reading(**archive);
        if (!read) {
            out << "  " << caption << ": " << read.error() << Qt::endl;
            return false;
        }
        times.append(timer.nsecsElapsed() / 1e6);
        outcome = *read;
    }
    const double first = times.takeFirst();
    std::sort(times.begin(), times.end());
    const double median = times.at(times.size() / 2);
    const bool met = first <= targetMs && median <= targetMs;
    out << QStringLiteral("  %1: %2\n    first %3 ms, warm median %4 ms, worst %5 ms: target %6 ms %7")
               .arg(caption, outcome)
               .arg(first, 0, 'f', 1)
               .arg(median, 0, 'f', 1)
               .arg(times.last(), 0, 'f', 1)
               .arg(targetMs, 0, 'f', 0)
               .arg(met ? QStringLiteral("met") : QStringLiteral("MISSED"))
        << Qt::endl;
    return met;
}

int run(const QString &engine, const storage::ArchiveLocation &location, const Settings &settings,
        QTextStream &out)
{
    out << engine << ":" << Qt::endl;
    const QDate today = QDate::currentDate();
    {
        QElapsedTimer timer;
        timer.start();
        storage::OpenOptions options;
        options.createIfMissing = true;
        auto archive = storage::Archive::open(location, options);
        if (!archive) {
            out << "  " << archive.error() << Qt::endl;
            return 2;
        }
        if (core::Status filled = fill(**archive, settings, today); !filled) {
            out << "  " << filled.error() << Qt::endl;
            return 2;
        }
        if ((*archive)->engine() == storage::Engine::PostgreSQL)
            if (const core::Result<int> analysed = (*archive)->execute(QStringLiteral("ANALYZE"));
                !analysed) {
                out << "  " << analysed.error() << Qt::endl;
                return 2;
            }
        out << QStringLiteral("  %1 open job orders of %2 rows built in %3 s")
                   .arg(settings.jobs)
                   .arg(settings.rows)
                   .arg(timer.elapsed() / 1000.0, 0, 'f', 1)
            << Qt::endl;
    }
    const auto openList = [](storage::Archive &archive) {
        storage::ListFilter filter(archive.dialect());
        const shell::ListScope scope = shell::documentListScope({}, QStringLiteral("Data"));
        filter.condition(scope.condition, scope.parameters);
        return readList(archive, filter);
    };
    const auto filteredList = [today](storage::Archive &archive) {
        storage::ListFilter filter(archive.dialect());
        const shell::ListScope scope = shell::documentListScope({}, QStringLiteral("Data"));
        filter.condition(scope.condition, scope.parameters);
        filter.startsWith(QStringLiteral("Cliente"), QStringLiteral("Cliente 0042"));
        filter.dateFrom(QStringLiteral("Data"), today.addMonths(-6));
        filter.dateTo(QStringLiteral("Data"), today);
        return readList(archive, filter);
    };
    const qint64 longJob = settings.jobs;
    bool met = measure(QStringLiteral("Job-order list as it opens"), location, settings.runs, openList, out);
    met = measure(QStringLiteral("Job-order list of a customer over six months"), location, settings.runs,
                  filteredList, out) &&
          met;
    met = measure(
              QStringLiteral("Job order of %1 rows opened").arg(settings.longRows), location, settings.runs,
              [longJob](storage::Archive &archive) { return readJob(archive, longJob); }, out) &&
          met;
    return met ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("jobs"), QStringLiteral("Open job orders (50000)."), QStringLiteral("n"),
                      QStringLiteral("50000")});
    parser.addOption({QStringLiteral("rows"), QStringLiteral("Rows of each job order (5)."),
                      QStringLiteral("n"), QStringLiteral("5")});
    parser.addOption({QStringLiteral("long-rows"), QStringLiteral("Rows of the job order opened (50)."),
                      QStringLiteral("n"), QStringLiteral("50")});
    parser.addOption({QStringLiteral("runs"), QStringLiteral("Readings after the first (10)."),
                      QStringLiteral("n"), QStringLiteral("10")});
    parser.addOption({QStringLiteral("keep"),
                      QStringLiteral("Build the SQLite archive in this new folder and leave it there."),
                      QStringLiteral("folder")});
    bench::addPostgresOption(parser);
    parser.process(app);
    QTextStream out(stdout);
    Settings settings;
    settings.jobs = std::max(1, parser.value(QStringLiteral("jobs")).toInt());
    settings.rows = std::max(1, parser.value(QStringLiteral("rows")).toInt());
    settings.longRows = std::max(1, parser.value(QStringLiteral("long-rows")).toInt());
    settings.runs = std::max(1, parser.value(QStringLiteral("runs")).toInt());
    QTemporaryDir temporary;
    const QString folder =
        parser.isSet(QStringLiteral("keep")) ? parser.value(QStringLiteral("keep")) : temporary.path();
    if (!QDir().mkpath(folder) || QFileInfo::exists(QDir(folder).filePath(QStringLiteral("archivio.db")))) {
        out << folder << ": wants a new folder" << Qt::endl;
        return 2;
    }
    QList<std::pair<QString, storage::ArchiveLocation>> engines{
        {QStringLiteral("SQLite"),
         storage::ArchiveLocation::sqliteFile(QDir(folder).filePath(QStringLiteral("archivio.db")))}};
    if (parser.isSet(QStringLiteral("postgresql"))) {
        const auto location = storage::ArchiveLocation::parse(parser.value(QStringLiteral("postgresql")));
        if (!location) {
            out << location.error() << Qt::endl;
            return 2;
        }
        engines.append({QStringLiteral("PostgreSQL"), *location});
    }
    int worst = 0;
    for (const auto &[engine, location] : engines)
        worst = std::max(worst, run(engine, location, settings, out));
    return worst;
}
