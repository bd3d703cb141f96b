#include "shell/duedatereminder.h"

#include "core/datetext.h"
#include "core/numbertext.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"

namespace rotalina::shell {

namespace {

QString cellText(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    if (storage::sqlvalue::isDate(value))
        return core::datetext::formatShortDate(storage::sqlvalue::toDate(value));
    if (value.typeId() == QMetaType::Double)
        return core::formatItalianNumber(value.toDouble());
    return value.toString();
}

struct ListDefinition
{
    ReminderList list;
    QString sql;
    // How many days before it comes a date is reminded of (0: once it has come).
    int daysAhead = 0;
};

// A DURC takes weeks to renew, and an owner-driver without a valid one may not be given work: its
// expiry is reminded of a month ahead.
constexpr int durcNotice = 30;

QList<ListDefinition> definitions()
{
    using C = ReminderList::Column;
    return {
        {{QStringLiteral("StringGrid1"),
          QStringLiteral("Scadenze pagamenti scaduti"),
          QStringLiteral("TfrmScadenziarioDettaglio"),
          QStringLiteral("IdeScadenza"),
          {C{QStringLiteral("DataScadenza"), QStringLiteral("Data Scadenza")},
           C{QStringLiteral("Operazione"), QStringLiteral("Operazione")},
           C{QStringLiteral("Cliente"), QStringLiteral("Cliente")},
           C{QStringLiteral("Fornitore"), QStringLiteral("Fornitore")},
           C{QStringLiteral("Importo"), QStringLiteral("Importo")},
           C{QStringLiteral("ModoPagamento"), QStringLiteral("Mod.Pagamento")},
           C{QStringLiteral("Note"), QStringLiteral("Note")},
           C{QStringLiteral("IdeScadenza"), QStringLiteral("id_scad")},
           C{QStringLiteral("Tipo"), QStringLiteral("Tipo")}},
          {}},
         QStringLiteral(
             "SELECT FatturaScadenze.Operazione, FatturaScadenze.Tipo, FatturaScadenze.DataScadenza, "
             "FatturaScadenze.Id AS IdeScadenza, FatturaScadenze.Importo, FatturaScadenze.Note, "
             "Fornitor.Fornitore, ModPagamento.Descrizione AS ModoPagamento, "
             "Clienti.NominativoVisualizzato AS Cliente "
             "FROM FatturaScadenze "
             "LEFT JOIN ModPagamento ON FatturaScadenze.ModPagamento_Id = ModPagamento.id "
             "LEFT JOIN Clienti ON FatturaScadenze.Cliente_id = Clienti.Id "
             "LEFT JOIN Fornitor ON FatturaScadenze.Fornitore_id = Fornitor.Id "
             "WHERE FatturaScadenze.DataPagamento IS NULL AND FatturaScadenze.DataScadenza <= ? "
             "ORDER BY FatturaScadenze.DataScadenza, FatturaScadenze.Operazione")},
        {{QStringLiteral("StringGrid2"),
          QStringLiteral("Scadenze Vetture"),
          QStringLiteral("TfrmVettureScadenze"),
          QStringLiteral("IdeScadenza"),
          {C{QStringLiteral("DataScadenza"), QStringLiteral("Data Scadenza")},
           C{QStringLiteral("Operazione"), QStringLiteral("Operazione")},
           C{QStringLiteral("Veicolo"), QStringLiteral("Veicolo")},
           C{QStringLiteral("Targa"), QStringLiteral("Targa")},
           C{QStringLiteral("Note"), QStringLiteral("Note")},
           C{QStringLiteral("IdeScadenza"), QStringLiteral("id_scad")}},
          {}},
         QStringLiteral("SELECT Vetture.Targa, Veicoli.Descrizione AS Veicolo, VettureScadenze.Note, "
                        "VettureScadenze.DataScadenza, VettureScadenze.Descrizione AS Operazione, "
                        "VettureScadenze.Id AS IdeScadenza "
                        "FROM VettureScadenze INNER JOIN Vetture ON VettureScadenze.Vettura_ID = Vetture.ID "
                        "LEFT JOIN Veicoli ON Vetture.Veicolo_ID = Veicoli.Id "
                        "WHERE VettureScadenze.Validato = false AND VettureScadenze.DataAvviso <= ? "
                        "AND (Vetture.Annullato = false OR Vetture.Annullato IS NULL) "
                        "ORDER BY VettureScadenze.DataScadenza, VettureScadenze.Descrizione")},
        {{QStringLiteral("StringGrid3"),
          QStringLiteral("Scadenze Padroncini"),
          QStringLiteral("TfrmModificaPadronciniScadenze"),
          QStringLiteral("id_scad"),
          {C{QStringLiteral("DataScadenza"), QStringLiteral("Data Scadenza")},
           C{QStringLiteral("Padroncino"), QStringLiteral("Padroncino")},
           C{QStringLiteral("Importo"), QStringLiteral("Importo")},
           C{QStringLiteral("ModPagamento"), QStringLiteral("Mod. Pagamento")},
           C{QStringLiteral("DataRiferimento"), QStringLiteral("Data Rif.")},
           C{QStringLiteral("Numero"), QStringLiteral("Numero Rata")},
           C{QStringLiteral("id_scad"), QStringLiteral("id_scad")}},
          {}},
         QStringLiteral(
             "SELECT Padroncini.RagioneSociale AS Padroncino, PadronciniScadenze.DataScadenza, "
             "PadronciniScadenze.Id AS id_scad, PadronciniScadenze.Importo, PadronciniScadenze.Numero, "
             "PadronciniScadenze.DataRiferimento, ModPagamento.Descrizione AS ModPagamento "
             "FROM PadronciniScadenze "
             "INNER JOIN Padroncini ON PadronciniScadenze.Padroncino_ID = Padroncini.id "
             "LEFT JOIN ModPagamento ON PadronciniScadenze.ModPagamento_Id = ModPagamento.id "
             "WHERE PadronciniScadenze.DataScadenza <= ? AND PadronciniScadenze.pagato = false "
             "ORDER BY PadronciniScadenze.DataScadenza, Padroncini.RagioneSociale")},
        {{QStringLiteral("StringGrid4"),
          QStringLiteral("Scadenze Personale"),
          QStringLiteral("TfrmPersonaleScadenze"),
          QStringLiteral("IdeScadenza"),
          {C{QStringLiteral("DataScadenza"), QStringLiteral("Data Scadenza")},
           C{QStringLiteral("Operazione"), QStringLiteral("Operazione")},
           C{QStringLiteral("Personale"), QStringLiteral("Personale")},
           C{QStringLiteral("Note"), QStringLiteral("Note")},
           C{QStringLiteral("IdeScadenza"), QStringLiteral("id_scad")}},
          {}},
         QStringLiteral(
             "SELECT Personale.Personale, PersonaleScadenze.Note, PersonaleScadenze.DataScadenza, "
             "PersonaleScadenze.Descrizione AS Operazione, PersonaleScadenze.Id AS IdeScadenza "
             "FROM PersonaleScadenze INNER JOIN Personale ON PersonaleScadenze.Personale_ID = Personale.ID "
             "WHERE PersonaleScadenze.Validato = false AND PersonaleScadenze.DataAvviso <= ? "
             "AND (Personale.Annullato = false OR Personale.Annullato IS NULL) "
             "ORDER BY PersonaleScadenze.DataScadenza, PersonaleScadenze.Descrizione")},
        {{QStringLiteral("StringGrid5"),
          QStringLiteral("Avvisi Calendario"),
          QStringLiteral("TfrmCalendario"),
          QStringLiteral("Id"),
          {C{QStringLiteral("Data"), QStringLiteral("Data")},
           C{QStringLiteral("TipologiaCalendario"), QStringLiteral("Tipologia")},
           C{QStringLiteral("Cliente"), QStringLiteral("Cliente")},
           C{QStringLiteral("Personale"), QStringLiteral("Personale")},
           C{QStringLiteral("Note"), QStringLiteral("Note")}, C{QStringLiteral("Id"), QString()}},
          {}},
         QStringLiteral(
             "SELECT Calendario.Data, Calendario.Personale, Calendario.Cliente, "
             "Calendario.TipologiaCalendario, Calendario.Note, Calendario.Id "
             "FROM Calendario WHERE Conclusa = false AND DataAvviso <= ? ORDER BY Calendario.DataAvviso")},
        {{QStringLiteral("StringGrid6"),
          QStringLiteral("Scadenze DURC Padroncini"),
          QStringLiteral("TfrmPadronciniDettaglio"),
          QStringLiteral("id_padroncino"),
          {C{QStringLiteral("ScadenzaDurc"), QStringLiteral("Scadenza DURC")},
           C{QStringLiteral("Padroncino"), QStringLiteral("Padroncino")},
           C{QStringLiteral("Tel"), QStringLiteral("Telefono")},
           C{QStringLiteral("Cell"), QStringLiteral("Cellulare")},
           C{QStringLiteral("Email"), QStringLiteral("Email")},
           C{QStringLiteral("id_padroncino"), QStringLiteral("id_padroncino")}},
          {}},
         QStringLiteral(
             "SELECT Padroncini.RagioneSociale AS Padroncino, Padroncini.ScadenzaDurc, Padroncini.Tel, "
             "Padroncini.Cell, Padroncini.Email, Padroncini.id AS id_padroncino FROM Padroncini "
             "WHERE Padroncini.ScadenzaDurc <= ? ORDER BY Padroncini.ScadenzaDurc, "
             "Padroncini.RagioneSociale"),
         durcNotice},
    };
}

} // namespace

int ReminderList::columnOf(const QString &field) const
{
    for (qsizetype i = 0; i < columns.size(); ++i) {
        if (columns.at(i).field.compare(field, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

core::Result<QList<ReminderList>> loadDueDateReminder(storage::Archive &archive, const QDate &today)
{
    using R = core::Result<QList<ReminderList>>;
    QList<ReminderList> lists;
    for (ListDefinition &definition : definitions()) {
        // Everything dated by the last day reminded of, whatever its time, is due.
        core::Result<QSqlQuery> query = archive.select(
            definition.sql, {storage::sqlvalue::endOfDay(today.addDays(definition.daysAhead))});
        if (!query)
            return R::failure(query.error());
        while (query->next()) {
            QStringList cells;
            for (const ReminderList::Column &column : std::as_const(definition.list.columns))
                cells.append(cellText(query->value(column.field)));
            definition.list.rows.append(cells);
        }
        lists.append(definition.list);
    }
    return lists;
}

bool anythingDue(const QList<ReminderList> &lists)
{
    return std::any_of(lists.cbegin(), lists.cend(),
                       [](const ReminderList &list) { return !list.rows.isEmpty(); });
}

} // namespace rotalina::shell
