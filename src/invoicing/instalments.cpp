#include "invoicing/instalments.h"

#include "core/datetext.h"
#include "core/duedates.h"
#include "core/money.h"
#include "invoicing/paymentterms.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"

#include <QSqlRecord>

namespace rotalina::invoicing {

namespace {

using shell::RecordChecks;
namespace sqlvalue = storage::sqlvalue;

// What the due dates read of their document.
struct DocumentHeader
{
    qint64 key = 0;
    QVariant number;
    QString series;
    QDate date;
    QDate entryDate; // of the cash-book entries
    QVariant party;
    QVariant bank;
    QVariant paymentMode;
    double taxable = 0;
    double total = 0;
    bool splitPayment = false;
};

core::Result<DocumentHeader> readHeader(storage::Archive &archive, qint64 document, const DueDateKind &kind)
{
    // Only the fields the due dates need: a document's header is wide.
    const core::Result<storage::Archive::Rows> read = archive.readRows(
        QStringLiteral(
            "SELECT %1 AS number, SerieFatturazione, Data, %2 AS entryDate, %3 AS party, Banca_ID, "
            "ModPagamento_Id, TotImponibile, TotFattura, ScissionePagamenti FROM fattura WHERE ID = ?")
            .arg(kind.numberField, kind.entryDateField, kind.headerParty),
        {document});
    if (!read)
        return core::Result<DocumentHeader>::failure(read.error());
    if (read->values.isEmpty())
        return core::Result<DocumentHeader>::failure(storage::Archive::missingRowMessage());
    const QVariantList row = read->values.first();
    DocumentHeader header;
    header.key = document;
    header.number = row.value(0);
    if (header.number.typeId() == QMetaType::QString)
        header.number = header.number.toString().trimmed();
    if (kind.withSeries)
        header.series = row.value(1).toString().trimmed();
    header.date = sqlvalue::toDate(row.value(2));
    header.entryDate = sqlvalue::toDate(row.value(3));
    if (!header.entryDate.isValid())
        header.entryDate = header.date;
    header.party = row.value(4);
    header.bank = row.value(5);
    header.paymentMode = row.value(6);
    header.taxable = row.value(7).toDouble();
    header.total = row.value(8).toDouble();
    header.splitPayment = row.value(9).toBool();
    return header;
}

// "1° Rata Fattura di vendita N° 12 A Data: 05/03/2024": the parts that are there, one space apart;
// the number follows its label ("N° ") or the text itself when that ends with it ("Emessa fattura n°").
QString describe(const QString &text, const DocumentHeader &header,
                 const QString &numberLabel = QStringLiteral("N° "))
{
    QStringList parts{text};
    if (RecordChecks::hasValue(header.number))
        parts.append(numberLabel + header.number.toString());
    if (!header.series.isEmpty())
        parts.append(header.series);
    if (header.date.isValid())
        parts.append(QStringLiteral("Data: ") + core::datetext::formatShortDate(header.date));
    return parts.join(u' ').trimmed();
}

QVariant keyOrNull(const QVariant &key)
{
    return RecordChecks::hasValue(key) && key.toLongLong() != 0 ? key : QVariant();
}

// The pattern of the immediate payments the mode made: they follow the document, unlike payments
// the user recorded.
QString immediatePattern(const DueDateKind &kind)
{
    return kind.immediate + u'%';
}

// Writes the entry of the cash book found by the statement, or a new one, and returns its key.
core::Result<qint64> upsertCashEntry(storage::Archive &archive, const QString &findSql,
                                     const QVariantList &find, const QVariantMap &values)
{
    const core::Result<QVariant> found = archive.scalar(findSql, find);
    if (!found)
        return core::Result<qint64>::failure(found.error());
    if (found->isValid() && !found->isNull()) {
        const qint64 key = found->toLongLong();
        if (core::Status written = archive.update(QStringLiteral("finanzia"), key, values); !written)
            return core::Result<qint64>::failure(written.error());
        return key;
    }
    return archive.insert(QStringLiteral("finanzia"), values);
}

// The cash-book entry of an instalment's payment, written over the one it had, and linked to it.
core::Status saveInstalmentEntry(storage::Archive &archive, qint64 instalment, const QVariantMap &entry)
{
    const core::Result<qint64> key = upsertCashEntry(
        archive, QStringLiteral("SELECT ID FROM finanzia WHERE FatturaScadenze_Id = ? ORDER BY ID LIMIT 1"),
        {instalment}, entry);
    if (!key)
        return core::Status::failure(key.error());
    return archive.update(QStringLiteral("FatturaScadenze"), instalment,
                          {{QStringLiteral("Finanzia_id"), *key}});
}

core::Status writeDocumentEntry(storage::Archive &archive, const DocumentHeader &header,
                                const DueDateKind &kind)
{
    const double amount = header.splitPayment ? header.taxable : header.total;
    QVariantMap entry{
        {QStringLiteral("Storico"), false},
        {QStringLiteral("Data"), header.entryDate.isValid() ? QVariant(header.entryDate) : QVariant()},
        {QStringLiteral("Operazione"), describe(kind.entry, header, {})},
        {QStringLiteral("Tipo"), kind.entryCode},
        {kind.party, keyOrNull(header.party)},
        {QStringLiteral("ModPagamento_Id"), keyOrNull(header.paymentMode)},
        {QStringLiteral("Banca_ID"), keyOrNull(header.bank)},
        {QStringLiteral("Corrispettivi"), false},
        {QStringLiteral("FatturaScadenze_Id"), QVariant()},
        {QStringLiteral("Fattura_ID"), header.key}};
    entry.insert(kind.receiptIsIncome ? QStringLiteral("Uscita") : QStringLiteral("Entrata"), amount);
    const core::Result<qint64> key = upsertCashEntry(
        archive,
        QStringLiteral("SELECT ID FROM finanzia WHERE Tipo = ? AND Fattura_ID = ? ORDER BY ID LIMIT 1"),
        {kind.entryCode, header.key}, entry);
    if (!key)
        return core::Status::failure(key.error());
    return archive.update(QStringLiteral("fattura"), header.key, {{QStringLiteral("Finanzia_id"), *key}});
}

core::Status writeReceipt(storage::Archive &archive, const DocumentHeader &header, const DueDateKind &kind,
                          qint64 instalment, const QString &operation, double amount)
{
    QVariantMap entry{
        {QStringLiteral("Storico"), false},
        {QStringLiteral("Data"), header.entryDate.isValid() ? QVariant(header.entryDate) : QVariant()},
        {QStringLiteral("Operazione"), operation},
        {QStringLiteral("Tipo"), kind.code},
        {kind.party, keyOrNull(header.party)},
        {QStringLiteral("ModPagamento_Id"), keyOrNull(header.paymentMode)},
        {QStringLiteral("Banca_ID"), keyOrNull(header.bank)},
        {QStringLiteral("Corrispettivi"), false},
        {QStringLiteral("FatturaScadenze_Id"), instalment},
        {QStringLiteral("Fattura_ID"), header.key}};
    entry.insert(kind.receiptIsIncome ? QStringLiteral("Entrata") : QStringLiteral("Uscita"), amount);
    return saveInstalmentEntry(archive, instalment, entry);
}

// Removes the due dates of the document (all, or all but those the user recorded as paid) and, with
// the mirror, the cash-book entries that are not receipts of the due dates that remain.
core::Status removeDueDates(storage::Archive &archive, qint64 document, PaidInstalments paid,
                            const DueDateKind &kind, bool mirror)
{
    core::Result<int> removed =
        paid == PaidInstalments::Delete
            ? archive.execute(QStringLiteral("DELETE FROM FatturaScadenze WHERE Fattura_ID = ?"), {document})
            : archive.execute(QStringLiteral("DELETE FROM FatturaScadenze WHERE Fattura_ID = ? AND "
                                             "(DataPagamento IS NULL OR Operazione LIKE ?)"),
                              {document, immediatePattern(kind)});
    if (!removed)
        return core::Status::failure(removed.error());
    if (!mirror)
        return {};
    removed = archive.execute(
        QStringLiteral("DELETE FROM finanzia WHERE Fattura_ID = ? AND (FatturaScadenze_Id IS NULL OR "
                       "FatturaScadenze_Id NOT IN (SELECT Id FROM FatturaScadenze WHERE Fattura_ID = ?))"),
        {document, document});
    if (!removed)
        return core::Status::failure(removed.error());
    return archive.update(QStringLiteral("fattura"), document, {{QStringLiteral("Finanzia_id"), QVariant()}});
}

struct ExistingInstalment
{
    qint64 key = 0;
    double amount = 0;
    bool paidByUser = false;
    bool paid = false;
    QDate due;
    int position = 0; // among the due dates the payment mode makes, from 1
};

core::Result<QList<ExistingInstalment>> existingInstalments(storage::Archive &archive, qint64 document,
                                                            const DueDateKind &kind)
{
    using R = core::Result<QList<ExistingInstalment>>;
    core::Result<QSqlQuery> read = archive.select(
        QStringLiteral("SELECT Id, Importo, DataPagamento, Operazione, DataScadenza FROM "
                       "FatturaScadenze WHERE Fattura_ID = ? ORDER BY DataScadenza, Numero, Id"),
        {document});
    if (!read)
        return R::failure(read.error());
    QList<ExistingInstalment> rows;
    while (read->next()) {
        ExistingInstalment row;
        row.key = read->value(0).toLongLong();
        row.amount = read->value(1).toDouble();
        row.paid = sqlvalue::toDate(read->value(2)).isValid();
        row.paidByUser = row.paid && !read->value(3).toString().startsWith(kind.immediate);
        row.due = sqlvalue::toDate(read->value(4));
        rows.append(row);
    }
    return rows;
}

core::Status generate(storage::Archive &archive, qint64 document, DueDateMode mode, PaidInstalments paid,
                      const DueDateKind &kind, const QDate &today)
{
    const core::Result<bool> mirror = mirrorsInCashBook(archive);
    if (!mirror)
        return core::Status::failure(mirror.error());
    const core::Result<DocumentHeader> header = readHeader(archive, document, kind);
    if (!header)
        return core::Status::failure(header.error());
    if (mode == DueDateMode::NewDates) {
        if (core::Status removed = removeDueDates(archive, document, paid, kind, *mirror); !removed)
            return removed;
    }
    const core::Result<std::optional<PaymentTerms>> terms = readPaymentTerms(archive, header->paymentMode);
    if (!terms)
        return core::Status::failure(terms.error());
    if (!terms->has_value())
        return {};
    const PaymentTerms &paymentTerms = **terms;
    if (*mirror) {
        if (core::Status entry = writeDocumentEntry(archive, *header, kind); !entry)
            return entry;
    }

    const core::Result<QList<ExistingInstalment>> existing = existingInstalments(archive, document, kind);
    if (!existing)
        return core::Status::failure(existing.error());
    const int passes = std::max(paymentTerms.instalments, 1);
    double stillDue = header->splitPayment ? header->taxable : header->total;
    QList<ExistingInstalment> walked; // keep-dates: the due dates that follow the totals
    int kept = 0;
    for (const ExistingInstalment &row : *existing) {
        if (mode == DueDateMode::NewDates) {
            ++kept; // only paid ones remain after the removal
            stillDue -= row.amount;
        } else if (kept + walked.size() < passes) {
            if (row.paidByUser) {
                ++kept;
                stillDue -= row.amount;
            } else {
                walked.append(row);
                walked.last().position = kept + int(walked.size());
            }
        }
    }
    stillDue = core::arrotonda(stillDue);
    const int toWrite = mode == DueDateMode::NewDates
                            ? (kept > 0 && stillDue == 0 ? 0 : passes - std::min(kept, passes - 1))
                            : int(walked.size());
    if (toWrite == 0)
        return {};
    const QList<double> amounts = core::splitInstalments(stillDue, toWrite);
    const QDate base = header->date.isValid() ? header->date : today;
    const bool immediate = paymentTerms.instalments == 0;
    for (int i = 0; i < toWrite; ++i) {
        const int pass = mode == DueDateMode::NewDates ? kept + i + 1 : walked.at(i).position;
        const QString operation =
            describe(immediate ? kind.immediate : QString::number(pass) + kind.instalment, *header);
        QVariantMap values{{QStringLiteral("Fattura_ID"), document},
                           {kind.party, keyOrNull(header->party)},
                           {QStringLiteral("Tipo"), kind.code},
                           {QStringLiteral("Importo"), amounts.at(i)},
                           {QStringLiteral("Operazione"), operation}};
        QDate due;
        qint64 key = 0;
        if (mode == DueDateMode::NewDates) {
            const int days = paymentTerms.days.at(std::min(pass, maximumInstalments) - 1);
            due = immediate ? base : core::dueDate(base, days, paymentTerms.rule);
            values.insert(QStringLiteral("DataScadenza"), due);
            values.insert(QStringLiteral("Banca_ID"), keyOrNull(header->bank));
            values.insert(QStringLiteral("Numero"), pass);
            values.insert(QStringLiteral("ModPagamento_Id"), keyOrNull(header->paymentMode));
        } else {
            key = walked.at(i).key;
            due = walked.at(i).due.isValid() ? walked.at(i).due : base;
        }
        values.insert(QStringLiteral("Pagato"), immediate);
        values.insert(QStringLiteral("DataPagamento"), immediate ? QVariant(due) : QVariant());
        if (mode == DueDateMode::NewDates) {
            const core::Result<qint64> added = archive.insert(QStringLiteral("FatturaScadenze"), values);
            if (!added)
                return core::Status::failure(added.error());
            key = *added;
        } else {
            if (core::Status written = archive.update(QStringLiteral("FatturaScadenze"), key, values);
                !written)
                return written;
        }
        if (!*mirror)
            continue;
        if (immediate) {
            if (core::Status receipt = writeReceipt(archive, *header, kind, key, operation, amounts.at(i));
                !receipt)
                return receipt;
        } else if (mode == DueDateMode::KeepDates && walked.at(i).paid) {
            // An immediate payment of a mode that has instalments now is open again.
            core::Result<int> gone =
                archive.execute(QStringLiteral("DELETE FROM finanzia WHERE FatturaScadenze_Id = ?"), {key});
            if (!gone)
                return core::Status::failure(gone.error());
        }
    }
    return {};
}

} // namespace

const DueDateKind &customerInvoiceDueDates()
{
    static const DueDateKind kind = [] {
        DueDateKind k;
        k.code = QStringLiteral("F");
        k.immediate = QStringLiteral("Pagamento Fattura di vendita");
        k.instalment = QStringLiteral("° Rata Fattura di vendita");
        k.entry = QStringLiteral("Emessa fattura n°");
        k.receiptIsIncome = true;
        k.entryCode = QStringLiteral("1");
        return k;
    }();
    return kind;
}

const DueDateKind &creditNoteDueDates()
{
    static const DueDateKind kind = [] {
        DueDateKind k = customerInvoiceDueDates();
        k.code = QStringLiteral("N");
        k.immediate = QStringLiteral("Pagamento Nota di credito");
        k.instalment = QStringLiteral("° Rata Nota di credito");
        k.entry = QStringLiteral("Emessa Nota di credito n°");
        k.receiptIsIncome = false;
        k.entryCode = QStringLiteral("2");
        return k;
    }();
    return kind;
}

const DueDateKind &purchaseInvoiceDueDates()
{
    static const DueDateKind kind = [] {
        DueDateKind k;
        k.code = QStringLiteral("C");
        k.immediate = QStringLiteral("Pagamento Fattura di acquisto");
        k.instalment = QStringLiteral("° Rata Fattura di acquisto");
        k.entry = QStringLiteral("Ricevuta fattura n°");
        k.receiptIsIncome = false;
        k.entryCode = QStringLiteral("3");
        k.headerParty = QStringLiteral("Fornitore_ID");
        k.party = QStringLiteral("Fornitore_id");
        k.numberField = QStringLiteral("NumeroCarico");
        k.withSeries = false;
        k.entryDateField = QStringLiteral("DataRegistrazione");
        return k;
    }();
    return kind;
}

const DueDateKind &supplierCreditNoteDueDates()
{
    static const DueDateKind kind = [] {
        DueDateKind k = purchaseInvoiceDueDates();
        k.code = QStringLiteral("B");
        k.immediate = QStringLiteral("Nota di credito da Fornitore");
        k.instalment = QStringLiteral("° Rata Nota di credito Fornitore");
        k.entry = QStringLiteral("Ricevuta Nota di credito n°");
        k.receiptIsIncome = true;
        k.entryCode = QStringLiteral("4");
        return k;
    }();
    return kind;
}

core::Result<const DueDateKind *> dueDateKindOf(storage::Archive &archive, qint64 document)
{
    const core::Result<storage::Archive::Rows> read =
        archive.readRows(QStringLiteral("SELECT FattNota, Carico FROM fattura WHERE ID = ?"), {document});
    if (!read)
        return core::Result<const DueDateKind *>::failure(read.error());
    const QVariantList row = read->values.value(0);
    const bool creditNote = row.value(0).toBool();
    if (row.value(1).toBool())
        return creditNote ? &supplierCreditNoteDueDates() : &purchaseInvoiceDueDates();
    return creditNote ? &creditNoteDueDates() : &customerInvoiceDueDates();
}

core::Result<bool> mirrorsInCashBook(storage::Archive &archive)
{
    const core::Result<QVariant> option = archive.scalar(
        QStringLiteral("SELECT DuplicaFatturazioneInPrimaNota FROM opzioni ORDER BY 1 LIMIT 1"));
    if (!option)
        return core::Result<bool>::failure(option.error());
    return option->toBool();
}

core::Status generateDueDates(storage::Archive &archive, qint64 document, DueDateMode mode,
                              PaidInstalments paid, const DueDateKind &kind, const QDate &today)
{
    if (document <= 0)
        return {};
    storage::Transaction transaction(archive);
    if (core::Status done = generate(archive, document, mode, paid, kind, today); !done)
        return done;
    return transaction.commit();
}

core::Status writeGivenDueDates(storage::Archive &archive, qint64 document,
                                const QList<GivenInstalment> &instalments, const DueDateKind &kind)
{
    const core::Result<bool> mirror = mirrorsInCashBook(archive);
    if (!mirror)
        return core::Status::failure(mirror.error());
    const core::Result<DocumentHeader> header = readHeader(archive, document, kind);
    if (!header)
        return core::Status::failure(header.error());
    if (*mirror) {
        if (core::Status entry = writeDocumentEntry(archive, *header, kind); !entry)
            return entry;
    }
    // Written together: the same fields for every instalment.
    const QStringList fields{QStringLiteral("Fattura_ID"),
                             kind.party,
                             QStringLiteral("Tipo"),
                             QStringLiteral("Numero"),
                             QStringLiteral("Importo"),
                             QStringLiteral("Operazione"),
                             QStringLiteral("DataScadenza"),
                             QStringLiteral("Banca_ID"),
                             QStringLiteral("ModPagamento_Id"),
                             QStringLiteral("Dettagli"),
                             QStringLiteral("Pagato"),
                             QStringLiteral("DataPagamento")};
    QList<QVariantList> rows;
    for (qsizetype i = 0; i < instalments.size(); ++i) {
        const GivenInstalment &given = instalments.at(i);
        const QString text =
            instalments.size() == 1 ? kind.immediate : QString::number(i + 1) + kind.instalment;
        rows.append({document, keyOrNull(header->party), kind.code, int(i + 1), given.amount,
                     describe(text, *header), given.due.isValid() ? QVariant(given.due) : QVariant(),
                     keyOrNull(header->bank), keyOrNull(given.paymentMode), given.details, false,
                     QVariant()});
    }
    if (rows.isEmpty())
        return {};
    return archive.insertRows(QStringLiteral("FatturaScadenze"), fields, rows);
}

core::Result<int> paidInstalmentCount(storage::Archive &archive, qint64 document, const DueDateKind &kind)
{
    const core::Result<QVariant> counted = archive.scalar(
        QStringLiteral(
            "SELECT COUNT(*) FROM FatturaScadenze WHERE Fattura_ID = ? AND DataPagamento IS NOT NULL "
            "AND (Operazione IS NULL OR Operazione NOT LIKE ?)"),
        {document, immediatePattern(kind)});
    if (!counted)
        return core::Result<int>::failure(counted.error());
    return counted->toInt();
}

core::Status clearDueDates(storage::Archive &archive, qint64 document, PaidInstalments paid,
                           const DueDateKind &kind)
{
    const core::Result<bool> mirror = mirrorsInCashBook(archive);
    if (!mirror)
        return core::Status::failure(mirror.error());
    storage::Transaction transaction(archive);
    if (core::Status removed = removeDueDates(archive, document, paid, kind, *mirror); !removed)
        return removed;
    return transaction.commit();
}

core::Status setDueDatesBank(storage::Archive &archive, qint64 document, const QVariant &bank)
{
    const core::Result<int> changed =
        archive.execute(QStringLiteral("UPDATE FatturaScadenze SET Banca_ID = ? WHERE Fattura_ID = ?"),
                        {keyOrNull(bank), document});
    return changed ? core::Status{} : core::Status::failure(changed.error());
}

core::Result<qint64> addInstalment(storage::Archive &archive, qint64 document, const QDate &today,
                                   const DueDateKind &kind)
{
    const core::Result<DocumentHeader> header = readHeader(archive, document, kind);
    if (!header)
        return core::Result<qint64>::failure(header.error());
    const core::Result<QVariant> count = archive.scalar(
        QStringLiteral("SELECT COUNT(*) FROM FatturaScadenze WHERE Fattura_ID = ?"), {document});
    if (!count)
        return core::Result<qint64>::failure(count.error());
    return archive.insert(QStringLiteral("FatturaScadenze"),
                          {{QStringLiteral("Numero"), count->toInt() + 1},
                           {QStringLiteral("Fattura_ID"), document},
                           {QStringLiteral("DataScadenza"), today},
                           {QStringLiteral("Tipo"), kind.code},
                           {QStringLiteral("Pagato"), false},
                           {QStringLiteral("ModPagamento_Id"), keyOrNull(header->paymentMode)},
                           {QStringLiteral("Banca_ID"), keyOrNull(header->bank)},
                           {kind.party, keyOrNull(header->party)},
                           {QStringLiteral("Importo"), 0.0}});
}

core::Status deleteInstalment(storage::Archive &archive, qint64 instalment)
{
    const core::Result<bool> mirror = mirrorsInCashBook(archive);
    if (!mirror)
        return core::Status::failure(mirror.error());
    storage::Transaction transaction(archive);
    if (*mirror) {
        const core::Result<int> gone = archive.execute(
            QStringLiteral("DELETE FROM finanzia WHERE FatturaScadenze_Id = ?"), {instalment});
        if (!gone)
            return core::Status::failure(gone.error());
    }
    if (core::Status removed = archive.remove(QStringLiteral("FatturaScadenze"), instalment); !removed)
        return removed;
    return transaction.commit();
}

RecordChecks instalmentChecks()
{
    RecordChecks checks;
    checks
        .required(QStringLiteral("DataScadenza"),
                  QStringLiteral("Attenzione manca la data della scadenza !!"))
        .required(QStringLiteral("Operazione"),
                  QStringLiteral("Attenzione manca la descrizione dell'operazione !!"))
        .add(QStringLiteral("Importo"), QStringLiteral("Attenzione manca l'importo !!"),
             [](const QVariantMap &values) {
                 const QVariant amount = values.value(QStringLiteral("Importo"));
                 return amount.isValid() && !amount.isNull() && !amount.toString().trimmed().isEmpty();
             })
        .required(QStringLiteral("Numero"),
                  QStringLiteral("Attenzione manca il numero cronologico di pagamento !!"))
        .required(QStringLiteral("ModPagamento_Id"),
                  QStringLiteral("Attenzione manca la modalità di pagamento !!"));
    return checks;
}

core::Status saveInstalment(storage::Archive &archive, qint64 instalment, const QVariantMap &changed)
{
    const core::Result<bool> mirror = mirrorsInCashBook(archive);
    if (!mirror)
        return core::Status::failure(mirror.error());
    storage::Transaction transaction(archive);
    if (core::Status written = archive.update(QStringLiteral("FatturaScadenze"), instalment, changed);
        !written)
        return written;
    const core::Result<QVariant> paidOn = archive.scalar(
        QStringLiteral("SELECT DataPagamento FROM FatturaScadenze WHERE Id = ?"), {instalment});
    if (!paidOn)
        return core::Status::failure(paidOn.error());
    const bool paid = sqlvalue::toDate(*paidOn).isValid();
    QVariantMap state{{QStringLiteral("Pagato"), paid}};
    if (!paid) {
        state.insert(QStringLiteral("DataPagamento"), QVariant());
        state.insert(QStringLiteral("Finanzia_id"), QVariant());
    }
    if (core::Status written = archive.update(QStringLiteral("FatturaScadenze"), instalment, state); !written)
        return written;
    if (*mirror) {
        if (paid) {
            if (core::Status entry = writePaymentEntry(archive, instalment); !entry)
                return entry;
        } else {
            const core::Result<int> gone = archive.execute(
                QStringLiteral("DELETE FROM finanzia WHERE FatturaScadenze_Id = ?"), {instalment});
            if (!gone)
                return core::Status::failure(gone.error());
        }
    }
    return transaction.commit();
}

core::Status writePaymentEntry(storage::Archive &archive, qint64 instalment)
{
    const core::Result<QVariantMap> row = archive.readRow(QStringLiteral("FatturaScadenze"), instalment);
    if (!row)
        return core::Status::failure(row.error());
    const QString kind = row->value(QStringLiteral("Tipo")).toString();
    const bool income = kind == QLatin1String("F") || kind == QLatin1String("B");
    const double amount = row->value(QStringLiteral("Importo")).toDouble();
    const QVariantMap entry{
        {QStringLiteral("Storico"), false},
        {QStringLiteral("Data"), row->value(QStringLiteral("DataPagamento"))},
        {QStringLiteral("Operazione"), row->value(QStringLiteral("Operazione"))},
        {QStringLiteral("Entrata"), income ? amount : 0.0},
        {QStringLiteral("Uscita"), income ? 0.0 : amount},
        {QStringLiteral("Tipo"), kind},
        {QStringLiteral("Cliente_id"), keyOrNull(row->value(QStringLiteral("Cliente_id")))},
        {QStringLiteral("Fornitore_id"), keyOrNull(row->value(QStringLiteral("Fornitore_id")))},
        {QStringLiteral("ModPagamento_Id"), keyOrNull(row->value(QStringLiteral("ModPagamento_Id")))},
        {QStringLiteral("Banca_ID"), keyOrNull(row->value(QStringLiteral("Banca_ID")))},
        {QStringLiteral("Corrispettivi"), false},
        {QStringLiteral("FatturaScadenze_Id"), instalment},
        {QStringLiteral("Fattura_ID"), keyOrNull(row->value(QStringLiteral("Fattura_ID")))}};
    return saveInstalmentEntry(archive, instalment, entry);
}

} // namespace rotalina::invoicing
