#include "invoicing/creditnotes.h"

#include "core/datetext.h"
#include "core/money.h"
#include "core/numbertext.h"
#include "invoicing/invoices.h"
#include "storage/archive.h"
#include "storage/schema.h"
#include "storage/sqlvalue.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace rotalina::invoicing {

using shell::RecordChecks;

namespace {

// The fields an invoice row hands to the credit note's row as they are.
const QStringList &copiedRowFields()
{
    static const QStringList fields{QStringLiteral("PercentualeProvvigione"),
                                    QStringLiteral("Um"),
                                    QStringLiteral("Targa1"),
                                    QStringLiteral("DataInizioPeriodo"),
                                    QStringLiteral("DataFinePeriodo"),
                                    QStringLiteral("RiferimentoAmministrazione"),
                                    QStringLiteral("Contrassegno"),
                                    QStringLiteral("PesoRiconosciuto"),
                                    QStringLiteral("TotaleImponibile"),
                                    QStringLiteral("ProvvigioneContrassegno"),
                                    QStringLiteral("Mittente_ID"),
                                    QStringLiteral("ValoreUnitario"),
                                    QStringLiteral("Sconto"),
                                    QStringLiteral("Chilometri"),
                                    QStringLiteral("ValoreTotale"),
                                    QStringLiteral("AliquotaIva"),
                                    QStringLiteral("Descrizione"),
                                    QStringLiteral("Articolo_ID"),
                                    QStringLiteral("Codice"),
                                    QStringLiteral("DDT_ID"),
                                    QStringLiteral("RIFDDT")};
    return fields;
}

QString missingInvoiceMessage()
{
    return QStringLiteral(
        "Attenzione la fattura di riferimento non è più in archivio: sceglierne un'altra con "
        "\"Trova Fattura\"");
}

} // namespace

RecordChecks creditNoteChecks()
{
    RecordChecks checks;
    checks.required(QStringLiteral("Data"), QStringLiteral("Attenzione manca la data"))
        .required(QStringLiteral("ModPagamento_Id"),
                  QStringLiteral("Attenzione manca la Modalità di pagamento"))
        .required(QStringLiteral("Num"), QStringLiteral("Attenzione manca il numero di nota credito"))
        .required(QStringLiteral("Cliente_ID"), QStringLiteral("Attenzione manca il Cliente"));
    return checks;
}

QString noCustomerForInvoiceMessage()
{
    return QStringLiteral("Attenzione E' necessario scegliere il Cliente prima di poter proseguire");
}

QString creditableInvoicesStatement()
{
    return QStringLiteral(
        "SELECT ID, Data, Num AS Numero, SerieFatturazione, TotFattura AS TotaleFattura, Agente_id FROM "
        "fattura "
        "WHERE COALESCE(FattNota, false) = false AND Carico = false AND Cliente_ID = ? ORDER BY Data, Num");
}

core::Result<QList<CreditableInvoice>> creditableInvoices(storage::Archive &archive, const QVariant &customer)
{
    using R = core::Result<QList<CreditableInvoice>>;
    QList<CreditableInvoice> invoices;
    if (!RecordChecks::hasValue(customer))
        return invoices;
    core::Result<QSqlQuery> read = archive.select(creditableInvoicesStatement(), {customer});
    if (!read)
        return R::failure(read.error());
    while (read->next()) {
        CreditableInvoice invoice;
        invoice.id = read->value(0).toLongLong();
        invoice.date = storage::sqlvalue::toDate(read->value(1));
        invoice.number = read->value(2).toInt();
        invoice.series = read->isNull(3) ? QString() : read->value(3).toString();
        invoice.total = read->value(4).toDouble();
        invoice.agent = read->isNull(5) ? QVariant() : read->value(5);
        invoices.append(invoice);
    }
    return invoices;
}

core::Status setCreditedInvoice(storage::Archive &archive, qint64 creditNote, qint64 invoice)
{
    const core::Result<QVariantMap> credited = archive.readRow(QStringLiteral("fattura"), invoice);
    if (!credited)
        return core::Status::failure(credited.error() == storage::Archive::missingRowMessage()
                                         ? missingInvoiceMessage()
                                         : credited.error());
    return archive.update(
        QStringLiteral("fattura"), creditNote,
        {{QStringLiteral("NCFattIDRif"), invoice},
         {QStringLiteral("NCFattNumRif"), credited->value(QStringLiteral("Num"))},
         {QStringLiteral("NCFattDataRif"), credited->value(QStringLiteral("Data"))},
         {QStringLiteral("NCFatSerieRif"), credited->value(QStringLiteral("SerieFatturazione"))},
         {QStringLiteral("Agente_id"), credited->value(QStringLiteral("Agente_id"))}});
}

core::Result<int> importCreditedRows(storage::Archive &archive, qint64 creditNote)
{
    using R = core::Result<int>;
    const core::Result<QVariantMap> note = archive.readRow(QStringLiteral("fattura"), creditNote);
    if (!note)
        return R::failure(note.error());
    const QVariant invoice = note->value(QStringLiteral("NCFattIDRif"));
    if (!RecordChecks::hasValue(invoice))
        return R::failure(QStringLiteral(
            "Attenzione E' necessario trovare e scegliere una fattura prima di poterne importare le righe"));
    const core::Result<QVariant> exists = archive.scalar(
        QStringLiteral("SELECT COUNT(*) FROM fattura WHERE ID = ? AND COALESCE(FattNota, false) = false"),
        {invoice});
    if (!exists)
        return R::failure(exists.error());
    if (exists->toInt() == 0)
        return R::failure(missingInvoiceMessage());

    core::Result<QSqlQuery> options =
        archive.select(QStringLiteral("SELECT conto_ID_Predefinito_su_NoteCreditoVendita_Generale, "
                                      "conto_ID_Predefinito_su_NoteCreditoVendita_SpeseTrasporto, "
                                      "conto_ID_Predefinito_su_NoteCreditoVendita_SpeseIncasso FROM opzioni "
                                      "ORDER BY ID LIMIT 1"));
    if (!options)
        return R::failure(options.error());
    QVariant generalAccount, transportAccount, collectionAccount;
    if (options->next()) {
        const auto key = [&](int column) {
            return options->isNull(column) ? QVariant() : options->value(column);
        };
        generalAccount = key(0);
        transportAccount = key(1);
        collectionAccount = key(2);
    }

    // Only the fields both row tables know are copied.
    const storage::TableDef *source = archive.schema().table(QStringLiteral("fattdett"));
    const storage::TableDef *target = archive.schema().table(QStringLiteral("NotaCreditoRighe"));
    QStringList fields;
    for (const QString &field : copiedRowFields())
        if (source->field(field) && target->field(field))
            fields.append(field);

    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return R::failure(transaction.error());
    if (core::Result<int> removed = archive.execute(
            QStringLiteral("DELETE FROM NotaCreditoRighe WHERE NotaCredito_ID = ? AND Fattura_ID = ?"),
            {creditNote, invoice});
        !removed)
        return R::failure(removed.error());
    const core::Result<QVariant> last = archive.scalar(
        QStringLiteral("SELECT MAX(NumeroRiga) FROM NotaCreditoRighe WHERE NotaCredito_ID = ?"),
        {creditNote});
    if (!last)
        return R::failure(last.error());
    int line = last->isNull() ? 0 : last->toInt();

    QStringList selected = fields;
    selected << QStringLiteral("Iva_ID") << QStringLiteral("TipoRiga");
    core::Result<QSqlQuery> rows =
        archive.select(QStringLiteral("SELECT %1 FROM fattdett WHERE NumFatt = ? ORDER BY NumeroRiga, IDX")
                           .arg(selected.join(QStringLiteral(", "))),
                       {invoice});
    if (!rows)
        return R::failure(rows.error());
    const QString origin = QStringLiteral(" Fattura numero: %1 Serie: %2 Data: %3")
                               .arg(note->value(QStringLiteral("NCFattNumRif")).toString(),
                                    note->value(QStringLiteral("NCFatSerieRif")).toString(),
                                    core::datetext::formatShortDate(storage::sqlvalue::toDate(
                                        note->value(QStringLiteral("NCFattDataRif")))));
    QList<QVariantMap> copies;
    while (rows->next()) {
        QVariantMap copy;
        for (int c = 0; c < fields.size(); ++c)
            copy.insert(fields.at(c), rows->isNull(c) ? QVariant() : rows->value(c));
        copy.insert(QStringLiteral("Iva_Id"),
                    rows->isNull(fields.size()) ? QVariant() : rows->value(fields.size()));
        const QString kind = rows->value(fields.size() + 1).toString();
        copy.insert(QStringLiteral("TipoRiga"),
                    kind == QLatin1String("D") || kind == QLatin1String("C") ? QStringLiteral("N") : kind);
        const QString upper = kind.toUpper();
        copy.insert(QStringLiteral("ContabilitaConti_ID"), upper == QLatin1String("S")   ? collectionAccount
                                                           : upper == QLatin1String("T") ? transportAccount
                                                                                         : generalAccount);
        copy.insert(QStringLiteral("NumeroRiga"), ++line);
        copy.insert(QStringLiteral("Fattura_ID"), invoice);
        copy.insert(QStringLiteral("NotaCredito_ID"), creditNote);
        copy.insert(QStringLiteral("Data"), note->value(QStringLiteral("Data")));
        copy.insert(QStringLiteral("Note"), origin);
        copies.append(copy);
    }
    for (const QVariantMap &copy : std::as_const(copies))
        if (core::Result<qint64> added = archive.insert(QStringLiteral("NotaCreditoRighe"), copy); !added)
            return R::failure(added.error());
    // The same totals rule as every other change of the rows.
    if (core::Status totals = recomputeTotals(archive, creditNote); !totals)
        return R::failure(totals.error());
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return int(copies.size());
}

QString importedMessage()
{
    return QStringLiteral("Importazione avvenuta con successo !");
}

core::Result<std::optional<QString>> overCreditWarning(storage::Archive &archive, qint64 creditNote)
{
    using R = core::Result<std::optional<QString>>;
    core::Result<QSqlQuery> read = archive.select(
        QStringLiteral(
            "SELECT nota.TotFattura, fattura.TotFattura, fattura.Num FROM fattura AS nota INNER JOIN "
            "fattura ON fattura.ID = nota.NCFattIDRif WHERE nota.ID = ?"),
        {creditNote});
    if (!read)
        return R::failure(read.error());
    if (!read->next())
        return std::optional<QString>{};
    const double credited = read->value(0).toDouble();
    const double invoiced = read->value(1).toDouble();
    if (core::arrotonda(credited) <= core::arrotonda(invoiced))
        return std::optional<QString>{};
    return std::optional<QString>(
        QStringLiteral("Attenzione la nota di credito (%1) supera il totale della fattura numero %2 (%3)")
            .arg(core::formatItalianNumber(credited), read->value(2).toString(),
                 core::formatItalianNumber(invoiced)));
}

} // namespace rotalina::invoicing
