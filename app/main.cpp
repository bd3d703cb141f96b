// Rotalina: the office program of a road-haulage firm.
//   rotalina                                start the program
//   rotalina --importa-tabella TABELLA FILE  load a code table from a CSV file into the archive
//   rotalina --esporta-fatture-xml CARTELLA [--dal GG/MM/AAAA] [--al GG/MM/AAAA] [--anche-esportate]
//                                           write the period's electronic invoices into a folder
//   rotalina --importa-fatture-xml [--anche-non-indirizzate] [--anche-autofatture] FILE_O_CARTELLA...
//                                           import suppliers' electronic invoices (.xml, .p7m)
//   rotalina --chiusura-iva ANNO PERIODO      settle the VAT of a quarter (T1-T4) or a month (M1-M12)

#include "core/datetext.h"
#include "core/workstation.h"
#include "fleet/ui/fleetwindows.h"
#include "invoicing/einvoice.h"
#include "invoicing/ui/invoicingwindows.h"
#include "purchases/einvoiceimport.h"
#include "purchases/ui/purchasewindows.h"
#include "purchases/vatsettlement.h"
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
#include <QDir>
#include <QPainter>
#include <QSplashScreen>
#include <QTextStream>
#include <QTimer>

using namespace rotalina;

namespace {

// The archive as the program opens it, for the commands that run without a window.
std::unique_ptr<storage::Archive> openArchiveForCommand()
{
    QTextStream err(stderr);
    const auto choice = storage::locateArchive(core::programFolder());
    if (!choice) {
        err << choice.error() << Qt::endl;
        return nullptr;
    }
    storage::OpenOptions options;
    options.createIfMissing = choice->isDefaultArchive;
    auto archive = storage::Archive::open(choice->location, options);
    if (!archive) {
        err << archive.error() << Qt::endl;
        return nullptr;
    }
    return std::move(*archive);
}

int importCodeTable(const QString &table, const QString &file)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    std::unique_ptr<storage::Archive> archive = openArchiveForCommand();
    if (!archive)
        return 1;
    const auto summary = storage::importCodeTableFile(*archive, table, file);
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

int exportElectronicInvoices(const QCommandLineParser &parser)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    invoicing::BatchExport request;
    request.folder = parser.value(QStringLiteral("esporta-fatture-xml"));
    request.alsoExported = parser.isSet(QStringLiteral("anche-esportate"));
    for (const auto &[option, date] :
         {std::pair(QStringLiteral("dal"), &request.from), std::pair(QStringLiteral("al"), &request.to)}) {
        if (!parser.isSet(option))
            continue;
        const std::optional<QDate> read = core::datetext::parseShortDate(parser.value(option));
        if (!read) {
            err << QStringLiteral("La data di --%1 non è valida: %2 (GG/MM/AAAA)")
                       .arg(option, parser.value(option))
                << Qt::endl;
            return 2;
        }
        *date = *read;
    }
    if (request.from.isValid() && request.to.isValid() && request.from > request.to) {
        err << QStringLiteral("La data di --dal è successiva a quella di --al.") << Qt::endl;
        return 2;
    }
    if (!parser.positionalArguments().isEmpty()) {
        err << QStringLiteral("Argomenti non previsti: %1")
                   .arg(parser.positionalArguments().join(QLatin1Char(' ')))
            << Qt::endl;
        return 2;
    }
    if (!QDir().mkpath(request.folder)) {
        err << QStringLiteral("Non è possibile creare la cartella %1").arg(request.folder) << Qt::endl;
        return 1;
    }
    std::unique_ptr<storage::Archive> archive = openArchiveForCommand();
    if (!archive)
        return 1;
    bool refused = false;
    const auto lines = invoicing::exportEInvoices(*archive, request, [&](const invoicing::BatchLine &line) {
        out << line.text() << Qt::endl;
        refused = refused || !line.written;
    });
    if (!lines) {
        err << lines.error() << Qt::endl;
        return 1;
    }
    return refused ? 1 : 0;
}

int importElectronicInvoices(const QCommandLineParser &parser)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList paths = parser.positionalArguments();
    if (paths.isEmpty()) {
        err << QStringLiteral("Indicare i file o le cartelle delle fatture da importare.") << Qt::endl;
        return 2;
    }
    QStringList missing;
    const QStringList files = purchases::electronicInvoiceFiles(paths, &missing);
    for (const QString &path : missing)
        out << QStringLiteral("ERRORE %1: il file o la cartella non esiste").arg(path) << Qt::endl;
    if (files.isEmpty()) {
        err << QStringLiteral("Nessun file .xml o .p7m da importare.") << Qt::endl;
        return 1;
    }
    std::unique_ptr<storage::Archive> archive = openArchiveForCommand();
    if (!archive)
        return 1;
    purchases::ImportSettings settings;
    settings.workstation = core::workstationName();
    settings.alsoNotAddressed = parser.isSet(QStringLiteral("anche-non-indirizzate"));
    settings.alsoSelfInvoices = parser.isSet(QStringLiteral("anche-autofatture"));
    purchases::ElectronicInvoiceImport import(*archive, settings);
    bool refused = !missing.isEmpty();
    for (const QString &file : files) {
        for (const purchases::ImportLine &line : import.importFile(file)) {
            out << line.text() << Qt::endl;
            refused = refused || line.outcome == purchases::ImportLine::Outcome::Refused;
        }
    }
    return refused ? 1 : 0;
}

// The accountant's settlement of a period: added when missing, calculated as "Calcola" does, printed.
int settleVat(const QCommandLineParser &parser)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    bool isYear = false;
    const int year = parser.value(QStringLiteral("chiusura-iva")).toInt(&isYear);
    const QStringList periods = parser.positionalArguments();
    const std::optional<purchases::SettlementPeriod> period =
        isYear && periods.size() == 1 ? purchases::SettlementPeriod::parse(year, periods.first())
                                      : std::nullopt;
    if (!period) {
        err << QStringLiteral("Indicare l'anno e il periodo: --chiusura-iva ANNO T1...T4 (trimestre) o "
                              "M1...M12 (mese).")
            << Qt::endl;
        return 1;
    }
    std::unique_ptr<storage::Archive> archive = openArchiveForCommand();
    if (!archive)
        return 1;
    const core::Result<qint64> key = purchases::settlementOf(*archive, *period);
    if (!key) {
        err << key.error() << Qt::endl;
        return 1;
    }
    const core::Result<purchases::SettlementFigures> figures =
        purchases::calculateSettlement(*archive, period->kind, *key, period->year, period->number);
    if (!figures) {
        err << figures.error() << Qt::endl;
        return 1;
    }
    out << purchases::settlementText(*figures) << Qt::endl;
    return 0;
}

// The commands that need no display run on a core application.
bool isCommandLine(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        for (const char *command :
             {"--importa-tabella", "--esporta-fatture-xml", "--importa-fatture-xml", "--chiusura-iva"})
            if (argument == command || argument.startsWith(QByteArray(command).append('=')))
                return true;
    }
    return false;
}

int runCommandLine(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Rotalina"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ROTALINA_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Rotalina: gestione dell'autotrasporto conto terzi."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(
        {QStringLiteral("importa-tabella"),
         QStringLiteral("Carica nell'archivio una tabella di codici da un file CSV (intestazione con i "
                        "nomi dei campi)."),
         QStringLiteral("tabella")});
    parser.addOption({QStringLiteral("esporta-fatture-xml"),
                      QStringLiteral("Scrive nella cartella le fatture elettroniche non ancora esportate."),
                      QStringLiteral("cartella")});
    parser.addOption(
        {QStringLiteral("dal"), QStringLiteral("Dalla data (GG/MM/AAAA)."), QStringLiteral("data")});
    parser.addOption(
        {QStringLiteral("al"), QStringLiteral("Alla data (GG/MM/AAAA)."), QStringLiteral("data")});
    parser.addOption({QStringLiteral("anche-esportate"), QStringLiteral("Anche le fatture già esportate.")});
    parser.addOption(
        {QStringLiteral("importa-fatture-xml"),
         QStringLiteral("Importa le fatture elettroniche dei fornitori (.xml, .p7m) dai file e dalle "
                        "cartelle indicati.")});
    parser.addOption({QStringLiteral("anche-non-indirizzate"),
                      QStringLiteral("Importa anche i documenti non indirizzati all'azienda.")});
    parser.addOption(
        {QStringLiteral("anche-autofatture"),
         QStringLiteral("Importa anche autofatture e documenti integrativi (TD16-TD21, TD27, TD28).")});
    parser.addOption(
        {QStringLiteral("chiusura-iva"),
         QStringLiteral("Calcola la chiusura Iva dell'anno e del periodo indicato dopo l'anno (T1...T4 "
                        "trimestre, M1...M12 mese) e ne scrive i totali."),
         QStringLiteral("anno")});
    parser.addPositionalArgument(
        QStringLiteral("file"),
        QStringLiteral("Il file CSV da caricare, o i file e le cartelle da importare."));
    if (!parser.parse(QCoreApplication::arguments())) {
        QTextStream(stderr) << parser.errorText() << Qt::endl;
        return 2;
    }
    const int commands = int(parser.isSet(QStringLiteral("esporta-fatture-xml"))) +
                         int(parser.isSet(QStringLiteral("importa-tabella"))) +
                         int(parser.isSet(QStringLiteral("importa-fatture-xml"))) +
                         int(parser.isSet(QStringLiteral("chiusura-iva")));
    if (commands > 1) {
        QTextStream(stderr) << QStringLiteral("Un comando alla volta.") << Qt::endl;
        return 2;
    }
    if (parser.isSet(QStringLiteral("importa-fatture-xml")))
        return importElectronicInvoices(parser);
    if (parser.isSet(QStringLiteral("chiusura-iva")))
        return settleVat(parser);
    if (parser.isSet(QStringLiteral("esporta-fatture-xml")))
        return exportElectronicInvoices(parser);
    if (parser.positionalArguments().size() != 1) {
        QTextStream(stderr) << QStringLiteral("Indicare il file CSV da caricare.") << Qt::endl;
        return 2;
    }
    return importCodeTable(parser.value(QStringLiteral("importa-tabella")),
                           parser.positionalArguments().first());
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
    if (isCommandLine(argc, argv))
        return runCommandLine(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rotalina"));
    QApplication::setApplicationVersion(QStringLiteral(ROTALINA_VERSION));
    shell::ui::installItalianTranslations(app);
    shell::ui::useIconThemeFallback();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Rotalina: gestione dell'autotrasporto conto terzi."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(app);

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
    fleet::ui::registerFleetWindows(windows);
    invoicing::ui::registerInvoicingWindows(windows);
    purchases::ui::registerPurchaseWindows(windows);

    shell::ui::MainWindow window(session, windows);
    QObject::connect(
        &window, &shell::ui::MainWindow::quitRequested, &app, [] { QCoreApplication::exit(0); },
        Qt::QueuedConnection);
    window.show();
    splash.finish(&window);
    QTimer::singleShot(0, &window, [&window] { window.runStartup(); });
    return QApplication::exec();
}
