#pragma once

#include "core/result.h"
#include "print/composedreport.h"
#include "print/reportfixture.h"

#include <QString>
#include <QStringList>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::test {

// The layouts of the source tree.
QString sourceReportsFolder();

// Writes the request of a case as the program writes it (layouts in the given folder) and composes
// the report as the print program does.
core::Result<print::ComposedReport> composeCase(storage::Archive &archive, const ReportCase &reportCase,
                                                const QString &reportsFolder, bool landscape = false);

// What is wrong with the layouts of a case: a layout that cannot be read, or fields its statements
// do not have. Empty when all is well.
QStringList layoutProblems(storage::Archive &archive, const ReportCase &reportCase,
                           const QString &reportsFolder);

// Everything the report prints, as plain text, with each run of white space made one space.
QString printedText(const print::ComposedReport &report);

// The texts of a case that its output lacks, and the texts it shows though it must not.
QStringList missingTexts(const ReportCase &reportCase, const QString &output);

} // namespace rotalina::test
