#include "registries/customernotices.h"

#include "storage/archive.h"
#include "storage/listfilter.h"
#include "storage/sqlvalue.h"
#include "storage/workstationrows.h"

#include <QHash>

namespace rotalina::registries {

namespace {

const QString noticesTable = QStringLiteral("TempAvvisi");
const QString chosenTable = QStringLiteral("TempAvvisiClienti");

const QString customerColumns = QStringLiteral(
    "SELECT DISTINCT Clienti.NominativoVisualizzato, Clienti.Iva, Clienti.Id, Clienti.Via, Clienti.Telefono, "
    "Clienti.Fax, Clienti.Cellulare, Clienti.EMail, Clienti.Citta, Clienti.Comune_id, Clienti.Provincia, "
    "Clienti.Cap, Clienti.Numero, Clienti.Note, Clienti.Codice FROM Clienti");

} // namespace

NoticeStatement noticeCustomersStatement(const NoticeFilter &filter, const storage::SqlDialect &dialect)
{
    storage::ListFilter conditions(dialect);
    conditions.equals(QStringLiteral("Clienti.Annullato"), false);
    if (filter.paymentTerms)
        conditions.equals(QStringLiteral("Clienti.Pagamento_ID"), *filter.paymentTerms);
    if (filter.category)
        conditions.equals(QStringLiteral("Clienti.Categoria_ID"), *filter.category);
    if (filter.municipality)
        conditions.equals(QStringLiteral("Clienti.Comune_id"), *filter.municipality);
    if (!filter.province.trimmed().isEmpty())
        conditions.condition(QStringLiteral("UPPER(Clienti.Provincia) = UPPER(?)"),
                             {filter.province.trimmed()});
    if (filter.publicAdministration)
        conditions.equals(QStringLiteral("Clienti.PubblicaAmministrazione"), true);
    conditions.startsWith(QStringLiteral("Clienti.Note"), filter.notesStart);

    QString sql = customerColumns;
    if (filter.joinsDueDates()) {
        sql += QStringLiteral(" INNER JOIN FatturaScadenze ON FatturaScadenze.Cliente_id = Clienti.Id");
        // Archives brought over from older programs mark an unpaid instalment with the zero date
        // (30/12/1899) as well as with no date: such an instalment is never a paid one.
        const QVariant firstRealDay = storage::sqlvalue::date(QDate(1900, 1, 1));
        if (filter.paid) {
            conditions.condition(QStringLiteral("FatturaScadenze.DataPagamento >= ?"), {firstRealDay});
        } else {
            conditions.condition(QStringLiteral("FatturaScadenze.DataPagamento IS NULL OR "
                                                "FatturaScadenze.DataPagamento < ?"),
                                 {firstRealDay});
        }
        conditions.dateFrom(QStringLiteral("FatturaScadenze.DataScadenza"), filter.dueFrom);
        conditions.dateTo(QStringLiteral("FatturaScadenze.DataScadenza"), filter.dueTo);
    }
    sql += conditions.whereClause() + QStringLiteral(" ORDER BY Clienti.NominativoVisualizzato, Clienti.Id");
    return {sql, conditions.parameters()};
}

core::Result<QList<NoticeCustomer>> findNoticeCustomers(storage::Archive &archive, const NoticeFilter &filter)
{
    using R = core::Result<QList<NoticeCustomer>>;
    const NoticeStatement statement = noticeCustomersStatement(filter, archive.dialect());
    const core::Result<storage::Archive::Rows> rows = archive.readRows(statement.sql, statement.parameters);
    if (!rows)
        return R::failure(rows.error());
    // PostgreSQL gives the column names in lower case.
    QHash<QString, int> column;
    for (int c = 0; c < rows->fields.size(); ++c)
        column.insert(rows->fields.at(c).toLower(), c);
    QList<NoticeCustomer> found;
    found.reserve(rows->values.size());
    for (const QVariantList &row : rows->values) {
        const auto text = [&](const char *field) {
            return row.value(column.value(QString::fromLatin1(field), -1)).toString();
        };
        NoticeCustomer customer;
        customer.key = row.value(column.value(QStringLiteral("id"), -1)).toLongLong();
        customer.name = text("nominativovisualizzato");
        customer.code = text("codice");
        customer.vatNumber = text("iva");
        customer.street = text("via");
        customer.houseNumber = text("numero");
        customer.postcode = text("cap");
        customer.town = text("citta");
        customer.province = text("provincia");
        customer.phone = text("telefono");
        customer.fax = text("fax");
        customer.mobile = text("cellulare");
        customer.email = text("email");
        customer.notes = text("note");
        found.append(std::move(customer));
    }
    return found;
}

std::optional<QString> noticeTextProblem(const QString &text)
{
    if (text.trimmed().isEmpty())
        return QStringLiteral("Attenzione manca il testo");
    return std::nullopt;
}

core::Result<QString> noticeText(storage::Archive &archive, const QString &workstation)
{
    storage::WorkstationRows own(archive, workstation);
    core::Result<QSqlQuery> rows = own.rows(noticesTable);
    if (!rows)
        return core::Result<QString>::failure(rows.error());
    return rows->next() ? rows->value(QStringLiteral("Testo")).toString() : QString();
}

core::Status saveNoticeText(storage::Archive &archive, const QString &workstation, const QString &text)
{
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return core::Status::failure(transaction.error());
    storage::WorkstationRows own(archive, workstation);
    core::Result<QSqlQuery> rows = own.rows(noticesTable);
    if (!rows)
        return core::Status::failure(rows.error());
    QList<qint64> keys;
    while (rows->next())
        keys.append(rows->value(QStringLiteral("ID")).toLongLong());
    if (keys.isEmpty()) {
        if (core::Result<qint64> added = own.insert(noticesTable, {{QStringLiteral("Testo"), text}}); !added)
            return core::Status::failure(added.error());
        return transaction.commit();
    }
    if (core::Status written = archive.update(noticesTable, keys.first(), {{QStringLiteral("Testo"), text}});
        !written)
        return written;
    // The print reads the workstation's text whatever row holds it: a second row would compete.
    for (qsizetype i = 1; i < keys.size(); ++i) {
        if (core::Status removed = archive.remove(noticesTable, keys.at(i)); !removed)
            return removed;
    }
    return transaction.commit();
}

core::Result<QString> storedNoticeText(storage::Archive &archive, qint64 notice)
{
    const core::Result<QVariantMap> row = archive.readRow(QStringLiteral("Avvisi"), notice);
    if (!row)
        return core::Result<QString>::failure(row.error());
    return row->value(QStringLiteral("Testo")).toString();
}

core::Status chooseNoticeCustomers(storage::Archive &archive, const QString &workstation,
                                   const QList<qint64> &customers)
{
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return core::Status::failure(transaction.error());
    storage::WorkstationRows own(archive, workstation);
    if (core::Result<int> cleared = own.clear(chosenTable); !cleared)
        return core::Status::failure(cleared.error());
    QList<QVariantList> rows;
    rows.reserve(customers.size());
    for (const qint64 customer : customers)
        rows.append({workstation, customer});
    if (!rows.isEmpty()) {
        if (core::Status written = archive.insertRows(
                chosenTable, {QStringLiteral("NomeComputer"), QStringLiteral("Cliente_ID")}, rows);
            !written)
            return written;
    }
    return transaction.commit();
}

} // namespace rotalina::registries
