#include "invoicing/sdisending.h"

#include "invoicing/einvoice.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"

#include <QDir>
#include <QFileInfo>

namespace rotalina::invoicing {

namespace sdiMessages {
QString missingAddress()
{
    return QStringLiteral("Attenzione manca l'indirizzo Pec dello SdI tra le opzioni del programma "
                          "(pagina Email) !");
}
QString notExported(const QStringList &numbers)
{
    return QStringLiteral(
               "Attenzione queste fatture non hanno un file di fattura elettronica esportato e non "
               "vengono inviate (esportarle prima con \"Esporta xml\"):\n") +
           numbers.join(u'\n');
}
} // namespace sdiMessages

namespace {

// The signed twin wins: the exchange system takes either, and a firm that signs wants it signed.
QString fileToSend(const QString &xml)
{
    const QString signedFile = xml + QStringLiteral(".p7m");
    if (QFileInfo(signedFile).isFile())
        return signedFile;
    return QFileInfo(xml).isFile() ? xml : QString();
}

} // namespace

core::Result<SdiSelection> sdiSelection(storage::Archive &archive, const QList<qint64> &invoices)
{
    using R = core::Result<SdiSelection>;
    const core::Result<storage::Archive::Rows> options = archive.readRows(QStringLiteral(
        "SELECT PecSdI, CartellaEsportazioneFattureElettroniche FROM opzioni ORDER BY ID LIMIT 1"));
    if (!options)
        return R::failure(options.error());
    SdiSelection selection;
    QString folder;
    if (!options->values.isEmpty()) {
        selection.address = options->values.first().value(0).toString().trimmed();
        folder = options->values.first().value(1).toString().trimmed();
    }
    for (const qint64 invoice : invoices) {
        const core::Result<storage::Archive::Rows> read = archive.readRows(
            QStringLiteral("SELECT NomeFileXml, EsportatoXml FROM fattura WHERE ID = ?"), {invoice});
        if (!read)
            return R::failure(read.error());
        if (read->values.isEmpty())
            continue;
        const core::Result<EInvoiceSource> source = readEInvoiceSource(archive, invoice);
        if (!source)
            return R::failure(source.error());
        SdiFile file;
        file.invoice = invoice;
        file.number = eInvoiceNumber(*source);
        const QString recorded = read->values.first().value(0).toString().trimmed();
        if (!recorded.isEmpty())
            file.path = fileToSend(recorded);
        else if (read->values.first().value(1).toBool() && !folder.isEmpty())
            file.path = fileToSend(QDir(folder).filePath(eInvoiceFileName(*source)));
        if (file.path.isEmpty())
            selection.missingNumbers.append(file.number);
        else
            selection.files.append(file);
    }
    return selection;
}

QString sdiSubject(const QList<SdiFile> &files)
{
    QStringList names;
    for (const SdiFile &file : files)
        names.append(QFileInfo(file.path).fileName());
    return names.join(QStringLiteral(", "));
}

core::Status recordSdiSending(storage::Archive &archive, const QList<SdiFile> &files,
                              const QStringList &sentPaths, const QDate &day)
{
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return core::Status::failure(transaction.error());
    for (const SdiFile &file : files) {
        if (!sentPaths.contains(file.path))
            continue;
        const core::Result<int> changed = archive.execute(
            QStringLiteral("UPDATE fattura SET DataInvioSdI = ? WHERE ID = ? AND DataInvioSdI IS NULL"),
            {storage::sqlvalue::date(day), file.invoice});
        if (!changed)
            return core::Status::failure(changed.error());
    }
    return transaction.commit();
}

} // namespace rotalina::invoicing
