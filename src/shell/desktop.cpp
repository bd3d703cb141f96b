#include "shell/desktop.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace rotalina::shell {

ProgramRun runAndWait(const QString &program, const QStringList &arguments)
{
    ProgramRun run;
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted()) {
        run.errorOutput = process.errorString();
        return run;
    }
    run.started = true;
    process.waitForFinished(-1);
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.errorOutput = QString::fromUtf8(process.readAllStandardError()).trimmed();
    if (process.exitStatus() != QProcess::NormalExit && run.errorOutput.isEmpty())
        run.errorOutput = process.errorString();
    return run;
}

QString helpIndexPath(const QString &programFolder)
{
    return QDir(programFolder).absoluteFilePath(QStringLiteral("help/index.html"));
}

QUrl helpPage(const QString &programFolder, int context)
{
    const QString topic = QDir(programFolder).absoluteFilePath(QStringLiteral("help/%1.html").arg(context));
    return QUrl::fromLocalFile(context > 0 && QFileInfo::exists(topic) ? topic
                                                                       : helpIndexPath(programFolder));
}

QString missingHelpMessage(const QString &programFolder)
{
    return QStringLiteral("File di Help non Trovato\n") +
           QDir::toNativeSeparators(helpIndexPath(programFolder));
}

QUrl tutorialVideo(const QString &programFolder, const QString &file)
{
    const QString local = QDir(programFolder).absoluteFilePath(file);
    if (QFileInfo::exists(local))
        return QUrl::fromLocalFile(local);
    QUrl page(QStringLiteral("https://www.rotalina.it/video/"));
    page.setPath(page.path() + file);
    return page;
}

} // namespace rotalina::shell
