#include "transport/quotes.h"

#include "shell/descriptorfields.h"
#include "shell/storeddefaults.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"

#include <QHash>
#include <algorithm>

namespace rotalina::transport {

using shell::DocumentDescriptor;
using shell::DocumentTab;
using shell::RecordChecks;
using shell::RegistryDescriptor;
using shell::RegistryField;
using Kind = RegistryField::Kind;
using namespace shell::fields;
namespace sqlvalue = storage::sqlvalue;

namespace {

constexpr int quoteHelp = 4500;

core::Status fail(const QString &message)
{
    return core::Status::failure(message);
}

bool isEmpty(const QVariant &value)
{
    return !value.isValid() || value.isNull() || value.toString().trimmed().isEmpty();
}

QString shortDate(const QVariant &value)
{
    return sqlvalue::toDate(value).toString(QStringLiteral("dd/MM/yyyy"));
}

RegistryDescriptor buildRows()
{
    RegistryDescriptor r = pricedRowsRegistry(quotePricing());
    r.cardWindow = QStringLiteral("TfrmModificaPreventiviRighe");
    r.cardCaption = QStringLiteral("Modifica righe preventivo");
    r.order = QStringLiteral("NumeroRiga, ID");
    r.columns = {column("Um", "Quantità", 70),
                 column("Codice", "Codice", 70),
                 column("Descrizione", "Descrizione", 320),
                 column("ValoreUnitario", "Valore Unitario", 100),
                 column("Sconto", "Sconto", 60),
                 column("ValoreTotale", "Valore Totale", 100),
                 column("NumeroRiga", "Num.Riga", 60)};
    r.grid = QStringLiteral("frmPreventivi_Griglia");
    r.helpContext = quoteHelp;
    return r;
}

DocumentDescriptor buildDocument()
{
    DocumentDescriptor d;
    d.window = QStringLiteral("TfrmPreventivi");
    d.caption = QStringLiteral("Preventivi");
    d.table = QStringLiteral("PreventiTestata");
    RegistryField customer =
        choice("Cliente_ID", "Cliente",
               "SELECT Id, NominativoVisualizzato FROM Clienti ORDER BY NominativoVisualizzato",
               "TfrmClientiDett", "TfrmClienti");
    customer.copySql = QStringLiteral("SELECT NominativoDocumenti AS Cliente FROM Clienti WHERE Id = ?");
    customer.copiedFields = {QStringLiteral("Cliente")};
    customer.cardButton = QStringLiteral("SpeedButton34");
    DocumentTab header{
        QStringLiteral("   Testata   "),
        {field("Numero", "N° Preventivo", Kind::Amount, 0), field("Data", "Data", Kind::Date), customer,
         field("Cliente", "", Kind::Hidden),
         choice("Targa1", "Targa Veicolo",
                "SELECT Targa, Targa FROM Vetture WHERE Targa IS NOT NULL ORDER BY Targa",
                "TfrmVettureDettaglio", "TfrmVetture"),
         choice(
             "Personale_ID", "Autista",
             "SELECT Id, COALESCE(Personale, TRIM(COALESCE(Cognome, '') || ' ' || COALESCE(Nome, ''))) FROM "
             "Personale ORDER BY 2",
             "TfrmPersonaleDettaglio", "TfrmGrigliaPersonale"),
         field("Note", "Note"), field("Chiuso", "Chiuso", Kind::Check),
         startsColumn(field("TotImponibile", "Totale Imponibile", Kind::Amount)),
         field("TotImposta", "Totale Imposta", Kind::Amount),
         field("TotalePreventivo", "Totale Preventivo", Kind::Amount),
         field("TotProvvigioneContrassegno", "Totale Provv. Contrass.", Kind::Amount),
         field("Costo", "Totale Costi Manutenzione + Autista", Kind::Amount)},
        {}};
    const RegistryDescriptor &rows = quoteRowsRegistry();
    DocumentTab rowsTab{
        QStringLiteral("   Righe   "),
        {},
        {{[] { return &quoteRowsRegistry(); }, rows.ownerField, QStringLiteral("Righe"), rows.grid}}};
    d.tabs = {header, rowsTab};
    d.checks = quoteChecks();
    d.remove = deleteQuote;
    d.computedFields = {QStringLiteral("TotImponibile"),
                        QStringLiteral("TotImposta"),
                        QStringLiteral("TotalePreventivo"),
                        QStringLiteral("TotProvvigioneContrassegno"),
                        QStringLiteral("Costo"),
                        QStringLiteral("Chiuso")};
    d.helpContext = quoteHelp;
    return d;
}

RegistryDescriptor buildList()
{
    RegistryDescriptor r;
    r.listWindow = QStringLiteral("TfrmGrigliaPreventivi");
    r.cardWindow = QStringLiteral("TfrmPreventivi");
    r.listCaption = QStringLiteral("Preventivi");
    r.cardCaption = QStringLiteral("Preventivi");
    r.table = QStringLiteral("PreventiTestata");
    r.listSql = QStringLiteral("SELECT ID, Numero, Data, Cliente, TotalePreventivo, Note, Chiuso FROM "
                               "(SELECT * FROM PreventiTestata) preventivi");
    r.order = QStringLiteral("Numero, ID");
    r.columns = {column("Cliente", "Cliente", 240), column("Numero", "Numero", 70),
                 column("Data", "Data", 90), column("TotalePreventivo", "Totale Preventivo", 120),
                 column("Note", "Note", 260)};
    r.fields = {field("TotalePreventivo", "", Kind::Amount), field("Chiuso", "", Kind::Check)};
    r.grid = QStringLiteral("frmGrigliaPreventivi_Griglia");
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare il preventivo?");
    r.remove = deleteQuote;
    r.helpContext = quoteHelp;
    return r;
}

RegistryDescriptor buildLinks()
{
    RegistryDescriptor r;
    r.cardWindow = QStringLiteral("TfrmCommessePreventiviRighe");
    r.table = QStringLiteral("CommessePreventiviRighe");
    r.listSql = QStringLiteral("SELECT * FROM CommessePreventiviRighe");
    r.order = QStringLiteral("data, ID");
    r.ownerField = QStringLiteral("Conto_ID");
    r.columns = {column("Numero", "N°", 70), column("data", "Data", 90)};
    r.grid = QStringLiteral("frmConto_DBGrid4");
    r.readOnly = true;
    r.remove = [](storage::Archive &archive, qint64 link) {
        return unlinkQuote(archive, link);
    };
    r.helpContext = 4100;
    return r;
}

struct JobHeader
{
    QVariant customer;
    QString plate;
    QDate date;
};

core::Result<JobHeader> readJob(storage::Archive &archive, qint64 job)
{
    const core::Result<storage::Archive::Rows> read =
        archive.readRows(QStringLiteral("SELECT Cliente_Id, Targa1, Data FROM TotaliCo WHERE ID = ?"), {job});
    if (!read)
        return core::Result<JobHeader>::failure(read.error());
    if (read->values.isEmpty())
        return core::Result<JobHeader>::failure(quoteNotSavedMessage());
    const QVariantList &row = read->values.first();
    return JobHeader{row.at(0), row.at(1).toString().trimmed(), sqlvalue::toDate(row.at(2))};
}

// Takes the rows an earlier import of the quote left in the job order away, with their kilometres.
core::Status removeQuoteRows(storage::Archive &archive, const PricingSettings &settings, const JobHeader &job,
                             qint64 jobKey, qint64 quote)
{
    if (settings.odometerFromJobs) {
        const core::Result<QVariant> kilometres = archive.scalar(
            QStringLiteral(
                "SELECT SUM(Chilometri) FROM Conti WHERE Testata_ID = ? AND Prev_id = ? AND Chilometri > 0"),
            {jobKey, quote});
        if (!kilometres)
            return fail(kilometres.error());
        if (core::Status moved = moveOdometer(archive, job.plate, -kilometres->toDouble()); !moved)
            return moved;
    }
    const core::Result<int> removed = archive.execute(
        QStringLiteral("DELETE FROM Conti WHERE Testata_ID = ? AND Prev_id = ?"), {jobKey, quote});
    return removed ? core::Status() : fail(removed.error());
}

core::Status importQuote(storage::Archive &archive, const PricingSettings &settings, const JobHeader &job,
                         qint64 jobKey, qint64 quote, const QDate &today)
{
    const core::Result<storage::Archive::Rows> header =
        archive.readRows(QStringLiteral("SELECT Numero, Data FROM PreventiTestata WHERE ID = ?"), {quote});
    if (!header)
        return fail(header.error());
    if (header->values.isEmpty())
        return fail(quoteNotSavedMessage());
    const QVariant number = header->values.first().at(0);
    const QVariant date = header->values.first().at(1);
    const core::Result<int> closed =
        archive.execute(QStringLiteral("UPDATE PreventiTestata SET Chiuso = ? WHERE ID = ?"), {true, quote});
    if (!closed)
        return fail(closed.error());
    const core::Result<int> unlinked = archive.execute(
        QStringLiteral("DELETE FROM CommessePreventiviRighe WHERE Conto_ID = ? AND Preventivo_ID = ?"),
        {jobKey, quote});
    if (!unlinked)
        return fail(unlinked.error());
    const core::Result<qint64> linked = archive.insert(QStringLiteral("CommessePreventiviRighe"),
                                                       {{QStringLiteral("Conto_ID"), jobKey},
                                                        {QStringLiteral("Preventivo_ID"), quote},
                                                        {QStringLiteral("Numero"), number},
                                                        {QStringLiteral("data"), sqlvalue::toDate(date)}});
    if (!linked)
        return fail(linked.error());
    if (core::Status removed = removeQuoteRows(archive, settings, job, jobKey, quote); !removed)
        return removed;
    const core::Result<storage::Archive::Rows> rows = archive.readRows(
        QStringLiteral("SELECT * FROM PreventiRighe WHERE Prev_ID = ? ORDER BY NumeroRiga, ID"), {quote});
    if (!rows)
        return fail(rows.error());
    const QString note = QStringLiteral("Preventivo N°%1 Data: %2").arg(number.toString(), shortDate(date));
    const QStringList copied{QStringLiteral("TipoRiga"),
                             QStringLiteral("PesoRiconosciuto"),
                             QStringLiteral("TotaleImponibile"),
                             QStringLiteral("ProvvigioneContrassegno"),
                             QStringLiteral("Descrizione"),
                             QStringLiteral("Um"),
                             QStringLiteral("Chilometri"),
                             QStringLiteral("ValoreUnitario"),
                             QStringLiteral("Reparto"),
                             QStringLiteral("Sconto"),
                             QStringLiteral("AliquotaIva"),
                             QStringLiteral("Articolo_ID"),
                             QStringLiteral("Iva_ID"),
                             QStringLiteral("Codice"),
                             QStringLiteral("Um_ID"),
                             QStringLiteral("Contrassegno"),
                             QStringLiteral("Peso"),
                             QStringLiteral("Volume"),
                             QStringLiteral("Partenza_ID"),
                             QStringLiteral("Fine_ID"),
                             QStringLiteral("Partenza_Indirizzo"),
                             QStringLiteral("Fine_Indirizzo"),
                             QStringLiteral("ValoreTotale"),
                             QStringLiteral("NumeroRiga"),
                             QStringLiteral("TempoOre"),
                             QStringLiteral("TempoMinuti"),
                             QStringLiteral("Costo")};
    // PostgreSQL names the columns in lower case.
    QHash<QString, int> columnOf;
    for (int i = 0; i < rows->fields.size(); ++i)
        columnOf.insert(rows->fields.at(i).toLower(), i);
    double kilometres = 0;
    for (const QVariantList &values : rows->values) {
        QVariantMap row{{QStringLiteral("Testata_ID"), jobKey},
                        {QStringLiteral("Prev_id"), quote},
                        {QStringLiteral("Note"), note},
                        {QStringLiteral("Storico"), false},
                        {QStringLiteral("Data"), job.date.isValid() ? job.date : today}};
        for (const QString &field : copied) {
            const int at = columnOf.value(field.toLower(), -1);
            if (at >= 0 && !isEmpty(values.at(at)))
                row.insert(field, values.at(at));
        }
        kilometres += std::max(0.0, row.value(QStringLiteral("Chilometri")).toDouble());
        if (const core::Result<qint64> added = archive.insert(QStringLiteral("Conti"), row); !added)
            return fail(added.error());
    }
    if (settings.odometerFromJobs)
        return moveOdometer(archive, job.plate, kilometres);
    return {};
}

} // namespace

const DocumentDescriptor &quoteDocument()
{
    static const DocumentDescriptor document = buildDocument();
    return document;
}

const RegistryDescriptor &quoteRowsRegistry()
{
    static const RegistryDescriptor registry = buildRows();
    return registry;
}

const RegistryDescriptor &quotesRegistry()
{
    static const RegistryDescriptor registry = buildList();
    return registry;
}

const RegistryDescriptor &jobQuoteLinksRegistry()
{
    static const RegistryDescriptor registry = buildLinks();
    return registry;
}

QString quoteNotSavedMessage()
{
    return QStringLiteral(
        "Attenzione è necessario salvare la commessa prima di inserirci i riferimenti ai Preventivi");
}

core::Result<qint64> createQuote(storage::Archive &archive, const QDate &today, bool history)
{
    using R = core::Result<qint64>;
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return R::failure(transaction.error());
    if (core::Status locked = archive.lockSequence(QStringLiteral("PreventiTestata")); !locked)
        return R::failure(locked.error());
    const core::Result<QVariant> highest = archive.scalar(
        QStringLiteral("SELECT MAX(Numero) FROM PreventiTestata WHERE Storico = ?"), {history});
    if (!highest)
        return R::failure(highest.error());
    const R added = shell::insertWithDefaults(
        archive, QStringLiteral("PreventiviTestata"), QStringLiteral("PreventiTestata"), {},
        {{QStringLiteral("Numero"), highest->isNull() ? 1 : highest->toInt() + 1},
         {QStringLiteral("Chiuso"), false},
         {QStringLiteral("Data"), today},
         {QStringLiteral("Storico"), history}});
    if (!added)
        return added;
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return added;
}

RecordChecks quoteChecks()
{
    RecordChecks checks;
    checks.required(QStringLiteral("Data"), QStringLiteral("Attenzione manca la data"))
        .required(QStringLiteral("Numero"), QStringLiteral("Attenzione manca il numero di preventivo"))
        .required(QStringLiteral("Cliente_ID"), QStringLiteral("Attenzione manca il cliente del preventivo"));
    return checks;
}

core::Status deleteQuote(storage::Archive &archive, qint64 quote)
{
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return fail(transaction.error());
    const core::Result<storage::Archive::Rows> taken = archive.readRows(
        QStringLiteral(
            "SELECT TotaliCo.Numero, TotaliCo.Data FROM CommessePreventiviRighe INNER JOIN TotaliCo ON "
            "CommessePreventiviRighe.Conto_ID = TotaliCo.ID WHERE CommessePreventiviRighe.Preventivo_ID = "
            "? ORDER BY TotaliCo.Data"),
        {quote});
    if (!taken)
        return fail(taken.error());
    if (!taken->values.isEmpty())
        return fail(
            QStringLiteral("Attenzione il preventivo è nella commessa n. %1 del %2: per eliminarlo toglierlo "
                           "prima dalla commessa.")
                .arg(taken->values.first().at(0).toString(), shortDate(taken->values.first().at(1))));
    if (const core::Result<int> rows =
            archive.execute(QStringLiteral("DELETE FROM PreventiRighe WHERE Prev_ID = ?"), {quote});
        !rows)
        return fail(rows.error());
    if (core::Status removed = archive.remove(QStringLiteral("PreventiTestata"), quote); !removed)
        return removed;
    return transaction.commit();
}

core::Result<QList<OfferedQuote>> offeredQuotes(storage::Archive &archive, qint64 job)
{
    using R = core::Result<QList<OfferedQuote>>;
    const core::Result<storage::Archive::Rows> read = archive.readRows(
        QStringLiteral(
            "SELECT PreventiTestata.ID, PreventiTestata.Numero, PreventiTestata.Data, PreventiTestata.Note "
            "FROM PreventiTestata INNER JOIN TotaliCo ON PreventiTestata.Cliente_ID = TotaliCo.Cliente_Id "
            "WHERE TotaliCo.ID = ? AND PreventiTestata.Chiuso = false ORDER BY PreventiTestata.Numero, "
            "PreventiTestata.ID"),
        {job});
    if (!read)
        return R::failure(read.error());
    QList<OfferedQuote> offered;
    for (const QVariantList &row : read->values)
        offered.append({row.at(0).toLongLong(),
                        QStringLiteral("N° %1 Data: %2 - %3")
                            .arg(row.at(1).toString(), shortDate(row.at(2)), row.at(3).toString())
                            .trimmed()});
    return offered;
}

core::Status importQuotes(storage::Archive &archive, qint64 job, const QList<qint64> &quotes,
                          const QDate &today)
{
    if (job <= 0 || quotes.isEmpty())
        return fail(quoteNotSavedMessage());
    const core::Result<PricingSettings> settings = readPricingSettings(archive);
    if (!settings)
        return fail(settings.error());
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return fail(transaction.error());
    const core::Result<JobHeader> header = readJob(archive, job);
    if (!header)
        return fail(header.error());
    for (const qint64 quote : quotes)
        if (core::Status imported = importQuote(archive, *settings, *header, job, quote, today); !imported)
            return imported;
    if (core::Status totals = recomputePricedTotals(archive, jobPricing(), job); !totals)
        return totals;
    return transaction.commit();
}

core::Status unlinkQuote(storage::Archive &archive, qint64 link)
{
    const core::Result<PricingSettings> settings = readPricingSettings(archive);
    if (!settings)
        return fail(settings.error());
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return fail(transaction.error());
    const core::Result<QVariantMap> found = archive.readRow(QStringLiteral("CommessePreventiviRighe"), link);
    if (!found)
        return fail(found.error());
    const qint64 job = found->value(QStringLiteral("Conto_ID")).toLongLong();
    const qint64 quote = found->value(QStringLiteral("Preventivo_ID")).toLongLong();
    const core::Result<JobHeader> header = readJob(archive, job);
    if (!header)
        return fail(header.error());
    if (core::Status removed = removeQuoteRows(archive, *settings, *header, job, quote); !removed)
        return removed;
    if (core::Status removed = archive.remove(QStringLiteral("CommessePreventiviRighe"), link); !removed)
        return removed;
    // Open again unless another job order still holds it.
    const core::Result<int> reopened = archive.execute(
        QStringLiteral("UPDATE PreventiTestata SET Chiuso = ? WHERE ID = ? AND NOT EXISTS (SELECT 1 FROM "
                       "CommessePreventiviRighe WHERE Preventivo_ID = PreventiTestata.ID)"),
        {false, quote});
    if (!reopened)
        return fail(reopened.error());
    if (core::Status totals = recomputePricedTotals(archive, jobPricing(), job); !totals)
        return totals;
    return transaction.commit();
}

} // namespace rotalina::transport
