#include "transport/pricedrows.h"

#include "core/money.h"
#include "shell/descriptorfields.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <optional>

namespace rotalina::transport {

using shell::RecordChecks;
namespace sqlvalue = storage::sqlvalue;

namespace {

bool isEmpty(const QVariant &value)
{
    return !value.isValid() || value.isNull() || value.toString().trimmed().isEmpty();
}

core::Status fail(const QString &message)
{
    return core::Status::failure(message);
}

struct Header
{
    QString plate;
    QVariant customer;
    QDate date;
};

core::Result<Header> readHeader(storage::Archive &archive, const PricedDocument &document, qint64 owner)
{
    const core::Result<storage::Archive::Rows> read =
        archive.readRows(QStringLiteral("SELECT Targa1, %1, Data FROM %2 WHERE ID = ?")
                             .arg(document.customer, document.header),
                         {owner});
    if (!read)
        return core::Result<Header>::failure(read.error());
    if (read->values.isEmpty())
        return core::Result<Header>::failure(storage::Archive::missingRowMessage());
    const QVariantList &row = read->values.first();
    return Header{row.at(0).toString().trimmed(), isEmpty(row.at(1)) ? QVariant() : row.at(1),
                  sqlvalue::toDate(row.at(2))};
}

// What a new row starts with: its header, its date (the header's, today without one) and its number.
core::Result<QVariantMap> newRow(storage::Archive &archive, const PricedDocument &document,
                                 const PricingSettings &settings, qint64 owner, const QDate &date)
{
    int number = 1;
    if (settings.rowNumbersIncrease) {
        const core::Result<QVariant> rows = archive.scalar(
            QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ?").arg(document.rows, document.owner),
            {owner});
        if (!rows)
            return core::Result<QVariantMap>::failure(rows.error());
        number = rows->toInt() + 1;
    }
    QVariantMap row{{document.owner, owner},
                    {QStringLiteral("NumeroRiga"), number},
                    {QStringLiteral("ProvvigioneContrassegno"), 0.0},
                    {QStringLiteral("Contrassegno"), 0.0},
                    {QStringLiteral("Data"), date},
                    {QStringLiteral("Storico"), false},
                    {QStringLiteral("Um"), 1.0}};
    if (document.transportFields)
        row.insert(QStringLiteral("DataInizioPeriodo"), date);
    return row;
}

} // namespace

shell::RegistryDescriptor pricedRowsRegistry(const PricedDocument &document)
{
    using shell::RegistryField;
    using Kind = RegistryField::Kind;
    using namespace shell::fields;
    const bool job = document.transportFields;
    shell::RegistryDescriptor r;
    r.table = document.rows;
    r.listSql = QStringLiteral("SELECT * FROM %1").arg(document.rows);
    r.ownerField = document.owner;
    RegistryField vat =
        choice("Iva_ID", "Aliquota Iva", "SELECT ID, Descrizione FROM Iva ORDER BY Iva, Descrizione");
    vat.copySql = QStringLiteral("SELECT Iva AS AliquotaIva FROM Iva WHERE ID = ?");
    vat.copiedFields = {QStringLiteral("AliquotaIva")};
    RegistryField unit =
        choice("Um_Id", "Unità di misura", "SELECT Id, Descrizione FROM UnitaMisura ORDER BY Descrizione");
    r.fields = {field("Descrizione", "Descrizione", Kind::Memo),
                field("Um", "Quantità", Kind::Amount),
                field("ValoreUnitario", "Valore Unitario", Kind::Amount, 4),
                field("Sconto", "Sconto", Kind::Amount),
                field("ValoreTotale", "Valore Totale", Kind::Amount),
                vat,
                field("AliquotaIva", "", Kind::Hidden)};
    if (job)
        r.fields += {field("RIFDDT", "Rifermento D.D.T."), field("DataDDT", "Data D.D.T.", Kind::Date)};
    r.fields += field("Codice", "Codice");
    if (job)
        r.fields += field("Imputazione", "Imputazione");
    r.fields += {unit, field("NumeroRiga", "Numero di riga", Kind::Amount, 0)};
    if (job)
        r.fields += field("RiferimentoAmministrazione", "Rif. Amministraz.");
    r.fields += {startsColumn(field("TempoOre", "Ore", Kind::Amount, 0)),
                 field("TempoMinuti", "Minuti", Kind::Amount, 0),
                 field("Chilometri", "Chilometri", Kind::Amount, 0), field("Costo", "Costo", Kind::Amount)};
    if (job)
        r.fields += field("Colli", "Colli", Kind::Amount, 0);
    r.fields += {field("Peso", "Peso Dichiarato", Kind::Amount),
                 field("PesoRiconosciuto", "Peso Riconosciuto", Kind::Amount),
                 field("Volume", "Volume", Kind::Amount)};
    if (job) {
        RegistryField region = choice("Regione_ID", "Regione",
                                      "SELECT IDRegione, Descrizione FROM Regioni ORDER BY Descrizione");
        region.copySql = QStringLiteral("SELECT CoefficienteCalcolo FROM Regioni WHERE IDRegione = ?");
        region.copiedFields = {QStringLiteral("CoefficienteCalcolo")};
        r.fields += {field("DataInizioPeriodo", "Data Trasporto", Kind::Date),
                     field("DataFinePeriodo", "Data Fine", Kind::Date), region,
                     field("CoefficienteCalcolo", "", Kind::Hidden)};
    }
    r.fields += {field("Contrassegno", "Contrassegno", Kind::Amount),
                 field("ProvvigioneContrassegno", "Provvig. Contrassegno", Kind::Amount)};
    if (job)
        r.fields += field("Note", "Note");
    r.checks = pricedRowChecks();
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare la riga?");
    const PricedDocument *priced = &document;
    r.save = [priced](storage::Archive &archive, qint64 row, const QVariantMap &changed) {
        return savePricedRow(archive, *priced, row, changed);
    };
    r.remove = [priced](storage::Archive &archive, qint64 row) {
        return deletePricedRow(archive, *priced, row);
    };
    return r;
}

core::Result<NewRowStart> newRowStart(storage::Archive &archive, const QString &header,
                                      const QString &dateField, const QString &rows, const QString &owner,
                                      qint64 document, const QDate &today)
{
    using R = core::Result<NewRowStart>;
    const core::Result<storage::Archive::Rows> read = archive.readRows(
        QStringLiteral(
            "SELECT %1.%2, (SELECT COUNT(*) FROM %3 WHERE %3.%4 = %1.ID), (SELECT "
            "IncrementaNumeroRigaArticoli FROM opzioni ORDER BY ID LIMIT 1) FROM %1 WHERE %1.ID = ?")
            .arg(header, dateField, rows, owner),
        {document});
    if (!read)
        return R::failure(read.error());
    if (read->values.isEmpty())
        return R::failure(storage::Archive::missingRowMessage());
    const QVariantList &found = read->values.first();
    const QDate date = sqlvalue::toDate(found.at(0));
    return NewRowStart{date.isValid() ? date : today, found.at(2).toBool() ? found.at(1).toInt() + 1 : 1};
}

const PricedDocument &jobPricing()
{
    static const PricedDocument job{QStringLiteral("TotaliCo"),
                                    QStringLiteral("Conti"),
                                    QStringLiteral("Testata_ID"),
                                    QStringLiteral("Cliente_Id"),
                                    QStringLiteral("TotFattura"),
                                    true,
                                    true,
                                    true,
                                    QString()};
    return job;
}

const PricedDocument &quotePricing()
{
    // A quote prices work not done yet: nothing moves the odometer.
    static const PricedDocument quote{QStringLiteral("PreventiTestata"),
                                      QStringLiteral("PreventiRighe"),
                                      QStringLiteral("Prev_ID"),
                                      QStringLiteral("Cliente_ID"),
                                      QStringLiteral("TotalePreventivo"),
                                      false,
                                      false,
                                      false,
                                      QStringLiteral("00000")};
    return quote;
}

core::Result<PricingSettings> readPricingSettings(storage::Archive &archive)
{
    const core::Result<storage::Archive::Rows> read = archive.readRows(QStringLiteral(
        "SELECT DescrizioneDocumentiTariffario, IncrementaNumeroRigaArticoli, "
        "IncrementaChilometriDaCommesse, AliquotaIva, Iva_Id FROM opzioni ORDER BY ID LIMIT 1"));
    if (!read)
        return core::Result<PricingSettings>::failure(read.error());
    const QVariantList row = read->values.value(0);
    PricingSettings settings;
    settings.routeInDescription = row.value(0).toBool();
    settings.rowNumbersIncrease = row.value(1).toBool();
    settings.odometerFromJobs = row.value(2).toBool();
    settings.vatRate = row.value(3).toDouble();
    settings.vatKey = isEmpty(row.value(4)) ? QVariant() : row.value(4);
    return settings;
}

double pricedRowNet(double quantity, double unitValue, double discount)
{
    return core::calcolaImponibile(false, quantity, unitValue, {discount, 0, 0, 0});
}

double pricedRowGross(double quantity, double unitValue, double vatRate, double discount)
{
    return core::calcolaPrezzoFinale(true, quantity, unitValue, vatRate, {discount, 0, 0, 0});
}

core::Status moveOdometer(storage::Archive &archive, const QString &plate, double kilometres)
{
    if (plate.trimmed().isEmpty() || kilometres == 0)
        return {};
    const core::Result<int> moved = archive.execute(
        QStringLiteral("UPDATE Vetture SET Chilometri = COALESCE(Chilometri, 0) + ? WHERE Targa = ?"),
        {kilometres, plate.trimmed()});
    return moved ? core::Status() : fail(moved.error());
}

core::Status recomputePricedTotals(storage::Archive &archive, const PricedDocument &document, qint64 owner)
{
    const core::Result<storage::Archive::Rows> rows = archive.readRows(
        QStringLiteral(
            "SELECT Um, ValoreUnitario, Sconto, AliquotaIva, Costo, ProvvigioneContrassegno%1 FROM %2 "
            "WHERE %3 = ?")
            .arg(document.packages ? QStringLiteral(", Colli") : QString(), document.rows, document.owner),
        {owner});
    if (!rows)
        return fail(rows.error());
    double taxable = 0, tax = 0, cost = 0, commission = 0, packages = 0;
    for (const QVariantList &row : rows->values) {
        const double net = pricedRowNet(row.at(0).toDouble(), row.at(1).toDouble(), row.at(2).toDouble());
        taxable += net;
        tax += net * row.at(3).toDouble() * 0.01;
        cost += row.at(4).toDouble();
        commission += row.at(5).toDouble();
        if (document.packages)
            packages += row.at(6).toDouble();
    }
    taxable = core::arrotonda(taxable);
    tax = core::arrotonda(tax);
    QVariantMap totals{{QStringLiteral("TotImponibile"), taxable},
                       {QStringLiteral("TotImposta"), tax},
                       {document.total, core::arrotonda(taxable + tax)},
                       {QStringLiteral("TotProvvigioneContrassegno"), core::arrotonda(commission)},
                       {QStringLiteral("Costo"), core::arrotonda(cost)}};
    if (document.packages)
        totals.insert(QStringLiteral("TotColli"), core::arrotonda(packages));
    return archive.update(document.header, owner, totals);
}

core::Result<QList<qint64>> addPricedTariffRows(storage::Archive &archive, const PricedDocument &document,
                                                qint64 owner, const QList<qint64> &tariffs,
                                                const QDate &today)
{
    using R = core::Result<QList<qint64>>;
    const core::Result<PricingSettings> settings = readPricingSettings(archive);
    if (!settings)
        return R::failure(settings.error());
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return R::failure(transaction.error());
    const core::Result<Header> header = readHeader(archive, document, owner);
    if (!header)
        return R::failure(header.error());
    const QDate date = header->date.isValid() ? header->date : today;
    std::optional<double> customerDiscount;
    if (header->customer.isValid()) {
        const core::Result<QVariant> discount =
            archive.scalar(QStringLiteral("SELECT Sconto FROM Clienti WHERE Id = ?"), {header->customer});
        if (!discount)
            return R::failure(discount.error());
        if (!discount->isNull())
            customerDiscount = discount->toDouble();
    }
    QList<qint64> added;
    double kilometres = 0;
    for (const qint64 tariff : tariffs) {
        core::Result<QSqlQuery> read = archive.select(
            QStringLiteral(
                "SELECT prezziar.*, Comuni.Comune AS RotalinaPartenza, Comuni_1.Comune AS "
                "RotalinaArrivo, Comuni_1.Regione_ID AS RotalinaRegione, Regioni.CoefficienteCalcolo "
                "AS RotalinaCoefficiente FROM prezziar LEFT JOIN Comuni ON prezziar.Partenza_ID = "
                "Comuni.ID LEFT JOIN Comuni AS Comuni_1 ON prezziar.Fine_ID = Comuni_1.ID LEFT JOIN "
                "Regioni ON Comuni_1.Regione_ID = Regioni.IDRegione WHERE prezziar.Id = ?"),
            {tariff});
        if (!read)
            return R::failure(read.error());
        if (!read->next())
            continue; // deleted meanwhile by another workstation
        const QSqlRecord found = read->record();
        const auto value = [&found](const char *name) {
            return found.value(QLatin1String(name));
        };
        core::Result<QVariantMap> row = newRow(archive, document, *settings, owner, date);
        if (!row)
            return R::failure(row.error());
        if (!isEmpty(value("Descrizione"))) {
            QString description = value("Descrizione").toString();
            if (settings->routeInDescription) {
                if (!isEmpty(value("RotalinaPartenza")))
                    description += QStringLiteral(" Da:") + value("RotalinaPartenza").toString();
                if (!isEmpty(value("RotalinaArrivo")))
                    description += QStringLiteral(" A:") + value("RotalinaArrivo").toString();
            }
            row->insert(QStringLiteral("Descrizione"), description);
        }
        row->insert(QStringLiteral("Articolo_ID"), tariff);
        row->insert(QStringLiteral("TipoRiga"), QStringLiteral("N"));
        QList<std::pair<const char *, const char *>> copied{{"Partenza_ID", "Partenza_ID"},
                                                            {"Fine_ID", "Fine_ID"},
                                                            {"Codice", "Codice"},
                                                            {"Chilometri", "Chilometri"},
                                                            {"TempoOre", "TempoOre"},
                                                            {"TempoMinuti", "TempoMinuti"},
                                                            {"Costo", "PrezzoFornitore"},
                                                            {"Partenza_Indirizzo", "Partenza_Indirizzo"},
                                                            {"Fine_Indirizzo", "Fine_Indirizzo"},
                                                            {"ValoreUnitario", "Prezzo"},
                                                            {"AliquotaIva", "AliquotaIva"},
                                                            {"Iva_ID", "Iva_Id"},
                                                            {"Um_Id", "Um_Id"},
                                                            {"Reparto", "Reparto"}};
        if (document.transportFields)
            copied += {{"Regione_ID", "RotalinaRegione"}, {"CoefficienteCalcolo", "RotalinaCoefficiente"}};
        for (const auto &[target, source] : std::as_const(copied))
            if (!isEmpty(value(source)))
                row->insert(QLatin1String(target), value(source));
        // A fixed price keeps the tariff's discount; otherwise the customer's own replaces it.
        double discount = value("Sconto").toDouble();
        if (customerDiscount && !value("PrezzoImposto").toBool())
            discount = *customerDiscount;
        row->insert(QStringLiteral("Sconto"), discount);
        const double unit = value("Prezzo").toDouble();
        row->insert(QStringLiteral("TotaleImponibile"), pricedRowNet(1, unit, discount));
        row->insert(QStringLiteral("ValoreTotale"),
                    pricedRowGross(1, unit, value("AliquotaIva").toDouble(), discount));
        const core::Result<qint64> key = archive.insert(document.rows, *row);
        if (!key)
            return R::failure(key.error());
        added.append(*key);
        kilometres += std::max(0.0, value("Chilometri").toDouble());
    }
    if (document.odometer && settings->odometerFromJobs)
        if (core::Status moved = moveOdometer(archive, header->plate, kilometres); !moved)
            return R::failure(moved.error());
    if (core::Status totals = recomputePricedTotals(archive, document, owner); !totals)
        return R::failure(totals.error());
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return added;
}

core::Result<qint64> addPricedFreeRow(storage::Archive &archive, const PricedDocument &document, qint64 owner,
                                      const QDate &today)
{
    using R = core::Result<qint64>;
    const core::Result<PricingSettings> settings = readPricingSettings(archive);
    if (!settings)
        return R::failure(settings.error());
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return R::failure(transaction.error());
    const core::Result<Header> header = readHeader(archive, document, owner);
    if (!header)
        return R::failure(header.error());
    core::Result<QVariantMap> row =
        newRow(archive, document, *settings, owner, header->date.isValid() ? header->date : today);
    if (!row)
        return R::failure(row.error());
    if (document.transportFields)
        row->insert(QStringLiteral("CoefficienteCalcolo"), 0.0);
    if (!document.freeRowCode.isEmpty())
        row->insert(QStringLiteral("Codice"), document.freeRowCode);
    row->insert(QStringLiteral("Descrizione"), QStringLiteral("Articolo da inserire"));
    row->insert(QStringLiteral("ValoreUnitario"), 1.0);
    row->insert(QStringLiteral("TotaleImponibile"), 1.0);
    row->insert(QStringLiteral("AliquotaIva"), settings->vatRate);
    row->insert(QStringLiteral("Iva_ID"), settings->vatKey);
    row->insert(QStringLiteral("Sconto"), 0.0);
    row->insert(QStringLiteral("TipoRiga"), QStringLiteral("A"));
    row->insert(QStringLiteral("ValoreTotale"), pricedRowGross(1, 1, settings->vatRate, 0));
    const R key = archive.insert(document.rows, *row);
    if (!key)
        return key;
    if (core::Status totals = recomputePricedTotals(archive, document, owner); !totals)
        return R::failure(totals.error());
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return key;
}

RecordChecks pricedRowChecks()
{
    const auto filled = [](const char *field) {
        const QString name = QLatin1String(field);
        return [name](const QVariantMap &values) {
            return !isEmpty(values.value(name));
        };
    };
    RecordChecks checks;
    checks.add(QStringLiteral("Um"), QStringLiteral("Attenzione manca la quantità"), filled("Um"))
        .add(QStringLiteral("ValoreUnitario"), QStringLiteral("Attenzione manca il Valore Unitario"),
             filled("ValoreUnitario"))
        .add(QStringLiteral("Iva_ID"), QStringLiteral("Attenzione manca l'Aliquota Iva"),
             filled("AliquotaIva"))
        .add(QStringLiteral("TempoMinuti"), QStringLiteral("Attenzione i minuti devono essere tra 0 e 60 !"),
             [](const QVariantMap &values) {
                 const QVariant minutes = values.value(QStringLiteral("TempoMinuti"));
                 return isEmpty(minutes) || (minutes.toInt() >= 0 && minutes.toInt() <= 60);
             });
    return checks;
}

core::Status savePricedRow(storage::Archive &archive, const PricedDocument &document, qint64 row,
                           const QVariantMap &changed)
{
    const core::Result<PricingSettings> settings = readPricingSettings(archive);
    if (!settings)
        return fail(settings.error());
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return fail(transaction.error());
    const core::Result<QVariantMap> stored = archive.readRow(document.rows, row);
    if (!stored)
        return fail(stored.error());
    QVariantMap values = *stored;
    for (auto it = changed.cbegin(); it != changed.cend(); ++it)
        values.insert(it.key(), it.value());
    const double quantity = values.value(QStringLiteral("Um")).toDouble();
    const double unit = values.value(QStringLiteral("ValoreUnitario")).toDouble();
    const double discount = values.value(QStringLiteral("Sconto")).toDouble();
    QVariantMap written = changed;
    written.insert(QStringLiteral("TotaleImponibile"), pricedRowNet(quantity, unit, discount));
    written.insert(
        QStringLiteral("ValoreTotale"),
        pricedRowGross(quantity, unit, values.value(QStringLiteral("AliquotaIva")).toDouble(), discount));
    if (core::Status updated = archive.update(document.rows, row, written); !updated)
        return updated;
    const qint64 owner = values.value(document.owner).toLongLong();
    if (document.odometer && settings->odometerFromJobs && changed.contains(QStringLiteral("Chilometri"))) {
        const double before = stored->value(QStringLiteral("Chilometri")).toDouble();
        const double after = changed.value(QStringLiteral("Chilometri")).toDouble();
        const core::Result<Header> header = readHeader(archive, document, owner);
        if (!header)
            return fail(header.error());
        if (core::Status moved = moveOdometer(archive, header->plate, after - before); !moved)
            return moved;
    }
    if (core::Status totals = recomputePricedTotals(archive, document, owner); !totals)
        return totals;
    return transaction.commit();
}

core::Status deletePricedRow(storage::Archive &archive, const PricedDocument &document, qint64 row)
{
    const core::Result<PricingSettings> settings = readPricingSettings(archive);
    if (!settings)
        return fail(settings.error());
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return fail(transaction.error());
    const core::Result<QVariantMap> stored = archive.readRow(document.rows, row);
    if (!stored)
        return fail(stored.error());
    const qint64 owner = stored->value(document.owner).toLongLong();
    if (core::Status removed = archive.remove(document.rows, row); !removed)
        return removed;
    // Given back only once the row is gone.
    const double kilometres = stored->value(QStringLiteral("Chilometri")).toDouble();
    if (document.odometer && settings->odometerFromJobs && kilometres > 0) {
        const core::Result<Header> header = readHeader(archive, document, owner);
        if (!header)
            return fail(header.error());
        if (core::Status moved = moveOdometer(archive, header->plate, -kilometres); !moved)
            return moved;
    }
    if (core::Status totals = recomputePricedTotals(archive, document, owner); !totals)
        return totals;
    return transaction.commit();
}

} // namespace rotalina::transport
