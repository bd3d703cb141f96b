#include "invoicing/jobimport.h"

#include "core/datetext.h"
#include "invoicing/creditnotes.h"
#include "invoicing/invoices.h"
#include "shell/descriptorfields.h"
#include "shell/recordchecks.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"

#include <QSet>
#include <QSqlRecord>

namespace rotalina::invoicing {

namespace {

using shell::RecordChecks;
namespace sqlvalue = storage::sqlvalue;

bool isEmpty(const QVariant &value)
{
    return !value.isValid() || value.isNull() || value.toString().trimmed().isEmpty();
}

// Job orders no invoice has taken: a flag never written counts as not set.
const char *const importableCondition =
    "Cliente_Id = ? AND COALESCE(Fatturato, false) = false AND COALESCE(Annullato, false) = false AND "
    "COALESCE(Storico, false) = ?";

// What the import reads of the invoice once for all its job orders.
struct InvoiceContext
{
    InvoicingSettings settings;
    qint64 invoice = 0;
    qint64 customer = 0;
    bool history = false;
    QDate date;            // the invoice's date, today when it has none
    double agentShare = 0; // the agent's commission in percent
};

core::Result<InvoiceContext> readInvoice(storage::Archive &archive, qint64 invoice, const QDate &today)
{
    using R = core::Result<InvoiceContext>;
    if (invoice <= 0)
        return R::failure(unsavedInvoiceForJobOrdersMessage());
    core::Result<QSqlQuery> read = archive.select(
        QStringLiteral(
            "SELECT Cliente_ID, Storico, Data, Agente_id, Carico, FattNota FROM fattura WHERE ID = ?"),
        {invoice});
    if (!read)
        return R::failure(read.error());
    if (!read->next())
        return R::failure(unsavedInvoiceForJobOrdersMessage());
    const QSqlRecord header = read->record();
    // Job orders are invoiced to the customer: a credit note or a purchase document takes none.
    if (header.value(QStringLiteral("Carico")).toBool() || header.value(QStringLiteral("FattNota")).toBool())
        return R::failure(
            QStringLiteral("Attenzione le commesse si importano solo nelle fatture di vendita"));
    InvoiceContext context;
    const QVariant customer = header.value(QStringLiteral("Cliente_ID"));
    if (!RecordChecks::hasValue(customer) || customer.toLongLong() == 0)
        return R::failure(noCustomerForInvoiceMessage());
    const core::Result<InvoicingSettings> settings = readInvoicingSettings(archive);
    if (!settings)
        return R::failure(settings.error());
    context.settings = *settings;
    context.invoice = invoice;
    context.customer = customer.toLongLong();
    context.history = header.value(QStringLiteral("Storico")).toBool();
    context.date = sqlvalue::toDate(header.value(QStringLiteral("Data")));
    if (!context.date.isValid())
        context.date = today;
    const QVariant agent = header.value(QStringLiteral("Agente_id"));
    if (RecordChecks::hasValue(agent)) {
        const core::Result<QVariant> share = archive.scalar(
            QStringLiteral("SELECT PercentualeProvvigioni FROM Fornitor WHERE ID = ?"), {agent.toLongLong()});
        if (!share)
            return R::failure(share.error());
        context.agentShare = share->toDouble();
    }
    return context;
}

core::Result<QList<qint64>> importableKeys(storage::Archive &archive, qint64 customer, bool history)
{
    using R = core::Result<QList<qint64>>;
    core::Result<QSqlQuery> read =
        archive.select(QStringLiteral("SELECT ID FROM TotaliCo WHERE %1 ORDER BY Data, Numero, ID")
                           .arg(QLatin1String(importableCondition)),
                       {customer, history});
    if (!read)
        return R::failure(read.error());
    QList<qint64> keys;
    while (read->next())
        keys.append(read->value(0).toLongLong());
    return keys;
}

QString jobName(const QVariant &number)
{
    return isEmpty(number) ? QStringLiteral("la commessa")
                           : QStringLiteral("la commessa N° ") + number.toString();
}

// Marks the job order invoiced for this invoice, or says why it cannot be. The mark is taken only
// while the job order is not invoiced yet, in the same statement: of two workstations importing it
// at once the second finds it taken and is refused.
core::Status takeJobOrder(storage::Archive &archive, const InvoiceContext &context, qint64 job,
                          const QSqlRecord &header)
{
    const QString name = jobName(header.value(QStringLiteral("Numero")));
    if (header.value(QStringLiteral("Cliente_Id")).toLongLong() != context.customer)
        return core::Status::failure(
            QStringLiteral("Attenzione %1 è di un altro cliente: non si può importare in questa fattura")
                .arg(name));
    if (header.value(QStringLiteral("Annullato")).toBool())
        return core::Status::failure(
            QStringLiteral("Attenzione %1 è annullata: non si può fatturare").arg(name));
    if (header.value(QStringLiteral("Storico")).toBool() != context.history)
        return core::Status::failure(
            context.history
                ? QStringLiteral("Attenzione %1 non è nello storico come la fattura").arg(name)
                : QStringLiteral("Attenzione %1 è nello storico: non si può importare in questa fattura")
                      .arg(name));
    const core::Result<int> taken =
        archive.execute(QStringLiteral("UPDATE TotaliCo SET Fatturato = ?, Chiusa = ? WHERE ID = ? AND "
                                       "COALESCE(Fatturato, false) = false"),
                        {true, true, job});
    if (!taken)
        return core::Status::failure(taken.error());
    core::Result<QSqlQuery> elsewhere = archive.select(
        QStringLiteral("SELECT fattura.Num, fattura.Data FROM FatturaContiRighe INNER JOIN fattura ON "
                       "fattura.ID = FatturaContiRighe.Fattura_ID WHERE FatturaContiRighe.Conto_ID = ? AND "
                       "FatturaContiRighe.Fattura_ID <> ? ORDER BY fattura.ID LIMIT 1"),
        {job, context.invoice});
    if (!elsewhere)
        return core::Status::failure(elsewhere.error());
    if (elsewhere->next())
        return core::Status::failure(
            QStringLiteral("Attenzione %1 è già stata fatturata con la fattura N° %2 del %3")
                .arg(name, elsewhere->value(0).toString(),
                     core::datetext::formatShortDate(sqlvalue::toDate(elsewhere->value(1)))));
    if (*taken > 0)
        return {};
    // Already invoiced: only this invoice may take it again (its rows are replaced).
    const core::Result<QVariant> here = archive.scalar(
        QStringLiteral("SELECT COUNT(*) FROM FatturaContiRighe WHERE Conto_ID = ? AND Fattura_ID = ?"),
        {job, context.invoice});
    if (!here)
        return core::Status::failure(here.error());
    if (here->toInt() == 0)
        return core::Status::failure(QStringLiteral("Attenzione %1 risulta già fatturata").arg(name));
    const core::Result<int> again = archive.execute(
        QStringLiteral("UPDATE TotaliCo SET Fatturato = ?, Chiusa = ? WHERE ID = ?"), {true, true, job});
    return again ? core::Status() : core::Status::failure(again.error());
}

// The account of a copied row follows the kind of the job order's row.
QVariant accountOf(const InvoicingSettings &settings, const QVariant &kind)
{
    const QString code = kind.toString().trimmed().toUpper();
    if (code == u"S")
        return settings.collectionAccount;
    if (code == u"T")
        return settings.transportAccount;
    return settings.generalAccount;
}

core::Result<int> importOne(storage::Archive &archive, const InvoiceContext &context, qint64 job)
{
    using R = core::Result<int>;
    core::Result<QSqlQuery> read = archive.select(
        QStringLiteral("SELECT ID, Numero, Data, Cliente_Id, Annullato, Storico, Mittente_ID, OrdineCarico, "
                       "Targa1 FROM TotaliCo WHERE ID = ?"),
        {job});
    if (!read)
        return R::failure(read.error());
    if (!read->next())
        return R::failure(QStringLiteral("Attenzione la commessa scelta non è più in archivio"));
    const QSqlRecord header = read->record();
    if (core::Status taken = takeJobOrder(archive, context, job, header); !taken)
        return R::failure(taken.error());

    const QVariant number = header.value(QStringLiteral("Numero"));
    const QDate date = sqlvalue::toDate(header.value(QStringLiteral("Data")));
    // An earlier import of the same job order is replaced: one link, one set of rows.
    for (const char *statement : {"DELETE FROM FatturaContiRighe WHERE Fattura_ID = ? AND Conto_ID = ?",
                                  "DELETE FROM fattdett WHERE NumFatt = ? AND Conto_ID = ?"}) {
        if (core::Result<int> run = archive.execute(QLatin1String(statement), {context.invoice, job}); !run)
            return R::failure(run.error());
    }
    QVariantMap link{{QStringLiteral("Conto_ID"), job}, {QStringLiteral("Fattura_ID"), context.invoice}};
    if (!isEmpty(number))
        link.insert(QStringLiteral("Numero"), number);
    if (date.isValid())
        link.insert(QStringLiteral("data"), date);
    if (core::Result<qint64> linked = archive.insert(QStringLiteral("FatturaContiRighe"), link); !linked)
        return R::failure(linked.error());

    int rowNumber = 1;
    if (context.settings.rowNumbersIncrease) {
        const core::Result<QVariant> rows = archive.scalar(
            QStringLiteral("SELECT COUNT(*) FROM fattdett WHERE NumFatt = ?"), {context.invoice});
        if (!rows)
            return R::failure(rows.error());
        rowNumber = rows->toInt() + 1;
    }
    QString note = QStringLiteral("Commessa");
    if (!isEmpty(number))
        note += QStringLiteral(" N°") + number.toString();
    if (date.isValid())
        note += QStringLiteral(" Data: ") + core::datetext::formatShortDate(date);
    const QVariant sender = header.value(QStringLiteral("Mittente_ID"));
    QVariant senderName;
    if (!isEmpty(sender)) {
        // The grid's "altro Mittente" shows the name the row editor would have copied.
        const core::Result<QVariant> name = archive.scalar(
            QStringLiteral("SELECT RagioneSociale FROM Indirizzi WHERE ID = ?"), {sender.toLongLong()});
        if (!name)
            return R::failure(name.error());
        senderName = *name;
    }

    core::Result<QSqlQuery> rows = archive.select(
        QStringLiteral("SELECT * FROM Conti WHERE Testata_ID = ? ORDER BY NumeroRiga, IDX"), {job});
    if (!rows)
        return R::failure(rows.error());
    static const std::initializer_list<std::pair<const char *, const char *>> copied{
        {"Descrizione", "Descrizione"},
        {"Contrassegno", "Contrassegno"},
        {"DataInizioPeriodo", "DataInizioPeriodo"},
        {"DataFinePeriodo", "DataFinePeriodo"},
        {"RiferimentoAmministrazione", "RiferimentoAmministrazione"},
        {"Regione_ID", "Regione_ID"},
        {"Um", "Um"},
        {"Chilometri", "Chilometri"},
        {"ValoreUnitario", "ValoreUnitario"},
        {"Reparto", "Reparto"},
        {"Sconto", "Sconto"},
        {"RIFDDT", "RIFDDT"},
        {"DataDDT", "DataDDT"},
        {"ValoreTotale", "ValoreTotale"},
        {"AliquotaIva", "AliquotaIva"},
        {"Articolo_ID", "Articolo_ID"},
        {"Iva_ID", "Iva_ID"},
        {"Codice", "Codice"},
        {"Um_ID", "Um_Id"},
        {"Colli", "Colli"},
        {"Peso", "Peso"},
        {"PesoRiconosciuto", "PesoRiconosciuto"},
        {"TotaleImponibile", "TotaleImponibile"},
        {"ProvvigioneContrassegno", "ProvvigioneContrassegno"},
        {"Volume", "Volume"},
        {"Partenza_ID", "Partenza_ID"},
        {"Fine_ID", "Fine_ID"},
        {"Partenza_Indirizzo", "Partenza_Indirizzo"},
        {"Fine_Indirizzo", "Fine_Indirizzo"}};
    // Read whole before the rows are written: a PostgreSQL connection runs one statement at a time.
    QList<QSqlRecord> sources;
    while (rows->next())
        sources.append(rows->record());
    int added = 0;
    for (const QSqlRecord &source : std::as_const(sources)) {
        QVariantMap row{{QStringLiteral("NumFatt"), context.invoice},
                        {QStringLiteral("NumeroRiga"), rowNumber},
                        {QStringLiteral("TipoRiga"), QStringLiteral("C")},
                        {QStringLiteral("PercentualeProvvigione"), context.agentShare},
                        {QStringLiteral("note"), note},
                        {QStringLiteral("Conto_ID"), job},
                        {QStringLiteral("Storico"), context.history},
                        {QStringLiteral("Data"), context.date},
                        {QStringLiteral("ContabilitaConti_ID"),
                         accountOf(context.settings, source.value(QStringLiteral("TipoRiga")))}};
        if (context.settings.rowNumbersIncrease)
            ++rowNumber;
        for (const char *field : {"Mittente_ID", "OrdineCarico", "Targa1"}) {
            if (const QVariant value = header.value(QLatin1String(field)); !isEmpty(value))
                row.insert(QLatin1String(field), value);
        }
        if (!isEmpty(senderName))
            row.insert(QStringLiteral("Mittente"), senderName);
        for (const auto &[target, from] : copied) {
            if (const QVariant value = source.value(QLatin1String(from)); !isEmpty(value))
                row.insert(QLatin1String(target), value);
        }
        if (core::Result<qint64> key = archive.insert(QStringLiteral("fattdett"), row); !key)
            return R::failure(key.error());
        ++added;
    }
    return added;
}

core::Result<int> importInto(storage::Archive &archive, const InvoiceContext &context,
                             const QList<qint64> &jobs)
{
    using R = core::Result<int>;
    int added = 0;
    QSet<qint64> done;
    for (const qint64 job : jobs) {
        if (done.contains(job))
            continue;
        done.insert(job);
        const R rows = importOne(archive, context, job);
        if (!rows)
            return rows;
        added += *rows;
    }
    if (core::Status totals = recomputeTotals(archive, context.invoice); !totals)
        return R::failure(totals.error());
    return added;
}

shell::RegistryDescriptor buildLinks()
{
    shell::RegistryDescriptor r;
    r.table = QStringLiteral("FatturaContiRighe");
    r.listSql = QStringLiteral("SELECT * FROM FatturaContiRighe");
    r.order = QStringLiteral("data, Numero, ID");
    r.columns = {shell::fields::column("Numero", "Numero", 90), shell::fields::column("data", "Data", 100)};
    r.fields = {shell::fields::field("Numero", "Numero", shell::RegistryField::Kind::Amount, 0),
                shell::fields::field("data", "Data", shell::RegistryField::Kind::Date)};
    r.readOnly = true;
    r.ownerField = QStringLiteral("Fattura_ID");
    r.remove = removeJobOrderLink;
    r.helpContext = 1100;
    r.grid = QStringLiteral("Form7_DBGrid4");
    return r;
}

} // namespace

QString jobOrderChoiceText(const QVariant &number, const QDate &date, const QString &series,
                           const QString &note)
{
    return QStringLiteral("N° ") + number.toString() + QStringLiteral(" Data: ") +
           core::datetext::formatShortDate(date) + QStringLiteral(" Serie: ") + series +
           QStringLiteral(" - ") + note;
}

core::Result<QList<ImportableJobOrder>> importableJobOrders(storage::Archive &archive, qint64 invoice)
{
    using R = core::Result<QList<ImportableJobOrder>>;
    core::Result<QSqlQuery> header =
        archive.select(QStringLiteral("SELECT Cliente_ID, Storico FROM fattura WHERE ID = ?"), {invoice});
    if (!header)
        return R::failure(header.error());
    if (!header->next() || !RecordChecks::hasValue(header->value(0)))
        return QList<ImportableJobOrder>();
    core::Result<QSqlQuery> read =
        archive.select(QStringLiteral("SELECT ID, Numero, Data, Serie, Note FROM TotaliCo WHERE %1 "
                                      "ORDER BY Data, Numero, ID")
                           .arg(QLatin1String(importableCondition)),
                       {header->value(0).toLongLong(), header->value(1).toBool()});
    if (!read)
        return R::failure(read.error());
    QList<ImportableJobOrder> jobs;
    while (read->next()) {
        jobs.append({read->value(0).toLongLong(),
                     jobOrderChoiceText(read->value(1), sqlvalue::toDate(read->value(2)),
                                        read->value(3).toString(), read->value(4).toString())});
    }
    return jobs;
}

core::Result<int> importJobOrders(storage::Archive &archive, qint64 invoice, const QList<qint64> &jobs,
                                  const QDate &today)
{
    using R = core::Result<int>;
    if (jobs.isEmpty())
        return R::failure(unsavedInvoiceForJobOrdersMessage());
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return R::failure(transaction.error());
    const core::Result<InvoiceContext> context = readInvoice(archive, invoice, today);
    if (!context)
        return R::failure(context.error());
    const R added = importInto(archive, *context, jobs);
    if (!added)
        return added;
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return added;
}

core::Result<int> importAllJobOrders(storage::Archive &archive, qint64 invoice, const QDate &today)
{
    using R = core::Result<int>;
    // The list is read in the import's own transaction, so that it is the list imported.
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return R::failure(transaction.error());
    const core::Result<InvoiceContext> context = readInvoice(archive, invoice, today);
    if (!context)
        return R::failure(context.error());
    const core::Result<QList<qint64>> jobs = importableKeys(archive, context->customer, context->history);
    if (!jobs)
        return R::failure(jobs.error());
    if (jobs->isEmpty())
        return R::failure(noJobOrdersToImportMessage());
    const R added = importInto(archive, *context, *jobs);
    if (!added)
        return added;
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return added;
}

core::Status unlinkJobOrder(storage::Archive &archive, qint64 invoice, qint64 job)
{
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return core::Status::failure(transaction.error());
    const core::Result<int> rows = archive.execute(
        QStringLiteral("DELETE FROM fattdett WHERE NumFatt = ? AND Conto_ID = ?"), {invoice, job});
    if (!rows)
        return core::Status::failure(rows.error());
    const core::Result<int> unlinked =
        archive.execute(QStringLiteral("DELETE FROM FatturaContiRighe WHERE Fattura_ID = ? AND Conto_ID = ?"),
                        {invoice, job});
    if (!unlinked)
        return core::Status::failure(unlinked.error());
    // Open again, and not merely "not invoiced": a closed job order would stay out of the lists of
    // open work although nothing invoices it any more. A job order this invoice did not hold, or
    // another invoice still holds, stays as it is.
    if (*unlinked > 0) {
        const core::Result<int> reopened = archive.execute(
            QStringLiteral(
                "UPDATE TotaliCo SET Fatturato = ?, Chiusa = ? WHERE ID = ? AND NOT EXISTS "
                "(SELECT 1 FROM FatturaContiRighe WHERE FatturaContiRighe.Conto_ID = TotaliCo.ID)"),
            {false, false, job});
        if (!reopened)
            return core::Status::failure(reopened.error());
    }
    if (core::Status totals = recomputeTotals(archive, invoice); !totals)
        return totals;
    return transaction.commit();
}

core::Status removeJobOrderLink(storage::Archive &archive, qint64 link)
{
    core::Result<QSqlQuery> read = archive.select(
        QStringLiteral("SELECT Fattura_ID, Conto_ID FROM FatturaContiRighe WHERE ID = ?"), {link});
    if (!read)
        return core::Status::failure(read.error());
    if (!read->next())
        return core::Status::failure(storage::Archive::missingRowMessage());
    return unlinkJobOrder(archive, read->value(0).toLongLong(), read->value(1).toLongLong());
}

const shell::RegistryDescriptor &invoiceJobOrdersRegistry()
{
    static const shell::RegistryDescriptor registry = buildLinks();
    return registry;
}

QString unsavedInvoiceForJobOrdersMessage()
{
    return QStringLiteral(
        "Attenzione è necessario salvare la fattura prima di inserirci i riferimenti ai Conti");
}

QString noJobOrdersToImportMessage()
{
    return QStringLiteral("Nessun Record da importare");
}

QString importJobOrderQuestion()
{
    return QStringLiteral("Sei sicuro di voler Importare la Commessa ??");
}

} // namespace rotalina::invoicing
