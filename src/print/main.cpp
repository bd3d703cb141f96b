// rotalina-stampa: the print program. Started without arguments, it finds the archive as the main
// program does, reads this workstation's report request and either shows the report in a
// preview or writes the requested export file and ends.
// "rotalina-stampa --fattura-elettronica FILE" shows an electronic invoice file (.xml or signed
// .p7m) in the same preview instead, without any archive; "rotalina-stampa --documento FILE.html"
// does the same for a document the program wrote (the report of an import). With "--pdf OUT.pdf"
// either writes the PDF and ends without a window.

#include "core/workstation.h"
#include "print/einvoiceview.h"
#include "print/printjob.h"
#include "print/ui/previewwindow.h"
#include "shell/ui/messageboxprompter.h"
#include "shell/ui/translations.h"
#include "storage/archive.h"
#include "storage/archivepathfile.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>

using namespace rotalina;

namespace {

// Failures go to the standard error (the main program shows it for an export), to the log beside
// the archive and, for a print that someone is waiting to see, to a message.
int fail(const QString &message, const QString &log, bool tellUser)
{
    QTextStream(stderr) << message << Qt::endl;
    print::appendPrintLog(log, message);
    if (tellUser && QGuiApplication::platformName() != u"offscreen")
        shell::ui::MessageBoxPrompter().message(QStringLiteral("Messaggio di errore"), message);
    return 1;
}

// A PDF written for a script needs no display.
bool writesPdfOnly(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView argument(argv[i]);
        if (argument == "--pdf" || argument.startsWith("--pdf="))
            return true;
    }
    return false;
}

int showPages(core::Result<print::TextDocumentPages> pages, const QString &pdf, const QString &log)
{
    if (!pages)
        return fail(pages.error(), log, pdf.isEmpty());
    if (!pdf.isEmpty()) {
        if (core::Status written = print::exportReport(*pages, print::ExportFormat::Pdf, pdf); !written)
            return fail(written.error(), log, false);
        return 0;
    }
    shell::ui::MessageBoxPrompter prompter;
    print::ui::PreviewWindow preview(std::move(pages).value(), prompter);
    preview.show();
    return QApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
    if (writesPdfOnly(argc, argv) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rotalina - Stampa"));
    shell::ui::installItalianTranslations(app);
    const QString folder = core::programFolder();
    const QString fallbackLog = print::printLogPath(QString(), folder);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Rotalina - Stampa: anteprima, stampa ed esportazione dei documenti."));
    parser.addHelpOption();
    const QCommandLineOption invoiceOption(
        QStringLiteral("fattura-elettronica"),
        QStringLiteral("Mostra una fattura elettronica (.xml o firmata .xml.p7m) in anteprima di stampa."),
        QStringLiteral("file"));
    const QCommandLineOption pdfOption(
        QStringLiteral("pdf"),
        QStringLiteral("Scrive la fattura elettronica in un file PDF, senza finestra."),
        QStringLiteral("file"));
    const QCommandLineOption documentOption(
        QStringLiteral("documento"), QStringLiteral("Mostra un documento HTML in anteprima di stampa."),
        QStringLiteral("file"));
    parser.addOption(invoiceOption);
    parser.addOption(documentOption);
    parser.addOption(pdfOption);
    if (!parser.parse(QCoreApplication::arguments())) {
        QTextStream(stderr) << parser.errorText() << Qt::endl;
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        QTextStream(stdout) << parser.helpText();
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        QTextStream(stderr)
            << QStringLiteral("Argomenti non previsti: %1").arg(parser.positionalArguments().join(u' '))
            << Qt::endl;
        return 2;
    }
    if (parser.isSet(pdfOption) && !parser.isSet(invoiceOption) && !parser.isSet(documentOption)) {
        QTextStream(stderr) << QStringLiteral(
                                   "--pdf va indicato con --fattura-elettronica FILE o --documento FILE.")
                            << Qt::endl;
        return 2;
    }
    if (parser.isSet(invoiceOption))
        return showPages(print::electronicInvoicePages(parser.value(invoiceOption)), parser.value(pdfOption),
                         fallbackLog);
    if (parser.isSet(documentOption))
        return showPages(print::htmlDocumentPages(parser.value(documentOption)), parser.value(pdfOption),
                         fallbackLog);

    const auto choice = storage::locateArchive(folder);
    if (!choice)
        return fail(choice.error(), fallbackLog, true);
    const QString log = print::printLogPath(choice->location.folder(), folder);
    auto archive = storage::Archive::open(choice->location);
    if (!archive)
        return fail(archive.error(), log, true);
    const auto job = print::PrintJob::prepare(**archive, core::workstationName());
    if (!job)
        return fail(job.error(), log, true);

    if (job->request().exportToFile) {
        if (core::Status exported = job->exportFile(); !exported)
            return fail(QStringLiteral("Esportazione non riuscita: ") + exported.error(), log, false);
        return 0;
    }
    const auto report = job->compose(false);
    if (!report)
        return fail(report.error(), log, true);
    shell::ui::MessageBoxPrompter prompter;
    print::ui::PreviewWindow preview(*job, *report, prompter);
    preview.show();
    return QApplication::exec();
}
