#include "purchases/purchases.h"

#include "core/datetext.h"
#include "core/money.h"
#include "invoicing/instalments.h"
#include "shell/storeddefaults.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"

namespace rotalina::purchases {

using shell::RecordChecks;
namespace sqlvalue = storage::sqlvalue;

namespace {

const QString headerTable = QStringLiteral("fattura");

QVariant keyOrNull(const QVariant &key)
{
    return RecordChecks::hasValue(key) && key.toLongLong() != 0 ? key : QVariant();
}

// The document's kind from its header, for the rows' and the due dates' tables.
core::Result<PurchaseDocument> documentKind(storage::Archive &archive, qint64 document)
{
    const core::Result<QVariant> creditNote =
        archive.scalar(QStringLiteral("SELECT FattNota FROM fattura WHERE ID = ?"), {document});
    if (!creditNote)
        return core::Result<PurchaseDocument>::failure(creditNote.error());
    return creditNote->toBool() ? PurchaseDocument::CreditNote : PurchaseDocument::Invoice;
}

// The totals of the rows, and the due dates that follow, inside the caller's transaction.
core::Status writeTotals(storage::Archive &archive, qint64 document)
{
    const core::Result<PurchaseDocument> kind = documentKind(archive, document);
    if (!kind)
        return core::Status::failure(kind.error());
    if (core::Status totals = writePurchaseTotals(archive, document, *kind); !totals)
        return totals;
    return invoicing::generateDueDates(archive, document, invoicing::DueDateMode::KeepDates,
                                       invoicing::PaidInstalments::Keep, dueDatesOf(*kind));
}

// The next line number of the document's rows.
core::Result<int> nextLine(storage::Archive &archive, const PurchaseRowTable &rows, qint64 document)
{
    const core::Result<QVariant> count = archive.scalar(
        QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ?").arg(rows.table, rows.owner), {document});
    if (!count)
        return core::Result<int>::failure(count.error());
    return count->toInt() + 1;
}

// A new row of the document with what every row starts with, then the totals, in one transaction.
core::Result<qint64> insertRow(storage::Archive &archive, qint64 document, const QDate &today,
                               QVariantMap values)
{
    using R = core::Result<qint64>;
    const core::Result<PurchaseDocument> kind = documentKind(archive, document);
    if (!kind)
        return R::failure(kind.error());
    const PurchaseRowTable &rows = rowTableOf(*kind);
    const core::Result<QVariantMap> header = archive.readRow(headerTable, document);
    if (!header)
        return R::failure(header.error());
    storage::Transaction transaction(archive);
    const core::Result<int> line = nextLine(archive, rows, document);
    if (!line)
        return R::failure(line.error());
    const QDate dated = sqlvalue::toDate(header->value(QStringLiteral("Data")));
    values.insert(QStringLiteral("NumeroRiga"), *line);
    values.insert(QStringLiteral("Data"), dated.isValid() ? dated : today);
    values.insert(rows.owner, document);
    values.insert(QStringLiteral("Storico"), false);
    if (*kind == PurchaseDocument::Invoice) {
        values.insert(QStringLiteral("Scarico"), false);
        // The row's cost belongs to the vehicle of the document.
        const QVariant vehicle = keyOrNull(header->value(QStringLiteral("Vettura_ID")));
        values.insert(QStringLiteral("Vettura_ID"), vehicle);
        if (vehicle.isValid()) {
            const core::Result<QVariant> plate =
                archive.scalar(QStringLiteral("SELECT Targa FROM Vetture WHERE ID = ?"), {vehicle});
            if (!plate)
                return R::failure(plate.error());
            values.insert(QStringLiteral("Targa1"), *plate);
        }
    }
    const R key = archive.insert(rows.table, values);
    if (!key)
        return key;
    if (core::Status totals = writeTotals(archive, document); !totals)
        return R::failure(totals.error());
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return key;
}

} // namespace

const PurchaseRowTable &rowTableOf(PurchaseDocument document)
{
    static const PurchaseRowTable invoice{QStringLiteral("Movimenti"), QStringLiteral("Fattura_ID"),
                                          QStringLiteral("Um"), QStringLiteral("PrezzoCompleto"),
                                          QStringLiteral("Iva_id")};
    static const PurchaseRowTable creditNote{QStringLiteral("NotaCreditoCaricoRighe"),
                                             QStringLiteral("NotaCredito_ID"), QStringLiteral("um"),
                                             QStringLiteral("ValoreTotale"), QStringLiteral("Iva_Id")};
    return document == PurchaseDocument::CreditNote ? creditNote : invoice;
}

const invoicing::DueDateKind &dueDatesOf(PurchaseDocument document)
{
    return document == PurchaseDocument::CreditNote ? invoicing::supplierCreditNoteDueDates()
                                                    : invoicing::purchaseInvoiceDueDates();
}

core::Status writePurchaseTotals(storage::Archive &archive, qint64 document, PurchaseDocument kind)
{
    const PurchaseRowTable &rows = rowTableOf(kind);
    const core::Result<storage::Archive::Rows> read = archive.readRows(
        QStringLiteral(
            "SELECT %1, ValoreUnitario, Sconto, Sconto2, Sconto3, Sconto4, AliquotaIva FROM %2 WHERE "
            "%3 = ? ORDER BY NumeroRiga, ID")
            .arg(rows.quantity, rows.table, rows.owner),
        {document});
    if (!read)
        return core::Status::failure(read.error());
    double net = 0;
    double tax = 0;
    for (const QVariantList &row : read->values) {
        const double rowNet = purchaseRowNet(row.value(0).toDouble(), row.value(1).toDouble(),
                                             {row.value(2).toDouble(), row.value(3).toDouble(),
                                              row.value(4).toDouble(), row.value(5).toDouble()});
        const double rate = row.value(6).toDouble();
        net += rowNet;
        if (rate >= 0)
            tax += rowNet * rate * 0.01;
    }
    const core::Result<QVariant> withholding =
        archive.scalar(QStringLiteral("SELECT RitenutaAcconto FROM fattura WHERE ID = ?"), {document});
    if (!withholding)
        return core::Status::failure(withholding.error());
    const double taxable = core::arrotonda(net);
    const double taxes = core::arrotonda(tax);
    if (core::Status written = archive.update(
            headerTable, document,
            {{QStringLiteral("TotImponibile"), taxable},
             {QStringLiteral("TotImposta"), taxes},
             {QStringLiteral("TotFattura"), core::arrotonda(taxable + taxes - withholding->toDouble())}});
        !written)
        return written;
    return {};
}

core::Result<PurchaseSettings> readPurchaseSettings(storage::Archive &archive, PurchaseDocument document)
{
    const QString accounts = document == PurchaseDocument::CreditNote ? QStringLiteral("NoteCreditoAcquisto")
                                                                      : QStringLiteral("FattureAcquisto");
    const core::Result<storage::Archive::Rows> read = archive.readRows(
        QStringLiteral(
            "SELECT NumerazioneUnicaNoteCredito, Bank_ID, Carico_ModPagamento_Id, AliquotaIva, Iva_ID, "
            "Spese_di_Trasporto, Spese_di_Incasso, conto_ID_Predefinito_su_%1_Generale, "
            "conto_ID_Predefinito_su_%1_SpeseTrasporto, conto_ID_Predefinito_su_%1_SpeseIncasso "
            "FROM opzioni ORDER BY ID LIMIT 1")
            .arg(accounts));
    if (!read)
        return core::Result<PurchaseSettings>::failure(read.error());
    const QVariantList row = read->values.value(0);
    PurchaseSettings settings;
    settings.sharedNumbering = row.value(0).toBool();
    settings.bank = keyOrNull(row.value(1));
    settings.paymentMode = keyOrNull(row.value(2));
    settings.vatRate = row.value(3).toDouble();
    settings.vatCode = keyOrNull(row.value(4));
    settings.transportCost = row.value(5).toDouble();
    settings.collectionCost = row.value(6).toDouble();
    settings.generalAccount = keyOrNull(row.value(7));
    settings.transportAccount = keyOrNull(row.value(8));
    settings.collectionAccount = keyOrNull(row.value(9));
    return settings;
}

core::Result<int> nextRegistrationProgressive(storage::Archive &archive, const PurchaseSettings &settings,
                                              PurchaseDocument document)
{
    QString sql =
        QStringLiteral("SELECT MAX(ProgressivoCarico) FROM fattura WHERE ProgressivoCarico IS NOT NULL "
                       "AND Storico = ? AND Carico = ?");
    QVariantList params{false, true};
    if (!settings.sharedNumbering) {
        sql += QStringLiteral(" AND COALESCE(FattNota, ?) = ?");
        params << false << (document == PurchaseDocument::CreditNote);
    }
    const core::Result<QVariant> highest = archive.scalar(sql, params);
    if (!highest)
        return core::Result<int>::failure(highest.error());
    return highest->toInt() + 1;
}

core::Result<qint64> createPurchase(storage::Archive &archive, const NewPurchase &request)
{
    using R = core::Result<qint64>;
    const core::Result<PurchaseSettings> settings = readPurchaseSettings(archive, request.document);
    if (!settings)
        return R::failure(settings.error());
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return R::failure(transaction.error());
    if (core::Status locked = archive.lockSequence(QStringLiteral("ProgressivoCarico")); !locked)
        return R::failure(locked.error());
    const core::Result<int> progressive = nextRegistrationProgressive(archive, *settings, request.document);
    if (!progressive)
        return R::failure(progressive.error());
    const bool creditNote = request.document == PurchaseDocument::CreditNote;
    const QVariantMap values{{QStringLiteral("Data"), request.today},
                             {QStringLiteral("DataRegistrazione"), request.today},
                             {QStringLiteral("Banca_ID"), settings->bank},
                             {QStringLiteral("ModPagamento_Id"), settings->paymentMode},
                             {QStringLiteral("ConaiAssolto"), false},
                             {QStringLiteral("TotImponibile"), 0.0},
                             {QStringLiteral("TotImposta"), 0.0},
                             {QStringLiteral("RitenutaAcconto"), 0.0},
                             {QStringLiteral("TotFattura"), 0.0}};
    const QVariantMap fixed{{QStringLiteral("ProgressivoCarico"), *progressive},
                            {QStringLiteral("Storico"), false},
                            {QStringLiteral("Carico"), true},
                            {QStringLiteral("FattNota"), creditNote}};
    const R key = shell::insertWithDefaults(
        archive, creditNote ? QStringLiteral("fatturaNotaCreditoFornitore") : QStringLiteral("fatturaCarico"),
        headerTable, values, fixed);
    if (!key)
        return key;
    if (core::Status dates = invoicing::generateDueDates(archive, *key, invoicing::DueDateMode::NewDates,
                                                         invoicing::PaidInstalments::Keep,
                                                         dueDatesOf(request.document), request.today);
        !dates)
        return R::failure(dates.error());
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return key;
}

RecordChecks purchaseChecks(PurchaseDocument document)
{
    RecordChecks checks;
    checks.required(QStringLiteral("Data"), QStringLiteral("Attenzione manca la data"));
    if (document == PurchaseDocument::CreditNote) {
        checks
            .required(QStringLiteral("DataRegistrazione"),
                      QStringLiteral("Attenzione manca la data di Registrazione"))
            .required(QStringLiteral("ProgressivoCarico"),
                      QStringLiteral("Attenzione manca il numero Progressivo"))
            .required(QStringLiteral("NumeroCarico"),
                      QStringLiteral("Attenzione manca il numero di Nota di Credito"));
    } else {
        checks
            .required(QStringLiteral("NumeroCarico"), QStringLiteral("Attenzione manca il numero di fattura"))
            .required(QStringLiteral("DataRegistrazione"),
                      QStringLiteral("Attenzione manca la data di registrazione"))
            .required(QStringLiteral("ProgressivoCarico"),
                      QStringLiteral("Attenzione manca il numero Progressivo"));
    }
    checks
        .required(QStringLiteral("Fornitore_ID"),
                  QStringLiteral("Attenzione manca il Fornitore della fattura"))
        .required(QStringLiteral("ModPagamento_Id"),
                  QStringLiteral("Attenzione manca la Modalità di pagamento"));
    return checks;
}

QString duplicateWarningTitle()
{
    return QStringLiteral("Attenzione si è inserito un numero progressivo già presente in archivio");
}

core::Result<std::optional<QString>> duplicateWarning(storage::Archive &archive, DuplicateCheck check,
                                                      qint64 document, const QVariantMap &values,
                                                      PurchaseDocument kind)
{
    using R = core::Result<std::optional<QString>>;
    const QVariant progressive = values.value(QStringLiteral("ProgressivoCarico"));
    const QString number = values.value(QStringLiteral("NumeroCarico")).toString().trimmed();
    const QDate registered = sqlvalue::toDate(values.value(QStringLiteral("DataRegistrazione")));
    const QDate dated = sqlvalue::toDate(values.value(QStringLiteral("Data")));
    const QVariant supplier = values.value(QStringLiteral("Fornitore_ID"));
    QString sql = QStringLiteral("SELECT COUNT(*) FROM fattura WHERE Carico = ? AND ID <> ?");
    QVariantList params{true, document};
    const auto inRegistrationYear = [&] {
        sql += QStringLiteral(" AND DataRegistrazione >= ? AND DataRegistrazione <= ?");
        params << sqlvalue::date(QDate(registered.year(), 1, 1))
               << sqlvalue::endOfDay(QDate(registered.year(), 12, 31));
    };
    QString text;
    switch (check) {
    case DuplicateCheck::Progressive:
        if (!RecordChecks::hasValue(progressive) || !registered.isValid())
            return std::optional<QString>{};
        sql += QStringLiteral(" AND ProgressivoCarico = ?");
        params << progressive.toInt();
        // Credit notes with a sequence of their own are compared with credit notes only.
        if (kind == PurchaseDocument::CreditNote) {
            const core::Result<PurchaseSettings> settings = readPurchaseSettings(archive, kind);
            if (!settings)
                return R::failure(settings.error());
            if (!settings->sharedNumbering) {
                sql += QStringLiteral(" AND FattNota = ?");
                params << true;
            }
        }
        inRegistrationYear();
        text =
            QStringLiteral("Attenzione il Numero Progressivo (Numero:%1) è già presente in altri %2 Record.")
                .arg(progressive.toInt());
        break;
    case DuplicateCheck::SupplierNumber:
        if (number.isEmpty() || !registered.isValid() || !RecordChecks::hasValue(supplier))
            return std::optional<QString>{};
        sql += QStringLiteral(" AND NumeroCarico = ? AND Fornitore_ID = ?");
        params << number << supplier.toLongLong();
        inRegistrationYear();
        text = QStringLiteral("Attenzione il (Numero:%1) è già presente in altri %2 Record.").arg(number);
        break;
    case DuplicateCheck::NumberAndDate:
        if (number.isEmpty() || !dated.isValid())
            return std::optional<QString>{};
        sql += QStringLiteral(" AND NumeroCarico = ? AND Data >= ? AND Data <= ?");
        params << number << sqlvalue::date(dated) << sqlvalue::endOfDay(dated);
        text =
            QStringLiteral("Attenzione la data ed il Numero di Fattura:%1 è già presente in altri %2 Record.")
                .arg(number);
        break;
    }
    const core::Result<QVariant> found = archive.scalar(sql, params);
    if (!found)
        return R::failure(found.error());
    if (found->toInt() == 0)
        return std::optional<QString>{};
    return std::optional<QString>{text.arg(found->toInt())};
}

double purchaseRowNet(double quantity, double unitValue, const Discounts &discounts)
{
    return core::calcolaImponibile(false, quantity, unitValue, discounts);
}

double purchaseRowGross(double net, double vatRate)
{
    return core::arrotonda(net * (1 + std::round(vatRate) * 0.01));
}

std::optional<double> purchaseUnitValue(double gross, double vatRate, const Discounts &discounts,
                                        double quantity)
{
    // A discount of 100 % leaves no price to go back from; the user is told rather than given 0.
    if (quantity != 0 && gross != 0 &&
        std::any_of(discounts.cbegin(), discounts.cend(), [](double discount) { return discount >= 100; }))
        return std::nullopt;
    return core::calcolaValoreUnitario(quantity, gross, std::round(vatRate), discounts);
}

QString noUnitValueMessage()
{
    return QStringLiteral(
        "Attenzione con uno sconto del 100% non si può calcolare il Valore Unitario dal prezzo finale");
}

core::Status recomputePurchaseTotals(storage::Archive &archive, qint64 document)
{
    storage::Transaction transaction(archive);
    if (core::Status totals = writeTotals(archive, document); !totals)
        return totals;
    return transaction.commit();
}

core::Result<qint64> addPurchaseRow(storage::Archive &archive, qint64 document, const QDate &today)
{
    const core::Result<PurchaseDocument> kind = documentKind(archive, document);
    if (!kind)
        return core::Result<qint64>::failure(kind.error());
    const core::Result<PurchaseSettings> settings = readPurchaseSettings(archive, *kind);
    if (!settings)
        return core::Result<qint64>::failure(settings.error());
    const PurchaseRowTable &rows = rowTableOf(*kind);
    const bool creditNote = *kind == PurchaseDocument::CreditNote;
    return insertRow(archive, document, today,
                     {{QStringLiteral("Descrizione"), creditNote ? QStringLiteral("Articolo da inserire")
                                                                 : QStringLiteral("Descrizione Articolo")},
                      {QStringLiteral("Codice"), QStringLiteral("Codice Art")},
                      {rows.quantity, 1.0},
                      {QStringLiteral("Sconto"), 0.0},
                      {QStringLiteral("ValoreUnitario"), 1.0},
                      {QStringLiteral("TotaleImponibile"), 1.0},
                      {QStringLiteral("AliquotaIva"), settings->vatRate},
                      {rows.vat, settings->vatCode},
                      {rows.gross, purchaseRowGross(1.0, settings->vatRate)},
                      {QStringLiteral("ContabilitaConti_ID"), settings->generalAccount}});
}

core::Result<qint64> addPurchaseCostRow(storage::Archive &archive, qint64 document, PurchaseCost cost,
                                        const QDate &today)
{
    const core::Result<PurchaseDocument> kind = documentKind(archive, document);
    if (!kind)
        return core::Result<qint64>::failure(kind.error());
    const core::Result<PurchaseSettings> settings = readPurchaseSettings(archive, *kind);
    if (!settings)
        return core::Result<qint64>::failure(settings.error());
    const PurchaseRowTable &rows = rowTableOf(*kind);
    const bool transport = cost == PurchaseCost::Transport;
    const double gross = transport ? settings->transportCost : settings->collectionCost;
    const double net = purchaseUnitValue(gross, settings->vatRate, {}, 1).value_or(0);
    return insertRow(
        archive, document, today,
        {{QStringLiteral("Descrizione"),
          transport ? QStringLiteral("Spese di Trasporto") : QStringLiteral("Spese di Incasso")},
         {QStringLiteral("Codice"), transport ? QStringLiteral("spsTrasp") : QStringLiteral("spsIncasso")},
         {rows.quantity, 1.0},
         {QStringLiteral("Sconto"), 0.0},
         {QStringLiteral("ValoreUnitario"), net},
         {QStringLiteral("TotaleImponibile"), net},
         {QStringLiteral("AliquotaIva"), settings->vatRate},
         {rows.vat, settings->vatCode},
         {rows.gross, gross},
         {QStringLiteral("ContabilitaConti_ID"),
          transport ? settings->transportAccount : settings->collectionAccount}});
}

RecordChecks purchaseRowChecks(PurchaseDocument document)
{
    const QString quantity = rowTableOf(document).quantity;
    RecordChecks checks;
    checks.add(quantity, QStringLiteral("Attenzione manca la quantità"),
               [quantity](const QVariantMap &values) {
                   const QVariant typed = values.value(quantity);
                   return RecordChecks::hasValue(typed) && typed.toDouble() != 0;
               });
    return checks;
}

core::Status savePurchaseRow(storage::Archive &archive, PurchaseDocument document, qint64 row,
                             const QVariantMap &changed)
{
    const PurchaseRowTable &rows = rowTableOf(document);
    const core::Result<QVariantMap> stored = archive.readRow(rows.table, row);
    if (!stored)
        return core::Status::failure(stored.error());
    QVariantMap values = *stored;
    for (auto it = changed.cbegin(); it != changed.cend(); ++it)
        values.insert(it.key(), it.value());
    const auto number = [&values](const QString &field) {
        return values.value(field).toDouble();
    };
    const double net = purchaseRowNet(number(rows.quantity), number(QStringLiteral("ValoreUnitario")),
                                      {number(QStringLiteral("Sconto")), number(QStringLiteral("Sconto2")),
                                       number(QStringLiteral("Sconto3")), number(QStringLiteral("Sconto4"))});
    QVariantMap written = changed;
    written.insert(QStringLiteral("TotaleImponibile"), net);
    written.insert(rows.gross, purchaseRowGross(net, number(QStringLiteral("AliquotaIva"))));
    storage::Transaction transaction(archive);
    if (core::Status saved = archive.update(rows.table, row, written); !saved)
        return saved;
    if (core::Status totals = writeTotals(archive, values.value(rows.owner).toLongLong()); !totals)
        return totals;
    return transaction.commit();
}

core::Status deletePurchaseRow(storage::Archive &archive, PurchaseDocument document, qint64 row)
{
    const PurchaseRowTable &rows = rowTableOf(document);
    const core::Result<QVariant> owner =
        archive.scalar(QStringLiteral("SELECT %1 FROM %2 WHERE ID = ?").arg(rows.owner, rows.table), {row});
    if (!owner)
        return core::Status::failure(owner.error());
    storage::Transaction transaction(archive);
    if (core::Status removed = archive.remove(rows.table, row); !removed)
        return removed;
    if (RecordChecks::hasValue(*owner)) {
        if (core::Status totals = writeTotals(archive, owner->toLongLong()); !totals)
            return totals;
    }
    return transaction.commit();
}

core::Result<QVariantMap> supplierChoice(storage::Archive &archive, const QVariant &supplier)
{
    QVariantMap values{{QStringLiteral("Fornitore"), QVariant()}};
    if (!RecordChecks::hasValue(supplier))
        return values;
    const core::Result<storage::Archive::Rows> read = archive.readRows(
        QStringLiteral("SELECT Fornitore, Pagamento_ID FROM Fornitor WHERE Id = ?"), {supplier.toLongLong()});
    if (!read)
        return core::Result<QVariantMap>::failure(read.error());
    const QVariantList row = read->values.value(0);
    values.insert(QStringLiteral("Fornitore"), row.value(0));
    if (const QVariant mode = keyOrNull(row.value(1)); mode.isValid())
        values.insert(QStringLiteral("ModPagamento_Id"), mode);
    return values;
}

core::Status savePurchaseHeader(storage::Archive &archive, qint64 document, const QVariantMap &changed)
{
    const core::Result<PurchaseDocument> kind = documentKind(archive, document);
    if (!kind)
        return core::Status::failure(kind.error());
    QVariantMap values = changed;
    values.insert(QStringLiteral("Carico"), true);
    values.insert(QStringLiteral("FattNota"), *kind == PurchaseDocument::CreditNote);
    storage::Transaction transaction(archive);
    if (changed.contains(QStringLiteral("Fornitore_ID")) && !changed.contains(QStringLiteral("Fornitore"))) {
        const core::Result<QVariantMap> supplier =
            supplierChoice(archive, changed.value(QStringLiteral("Fornitore_ID")));
        if (!supplier)
            return core::Status::failure(supplier.error());
        values.insert(QStringLiteral("Fornitore"), supplier->value(QStringLiteral("Fornitore")));
    }
    if (core::Status written = archive.update(headerTable, document, values); !written)
        return written;
    // The due dates follow the supplier, the payment mode and the supplier's date afresh (what the
    // user recorded as paid stays); the totals follow the withholding tax; the texts the number.
    static const QStringList afresh{QStringLiteral("Fornitore_ID"), QStringLiteral("ModPagamento_Id"),
                                    QStringLiteral("Data")};
    static const QStringList texts{QStringLiteral("NumeroCarico"), QStringLiteral("DataRegistrazione"),
                                   QStringLiteral("Banca_ID"), QStringLiteral("RitenutaAcconto")};
    const auto touches = [&changed](const QStringList &fields) {
        return std::any_of(fields.cbegin(), fields.cend(),
                           [&changed](const QString &f) { return changed.contains(f); });
    };
    if (touches(afresh)) {
        if (changed.contains(QStringLiteral("RitenutaAcconto"))) {
            if (core::Status totals = writeTotals(archive, document); !totals)
                return totals;
        }
        if (core::Status dates =
                invoicing::generateDueDates(archive, document, invoicing::DueDateMode::NewDates,
                                            invoicing::PaidInstalments::Keep, dueDatesOf(*kind));
            !dates)
            return dates;
    } else if (touches(texts)) {
        if (core::Status totals = writeTotals(archive, document); !totals)
            return totals;
    }
    return transaction.commit();
}

core::Status deletePurchase(storage::Archive &archive, qint64 document)
{
    storage::Transaction transaction(archive);
    const QStringList statements{
        QStringLiteral("DELETE FROM finanzia WHERE Fattura_ID = ?"),
        QStringLiteral("DELETE FROM FatturaScadenze WHERE Fattura_ID = ?"),
        QStringLiteral("DELETE FROM Movimenti WHERE Fattura_ID = ?"),
        QStringLiteral("DELETE FROM NotaCreditoCaricoRighe WHERE NotaCredito_ID = ?")};
    for (const QString &statement : statements) {
        if (core::Result<int> run = archive.execute(statement, {document}); !run)
            return core::Status::failure(run.error());
    }
    if (core::Status removed = archive.remove(headerTable, document); !removed)
        return removed;
    return transaction.commit();
}

QString creditablePurchasesStatement(bool ofOneSupplier)
{
    return QStringLiteral(
               "SELECT ID, DataRegistrazione, ProgressivoCarico, Data, NumeroCarico, Fornitore FROM fattura "
               "WHERE Carico = true AND COALESCE(FattNota, false) = false%1 ORDER BY DataRegistrazione DESC, "
               "ProgressivoCarico")
        .arg(ofOneSupplier ? QStringLiteral(" AND Fornitore_ID = ?") : QString());
}

QString noSupplierForInvoiceMessage()
{
    return QStringLiteral("Attenzione E' necessario scegliere il Fornitore prima di poter proseguire");
}

core::Status setCreditedPurchase(storage::Archive &archive, qint64 creditNote, qint64 invoice)
{
    const core::Result<QVariantMap> credited = archive.readRow(headerTable, invoice);
    if (!credited)
        return core::Status::failure(credited.error());
    return archive.update(
        headerTable, creditNote,
        {{QStringLiteral("NCFattIDRif"), invoice},
         {QStringLiteral("NCFattNumRifCarico"), credited->value(QStringLiteral("NumeroCarico"))},
         {QStringLiteral("NCFattDataRif"), credited->value(QStringLiteral("Data"))}});
}

core::Result<int> importCreditedPurchaseRows(storage::Archive &archive, qint64 creditNote)
{
    using R = core::Result<int>;
    // Imported rows are told from those typed by hand by their kind.
    const QString imported = QStringLiteral("I");
    const core::Result<QVariantMap> note = archive.readRow(headerTable, creditNote);
    if (!note)
        return R::failure(note.error());
    const QVariant invoice = note->value(QStringLiteral("NCFattIDRif"));
    if (!RecordChecks::hasValue(invoice))
        return R::failure(QStringLiteral(
            "Attenzione E' necessario trovare e scegliere una fattura prima di poterne importare le righe"));
    const core::Result<QVariant> exists =
        archive.scalar(QStringLiteral("SELECT COUNT(*) FROM fattura WHERE ID = ? AND Carico = true AND "
                                      "COALESCE(FattNota, false) = false"),
                       {invoice});
    if (!exists)
        return R::failure(exists.error());
    if (exists->toInt() == 0)
        return R::failure(
            QStringLiteral("Attenzione la fattura di acquisto di riferimento non è più in archivio: "
                           "sceglierne un'altra"));
    const core::Result<PurchaseSettings> settings =
        readPurchaseSettings(archive, PurchaseDocument::CreditNote);
    if (!settings)
        return R::failure(settings.error());
    const core::Result<storage::Archive::Rows> rows = archive.readRows(
        QStringLiteral(
            "SELECT Um, ValoreUnitario, Sconto, Sconto2, Sconto3, Sconto4, PrezzoCompleto, TotaleImponibile, "
            "AliquotaIva, Descrizione, Codice, Iva_id, Data FROM Movimenti WHERE Fattura_ID = ? ORDER BY "
            "NumeroRiga, ID"),
        {invoice});
    if (!rows)
        return R::failure(rows.error());
    const PurchaseRowTable &table = rowTableOf(PurchaseDocument::CreditNote);
    storage::Transaction transaction(archive);
    if (core::Result<int> gone = archive.execute(
            QStringLiteral("DELETE FROM NotaCreditoCaricoRighe WHERE NotaCredito_ID = ? AND TipoRiga = ?"),
            {creditNote, imported});
        !gone)
        return R::failure(gone.error());
    const core::Result<int> first = nextLine(archive, table, creditNote);
    if (!first)
        return R::failure(first.error());
    int line = *first;
    for (const QVariantList &row : rows->values) {
        const QVariantMap values{{QStringLiteral("NotaCredito_ID"), creditNote},
                                 {QStringLiteral("NumeroRiga"), line++},
                                 {table.quantity, row.value(0)},
                                 {QStringLiteral("ValoreUnitario"), row.value(1)},
                                 {QStringLiteral("Sconto"), row.value(2)},
                                 {QStringLiteral("Sconto2"), row.value(3)},
                                 {QStringLiteral("Sconto3"), row.value(4)},
                                 {QStringLiteral("Sconto4"), row.value(5)},
                                 {table.gross, row.value(6)},
                                 {QStringLiteral("TotaleImponibile"), row.value(7)},
                                 {QStringLiteral("AliquotaIva"), row.value(8)},
                                 {QStringLiteral("Descrizione"), row.value(9)},
                                 {QStringLiteral("Codice"), row.value(10)},
                                 {table.vat, keyOrNull(row.value(11))},
                                 {QStringLiteral("Data"), row.value(12)},
                                 {QStringLiteral("ContabilitaConti_ID"), settings->generalAccount},
                                 {QStringLiteral("TipoRiga"), imported},
                                 {QStringLiteral("Storico"), false}};
        if (const core::Result<qint64> added = archive.insert(table.table, values); !added)
            return R::failure(added.error());
    }
    const QDate dated = sqlvalue::toDate(note->value(QStringLiteral("NCFattDataRif")));
    if (core::Status named = archive.update(
            headerTable, creditNote,
            {{QStringLiteral("Note"), QStringLiteral(" Fattura numero: %1 Data: %2")
                                          .arg(note->value(QStringLiteral("NCFattNumRifCarico")).toString(),
                                               core::datetext::formatShortDate(dated))}});
        !named)
        return R::failure(named.error());
    if (core::Status totals = writeTotals(archive, creditNote); !totals)
        return R::failure(totals.error());
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return int(rows->values.size());
}

} // namespace rotalina::purchases
