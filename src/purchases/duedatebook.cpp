#include "purchases/duedatebook.h"

#include "core/money.h"
#include "invoicing/instalments.h"
#include "shell/descriptorfields.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"
#include "storage/workstationrows.h"

#include <QColor>
#include <QSqlRecord>

namespace rotalina::purchases {

using shell::RegistryDescriptor;
using shell::fields::column;

namespace {

const QString chosenTable = QStringLiteral("TempFatturaScadenzeCumulativo");

RegistryDescriptor buildBook(BookParty party)
{
    RegistryDescriptor r;
    r.listWindow = QStringLiteral("TfrmScadenziario");
    r.cardWindow = party == BookParty::Suppliers ? QStringLiteral("TfrmScadenziarioDettaglioFornitori")
                                                 : QStringLiteral("TfrmScadenziarioDettaglio");
    r.listCaption = QStringLiteral("Scadenziario");
    r.cardCaption = QStringLiteral("Scadenze");
    r.table = QStringLiteral("FatturaScadenze");
    r.listSql = QStringLiteral(
        "SELECT FatturaScadenze.Id, FatturaScadenze.Numero, FatturaScadenze.DataScadenza, "
        "FatturaScadenze.Operazione, "
        "FatturaScadenze.DataPagamento, FatturaScadenze.Dettagli, Fornitor.Fornitore, "
        "Clienti.NominativoVisualizzato AS Cliente, ModPagamento.Descrizione AS ModalitaPagamento, "
        "FatturaScadenze.Tipo, FatturaScadenze.Importo, FatturaScadenze.Note, FatturaScadenze.Pagato, "
        "Bank.Iban, "
        "fattura.Data AS DataFattura, COALESCE(CAST(fattura.Num AS TEXT), fattura.NumeroCarico) AS "
        "NumeroFattura, "
        "fattura.SerieFatturazione "
        "FROM FatturaScadenze LEFT JOIN Fornitor ON FatturaScadenze.Fornitore_id = Fornitor.Id "
        "LEFT JOIN Clienti ON FatturaScadenze.Cliente_id = Clienti.Id "
        "LEFT JOIN ModPagamento ON FatturaScadenze.ModPagamento_Id = ModPagamento.id "
        "LEFT JOIN Bank ON FatturaScadenze.Banca_ID = Bank.Id "
        "LEFT JOIN fattura ON FatturaScadenze.Fattura_ID = fattura.ID");
    r.order = QStringLiteral("FatturaScadenze.DataScadenza, FatturaScadenze.Numero");
    r.columns = {column("DataScadenza", "Data Scad.", 90),
                 column("DataPagamento", "Data Pagam.", 90),
                 column("Operazione", "Operazione", 300),
                 column("Importo", "Importo", 95),
                 column("Fornitore", "Fornitore", 170),
                 column("Cliente", "Cliente", 170),
                 column("DataFattura", "Data Docum.", 90),
                 column("NumeroFattura", "N° Docum.", 75),
                 column("SerieFatturazione", "Serie", 50),
                 column("ModalitaPagamento", "Mod.Pagamento", 140),
                 column("Iban", "Iban", 200),
                 column("Dettagli", "Dettagli", 200)};
    // The list's amounts with their cents (the instalment itself is edited in the due-date window).
    r.fields = {shell::fields::field("Importo", "Importo", shell::RegistryField::Kind::Amount)};
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare il Record?");
    r.remove = invoicing::deleteInstalment;
    r.rowColour = [](const QSqlRecord &row) {
        return overdueColour(row.value(QStringLiteral("DataScadenza")),
                             row.value(QStringLiteral("DataPagamento")), QDate::currentDate());
    };
    r.helpContext = 3400;
    r.grid = QStringLiteral("frmScadenziario_Griglia");
    return r;
}

double rounded(const core::Result<QVariant> &sum)
{
    return sum ? core::arrotonda(sum->toDouble()) : 0.0;
}

} // namespace

const RegistryDescriptor &dueDateBookRegistry(BookParty party)
{
    static const RegistryDescriptor customers = buildBook(BookParty::Customers);
    static const RegistryDescriptor suppliers = buildBook(BookParty::Suppliers);
    return party == BookParty::Suppliers ? suppliers : customers;
}

QVariant overdueColour(const QVariant &dueOn, const QVariant &paidOn, const QDate &today)
{
    const QDate due = storage::sqlvalue::toDate(dueOn);
    if (storage::sqlvalue::toDate(paidOn).isValid() || !due.isValid() || due >= today)
        return {};
    return QColor(0xFF, 0x9C, 0x9C);
}

CumulativePayment::CumulativePayment(storage::Archive &archive, QString workstation, BookParty party,
                                     qint64 partyKey)
    : m_archive(archive), m_workstation(std::move(workstation)), m_party(party), m_partyKey(partyKey)
{}

QString CumulativePayment::partyField() const
{
    return m_party == BookParty::Suppliers ? QStringLiteral("Fornitore_ID") : QStringLiteral("Cliente_ID");
}

core::Status CumulativePayment::start()
{
    const core::Result<int> cleared = storage::WorkstationRows(m_archive, m_workstation).clear(chosenTable);
    return cleared ? core::Status() : core::Status::failure(cleared.error());
}

namespace {
// The party's unpaid instalments of its invoices (credit notes are settled on their own), those this
// workstation chose or those it did not.
QString instalmentsStatement(const QString &partyField, bool chosen)
{
    return QStringLiteral(
               "SELECT s.Id, s.Numero, s.DataScadenza, s.Operazione, s.Importo, f.Data AS DataFattura, "
               "COALESCE(CAST(f.Num AS TEXT), f.NumeroCarico) AS NumeroFattura, m.Descrizione AS "
               "ModPagamento "
               "FROM FatturaScadenze s INNER JOIN fattura f ON s.Fattura_ID = f.ID "
               "LEFT JOIN ModPagamento m ON s.ModPagamento_Id = m.id "
               "WHERE f.%1 = ? AND s.DataPagamento IS NULL AND COALESCE(f.FattNota, ?) = ? AND "
               "COALESCE(f.Carico, ?) = ? AND %2EXISTS (SELECT 1 FROM TempFatturaScadenzeCumulativo t WHERE "
               "t.Scadenza_Id = s.Id AND t.NomeComputer = ?) ORDER BY s.DataScadenza, s.Numero")
        .arg(partyField, chosen ? QString() : QStringLiteral("NOT "));
}
} // namespace

QString CumulativePayment::openStatement() const
{
    return instalmentsStatement(partyField(), false);
}

QString CumulativePayment::chosenStatement() const
{
    return instalmentsStatement(partyField(), true);
}

QVariantList CumulativePayment::statementParameters() const
{
    return {m_partyKey, false, false, false, m_party == BookParty::Suppliers, m_workstation};
}

core::Status CumulativePayment::choose(qint64 instalment)
{
    const core::Result<QVariant> already = m_archive.scalar(
        QStringLiteral(
            "SELECT COUNT(*) FROM TempFatturaScadenzeCumulativo WHERE NomeComputer = ? AND Scadenza_Id = ?"),
        {m_workstation, instalment});
    if (!already)
        return core::Status::failure(already.error());
    if (already->toInt() > 0)
        return {};
    const core::Result<qint64> added =
        storage::WorkstationRows(m_archive, m_workstation)
            .insert(chosenTable, {{QStringLiteral("Scadenza_Id"), instalment}});
    return added ? core::Status() : core::Status::failure(added.error());
}

core::Status CumulativePayment::chooseAll()
{
    const core::Result<storage::Archive::Rows> open =
        m_archive.readRows(openStatement(), statementParameters());
    if (!open)
        return core::Status::failure(open.error());
    storage::Transaction transaction(m_archive);
    for (const QVariantList &row : open->values) {
        if (core::Status chosen = choose(row.value(0).toLongLong()); !chosen)
            return chosen;
    }
    return transaction.commit();
}

core::Status CumulativePayment::drop(qint64 instalment)
{
    const core::Result<int> dropped = m_archive.execute(
        QStringLiteral(
            "DELETE FROM TempFatturaScadenzeCumulativo WHERE NomeComputer = ? AND Scadenza_Id = ?"),
        {m_workstation, instalment});
    return dropped ? core::Status() : core::Status::failure(dropped.error());
}

core::Status CumulativePayment::dropAll()
{
    return start();
}

core::Result<CumulativePayment::Totals> CumulativePayment::totals() const
{
    using R = core::Result<Totals>;
    const QString sum = QStringLiteral("SELECT COALESCE(SUM(Importo), 0) FROM (%1) listed");
    const core::Result<QVariant> open = m_archive.scalar(sum.arg(openStatement()), statementParameters());
    if (!open)
        return R::failure(open.error());
    const core::Result<QVariant> chosen = m_archive.scalar(sum.arg(chosenStatement()), statementParameters());
    if (!chosen)
        return R::failure(chosen.error());
    Totals totals;
    totals.chosen = rounded(chosen);
    totals.due = core::arrotonda(rounded(open) + totals.chosen);
    totals.remaining = core::arrotonda(totals.due - totals.chosen);
    return totals;
}

core::Result<QList<qint64>> CumulativePayment::chosenKeys() const
{
    const core::Result<storage::Archive::Rows> rows = m_archive.readRows(
        QStringLiteral(
            "SELECT Scadenza_Id FROM TempFatturaScadenzeCumulativo WHERE NomeComputer = ? ORDER BY id"),
        {m_workstation});
    if (!rows)
        return core::Result<QList<qint64>>::failure(rows.error());
    QList<qint64> keys;
    for (const QVariantList &row : rows->values)
        keys.append(row.value(0).toLongLong());
    return keys;
}

core::Result<CumulativePayment::Outcome> CumulativePayment::pay(const Details &details)
{
    using R = core::Result<Outcome>;
    storage::Transaction transaction(m_archive);
    if (!transaction.isActive())
        return R::failure(transaction.error());
    const core::Result<QList<qint64>> keys = chosenKeys();
    if (!keys)
        return R::failure(keys.error());
    if (keys->isEmpty())
        return R::failure(nothingChosenMessage());
    Outcome outcome;
    for (const qint64 key : *keys) {
        const core::Result<storage::Archive::Rows> state = m_archive.readRows(
            QStringLiteral("SELECT DataPagamento, Operazione FROM FatturaScadenze WHERE Id = ?"), {key});
        if (!state)
            return R::failure(state.error());
        if (state->values.isEmpty())
            continue; // deleted meanwhile: nothing left to pay
        const QVariantList row = state->values.first();
        if (storage::sqlvalue::toDate(row.value(0)).isValid()) {
            outcome.alreadyPaid << row.value(1).toString();
            continue;
        }
        const QVariantMap paid{{QStringLiteral("DataPagamento"), details.paidOn},
                               {QStringLiteral("ModPagamento_Id"), details.paymentMode},
                               {QStringLiteral("Dettagli"), details.details.left(150)},
                               {QStringLiteral("Banca_ID"), details.bank}};
        if (core::Status saved = invoicing::saveInstalment(m_archive, key, paid); !saved)
            return R::failure(saved.error());
        ++outcome.paid;
    }
    if (core::Status forgotten = start(); !forgotten)
        return R::failure(forgotten.error());
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return outcome;
}

QString CumulativePayment::nothingChosenMessage()
{
    return QStringLiteral("Attenzione è necessario scegliere una scadenza in pagamento prima di proseguire!");
}

QString CumulativePayment::noOpenInstalmentsMessage()
{
    return QStringLiteral("Non sono presenti scadenze non pagate");
}

} // namespace rotalina::purchases
