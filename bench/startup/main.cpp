// Times the start-up of the program on an existing archive (the synthetic ten-year archive of
// bench_archive): the main window is built and the start-up sequence runs, offscreen. It also
// shows how the archive runs each year-archive statement, to check that every one uses an index.
//   bench_startup ARCHIVE [--runs N]
// ARCHIVE is a SQLite file or a postgresql:// address.

#include "benchsupport.h"
#include "core/workstation.h"
#include "registries/ui/registrieswindows.h"
#include "shell/scriptedprompter.h"
#include "shell/session.h"
#include "shell/ui/mainwindow.h"
#include "shell/ui/shellwindows.h"
#include "shell/ui/windowregistry.h"
#include "shell/yeararchive.h"
#include "storage/archive.h"
#include "storage/archivepathfile.h"
#include "transport/ui/transportwindows.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

using namespace rotalina;

namespace {

// The plan of every year-archive statement; false when one of them reads a whole table.
bool showPlans(storage::Archive &archive, QTextStream &out)
{
    bool allIndexed = true;
    const bool sqlite = archive.engine() == storage::Engine::SQLite;
    for (const shell::YearArchiveStatement &statement : shell::yearArchiveStatements(QDate::currentDate())) {
        QString explain =
            (sqlite ? QStringLiteral("EXPLAIN QUERY PLAN ") : QStringLiteral("EXPLAIN ")) + statement.sql;
        QVariantList params = statement.params;
        if (!sqlite) {
            // The server does not prepare EXPLAIN: the program's own dates go into the text.
            for (const QVariant &value : std::as_const(params))
                explain.replace(explain.indexOf(u'?'), 1,
                                u'\'' + value.toString() + QStringLiteral("'::timestamp"));
            params.clear();
        }
        auto plan = archive.select(explain, params);
        if (!plan) {
            out << plan.error() << Qt::endl;
            return false;
        }
        QStringList lines;
        while (plan->next())
            lines.append(plan->value(sqlite ? 3 : 0).toString().trimmed());
        const QString text = lines.join(QStringLiteral(" | "));
        const bool indexed = sqlite ? text.contains(QStringLiteral("USING INDEX")) ||
                                          text.contains(QStringLiteral("USING COVERING INDEX"))
                                    : text.contains(QStringLiteral("Index"));
        allIndexed = allIndexed && indexed;
        out << (indexed ? QStringLiteral("  index ") : QStringLiteral("  SCAN  ")) << statement.sql.left(90)
            << Qt::endl
            << QStringLiteral("        ") << text.left(160) << Qt::endl;
    }
    return allIndexed;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("archive"),
                                 QStringLiteral("SQLite file or postgresql:// address"));
    parser.addOption({QStringLiteral("runs"), QStringLiteral("How many start-ups to time."),
                      QStringLiteral("n"), QStringLiteral("5")});
    parser.process(app);
    QTextStream out(stdout);
    if (parser.positionalArguments().size() != 1) {
        out << parser.helpText();
        return 2;
    }
    const auto location = storage::ArchiveLocation::parse(parser.positionalArguments().first());
    if (!location) {
        out << location.error() << Qt::endl;
        return 1;
    }
    {
        auto archive = storage::Archive::open(*location);
        if (!archive) {
            out << archive.error() << Qt::endl;
            return 1;
        }
        out << QStringLiteral("Year-archive statements on %1:").arg(location->displayText()) << Qt::endl;
        if (!showPlans(**archive, out))
            out << QStringLiteral("  some statement reads a whole table") << Qt::endl;
    }

    QTemporaryDir folder;
    if (!storage::writeArchivePath(folder.path(), *location))
        return 1;
    const int runs = std::max(1, parser.value(QStringLiteral("runs")).toInt());
    QList<double> times;
    for (int run = 0; run < runs; ++run) {
        shell::ScriptedPrompter prompter;
        bench::NoDesktop desktop;
        shell::Session session(prompter, desktop, folder.path() + QStringLiteral("/"),
                               QStringLiteral("BENCH"));
        shell::ui::WindowRegistry windows;
        shell::ui::registerShellWindows(windows);
        registries::ui::registerRegistriesWindows(windows);
        transport::ui::registerTransportWindows(windows);
        QElapsedTimer timer;
        timer.start();
        shell::ui::MainWindow window(session, windows);
        window.show();
        QApplication::processEvents();
        const auto outcome = window.runStartup();
        QApplication::processEvents();
        times.append(timer.nsecsElapsed() / 1e6);
        if (outcome != shell::StartupSequence::Outcome::Ready) {
            out << QStringLiteral("start-up failed: ") << prompter.lastText() << Qt::endl;
            return 1;
        }
    }
    const double first = times.first();
    std::sort(times.begin(), times.end());
    out << QStringLiteral("Main window ready: first %1 ms, median %2 ms, best %3 ms over %4 runs")
               .arg(first, 0, 'f', 0)
               .arg(times.at(times.size() / 2), 0, 'f', 0)
               .arg(times.first(), 0, 'f', 0)
               .arg(runs)
        << Qt::endl;
    return 0;
}
