#include "shell/yeararchive.h"

#include "storage/archive.h"
#include "storage/sqlvalue.h"

namespace rotalina::shell {

QList<YearArchiveStatement> yearArchiveStatements(const QDate &today)
{
    const QVariant yearStart = storage::sqlvalue::date(QDate(today.year(), 1, 1));
    const QVariant nextYear = storage::sqlvalue::date(QDate(today.year() + 1, 1, 1));
    const QVariantList before = {yearStart};
    const QVariantList within = {yearStart, nextYear};
    const QVariantList none;
    const struct
    {
        const char *sql;
        const QVariantList &params;
    } statements[] = {
        {"UPDATE finanzia SET Storico = true WHERE Storico = false AND Data < ?", before},
        {"UPDATE finanzia SET Storico = false WHERE Storico = true AND Data >= ? AND Data < ?", within},
        {"UPDATE DistinteCaricoTestata SET Storico = true WHERE Storico = false AND Data < ?", before},
        {"UPDATE DistinteCaricoTestata SET Storico = false WHERE Storico = true AND Data >= ? AND Data < ?",
         within},
        {"UPDATE Calendario SET Storico = true WHERE Conclusa = true AND Storico = false AND Data < ?",
         before},
        {"UPDATE Calendario SET Storico = false WHERE Conclusa = false AND Storico = true AND Data >= ? AND "
         "Data < ?",
         within},
        {"UPDATE fattura SET Storico = false WHERE Storico = true AND Carico = false AND Data >= ? AND Data "
         "< ?",
         within},
        {"UPDATE fattura SET Storico = false WHERE Storico = true AND Carico = true AND DataRegistrazione >= "
         "? AND "
         "DataRegistrazione < ?",
         within},
        {"UPDATE TotaliCo SET Storico = false WHERE Storico = true AND Data >= ? AND Data < ?", within},
        {"UPDATE PreventiTestata SET Storico = false WHERE Storico = true AND Data >= ? AND Data < ?",
         within},
        {"UPDATE fattura SET Storico = true WHERE Storico = false AND Carico = false AND Data < ?", before},
        {"UPDATE fattura SET Storico = true WHERE Storico = false AND Carico = true AND DataRegistrazione < "
         "?",
         before},
        {"UPDATE PreventiTestata SET Storico = true WHERE Storico = false AND Data < ?", before},
        {"UPDATE TotaliCo SET Storico = true WHERE Storico = false AND Data < ?", before},
        {"UPDATE FatturaScadenze SET Pagato = true WHERE Pagato = false AND DataPagamento IS NOT NULL", none},
        {"UPDATE FatturaScadenze SET Pagato = false WHERE Pagato = true AND DataPagamento IS NULL", none},
        {"UPDATE Ddt SET Storico = true WHERE Storico = false AND Data < ?", before},
        // Transport documents of later years come back too: there is no upper bound.
        {"UPDATE Ddt SET Storico = false WHERE Storico = true AND Data >= ?", before},
    };

    QList<YearArchiveStatement> list;
    for (const auto &statement : statements)
        list.append({QString::fromLatin1(statement.sql), statement.params});
    return list;
}

core::Status markClosedYears(storage::Archive &archive, const QDate &today)
{
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return core::Status::failure(transaction.error());
    for (const YearArchiveStatement &statement : yearArchiveStatements(today)) {
        const core::Result<int> done = archive.execute(statement.sql, statement.params);
        if (!done)
            return core::Status::failure(done.error());
    }
    return transaction.commit();
}

} // namespace rotalina::shell
