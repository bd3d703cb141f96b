#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace rotalina::shell {

// How a program that was waited for ended.
struct ProgramRun
{
    bool started = false;
    int exitCode = -1;
    QString errorOutput; // what it wrote on its standard error
};

// What the program asks of the desktop: opening a document, a page or a video with the program
// the user chose for it, and starting another program, without waiting for it or until it ends.
class Desktop
{
public:
    virtual ~Desktop() = default;
    virtual bool openUrl(const QUrl &url) = 0;
    virtual bool startProgram(const QString &program, const QStringList &arguments) = 0;
    virtual ProgramRun runProgram(const QString &program, const QStringList &arguments) = 0;
};

// Starts a program and waits until it ends.
ProgramRun runAndWait(const QString &program, const QStringList &arguments);

// The help beside the program: help/<context>.html for a window's topic, help/index.html otherwise.
QString helpIndexPath(const QString &programFolder);
QUrl helpPage(const QString &programFolder, int context);
QString missingHelpMessage(const QString &programFolder);

// A tutorial video: the file beside the program when it is there, the tutorial page otherwise.
QUrl tutorialVideo(const QString &programFolder, const QString &file);

} // namespace rotalina::shell
