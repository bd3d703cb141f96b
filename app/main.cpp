// Rotalina: the office program of a road-haulage firm.
//   rotalina                                start the program
//   rotalina --importa-tabella TABELLA FILE  load a code table from a CSV file into the archive

#include "core/workstation.h"
#include "invoicing/ui/invoicingwindows.h"
#include "registries/ui/registrieswindows.h"
#include "shell/instanceguard.h"
#include "shell/prompter.h"
#include "shell/session.h"
#include "shell/ui/entrynavigation.h"
#include "shell/ui/gridlayoutmenu.h"
#include "shell/ui/helpdispatcher.h"
#include "shell/ui/mainwindow.h"
#include "shell/ui/messageboxprompter.h"
#include "shell/ui/moduleicon.h"
#include "shell/ui/shellwindows.h"
#include "shell/ui/translations.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"
#include "storage/archivepathfile.h"
#include "storage/codetables.h"
#include "transport/ui/transportwindows.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPainter>
#include <QSplashScreen>
#include <QTextStream>
#include <QTimer>

using namespace rotalina;

namespace {

int importCodeTable(const QString &table, const QString &file)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    const auto choice = storage::locateArchive(core::programFolder());
    if (!choice) {
        err << choice.error() << Qt::endl;
        return 1;
    }
    storage::OpenOptions options;
    options.createIfMissing = choice->isDefaultArchive;
    auto archive = storage::Archive::open(choice->location, options);
    if (!archive) {
        err << archive.error() << Qt::endl;
        return 1;
    }
    const auto summary = storage::importCodeTableFile(**archive, table, file);
    if (!summary) {
        err << summary.error() << Qt::endl;
        return 1;
    }
    out << QStringLiteral("%1: %2 righe aggiunte, %3 aggiornate, %4 eliminate.")
               .arg(table)
               .arg(summary->inserted)
               .arg(summary->updated)
               .arg(summary->removed)
        << Qt::endl;
    return 0;
}

QPixmap splashPicture()
{
    QPixmap picture(440, 220);
    picture.fill(QColor(0x14, 0x50, 0x7e));
    QPainter painter(&picture);
    painter.setPen(Qt::white);
    QFont title = painter.font();
    title.setPixelSize(44);
    title.setBold(true);
    painter.setFont(title);
    painter.drawText(QRect(0, 40, 440, 80), Qt::AlignCenter, QStringLiteral("Rotalina"));
    QFont line = painter.font();
    line.setPixelSize(15);
    line.setBold(false);
    painter.setFont(line);
    painter.drawText(QRect(0, 130, 440, 30), Qt::AlignCenter, QStringLiteral("sto Caricando..."));
    return picture;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rotalina"));
    QApplication::setApplicationVersion(QStringLiteral(ROTALINA_VERSION));
    shell::ui::installItalianTranslations(app);
    shell::ui::useIconThemeFallback();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Rotalina: gestione dell'autotrasporto conto terzi."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(
        {QStringLiteral("importa-tabella"),
         QStringLiteral("Carica nell'archivio una tabella di codici da un file CSV (intestazione con i "
                        "nomi dei campi)."),
         QStringLiteral("tabella")});
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("Il file CSV da caricare."));
    parser.process(app);
    if (parser.isSet(QStringLiteral("importa-tabella"))) {
        if (parser.positionalArguments().size() != 1) {
            QTextStream(stderr) << QStringLiteral("Indicare il file CSV da caricare.") << Qt::endl;
            return 2;
        }
        return importCodeTable(parser.value(QStringLiteral("importa-tabella")),
                               parser.positionalArguments().first());
    }

    shell::ui::MessageBoxPrompter prompter;
    const QString folder = core::programFolder();
    shell::InstanceGuard guard(folder);
    if (!guard.acquired()) {
        prompter.message(shell::titles::secondCopy(), shell::InstanceGuard::alreadyRunningMessage());
        return 0;
    }

    QSplashScreen splash(splashPicture());
    splash.setObjectName(QStringLiteral("TSplashForm"));
    splash.show();
    app.processEvents();

    shell::ui::SystemDesktop desktop;
    shell::Session session(prompter, desktop, folder, core::workstationName());
    shell::ui::EntryNavigation::install();
    shell::ui::HelpDispatcher::install(session);
    shell::ui::grid_layouts::install(session);
    shell::ui::WindowRegistry windows;
    shell::ui::registerShellWindows(windows);
    registries::ui::registerRegistriesWindows(windows);
    transport::ui::registerTransportWindows(windows);
    invoicing::ui::registerInvoicingWindows(windows);

    shell::ui::MainWindow window(session, windows);
    QObject::connect(
        &window, &shell::ui::MainWindow::quitRequested, &app, [] { QCoreApplication::exit(0); },
        Qt::QueuedConnection);
    window.show();
    splash.finish(&window);
    QTimer::singleShot(0, &window, [&window] { window.runStartup(); });
    return QApplication::exec();
}
