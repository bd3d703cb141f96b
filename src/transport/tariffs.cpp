#include "transport/tariffs.h"

#include "core/money.h"
#include "shell/storeddefaults.h"
#include "storage/archive.h"
#include "storage/foldfunction.h"

#include <QSqlRecord>
#include <cmath>

namespace rotalina::transport {

using shell::insertWithDefaults;
using shell::RecordChecks;

double tariffFinalPrice(double unitValue, double discount, double vatRate)
{
    double price = unitValue;
    if (discount != 0)
        price -= price * 0.01 * discount;
    const double wholeRate = std::trunc(vatRate);
    if (wholeRate != 0 && price != 0)
        price += price * 0.01 * wholeRate;
    return core::arrotonda(price);
}

double tariffBulkFinalPrice(double unitValue, double discount, double vatRate)
{
    return core::calcolaPrezzoFinale(true, 1, unitValue, vatRate, {discount, 0, 0, 0});
}

double tariffUnitValue(double finalPrice, double discount, double vatRate)
{
    return core::calcolaValoreUnitario(1, finalPrice, vatRate, {discount, 0, 0, 0});
}

storage::ListFilter tariffBaseFilter(const storage::SqlDialect &dialect, bool hideWithdrawn,
                                     std::optional<qint64> customer)
{
    storage::ListFilter filter(dialect);
    if (hideWithdrawn)
        filter.condition(QStringLiteral("prezziar.Annullato = ?"), {false});
    if (customer)
        filter.condition(QStringLiteral("prezziar.Cliente_ID = ?"), {*customer});
    return filter;
}

TariffTexts foldedTariffTexts(const QString &description, const QString &code, const QString &from,
                              const QString &to, const QString &customer, const QString &department,
                              const QString &note)
{
    return {storage::foldedText(description), storage::foldedText(code),     storage::foldedText(from),
            storage::foldedText(to),          storage::foldedText(customer), storage::foldedText(department),
            storage::foldedText(note)};
}

namespace {

std::array<QString, 7> boxesOf(const TariffSearch &search)
{
    return {search.description, search.code,       search.from, search.to,
            search.customer,    search.department, search.note};
}

// A box asks something unless it is empty or holds only "*".
bool asks(const QString &typed)
{
    const QString trimmed = typed.trimmed();
    return !trimmed.isEmpty() && trimmed != u"*";
}

} // namespace

TariffSearch foldedSearch(const TariffSearch &typed)
{
    const auto fold = [](const QString &text) {
        return asks(text) ? storage::foldedText(text.trimmed()) : QString();
    };
    return {fold(typed.description), fold(typed.code),       fold(typed.from), fold(typed.to),
            fold(typed.customer),    fold(typed.department), fold(typed.note)};
}

bool tariffSearchIsEmpty(const TariffSearch &folded)
{
    const std::array<QString, 7> boxes = boxesOf(folded);
    return std::all_of(boxes.cbegin(), boxes.cend(), [](const QString &box) { return box.isEmpty(); });
}

bool tariffMatches(const TariffSearch &folded, const TariffTexts &texts)
{
    const std::array<QString, 7> boxes = boxesOf(folded);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        if (!boxes.at(i).isEmpty() && !texts.at(i).startsWith(boxes.at(i)))
            return false;
    }
    return true;
}

QString tariffListStatement(const QString &conditions)
{
    return QStringLiteral("SELECT prezziar.Id, prezziar.Codice, prezziar.Descrizione, "
                          "prezziar.PartenzaCitta, prezziar.FineCitta, "
                          "prezziar.Prezzo, prezziar.PrezzoCompleto, prezziar.Cliente, prezziar.Chilometri, "
                          "prezziar.Reparto, "
                          "prezziar.Note, prezziar.Annullato FROM prezziar") +
           (conditions.isEmpty() ? QString() : QStringLiteral(" WHERE ") + conditions) +
           QStringLiteral(" ORDER BY prezziar.Descrizione");
}

QString tariffSelectionClause(const QList<qint64> &keys)
{
    QString clause;
    for (const qint64 key : keys) {
        clause += clause.isEmpty() ? QStringLiteral("where prezziar.id = %1").arg(key)
                                   : QStringLiteral(" or prezziar.id =%1").arg(key);
    }
    return clause;
}

RecordChecks tariffChecks()
{
    RecordChecks checks;
    checks.required(QStringLiteral("Iva_Id"), QStringLiteral("Attenzione manca l'IVA"))
        .required(QStringLiteral("Um_Id"), QStringLiteral("Attenzione manca l'unità di misura"))
        .required(QStringLiteral("Prezzo"), QStringLiteral("Attenzione manca il Valore unitario"))
        .required(QStringLiteral("Descrizione"), QStringLiteral("Attenzione manca la Descrizione"));
    return checks;
}

core::Result<qint64> addTariff(storage::Archive &archive, const QDate &today)
{
    core::Result<QSqlQuery> options =
        archive.select(QStringLiteral("SELECT AliquotaIva, Iva_Id FROM opzioni"));
    if (!options)
        return core::Result<qint64>::failure(options.error());
    QVariantMap values{{QStringLiteral("Annullato"), false}, {QStringLiteral("DataInserimento"), today}};
    if (options->next()) {
        values.insert(QStringLiteral("AliquotaIva"), options->value(0));
        values.insert(QStringLiteral("Iva_Id"), options->value(1));
    }
    return insertWithDefaults(archive, QStringLiteral("prezziar"), QStringLiteral("prezziar"), values);
}

core::Status saveTariff(storage::Archive &archive, qint64 key, QVariantMap values)
{
    if (values.contains(QStringLiteral("PrezzoFornitore")) &&
        !RecordChecks::hasValue(values.value(QStringLiteral("PrezzoFornitore"))))
        values.insert(QStringLiteral("PrezzoFornitore"), 0.0);
    storage::Transaction transaction(archive);
    if (!values.isEmpty()) {
        if (core::Status written = archive.update(QStringLiteral("prezziar"), key, values); !written)
            return written;
    }
    // A tariff without a cost costs nothing.
    if (core::Result<int> costed = archive.execute(
            QStringLiteral(
                "UPDATE prezziar SET PrezzoFornitore = 0 WHERE Id = ? AND PrezzoFornitore IS NULL"),
            {key});
        !costed)
        return core::Status::failure(costed.error());
    return transaction.commit();
}

core::Result<qint64> copyTariff(storage::Archive &archive, qint64 key, const QDate &today)
{
    using R = core::Result<qint64>;
    static const QStringList copied = {QStringLiteral("TempoOre"),
                                       QStringLiteral("TempoMinuti"),
                                       QStringLiteral("Percorso"),
                                       QStringLiteral("Chilometri"),
                                       QStringLiteral("PartenzaCitta"),
                                       QStringLiteral("FineCitta"),
                                       QStringLiteral("Cliente"),
                                       QStringLiteral("Um_Id"),
                                       QStringLiteral("Partenza_ID"),
                                       QStringLiteral("Fine_ID"),
                                       QStringLiteral("Partenza_Indirizzo"),
                                       QStringLiteral("Fine_Indirizzo"),
                                       QStringLiteral("Cliente_ID"),
                                       QStringLiteral("Note"),
                                       QStringLiteral("Codice"),
                                       QStringLiteral("Descrizione"),
                                       QStringLiteral("Reparto"),
                                       QStringLiteral("Iva_Id"),
                                       QStringLiteral("AliquotaIva"),
                                       QStringLiteral("Sconto"),
                                       QStringLiteral("Prezzo"),
                                       QStringLiteral("PrezzoCompleto"),
                                       QStringLiteral("PrezzoFornitore"),
                                       QStringLiteral("Annullato"),
                                       QStringLiteral("PrezzoImposto"),
                                       QStringLiteral("AltriDatiEconomici")};
    core::Result<QSqlQuery> row = archive.select(
        QStringLiteral("SELECT %1 FROM prezziar WHERE Id = ?").arg(copied.join(QStringLiteral(", "))), {key});
    if (!row)
        return R::failure(row.error());
    if (!row->next())
        return R::failure(QStringLiteral("La tariffa da copiare non esiste più."));
    QVariantMap values;
    const QSqlRecord record = row->record();
    for (int i = 0; i < record.count(); ++i)
        values.insert(copied.at(i), record.value(i));
    const QString description = values.value(QStringLiteral("Descrizione")).toString();
    if (description.size() < 92)
        values.insert(QStringLiteral("Descrizione"), QString(description + QStringLiteral("(COPIA)")));
    values.insert(QStringLiteral("DataInserimento"), today);
    return archive.insert(QStringLiteral("prezziar"), values);
}

namespace {

// The tariffs of the keys with what a new final price needs.
core::Result<QList<QSqlRecord>> tariffPrices(storage::Archive &archive, const QList<qint64> &keys)
{
    QList<QSqlRecord> rows;
    for (qsizetype from = 0; from < keys.size(); from += 500) {
        QStringList marks;
        QVariantList params;
        for (qsizetype i = from; i < std::min(from + 500, keys.size()); ++i) {
            marks.append(QStringLiteral("?"));
            params.append(keys.at(i));
        }
        core::Result<QSqlQuery> found = archive.select(
            QStringLiteral("SELECT Id, Prezzo, Sconto, AliquotaIva FROM prezziar WHERE Id IN (%1)")
                .arg(marks.join(u',')),
            params);
        if (!found)
            return core::Result<QList<QSqlRecord>>::failure(found.error());
        while (found->next())
            rows.append(found->record());
    }
    return rows;
}

} // namespace

core::Status changeTariffPrices(storage::Archive &archive, const QList<qint64> &keys, PriceChange change,
                                std::optional<double> percentage, std::optional<double> fixed)
{
    if (!percentage && !fixed)
        return core::Status::failure(change == PriceChange::Increase
                                         ? QStringLiteral("Inserisci un valore da aumentare")
                                         : QStringLiteral("Inserisci un valore da diminuire"));
    storage::Transaction transaction(archive);
    const core::Result<QList<QSqlRecord>> rows = tariffPrices(archive, keys);
    if (!rows)
        return core::Status::failure(rows.error());
    const double sign = change == PriceChange::Increase ? 1 : -1;
    for (const QSqlRecord &row : *rows) {
        const double price = row.value(QStringLiteral("Prezzo")).toDouble();
        const double changed = percentage ? price + sign * price * 0.01 * *percentage : price + sign * *fixed;
        const double final = tariffBulkFinalPrice(changed, row.value(QStringLiteral("Sconto")).toDouble(),
                                                  row.value(QStringLiteral("AliquotaIva")).toDouble());
        if (core::Status written = archive.update(
                QStringLiteral("prezziar"), row.value(QStringLiteral("Id")).toLongLong(),
                {{QStringLiteral("Prezzo"), changed}, {QStringLiteral("PrezzoCompleto"), final}});
            !written)
            return written;
    }
    return transaction.commit();
}

core::Status changeTariffVat(storage::Archive &archive, const QList<qint64> &keys, qint64 vat)
{
    const core::Result<QVariant> rate =
        archive.scalar(QStringLiteral("SELECT Iva FROM Iva WHERE ID = ?"), {vat});
    if (!rate)
        return core::Status::failure(rate.error());
    if (rate->isNull())
        return core::Status::failure(QStringLiteral("Inserisci l'Aliquota Iva da cambiare"));
    storage::Transaction transaction(archive);
    const core::Result<QList<QSqlRecord>> rows = tariffPrices(archive, keys);
    if (!rows)
        return core::Status::failure(rows.error());
    for (const QSqlRecord &row : *rows) {
        const double final =
            tariffBulkFinalPrice(row.value(QStringLiteral("Prezzo")).toDouble(),
                                 row.value(QStringLiteral("Sconto")).toDouble(), rate->toDouble());
        if (core::Status written =
                archive.update(QStringLiteral("prezziar"), row.value(QStringLiteral("Id")).toLongLong(),
                               {{QStringLiteral("AliquotaIva"), rate->toDouble()},
                                {QStringLiteral("Iva_Id"), vat},
                                {QStringLiteral("PrezzoCompleto"), final}});
            !written)
            return written;
    }
    return transaction.commit();
}

core::Result<int> addressesInTown(storage::Archive &archive, qint64 town)
{
    const core::Result<QVariant> count =
        archive.scalar(QStringLiteral("SELECT COUNT(*) FROM Indirizzi WHERE Comune_ID = ?"), {town});
    if (!count)
        return core::Result<int>::failure(count.error());
    return count->toInt();
}

core::Result<int> changeAllTariffsVat(storage::Archive &archive, const QVariant &vatId, double rate)
{
    using R = core::Result<int>;
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return R::failure(transaction.error());
    core::Result<QSqlQuery> tariffs =
        archive.select(QStringLiteral("SELECT Id, Prezzo, Sconto FROM prezziar WHERE Annullato IS NULL OR "
                                      "Annullato = ? ORDER BY Id"),
                       {false});
    if (!tariffs)
        return R::failure(tariffs.error());
    QList<std::pair<qint64, double>> prices;
    while (tariffs->next()) {
        const double full = core::calcolaPrezzoFinale(true, 1, tariffs->value(1).toDouble(), rate,
                                                      {tariffs->value(2).toDouble(), 0, 0, 0});
        prices.append({tariffs->value(0).toLongLong(), full});
    }
    for (const auto &[key, full] : prices) {
        const core::Status updated = archive.update(QStringLiteral("prezziar"), key,
                                                    {{QStringLiteral("AliquotaIva"), rate},
                                                     {QStringLiteral("Iva_Id"), vatId},
                                                     {QStringLiteral("PrezzoCompleto"), full}});
        if (!updated)
            return R::failure(updated.error());
    }
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return static_cast<int>(prices.size());
}

} // namespace rotalina::transport
