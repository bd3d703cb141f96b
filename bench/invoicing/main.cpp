// Times customer invoicing on the synthetic ten-year archive: a new invoice with its number, due
// dates and cash-book entries; opening an invoice of 300 rows in its window; a row edit with the
// totals and due dates that follow it; several workstations creating invoices at once, with their
// wall time and how often a statement waited for another workstation; and last, on a very busy
// year of open invoices, the invoice list opened and filtered by date and by customer, with its
// statement alone beside it to tell the archive's share from the grid's.
//   bench_invoicing [--scale F] [--postgresql ADDRESS] [--open-invoices N] [--workstations N]
//                   [--invoices N]

#include "archive/syntheticarchive.h"
#include "benchsupport.h"
#include "core/money.h"
#include "invoicing/documentlists.h"
#include "invoicing/instalments.h"
#include "invoicing/invoicerows.h"
#include "invoicing/invoices.h"
#include "invoicing/ui/documentlistwindows.h"
#include "invoicing/ui/invoicewindow.h"
#include "invoicing/ui/invoicingwindows.h"
#include "registries/ui/registrieswindows.h"
#include "shell/historyselection.h"
#include "shell/scriptedprompter.h"
#include "shell/session.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/shellwindows.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"
#include "storage/listfilter.h"
#include "storage/recordlistmodel.h"
#include "storage/sqlvalue.h"
#include "transport/ui/transportwindows.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <random>

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

// The condition of the invoices the list shows, those not yet closed with their year, here kept to
// the invoices dated from the day given.
const char *const openInvoicesSince =
    "Storico = ? AND Carico = ? AND COALESCE(FattNota, ?) = ? AND Data >= ?";

QVariantList openInvoicesParameters(const QDate &since)
{
    return {false, false, false, false, storage::sqlvalue::date(since)};
}

core::Result<qint64> openInvoicesOfYear(storage::Archive &archive, const QDate &yearStart)
{
    const auto counted = archive.scalar(
        QStringLiteral("SELECT COUNT(*) FROM fattura WHERE %1").arg(QLatin1String(openInvoicesSince)),
        openInvoicesParameters(yearStart));
    if (!counted)
        return core::Result<qint64>::failure(counted.error());
    return counted->toLongLong();
}

// Brings the open invoices of the current year up to the number asked, so that the invoice list is
// measured at the size of a very busy office's year. Only headers are written, since the list reads
// nothing else, all in one transaction through the same bulk insert that fills the archive.
core::Result<qint64> topUpOpenInvoices(storage::Archive &archive, qint64 wanted, const QDate &today)
{
    using Failure = core::Result<qint64>;
    const QDate yearStart(today.year(), 1, 1);
    const auto open = openInvoicesOfYear(archive, yearStart);
    if (!open)
        return open;
    const qint64 missing = wanted - *open;
    if (missing <= 0)
        return qint64(0);
    const auto highest = archive.scalar(QStringLiteral("SELECT MAX(ID) FROM fattura"));
    const auto lastNumber =
        archive.scalar(QStringLiteral("SELECT MAX(Num) FROM fattura WHERE Carico = ? AND Data >= ?"),
                       {false, storage::sqlvalue::date(yearStart)});
    const auto customers = archive.scalar(QStringLiteral("SELECT MAX(Id) FROM Clienti"));
    if (!highest || !lastNumber || !customers)
        return Failure::failure(!highest      ? highest.error()
                                : !lastNumber ? lastNumber.error()
                                              : customers.error());
    if (customers->toInt() < 1)
        return Failure::failure(QStringLiteral("The archive has no customers to invoice"));
    std::mt19937 random(20260301);
    const auto between = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    // Numbers follow the dates, as they do when an office invoices day by day.
    const int days = static_cast<int>(yearStart.daysTo(today));
    QList<QDate> dates;
    dates.reserve(missing);
    for (qint64 i = 0; i < missing; ++i)
        dates.append(yearStart.addDays(between(0, days)));
    std::sort(dates.begin(), dates.end());
    QList<QVariantList> rows;
    rows.reserve(missing);
    for (qint64 i = 0; i < missing; ++i) {
        const int customer = between(1, customers->toInt());
        const double net = core::arrotonda(between(5000, 900000) / 100.0);
        const double vat = core::arrotonda(net * 0.22);
        rows.append({highest->toLongLong() + i + 1, false, false, lastNumber->toLongLong() + i + 1,
                     dates.at(i), customer,
                     QStringLiteral("Cliente %1 S.r.l.").arg(customer, 5, 10, QChar(u'0')), net, vat,
                     core::arrotonda(net + vat), i % 3 != 0, false});
    }
    storage::Transaction transaction(archive);
    if (core::Status written = archive.insertRows(
            QStringLiteral("fattura"),
            {QStringLiteral("ID"), QStringLiteral("Carico"), QStringLiteral("FattNota"),
             QStringLiteral("Num"), QStringLiteral("Data"), QStringLiteral("Cliente_ID"),
             QStringLiteral("Cliente"), QStringLiteral("TotImponibile"), QStringLiteral("TotImposta"),
             QStringLiteral("TotFattura"), QStringLiteral("EsportatoXml"), QStringLiteral("Storico")},
            rows);
        !written)
        return Failure::failure(written.error());
    if (core::Status committed = transaction.commit(); !committed)
        return Failure::failure(committed.error());
    if (core::Status keys = archive.continueKeysAfterHighest(QStringLiteral("fattura")); !keys)
        return Failure::failure(keys.error());
    return missing;
}

// The invoice list's statement alone, with what is typed in its filter: read straight from the
// archive, and read into the list's model as the window does, but with no window around it.
struct HeadlessList
{
    QList<double> read;
    QList<double> model;
    qsizetype rows = 0;
};

core::Result<HeadlessList> timeListStatement(storage::Archive &archive,
                                             const invoicing::InvoiceListFilter &typed, int times)
{
    storage::ListFilter filter(archive.dialect());
    if (core::Status added = invoicing::addInvoiceListConditions(filter, typed); !added)
        return core::Result<HeadlessList>::failure(added.error());
    const invoicing::DocumentListStatement statement = invoicing::documentListStatement(
        invoicing::CustomerDocument::Invoice, shell::openDocumentsScope(), filter);
    HeadlessList result;
    QElapsedTimer timer;
    for (int i = 0; i < times; ++i) {
        timer.restart();
        const auto rows = archive.readRows(statement.sql, statement.parameters);
        if (!rows)
            return core::Result<HeadlessList>::failure(rows.error());
        result.read.append(milliseconds(timer));
        result.rows = rows->values.size();
    }
    storage::RecordListModel model(archive, QStringLiteral("ID"));
    model.setStatement(statement.sql, statement.parameters);
    for (int i = 0; i < times; ++i) {
        timer.restart();
        if (core::Status read = model.reload(); !read)
            return core::Result<HeadlessList>::failure(read.error());
        result.model.append(milliseconds(timer));
    }
    return result;
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
    parser.addOption(
        {QStringLiteral("open-invoices"),
         QStringLiteral("Open invoices of the current year the invoice list shows, at least (20000)."),
         QStringLiteral("n"), QStringLiteral("20000")});
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

    // The invoice list on a very busy year: the open invoices of the current year are brought up to
    // the number asked only now, so that the figures above stay those of the synthetic archive.
    storage::Archive &listed = *session.archive();
    const QDate today = QDate::currentDate();
    timer.restart();
    const auto added =
        topUpOpenInvoices(listed, parser.value(QStringLiteral("open-invoices")).toLongLong(), today);
    const auto open = openInvoicesOfYear(listed, QDate(today.year(), 1, 1));
    if (!added || !open) {
        out << (!added ? added.error() : open.error()) << Qt::endl;
        return 2;
    }
    if (listed.engine() == storage::Engine::PostgreSQL)
        (void)listed.execute(QStringLiteral("ANALYZE"));
    out << QStringLiteral("Open invoices of %1: %2, of which %3 added in %4 s")
               .arg(today.year())
               .arg(*open)
               .arg(*added)
               .arg(timer.elapsed() / 1000.0, 0, 'f', 1)
        << Qt::endl;

    // Opened, filtered by a month and by the customer with most open invoices, each time with the
    // grid drawn; "reset" between filters.
    const QString month = QStringLiteral("%1/03/") + QString::number(today.year());
    const auto busiest = listed.readRows(
        QStringLiteral(
            "SELECT Cliente_ID, COUNT(*) FROM fattura WHERE %1 AND Cliente_ID IS NOT NULL GROUP BY "
            "Cliente_ID ORDER BY COUNT(*) DESC, Cliente_ID")
            .arg(QLatin1String(openInvoicesSince)),
        openInvoicesParameters(QDate(today.year(), 1, 1)));
    if (!busiest || busiest->values.isEmpty()) {
        out << (busiest ? QStringLiteral("No customer has open invoices") : busiest.error()) << Qt::endl;
        return 2;
    }
    const qint64 chosenCustomer = busiest->values.first().value(0).toLongLong();
    // Built and first drawn are told apart too: the list is read while the window is built, the
    // filter fields take their size when it is first shown.
    QList<double> listOpenings, listBuilt, listShown;
    int openRows = 0;
    for (int i = 0; i < 10; ++i) {
        timer.restart();
        invoicing::ui::CustomerDocumentListWindow list(session, windows, invoicing::CustomerDocument::Invoice,
                                                       {}, nullptr);
        const double built = milliseconds(timer);
        list.show();
        QApplication::processEvents();
        listOpenings.append(milliseconds(timer));
        listBuilt.append(built);
        listShown.append(listOpenings.last() - built);
        openRows = list.records().rowCount();
    }
    out << QStringLiteral("Invoice list opened, %1 rows: %2 (built %3; shown %4)")
               .arg(openRows)
               .arg(summary(listOpenings), summary(listBuilt), summary(listShown))
        << Qt::endl;
    {
        invoicing::ui::CustomerDocumentListWindow list(session, windows, invoicing::CustomerDocument::Invoice,
                                                       {}, nullptr);
        list.show();
        QApplication::processEvents();
        auto *from = list.findChild<QLineEdit *>(QStringLiteral("maskDallaData"));
        auto *to = list.findChild<QLineEdit *>(QStringLiteral("maskAllaData"));
        auto *customerBox = list.findChild<shell::ui::LookupBox *>(QStringLiteral("dblCliente"));
        if (!from || !to || !customerBox) {
            out << QStringLiteral("The invoice list has no date or customer filter") << Qt::endl;
            return 2;
        }
        QList<double> byDate, byCustomer, resets;
        int dateRows = 0, customerRows = 0, resetRows = 0;
        for (int i = 0; i < 10; ++i) {
            timer.restart();
            from->setText(month.arg(QStringLiteral("01")));
            to->setText(month.arg(QStringLiteral("31")));
            list.search();
            QApplication::processEvents();
            byDate.append(milliseconds(timer));
            dateRows = list.records().rowCount();
            timer.restart();
            list.resetFilters();
            QApplication::processEvents();
            resets.append(milliseconds(timer));
            resetRows = list.records().rowCount();
            timer.restart();
            customerBox->setKey(chosenCustomer);
            list.search();
            QApplication::processEvents();
            byCustomer.append(milliseconds(timer));
            customerRows = list.records().rowCount();
            list.resetFilters();
            QApplication::processEvents();
        }
        out << QStringLiteral("Invoice list filtered 01/03-31/03/%1, %2 rows: %3")
                   .arg(today.year())
                   .arg(dateRows)
                   .arg(summary(byDate))
            << Qt::endl;
        out << QStringLiteral("Invoice list filtered by customer %1, %2 rows: %3")
                   .arg(chosenCustomer)
                   .arg(customerRows)
                   .arg(summary(byCustomer))
            << Qt::endl;
        out << QStringLiteral("Invoice list reset to all, %1 rows: %2").arg(resetRows).arg(summary(resets))
            << Qt::endl;
    }
    // The same statements with no window, to tell the archive's share from the grid's.
    invoicing::InvoiceListFilter byMonth;
    byMonth.fromDate = month.arg(QStringLiteral("01"));
    byMonth.toDate = month.arg(QStringLiteral("31"));
    invoicing::InvoiceListFilter byCustomer;
    byCustomer.customer = chosenCustomer;
    for (const auto &[caption, typed] : {std::pair{QStringLiteral("all"), invoicing::InvoiceListFilter()},
                                         std::pair{QStringLiteral("by date"), byMonth},
                                         std::pair{QStringLiteral("by customer"), byCustomer}}) {
        const auto timed = timeListStatement(listed, typed, 10);
        if (!timed) {
            out << timed.error() << Qt::endl;
            return 2;
        }
        out << QStringLiteral("Invoice list statement %1, %2 rows: read %3; into the list model %4")
                   .arg(caption)
                   .arg(timed->rows)
                   .arg(summary(timed->read), summary(timed->model))
            << Qt::endl;
    }
    return failed == 0 ? 0 : 1;
}
