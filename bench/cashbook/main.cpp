// Times the cash book and the due-date book on the synthetic ten-year archive, read as their list
// windows read them: the cash book of last year with its totals and balance, the same kept to one
// bank, this year's cash book as it opens, and the customers' open instalments ("Scadenziario
// Clienti"). The archive is given banks and the movements typed by hand in them first, which the
// synthetic archive leaves out. Each list is read once on a connection just opened, then again
// several times; the target of each is 150 ms. The plans of its statements follow a figure that
// misses it (all of them with --plans).
//   bench_cashbook [--scale F] [--runs N] [--plans] [--postgresql ADDRESS] [--keep FOLDER]
// It runs on SQLite, and also on the PostgreSQL database the option names (an empty one); with
// --keep the SQLite archive is left in the folder to look into.

#include "archive/syntheticarchive.h"
#include "benchsupport.h"
#include "purchases/cashbook.h"
#include "purchases/duedatebook.h"
#include "shell/historyselection.h"
#include "shell/registrydescriptor.h"
#include "storage/archive.h"
#include "storage/listfilter.h"
#include "storage/recordlistmodel.h"
#include "storage/sqlvalue.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <functional>
#include <random>

using namespace rotalina;

namespace {

constexpr double targetMs = 150;

double milliseconds(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e6;
}

// ---------------------------------------------------------------------------------------------
// What the synthetic archive leaves out of the cash book: the firm's bank accounts and the
// movements typed by hand in them or outside the cash.

struct BankAccount
{
    const char *name;
    const char *iban;
    double opening; // SaldoInizioAnno
};

const BankAccount bankAccounts[] = {{"Banco BPM - Verona", "IT60X0503411701000000123456", 48250.00},
                                    {"Intesa Sanpaolo - Parma", "IT02A0306912711100000004567", 21730.50},
                                    {"Credit Agricole - Modena", "IT40S0623012700000012345678", 9815.20}};

// A movement typed every month: how many of it at scale 1, on which day (0 for any day), in which
// bank (1-3, 0 for none) and kind of cash, in or out, and the range of its amount in cents.
struct MonthlyEntry
{
    const char *text;
    int perMonth;
    int day;
    int bank;
    purchases::CashKind kind;
    bool income;
    int lowCents;
    int highCents;
};

using purchases::CashKind;

const MonthlyEntry monthlyEntries[] = {
    {"Stipendio autista", 25, 10, 1, CashKind::Bank, false, 180000, 260000},
    {"F24 ritenute e contributi", 1, 16, 1, CashKind::Bank, false, 1500000, 2600000},
    {"F24 IVA", 1, 16, 1, CashKind::Bank, false, 500000, 3000000},
    {"Canone leasing trattore", 12, 5, 2, CashKind::Bank, false, 180000, 240000},
    {"Rata mutuo capannone", 1, 28, 2, CashKind::Bank, false, 350000, 350000},
    {"Carte carburante", 4, 0, 3, CashKind::Bank, false, 800000, 2500000},
    {"Pedaggi autostradali Telepass", 1, 20, 3, CashKind::Bank, false, 300000, 900000},
    {"Commissioni e spese bancarie", 1, 28, 1, CashKind::Bank, false, 1500, 9000},
    {"Commissioni e spese bancarie", 1, 28, 2, CashKind::Bank, false, 1500, 9000},
    {"Commissioni e spese bancarie", 1, 28, 3, CashKind::Bank, false, 1500, 9000},
    {"Versamento contanti", 2, 0, 1, CashKind::Bank, true, 50000, 300000},
    {"Versamento contanti in banca", 2, 0, 0, CashKind::Cash, false, 50000, 300000},
    {"Anticipo spese autista", 6, 0, 0, CashKind::Outside, false, 5000, 40000},
    {"Rimborso nota spese", 2, 0, 0, CashKind::Outside, true, 2000, 15000}};

struct CashBookAdditions
{
    qint64 bankPayments = 0; // instalments' payments credited to a bank
    qint64 typed = 0;        // movements typed by hand
};

// Gives the archive its banks and the cash book its opening balance, credits the instalments paid
// by bank to one of the banks, and adds the movements typed by hand over the archive's years, each
// year in history but the current one.
core::Result<CashBookAdditions> completeCashBook(storage::Archive &archive, double scale, const QDate &today,
                                                 int years)
{
    using Failure = core::Result<CashBookAdditions>;
    CashBookAdditions added;
    storage::Transaction transaction(archive);
    QList<QVariantList> rows;
    int key = 0;
    for (const BankAccount &account : bankAccounts)
        rows.append({++key, QString::fromUtf8(account.name), QString::fromLatin1(account.iban),
                     account.opening, false});
    if (core::Status written =
            archive.insertRows(QStringLiteral("Bank"),
                               {QStringLiteral("Id"), QStringLiteral("Banca"), QStringLiteral("Iban"),
                                QStringLiteral("SaldoInizioAnno"), QStringLiteral("annullato")},
                               rows);
        !written)
        return Failure::failure(written.error());
    if (const core::Result<int> set =
            archive.execute(QStringLiteral("UPDATE opzioni SET SaldoInizialePrimaNota = ?"), {35000.0});
        !set)
        return Failure::failure(set.error());
    const core::Result<int> credited = archive.execute(
        QStringLiteral(
            "UPDATE finanzia SET Banca_ID = 1 + ID % 3 WHERE Tipologia_ID = ? AND Banca_ID IS NULL"),
        {static_cast<int>(CashKind::Bank)});
    if (!credited)
        return Failure::failure(credited.error());
    added.bankPayments = *credited;

    const core::Result<QVariant> highest = archive.scalar(QStringLiteral("SELECT MAX(ID) FROM finanzia"));
    if (!highest)
        return Failure::failure(highest.error());
    qint64 entry = highest->toLongLong();
    std::mt19937 random(20251231);
    const auto between = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const QDate yearStart(today.year(), 1, 1);
    rows.clear();
    for (int year = today.year() - years + 1; year <= today.year(); ++year) {
        for (int month = 1; month <= 12; ++month) {
            for (const MonthlyEntry &monthly : monthlyEntries) {
                const int count = std::max(1, static_cast<int>(std::lround(monthly.perMonth * scale)));
                for (int n = 1; n <= count; ++n) {
                    const QDate date(year, month, monthly.day > 0 ? monthly.day : between(1, 28));
                    if (date > today)
                        continue;
                    QString text = QStringLiteral("%1 %2/%3")
                                       .arg(QString::fromUtf8(monthly.text))
                                       .arg(month, 2, 10, QChar(u'0'))
                                       .arg(year);
                    if (count > 1)
                        text += QStringLiteral(" n. %1").arg(n);
                    const double amount = between(monthly.lowCents, monthly.highCents) / 100.0;
                    rows.append(
                        {++entry, date, text, monthly.income ? amount : 0.0, monthly.income ? 0.0 : amount,
                         monthly.bank > 0 ? QVariant(monthly.bank) : QVariant(),
                         static_cast<int>(monthly.kind), QStringLiteral("A"), date < yearStart, false,
                         n % 5 == 0 ? QVariant(QStringLiteral("Contabile n. %1").arg(entry)) : QVariant()});
                }
            }
        }
    }
    if (core::Status written = archive.insertRows(
            QStringLiteral("finanzia"),
            {QStringLiteral("ID"), QStringLiteral("Data"), QStringLiteral("Operazione"),
             QStringLiteral("Entrata"), QStringLiteral("Uscita"), QStringLiteral("Banca_ID"),
             QStringLiteral("Tipologia_ID"), QStringLiteral("Tipo"), QStringLiteral("Storico"),
             QStringLiteral("Corrispettivi"), QStringLiteral("Note")},
            rows);
        !written)
        return Failure::failure(written.error());
    added.typed = rows.size();
    if (core::Status committed = transaction.commit(); !committed)
        return Failure::failure(committed.error());
    for (const QString &table : {QStringLiteral("Bank"), QStringLiteral("finanzia")})
        if (core::Status keys = archive.continueKeysAfterHighest(table); !keys)
            return Failure::failure(keys.error());
    return added;
}

// ---------------------------------------------------------------------------------------------
// The lists as their windows read them.

// The view of the due-date book the main window opens as "Scadenziario Clienti".
const QString openCustomerInstalments =
    QStringLiteral("FatturaScadenze.DataPagamento IS NULL AND (FatturaScadenze.Tipo <> 'C' AND "
                   "FatturaScadenze.Tipo <> 'B')");

// A statement with its bound values, for its plan.
struct Statement
{
    QString sql;
    QVariantList parameters;
};

// One reading of a list: the list itself into the model, then the totals under it.
struct Timing
{
    double list = 0;
    double totals = 0;
    double whole() const { return list + totals; }
};

// A list measured: what it reads and how, and the statements it runs.
struct ListReading
{
    QString caption;
    std::function<core::Result<Timing>()> read;
    std::function<QString()> outcome; // rows read, totals shown
    QList<Statement> statements;
};

// The cash book kept to a scope (a period of the history, or this year's entries) and maybe to a
// bank, with the balance up to the day given.
struct CashBookView
{
    shell::ListScope scope;
    QVariant bank;
    QDate until;
};

storage::ListFilter cashBookFilter(const storage::Archive &archive, const CashBookView &view)
{
    storage::ListFilter filter(archive.dialect());
    filter.condition(view.scope.condition, view.scope.parameters);
    purchases::addCashBookConditions(filter, CashKind::All, view.bank);
    return filter;
}

// The statements cashBookTotals runs: the sums of the rows listed, and every movement up to the day.
QList<Statement> cashBookStatements(const storage::Archive &archive, const CashBookView &view)
{
    const storage::ListFilter filter = cashBookFilter(archive, view);
    const QString list = shell::registryListStatement(purchases::cashBookRegistry(), filter.conditions());
    QString balance = QStringLiteral(
        "SELECT COALESCE(SUM(COALESCE(Entrata, 0) - COALESCE(Uscita, 0)), 0) FROM finanzia WHERE 1 = 1");
    QVariantList balanceParameters;
    if (view.bank.isValid()) {
        balance += QStringLiteral(" AND Banca_ID = ?");
        balanceParameters << view.bank.toLongLong();
    }
    balance += QStringLiteral(" AND Data <= ?");
    balanceParameters << storage::sqlvalue::endOfDay(view.until);
    return {{list, filter.parameters()},
            {QStringLiteral("SELECT COALESCE(SUM(Entrata), 0), COALESCE(SUM(Uscita), 0) FROM (%1%2) listed")
                 .arg(purchases::cashBookRegistry().listSql,
                      filter.isEmpty() ? QString() : QStringLiteral(" WHERE ") + filter.conditions()),
             filter.parameters()},
            {balance, balanceParameters}};
}

QString keyOf(const storage::Archive &archive, const QString &table)
{
    const storage::TableDef *definition = archive.schema().table(table);
    return definition ? definition->keyName() : QStringLiteral("ID");
}

ListReading cashBookReading(storage::Archive &archive, const QString &caption, const CashBookView &view)
{
    auto model =
        std::make_shared<storage::RecordListModel>(archive, keyOf(archive, QStringLiteral("finanzia")));
    auto totals = std::make_shared<purchases::CashBookTotals>();
    ListReading reading;
    reading.caption = caption;
    reading.read = [&archive, model, totals, view]() -> core::Result<Timing> {
        using Failure = core::Result<Timing>;
        Timing timing;
        QElapsedTimer timer;
        timer.start();
        const storage::ListFilter filter = cashBookFilter(archive, view);
        model->setStatement(shell::registryListStatement(purchases::cashBookRegistry(), filter.conditions()),
                            filter.parameters());
        if (core::Status read = model->reload(); !read)
            return Failure::failure(read.error());
        timing.list = milliseconds(timer);
        timer.restart();
        const core::Result<purchases::CashBookTotals> summed =
            purchases::cashBookTotals(archive, filter, view.until, view.bank);
        if (!summed)
            return Failure::failure(summed.error());
        timing.totals = milliseconds(timer);
        *totals = *summed;
        return timing;
    };
    reading.outcome = [model, totals]() {
        return QStringLiteral("%1 entries, in %2, out %3, balance %4")
            .arg(model->rowCount())
            .arg(totals->income, 0, 'f', 2)
            .arg(totals->spending, 0, 'f', 2)
            .arg(totals->balance, 0, 'f', 2);
    };
    reading.statements = cashBookStatements(archive, view);
    return reading;
}

ListReading openInstalmentsReading(storage::Archive &archive)
{
    const shell::RegistryDescriptor &book = purchases::dueDateBookRegistry(purchases::BookParty::Customers);
    auto model = std::make_shared<storage::RecordListModel>(archive, keyOf(archive, book.table));
    model->setRowColour(book.rowColour);
    const QString sql = shell::registryListStatement(book, openCustomerInstalments);
    ListReading reading;
    reading.caption = QStringLiteral("Scadenziario Clienti, open instalments");
    reading.read = [model, sql]() -> core::Result<Timing> {
        Timing timing;
        QElapsedTimer timer;
        timer.start();
        model->setStatement(sql);
        if (core::Status read = model->reload(); !read)
            return core::Result<Timing>::failure(read.error());
        timing.list = milliseconds(timer);
        return timing;
    };
    reading.outcome = [model]() {
        return QStringLiteral("%1 instalments").arg(model->rowCount());
    };
    reading.statements = {{sql, {}}};
    return reading;
}

// ---------------------------------------------------------------------------------------------
// Plans.

// The value as a literal of the statement's text: the server does not prepare EXPLAIN.
QString literal(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return value.toString();
    default:
        return u'\'' + value.toString().replace(u'\'', QStringLiteral("''")) + u'\'';
    }
}

void showPlan(storage::Archive &archive, const Statement &statement, QTextStream &out)
{
    const bool sqlite = archive.engine() == storage::Engine::SQLite;
    QString sql = statement.sql;
    QVariantList parameters = statement.parameters;
    if (!sqlite) {
        qsizetype at = 0;
        for (const QVariant &value : std::as_const(parameters)) {
            at = sql.indexOf(u'?', at);
            const QString text = literal(value);
            sql.replace(at, 1, text);
            at += text.size();
        }
        parameters.clear();
    }
    const auto plan = archive.readRows(
        (sqlite ? QStringLiteral("EXPLAIN QUERY PLAN ") : QStringLiteral("EXPLAIN ANALYZE ")) + sql,
        parameters);
    out << "    " << statement.sql.left(110) << (statement.sql.size() > 110 ? "..." : "") << Qt::endl;
    if (!plan) {
        out << "      " << plan.error() << Qt::endl;
        return;
    }
    for (const QVariantList &row : plan->values)
        out << "      " << row.value(sqlite ? 3 : 0).toString() << Qt::endl;
}

// ---------------------------------------------------------------------------------------------

QString figure(double value)
{
    return QString::number(value, 'f', 1);
}

QString met(double value)
{
    return value <= targetMs ? QStringLiteral("met") : QStringLiteral("NOT MET");
}

// Reads the list once and then again runs times; prints the figures and, when asked or when a figure
// misses the target, the plans. True when both figures meet the target.
core::Result<bool> measure(storage::Archive &archive, const ListReading &reading, int runs, bool plans,
                           QTextStream &out)
{
    const core::Result<Timing> first = reading.read();
    if (!first)
        return core::Result<bool>::failure(first.error());
    QList<Timing> warm;
    for (int i = 0; i < runs; ++i) {
        const core::Result<Timing> again = reading.read();
        if (!again)
            return core::Result<bool>::failure(again.error());
        warm.append(*again);
    }
    std::sort(warm.begin(), warm.end(),
              [](const Timing &a, const Timing &b) { return a.whole() < b.whole(); });
    const Timing median = warm.at(warm.size() / 2);
    const bool withTotals = first->totals > 0;
    const auto parts = [withTotals](const Timing &timing) {
        return withTotals
                   ? QStringLiteral(" (list %1 + totals %2)").arg(figure(timing.list), figure(timing.totals))
                   : QString();
    };
    out << QStringLiteral("  %1: %2\n    first %3 ms%4, warm median %5 ms%6, worst %7 ms: target %8 ms %9 "
                          "first, %10 warm")
               .arg(reading.caption, reading.outcome(), figure(first->whole()), parts(*first),
                    figure(median.whole()), parts(median), figure(warm.last().whole()), figure(targetMs),
                    met(first->whole()))
               .arg(met(median.whole()))
        << Qt::endl;
    const bool passed = first->whole() <= targetMs && median.whole() <= targetMs;
    if (plans || !passed) {
        out << "    plans:" << Qt::endl;
        for (const Statement &statement : reading.statements)
            showPlan(archive, statement, out);
    }
    return passed;
}

struct Counts
{
    QString caption;
    QString sql;
    QVariantList parameters;
};

core::Status showArchive(storage::Archive &archive, const QDate &yearStart, const QDate &yearEnd,
                         QTextStream &out)
{
    const QVariantList year{storage::sqlvalue::date(yearStart), storage::sqlvalue::endOfDay(yearEnd)};
    const QList<Counts> counts{
        {QStringLiteral("cash-book entries"), QStringLiteral("SELECT COUNT(*) FROM finanzia"), {}},
        {QStringLiteral("in history"),
         QStringLiteral("SELECT COUNT(*) FROM finanzia WHERE Storico = ?"),
         {true}},
        {QStringLiteral("of a bank"),
         QStringLiteral("SELECT COUNT(*) FROM finanzia WHERE Banca_ID IS NOT NULL"),
         {}},
        {QStringLiteral("of %1").arg(yearStart.year()),
         QStringLiteral("SELECT COUNT(*) FROM finanzia WHERE Data >= ? AND Data <= ?"), year},
        {QStringLiteral("instalments"), QStringLiteral("SELECT COUNT(*) FROM FatturaScadenze"), {}},
        {QStringLiteral("paid"),
         QStringLiteral("SELECT COUNT(*) FROM FatturaScadenze WHERE DataPagamento IS NOT NULL"),
         {}},
        {QStringLiteral("open of customers"),
         QStringLiteral("SELECT COUNT(*) FROM FatturaScadenze WHERE %1").arg(openCustomerInstalments),
         {}}};
    QStringList parts;
    for (const Counts &count : counts) {
        const core::Result<QVariant> value = archive.scalar(count.sql, count.parameters);
        if (!value)
            return core::Status::failure(value.error());
        parts.append(QStringLiteral("%1 %2").arg(value->toLongLong()).arg(count.caption));
    }
    out << "  " << parts.join(QStringLiteral(", ")) << Qt::endl;
    return {};
}

struct Settings
{
    bench::SyntheticArchiveSize size;
    int runs = 10;
    bool plans = false;
};

// Builds the archive at the location, then measures the lists on a connection opened anew. 0 when
// every figure meets its target, 1 when one misses it, 2 when something failed.
int run(const QString &engine, const storage::ArchiveLocation &location, const Settings &settings,
        QTextStream &out)
{
    const QDate today = settings.size.today;
    const QDate lastYearStart(today.year() - 1, 1, 1);
    const QDate lastYearEnd(today.year() - 1, 12, 31);
    out << engine << ":" << Qt::endl;
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
        const auto filled = bench::fillSyntheticArchive(**archive, settings.size);
        if (!filled) {
            out << "  " << filled.error() << Qt::endl;
            return 2;
        }
        qint64 written = 0;
        for (const qint64 rows : *filled)
            written += rows;
        const auto added = completeCashBook(**archive, settings.size.scale, today, settings.size.years);
        if (!added) {
            out << "  " << added.error() << Qt::endl;
            return 2;
        }
        // A server keeps its statistics up to date by itself soon after rows arrive: the measure is
        // of an archive in use, not of one a second old.
        if ((*archive)->engine() == storage::Engine::PostgreSQL) {
            if (const core::Result<int> analysed = (*archive)->execute(QStringLiteral("ANALYZE"));
                !analysed) {
                out << "  " << analysed.error() << Qt::endl;
                return 2;
            }
        }
        out << QStringLiteral("  archive of %1 rows built in %2 s; %3 movements typed by hand added, %4 "
                              "payments credited to a bank")
                   .arg(written + added->typed)
                   .arg(timer.elapsed() / 1000.0, 0, 'f', 1)
                   .arg(added->typed)
                   .arg(added->bankPayments)
            << Qt::endl;
        if (core::Status shown = showArchive(**archive, lastYearStart, lastYearEnd, out); !shown) {
            out << "  " << shown.error() << Qt::endl;
            return 2;
        }
    }

    // The lists are read as by a workstation that has just opened the archive.
    auto opened = storage::Archive::open(location);
    if (!opened) {
        out << "  " << opened.error() << Qt::endl;
        return 2;
    }
    storage::Archive &archive = **opened;
    const QVariant bank = 1;
    const QList<ListReading> readings{
        cashBookReading(archive, QStringLiteral("Cash book %1, all").arg(lastYearStart.year()),
                        {shell::historyScope(QStringLiteral("finanzia.Data"),
                                             shell::HistoryPeriod{lastYearStart, lastYearEnd}.parameters()),
                         QVariant(), lastYearEnd}),
        cashBookReading(archive,
                        QStringLiteral("Cash book %1, bank %2").arg(lastYearStart.year()).arg(bank.toInt()),
                        {shell::historyScope(QStringLiteral("finanzia.Data"),
                                             shell::HistoryPeriod{lastYearStart, lastYearEnd}.parameters()),
                         bank, lastYearEnd}),
        cashBookReading(archive, QStringLiteral("Cash book %1 as it opens, all").arg(today.year()),
                        {purchases::currentCashBookScope(today), QVariant(), QDate(today.year(), 12, 31)}),
        cashBookReading(
            archive, QStringLiteral("Cash book %1 as it opens, bank %2").arg(today.year()).arg(bank.toInt()),
            {purchases::currentCashBookScope(today), bank, QDate(today.year(), 12, 31)}),
        openInstalmentsReading(archive)};
    bool passed = true;
    for (const ListReading &reading : readings) {
        const core::Result<bool> measured = measure(archive, reading, settings.runs, settings.plans, out);
        if (!measured) {
            out << "  " << reading.caption << ": " << measured.error() << Qt::endl;
            return 2;
        }
        passed = passed && *measured;
    }
    return passed ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("scale"),
                      QStringLiteral("Size of the archive relative to ten busy years."),
                      QStringLiteral("factor"), QStringLiteral("1.0")});
    parser.addOption({QStringLiteral("runs"), QStringLiteral("Readings of each list after the first (10)."),
                      QStringLiteral("n"), QStringLiteral("10")});
    parser.addOption({QStringLiteral("plans"), QStringLiteral("Shows the plans of every statement.")});
    parser.addOption({QStringLiteral("keep"),
                      QStringLiteral("Build the SQLite archive in this new folder and leave it there."),
                      QStringLiteral("folder")});
    bench::addPostgresOption(parser);
    parser.process(app);
    QTextStream out(stdout);

    Settings settings;
    settings.size.scale = parser.value(QStringLiteral("scale")).toDouble();
    settings.runs = std::max(1, parser.value(QStringLiteral("runs")).toInt());
    settings.plans = parser.isSet(QStringLiteral("plans"));

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
