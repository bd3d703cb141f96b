#include "invoicing/ui/einvoiceexport.h"

#include "invoicing/einvoice.h"
#include "invoicing/einvoicesignature.h"
#include "shell/prompter.h"
#include "shell/session.h"
#include "storage/archive.h"

#include <QDir>
#include <QFileInfo>

namespace rotalina::invoicing::ui {

using shell::titles::error;
using shell::titles::warning;

namespace {

struct ExportOptions
{
    bool checkConsistency = false;
    QString folder;
    QString certificate;
};

core::Result<ExportOptions> readExportOptions(storage::Archive &archive)
{
    const core::Result<storage::Archive::Rows> rows = archive.readRows(
        QStringLiteral("SELECT VerificaCoerenza_FattureElett_PrimaEsportazione, "
                       "CartellaEsportazioneFattureElettroniche, CertificatoFirmaFattureElettroniche "
                       "FROM opzioni ORDER BY ID LIMIT 1"));
    if (!rows)
        return core::Result<ExportOptions>::failure(rows.error());
    ExportOptions options;
    if (!rows->values.isEmpty()) {
        const QVariantList &row = rows->values.first();
        options.checkConsistency = row.value(0).toBool();
        options.folder = row.value(1).toString().trimmed();
        options.certificate = row.value(2).toString().trimmed();
    }
    return options;
}

QString problemList(const QList<EInvoiceProblem> &problems)
{
    QString text =
        QStringLiteral("Attenzione la fattura elettronica verrebbe scartata dal Sistema di Interscambio. "
                       "Correggere prima:\n");
    for (const EInvoiceProblem &problem : problems) {
        text += QStringLiteral("\n- ") + problem.text();
        if (!problem.title.isEmpty())
            text += QStringLiteral("\n   %1").arg(problem.title);
        if (!problem.suggestion.isEmpty())
            text += QStringLiteral("\n   Suggerimento: %1").arg(problem.suggestion);
    }
    return text;
}

} // namespace

bool exportElectronicInvoice(shell::Session &session, qint64 document, QWidget *)
{
    storage::Archive &archive = *session.archive();
    shell::Prompter &prompter = session.prompter();
    const core::Result<EInvoiceSource> source = readEInvoiceSource(archive, document);
    if (!source) {
        prompter.message(error(), source.error());
        return false;
    }
    if (const std::optional<ExportStop> stop = exportStop(*source)) {
        prompter.message(stop->title, stop->message);
        return false;
    }
    const core::Result<ExportOptions> options = readExportOptions(archive);
    if (!options) {
        prompter.message(error(), options.error());
        return false;
    }
    if (options->checkConsistency) {
        const QString differences = consistencyReport(*source);
        if (!differences.isEmpty() && !prompter.ask(consistencyQuestionTitle(), differences))
            return false;
    }
    EInvoiceDocument built = buildEInvoice(*source);
    if (!built.problems.isEmpty()) {
        if (core::Status explained = explainProblems(archive, built.problems); !explained)
            prompter.message(error(), explained.error());
        prompter.message(error(), problemList(built.problems));
        return false;
    }

    const QString proposed =
        QDir(options->folder.isEmpty() ? QDir::homePath() : options->folder).filePath(built.fileName);
    const QString path = prompter.saveFile(QStringLiteral("Scegli il file xml"), proposed,
                                           QStringLiteral("Archivi Xml (*.xml)"));
    if (path.isEmpty())
        return false;
    if (QFileInfo::exists(path) &&
        !prompter.ask(warning(), QStringLiteral("Il file e' gia' presente ! Sovrascriverlo ?")))
        return false;

    // A public administration accepts only signed invoices; a firm's may be signed when the user wants.
    std::optional<DocumentSigner> signer;
    if (!options->certificate.isEmpty() &&
        (built.transmissionFormat == QLatin1String("FPA12") ||
         prompter.ask(warning(),
                      QStringLiteral("Vuoi scrivere anche la fattura firmata digitalmente (.p7m) ?")))) {
        const QString password = prompter.askSecret(QStringLiteral("Firma della fattura elettronica"),
                                                    QStringLiteral("Password del certificato di firma:"));
        if (password.isEmpty())
            return false;
        core::Result<DocumentSigner> opened = DocumentSigner::open(options->certificate, password);
        if (!opened) {
            prompter.message(error(), opened.error());
            return false;
        }
        signer.emplace(std::move(*opened));
    }
    if (core::Status written =
            writeEInvoiceFiles(archive, document, built, path, signer ? &*signer : nullptr);
        !written) {
        prompter.message(error(), written.error());
        return false;
    }
    prompter.message(warning(), exportedMessage(source->creditNote));
    return true;
}

} // namespace rotalina::invoicing::ui
