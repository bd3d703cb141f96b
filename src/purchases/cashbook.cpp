#include "purchases/cashbook.h"

#include "core/money.h"
#include "invoicing/instalments.h"
#include "shell/accountchoice.h"
#include "shell/descriptorfields.h"
#include "storage/archive.h"
#include "storage/listfilter.h"
#include "storage/sqlvalue.h"

namespace rotalina::purchases {

using shell::RecordChecks;
using shell::RegistryDescriptor;
using shell::RegistryField;
using shell::fields::choice;
using shell::fields::column;
using shell::fields::field;
using Kind = RegistryField::Kind;

namespace {

RegistryDescriptor buildCashBook()
{
    RegistryDescriptor r;
    r.listWindow = QStringLiteral("TForm5");
    r.cardWindow = QStringLiteral("TCassaDettaglio");
    r.listCaption = QStringLiteral("Prima nota");
    r.cardCaption = QStringLiteral("Prima nota");
    r.table = QStringLiteral("finanzia");
    r.listSql = QStringLiteral(
        "SELECT finanzia.ID, finanzia.Data, finanzia.Operazione, Fornitor.Fornitore, "
        "Clienti.NominativoVisualizzato AS Cliente, finanzia.Entrata, finanzia.Uscita, finanzia.Note, "
        "ModPagamento.Descrizione AS ModPagamento, finanzia.Tipologia_ID, finanzia.Tipo, Bank.Id AS "
        "IdeBanca, "
        "Bank.Banca, Bank.Iban, TipologiaPrimaNota.Descrizione AS Tipologia, finanzia.Fattura_ID "
        "FROM finanzia LEFT JOIN Clienti ON finanzia.Cliente_id = Clienti.Id "
        "LEFT JOIN Fornitor ON finanzia.Fornitore_id = Fornitor.Id "
        "LEFT JOIN ModPagamento ON finanzia.ModPagamento_Id = ModPagamento.id "
        "LEFT JOIN Bank ON finanzia.Banca_ID = Bank.Id "
        "LEFT JOIN TipologiaPrimaNota ON finanzia.Tipologia_ID = TipologiaPrimaNota.Id");
    r.order = QStringLiteral("finanzia.Data DESC, finanzia.Operazione");
    r.columns = {column("Data", "Data", 90),
                 column("Tipologia", "Tipologia", 90),
                 column("Operazione", "Operazione", 300),
                 column("Entrata", "Entrata", 95),
                 column("Uscita", "Uscita", 95),
                 column("Fornitore", "Fornitore", 170),
                 column("Cliente", "Cliente", 170),
                 column("ModPagamento", "ModPagamento", 140),
                 column("Banca", "Banca", 130),
                 column("Iban", "Iban", 200)};
    RegistryField account = shell::registryChoice("ContabilitaConti_ID", "Conto", shell::accountChoiceSql());
    account.hint = QStringLiteral("Cerca il tipo di Conto");
    RegistryField vat =
        choice("Iva_Id", "Aliquota Iva ", "SELECT ID, Descrizione FROM Iva ORDER BY Iva, Descrizione");
    vat.copySql = QStringLiteral("SELECT Iva AS AliquotaIva FROM Iva WHERE ID = ?");
    vat.copiedFields = {QStringLiteral("AliquotaIva")};
    r.fields = {
        field("Data", "Data", Kind::Date),
        field("Operazione", "Operazione"),
        field("Entrata", "Entrata", Kind::Amount),
        field("Uscita", "Uscita", Kind::Amount),
        field("Note", "Note"),
        choice("Cliente_id", "Cliente",
               "SELECT Id, NominativoVisualizzato FROM Clienti ORDER BY NominativoVisualizzato",
               "TfrmClientiDett", "TfrmClienti"),
        choice("Fornitore_id", "Fornitore", "SELECT Id, Fornitore FROM Fornitor ORDER BY Fornitore",
               "TfrmFornitDett", "TFornitori"),
        shell::fields::startsColumn(choice("ModPagamento_Id", "Mod. Pagam.",
                                           "SELECT id, Descrizione FROM ModPagamento ORDER BY Descrizione",
                                           "TfrmModPagamDett", "TfrmModPagam")),
        choice("Banca_ID", "Banca",
               "SELECT Id, Banca FROM Bank WHERE COALESCE(annullato, false) = false ORDER BY Banca",
               "TAnaBanca", "TfrmGrigliaBanche"),
        choice("Tipologia_ID", "Tipologia", "SELECT Id, Descrizione FROM TipologiaPrimaNota ORDER BY Id"),
        account,
        vat,
        field("AliquotaIva", "", Kind::Hidden),
        field("Corrispettivi", "Corrispettivi", Kind::Check)};
    r.checks = cashEntryChecks();
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare l'operazione?");
    r.newValues = {{QStringLiteral("Tipo"), QStringLiteral("A")},
                   {QStringLiteral("Storico"), false},
                   {QStringLiteral("Corrispettivi"), false}};
    r.todayField = QStringLiteral("Data");
    r.remove = deleteCashEntry;
    r.helpContext = 3300;
    r.grid = QStringLiteral("Form5_DBGrid1");
    return r;
}

} // namespace

const RegistryDescriptor &cashBookRegistry()
{
    static const RegistryDescriptor registry = buildCashBook();
    return registry;
}

RecordChecks cashEntryChecks()
{
    RecordChecks checks;
    checks.required(QStringLiteral("Data"), QStringLiteral("Attenzione manca la data"))
        .required(QStringLiteral("Operazione"), QStringLiteral("Attenzione manca l'Operazione"))
        .add(QStringLiteral("Iva_Id"), QStringLiteral("Attenzione manca l'Aliquota Iva"),
             [](const QVariantMap &values) {
                 return !values.value(QStringLiteral("Corrispettivi")).toBool() ||
                        RecordChecks::hasValue(values.value(QStringLiteral("Iva_Id")));
             });
    return checks;
}

shell::ListScope currentCashBookScope(const QDate &today)
{
    return {QStringLiteral("finanzia.Storico = ? AND finanzia.Data >= ?"),
            {false, storage::sqlvalue::date(QDate(today.year(), 1, 1))}};
}

void addCashBookConditions(storage::ListFilter &filter, CashKind kind, const QVariant &bank)
{
    if (kind != CashKind::All)
        filter.condition(QStringLiteral("finanzia.Tipologia_ID = ?"), {static_cast<int>(kind)});
    if (RecordChecks::hasValue(bank))
        filter.condition(QStringLiteral("finanzia.Banca_ID = ?"), {bank.toLongLong()});
}

core::Result<CashBookTotals> cashBookTotals(storage::Archive &archive, const storage::ListFilter &listed,
                                            const QDate &until, const QVariant &bank)
{
    using R = core::Result<CashBookTotals>;
    // The list's own statement and conditions, without its order, which a sum does not need.
    const QString conditions = listed.conditions();
    const core::Result<storage::Archive::Rows> sums = archive.readRows(
        QStringLiteral("SELECT COALESCE(SUM(Entrata), 0), COALESCE(SUM(Uscita), 0) FROM (%1%2) listed")
            .arg(cashBookRegistry().listSql,
                 conditions.isEmpty() ? QString() : QStringLiteral(" WHERE ") + conditions),
        listed.parameters());
    if (!sums)
        return R::failure(sums.error());
    CashBookTotals totals;
    totals.income = core::arrotonda(sums->values.value(0).value(0).toDouble());
    totals.spending = core::arrotonda(sums->values.value(0).value(1).toDouble());
    totals.difference = core::arrotonda(totals.income - totals.spending);

    const core::Result<double> balance = cashBalance(archive, until, bank);
    if (!balance)
        return R::failure(balance.error());
    totals.balance = *balance;
    return totals;
}

core::Result<double> cashBalance(storage::Archive &archive, const QDate &through, const QVariant &bank)
{
    using R = core::Result<double>;
    const bool ofBank = RecordChecks::hasValue(bank);
    const core::Result<QVariant> opening =
        ofBank ? archive.scalar(QStringLiteral("SELECT SaldoInizioAnno FROM Bank WHERE Id = ?"),
                                {bank.toLongLong()})
               : archive.scalar(
                     QStringLiteral("SELECT SaldoInizialePrimaNota FROM opzioni ORDER BY ID LIMIT 1"));
    if (!opening)
        return R::failure(opening.error());
    if (ofBank && !opening->isValid())
        return R::failure(storage::Archive::missingRowMessage());
    QString sql =
        QStringLiteral("SELECT COALESCE(SUM(COALESCE(Entrata, 0) - COALESCE(Uscita, 0)), 0) FROM finanzia "
                       "WHERE 1 = 1");
    QVariantList params;
    if (ofBank) {
        sql += QStringLiteral(" AND Banca_ID = ?");
        params << bank.toLongLong();
    }
    if (through.isValid()) {
        sql += QStringLiteral(" AND Data <= ?");
        params << storage::sqlvalue::endOfDay(through);
    }
    const core::Result<QVariant> moved = archive.scalar(sql, params);
    if (!moved)
        return R::failure(moved.error());
    return core::arrotonda(opening->toDouble() + moved->toDouble());
}

core::Result<bool> belongsToDocument(storage::Archive &archive, qint64 entry)
{
    const core::Result<bool> mirror = invoicing::mirrorsInCashBook(archive);
    if (!mirror)
        return mirror;
    if (!*mirror)
        return false;
    const core::Result<QVariant> document =
        archive.scalar(QStringLiteral("SELECT Fattura_ID FROM finanzia WHERE ID = ?"), {entry});
    if (!document)
        return core::Result<bool>::failure(document.error());
    return document->toLongLong() > 0;
}

QString entryOfDocumentMessage()
{
    return QStringLiteral(
        "Attenzione questo record è legato ad una fattura. Per eliminarlo si deve modificare o "
        "cancellare il pagamento della fattura!!");
}

core::Status deleteCashEntry(storage::Archive &archive, qint64 entry)
{
    const core::Result<bool> owned = belongsToDocument(archive, entry);
    if (!owned)
        return core::Status::failure(owned.error());
    if (*owned)
        return core::Status::failure(entryOfDocumentMessage());
    storage::Transaction transaction(archive);
    if (const core::Result<int> released = archive.execute(
            QStringLiteral("UPDATE FatturaScadenze SET Finanzia_id = NULL WHERE Finanzia_id = ?"), {entry});
        !released)
        return core::Status::failure(released.error());
    if (const core::Result<int> released = archive.execute(
            QStringLiteral("UPDATE fattura SET Finanzia_id = NULL WHERE Finanzia_id = ?"), {entry});
        !released)
        return core::Status::failure(released.error());
    if (core::Status removed = archive.remove(QStringLiteral("finanzia"), entry); !removed)
        return removed;
    return transaction.commit();
}

} // namespace rotalina::purchases
