// Times the print program on a long list: a new archive with 10,000 customers, the request of the
// customer list exported to PDF, and the whole run of rotalina-stampa (start, archive, statement,
// layout, pages, file) with the peak memory of that process.
//   bench_print [--rows N] [--runs N] [--postgresql ADDRESS]
// The layouts and the print program are the ones beside this benchmark (the build's bin folder).

#include "benchsupport.h"
#include "core/workstation.h"
#include "shell/reportservice.h"
#include "storage/archive.h"
#include "storage/archivepathfile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <sys/resource.h>

using namespace rotalina;

namespace {

core::Status fillCustomers(storage::Archive &archive, int rows)
{
    QList<QVariantList> values;
    values.reserve(rows);
    const QStringList towns{QStringLiteral("Verona"), QStringLiteral("Milano"), QStringLiteral("Bologna"),
                            QStringLiteral("Padova")};
    for (int i = 0; i < rows; ++i)
        values.append({QStringLiteral("Cliente di prova %1 S.r.l.").arg(i, 5, 10, QChar(u'0')),
                       QStringLiteral("Via del Commercio %1").arg(i % 300 + 1), towns.at(i % towns.size()),
                       QStringLiteral("%1").arg(37000 + i % 900), QStringLiteral("VR"),
                       QStringLiteral("%1").arg(10000000000LL + i * 7919LL),
                       QStringLiteral("045 %1").arg(1000000 + i),
                       QStringLiteral("cliente%1@esempio.it").arg(i), 1000.0 + i * 0.37, false});
    return archive.insertRows(QStringLiteral("Clienti"),
                              {QStringLiteral("NominativoDocumenti"), QStringLiteral("Via"),
                               QStringLiteral("Citta"), QStringLiteral("Cap"), QStringLiteral("Provincia"),
                               QStringLiteral("Iva"), QStringLiteral("Telefono"), QStringLiteral("EMail"),
                               QStringLiteral("SaldoInizioAnno"), QStringLiteral("Annullato")},
                              values);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("rows"), QStringLiteral("Customers in the list (10000)."),
                      QStringLiteral("n"), QStringLiteral("10000")});
    parser.addOption({QStringLiteral("runs"), QStringLiteral("Runs of the print program (3)."),
                      QStringLiteral("n"), QStringLiteral("3")});
    bench::addPostgresOption(parser);
    parser.process(app);
    QTextStream out(stdout);

    QTemporaryDir home;
    auto archive = bench::openNewArchive(parser, home.path());
    if (!archive) {
        out << archive.error() << Qt::endl;
        return 2;
    }
    const int rows = parser.value(QStringLiteral("rows")).toInt();
    if (core::Status filled = fillCustomers(**archive, rows); !filled) {
        out << filled.error() << Qt::endl;
        return 2;
    }
    if (!storage::writeArchivePath(home.path(), (*archive)->location())) {
        out << "percorso.txt non scritto" << Qt::endl;
        return 2;
    }

    const QString installed = QCoreApplication::applicationDirPath();
    const QString pdf = home.filePath(QStringLiteral("Clienti.pdf"));
    const shell::ExportTarget target{pdf, 1};
    QList<double> seconds;
    long peakKb = 0;
    for (int run = 0; run < parser.value(QStringLiteral("runs")).toInt(); ++run) {
        QFile::remove(pdf);
        if (core::Status written =
                shell::writeReportRequest(**archive, core::workstationName(), installed, 1, {}, {}, &target);
            !written) {
            out << written.error() << Qt::endl;
            return 2;
        }
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ROTALINA_HOME"), home.path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(environment);
        QElapsedTimer timer;
        timer.start();
        process.start(shell::printProgramPath(installed), {});
        process.waitForFinished(-1);
        seconds.append(timer.nsecsElapsed() / 1e9);
        if (process.exitCode() != 0 || !QFileInfo::exists(pdf)) {
            out << "Il programma di stampa non è riuscito: " << process.readAllStandardError() << Qt::endl;
            return 1;
        }
        // The largest resident size of the children waited for so far: the print program runs.
        rusage usage{};
        getrusage(RUSAGE_CHILDREN, &usage);
        peakKb = std::max(peakKb, usage.ru_maxrss);
    }
    const double first = seconds.value(0);
    std::sort(seconds.begin(), seconds.end());
    out << QStringLiteral(
               "%1 clienti, PDF di %2 KB: %3 s la prima volta, mediana %4 s; memoria di picco %5 MB")
               .arg(rows)
               .arg(QFileInfo(pdf).size() / 1024)
               .arg(first, 0, 'f', 2)
               .arg(seconds.value(seconds.size() / 2), 0, 'f', 2)
               .arg(peakKb / 1024.0, 0, 'f', 1)
        << Qt::endl;
    return 0;
}
