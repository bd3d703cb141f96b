#include "shell/reportservice.h"

#include "shell/desktop.h"
#include "shell/prompter.h"
#include "shell/session.h"
#include "storage/archive.h"
#include "storage/workstationrows.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlRecord>

namespace rotalina::shell {

core::Result<ReportSettings> readReportSettings(storage::Archive &archive)
{
    core::Result<QSqlQuery> row = archive.select(QStringLiteral(
        "SELECT opzioni.DocumentiRigaIvato, opzioni.PrezzoPreventivo, opzioni.SaldoInizialePrimaNota, "
        "opzioni.StampanteDefault, opzioni.TipoEsportazione, opzioni.EstensioneEsportazione, "
        "opzioni.CartellaEsportazioneDocumenti, TipoEsportazioniCrystalReport.Estensione FROM opzioni "
        "LEFT JOIN TipoEsportazioniCrystalReport ON opzioni.TipoEsportazione = "
        "TipoEsportazioniCrystalReport.Numero"));
    if (!row)
        return core::Result<ReportSettings>::failure(row.error());
    ReportSettings settings;
    if (!row->next())
        return settings;
    const QSqlRecord r = row->record();
    settings.layout.rowsWithVat = r.value(0).toBool();
    settings.layout.quotePrices = r.value(1).toBool();
    settings.layout.cashBookOpening = r.value(2).toDouble();
    settings.defaultPrinter = r.value(3).toBool();
    settings.exportFormat = r.isNull(4) ? 1 : r.value(4).toInt();
    // The format's own extension; the stored one only for a format the list does not know.
    settings.exportExtension = r.value(7).toString().trimmed();
    if (settings.exportExtension.isEmpty())
        settings.exportExtension = r.value(5).toString().trimmed();
    if (settings.exportExtension.isEmpty())
        settings.exportExtension = QStringLiteral("pdf");
    settings.documentFolder = r.value(6).toString().trimmed();
    return settings;
}

QString printProgramPath(const QString &installFolder)
{
#ifdef Q_OS_WIN
    return QDir(installFolder).absoluteFilePath(QStringLiteral("rotalina-stampa.exe"));
#else
    return QDir(installFolder).absoluteFilePath(QStringLiteral("rotalina-stampa"));
#endif
}

core::Status writeReportRequest(storage::Archive &archive, const QString &workstation,
                                const QString &installFolder, int code, const ReportContext &context,
                                const ReportSettings &settings, const ExportTarget *exportTarget)
{
    ReportContext filled = context;
    if (filled.workstation.isEmpty())
        filled.workstation = workstation;
    const ReportSpec spec = reportSpec(code, filled, settings.layout, archive.dialect());
    // The layouts are kept together in their own folder beside the programs.
    const QDir folder(QDir(installFolder).filePath(QStringLiteral("reports")));
    const auto fullPath = [&](const QString &file) {
        return file.isEmpty() ? QString() : folder.absoluteFilePath(file);
    };

    QVariantMap row{
        {QStringLiteral("NomeProgramma"), QStringLiteral("Rotalina")},
        {QStringLiteral("NomeReport"), fullPath(spec.reportFile)},
        {QStringLiteral("NomeReportLandscape"), fullPath(spec.landscapeFile)},
        {QStringLiteral("Query"), spec.query},
        {QStringLiteral("QuerySottoreport1"), spec.subQuery1},
        {QStringLiteral("QuerySottoreport2"), spec.subQuery2},
        {QStringLiteral("Filtro"), spec.filter},
        {QStringLiteral("Setup"), !settings.defaultPrinter && !exportTarget},
        {QStringLiteral("PresenzaTestata"), spec.withHeader},
        {QStringLiteral("Parametro"), spec.parameter},
        {QStringLiteral("Esportazione"), exportTarget != nullptr},
        {QStringLiteral("FileEsportazione"), exportTarget ? exportTarget->path : QString()},
        {QStringLiteral("TipoEsportazione"), exportTarget ? QVariant(exportTarget->format) : QVariant()},
    };
    storage::Transaction transaction(archive);
    storage::WorkstationRows own(archive, workstation);
    if (core::Result<int> cleared = own.clear(QStringLiteral("TempStampa")); !cleared)
        return core::Status::failure(cleared.error());
    if (core::Result<qint64> written = own.insert(QStringLiteral("TempStampa"), row); !written)
        return core::Status::failure(written.error());
    return transaction.commit();
}

QString documentExportPath(const QString &documentFolder, const QString &programFolder,
                           const QString &documentWord, const QString &number, int year,
                           const QString &extension)
{
    const QString folder =
        !documentFolder.isEmpty() && QFileInfo(documentFolder).isDir() ? documentFolder : programFolder;
    // The number may carry a series ("12/A"): a slash cannot be part of a file name.
    QString cleanNumber = number.trimmed();
    cleanNumber.replace(u'/', u'-').replace(u'\\', u'-');
    return QDir(folder).absoluteFilePath(
        QStringLiteral("%1%2_%3.%4").arg(documentWord, cleanNumber).arg(year).arg(extension));
}

ReportService::ReportService(Session &session) : m_session(session) {}

bool ReportService::print(int code, const ReportContext &context)
{
    storage::Archive *archive = m_session.archive();
    if (!archive)
        return false;
    core::Result<ReportSettings> settings = readReportSettings(*archive);
    core::Status written = settings ? writeReportRequest(*archive, m_session.workstation(),
                                                         m_session.installFolder(), code, context, *settings)
                                    : core::Status::failure(settings.error());
    if (!written) {
        m_session.prompter().message(titles::error(), written.error());
        return false;
    }
    // The request is committed, so the print program finds it at once.
    m_session.desktop().startProgram(printProgramPath(m_session.installFolder()), {});
    return true;
}

core::Status ReportService::exportTo(int code, const ReportContext &context, const QString &path)
{
    const auto failed = [this](const QString &reason) {
        const QString text =
            QStringLiteral("Esportazione non riuscita") + (reason.isEmpty() ? QString() : u":\n" + reason);
        m_session.prompter().message(titles::error(), text);
        return core::Status::failure(text);
    };
    storage::Archive *archive = m_session.archive();
    if (!archive)
        return failed(QStringLiteral("nessun archivio aperto."));
    core::Result<ReportSettings> settings = readReportSettings(*archive);
    if (!settings)
        return failed(settings.error());
    const ExportTarget target{path, settings->exportFormat};
    if (core::Status written = writeReportRequest(
            *archive, m_session.workstation(), m_session.installFolder(), code, context, *settings, &target);
        !written)
        return failed(written.error());
    const QString program = printProgramPath(m_session.installFolder());
    const ProgramRun run = m_session.desktop().runProgram(program, {});
    if (!run.started)
        return failed(QStringLiteral("il programma di stampa %1 non si avvia. %2")
                          .arg(QDir::toNativeSeparators(program), run.errorOutput));
    if (run.exitCode != 0)
        return failed(run.errorOutput);
    if (!QFileInfo::exists(path))
        return failed(QStringLiteral("il file %1 non è stato scritto.").arg(QDir::toNativeSeparators(path)));
    return {};
}

core::Result<QString> ReportService::exportDocument(int code, const ReportContext &context,
                                                    const QString &documentWord, const QString &number,
                                                    int year)
{
    storage::Archive *archive = m_session.archive();
    if (!archive)
        return core::Result<QString>::failure(QStringLiteral("Nessun archivio aperto."));
    core::Result<ReportSettings> settings = readReportSettings(*archive);
    if (!settings)
        return core::Result<QString>::failure(settings.error());
    const QString path = documentExportPath(settings->documentFolder, m_session.programFolder(), documentWord,
                                            number, year, settings->exportExtension);
    if (core::Status exported = exportTo(code, context, path); !exported)
        return core::Result<QString>::failure(exported.error());
    return path;
}

namespace {

// Starts the print program on a file to show, without waiting; failures are shown to the user.
core::Status showFile(Session &session, const QString &option, const QString &file)
{
    const auto failed = [&session](const QString &text) {
        session.prompter().message(titles::error(), text);
        return core::Status::failure(text);
    };
    const QFileInfo info(file);
    if (file.isEmpty() || !info.isFile())
        return failed(QStringLiteral("Il file %1 non esiste.").arg(QDir::toNativeSeparators(file)));
    // The print program may start in another folder: it gets the whole path.
    const QString program = printProgramPath(session.installFolder());
    if (!session.desktop().startProgram(program, {option, QDir::toNativeSeparators(info.absoluteFilePath())}))
        return failed(
            QStringLiteral("Il programma di stampa %1 non si avvia.").arg(QDir::toNativeSeparators(program)));
    return {};
}

} // namespace

core::Status ReportService::showElectronicInvoice(const QString &file)
{
    return showFile(m_session, QStringLiteral("--fattura-elettronica"), file);
}

core::Status ReportService::showDocument(const QString &htmlFile)
{
    return showFile(m_session, QStringLiteral("--documento"), htmlFile);
}

} // namespace rotalina::shell
