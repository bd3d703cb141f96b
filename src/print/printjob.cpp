#include "print/printjob.h"

#include "print/documentexport.h"
#include "print/layout.h"
#include "print/reportchart.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace rotalina::print {

core::Result<PrintJob> PrintJob::prepare(storage::Archive &archive, const QString &workstation)
{
    using R = core::Result<PrintJob>;
    const core::Result<std::optional<ReportRequest>> request = readRequest(archive, workstation);
    if (!request)
        return R::failure(request.error());
    if (!request->has_value())
        return R::failure(
            QStringLiteral("Nessuna richiesta di stampa per la postazione %1.").arg(workstation));
    PrintJob job;
    job.m_request = **request;
    if (job.m_request.reportFile.isEmpty())
        return R::failure(QStringLiteral("Nessun documento da stampare: scegliere prima il documento."));
    core::Result<ReportData> data = loadReportData(archive, job.m_request);
    if (!data)
        return R::failure(data.error());
    job.m_data = std::move(data).value();
    // A chart reads the workstation's monthly rows on its own, beside the request's statements.
    if (core::Status charts = loadChartRows(archive, workstation, job.m_request, job.m_data); !charts)
        return R::failure(charts.error());
    return job;
}

core::Result<ComposedReport> PrintJob::compose(bool landscape, const QString &filter) const
{
    const bool ownLandscape =
        landscape && !m_request.landscapeFile.isEmpty() && QFileInfo::exists(m_request.landscapeFile);
    const core::Result<ReportLayout> layout =
        ReportLayout::load(ownLandscape ? m_request.landscapeFile : m_request.reportFile);
    if (!layout)
        return core::Result<ComposedReport>::failure(layout.error());
    ComposedReport report;
    if (m_request.filter && !filter.trimmed().isEmpty()) {
        ReportData narrowed = m_data;
        narrowed.main = m_data.main.narrowed(filter);
        report = print::compose(*layout, narrowed, m_request.withHeader);
    } else {
        report = print::compose(*layout, m_data, m_request.withHeader);
    }
    if (landscape)
        report.landscape = true;
    return report;
}

core::Status PrintJob::exportFile() const
{
    if (m_request.exportPath.isEmpty())
        return core::Status::failure(
            QStringLiteral("La richiesta di esportazione non indica il file da scrivere."));
    const int type = m_request.exportType;
    if (type < static_cast<int>(ExportFormat::Pdf) || type > static_cast<int>(ExportFormat::Text))
        return core::Status::failure(QStringLiteral("Formato di esportazione %1 sconosciuto.").arg(type));
    const core::Result<ComposedReport> report = compose(false);
    if (!report)
        return core::Status::failure(report.error());
    return exportReport(*report, static_cast<ExportFormat>(type), m_request.exportPath);
}

QString printLogPath(const QString &archiveFolder, const QString &programFolder)
{
    return QDir(archiveFolder.isEmpty() ? programFolder : archiveFolder)
        .filePath(QStringLiteral("rotalina-stampa.log"));
}

void appendPrintLog(const QString &path, const QString &message)
{
    QFile log(path);
    if (log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        log.write(
            (QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss ")) + message + u'\n')
                .toUtf8());
}

} // namespace rotalina::print
