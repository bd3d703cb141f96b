#pragma once

#include "core/result.h"
#include "shell/desktop.h"
#include "storage/archive.h"

#include <QCommandLineParser>
#include <QString>
#include <memory>

namespace rotalina::bench {

// A desktop that opens and starts nothing: the benchmarks measure the program, not other programs.
class NoDesktop : public shell::Desktop
{
public:
    bool openUrl(const QUrl &) override { return true; }
    bool startProgram(const QString &, const QStringList &) override { return true; }
    shell::ProgramRun runProgram(const QString &, const QStringList &) override { return {}; }
};

// The "--postgresql ADDRESS" option of the benchmarks that fill an archive of their own.
void addPostgresOption(QCommandLineParser &parser);

// A new archive for a benchmark: an empty PostgreSQL database when the option names one, otherwise
// archivio.db in the folder.
core::Result<std::unique_ptr<storage::Archive>> openNewArchive(const QCommandLineParser &parser,
                                                               const QString &folder);

} // namespace rotalina::bench
