// Times customer invoicing on the synthetic ten-year archive: a new invoice with its number, due
// dates and cash-book entries; opening an invoice of 300 rows in its window; a row edit with the
// totals and due dates that follow it; and several workstations creating invoices at once, with
// their wall time and how often a statement waited for another workstation.
//   bench_invoicing [--scale F] [--postgresql ADDRESS] [--workstations N] [--invoices N]

#include "archive/syntheticarchive.h"
#include "benchsupport.h"
#include "invoicing/instalments.h"
#include "invoicing/invoicerows.h"
#include "invoicing/invoices.h"
#include "invoicing/ui/invoicewindow.h"
#include "invoicing/ui/invoicingwindows.h"
#include "registries/ui/registrieswindows.h"
#include "shell/scriptedprompter.h"
#include "shell/session.h"
#include "shell/ui/shellwindows.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"
#include "transport/ui/transportwindows.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>

using namespace rotalina;

namespace {

double milliseconds(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e6;
}

QString summary(QList<double> times)
{
    std::sort(times.begin(), times.end());
    return QStringLiteral("median %1 ms, worst %2 ms")
        .arg(times.at(times.size() / 2), 0, 'f', 2)
        .arg(times.last(), 0, 'f', 2);
}

// One workstation of the concurrent run: creates invoices and prints how often it waited.
int workstation(const QString &address, int invoices)
{
    QTextStream out(stdout);
    const auto location = storage::ArchiveLocation::parse(address);
    auto archive = location ? storage::Archive::open(*location)
                            : core::Result<std::unique_ptr<storage::Archive>>::failure(location.error());
    if (!archive) {
        out << archive.error() << Qt::endl;
        return 2;
    }
    for (int i = 0; i < invoices; ++i) {
        invoicing::NewInvoice request;
        if (const auto key = invoicing::createInvoice(**archive, request); !key) {
            out << key.error() << Qt::endl;
            return 2;
        }
    }
    out << "retries " << (*archive)->busyRetries() << Qt::endl;
    return 0;
}

core::Result<qint64> invoiceWithRows(storage::Archive &archive, qint64 customer, qint64 mode, int rows)
{
    const auto key = invoicing::createInvoice(archive, {});
    if (!key)
        return key;
    if (core::Status set = archive.update(
            QStringLiteral("fattura"), *key,
            {{QStringLiteral("Cliente_ID"), customer}, {QStringLiteral("ModPagamento_Id"), mode}});
        !set)
        return core::Result<qint64>::failure(set.error());
    QList<QVariantList> values;
    for (int i = 0; i < rows; ++i)
        values.append({*key, i + 1, QStringLiteral("Trasporto Verona - Milano %1").arg(i), 1.0, 100.0 + i,
                       0.0, 22.0, QStringLiteral("N")});
    if (core::Status written = archive.insertRows(QStringLiteral("fattdett"),
                                                  {QStringLiteral("NumFatt"), QStringLiteral("NumeroRiga"),
                                                   QStringLiteral("Descrizione"), QStringLiteral("Um"),
                                                   QStringLiteral("ValoreUnitario"), QStringLiteral("Sconto"),
                                                   QStringLiteral("AliquotaIva"), QStringLiteral("TipoRiga")},
                                                  values);
        !written)
        return core::Result<qint64>::failure(written.error());
    if (core::Status dates = invoicing::generateDueDates(archive, *key, invoicing::DueDateMode::NewDates);
        !dates)
        return core::Result<qint64>::failure(dates.error());
    if (core::Status totals = invoicing::recomputeTotals(archive, *key); !totals)
        return core::Result<qint64>::failure(totals.error());
    return key;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("scale"),
                      QStringLiteral("Size of the archive relative to ten busy years."),
                      QStringLiteral("factor"), QStringLiteral("1.0")});
    parser.addOption({QStringLiteral("workstations"), QStringLiteral("Workstations creating at once (4)."),
                      QStringLiteral("n"), QStringLiteral("4")});
    parser.addOption({QStringLiteral("invoices"), QStringLiteral("Invoices each of them creates (250)."),
                      QStringLiteral("n"), QStringLiteral("250")});
    parser.addOption({QStringLiteral("workstation-of"),
                      QStringLiteral("Run as one workstation of the archive."), QStringLiteral("address")});
    bench::addPostgresOption(parser);
    parser.process(app);
    const int perWorkstation = parser.value(QStringLiteral("invoices")).toInt();
    if (parser.isSet(QStringLiteral("workstation-of")))
        return workstation(parser.value(QStringLiteral("workstation-of")), perWorkstation);
    QTextStream out(stdout);

    QTemporaryDir folder;
    auto archive = bench::openNewArchive(parser, folder.path());
    if (!archive) {
        out << archive.error() << Qt::endl;
        return 2;
    }
    bench::SyntheticArchiveSize size;
    size.scale = parser.value(QStringLiteral("scale")).toDouble();
    QElapsedTimer timer;
    timer.start();
    const auto filled = bench::fillSyntheticArchive(**archive, size);
    if (!filled) {
        out << filled.error() << Qt::endl;
        return 2;
    }
    qint64 written = 0;
    for (const qint64 rows : *filled)
        written += rows;
    out << QStringLiteral("Archive of %1 rows built in %2 s")
               .arg(written)
               .arg(timer.elapsed() / 1000.0, 0, 'f', 1)
        << Qt::endl;
    storage::Archive &db = **archive;
    if (db.engine() == storage::Engine::PostgreSQL)
        (void)db.execute(QStringLiteral("ANALYZE"));
    const auto mode = db.insert(QStringLiteral("ModPagamento"),
                                {{QStringLiteral("Descrizione"), QStringLiteral("RiBa 30/60/90")},
                                 {QStringLiteral("NumeroScadenze"), 3},
                                 {QStringLiteral("GG1Scadenza"), 30},
                                 {QStringLiteral("GG2Scadenza"), 60},
                                 {QStringLiteral("GG3Scadenza"), 90},
                                 {QStringLiteral("FatturaFineMese"), true},
                                 {QStringLiteral("PA_ModalitaPagamento_Codice"), QStringLiteral("MP12")}});
    const auto customer = db.scalar(QStringLiteral("SELECT MIN(Id) FROM Clienti"));
    if (!mode || !customer ||
        !db.execute(
            QStringLiteral("UPDATE opzioni SET DuplicaFatturazioneInPrimaNota = true, ModPagamento_Id = ?"),
            {*mode})) {
        out << QStringLiteral("The archive could not be prepared") << Qt::endl;
        return 2;
    }

    // A new invoice: number, transmission number, due dates and cash-book entries.
    QList<double> creations;
    for (int i = 0; i < 30; ++i) {
        timer.restart();
        if (const auto key = invoicing::createInvoice(db, {}); !key) {
            out << key.error() << Qt::endl;
            return 2;
        }
        creations.append(milliseconds(timer));
    }
    out << QStringLiteral("New invoice with its number, due dates and cash-book entries: %1")
               .arg(summary(creations))
        << Qt::endl;

    // An invoice of 300 rows opened in its window, and one of its rows edited.
    const auto big = invoiceWithRows(db, customer->toLongLong(), *mode, 300);
    if (!big) {
        out << big.error() << Qt::endl;
        return 2;
    }
    shell::ScriptedPrompter prompter;
    bench::NoDesktop desktop;
    shell::Session session(prompter, desktop, folder.path() + u'/', QStringLiteral("BENCH"));
    session.setArchive(std::move(*archive));
    shell::ui::WindowRegistry windows;
    shell::ui::registerShellWindows(windows);
    registries::ui::registerRegistriesWindows(windows);
    transport::ui::registerTransportWindows(windows);
    invoicing::ui::registerInvoicingWindows(windows);
    QList<double> openings;
    for (int i = 0; i < 10; ++i) {
        timer.restart();
        invoicing::ui::InvoiceWindow window(session, windows, *big, false);
        window.show();
        QApplication::processEvents();
        openings.append(milliseconds(timer));
    }
    out << QStringLiteral("Invoice of 300 rows opened in its window: %1").arg(summary(openings)) << Qt::endl;
    const auto row =
        session.archive()->scalar(QStringLiteral("SELECT MIN(IDX) FROM fattdett WHERE NumFatt = ?"), {*big});
    QList<double> edits;
    for (int i = 0; i < 30; ++i) {
        timer.restart();
        if (core::Status saved = invoicing::saveInvoiceRow(*session.archive(), row->toLongLong(),
                                                           {{QStringLiteral("ValoreUnitario"), 100.0 + i}});
            !saved) {
            out << saved.error() << Qt::endl;
            return 2;
        }
        edits.append(milliseconds(timer));
    }
    out << QStringLiteral("Row edit with totals and due dates, 300 rows: %1").arg(summary(edits)) << Qt::endl;

    // Workstations creating invoices at once.
    const int count = parser.value(QStringLiteral("workstations")).toInt();
    const QString address = session.archive()->location().text();
    const qint64 before =
        session.archive()
            ->scalar(QStringLiteral("SELECT MAX(DatiTrasmissione_NumeroInterno) FROM fattura"))
            ->toLongLong();
    QList<QProcess *> processes;
    timer.restart();
    for (int i = 0; i < count; ++i) {
        auto *process = new QProcess;
        process->setProcessChannelMode(QProcess::MergedChannels);
        process->start(QCoreApplication::applicationFilePath(),
                       {QStringLiteral("--workstation-of"), address, QStringLiteral("--invoices"),
                        QString::number(perWorkstation)});
        processes.append(process);
    }
    int retries = 0;
    int failed = 0;
    for (QProcess *process : std::as_const(processes)) {
        process->waitForFinished(-1);
        const QString said = QString::fromUtf8(process->readAll()).trimmed();
        if (process->exitCode() != 0) {
            ++failed;
            out << said << Qt::endl;
        } else if (said.startsWith(QStringLiteral("retries "))) {
            retries += said.mid(8).toInt();
        }
        delete process;
    }
    const double wall = milliseconds(timer);
    const auto repeated = session.archive()->scalar(
        QStringLiteral("SELECT COUNT(*) FROM (SELECT DatiTrasmissione_NumeroInterno FROM fattura WHERE "
                       "DatiTrasmissione_NumeroInterno > ? GROUP BY DatiTrasmissione_NumeroInterno HAVING "
                       "COUNT(*) > 1) AS twice"),
        {before});
    out << QStringLiteral("%1 workstations x %2 invoices: %3 s wall, %4 lock retries, %5 failed, %6 repeated "
                          "transmission numbers")
               .arg(count)
               .arg(perWorkstation)
               .arg(wall / 1000.0, 0, 'f', 2)
               .arg(retries)
               .arg(failed)
               .arg(repeated ? repeated->toInt() : -1)
        << Qt::endl;
    return failed == 0 ? 0 : 1;
}
