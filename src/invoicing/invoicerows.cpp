#include "invoicing/invoicerows.h"

#include "core/money.h"
#include "invoicing/invoices.h"
#include "storage/archive.h"
#include "storage/schema.h"
#include "storage/sqlvalue.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <functional>

namespace rotalina::invoicing {

namespace {

using shell::RecordChecks;
namespace sqlvalue = storage::sqlvalue;

bool isEmpty(const QVariant &value)
{
    return !value.isValid() || value.isNull() || value.toString().trimmed().isEmpty();
}

// Where the rows of a customer document are kept: invoices and credit notes have tables of their own.
struct RowTable
{
    QString table;
    QString key;
    QString owner;
};

const RowTable &invoiceRows()
{
    static const RowTable rows{QStringLiteral("fattdett"), QStringLiteral("IDX"), QStringLiteral("NumFatt")};
    return rows;
}

const RowTable &creditNoteRows()
{
    static const RowTable rows{QStringLiteral("NotaCreditoRighe"), QStringLiteral("ID"),
                               QStringLiteral("NotaCredito_ID")};
    return rows;
}

// What a new row reads of its invoice.
struct RowContext
{
    InvoicingSettings settings;
    const RowTable *rows = &invoiceRows();
    qint64 invoice = 0;
    QVariant customer;
    QDate date;            // the invoice's date, today when it has none
    double agentShare = 0; // the agent's commission in percent
    int nextRowNumber = 1;
};

core::Result<RowContext> readContext(storage::Archive &archive, qint64 invoice, const QDate &today)
{
    using R = core::Result<RowContext>;
    RowContext context;
    const core::Result<InvoicingSettings> settings = readInvoicingSettings(archive);
    if (!settings)
        return R::failure(settings.error());
    context.settings = *settings;
    context.invoice = invoice;
    const core::Result<QVariantMap> header = archive.readRow(QStringLiteral("fattura"), invoice);
    if (!header)
        return R::failure(header.error());
    // A credit note's rows go to the credit-note accounts.
    if (header->value(QStringLiteral("FattNota")).toBool()) {
        context.rows = &creditNoteRows();
        core::Result<QSqlQuery> accounts = archive.select(
            QStringLiteral("SELECT conto_ID_Predefinito_su_NoteCreditoVendita_Generale, "
                           "conto_ID_Predefinito_su_NoteCreditoVendita_SpeseTrasporto, "
                           "conto_ID_Predefinito_su_NoteCreditoVendita_SpeseIncasso FROM opzioni "
                           "ORDER BY ID LIMIT 1"));
        if (!accounts)
            return R::failure(accounts.error());
        const bool found = accounts->next();
        const auto account = [&](int column) {
            return found && !accounts->isNull(column) ? accounts->value(column) : QVariant();
        };
        context.settings.generalAccount = account(0);
        context.settings.transportAccount = account(1);
        context.settings.collectionAccount = account(2);
    }
    context.customer = header->value(QStringLiteral("Cliente_ID"));
    if (!RecordChecks::hasValue(context.customer))
        context.customer = QVariant();
    context.date = sqlvalue::toDate(header->value(QStringLiteral("Data")));
    if (!context.date.isValid())
        context.date = today;
    const QVariant agent = header->value(QStringLiteral("Agente_id"));
    if (RecordChecks::hasValue(agent)) {
        const core::Result<QVariant> share = archive.scalar(
            QStringLiteral("SELECT PercentualeProvvigioni FROM Fornitor WHERE ID = ?"), {agent.toLongLong()});
        if (!share)
            return R::failure(share.error());
        context.agentShare = share->toDouble();
    }
    if (context.settings.rowNumbersIncrease) {
        const core::Result<QVariant> rows =
            archive.scalar(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ?")
                               .arg(context.rows->table, context.rows->owner),
                           {invoice});
        if (!rows)
            return R::failure(rows.error());
        context.nextRowNumber = rows->toInt() + 1;
    }
    return context;
}

QVariantMap newRowValues(RowContext &context)
{
    QVariantMap row{{context.rows->owner, context.invoice},
                    {QStringLiteral("NumeroRiga"), context.nextRowNumber},
                    {QStringLiteral("ProvvigioneContrassegno"), 0.0},
                    {QStringLiteral("Contrassegno"), 0.0},
                    {QStringLiteral("Data"), context.date},
                    {QStringLiteral("Storico"), false},
                    {QStringLiteral("Um"), 1.0}};
    if (context.settings.rowNumbersIncrease)
        ++context.nextRowNumber;
    return row;
}

// A credit note's row has no region, department, unit or period of its own, and keeps only the
// fields its table has.
core::Result<qint64> insertRow(storage::Archive &archive, const RowContext &context, QVariantMap values)
{
    if (context.rows == &creditNoteRows()) {
        const storage::TableDef *table = archive.schema().table(context.rows->table);
        for (const QString &field : values.keys())
            if (!table->field(field) ||
                QStringList{QStringLiteral("Regione_ID"), QStringLiteral("DataInizioPeriodo"),
                            QStringLiteral("Reparto"), QStringLiteral("Um_ID")}
                    .contains(field, Qt::CaseInsensitive))
                values.remove(field);
        if (values.value(QStringLiteral("TipoRiga")).toString() == QLatin1String("A"))
            values.remove(QStringLiteral("Chilometri"));
    }
    return archive.insert(context.rows->table, values);
}

// One new row the user completes in the row editor: written with the invoice's totals and due
// dates in one transaction.
core::Result<qint64> addOneRow(storage::Archive &archive, qint64 invoice, const QDate &today,
                               const std::function<void(QVariantMap &row, const RowContext &context)> &fill)
{
    using R = core::Result<qint64>;
    storage::Transaction transaction(archive);
    core::Result<RowContext> context = readContext(archive, invoice, today);
    if (!context)
        return R::failure(context.error());
    QVariantMap row = newRowValues(*context);
    fill(row, *context);
    const R key = insertRow(archive, *context, row);
    if (!key)
        return key;
    if (core::Status totals = recomputeTotals(archive, invoice); !totals)
        return R::failure(totals.error());
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return key;
}

} // namespace

double rowNet(double quantity, double unitValue, double discount)
{
    return core::calcolaImponibile(false, quantity, unitValue, {discount, 0, 0, 0});
}

double rowGross(double quantity, double unitValue, double vatRate, double discount)
{
    return core::calcolaPrezzoFinale(true, quantity, unitValue, vatRate, {discount, 0, 0, 0});
}

std::optional<double> unitValueFromGross(double quantity, double gross, double vatRate, double discount)
{
    if (discount >= 100 || quantity == 0)
        return std::nullopt;
    return core::calcolaValoreUnitario(quantity, gross, vatRate, {discount, 0, 0, 0});
}

core::Result<QList<qint64>> addTariffRows(storage::Archive &archive, qint64 invoice,
                                          const QList<qint64> &tariffs, const QDate &today)
{
    using R = core::Result<QList<qint64>>;
    storage::Transaction transaction(archive);
    core::Result<RowContext> context = readContext(archive, invoice, today);
    if (!context)
        return R::failure(context.error());
    std::optional<double> customerDiscount;
    if (context->customer.isValid()) {
        const core::Result<QVariant> discount = archive.scalar(
            QStringLiteral("SELECT Sconto FROM Clienti WHERE Id = ?"), {context->customer.toLongLong()});
        if (!discount)
            return R::failure(discount.error());
        customerDiscount = discount->toDouble();
    }
    QList<qint64> added;
    for (const qint64 tariff : tariffs) {
        core::Result<QSqlQuery> read = archive.select(
            QStringLiteral(
                "SELECT prezziar.*, Comuni.Comune AS RotalinaPartenza, Comuni_1.Comune AS RotalinaArrivo, "
                "Comuni_1.Regione_ID AS RotalinaRegione FROM prezziar "
                "LEFT JOIN Comuni ON prezziar.Partenza_ID = Comuni.ID "
                "LEFT JOIN Comuni AS Comuni_1 ON prezziar.Fine_ID = Comuni_1.ID WHERE prezziar.Id = ?"),
            {tariff});
        if (!read)
            return R::failure(read.error());
        if (!read->next())
            continue; // deleted meanwhile by another workstation
        const QSqlRecord found = read->record();
        const auto value = [&found](const char *field) {
            return found.value(QLatin1String(field));
        };
        QVariantMap row = newRowValues(*context);
        row.insert(QStringLiteral("PercentualeProvvigione"), context->agentShare);
        row.insert(QStringLiteral("DataInizioPeriodo"), context->date);
        QString description = value("Descrizione").toString();
        if (context->settings.routeInDescription) {
            if (!isEmpty(value("RotalinaPartenza")))
                description += QStringLiteral(" Da:") + value("RotalinaPartenza").toString();
            if (!isEmpty(value("RotalinaArrivo")))
                description += QStringLiteral(" A:") + value("RotalinaArrivo").toString();
        }
        row.insert(QStringLiteral("Descrizione"), description);
        row.insert(QStringLiteral("ContabilitaConti_ID"), context->settings.generalAccount);
        row.insert(QStringLiteral("Articolo_ID"), tariff);
        row.insert(QStringLiteral("TipoRiga"), QStringLiteral("N"));
        const std::initializer_list<std::pair<const char *, const char *>> copied{
            {"Regione_ID", "RotalinaRegione"},
            {"Codice", "Codice"},
            {"ValoreUnitario", "Prezzo"},
            {"AliquotaIva", "AliquotaIva"},
            {"Iva_ID", "Iva_Id"},
            {"Reparto", "Reparto"},
            {"Chilometri", "Chilometri"},
            {"Partenza_ID", "Partenza_ID"},
            {"Fine_ID", "Fine_ID"},
            {"Partenza_Indirizzo", "Partenza_Indirizzo"},
            {"Fine_Indirizzo", "Fine_Indirizzo"},
            {"Um_ID", "Um_Id"}};
        for (const auto &[target, source] : copied) {
            if (!isEmpty(value(source)))
                row.insert(QLatin1String(target), value(source));
        }
        double discount = value("Sconto").toDouble();
        if (customerDiscount && !value("PrezzoImposto").toBool())
            discount = *customerDiscount;
        row.insert(QStringLiteral("Sconto"), discount);
        const double unit = value("Prezzo").toDouble();
        row.insert(QStringLiteral("TotaleImponibile"), rowNet(1, unit, discount));
        row.insert(QStringLiteral("ValoreTotale"),
                   rowGross(1, unit, value("AliquotaIva").toDouble(), discount));
        const core::Result<qint64> key = insertRow(archive, *context, row);
        if (!key)
            return R::failure(key.error());
        added.append(*key);
    }
    if (core::Status totals = recomputeTotals(archive, invoice); !totals)
        return R::failure(totals.error());
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return added;
}

core::Result<qint64> addCostRow(storage::Archive &archive, qint64 invoice, CostRow cost, const QDate &today)
{
    return addOneRow(archive, invoice, today, [cost](QVariantMap &row, const RowContext &context) {
        const InvoicingSettings &settings = context.settings;
        const bool transport = cost == CostRow::Transport;
        const double gross = transport ? settings.transportCost : settings.collectionCost;
        const double unit = unitValueFromGross(1, gross, settings.vatRate, 0).value_or(0);
        row.insert(QStringLiteral("Descrizione"),
                   transport ? QStringLiteral("Spese di Trasporto") : QStringLiteral("Spese di Incasso"));
        row.insert(QStringLiteral("ValoreUnitario"), unit);
        row.insert(QStringLiteral("TotaleImponibile"), unit);
        row.insert(QStringLiteral("Sconto"), 0.0);
        row.insert(QStringLiteral("AliquotaIva"), settings.vatRate);
        row.insert(QStringLiteral("Iva_ID"), settings.vatKey);
        row.insert(QStringLiteral("ContabilitaConti_ID"),
                   transport ? settings.transportAccount : settings.collectionAccount);
        row.insert(QStringLiteral("TipoRiga"), transport ? QStringLiteral("T") : QStringLiteral("S"));
        row.insert(QStringLiteral("ValoreTotale"), gross);
        if (transport)
            row.insert(QStringLiteral("DataInizioPeriodo"), context.date);
    });
}

core::Result<qint64> addFreeArticle(storage::Archive &archive, qint64 invoice, const QDate &today)
{
    return addOneRow(archive, invoice, today, [](QVariantMap &row, const RowContext &context) {
        const InvoicingSettings &settings = context.settings;
        row.insert(QStringLiteral("PercentualeProvvigione"), context.agentShare);
        row.insert(QStringLiteral("ContabilitaConti_ID"), settings.generalAccount);
        row.insert(QStringLiteral("Descrizione"), QStringLiteral("Articolo da inserire"));
        row.insert(QStringLiteral("ValoreUnitario"), 1.0);
        row.insert(QStringLiteral("TotaleImponibile"), 1.0);
        row.insert(QStringLiteral("Chilometri"), 0.0);
        row.insert(QStringLiteral("Sconto"), 0.0);
        row.insert(QStringLiteral("AliquotaIva"), settings.vatRate);
        row.insert(QStringLiteral("Iva_ID"), settings.vatKey);
        row.insert(QStringLiteral("TipoRiga"), QStringLiteral("A"));
        row.insert(QStringLiteral("ValoreTotale"), rowGross(1, 1, settings.vatRate, 0));
    });
}

RecordChecks invoiceRowChecks()
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
        .add(QStringLiteral("Descrizione"), QStringLiteral("Attenzione manca la descrizione"),
             filled("Descrizione"));
    return checks;
}

namespace {

core::Status saveRow(storage::Archive &archive, const RowTable &rows, qint64 row, const QVariantMap &changed)
{
    storage::Transaction transaction(archive);
    if (core::Status written = archive.update(rows.table, row, changed); !written)
        return written;
    const core::Result<QVariantMap> stored = archive.readRow(rows.table, row);
    if (!stored)
        return core::Status::failure(stored.error());
    const double quantity = stored->value(QStringLiteral("Um")).toDouble();
    const double unit = stored->value(QStringLiteral("ValoreUnitario")).toDouble();
    const double discount = stored->value(QStringLiteral("Sconto")).toDouble();
    const double vat = stored->value(QStringLiteral("AliquotaIva")).toDouble();
    if (core::Status amounts =
            archive.update(rows.table, row,
                           {{QStringLiteral("TotaleImponibile"), rowNet(quantity, unit, discount)},
                            {QStringLiteral("ValoreTotale"), rowGross(quantity, unit, vat, discount)}});
        !amounts)
        return amounts;
    if (core::Status totals = recomputeTotals(archive, stored->value(rows.owner).toLongLong()); !totals)
        return totals;
    return transaction.commit();
}

core::Status deleteRow(storage::Archive &archive, const RowTable &rows, qint64 row)
{
    const core::Result<QVariant> owner = archive.scalar(
        QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?").arg(rows.owner, rows.table, rows.key), {row});
    if (!owner)
        return core::Status::failure(owner.error());
    if (!owner->isValid())
        return core::Status::failure(storage::Archive::missingRowMessage());
    storage::Transaction transaction(archive);
    if (core::Status removed = archive.remove(rows.table, row); !removed)
        return removed;
    if (core::Status totals = recomputeTotals(archive, owner->toLongLong()); !totals)
        return totals;
    return transaction.commit();
}

} // namespace

core::Status saveInvoiceRow(storage::Archive &archive, qint64 row, const QVariantMap &changed)
{
    return saveRow(archive, invoiceRows(), row, changed);
}

core::Status deleteInvoiceRow(storage::Archive &archive, qint64 row)
{
    return deleteRow(archive, invoiceRows(), row);
}

core::Status saveCreditNoteRow(storage::Archive &archive, qint64 row, const QVariantMap &changed)
{
    return saveRow(archive, creditNoteRows(), row, changed);
}

core::Status deleteCreditNoteRow(storage::Archive &archive, qint64 row)
{
    return deleteRow(archive, creditNoteRows(), row);
}

} // namespace rotalina::invoicing
