#pragma once

#include "core/result.h"
#include "shell/reportcatalogue.h"

#include <QString>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::shell {

class Session;

// Where an export request writes its file.
struct ExportTarget
{
    QString path;
    int format = 1; // TipoEsportazioniCrystalReport.Numero
};

// The options a request reads: the layout variants, the printer choice and the export format.
struct ReportSettings
{
    ReportOptions layout;
    bool defaultPrinter = false; // StampanteDefault
    int exportFormat = 1;        // TipoEsportazione
    QString exportExtension;     // the extension of that format
    QString documentFolder;      // CartellaEsportazioneDocumenti
};

core::Result<ReportSettings> readReportSettings(storage::Archive &archive);

// The request row of a report for the print program. The earlier requests of the workstation are
// deleted in the same transaction, so the print program never finds two.
core::Status writeReportRequest(storage::Archive &archive, const QString &workstation,
                                const QString &installFolder, int code, const ReportContext &context,
                                const ReportSettings &settings, const ExportTarget *exportTarget = nullptr);

// The print program beside this one.
QString printProgramPath(const QString &installFolder);

// Where a document export goes: the documents folder of the options when it exists (the program
// folder otherwise), named after the document: "Fattura_12_2026.pdf".
QString documentExportPath(const QString &documentFolder, const QString &programFolder,
                           const QString &documentWord, const QString &number, int year,
                           const QString &extension);

// Prints and exports reports of the session's archive through the print program.
class ReportService
{
public:
    explicit ReportService(Session &session);

    // Writes the request and starts the print program without waiting: the user goes on working
    // while it shows the report. A failure to write the request is shown to the user.
    bool print(int code, const ReportContext &context);

    // Writes the request of an export to the given file (in the format of the options), runs the
    // print program and waits for it. On failure the user sees "Esportazione non riuscita" and the
    // reason, and the result carries it.
    core::Status exportTo(int code, const ReportContext &context, const QString &path);

    // The same for a document, to the file its number and year name; the path of the file.
    core::Result<QString> exportDocument(int code, const ReportContext &context, const QString &documentWord,
                                         const QString &number, int year);

    // "Visualizza": starts the print program without waiting on an electronic invoice file (.xml or
    // signed .xml.p7m), which it shows in its preview to print or export. No archive is needed.
    // A file that is not there or a program that does not start is shown to the user.
    core::Status showElectronicInvoice(const QString &file);
    // The same for an HTML document the program wrote (the report of an import).
    core::Status showDocument(const QString &htmlFile);

private:
    Session &m_session;
};

} // namespace rotalina::shell
