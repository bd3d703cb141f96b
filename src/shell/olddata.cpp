#include "shell/olddata.h"

#include "storage/archive.h"
#include "storage/sqlvalue.h"
#include "storage/workstationrows.h"

namespace rotalina::shell {

QString oldDataQuestion()
{
    return QStringLiteral(
               "Attenzione: verranno eliminati definitivamente tutti i documenti, le righe, le scadenze, "
               "la prima nota e il calendario fino al 01/01/%1.\nSei sicuro di voler procedere ?")
        .arg(oldDataYear);
}

namespace {

// A kind of document: its headers up to the limit, and the tables that hold its rows.
struct DocumentKind
{
    QString headers;  // SELECT of the keys of the headers to delete
    QString table;    // the header table
    QStringList rows; // "Table.Field" holding the header's key
};

} // namespace

core::Status deleteOldData(storage::Archive &archive, const QString &workstation, int year)
{
    const QVariantList limit = {storage::sqlvalue::date(QDate(year, 1, 1))};
    const QStringList dueDates = {QStringLiteral("FatturaScadenze.Fattura_ID")};
    const QList<DocumentKind> kinds = {
        {QStringLiteral("SELECT ID FROM TotaliCo WHERE Data <= ?"),
         QStringLiteral("TotaliCo"),
         {QStringLiteral("CommesseBancali.Testata_ID"), QStringLiteral("CommessePreventiviRighe.Conto_ID"),
          QStringLiteral("Conti.Testata_ID")}},
        {QStringLiteral("SELECT Id FROM Ddt WHERE Data <= ?"),
         QStringLiteral("Ddt"),
         {QStringLiteral("DDTRighe.DDT_ID")}},
        {QStringLiteral("SELECT ID FROM fattura WHERE Carico = false AND FattNota = false AND Data <= ?"),
         QStringLiteral("fattura"),
         {QStringLiteral("fattdett.NumFatt"), QStringLiteral("Fattura_Allegati.Fattura_Id"),
          QStringLiteral("FatturaContiRighe.Fattura_ID"), QStringLiteral("FatturaScadenze.Fattura_ID")}},
        {QStringLiteral("SELECT ID FROM fattura WHERE Carico = false AND FattNota = true AND Data <= ?"),
         QStringLiteral("fattura"),
         QStringList{QStringLiteral("NotaCreditoRighe.NotaCredito_ID")} + dueDates},
        {QStringLiteral(
             "SELECT ID FROM fattura WHERE Carico = true AND FattNota = false AND DataRegistrazione <= ?"),
         QStringLiteral("fattura"), QStringList{QStringLiteral("Movimenti.Fattura_ID")} + dueDates},
        {QStringLiteral(
             "SELECT ID FROM fattura WHERE Carico = true AND FattNota = true AND DataRegistrazione <= ?"),
         QStringLiteral("fattura"),
         QStringList{QStringLiteral("NotaCreditoCaricoRighe.NotaCredito_ID")} + dueDates},
        {QStringLiteral("SELECT ID FROM DistinteCaricoTestata WHERE Data <= ?"),
         QStringLiteral("DistinteCaricoTestata"),
         {QStringLiteral("DistinteCaricoRighe.Testata_ID")}},
        {QStringLiteral("SELECT ID FROM PreventiTestata WHERE Data <= ?"),
         QStringLiteral("PreventiTestata"),
         {QStringLiteral("PreventiRighe.Prev_ID")}},
    };

    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return core::Status::failure(transaction.error());

    // The work tables of reports, layouts and exports: this workstation's own rows, since another
    // workstation may be using its own right now. The notice texts and the customers chosen for a
    // notice are the user's work in progress and stay.
    storage::WorkstationRows own(archive, workstation);
    for (const char *name :
         {"Griglie", "TempBilancio", "TempContabilitaConto", "TempFatturaScadenzeCumulativo",
          "TempoEtichette", "TempoEtichetteStatiche", "TempPersonaleRiepilogo", "TempVettureRiepilogo",
          "TempStampa", "TempXml_Ddt", "TempXml_FatturaRighe", "TempXml_NotaCredito", "TempXml_Pagamenti"}) {
        const storage::TableDef *table = archive.schema().table(QString::fromLatin1(name));
        if (!table)
            return core::Status::failure(
                QStringLiteral("Tabella sconosciuta: %1").arg(QString::fromLatin1(name)));
        const core::Status cleared =
            table->isWorkTable()
                ? core::Status::from(own.clear(table->name))
                : core::Status::from(archive.execute(QStringLiteral("DELETE FROM ") + table->name));
        if (!cleared)
            return cleared;
    }
    for (const char *table : {"Calendario", "CisterneCarico", "finanzia", "OrdiniClienti"}) {
        const core::Result<int> done = archive.execute(
            QStringLiteral("DELETE FROM %1 WHERE Data <= ?").arg(QString::fromLatin1(table)), limit);
        if (!done)
            return core::Status::failure(done.error());
    }
    // Rows first, by the keys of their headers, then the headers.
    for (const DocumentKind &kind : kinds) {
        const QString keys = kind.headers;
        for (const QString &row : kind.rows) {
            const QString sql = QStringLiteral("DELETE FROM %1 WHERE %2 IN (%3)")
                                    .arg(row.section(u'.', 0, 0), row.section(u'.', 1, 1), keys);
            if (const core::Result<int> done = archive.execute(sql, limit); !done)
                return core::Status::failure(done.error());
        }
        const QString key = archive.schema().table(kind.table)->keyName();
        if (const core::Result<int> done = archive.execute(
                QStringLiteral("DELETE FROM %1 WHERE %2 IN (%3)").arg(kind.table, key, keys), limit);
            !done)
            return core::Status::failure(done.error());
    }
    return transaction.commit();
}

} // namespace rotalina::shell
