#include "fleet/vehicles.h"

#include "fleet/refuelling.h"
#include "shell/descriptorfields.h"
#include "shell/storeddefaults.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"

#include <QColor>
#include <QSqlRecord>

namespace rotalina::fleet {

using shell::RecordChecks;
using shell::RegistryDescriptor;
using shell::RegistryField;
using Kind = RegistryField::Kind;
using namespace shell::fields;

namespace {

constexpr int vehicleHelp = 6100;

core::Status fail(const QString &message)
{
    return core::Status::failure(message);
}

// The row's vehicle, for the totals after a change of one of its rows.
core::Result<QVariant> ownerOf(storage::Archive &archive, const QString &table, qint64 key)
{
    return archive.scalar(QStringLiteral("SELECT Vettura_ID FROM %1 WHERE %2 = ?")
                              .arg(table, archive.schema().table(table)->keyName()),
                          {key});
}

// Writes a cost and stores the vehicle's totals again, in one transaction.
core::Status saveCost(storage::Archive &archive, qint64 key, const QVariantMap &changed)
{
    core::Result<QVariantMap> values = archive.readRow(QStringLiteral("VettureCosti"), key);
    if (!values)
        return fail(values.error());
    for (auto it = changed.cbegin(); it != changed.cend(); ++it)
        values->insert(it.key(), it.value());
    if (const std::optional<RecordChecks::Failure> failure = vehicleCostChecks().firstFailure(*values))
        return fail(failure->message);
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return fail(transaction.error());
    if (core::Status written = archive.update(QStringLiteral("VettureCosti"), key, changed); !written)
        return written;
    if (core::Status totals = storeVehicleTotals(archive, values->value(QStringLiteral("Vettura_ID")));
        !totals)
        return totals;
    return transaction.commit();
}

core::Status deleteCost(storage::Archive &archive, qint64 key)
{
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return fail(transaction.error());
    const core::Result<QVariant> vehicle = ownerOf(archive, QStringLiteral("VettureCosti"), key);
    if (!vehicle)
        return fail(vehicle.error());
    if (core::Status removed = archive.remove(QStringLiteral("VettureCosti"), key); !removed)
        return removed;
    if (core::Status totals = storeVehicleTotals(archive, *vehicle); !totals)
        return totals;
    return transaction.commit();
}

RegistryDescriptor buildVehicles()
{
    RegistryDescriptor r;
    r.listWindow = QStringLiteral("TfrmVetture");
    r.cardWindow = QStringLiteral("TfrmVettureDettaglio");
    r.listCaption = QStringLiteral("Vetture");
    r.cardCaption = QStringLiteral("Vetture");
    r.table = QStringLiteral("Vetture");
    r.listSql = QStringLiteral("SELECT Vetture.*, Carburanti.Descrizione AS Carburante, "
                               "Personale.Personale AS Trasportatore FROM Vetture "
                               "LEFT JOIN Carburanti ON Vetture.Carburante_id = Carburanti.id "
                               "LEFT JOIN Personale ON Vetture.Personale_ID = Personale.Id");
    r.order = QStringLiteral("Vetture.Targa, Vetture.ID");
    r.columns = {column("Targa", "Targa", 90),
                 column("Modello", "Marca", 130),
                 column("VeicoloDesc", "Veicolo", 150),
                 column("NumTelaio", "Numero Telaio", 140),
                 column("DataImmatricolazione", "Immatricolazione", 110),
                 column("Carburante", "Carburante", 100),
                 column("Chilometri", "Tot. Chilometri", 100),
                 column("Trasportatore", "Trasportatore", 150),
                 column("Colore", "Colore", 90)};
    r.filters = {{QStringLiteral("Vetture.NumTelaio"), QStringLiteral("Numero Telaio")},
                 {QStringLiteral("Vetture.VeicoloDesc"), QStringLiteral("Veicolo")},
                 {QStringLiteral("Vetture.Targa"), QStringLiteral("Targa")},
                 {QStringLiteral("Vetture.Modello"), QStringLiteral("Marca")}};
    r.filtersBeginWith = true;
    RegistryField vehicleKind = choice("Veicolo_ID", "Veicolo",
                                       "SELECT Id, Descrizione FROM Veicoli ORDER BY "
                                       "Descrizione",
                                       "TfrmVeicoliDettaglio", "TfrmVeicoli");
    vehicleKind.copySql = QStringLiteral("SELECT Descrizione AS VeicoloDesc FROM Veicoli WHERE Id = ?");
    vehicleKind.copiedFields = {QStringLiteral("VeicoloDesc")};
    r.fields = {
        field("Targa", "Targa"),
        field("NumTelaio", "Numero Telaio"),
        choice("Modello", "Marca", "SELECT Descrizione, Descrizione FROM Modelli ORDER BY Descrizione",
               nullptr, "TfrmModelli"),
        vehicleKind,
        field("VeicoloDesc", "", Kind::Hidden),
        choice("Colore", "Colore", "SELECT Descrizione, Descrizione FROM Colori ORDER BY Descrizione",
               nullptr, "TfrmGrigliaColori"),
        field("Cilindrata", "Cilindrata"),
        choice("Personale_ID", "Trasportatore", "SELECT Id, Personale FROM Personale ORDER BY Personale"),
        choice("Carburante_id", "Carburante", "SELECT id, Descrizione FROM Carburanti ORDER BY Descrizione",
               "TfrmCarburantiDettaglio", "TfrmGrigliaCarburanti"),
        startsColumn(field("CostoAcquisto", "Costo Acquisto", Kind::Amount)),
        field("DataImmatricolazione", "Data Immatricolazione", Kind::Date),
        field("Chilometri", "Tot. Chilometri", Kind::Amount, 0),
        field("CartellaServer", "Cartella Dati"),
        field("TotaleCarburante", "Totale Carburante", Kind::Amount),
        field("TotaleLitriCarburante", "Totale Litri", Kind::Amount),
        field("TotaleCostoManutenzione", "Totale Costi", Kind::Amount),
        field("Note", "Note", Kind::Memo)};
    r.checks.required(QStringLiteral("Targa"), QStringLiteral("Attenzione manca la Targa"))
        .required(QStringLiteral("DataImmatricolazione"),
                  QStringLiteral("Attenzione manca la Data di immatricolazione"))
        .required(QStringLiteral("Carburante_id"), QStringLiteral("Attenzione manca il Carburante"))
        .required(QStringLiteral("Cilindrata"), QStringLiteral("Attenzione manca il consumo al litro"));
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare la Vettura?");
    r.withdrawnField = QStringLiteral("Annullato");
    r.add = [](storage::Archive &archive, const QVariant &) {
        return addVehicle(archive, QDate::currentDate());
    };
    r.remove = [](storage::Archive &archive, qint64 key) {
        const core::Result<VehicleRemoval> removed = removeVehicle(archive, key);
        return removed ? core::Status() : fail(removed.error());
    };
    r.grid = QStringLiteral("frmVetture");
    r.helpContext = vehicleHelp;
    return r;
}

RegistryDescriptor buildDeadlines()
{
    RegistryDescriptor r;
    r.listWindow = QStringLiteral("TfrmVettureScadenze");
    r.cardWindow = QStringLiteral("TfrmVettureScadenze");
    r.listCaption = QStringLiteral("Scadenze");
    r.cardCaption = QStringLiteral("Scadenze");
    r.table = QStringLiteral("VettureScadenze");
    r.listSql = QStringLiteral("SELECT * FROM VettureScadenze");
    r.order = QStringLiteral("DataScadenza DESC, Id DESC");
    r.columns = {column("DataScadenza", "Data Scadenza", 95), column("DataAvviso", "Data Avviso", 95),
                 column("Descrizione", "Descrizione", 240), column("Validato", "Validato", 70),
                 column("Note", "Note", 200)};
    r.fields = {field("Descrizione", "Descrizione"), field("DataAvviso", "Data Avviso", Kind::Date),
                field("DataScadenza", "Data Scadenza", Kind::Date),
                field("Validato", "Validato", Kind::Check), field("Note", "Note", Kind::Memo)};
    r.checks = vehicleDeadlineChecks();
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare la scadenza?");
    r.ownerField = QStringLiteral("Vettura_ID");
    r.newValues = {{QStringLiteral("Validato"), false}};
    // A deadline left unattended after its warning date stands out.
    r.rowColour = [](const QSqlRecord &row) -> QVariant {
        return vehicleDeadlineOverdue(row.value(QStringLiteral("DataAvviso")),
                                      row.value(QStringLiteral("Validato")), QDate::currentDate())
                   ? QVariant(QColor(Qt::red))
                   : QVariant();
    };
    r.grid = QStringLiteral("frmVettureDettaglio_DBGrid1");
    r.helpContext = vehicleHelp;
    return r;
}

RegistryDescriptor buildCards()
{
    RegistryDescriptor r;
    r.listWindow = QStringLiteral("TfrmVettureSchede");
    r.cardWindow = QStringLiteral("TfrmVettureSchede");
    r.listCaption = QStringLiteral("Schede");
    r.cardCaption = QStringLiteral("Schede");
    r.table = QStringLiteral("VettureSchede");
    r.listSql = QStringLiteral("SELECT * FROM VettureSchede");
    r.order = QStringLiteral("Scheda, Numero, Id");
    r.columns = {column("Scheda", "Scheda", 160), column("Numero", "Numero", 140), column("Pin", "Pin", 70),
                 column("Note", "Note", 200)};
    r.fields = {field("Scheda", "Scheda"), field("Numero", "Numero"), field("Pin", "Pin"),
                field("Note", "Note", Kind::Memo)};
    r.checks.required(QStringLiteral("Scheda"), QStringLiteral("Attenzione manca la Scheda"));
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare la Scheda?");
    r.ownerField = QStringLiteral("Vettura_ID");
    r.grid = QStringLiteral("frmVettureDettaglio_DBGrid2");
    r.helpContext = vehicleHelp;
    return r;
}

RegistryDescriptor buildCosts()
{
    RegistryDescriptor r;
    r.listWindow = QStringLiteral("TfrmVettureCosti");
    r.cardWindow = QStringLiteral("TfrmVettureCosti");
    r.listCaption = QStringLiteral("Costi x Vettura");
    r.cardCaption = QStringLiteral("Costi x Vettura");
    r.table = QStringLiteral("VettureCosti");
    r.listSql = QStringLiteral("SELECT * FROM VettureCosti");
    r.order = QStringLiteral("Data DESC, ID DESC");
    r.columns = {column("Data", "Data", 90), column("TipologiaCosto", "Tipologia", 180),
                 column("Importo", "Importo", 100), column("Note", "Note", 220)};
    RegistryField kind = choice("TipologiaCosto_id", "Tipologia",
                                "SELECT Id, Descrizione FROM TipologiaCostiVetture ORDER BY Descrizione",
                                "TfrmTipologiaCostiVettureDettaglio", "TfrmGrigliaTipologiaCostiVetture");
    kind.copySql =
        QStringLiteral("SELECT Descrizione AS TipologiaCosto FROM TipologiaCostiVetture WHERE Id = ?");
    kind.copiedFields = {QStringLiteral("TipologiaCosto")};
    r.fields = {field("Data", "Data", Kind::Date), field("Importo", "Importo", Kind::Amount), kind,
                field("TipologiaCosto", "", Kind::Hidden), field("Note", "Note", Kind::Memo)};
    r.checks = vehicleCostChecks();
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare il Costo ?");
    r.ownerField = QStringLiteral("Vettura_ID");
    r.todayField = QStringLiteral("Data");
    r.newValues = {{QStringLiteral("Importo"), 0.0}};
    r.save = saveCost;
    r.remove = deleteCost;
    r.grid = QStringLiteral("frmVettureDettaglio_DBGrid3");
    r.helpContext = vehicleHelp;
    return r;
}

} // namespace

const RegistryDescriptor &vehiclesRegistry()
{
    static const RegistryDescriptor registry = buildVehicles();
    return registry;
}

const RegistryDescriptor &vehicleDeadlinesRegistry()
{
    static const RegistryDescriptor registry = buildDeadlines();
    return registry;
}

const RegistryDescriptor &vehicleCardsRegistry()
{
    static const RegistryDescriptor registry = buildCards();
    return registry;
}

const RegistryDescriptor &vehicleCostsRegistry()
{
    static const RegistryDescriptor registry = buildCosts();
    return registry;
}

core::Result<qint64> addVehicle(storage::Archive &archive, const QDate &today)
{
    return shell::insertWithDefaults(archive, QStringLiteral("Vetture"), QStringLiteral("Vetture"),
                                     {{QStringLiteral("DataImmatricolazione"), today},
                                      {QStringLiteral("Annullato"), false},
                                      {QStringLiteral("Chilometri"), 0.0}});
}

core::Result<int> otherVehiclesWithPlate(storage::Archive &archive, const QString &plate, qint64 key)
{
    const core::Result<QVariant> counted = archive.scalar(
        QStringLiteral("SELECT COUNT(*) FROM Vetture WHERE Targa = ? AND ID <> ?"), {plate.trimmed(), key});
    if (!counted)
        return core::Result<int>::failure(counted.error());
    return counted->toInt();
}

QStringList duplicatePlateWarnings(const QString &plate, int others)
{
    if (others <= 0)
        return {};
    return {QStringLiteral("Attenzione la targa ") + plate + QStringLiteral(" è già presente in altri ") +
                QString::number(others) + QStringLiteral(" Record."),
            QStringLiteral("Attenzione si è caricato una Targa già presente in archivio")};
}

QString vehicleWithdrawnMessage()
{
    return QStringLiteral("Attenzione la vettura ha dei rifornimenti o è nelle commesse: non viene eliminata "
                          "ma annullata, così i litri presi dalle cisterne e le commesse restano come sono.");
}

core::Result<VehicleRemoval> removeVehicle(storage::Archive &archive, qint64 key)
{
    using R = core::Result<VehicleRemoval>;
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return R::failure(transaction.error());
    const core::Result<QVariant> used = archive.scalar(
        QStringLiteral(
            "SELECT (SELECT COUNT(*) FROM VettureCarburante WHERE Vettura_ID = ?) + "
            "(SELECT COUNT(*) FROM TotaliCo WHERE Targa1 = Vetture.Targa OR Targa2 = Vetture.Targa) "
            "FROM Vetture WHERE ID = ?"),
        {key, key});
    if (!used)
        return R::failure(used.error());
    if (used->toInt() > 0) {
        if (core::Status withdrawn =
                archive.update(QStringLiteral("Vetture"), key, {{QStringLiteral("Annullato"), true}});
            !withdrawn)
            return R::failure(withdrawn.error());
        if (core::Status committed = transaction.commit(); !committed)
            return R::failure(committed.error());
        return VehicleRemoval::Withdrawn;
    }
    for (const char *table : {"VettureSchede", "VettureScadenze", "VettureCosti"}) {
        if (core::Result<int> run = archive.execute(
                QStringLiteral("DELETE FROM %1 WHERE Vettura_ID = ?").arg(QLatin1String(table)), {key});
            !run)
            return R::failure(run.error());
    }
    if (core::Status removed = archive.remove(QStringLiteral("Vetture"), key); !removed)
        return R::failure(removed.error());
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return VehicleRemoval::Deleted;
}

core::Status storeVehicleTotals(storage::Archive &archive, const QVariant &vehicle)
{
    if (!RecordChecks::hasValue(vehicle))
        return {};
    const core::Result<int> stored =
        archive.execute(QStringLiteral("UPDATE Vetture SET "
                                       "TotaleLitriCarburante = (SELECT COALESCE(SUM(Litri), 0) FROM "
                                       "VettureCarburante WHERE Vettura_ID = ?), "
                                       "TotaleCarburante = (SELECT COALESCE(SUM(Importo), 0) FROM "
                                       "VettureCarburante WHERE Vettura_ID = ?), "
                                       "TotaleCostoManutenzione = (SELECT COALESCE(SUM(Importo), 0) FROM "
                                       "VettureCosti WHERE Vettura_ID = ?) "
                                       "WHERE ID = ?"),
                        {vehicle, vehicle, vehicle, vehicle});
    return stored ? core::Status() : fail(stored.error());
}

bool vehicleDeadlineOverdue(const QVariant &warning, const QVariant &validated, const QDate &today)
{
    const QDate date = storage::sqlvalue::toDate(warning);
    return date.isValid() && date < today && !validated.toBool();
}

RecordChecks vehicleDeadlineChecks()
{
    RecordChecks checks;
    checks.required(QStringLiteral("Descrizione"), QStringLiteral("Attenzione manca la Descrizione"))
        .required(QStringLiteral("DataAvviso"),
                  QStringLiteral("Attenzione manca la Data di avviso della scadenza"))
        .required(QStringLiteral("DataScadenza"), QStringLiteral("Attenzione manca la data di Scadenza"));
    return checks;
}

RecordChecks vehicleCostChecks()
{
    RecordChecks checks;
    checks.required(QStringLiteral("Data"), QStringLiteral("Attenzione manca la Data"))
        .required(QStringLiteral("Importo"), QStringLiteral("Attenzione manca l' Importo"))
        .required(QStringLiteral("TipologiaCosto_id"), QStringLiteral("Attenzione manca la Tipologia"));
    return checks;
}

} // namespace rotalina::fleet
