#include "print/reportrun.h"

#include "print/documentexport.h"
#include "print/layout.h"
#include "print/printjob.h"
#include "print/reportdata.h"
#include "shell/reportservice.h"
#include "storage/archive.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace rotalina::test {

QString sourceReportsFolder()
{
    return QDir(QStringLiteral(ROTALINA_SOURCE_DIR)).absoluteFilePath(QStringLiteral("reports"));
}

core::Result<print::ComposedReport> composeCase(storage::Archive &archive, const ReportCase &reportCase,
                                                const QString &reportsFolder, bool landscape)
{
    shell::ReportSettings settings;
    settings.layout = reportCase.options;
    // The request names the layouts in the "reports" folder beside the programs.
    const QString installFolder = QFileInfo(reportsFolder).absolutePath();
    if (core::Status written = shell::writeReportRequest(archive, reportWorkstation, installFolder,
                                                         reportCase.code, reportCase.context, settings);
        !written)
        return core::Result<print::ComposedReport>::failure(written.error());
    core::Result<print::PrintJob> job = print::PrintJob::prepare(archive, reportWorkstation);
    if (!job)
        return core::Result<print::ComposedReport>::failure(job.error());
    return job->compose(landscape);
}

QStringList layoutProblems(storage::Archive &archive, const ReportCase &reportCase,
                           const QString &reportsFolder)
{
    QStringList problems;
    const shell::ReportSpec spec =
        shell::reportSpec(reportCase.code, reportCase.context, reportCase.options, archive.dialect());
    const QString prefix = QStringLiteral("codice %1: ").arg(reportCase.name);
    if (spec.reportFile.isEmpty())
        return {prefix + QStringLiteral("nessun modello")};
    std::array<QStringList, 3> fields;
    const QString statements[] = {spec.query, spec.subQuery1, spec.subQuery2};
    for (int i = 0; i < 3; ++i) {
        const core::Result<print::ReportRows> rows = print::runStatement(archive, statements[i]);
        if (!rows)
            problems.append(prefix + QStringLiteral("istruzione %1: %2").arg(i).arg(rows.error()));
        else
            fields[i] = rows->fields;
    }
    QStringList files{spec.reportFile};
    if (spec.landscapeFile != spec.reportFile &&
        QFileInfo::exists(QDir(reportsFolder).filePath(spec.landscapeFile)))
        files.append(spec.landscapeFile);
    for (const QString &file : files) {
        const core::Result<print::ReportLayout> layout =
            print::ReportLayout::load(QDir(reportsFolder).filePath(file));
        if (!layout) {
            problems.append(prefix + layout.error());
            continue;
        }
        const std::array<QStringList, 3> used = layout->fieldsUsed();
        for (int source = 0; source < 3; ++source) {
            for (const QString &field : used[source]) {
                if (!fields[source].contains(field, Qt::CaseInsensitive))
                    problems.append(
                        prefix +
                        QStringLiteral("%1: il campo «%2» non è tra le colonne dell'istruzione %3 (%4)")
                            .arg(file, field)
                            .arg(source)
                            .arg(fields[source].join(QStringLiteral(", "))));
            }
        }
    }
    return problems;
}

QString printedText(const print::ComposedReport &report)
{
    static const QRegularExpression space(QStringLiteral("\\s+"));
    return print::reportText(report).replace(space, QStringLiteral(" "));
}

QStringList missingTexts(const ReportCase &reportCase, const QString &output)
{
    QStringList wrong;
    for (const QString &text : reportCase.expected) {
        if (!output.contains(text))
            wrong.append(QStringLiteral("manca «%1»").arg(text));
    }
    for (const QString &text : reportCase.absent) {
        if (output.contains(text))
            wrong.append(QStringLiteral("non deve esserci «%1»").arg(text));
    }
    return wrong;
}

} // namespace rotalina::test
