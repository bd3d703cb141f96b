#include "transport/joborders.h"

#include "core/money.h"
#include "shell/descriptorfields.h"
#include "shell/storeddefaults.h"
#include "storage/archive.h"
#include "storage/listfilter.h"
#include "storage/sqlvalue.h"
#include "transport/quotes.h"

#include <QColor>
#include <QSqlRecord>

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

constexpr int jobHelp = 4100;

const char *const customers =
    "SELECT Id, NominativoVisualizzato FROM Clienti ORDER BY NominativoVisualizzato";
const char *const addresses = "SELECT ID, RagioneSociale FROM Indirizzi ORDER BY RagioneSociale";
const char *const plates = "SELECT Targa, Targa FROM Vetture WHERE Targa IS NOT NULL ORDER BY Targa";
const char *const staff =
    "SELECT Id, COALESCE(Personale, TRIM(COALESCE(Cognome, '') || ' ' || COALESCE(Nome, ''))) "
    "FROM Personale ORDER BY 2";
const char *const ownerDrivers = "SELECT id, RagioneSociale FROM Padroncini ORDER BY RagioneSociale";
const char *const paymentModes = "SELECT id, Descrizione FROM ModPagamento ORDER BY Descrizione";

bool isEmpty(const QVariant &value)
{
    return !value.isValid() || value.isNull() || value.toString().trimmed().isEmpty();
}

RegistryField hidden(const char *name)
{
    return field(name, "", Kind::Hidden);
}

RegistryDescriptor buildRows()
{
    RegistryDescriptor r = pricedRowsRegistry(jobPricing());
    r.cardWindow = QStringLiteral("TfrmModificaCommesse");
    r.cardCaption = QStringLiteral("Modifica righe commessa");
    r.order = QStringLiteral("NumeroRiga, IDX");
    r.columns = {column("Descrizione", "Descrizione", 320),
                 column("Um", "Quantità", 70),
                 column("ValoreUnitario", "Valore Unitario", 100),
                 column("Sconto", "Sconto", 60),
                 column("RIFDDT", "Rif. DDT", 80),
                 column("DataDDT", "Data DDT", 80),
                 column("NumeroRiga", "Num.Riga", 60)};
    r.grid = QStringLiteral("frmConto_DBGrid2");
    r.helpContext = jobHelp;
    return r;
}

RegistryDescriptor buildPallets()
{
    RegistryDescriptor r;
    r.cardWindow = QStringLiteral("TfrmModificaCommesseBancali");
    r.cardCaption = QStringLiteral("Commesse Bancali");
    r.table = QStringLiteral("CommesseBancali");
    r.listSql = QStringLiteral("SELECT * FROM CommesseBancali");
    r.order = QStringLiteral("Cliente, ID");
    r.ownerField = QStringLiteral("Testata_ID");
    r.columns = {column("Cliente", "Cliente", 160),
                 column("Mittente", "Mittente", 140),
                 column("Destinatario", "Destinatario", 140),
                 column("TipologiaBancali", "Tipo Bancali", 110),
                 column("PedaneRicevute", "Ricevute", 70),
                 column("PedaneConsegnate", "Consegnate", 80),
                 column("PedaneScartate", "Scartate", 70),
                 column("PedaneReseMittente", "Rese Mittente", 90),
                 column("Buoni", "Buoni", 60),
                 column("RifDDT", "RifDDT", 90)};
    r.grid = QStringLiteral("frmConto_DBGrid1");
    RegistryField customer = choice("Cliente_Id", "Cliente", customers, "TfrmClientiDett", "TfrmClienti");
    customer.copySql = QStringLiteral("SELECT NominativoDocumenti AS Cliente FROM Clienti WHERE Id = ?");
    customer.copiedFields = {QStringLiteral("Cliente")};
    RegistryField type = choice("TipologiaBancali_ID", "Tipo Bancali",
                                "SELECT id, Descrizione FROM TipologiaBancali ORDER BY Descrizione",
                                "TfrmTipologiaBancali", "TfrmGrigliaTipologiaBancali");
    type.copySql =
        QStringLiteral("SELECT Descrizione AS TipologiaBancali FROM TipologiaBancali WHERE id = ?");
    type.copiedFields = {QStringLiteral("TipologiaBancali")};
    const auto address = [](const char *field, const char *caption, const char *copy) {
        RegistryField f = choice(field, caption, addresses, "TfrmIndirizziDettaglio", "TfrmIndirizzi");
        f.copySql = QStringLiteral("SELECT RagioneSociale AS %1 FROM Indirizzi WHERE ID = ?")
                        .arg(QLatin1String(copy));
        f.copiedFields = {QLatin1String(copy)};
        return f;
    };
    r.fields = {customer,
                hidden("Cliente"),
                type,
                hidden("TipologiaBancali"),
                address("Mittente_ID", "Mittente", "Mittente"),
                hidden("Mittente"),
                address("Destinatario_ID", "Destinatario", "Destinatario"),
                hidden("Destinatario"),
                field("PedaneRicevute", "Pedane Ricevute", Kind::Amount, 0),
                field("PedaneConsegnate", "Pedane Consegnate", Kind::Amount, 0),
                field("PedaneScartate", "Pedane Scartate", Kind::Amount, 0),
                field("PedaneReseMittente", "Rese al Mittente", Kind::Amount, 0),
                field("Buoni", "Buoni", Kind::Amount, 0),
                field("RifDDT", "Riferimento D.D.T.")};
    r.checks.required(QStringLiteral("Cliente_Id"), QStringLiteral("Attenzione manca il Cliente"))
        .required(QStringLiteral("TipologiaBancali_ID"), QStringLiteral("Attenzione manca la Tipologia"));
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare la riga dei Bancali ?");
    // A new movement is the job's customer's, with every counter at zero.
    r.add = [](storage::Archive &archive, const QVariant &owner) -> core::Result<qint64> {
        const core::Result<storage::Archive::Rows> job = archive.readRows(
            QStringLiteral("SELECT Cliente_Id, Cliente FROM TotaliCo WHERE ID = ?"), {owner.toLongLong()});
        if (!job)
            return core::Result<qint64>::failure(job.error());
        const QVariantList header = job->values.value(0);
        return archive.insert(QStringLiteral("CommesseBancali"),
                              {{QStringLiteral("Testata_ID"), owner.toLongLong()},
                               {QStringLiteral("Cliente_Id"), header.value(0)},
                               {QStringLiteral("Cliente"), header.value(1)},
                               {QStringLiteral("PedaneRicevute"), 0},
                               {QStringLiteral("PedaneConsegnate"), 0},
                               {QStringLiteral("PedaneScartate"), 0},
                               {QStringLiteral("PedaneReseMittente"), 0},
                               {QStringLiteral("Buoni"), 0}});
    };
    r.helpContext = jobHelp;
    return r;
}

DocumentDescriptor buildDocument()
{
    DocumentDescriptor d;
    d.window = QStringLiteral("TfrmConto");
    d.caption = QStringLiteral("Commesse");
    d.table = QStringLiteral("TotaliCo");
    RegistryField customer = choice("Cliente_Id", "Cliente", customers, "TfrmClientiDett", "TfrmClienti");
    customer.copySql = QStringLiteral(
        "SELECT NominativoDocumenti AS Cliente, Pagamento_ID AS ModPagamento_Id FROM Clienti WHERE Id = ?");
    customer.copiedFields = {QStringLiteral("Cliente"), QStringLiteral("ModPagamento_Id")};
    customer.copyKeepsWhatIsEmpty = true;
    customer.cardButton = QStringLiteral("SpeedButton34");
    const auto vehicle = [](const char *name, const char *caption) {
        return choice(name, caption, plates, "TfrmVettureDettaglio", "TfrmVetture");
    };
    const auto driver = [](const char *name, const char *caption) {
        return choice(name, caption, staff, "TfrmPersonaleDettaglio", "TfrmGrigliaPersonale");
    };
    DocumentTab header{
        QStringLiteral("   Testata   "),
        {field("Numero", "Commessa N° ", Kind::Amount, 0),
         field("Data", "Data", Kind::Date),
         field("Serie", "Serie "),
         customer,
         hidden("Cliente"),
         field("OrdineCarico", "Ordine di Carico"),
         field("DataCarico", "Data Carico", Kind::Date),
         field("DataScarico", "Data Scarico", Kind::Date),
         field("DataRientro", "Data Rientro", Kind::Date),
         choice("ModPagamento_Id", "Mod. Pagam.", paymentModes, "TfrmModPagamDett", "TfrmModPagam"),
         choice("Mittente_ID", "Mittente", addresses, "TfrmIndirizziDettaglio", "TfrmIndirizzi"),
         choice("Destinatario_ID", "Destinatario", addresses, "TfrmIndirizziDettaglio", "TfrmIndirizzi"),
         startsColumn(vehicle("Targa1", "1° Targa")),
         vehicle("Targa2", "2° Targa"),
         driver("Personale_ID", "Autista"),
         driver("Personale2_ID", "2° Autista"),
         choice("Padroncino_id", "Padroncino", ownerDrivers, "TfrmPadronciniDettaglio",
                "TfrmGrigliaPadroncini"),
         field("CostoPadroncino", "Costo Padroncino", Kind::Amount),
         field("ImmagineOrdine", "Immagine"),
         field("Chiusa", "Chiusa", Kind::Check),
         field("Fatturato", "Fatturata", Kind::Check),
         field("Annullato", "Annullata", Kind::Check),
         startsColumn(field("TotImponibile", "Totale Imponibile", Kind::Amount)),
         field("TotImposta", "Totale Imposta", Kind::Amount),
         field("TotFattura", "Totale Commessa", Kind::Amount),
         field("TotColli", "Totale Colli", Kind::Amount, 0),
         field("TotProvvigioneContrassegno", "Totale Provv. Contrass.", Kind::Amount),
         field("Costo", "Totale Costi Manutenzione + Autista", Kind::Amount)},
        {}};
    const RegistryDescriptor &rows = jobRowsRegistry();
    DocumentTab rowsTab{
        QStringLiteral("   Righe   "),
        {},
        {{[] { return &jobRowsRegistry(); }, rows.ownerField, QStringLiteral("Righe"), rows.grid}}};
    DocumentTab pallets{QStringLiteral("Bancali"),
                        {},
                        {{[] { return &jobPalletsRegistry(); }, QStringLiteral("Testata_ID"),
                          QStringLiteral("Bancali"), jobPalletsRegistry().grid}}};
    DocumentTab other{
        QStringLiteral("   Altro   "),
        {field("Note", "Note", Kind::Memo), field("NoteDestinatario", "Note Destinatario", Kind::Memo),
         choice("Aspetto_ID", "Aspetto esteriore",
                "SELECT id, Descrizione FROM FatturaAspetto ORDER BY Descrizione"),
         choice("Porto_ID", "Porto", "SELECT id, Descrizione FROM FatturaPorto ORDER BY Descrizione")},
        {{[] { return &jobQuoteLinksRegistry(); }, QStringLiteral("Conto_ID"), QStringLiteral("Preventivi"),
          QStringLiteral("frmConto_DBGrid4")}}};
    d.tabs = {header, rowsTab, pallets, other};
    d.checks = jobOrderChecks();
    d.remove = deleteJobOrder;
    d.computedFields = {QStringLiteral("TotImponibile"),
                        QStringLiteral("TotImposta"),
                        QStringLiteral("TotFattura"),
                        QStringLiteral("TotColli"),
                        QStringLiteral("TotProvvigioneContrassegno"),
                        QStringLiteral("Costo"),
                        QStringLiteral("Fatturato"),
                        QStringLiteral("Chiusa")};
    d.helpContext = jobHelp;
    return d;
}

RegistryDescriptor buildList()
{
    RegistryDescriptor r;
    r.listWindow = QStringLiteral("TfrmGrigliaConti");
    r.cardWindow = QStringLiteral("TfrmConto");
    r.listCaption = QStringLiteral("Commesse");
    r.cardCaption = QStringLiteral("Commesse");
    r.table = QStringLiteral("TotaliCo");
    // The job orders with the fields the filters ask about, so that the list and its totals read
    // the same rows.
    // The conditions may name every field of the job orders; the list reads only what it shows, a
    // long list of open job orders being read whole (its totals are summed by the archive).
    r.listSql = QStringLiteral(
        "SELECT ID, Numero, Data, Serie, Cliente, Targa1, DataCarico, DataScarico, TotImponibile, "
        "TotFattura, "
        "CostoPadroncino, TotColli, OrdineCarico, Note, Chiusa FROM (SELECT * FROM TotaliCo) commesse");
    r.order = QStringLiteral("Numero, ID");
    r.columns = {column("Numero", "Numero", 60),
                 column("Data", "Data", 85),
                 column("Serie", "Serie", 50),
                 column("Cliente", "Cliente", 220),
                 column("Targa1", "Targa", 85),
                 column("DataCarico", "Data Carico", 85),
                 column("DataScarico", "Data Scarico", 85),
                 column("TotImponibile", "Totale", 90),
                 column("OrdineCarico", "Ordine Carico", 110),
                 column("Note", "Note", 200)};
    r.fields = {field("TotImponibile", "", Kind::Amount)};
    r.grid = QStringLiteral("frmGrigliaConti_Griglia");
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare la Commessa ??");
    r.remove = deleteJobOrder;
    r.rowColour = [](const QSqlRecord &row) -> QVariant {
        return row.value(QStringLiteral("Chiusa")).toBool() ? QVariant(QColor(Qt::red)) : QVariant();
    };
    r.helpContext = jobHelp;
    return r;
}

core::Status fail(const QString &message)
{
    return core::Status::failure(message);
}

} // namespace

core::Result<JobSettings> readJobSettings(storage::Archive &archive)
{
    const core::Result<storage::Archive::Rows> read = archive.readRows(QStringLiteral(
        "SELECT Inserimento_articoli_FiltraTuttiDocumenti_per_cliente, DescrizioneDocumentiTariffario, "
        "IncrementaNumeroRigaArticoli, IncrementaChilometriDaCommesse, ControllaLettereIntentoDocumenti, "
        "UtilizzaCoefficienteRegionale, ProgrammazioneOraFine, AliquotaIva, Iva_Id FROM opzioni ORDER BY ID "
        "LIMIT 1"));
    if (!read)
        return core::Result<JobSettings>::failure(read.error());
    const QVariantList row = read->values.value(0);
    JobSettings settings;
    settings.tariffsOfCustomerOnly = row.value(0).toBool();
    settings.routeInDescription = row.value(1).toBool();
    settings.rowNumbersIncrease = row.value(2).toBool();
    settings.odometerFromJobs = row.value(3).toBool();
    settings.checkLettersOfIntent = row.value(4).toBool();
    settings.regionalCoefficient = row.value(5).toBool();
    settings.returnHour = row.value(6).toInt();
    settings.vatRate = row.value(7).toDouble();
    settings.vatKey = isEmpty(row.value(8)) ? QVariant() : row.value(8);
    return settings;
}

const DocumentDescriptor &jobOrderDocument()
{
    static const DocumentDescriptor document = buildDocument();
    return document;
}

const RegistryDescriptor &jobRowsRegistry()
{
    static const RegistryDescriptor registry = buildRows();
    return registry;
}

const RegistryDescriptor &jobPalletsRegistry()
{
    static const RegistryDescriptor registry = buildPallets();
    return registry;
}

const RegistryDescriptor &jobOrdersRegistry()
{
    static const RegistryDescriptor registry = buildList();
    return registry;
}

QDateTime jobReturnTime(const QDate &today, int returnHour)
{
    const int hour = returnHour > 0 && returnHour < 24 ? returnHour : 23;
    return QDateTime(today, QTime(hour, 59, 59));
}

core::Result<qint64> createJobOrder(storage::Archive &archive, const NewJobOrder &request)
{
    using R = core::Result<qint64>;
    const core::Result<JobSettings> settings = readJobSettings(archive);
    if (!settings)
        return R::failure(settings.error());
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return R::failure(transaction.error());
    if (core::Status locked = archive.lockSequence(QStringLiteral("TotaliCo")); !locked)
        return R::failure(locked.error());
    // Cancelled job orders do not count: their number is given again.
    const core::Result<QVariant> highest = archive.scalar(
        QStringLiteral("SELECT MAX(Numero) FROM TotaliCo WHERE Storico = ? AND Annullato = false"),
        {request.history});
    if (!highest)
        return R::failure(highest.error());
    const int number = highest->isNull() ? 1 : highest->toInt() + 1;
    const QVariantMap values{
        {QStringLiteral("Numero"), number},
        {QStringLiteral("Fatturato"), false},
        {QStringLiteral("Chiusa"), false},
        {QStringLiteral("Annullato"), false},
        {QStringLiteral("Data"), request.today},
        {QStringLiteral("DataCarico"), request.today},
        {QStringLiteral("DataScarico"), request.today},
        {QStringLiteral("DataRientro"), jobReturnTime(request.today, settings->returnHour)},
        {QStringLiteral("Storico"), request.history}};
    const R added = shell::insertWithDefaults(archive, QStringLiteral("TotaliCo"), QStringLiteral("TotaliCo"),
                                              {}, values);
    if (!added)
        return added;
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return added;
}

RecordChecks jobOrderChecks()
{
    RecordChecks checks;
    checks.required(QStringLiteral("Data"), QStringLiteral("Attenzione manca la data"))
        .required(QStringLiteral("Numero"), QStringLiteral("Attenzione manca il numero di Commessa"))
        .required(QStringLiteral("Targa1"), QStringLiteral("Attenzione manca la targa"))
        .required(QStringLiteral("Cliente_Id"), QStringLiteral("Attenzione manca il Cliente"))
        .add(QStringLiteral("Personale_ID"), QStringLiteral("Attenzione manca l' autista o il padroncino"),
             [](const QVariantMap &values) {
                 return RecordChecks::hasValue(values.value(QStringLiteral("Personale_ID"))) ||
                        RecordChecks::hasValue(values.value(QStringLiteral("Padroncino_id")));
             });
    return checks;
}

core::Status recomputeJobTotals(storage::Archive &archive, qint64 job)
{
    return recomputePricedTotals(archive, jobPricing(), job);
}

core::Result<QList<qint64>> addJobTariffRows(storage::Archive &archive, qint64 job,
                                             const QList<qint64> &tariffs, const QDate &today)
{
    return addPricedTariffRows(archive, jobPricing(), job, tariffs, today);
}

core::Result<qint64> addJobFreeRow(storage::Archive &archive, qint64 job, const QDate &today)
{
    return addPricedFreeRow(archive, jobPricing(), job, today);
}

core::Status saveJobRow(storage::Archive &archive, qint64 row, const QVariantMap &changed)
{
    return savePricedRow(archive, jobPricing(), row, changed);
}

core::Status deleteJobRow(storage::Archive &archive, qint64 row)
{
    return deletePricedRow(archive, jobPricing(), row);
}

core::Status deleteJobOrder(storage::Archive &archive, qint64 job)
{
    const core::Result<JobSettings> settings = readJobSettings(archive);
    if (!settings)
        return fail(settings.error());
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return fail(transaction.error());
    const core::Result<storage::Archive::Rows> billed = archive.readRows(
        QStringLiteral(
            "SELECT fattura.Num, fattura.Data FROM FatturaContiRighe INNER JOIN fattura ON "
            "FatturaContiRighe.Fattura_ID = fattura.ID WHERE FatturaContiRighe.Conto_ID = ? ORDER BY "
            "fattura.Data"),
        {job});
    if (!billed)
        return fail(billed.error());
    if (!billed->values.isEmpty()) {
        const QVariantList &invoice = billed->values.first();
        return fail(
            QStringLiteral("Attenzione la Commessa è nella fattura n. %1 del %2: per eliminarla toglierla "
                           "prima dalla fattura.")
                .arg(invoice.at(0).toString(),
                     sqlvalue::toDate(invoice.at(1)).toString(QStringLiteral("dd/MM/yyyy"))));
    }
    const core::Result<QVariant> plate =
        archive.scalar(QStringLiteral("SELECT Targa1 FROM TotaliCo WHERE ID = ?"), {job});
    if (!plate)
        return fail(plate.error());
    if (settings->odometerFromJobs) {
        const core::Result<QVariant> kilometres = archive.scalar(
            QStringLiteral("SELECT SUM(Chilometri) FROM Conti WHERE Testata_ID = ? AND Chilometri > 0"),
            {job});
        if (!kilometres)
            return fail(kilometres.error());
        if (core::Status moved = moveOdometer(archive, plate->toString(), -kilometres->toDouble()); !moved)
            return moved;
    }
    const QStringList statements{
        QStringLiteral("UPDATE PreventiTestata SET Chiuso = false WHERE ID IN (SELECT Preventivo_ID FROM "
                       "CommessePreventiviRighe WHERE Conto_ID = ?)"),
        QStringLiteral("DELETE FROM CommessePreventiviRighe WHERE Conto_ID = ?"),
        QStringLiteral("DELETE FROM CommesseBancali WHERE Testata_ID = ?"),
        QStringLiteral("DELETE FROM Conti WHERE Testata_ID = ?")};
    for (const QString &statement : statements)
        if (const core::Result<int> done = archive.execute(statement, {job}); !done)
            return fail(done.error());
    if (core::Status removed = archive.remove(QStringLiteral("TotaliCo"), job); !removed)
        return removed;
    return transaction.commit();
}

core::Result<bool> letterOfIntentApplies(storage::Archive &archive, qint64 job)
{
    const core::Result<QVariant> found = archive.scalar(
        QStringLiteral("SELECT COUNT(*) FROM TotaliCo INNER JOIN Clienti ON TotaliCo.Cliente_Id = Clienti.Id "
                       "WHERE TotaliCo.ID = ? AND Clienti.LetteraIntento_DataFine >= TotaliCo.Data AND "
                       "Clienti.LetteraIntento_DataInizio <= TotaliCo.Data AND EXISTS (SELECT 1 FROM Conti "
                       "WHERE Conti.Testata_ID = TotaliCo.ID AND Conti.AliquotaIva > 0)"),
        {job});
    if (!found)
        return core::Result<bool>::failure(found.error());
    return found->toInt() > 0;
}

QString letterOfIntentWarning()
{
    return QStringLiteral(
        "Attenzione si sta emettendo un documento che ha un'iva maggiore di zero per un Cliente "
        "che ha la lettera di intento");
}

core::Result<JobListTotals> jobListTotals(storage::Archive &archive, const storage::ListFilter &filter)
{
    using R = core::Result<JobListTotals>;
    // The list's own conditions over the same job orders, summed by the archive.
    const QString conditions = filter.conditions();
    const core::Result<storage::Archive::Rows> sums = archive.readRows(
        QStringLiteral("SELECT SUM(TotImponibile), SUM(TotFattura), SUM(CostoPadroncino), SUM(TotColli) FROM "
                       "(SELECT * FROM TotaliCo) commesse%1")
            .arg(conditions.isEmpty() ? QString() : QStringLiteral(" WHERE ") + conditions),
        filter.parameters());
    if (!sums)
        return R::failure(sums.error());
    const QVariantList row = sums->values.value(0);
    return JobListTotals{core::arrotonda(row.value(0).toDouble()), core::arrotonda(row.value(1).toDouble()),
                         core::arrotonda(row.value(2).toDouble()), core::arrotonda(row.value(3).toDouble())};
}

} // namespace rotalina::transport
