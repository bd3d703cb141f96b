// Builds the synthetic ten-year archive and reports how long it took.
//   bench_archive [--sqlite FILE] [--postgresql ADDRESS] [--scale 1.0]
// Without options it builds a SQLite archive in the current folder; with an address of an
// empty PostgreSQL database it builds it there too.

#include "archive/syntheticarchive.h"
#include "storage/archive.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

using namespace rotalina;

namespace {

int build(const storage::ArchiveLocation &location, const bench::SyntheticArchiveSize &size, QTextStream &out)
{
    QElapsedTimer timer;
    timer.start();
    storage::OpenOptions options;
    options.createIfMissing = true;
    auto archive = storage::Archive::open(location, options);
    if (!archive) {
        out << archive.error() << Qt::endl;
        return 1;
    }
    const qint64 created = timer.elapsed();
    const auto counts = bench::fillSyntheticArchive(**archive, size);
    if (!counts) {
        out << counts.error() << Qt::endl;
        return 1;
    }
    qint64 rows = 0;
    for (auto it = counts->cbegin(); it != counts->cend(); ++it) {
        out << QStringLiteral("  %1 %2").arg(it.key(), -24).arg(it.value(), 10) << Qt::endl;
        rows += it.value();
    }
    out << QStringLiteral("%1: new archive %2 ms, %3 rows written in %4 s")
               .arg(location.displayText())
               .arg(created)
               .arg(rows)
               .arg((timer.elapsed() - created) / 1000.0, 0, 'f', 1)
        << Qt::endl;
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption(
        {QStringLiteral("sqlite"), QStringLiteral("SQLite archive to build."), QStringLiteral("file")});
    parser.addOption({QStringLiteral("postgresql"), QStringLiteral("Empty PostgreSQL database to fill."),
                      QStringLiteral("address")});
    parser.addOption({QStringLiteral("scale"), QStringLiteral("Size relative to ten busy years."),
                      QStringLiteral("factor"), QStringLiteral("1.0")});
    parser.process(app);

    QTextStream out(stdout);
    bench::SyntheticArchiveSize size;
    size.scale = parser.value(QStringLiteral("scale")).toDouble();
    int failures = 0;
    const QString file = parser.isSet(QStringLiteral("sqlite")) ? parser.value(QStringLiteral("sqlite"))
                                                                : QStringLiteral("archivio-dieci-anni.db");
    if (QFile::exists(file)) {
        out << file << QStringLiteral(" exists already: remove it first") << Qt::endl;
        return 1;
    }
    failures += build(storage::ArchiveLocation::sqliteFile(file), size, out);
    if (parser.isSet(QStringLiteral("postgresql"))) {
        const auto location = storage::ArchiveLocation::parse(parser.value(QStringLiteral("postgresql")));
        if (!location) {
            out << location.error() << Qt::endl;
            return 1;
        }
        failures += build(*location, size, out);
    }
    return failures == 0 ? 0 : 1;
}
