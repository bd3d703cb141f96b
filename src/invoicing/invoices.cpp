#include "invoicing/invoices.h"

#include "core/datetext.h"
#include "core/documenttotals.h"
#include "core/numbertext.h"
#include "invoicing/instalments.h"
#include "shell/storeddefaults.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"

#include <QSqlRecord>

namespace rotalina::invoicing {

namespace {

using shell::RecordChecks;
namespace sqlvalue = storage::sqlvalue;

core::Result<QSqlRecord> onlyRow(storage::Archive &archive, const QString &table)
{
    core::Result<QSqlQuery> read = archive.select(QStringLiteral("SELECT * FROM %1 LIMIT 1").arg(table));
    if (!read)
        return core::Result<QSqlRecord>::failure(read.error());
    if (!read->next())
        return QSqlRecord();
    return read->record();
}

QVariant keyOrNull(const QVariant &key)
{
    return RecordChecks::hasValue(key) && key.toLongLong() != 0 ? QVariant(key.toLongLong()) : QVariant();
}

} // namespace

core::Result<InvoicingSettings> readInvoicingSettings(storage::Archive &archive)
{
    using R = core::Result<InvoicingSettings>;
    const core::Result<QSqlRecord> options = onlyRow(archive, QStringLiteral("opzioni"));
    if (!options)
        return R::failure(options.error());
    const core::Result<QSqlRecord> company = onlyRow(archive, QStringLiteral("ditta"));
    if (!company)
        return R::failure(company.error());
    const auto option = [&options](const char *field) {
        return options->value(QLatin1String(field));
    };
    InvoicingSettings settings;
    settings.multipleSeries = company->value(QStringLiteral("FatturazioneMultipla")).toBool();
    settings.sharedCreditNoteNumbers = option("NumerazioneUnicaNoteCredito").toBool();
    settings.defaultBank = keyOrNull(option("Bank_ID"));
    settings.defaultPaymentMode = keyOrNull(option("ModPagamento_Id"));
    settings.rowNumbersIncrease = option("IncrementaNumeroRigaArticoli").toBool();
    settings.tariffsOfCustomerOnly = option("Inserimento_articoli_FiltraTuttiDocumenti_per_cliente").toBool();
    settings.routeInDescription = option("DescrizioneDocumentiTariffario").toBool();
    settings.generalAccount = keyOrNull(option("conto_ID_Predefinito_su_FattureVendita_Generale"));
    settings.transportAccount = keyOrNull(option("conto_ID_Predefinito_su_FattureVendita_SpeseTrasporto"));
    settings.collectionAccount = keyOrNull(option("conto_ID_Predefinito_su_FattureVendita_SpeseIncasso"));
    settings.transportCost = option("Spese_di_Trasporto").toDouble();
    settings.collectionCost = option("Spese_di_Incasso").toDouble();
    settings.vatRate = option("AliquotaIva").toDouble();
    settings.vatKey = keyOrNull(option("Iva_Id"));
    settings.checkLettersOfIntent = option("ControllaLettereIntentoDocumenti").toBool();
    return settings;
}

namespace {

// The documents that share a sequence with the given kind.
QString sameSequence(const InvoicingSettings &settings, CustomerDocument document)
{
    if (settings.sharedCreditNoteNumbers)
        return {};
    return document == CustomerDocument::CreditNote
               ? QStringLiteral(" AND COALESCE(FattNota, false) = true")
               : QStringLiteral(" AND COALESCE(FattNota, false) = false");
}

} // namespace

core::Result<int> nextInvoiceNumber(storage::Archive &archive, const InvoicingSettings &settings,
                                    const QString &series, CustomerDocument document)
{
    QString sql = QStringLiteral("SELECT Num FROM fattura WHERE Storico = false AND Carico = false AND "
                                 "COALESCE(NonNumerare, false) = false AND Num IS NOT NULL");
    QVariantList params;
    if (settings.multipleSeries && !series.trimmed().isEmpty()) {
        sql += QStringLiteral(" AND SerieFatturazione = ?");
        params.append(series.trimmed());
    }
    sql += sameSequence(settings, document);
    sql += QStringLiteral(" ORDER BY Num DESC LIMIT 1");
    const core::Result<QVariant> last = archive.scalar(sql, params);
    if (!last)
        return core::Result<int>::failure(last.error());
    return last->isValid() && !last->isNull() ? last->toInt() + 1 : 1;
}

core::Result<qint64> nextTransmissionNumber(storage::Archive &archive)
{
    core::Result<QSqlQuery> read = archive.select(
        QStringLiteral("SELECT MAX(DatiTrasmissione_NumeroInterno), MAX(%1) FROM fattura")
            .arg(archive.dialect().wholeNumberOf(QStringLiteral("DatiTrasmissione_ProgressivoInvio"))));
    if (!read)
        return core::Result<qint64>::failure(read.error());
    qint64 highest = 0;
    if (read->next())
        highest = std::max(read->value(0).toLongLong(), read->value(1).toLongLong());
    return highest + 1;
}

QString documentNumbering()
{
    return QStringLiteral("numerazione documenti");
}

core::Result<qint64> createInvoice(storage::Archive &archive, const NewInvoice &request)
{
    using R = core::Result<qint64>;
    const core::Result<InvoicingSettings> settings = readInvoicingSettings(archive);
    if (!settings)
        return R::failure(settings.error());
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return R::failure(transaction.error());
    if (core::Status locked = archive.lockSequence(documentNumbering()); !locked)
        return R::failure(locked.error());
    const bool creditNote = request.document == CustomerDocument::CreditNote;
    const core::Result<int> number = nextInvoiceNumber(archive, *settings, request.series, request.document);
    if (!number)
        return R::failure(number.error());
    const core::Result<qint64> transmission = nextTransmissionNumber(archive);
    if (!transmission)
        return R::failure(transmission.error());
    const QVariantMap values{{QStringLiteral("Data"), request.today},
                             {QStringLiteral("Banca_ID"), settings->defaultBank},
                             {QStringLiteral("ModPagamento_Id"), settings->defaultPaymentMode},
                             {QStringLiteral("DatiGenerali_Divisa"), QStringLiteral("EUR")},
                             {QStringLiteral("ConaiAssolto"), false},
                             {QStringLiteral("TotImponibile"), 0.0},
                             {QStringLiteral("TotImposta"), 0.0},
                             {QStringLiteral("TotFattura"), 0.0},
                             {QStringLiteral("TotColli"), 0.0},
                             {QStringLiteral("TotProvvigioneContrassegno"), 0.0}};
    QVariantMap fixed{{QStringLiteral("Storico"), false},
                      {QStringLiteral("Carico"), false},
                      {QStringLiteral("FattNota"), creditNote},
                      {QStringLiteral("NonNumerare"), false},
                      {QStringLiteral("EsportatoXml"), false},
                      {QStringLiteral("Num"), *number},
                      {QStringLiteral("DatiTrasmissione_NumeroInterno"), *transmission},
                      {QStringLiteral("DatiTrasmissione_ProgressivoInvio"), QString::number(*transmission)}};
    if (!request.series.trimmed().isEmpty())
        fixed.insert(QStringLiteral("SerieFatturazione"), request.series.trimmed());
    // A credit note takes the defaults the user stored for credit notes.
    const R key = shell::insertWithDefaults(
        archive, creditNote ? QStringLiteral("fatturaNotaCredito") : QStringLiteral("fattura"),
        QStringLiteral("fattura"), values, fixed);
    if (!key)
        return key;
    if (core::Status dates =
            generateDueDates(archive, *key, DueDateMode::NewDates, PaidInstalments::Keep,
                             creditNote ? creditNoteDueDates() : customerInvoiceDueDates(), request.today);
        !dates)
        return R::failure(dates.error());
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return key;
}

RecordChecks invoiceChecks()
{
    RecordChecks checks;
    checks.required(QStringLiteral("Data"), QStringLiteral("Attenzione manca la data"))
        .required(QStringLiteral("Num"), QStringLiteral("Attenzione manca il numero di fattura"))
        .required(QStringLiteral("Cliente_ID"), QStringLiteral("Attenzione manca il cliente della fattura"))
        .required(QStringLiteral("ModPagamento_Id"),
                  QStringLiteral("Attenzione manca la Modalità di pagamento"));
    return checks;
}

core::Result<QVariantMap> customerChoice(storage::Archive &archive, const QVariant &customer)
{
    using R = core::Result<QVariantMap>;
    if (!RecordChecks::hasValue(customer))
        return R(QVariantMap{{QStringLiteral("Cliente"), QVariant()},
                             {QStringLiteral("Cliente_ID"), QVariant()},
                             {QStringLiteral("DatiTrasmissione_FormatoTrasmissione"), QVariant()},
                             {QStringLiteral("ScissionePagamenti"), false}});
    core::Result<QSqlQuery> read = archive.select(
        QStringLiteral(
            "SELECT NominativoDocumenti, PubblicaAmministrazione, ScissionePagamenti, Pagamento_ID "
            "FROM Clienti WHERE Id = ?"),
        {customer.toLongLong()});
    if (!read)
        return R::failure(read.error());
    if (!read->next())
        return R::failure(QStringLiteral("Il cliente scelto non è più in archivio."));
    QVariantMap values{{QStringLiteral("Cliente"), read->value(0)},
                       {QStringLiteral("Cliente_ID"), customer.toLongLong()},
                       {QStringLiteral("DatiTrasmissione_FormatoTrasmissione"),
                        read->value(1).toBool() ? QStringLiteral("FPA12") : QStringLiteral("FPR12")},
                       {QStringLiteral("ScissionePagamenti"), read->value(2).toBool()}};
    if (const QVariant mode = keyOrNull(read->value(3)); mode.isValid())
        values.insert(QStringLiteral("ModPagamento_Id"), mode);
    return values;
}

core::Status recomputeTotals(storage::Archive &archive, qint64 invoice)
{
    const core::Result<const DueDateKind *> kind = dueDateKindOf(archive, invoice);
    if (!kind)
        return core::Status::failure(kind.error());
    const bool creditNote = *kind == &creditNoteDueDates();
    core::Result<QSqlQuery> read = archive.select(
        creditNote
            ? QStringLiteral("SELECT Um, ValoreUnitario, Sconto, AliquotaIva, Colli, ProvvigioneContrassegno "
                             "FROM NotaCreditoRighe WHERE NotaCredito_ID = ?")
            : QStringLiteral("SELECT Um, ValoreUnitario, Sconto, AliquotaIva, Colli, ProvvigioneContrassegno "
                             "FROM fattdett WHERE NumFatt = ?"),
        {invoice});
    if (!read)
        return core::Status::failure(read.error());
    QList<core::TotalsRow> rows;
    while (read->next()) {
        core::TotalsRow row;
        if (!read->isNull(0))
            row.quantity = read->value(0).toDouble();
        row.unitValue = read->value(1).toDouble();
        row.discount = read->value(2).toDouble();
        row.vatRate = read->value(3).toDouble();
        row.parcels = read->value(4).toDouble();
        row.commission = read->value(5).toDouble();
        rows.append(row);
    }
    const core::DocumentTotals totals = core::documentTotals(rows);
    storage::Transaction transaction(archive);
    if (core::Status written =
            archive.update(QStringLiteral("fattura"), invoice,
                           {{QStringLiteral("TotImponibile"), totals.taxable},
                            {QStringLiteral("TotImposta"), totals.vat},
                            {QStringLiteral("TotFattura"), totals.total},
                            {QStringLiteral("TotColli"), totals.parcels},
                            {QStringLiteral("TotProvvigioneContrassegno"), totals.commission}});
        !written)
        return written;
    if (core::Status dates =
            generateDueDates(archive, invoice, DueDateMode::KeepDates, PaidInstalments::Keep, **kind);
        !dates)
        return dates;
    return transaction.commit();
}

core::Status deleteInvoice(storage::Archive &archive, qint64 invoice)
{
    storage::Transaction transaction(archive);
    const QList<QString> statements{
        QStringLiteral("UPDATE TotaliCo SET Fatturato = false, Chiusa = false WHERE ID IN "
                       "(SELECT Conto_ID FROM FatturaContiRighe WHERE Fattura_ID = ?)"),
        QStringLiteral("DELETE FROM finanzia WHERE Fattura_ID = ?"),
        QStringLiteral("DELETE FROM FatturaScadenze WHERE Fattura_ID = ?"),
        QStringLiteral("DELETE FROM FatturaContiRighe WHERE Fattura_ID = ?"),
        QStringLiteral("DELETE FROM OrdiniClienti WHERE Fattura_ID = ?"),
        QStringLiteral("DELETE FROM Fattura_Allegati WHERE Fattura_Id = ?"),
        QStringLiteral("DELETE FROM fattdett WHERE NumFatt = ?"),
        QStringLiteral("DELETE FROM NotaCreditoRighe WHERE NotaCredito_ID = ?")};
    for (const QString &statement : statements) {
        if (core::Result<int> run = archive.execute(statement, {invoice}); !run)
            return core::Status::failure(run.error());
    }
    if (core::Status removed = archive.remove(QStringLiteral("fattura"), invoice); !removed)
        return removed;
    return transaction.commit();
}

core::Result<std::optional<QString>> dateOrderWarning(storage::Archive &archive,
                                                      const InvoicingSettings &settings, int number,
                                                      const QDate &date, const QString &series,
                                                      CustomerDocument document)
{
    using R = core::Result<std::optional<QString>>;
    if (number <= 0 || !date.isValid())
        return std::optional<QString>{};
    QString sql =
        QStringLiteral("SELECT Num, Data FROM fattura WHERE Data > ? AND Carico = false AND Num < ? "
                       "AND %1 = ?")
            .arg(archive.dialect().yearOf(QStringLiteral("Data")));
    QVariantList params{sqlvalue::date(QDate(2000, 1, 1)), number, date.year()};
    if (settings.multipleSeries && !series.trimmed().isEmpty()) {
        sql += QStringLiteral(" AND SerieFatturazione = ?");
        params.append(series.trimmed());
    }
    sql += sameSequence(settings, document);
    sql += QStringLiteral(" ORDER BY Num DESC LIMIT 1");
    core::Result<QSqlQuery> read = archive.select(sql, params);
    if (!read)
        return R::failure(read.error());
    if (!read->next() || sqlvalue::toDate(read->value(1)) <= date)
        return std::optional<QString>{};
    return std::optional<QString>(
        QStringLiteral("Attenzione la fattura precedente: la numero %1 presenta una "
                       "data maggiore di quella che si sta registrando ")
            .arg(read->value(0).toString()));
}

QString dateOrderWarningTitle()
{
    return QStringLiteral("Attenzione si sta registrando un documento in modo errato");
}

core::Result<bool> letterOfIntentApplies(storage::Archive &archive, qint64 invoice, const QVariant &customer,
                                         const QDate &date)
{
    const core::Result<InvoicingSettings> settings = readInvoicingSettings(archive);
    if (!settings)
        return core::Result<bool>::failure(settings.error());
    if (!settings->checkLettersOfIntent || !keyOrNull(customer).isValid() || !date.isValid())
        return false;
    const core::Result<QVariant> letter = archive.scalar(
        QStringLiteral("SELECT COUNT(*) FROM Clienti WHERE Id = ? AND LetteraIntento_DataFine >= ? AND "
                       "LetteraIntento_DataInizio <= ?"),
        {customer.toLongLong(), sqlvalue::date(date), sqlvalue::endOfDay(date)});
    if (!letter)
        return core::Result<bool>::failure(letter.error());
    if (letter->toInt() == 0)
        return false;
    const core::Result<QVariant> taxed = archive.scalar(
        QStringLiteral("SELECT COUNT(*) FROM fattdett WHERE NumFatt = ? AND AliquotaIva > 0"), {invoice});
    if (!taxed)
        return core::Result<bool>::failure(taxed.error());
    return taxed->toInt() > 0;
}

QString letterOfIntentWarning()
{
    return QStringLiteral(
        "Attenzione si sta emettendo un documento che ha un'iva maggiore di zero per un Cliente "
        "che ha la lettera di intento");
}

core::Result<QString> lastPriceMessage(storage::Archive &archive, const QVariant &customer, qint64 invoice,
                                       const QVariant &article)
{
    if (!keyOrNull(customer).isValid() || !keyOrNull(article).isValid())
        return QString();
    core::Result<QSqlQuery> read = archive.select(
        QStringLiteral(
            "SELECT fattdett.Sconto, fattdett.ValoreUnitario, fattura.Data, fattura.Num FROM fattdett "
            "INNER JOIN fattura ON fattdett.NumFatt = fattura.ID WHERE COALESCE(fattura.FattNota, false) "
            "= false AND fattura.Carico = false AND fattura.Cliente_ID = ? AND fattura.ID <> ? AND "
            "fattdett.Articolo_ID = ? ORDER BY fattura.Data DESC, fattura.ID DESC LIMIT 1"),
        {customer.toLongLong(), invoice, article.toLongLong()});
    if (!read)
        return core::Result<QString>::failure(read.error());
    if (!read->next())
        return QStringLiteral("Non sono presenti fatture per questo articolo e per questo Cliente!");
    return QStringLiteral("Ultima fattura: %1 Valore Unitario: %2 Sconto: %3")
        .arg(core::datetext::formatShortDate(sqlvalue::toDate(read->value(2))),
             core::formatItalianNumber(read->value(1).toDouble(), 4),
             core::formatItalianNumber(read->value(0).toDouble(), 2));
}

} // namespace rotalina::invoicing
