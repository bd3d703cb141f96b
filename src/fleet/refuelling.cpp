#include "fleet/refuelling.h"

#include "core/datetext.h"
#include "core/money.h"
#include "core/numbertext.h"
#include "fleet/vehicles.h"
#include "shell/descriptorfields.h"
#include "shell/storeddefaults.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"

namespace rotalina::fleet {

using shell::RecordChecks;
using shell::RegistryDescriptor;
using shell::RegistryField;
using Kind = RegistryField::Kind;
using namespace shell::fields;
namespace sqlvalue = storage::sqlvalue;

namespace {

constexpr int vehicleHelp = 6100;
// Litres are kept to the hundredth: a stock a rounding error below zero is still empty, not short.
constexpr double litreTolerance = 0.005;

core::Status fail(const QString &message)
{
    return core::Status::failure(message);
}

// A tank key as stored: none is 0 in older rows and empty in new ones.
QVariant tankKey(const QVariant &value)
{
    return value.isValid() && !value.isNull() && value.toLongLong() > 0 ? QVariant(value.toLongLong())
                                                                        : QVariant();
}

qint64 reading(const QVariant &value)
{
    return value.isValid() && !value.isNull() ? value.toLongLong() : 0;
}

// Adds litres to a tank's stock in the statement (a negative change draws from it). A tank deleted
// meanwhile is simply not found.
core::Status moveStock(storage::Archive &archive, const QVariant &tank, double change)
{
    if (!tank.isValid() || change == 0)
        return {};
    const core::Result<int> moved = archive.execute(
        QStringLiteral("UPDATE Cisterne SET Litri = COALESCE(Litri, 0) + ? WHERE id = ?"), {change, tank});
    return moved ? core::Status() : fail(moved.error());
}

// After a tank gave litres: refuses a stock below zero.
core::Status checkStock(storage::Archive &archive, const QVariant &tank, double drawn)
{
    if (!tank.isValid() || drawn <= 0)
        return {};
    const core::Result<storage::Archive::Rows> read =
        archive.readRows(QStringLiteral("SELECT Litri, Descrizione FROM Cisterne WHERE id = ?"), {tank});
    if (!read)
        return fail(read.error());
    if (read->values.isEmpty())
        return {};
    const double left = read->values.first().value(0).toDouble();
    if (left >= -litreTolerance)
        return {};
    return fail(
        QStringLiteral("Attenzione la cisterna %1 ha solo %2 litri: il rifornimento di %3 litri non può "
                       "essere registrato")
            .arg(read->values.first().value(1).toString(), core::formatItalianNumber(left + drawn),
                 core::formatItalianNumber(drawn)));
}

// Measures every refuelling of the vehicle from the one before it by date and key: its previous
// reading is that refuelling's, the distance the difference. The first refuelling keeps the
// previous reading typed in it. The refuelling being saved is refused when its reading goes back
// from the one before it or past the one after it; older rows are measured again as they are.
core::Status measureRefuellings(storage::Archive &archive, const QVariant &vehicle, qint64 saved)
{
    const core::Result<storage::Archive::Rows> read = archive.readRows(
        QStringLiteral("SELECT ID, Data, KmPartenza, KmArrivo, KmDifferenza FROM VettureCarburante "
                       "WHERE Vettura_ID = ? ORDER BY Data, ID"),
        {vehicle});
    if (!read)
        return fail(read.error());
    std::optional<qint64> previous;
    QDate previousDate;
    bool savedSeen = false;
    qint64 savedReading = 0;
    for (const QVariantList &row : read->values) {
        const qint64 key = row.value(0).toLongLong();
        const qint64 departure = reading(row.value(2));
        if (departure <= 0)
            continue;
        if (savedSeen) {
            if (departure < savedReading)
                return fail(
                    QStringLiteral("Attenzione i chilometri del rifornimento (%1) sono più di quelli del "
                                   "rifornimento successivo del %2 (%3)")
                        .arg(savedReading)
                        .arg(core::datetext::formatShortDate(sqlvalue::toDate(row.value(1))))
                        .arg(departure));
            savedSeen = false;
        }
        QVariant arrival = row.value(3);
        if (previous)
            arrival = *previous;
        if (key == saved) {
            if (reading(arrival) > departure)
                return fail(previous
                                ? QStringLiteral("Attenzione i chilometri del rifornimento (%1) sono meno di "
                                                 "quelli del rifornimento precedente del %2 (%3)")
                                      .arg(departure)
                                      .arg(core::datetext::formatShortDate(previousDate))
                                      .arg(reading(arrival))
                                : QStringLiteral("Attenzione i chilometri del rifornimento (%1) sono meno "
                                                 "dei chilometri precedenti (%2)")
                                      .arg(departure)
                                      .arg(reading(arrival)));
            savedSeen = true;
            savedReading = departure;
        }
        const qint64 distance = departure - reading(arrival);
        if (reading(row.value(3)) != reading(arrival) || row.value(3).isNull() != arrival.isNull() ||
            reading(row.value(4)) != distance || row.value(4).isNull()) {
            if (core::Status written = archive.update(
                    QStringLiteral("VettureCarburante"), key,
                    {{QStringLiteral("KmArrivo"), arrival}, {QStringLiteral("KmDifferenza"), distance}});
                !written)
                return written;
        }
        previous = departure;
        previousDate = sqlvalue::toDate(row.value(1));
    }
    return {};
}

RegistryDescriptor buildRefuellings()
{
    RegistryDescriptor r;
    r.listWindow = QStringLiteral("TfrmVettureCarburante");
    r.cardWindow = QStringLiteral("TfrmVettureCarburante");
    r.listCaption = QStringLiteral("Carburante x Vetture");
    r.cardCaption = QStringLiteral("Carburante x Vetture");
    r.table = QStringLiteral("VettureCarburante");
    r.listSql =
        QStringLiteral("SELECT VettureCarburante.*, Carburanti.Descrizione AS Carburante, "
                       "Rifornimenti.Descrizione AS Rifornimento FROM VettureCarburante "
                       "LEFT JOIN Carburanti ON VettureCarburante.Carburante_id = Carburanti.id "
                       "LEFT JOIN Rifornimenti ON VettureCarburante.Rifornimento_ID = Rifornimenti.id");
    r.order = QStringLiteral("VettureCarburante.Data DESC, VettureCarburante.ID DESC");
    r.columns = {column("Data", "Data", 90),
                 column("Carburante", "Carburante", 100),
                 column("Litri", "Litri", 80),
                 column("Importo", "Importo", 90),
                 column("KmPartenza", "Km", 80),
                 column("KmArrivo", "Km precedenti", 95),
                 column("KmDifferenza", "Km percorsi", 90),
                 column("Cisterna", "Cisterna", 120),
                 column("Rifornimento", "Rifornimento", 140),
                 column("Note", "Note", 160)};
    RegistryField tank =
        choice("Cisterna_ID", "Cisterna", "SELECT id, Descrizione FROM Cisterne ORDER BY Descrizione",
               "TfrmCisterneDettaglio", "TfrmGrigliaCisterne");
    tank.copySql = QStringLiteral("SELECT Descrizione AS Cisterna FROM Cisterne WHERE id = ?");
    tank.copiedFields = {QStringLiteral("Cisterna")};
    r.fields = {
        field("Data", "Data", Kind::Date),
        choice("Carburante_id", "Carburante", "SELECT id, Descrizione FROM Carburanti ORDER BY Descrizione"),
        field("Litri", "Litri", Kind::Amount),
        field("Importo", "Importo", Kind::Amount),
        field("KmPartenza", "Km attuali", Kind::Amount, 0),
        field("KmArrivo", "Km rifornimento precedente", Kind::Amount, 0),
        field("KmDifferenza", "Km percorsi", Kind::Amount, 0),
        startsColumn(tank),
        field("Cisterna", "", Kind::Hidden),
        choice("Rifornimento_ID", "Rifornimento",
               "SELECT id, Descrizione FROM Rifornimenti ORDER BY Descrizione", "TfrmRifornimentiDettaglio",
               "TfrmGrigliaRifornimenti"),
        choice("Personale_ID", "Autista", "SELECT Id, Personale FROM Personale ORDER BY Personale"),
        choice(
            "VettureScheda_ID", "Scheda",
            "SELECT VettureSchede.Id, Vetture.Targa || ' - ' || COALESCE(VettureSchede.Scheda, '') || ' ' || "
            "COALESCE(VettureSchede.Numero, '') FROM VettureSchede INNER JOIN Vetture ON "
            "VettureSchede.Vettura_ID = Vetture.ID ORDER BY Vetture.Targa, VettureSchede.Scheda"),
        field("Note", "Note", Kind::Memo)};
    r.checks = refuellingChecks();
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare il Carburante ?");
    r.ownerField = QStringLiteral("Vettura_ID");
    r.add = [](storage::Archive &archive, const QVariant &owner) {
        return addRefuelling(archive, owner.toLongLong(), QDate::currentDate());
    };
    r.save = saveRefuelling;
    r.remove = deleteRefuelling;
    r.grid = QStringLiteral("frmVettureDettaglio_DBGrid4");
    r.helpContext = vehicleHelp;
    return r;
}

} // namespace

const RegistryDescriptor &refuellingsRegistry()
{
    static const RegistryDescriptor registry = buildRefuellings();
    return registry;
}

core::Result<RefuellingOptions> readRefuellingOptions(storage::Archive &archive)
{
    const core::Result<storage::Archive::Rows> read = archive.readRows(QStringLiteral(
        "SELECT LavoraCisterne, IncrementaChilometriDaCommesse FROM opzioni ORDER BY ID LIMIT 1"));
    if (!read)
        return core::Result<RefuellingOptions>::failure(read.error());
    RefuellingOptions options;
    if (!read->values.isEmpty()) {
        options.tanks = read->values.first().value(0).toBool();
        options.kilometresFromJobOrders = read->values.first().value(1).toBool();
    }
    return options;
}

core::Result<qint64> addRefuelling(storage::Archive &archive, qint64 vehicle, const QDate &today,
                                   const QVariant &tank)
{
    using R = core::Result<qint64>;
    const core::Result<QVariant> fuel =
        archive.scalar(QStringLiteral("SELECT Carburante_id FROM Vetture WHERE ID = ?"), {vehicle});
    if (!fuel)
        return R::failure(fuel.error());
    // The latest refuelling with a reading: the distance of the new one is measured from it.
    const core::Result<QVariant> previous = archive.scalar(
        QStringLiteral("SELECT KmPartenza FROM VettureCarburante WHERE Vettura_ID = ? AND KmPartenza > 0 "
                       "ORDER BY Data DESC, ID DESC LIMIT 1"),
        {vehicle});
    if (!previous)
        return R::failure(previous.error());
    QVariantMap values{{QStringLiteral("Vettura_ID"), vehicle},
                       {QStringLiteral("Carburante_id"), *fuel},
                       {QStringLiteral("Data"), today},
                       {QStringLiteral("Litri"), 0.0}};
    if (previous->isValid() && !previous->isNull())
        values.insert(QStringLiteral("KmArrivo"), previous->toLongLong());
    if (const QVariant chosen = tankKey(tank); chosen.isValid()) {
        const core::Result<QVariant> name =
            archive.scalar(QStringLiteral("SELECT Descrizione FROM Cisterne WHERE id = ?"), {chosen});
        if (!name)
            return R::failure(name.error());
        values.insert(QStringLiteral("Cisterna_ID"), chosen);
        values.insert(QStringLiteral("Cisterna"), *name);
    }
    return shell::insertWithDefaults(archive, QStringLiteral("VettureCarburante"),
                                     QStringLiteral("VettureCarburante"), {}, values);
}

RecordChecks refuellingChecks()
{
    RecordChecks checks;
    checks.required(QStringLiteral("Data"), QStringLiteral("Attenzione manca la Data"))
        .required(QStringLiteral("Importo"), QStringLiteral("Attenzione manca l' Importo"))
        .required(QStringLiteral("Litri"), QStringLiteral("Attenzione mancano i Litri"));
    return checks;
}

core::Status saveRefuelling(storage::Archive &archive, qint64 key, const QVariantMap &changed)
{
    const core::Result<RefuellingOptions> options = readRefuellingOptions(archive);
    if (!options)
        return fail(options.error());
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return fail(transaction.error());
    // What the row drew before this save, read in the transaction that changes it.
    const core::Result<QVariantMap> stored = archive.readRow(QStringLiteral("VettureCarburante"), key);
    if (!stored)
        return fail(stored.error());
    QVariantMap values = *stored;
    for (auto it = changed.cbegin(); it != changed.cend(); ++it)
        values.insert(it.key(), it.value());
    if (const std::optional<RecordChecks::Failure> failure = refuellingChecks().firstFailure(values))
        return fail(failure->message);

    QVariantMap written = changed;
    const QVariant tank = tankKey(values.value(QStringLiteral("Cisterna_ID")));
    written.insert(QStringLiteral("Cisterna_ID"), tank);
    if (tank.isValid()) {
        const core::Result<QVariant> name =
            archive.scalar(QStringLiteral("SELECT Descrizione FROM Cisterne WHERE id = ?"), {tank});
        if (!name)
            return fail(name.error());
        written.insert(QStringLiteral("Cisterna"), *name);
    } else {
        written.insert(QStringLiteral("Cisterna"), QVariant());
    }
    if (core::Status saved = archive.update(QStringLiteral("VettureCarburante"), key, written); !saved)
        return saved;

    if (options->tanks) {
        const QVariant before = tankKey(stored->value(QStringLiteral("Cisterna_ID")));
        const double drewBefore = stored->value(QStringLiteral("Litri")).toDouble();
        const double drawsNow = values.value(QStringLiteral("Litri")).toDouble();
        if (before == tank) {
            if (core::Status moved = moveStock(archive, tank, drewBefore - drawsNow); !moved)
                return moved;
            if (core::Status enough = checkStock(archive, tank, drawsNow - drewBefore); !enough)
                return enough;
        } else {
            if (core::Status back = moveStock(archive, before, drewBefore); !back)
                return back;
            if (core::Status moved = moveStock(archive, tank, -drawsNow); !moved)
                return moved;
            if (core::Status enough = checkStock(archive, tank, drawsNow); !enough)
                return enough;
        }
    }

    const QVariant vehicle = values.value(QStringLiteral("Vettura_ID"));
    if (core::Status measured = measureRefuellings(archive, vehicle, key); !measured)
        return measured;
    const qint64 departure = reading(values.value(QStringLiteral("KmPartenza")));
    if (!options->kilometresFromJobOrders && departure > 0) {
        // A refuelling recorded late never takes the odometer back.
        const core::Result<int> moved = archive.execute(
            QStringLiteral("UPDATE Vetture SET Chilometri = ? WHERE ID = ? AND (Chilometri IS NULL OR "
                           "Chilometri < ?)"),
            {departure, vehicle, departure});
        if (!moved)
            return fail(moved.error());
    }
    if (core::Status totals = storeVehicleTotals(archive, vehicle); !totals)
        return totals;
    return transaction.commit();
}

core::Status deleteRefuelling(storage::Archive &archive, qint64 key)
{
    const core::Result<RefuellingOptions> options = readRefuellingOptions(archive);
    if (!options)
        return fail(options.error());
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return fail(transaction.error());
    const core::Result<QVariantMap> stored = archive.readRow(QStringLiteral("VettureCarburante"), key);
    if (!stored)
        return fail(stored.error());
    if (options->tanks) {
        if (core::Status back = moveStock(archive, tankKey(stored->value(QStringLiteral("Cisterna_ID"))),
                                          stored->value(QStringLiteral("Litri")).toDouble());
            !back)
            return back;
    }
    if (core::Status removed = archive.remove(QStringLiteral("VettureCarburante"), key); !removed)
        return removed;
    const QVariant vehicle = stored->value(QStringLiteral("Vettura_ID"));
    if (core::Status measured = measureRefuellings(archive, vehicle, 0); !measured)
        return measured;
    if (core::Status totals = storeVehicleTotals(archive, vehicle); !totals)
        return totals;
    return transaction.commit();
}

core::Result<double> fuelPrice(storage::Archive &archive, const QVariant &vehicle)
{
    using R = core::Result<double>;
    const core::Result<QVariant> price = archive.scalar(
        QStringLiteral(
            "SELECT Carburanti.Prezzo FROM Vetture INNER JOIN Carburanti ON Vetture.Carburante_id = "
            "Carburanti.id WHERE Vetture.ID = ?"),
        {vehicle});
    if (!price)
        return R::failure(price.error());
    return price->toDouble();
}

namespace {

core::Result<double> priced(const QVariant &quantity, double price, const QString &missing, bool divide)
{
    using R = core::Result<double>;
    if (!RecordChecks::hasValue(quantity) || quantity.toDouble() == 0)
        return R::failure(missing);
    // No fuel, or a fuel without a price, cannot be priced (and would divide by zero).
    if (price <= 0)
        return R::failure(
            QStringLiteral("Attenzione non è possibile calcolare il prezzo del carburante per il "
                           "veicolo!!! "));
    return core::arrotonda(divide ? quantity.toDouble() / price : quantity.toDouble() * price);
}

} // namespace

core::Result<double> amountOfLitres(const QVariant &litres, double price)
{
    return priced(litres, price,
                  QStringLiteral("Attenzione Inserire i Litri prima di poter calcolare il prezzo!!! "),
                  false);
}

core::Result<double> litresOfAmount(const QVariant &amount, double price)
{
    return priced(
        amount, price,
        QStringLiteral("Attenzione Inserire l'importo prima di poter calcolare la quantità di litri!!! "),
        true);
}

} // namespace rotalina::fleet
