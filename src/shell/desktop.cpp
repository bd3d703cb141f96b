#include "shell/desktop.h"

#include <QDir>
#include <QFileInfo>

namespace rotalina::shell {

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
