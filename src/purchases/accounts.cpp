#include "purchases/accounts.h"

#include "core/datetext.h"
#include "core/money.h"
#include "purchases/cashbookprints.h"
#include "shell/descriptorfields.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"
#include "storage/workstationrows.h"

#include <QHash>
#include <algorithm>
#include <tuple>
#include <utility>

namespace rotalina::purchases {

using shell::RegistryDescriptor;
using shell::RegistryField;
using shell::fields::column;
using shell::fields::field;

namespace {

constexpr int accountsHelp = 3500;

const QString balanceTable = QStringLiteral("TempBilancio");
const QString statementTable = QStringLiteral("TempContabilitaConto");

// The lists show the names the finder gives them, so that their filters are those the office knows
// ("Classe", "Raggruppamento", "Conto").
const QString groupsList = QStringLiteral(
    "SELECT * FROM (SELECT ContabilitaRaggruppamenti.Id, ContabilitaRaggruppamenti.Descrizione AS "
    "Raggruppamento, ContabilitaClassi.Descrizione AS Classe FROM ContabilitaRaggruppamenti LEFT JOIN "
    "ContabilitaClassi ON ContabilitaRaggruppamenti.Classe_ID = ContabilitaClassi.Id) raggruppamenti");
const QString accountsList = QStringLiteral(
    "SELECT * FROM (SELECT ContabilitaConti.ID, ContabilitaConti.Descrizione AS Conto, "
    "ContabilitaRaggruppamenti.Descrizione AS Raggruppamento, ContabilitaClassi.Descrizione AS Classe "
    "FROM ContabilitaConti LEFT JOIN ContabilitaRaggruppamenti ON ContabilitaConti.Raggruppamento_ID = "
    "ContabilitaRaggruppamenti.Id LEFT JOIN ContabilitaClassi ON ContabilitaRaggruppamenti.Classe_ID = "
    "ContabilitaClassi.Id) conti");

RegistryDescriptor chartRegistry(const char *list, const char *card, const char *listCaption,
                                 const char *cardCaption, const char *table, const char *question)
{
    RegistryDescriptor r;
    r.listWindow = QString::fromLatin1(list);
    r.cardWindow = QString::fromLatin1(card);
    r.listCaption = QString::fromUtf8(listCaption);
    r.cardCaption = QString::fromUtf8(cardCaption);
    r.table = QString::fromLatin1(table);
    r.deleteQuestion = QString::fromUtf8(question);
    r.filtersBeginWith = true;
    r.helpContext = accountsHelp;
    return r;
}

RegistryDescriptor buildClasses()
{
    RegistryDescriptor r =
        chartRegistry("TfrmGrigliaContabilitaClassi", "TfrmContabilitaClassi", "Classi", "Classe",
                      "ContabilitaClassi", "Sei sicuro di voler eliminare la Classe ?");
    r.listSql = QStringLiteral("SELECT * FROM ContabilitaClassi");
    r.order = QStringLiteral("Descrizione");
    r.columns = {column("Descrizione", "Classe", 360)};
    r.filters = {{QStringLiteral("Descrizione"), QStringLiteral("Descrizione")}};
    r.fields = {field("Descrizione", "Descrizione")};
    r.checks.required(QStringLiteral("Descrizione"), QStringLiteral("Attenzione manca la Descrizione"));
    r.remove = deleteAccountClass;
    r.grid = QStringLiteral("GrigliaContabilitaClassi");
    return r;
}

RegistryDescriptor buildGroups()
{
    RegistryDescriptor r = chartRegistry(
        "TfrmGrigliaContabilitaRaggruppamenti", "TfrmContabilitaRaggruppamenti", "Raggruppamenti",
        "Raggruppamento", "ContabilitaRaggruppamenti", "Sei sicuro di voler eliminare il Raggruppamento ?");
    r.listSql = groupsList;
    r.order = QStringLiteral("Raggruppamento, COALESCE(Classe, '')");
    r.columns = {column("Classe", "Classe", 220), column("Raggruppamento", "Raggruppamento", 260)};
    r.filters = {{QStringLiteral("Classe"), QStringLiteral("Classe")},
                 {QStringLiteral("Raggruppamento"), QStringLiteral("Raggruppamento")}};
    r.fields = {field("Descrizione", "Descrizione"),
                shell::withList(shell::registryChoice(
                                    "Classe_ID", "Classe",
                                    QStringLiteral("SELECT Id, Descrizione FROM ContabilitaClassi ORDER BY "
                                                   "Descrizione")),
                                "TfrmGrigliaContabilitaClassi")};
    r.checks.required(QStringLiteral("Descrizione"), QStringLiteral("Attenzione manca la Descrizione"));
    r.remove = deleteAccountGroup;
    // The name the firm's stored layouts of this grid are kept under.
    r.grid = QStringLiteral("GrigliaContabilitaRaggruppamenti");
    return r;
}

RegistryDescriptor buildAccounts()
{
    RegistryDescriptor r =
        chartRegistry("TfrmGrigliaContabilitaConti", "TfrmContabilitaConti", "Conti", "Conto",
                      "ContabilitaConti", "Sei sicuro di voler eliminare il Conto ?");
    r.listSql = accountsList;
    r.order = QStringLiteral("COALESCE(Classe, ''), COALESCE(Raggruppamento, ''), Conto, ID");
    r.columns = {column("Classe", "Classe", 180), column("Raggruppamento", "Raggruppamento", 200),
                 column("Conto", "Conto", 260)};
    r.filters = {{QStringLiteral("Classe"), QStringLiteral("Classe")},
                 {QStringLiteral("Raggruppamento"), QStringLiteral("Raggruppamento")},
                 {QStringLiteral("Conto"), QStringLiteral("Conto")}};
    // The group is chosen with its class, as two classes may have groups of the same name.
    r.fields = {
        field("Descrizione", "Descrizione"),
        shell::withList(
            shell::registryChoice(
                "Raggruppamento_ID", "Raggruppamento",
                QStringLiteral("SELECT ContabilitaRaggruppamenti.Id, COALESCE(ContabilitaClassi.Descrizione "
                               "|| ' - ', '') || COALESCE(ContabilitaRaggruppamenti.Descrizione, '') "
                               "FROM ContabilitaRaggruppamenti LEFT JOIN ContabilitaClassi ON "
                               "ContabilitaRaggruppamenti.Classe_ID = ContabilitaClassi.Id ORDER BY "
                               "COALESCE(ContabilitaClassi.Descrizione, ''), "
                               "ContabilitaRaggruppamenti.Descrizione")),
            "TfrmGrigliaContabilitaRaggruppamenti")};
    r.checks.required(QStringLiteral("Descrizione"),
                      QStringLiteral("Attenzione manca la Descrizione del Conto"));
    r.remove = deleteAccount;
    r.grid = QStringLiteral("GrigliaContabilitaConti");
    return r;
}

// How the refusal of a delete names the rows that use an account.
QString useCaption(const QString &table)
{
    static const QHash<QString, QString> captions{
        {QStringLiteral("movimenti"), QStringLiteral("righe di fatture di acquisto")},
        {QStringLiteral("notacreditocaricorighe"), QStringLiteral("righe di note di credito dei fornitori")},
        {QStringLiteral("fattdett"), QStringLiteral("righe di fatture di vendita")},
        {QStringLiteral("notacreditorighe"), QStringLiteral("righe di note di credito ai clienti")},
        {QStringLiteral("finanzia"), QStringLiteral("movimenti di prima nota")},
        {QStringLiteral("opzioni"), QStringLiteral("conti predefiniti nelle opzioni")}};
    return captions.value(table.toLower(), QStringLiteral("righe della tabella %1").arg(table));
}

// A used account in the message refusing the delete of its group or class.
QString usedAccountMessage(const QString &what, const QString &account, const QStringList &uses)
{
    return QStringLiteral("Attenzione %1: il conto \"%2\" è usato:\n%3").arg(what, account, uses.join(u'\n'));
}

// Refuses the delete while one of the accounts the statement gives (key and name) is used.
core::Status refuseUsedAccounts(storage::Archive &archive, const QString &accounts, const QVariant &owner,
                                const QString &what)
{
    const core::Result<storage::Archive::Rows> found = archive.readRows(accounts, {owner});
    if (!found)
        return core::Status::failure(found.error());
    for (const QVariantList &account : found->values) {
        const core::Result<QStringList> uses = accountUses(archive, account.value(0).toLongLong());
        if (!uses)
            return core::Status::failure(uses.error());
        if (!uses->isEmpty())
            return core::Status::failure(usedAccountMessage(what, account.value(1).toString(), *uses));
    }
    return {};
}

core::Status run(storage::Archive &archive, const QString &sql, const QVariantList &params)
{
    const core::Result<int> done = archive.execute(sql, params);
    return done ? core::Status() : core::Status::failure(done.error());
}

bool hasDigit(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); });
}

// Amounts by account key; an account is in it once something is booked on it.
using AccountAmounts = QHash<qint64, double>;

// Adds the sums of a statement giving account key and amount, with the sign of its source.
core::Status addSums(storage::Archive &archive, AccountAmounts &amounts, const QString &sql,
                     const QVariantList &params, double sign)
{
    const core::Result<storage::Archive::Rows> sums = archive.readRows(sql, params);
    if (!sums)
        return core::Status::failure(sums.error());
    for (const QVariantList &row : sums->values) {
        if (row.value(0).isNull())
            continue;
        amounts[row.value(0).toLongLong()] += sign * row.value(1).toDouble();
    }
    return {};
}

// A kind of document rows booked on accounts: its table, how a row finds its document, and which of
// the document's dates the period is on.
struct DocumentRows
{
    const char *table;
    const char *document; // the row's field with the document's key
    bool purchase;        // fattura.Carico: the period is on the registration date
    bool creditNote;      // fattura.FattNota
    double sign;          // purchases and credit notes to customers take away
    const char *kind;     // DescrizioneTipologia
};

const DocumentRows documentRows[] = {
    {"Movimenti", "Fattura_ID", true, false, -1, "Fatture di Acquisto"},
    {"NotaCreditoCaricoRighe", "NotaCredito_ID", true, true, +1, "Note di Credito da Fornitore"},
    {"fattdett", "NumFatt", false, false, +1, "Fatture di Vendita"},
    {"NotaCreditoRighe", "NotaCredito_ID", false, true, -1, "Note di credito di Vendita"},
};

const char *const cashIncomeKind = "Prima Nota in Dare";
const char *const cashExpenseKind = "Prima Nota in Avere";

// The rows of a kind in the period (two bound dates), with " AND " + more when given.
QString documentRowsStatement(const DocumentRows &rows, const QString &columns, const QString &more,
                              const QString &tail)
{
    const QString table = QLatin1String(rows.table);
    const QString dateField = rows.purchase ? QStringLiteral("DataRegistrazione") : QStringLiteral("Data");
    QString sql =
        QStringLiteral("SELECT %1 FROM %2 INNER JOIN fattura ON %2.%3 = fattura.ID WHERE fattura.%4 >= ? "
                       "AND fattura.%4 <= ? AND fattura.Carico = %5 AND fattura.FattNota = %6")
            .arg(columns, table, QLatin1String(rows.document), dateField,
                 rows.purchase ? QStringLiteral("true") : QStringLiteral("false"),
                 rows.creditNote ? QStringLiteral("true") : QStringLiteral("false"));
    // A purchase row that only unloads goods books no cost.
    if (table == u"Movimenti")
        sql += QStringLiteral(" AND (Movimenti.Scarico = false OR Movimenti.Scarico IS NULL)");
    if (!more.isEmpty())
        sql += QStringLiteral(" AND ") + more;
    return sql + tail;
}

// The takings of the period, net of VAT as the purchase rows bring a price back to net: entry by
// entry at four decimals, then summed.
core::Result<double> netTakings(storage::Archive &archive, const QVariant &from, const QVariant &to)
{
    const core::Result<storage::Archive::Rows> takings = archive.readRows(
        QStringLiteral("SELECT COALESCE(finanzia.Entrata, 0) - COALESCE(finanzia.Uscita, 0), "
                       "COALESCE(finanzia.AliquotaIva, Iva.Iva, 0) FROM finanzia LEFT JOIN Iva ON "
                       "finanzia.Iva_Id = Iva.ID WHERE finanzia.Corrispettivi = true AND finanzia.Data >= ? "
                       "AND finanzia.Data <= ?"),
        {from, to});
    if (!takings)
        return core::Result<double>::failure(takings.error());
    double net = 0;
    for (const QVariantList &entry : takings->values)
        net += core::calcolaValoreUnitario(1, entry.value(0).toDouble(), entry.value(1).toDouble());
    return net;
}

} // namespace

const RegistryDescriptor &accountClassesRegistry()
{
    static const RegistryDescriptor registry = buildClasses();
    return registry;
}

const RegistryDescriptor &accountGroupsRegistry()
{
    static const RegistryDescriptor registry = buildGroups();
    return registry;
}

const RegistryDescriptor &accountsRegistry()
{
    static const RegistryDescriptor registry = buildAccounts();
    return registry;
}

core::Result<QStringList> accountUses(storage::Archive &archive, qint64 account)
{
    using R = core::Result<QStringList>;
    QStringList uses;
    // Every field of the archive that names an account, so that a table given an account later is
    // not forgotten here; the work tables of the prints are filled again each time and do not count.
    for (const storage::TableDef &table : archive.schema().tables()) {
        if (table.isWorkTable())
            continue;
        int rows = 0;
        for (const storage::FieldDef &f : table.fields) {
            if (f.kind != storage::FieldKind::Ref ||
                f.refersTo.compare(QLatin1String("ContabilitaConti.ID"), Qt::CaseInsensitive) != 0)
                continue;
            const core::Result<QVariant> counted = archive.scalar(
                QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ?").arg(table.name, f.name), {account});
            if (!counted)
                return R::failure(counted.error());
            rows += counted->toInt();
        }
        if (rows > 0)
            uses.append(QStringLiteral("- %1: %2").arg(useCaption(table.name)).arg(rows));
    }
    return uses;
}

core::Status deleteAccount(storage::Archive &archive, qint64 account)
{
    storage::Transaction transaction(archive);
    const core::Result<QStringList> uses = accountUses(archive, account);
    if (!uses)
        return core::Status::failure(uses.error());
    if (!uses->isEmpty())
        return core::Status::failure(
            QStringLiteral("Attenzione il Conto è usato e non può essere eliminato:\n") + uses->join(u'\n'));
    if (core::Status removed = archive.remove(QStringLiteral("ContabilitaConti"), account); !removed)
        return removed;
    return transaction.commit();
}

core::Status deleteAccountGroup(storage::Archive &archive, qint64 group)
{
    storage::Transaction transaction(archive);
    if (core::Status free = refuseUsedAccounts(
            archive,
            QStringLiteral("SELECT ID, Descrizione FROM ContabilitaConti WHERE Raggruppamento_ID = ? "
                           "ORDER BY Descrizione, ID"),
            group, QStringLiteral("il Raggruppamento non può essere eliminato"));
        !free)
        return free;
    if (core::Status done =
            run(archive, QStringLiteral("DELETE FROM ContabilitaConti WHERE Raggruppamento_ID = ?"), {group});
        !done)
        return done;
    if (core::Status removed = archive.remove(QStringLiteral("ContabilitaRaggruppamenti"), group); !removed)
        return removed;
    return transaction.commit();
}

core::Status deleteAccountClass(storage::Archive &archive, qint64 accountClass)
{
    const QString ofClass =
        QStringLiteral("Raggruppamento_ID IN (SELECT Id FROM ContabilitaRaggruppamenti WHERE Classe_ID = ?)");
    storage::Transaction transaction(archive);
    if (core::Status free = refuseUsedAccounts(
            archive,
            QStringLiteral("SELECT ID, Descrizione FROM ContabilitaConti WHERE %1 ORDER BY Descrizione, ID")
                .arg(ofClass),
            accountClass, QStringLiteral("la Classe non può essere eliminata"));
        !free)
        return free;
    if (core::Status done = run(archive, QStringLiteral("DELETE FROM ContabilitaConti WHERE %1").arg(ofClass),
                                {accountClass});
        !done)
        return done;
    if (core::Status done =
            run(archive, QStringLiteral("DELETE FROM ContabilitaRaggruppamenti WHERE Classe_ID = ?"),
                {accountClass});
        !done)
        return done;
    if (core::Status removed = archive.remove(QStringLiteral("ContabilitaClassi"), accountClass); !removed)
        return removed;
    return transaction.commit();
}

std::optional<AccountingPeriodProblem> checkAccountingPeriod(const QString &fromText, const QString &toText)
{
    if (!hasDigit(fromText))
        return AccountingPeriodProblem{
            AccountingPeriodField::From,
            QStringLiteral("Attenzione E' necessario definire la data di inizio...")};
    if (!hasDigit(toText))
        return AccountingPeriodProblem{
            AccountingPeriodField::To,
            QStringLiteral("Attenzione E' necessario definire la data di fine...")};
    // Dates that are not real, or a period that ends before it starts, as the other period prints say.
    if (const std::optional<SituationProblem> wrong = checkSituationPeriod(fromText, toText))
        return AccountingPeriodProblem{wrong->field == SituationField::From ? AccountingPeriodField::From
                                                                            : AccountingPeriodField::To,
                                       wrong->message};
    return std::nullopt;
}

AccountingPeriod accountingPeriod(const QString &fromText, const QString &toText)
{
    return {core::datetext::parseShortDate(fromText).value_or(QDate()),
            core::datetext::parseShortDate(toText).value_or(QDate())};
}

QString periodDescription(const AccountingPeriod &period)
{
    return QStringLiteral("Dal %1 al %2")
        .arg(core::datetext::formatShortDate(period.from), core::datetext::formatShortDate(period.to));
}

core::Result<int> fillBalance(storage::Archive &archive, const QString &workstation,
                              const AccountingPeriod &period)
{
    using R = core::Result<int>;
    const QVariant from = storage::sqlvalue::date(period.from);
    const QVariant to = storage::sqlvalue::endOfDay(period.to);
    storage::Transaction transaction(archive);
    storage::WorkstationRows own(archive, workstation);
    if (const core::Result<int> cleared = own.clear(balanceTable); !cleared)
        return R::failure(cleared.error());

    // Summed by the archive, one statement per source instead of one per account and source.
    AccountAmounts amounts;
    for (const DocumentRows &rows : documentRows) {
        const QString account = QLatin1String(rows.table) + QStringLiteral(".ContabilitaConti_ID");
        const QString sql = documentRowsStatement(
            rows, QStringLiteral("%1, SUM(%2.TotaleImponibile)").arg(account, QLatin1String(rows.table)), {},
            QStringLiteral(" GROUP BY ") + account);
        if (core::Status added = addSums(archive, amounts, sql, {from, to}, rows.sign); !added)
            return R::failure(added.error());
    }
    for (const auto &[amount, sign] : {std::pair{"Entrata", +1.0}, std::pair{"Uscita", -1.0}}) {
        const QString sql =
            QStringLiteral("SELECT ContabilitaConti_ID, SUM(%1) FROM finanzia WHERE Corrispettivi "
                           "= false AND %1 > 0 AND Data >= ? AND Data <= ? GROUP BY "
                           "ContabilitaConti_ID")
                .arg(QLatin1String(amount));
        if (core::Status added = addSums(archive, amounts, sql, {from, to}, sign); !added)
            return R::failure(added.error());
    }
    const core::Result<QVariant> takingsAccount = archive.scalar(
        QStringLiteral("SELECT conto_ID_Predefinito_su_Corrispettivi FROM opzioni ORDER BY ID LIMIT 1"));
    if (!takingsAccount)
        return R::failure(takingsAccount.error());
    const core::Result<QVariant> anyTakings = archive.scalar(
        QStringLiteral(
            "SELECT COUNT(*) FROM finanzia WHERE Corrispettivi = true AND Data >= ? AND Data <= ?"),
        {from, to});
    if (!anyTakings)
        return R::failure(anyTakings.error());
    if (takingsAccount->toLongLong() > 0 && anyTakings->toInt() > 0) {
        const core::Result<double> net = netTakings(archive, from, to);
        if (!net)
            return R::failure(net.error());
        amounts[takingsAccount->toLongLong()] += *net;
    }

    // The accounts of the chart only, in the finder's order: rows booked on no account, or on one
    // deleted since, are in no account's balance.
    const core::Result<storage::Archive::Rows> chart = archive.readRows(shell::accountChoiceSql());
    if (!chart)
        return R::failure(chart.error());
    const QString described = periodDescription(period);
    int written = 0;
    for (const QVariantList &account : chart->values) {
        const qint64 key = account.value(0).toLongLong();
        const auto booked = amounts.constFind(key);
        if (booked == amounts.constEnd())
            continue;
        const core::Result<qint64> added =
            own.insert(balanceTable, {{QStringLiteral("ContabilitaConti_ID"), key},
                                      {QStringLiteral("TotaleImponibile"), core::arrotonda(*booked)},
                                      {QStringLiteral("DescrizioneData"), described}});
        if (!added)
            return R::failure(added.error());
        ++written;
    }
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return written;
}

core::Result<int> fillAccountStatement(storage::Archive &archive, const QString &workstation, qint64 account,
                                       const AccountingPeriod &period)
{
    using R = core::Result<int>;
    const QVariant from = storage::sqlvalue::date(period.from);
    const QVariant to = storage::sqlvalue::endOfDay(period.to);
    const QString described = periodDescription(period);
    storage::Transaction transaction(archive);
    storage::WorkstationRows own(archive, workstation);
    if (const core::Result<int> cleared = own.clear(statementTable); !cleared)
        return R::failure(cleared.error());

    const storage::TableDef &target = *archive.schema().table(statementTable);
    int written = 0;
    // Writes the rows a statement gives, in the statement table's fields named as its columns (which
    // PostgreSQL gives in lower case).
    const auto write = [&](const QString &sql, int kind, const QString &kindText,
                           double sign) -> core::Status {
        const core::Result<storage::Archive::Rows> found = archive.readRows(sql, {from, to, account});
        if (!found)
            return core::Status::failure(found.error());
        for (const QVariantList &row : found->values) {
            QVariantMap values{{QStringLiteral("ContabilitaConti_ID"), account},
                               {QStringLiteral("DescrizioneData"), described},
                               {QStringLiteral("Tipologia"), QString::number(kind)},
                               {QStringLiteral("DescrizioneTipologia"), kindText}};
            for (qsizetype i = 0; i < found->fields.size(); ++i) {
                const storage::FieldDef *f = target.field(found->fields.at(i));
                values.insert(f ? f->name : found->fields.at(i), row.value(i));
            }
            values.insert(QStringLiteral("TotaleImponibile"),
                          sign * values.value(QStringLiteral("TotaleImponibile")).toDouble());
            if (const core::Result<qint64> added = own.insert(statementTable, values); !added)
                return core::Status::failure(added.error());
            ++written;
        }
        return {};
    };

    int kind = 0;
    for (const DocumentRows &rows : documentRows) {
        const QString table = QLatin1String(rows.table);
        const QString columns =
            QStringLiteral("%1.TotaleImponibile, %1.Descrizione, fattura.Data AS DataDocumento, ")
                .arg(table) +
            (rows.purchase
                 ? QStringLiteral("fattura.NumeroCarico AS NumeroDocumento, fattura.DataRegistrazione, "
                                  "fattura.ProgressivoCarico")
                 : QStringLiteral("CAST(fattura.Num AS TEXT) AS NumeroDocumento, "
                                  "fattura.SerieFatturazione"));
        const QString order =
            rows.purchase ? QStringLiteral(" ORDER BY fattura.DataRegistrazione, fattura.ProgressivoCarico, "
                                           "%1.NumeroRiga, %1.%2")
                          : QStringLiteral(" ORDER BY fattura.Data, fattura.Num, %1.NumeroRiga, %1.%2");
        const QString sql =
            documentRowsStatement(rows, columns, table + QStringLiteral(".ContabilitaConti_ID = ?"),
                                  order.arg(table, archive.schema().table(table)->keyName()));
        if (core::Status done = write(sql, ++kind, QString::fromUtf8(rows.kind), rows.sign); !done)
            return R::failure(done.error());
    }
    for (const auto &[amount, kindText, sign] :
         {std::tuple{"Entrata", cashIncomeKind, +1.0}, std::tuple{"Uscita", cashExpenseKind, -1.0}}) {
        const QString sql =
            QStringLiteral("SELECT %1 AS TotaleImponibile, Operazione AS Descrizione, Data AS "
                           "DataDocumento FROM finanzia WHERE %1 > 0 AND Data >= ? AND Data <= ? "
                           "AND ContabilitaConti_ID = ? ORDER BY Data, ID")
                .arg(QLatin1String(amount));
        if (core::Status done = write(sql, ++kind, QString::fromUtf8(kindText), sign); !done)
            return R::failure(done.error());
    }
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return written;
}

QStringList accountStatementKinds()
{
    QStringList kinds;
    for (const DocumentRows &rows : documentRows)
        kinds.append(QString::fromUtf8(rows.kind));
    kinds << QString::fromUtf8(cashIncomeKind) << QString::fromUtf8(cashExpenseKind);
    return kinds;
}

} // namespace rotalina::purchases
