#pragma once

#include "core/result.h"
#include "print/composedreport.h"
#include "print/reportdata.h"

#include <QString>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::print {

// One run of the print program: the workstation's request, its layout and its data.
class PrintJob
{
public:
    // Reads the request of the workstation from the archive; fails when there is none, when it
    // names no report (a document that had no current row), or when its layout or data cannot be
    // read.
    static core::Result<PrintJob> prepare(storage::Archive &archive, const QString &workstation);

    const ReportRequest &request() const { return m_request; }
    // The report composed on the layout, or on its landscape variant (the portrait layout turned
    // when the request names no landscape file that exists). A list the request lets the user
    // narrow (Filtro) keeps only the rows holding the filter text.
    core::Result<ComposedReport> compose(bool landscape, const QString &filter = {}) const;
    // Carries out an export request: writes the file in the requested format.
    core::Status exportFile() const;

private:
    ReportRequest m_request;
    ReportData m_data;
};

// Where the print program notes its failures: beside the archive (the program folder for an
// archive on a server).
QString printLogPath(const QString &archiveFolder, const QString &programFolder);
void appendPrintLog(const QString &path, const QString &message);

} // namespace rotalina::print
