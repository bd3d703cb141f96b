// rotalina-stampa: the print program. Started without arguments, it finds the archive as the main
// program does, reads this workstation's report request and either shows the report in a
// preview or writes the requested export file and ends.

#include "core/workstation.h"
#include "print/printjob.h"
#include "print/ui/previewwindow.h"
#include "shell/ui/messageboxprompter.h"
#include "shell/ui/translations.h"
#include "storage/archive.h"
#include "storage/archivepathfile.h"

#include <QApplication>
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

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rotalina - Stampa"));
    shell::ui::installItalianTranslations(app);
    const QString folder = core::programFolder();
    const QString fallbackLog = print::printLogPath(QString(), folder);

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
