#include "fleet/staff.h"

#include "core/money.h"
#include "shell/descriptorfields.h"
#include "shell/storeddefaults.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"

#include <QColor>
#include <QSqlRecord>

namespace rotalina::fleet {

using shell::RecordChecks;
using shell::RegistryDescriptor;
using shell::RegistryField;
using Kind = RegistryField::Kind;
using namespace shell::fields;
namespace sqlvalue = storage::sqlvalue;

namespace {

constexpr int staffHelp = 6200;
// The working days of a month and the hours of a day the rates are reckoned on.
constexpr double workingDays = 21;
constexpr double workingHours = 8;

const char *const towns =
    "SELECT ID, Comune || ' (' || COALESCE(Provincia, '') || ')' FROM Comuni ORDER BY Comune";
const char *const nations = "SELECT SIGLA, DENOMINAZ FROM Nazioni ORDER BY DENOMINAZ";

core::Status fail(const QString &message)
{
    return core::Status::failure(message);
}

// A description chosen from a small registry and stored as text: the choice's key is the text.
RegistryField description(const char *name, const char *caption, const char *table, const char *list)
{
    const QByteArray sql =
        QByteArrayLiteral("SELECT Descrizione, Descrizione FROM ") + table + " ORDER BY Descrizione";
    RegistryField f = choice(name, caption, sql.constData());
    f.listWindow = QString::fromLatin1(list);
    return f;
}

// The statement that copies a member's name into the calendar entries that name it.
const QString calendarNames = QStringLiteral(
    "UPDATE Calendario SET Personale = (SELECT Personale.Personale FROM Personale WHERE Personale.Id = "
    "Calendario.Personale_Id) WHERE Personale_Id = ?");

RegistryDescriptor buildStaff()
{
    RegistryDescriptor r;
    r.listWindow = QStringLiteral("TfrmGrigliaPersonale");
    r.cardWindow = QStringLiteral("TfrmPersonaleDettaglio");
    r.listCaption = QStringLiteral("Personale");
    r.cardCaption = QStringLiteral("Personale");
    r.table = QStringLiteral("Personale");
    r.listSql = QStringLiteral("SELECT * FROM Personale");
    r.order = QStringLiteral("Personale, Id");
    r.columns = {column("Personale", "Personale", 220),
                 column("Codice", "Codice", 70),
                 column("Cell", "Cellulare", 110),
                 column("Tel", "Telefono", 110),
                 column("Email", "Email", 180),
                 column("NumeroLicenzaGuida", "Patente", 110),
                 column("DataAssunzione", "Assunzione", 90),
                 column("Indirizzo", "Indirizzo", 200)};
    r.filters = {{QStringLiteral("Personale"), QStringLiteral("Personale")},
                 {QStringLiteral("Cell"), QStringLiteral("Cellulare")},
                 {QStringLiteral("Tel"), QStringLiteral("Telefono")}};
    r.fields = staffGeneralFields() + staffPayFields() + staffDocumentFields();
    r.checks.required(QStringLiteral("Personale"), QStringLiteral("Attenzione manca il nominativo !"))
        .required(QStringLiteral("IdPaese"), QStringLiteral("Attenzione manca la nazione !"));
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare il dipendente?");
    r.add = [](storage::Archive &archive, const QVariant &) {
        return addStaffMember(archive);
    };
    r.save = saveStaffMember;
    r.remove = deleteStaffMember;
    r.withdrawnField = QStringLiteral("Annullato");
    r.grid = QStringLiteral("frmGrigliaPersonale");
    r.helpContext = staffHelp;
    r.rows = {{[] { return &staffDeadlinesRegistry(); }, QStringLiteral("Personale_ID"),
               QStringLiteral("Scadenze"), QStringLiteral("frmPersonaleDettaglio_DBGrid1")},
              {[] { return &staffCostsRegistry(); }, QStringLiteral("Personale_ID"), QStringLiteral("Costi"),
               QStringLiteral("frmPersonaleDettaglio_DBGrid2")},
              {[] { return &staffSalariesRegistry(); }, QStringLiteral("Personale_ID"),
               QStringLiteral("Stipendi"), QStringLiteral("frmPersonaleDettaglio_DBGrid4")}};
    return r;
}

RegistryDescriptor buildDeadlines()
{
    RegistryDescriptor r;
    r.listWindow = QStringLiteral("TfrmPersonaleScadenze");
    r.cardWindow = QStringLiteral("TfrmPersonaleScadenze");
    r.listCaption = QStringLiteral("Scadenze");
    r.cardCaption = QStringLiteral("Scadenze");
    r.table = QStringLiteral("PersonaleScadenze");
    r.listSql = QStringLiteral("SELECT * FROM PersonaleScadenze");
    r.order = QStringLiteral("DataScadenza DESC, Id DESC");
    r.columns = {column("DataScadenza", "Data Scadenza", 95), column("DataAvviso", "Data Avviso", 95),
                 column("Descrizione", "Descrizione", 200),   column("Tipologia", "Tipologia", 150),
                 column("Validato", "Validato", 60),          column("Note", "Note", 200)};
    r.fields = {field("Descrizione", "Descrizione"),
                description("Tipologia", "Tipologia", "TipologiaScadenzePersonale",
                            "TfrmGrigliaTipologieScadenzePersonale"),
                field("DataScadenza", "Data Scadenza", Kind::Date),
                field("DataAvviso", "Data Avviso", Kind::Date),
                field("Validato", "Validato", Kind::Check),
                field("Note", "Note", Kind::Memo)};
    r.checks.required(QStringLiteral("Descrizione"), QStringLiteral("Attenzione manca la Descrizione"))
        .required(QStringLiteral("DataAvviso"),
                  QStringLiteral("Attenzione manca la Data di avviso della scadenza"))
        .required(QStringLiteral("DataScadenza"), QStringLiteral("Attenzione manca la data di Scadenza"));
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare la scadenza?");
    r.ownerField = QStringLiteral("Personale_ID");
    // The start-up reminder asks for the deadlines not dealt with: a flag never left empty.
    r.newValues = {{QStringLiteral("Validato"), false}};
    r.normalise = [](QVariantMap &values) {
        if (values.contains(QStringLiteral("Validato")))
            values.insert(QStringLiteral("Validato"), values.value(QStringLiteral("Validato")).toBool());
    };
    r.rowColour = [](const QSqlRecord &row) -> QVariant {
        return deadlineOverdue(row.value(QStringLiteral("DataAvviso")), row.value(QStringLiteral("Validato")),
                               QDate::currentDate())
                   ? QVariant(QColor(Qt::red))
                   : QVariant();
    };
    r.grid = QStringLiteral("frmPersonaleDettaglio_DBGrid1");
    r.helpContext = staffHelp;
    return r;
}

RegistryDescriptor buildCosts()
{
    RegistryDescriptor r;
    r.listWindow = QStringLiteral("TfrmPersonaleCosti");
    r.cardWindow = QStringLiteral("TfrmPersonaleCosti");
    r.listCaption = QStringLiteral("Costi x Personale");
    r.cardCaption = QStringLiteral("Costi x Personale");
    r.table = QStringLiteral("PersonaleCosti");
    r.listSql = QStringLiteral("SELECT * FROM PersonaleCosti");
    r.order = QStringLiteral("Data DESC, ID DESC");
    r.columns = {column("Data", "Data", 95), column("TipologiaCosto", "Tipologia", 180),
                 column("Importo", "Importo", 100), column("Note", "Note", 220)};
    RegistryField kind = shell::registryChoice(
        "TipologiaCosto_id", "Tipologia",
        QStringLiteral("SELECT Id, Descrizione FROM TipologiaCostiPersonale ORDER BY Descrizione"),
        QStringLiteral("SELECT Descrizione AS TipologiaCosto FROM TipologiaCostiPersonale "
                       "WHERE Id = ?"),
        {QStringLiteral("TipologiaCosto")});
    kind.listWindow = QStringLiteral("TfrmGrigliaTipologieCostiPersonale");
    r.fields = {field("Data", "Data", Kind::Date), field("Importo", "Importo", Kind::Amount), kind,
                field("TipologiaCosto", "Tipologia", Kind::Hidden), field("Note", "Note", Kind::Memo)};
    r.checks.required(QStringLiteral("Data"), QStringLiteral("Attenzione manca la Data"))
        .required(QStringLiteral("Importo"), QStringLiteral("Attenzione manca l' Importo"))
        .required(QStringLiteral("TipologiaCosto_id"), QStringLiteral("Attenzione manca la Tipologia"));
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare il Costo ?");
    r.ownerField = QStringLiteral("Personale_ID");
    r.todayField = QStringLiteral("Data");
    r.grid = QStringLiteral("frmPersonaleDettaglio_DBGrid2");
    r.helpContext = staffHelp;
    return r;
}

RegistryDescriptor buildSalaries()
{
    RegistryDescriptor r;
    r.listWindow = QStringLiteral("TfrmPersonaleStipendi");
    r.cardWindow = QStringLiteral("TfrmPersonaleStipendi");
    r.listCaption = QStringLiteral("Stipendi");
    r.cardCaption = QStringLiteral("Stipendi");
    r.table = QStringLiteral("PersonaleStipendi");
    r.listSql =
        QStringLiteral("SELECT PersonaleStipendi.*, Mesi.Descrizione AS NomeMese FROM PersonaleStipendi "
                       "LEFT JOIN Mesi ON PersonaleStipendi.Mese = Mesi.numero");
    r.order =
        QStringLiteral("PersonaleStipendi.Anno DESC, PersonaleStipendi.Mese DESC, PersonaleStipendi.ID DESC");
    r.columns = {column("Anno", "Anno", 60),
                 column("NomeMese", "Mese", 90),
                 column("Base", "Base", 90),
                 column("Giorni", "Giorni", 60),
                 column("Trasferta", "Trasferta", 90),
                 column("Addebiti", "Addebiti", 90),
                 column("Accrediti", "Accrediti", 90),
                 column("TotaleParziale", "Totale Parziale", 100),
                 column("ImportoBonifico", "Importo Bonifico", 110),
                 column("DataPagamento", "Data Pagamento", 100)};
    r.fields = {field("Anno", "Anno", Kind::Amount, 0),
                choice("Mese", "Mese", "SELECT numero, Descrizione FROM Mesi ORDER BY numero"),
                field("Base", "Base", Kind::Amount),
                field("Giorni", "Giorni", Kind::Amount),
                field("Trasferta", "Trasferta", Kind::Amount),
                field("Addebiti", "Addebiti", Kind::Amount),
                field("Addebiti_Descrizione", "Descrizione Addebiti", Kind::Memo),
                field("Accrediti", "Accrediti", Kind::Amount),
                field("Accrediti_Descrizione", "Descrizione Accrediti", Kind::Memo),
                startsColumn(field("Assegni", "Assegni", Kind::Amount)),
                field("TotaleParziale", "Totale Parziale", Kind::Amount),
                field("ImportoBonifico", "Importo Bonifico", Kind::Amount),
                field("DataPagamento", "Data Pagamento", Kind::Date),
                field("Note", "Note", Kind::Memo)};
    r.checks.required(QStringLiteral("Anno"), QStringLiteral("Attenzione manca l' Anno"))
        .required(QStringLiteral("ImportoBonifico"),
                  QStringLiteral("Attenzione manca l' Importo del bonifico"))
        .required(QStringLiteral("Mese"), QStringLiteral("Attenzione manca il Mese"));
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare lo Stipendio ?");
    r.ownerField = QStringLiteral("Personale_ID");
    r.add = [](storage::Archive &archive, const QVariant &owner) {
        return addSalary(archive, owner.toLongLong(), QDate::currentDate());
    };
    r.grid = QStringLiteral("frmPersonaleDettaglio_DBGrid4");
    r.helpContext = staffHelp;
    return r;
}

} // namespace

const RegistryDescriptor &staffRegistry()
{
    static const RegistryDescriptor registry = buildStaff();
    return registry;
}

const RegistryDescriptor &staffDeadlinesRegistry()
{
    static const RegistryDescriptor registry = buildDeadlines();
    return registry;
}

const RegistryDescriptor &staffCostsRegistry()
{
    static const RegistryDescriptor registry = buildCosts();
    return registry;
}

const RegistryDescriptor &staffSalariesRegistry()
{
    static const RegistryDescriptor registry = buildSalaries();
    return registry;
}

QList<RegistryField> staffGeneralFields()
{
    return {field("Personale", "Personale"),
            field("Cognome", "Cognome"),
            field("Nome", "Nome"),
            field("Titolo", "Titolo"),
            field("Codice", "Codice"),
            field("Indirizzo", "Indirizzo"),
            field("Numero", "Numero"),
            field("Cap", "Cap"),
            choice("Comune_Id", "Comune", towns, "TfrmComuniDett", "TfrmGrigliaComuni"),
            choice("IdPaese", "Nazione", nations),
            choice("CategoriaPersonale_ID", "Categoria",
                   "SELECT Id, Descrizione FROM CategoriePersonale ORDER BY Descrizione", nullptr,
                   "TfrmGrigliaCategoriePersonale"),
            startsColumn(field("Tel", "Telefono")),
            field("Telefono2", "2° Telefono"),
            field("Cell", "Cellulare"),
            field("Fax", "Fax"),
            field("Email", "E-mail"),
            field("Skype", "Skype"),
            field("Iva", "Partita iva"),
            field("CodFisc", "Codice Fiscale"),
            field("CodEORI", "Codice EORI"),
            field("CartellaServer", "Cartella Dati"),
            field("PrivacyFirmata", "Privacy firmata", Kind::Check),
            field("Annullato", "Annullato", Kind::Check),
            field("Note", "Note", Kind::Memo)};
}

QList<RegistryField> staffPayFields()
{
    return {field("PagaMensile", "Paga Mensile", Kind::Amount),
            field("TariffaGiornaliera", "Tariffa Giornaliera", Kind::Amount),
            field("TariffaOraria", "Tariffa Oraria", Kind::Amount), field("Iban", "Iban"),
            field("DescBanca", "Banca")};
}

QList<RegistryField> staffDocumentFields()
{
    return {field("DataNascita", "Data di nascita", Kind::Date),
            choice("LuogoNascita_id", "Luogo di nascita", towns),
            choice("StatoNascita", "Stato di nascita", nations),
            choice("Cittadinanza", "Cittadinanza", nations),
            field("DataAssunzione", "Data Assunzione", Kind::Date),
            field("DataFineRapporto", "Data Fine Rapporto", Kind::Date),
            description("DocTipo", "Tipo Documento", "TipoDocumenti", "TfrmGrigliaTipoDocumenti"),
            field("Documento", "Documento"),
            startsColumn(field("NumeroLicenzaGuida", "Numero Patente")),
            field("CQC", "CQC"),
            field("Tachigrafo", "Carta Tachigrafica"),
            field("Passaporto_Numero", "Numero Passaporto"),
            field("Passaporto_DataRilascio", "Rilascio Passaporto", Kind::Date),
            field("PermSogg_Numero", "Permesso di Soggiorno"),
            field("PermSogg_Data", "Data Permesso", Kind::Date),
            field("PermSogg_Scadenza", "Scadenza Permesso", Kind::Date),
            field("PermSogg_Questura", "Questura")};
}

core::Result<qint64> addStaffMember(storage::Archive &archive)
{
    return shell::insertWithDefaults(archive, QStringLiteral("Personale"), QStringLiteral("Personale"),
                                     {{QStringLiteral("Annullato"), false},
                                      {QStringLiteral("PrivacyFirmata"), false},
                                      {QStringLiteral("PagaMensile"), 0.0},
                                      {QStringLiteral("TariffaGiornaliera"), 0.0},
                                      {QStringLiteral("TariffaOraria"), 0.0}});
}

core::Status saveStaffMember(storage::Archive &archive, qint64 key, const QVariantMap &changed)
{
    QVariantMap written = changed;
    // The list hides withdrawn members by asking for the flag: it is never left empty.
    if (written.contains(QStringLiteral("Annullato")))
        written.insert(QStringLiteral("Annullato"), written.value(QStringLiteral("Annullato")).toBool());
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return fail(transaction.error());
    if (core::Status updated = archive.update(QStringLiteral("Personale"), key, written); !updated)
        return updated;
    // The calendar keeps the name as text so that its list filters on it: it follows a rename.
    if (const core::Result<int> copied = archive.execute(calendarNames, {key}); !copied)
        return fail(copied.error());
    return transaction.commit();
}

core::Status deleteStaffMember(storage::Archive &archive, qint64 key)
{
    // Job orders, documents and vehicles keep the people named on them: their prints need them.
    static const QList<shell::RegistryUse> uses = {
        {QStringLiteral("TotaliCo"), QStringLiteral("Personale_ID"), QStringLiteral("Commesse (autista)")},
        {QStringLiteral("TotaliCo"), QStringLiteral("Personale2_ID"),
         QStringLiteral("Commesse (secondo autista)")},
        {QStringLiteral("PreventiTestata"), QStringLiteral("Personale_ID"), QStringLiteral("Preventivi")},
        {QStringLiteral("Ddt"), QStringLiteral("Personale_ID"), QStringLiteral("Documenti di trasporto")},
        {QStringLiteral("DistinteCaricoTestata"), QStringLiteral("Personale_ID"),
         QStringLiteral("Distinte di carico")},
        {QStringLiteral("DistinteCaricoTestata"), QStringLiteral("Personale2_ID"),
         QStringLiteral("Distinte di carico (secondo autista)")},
        {QStringLiteral("fattura"), QStringLiteral("Personale_ID"), QStringLiteral("Fatture")},
        {QStringLiteral("fattdett"), QStringLiteral("Personale_ID"), QStringLiteral("Righe di fattura")},
        {QStringLiteral("NotaCreditoRighe"), QStringLiteral("Personale_ID"),
         QStringLiteral("Righe di note di credito")},
        {QStringLiteral("Vetture"), QStringLiteral("Personale_ID"), QStringLiteral("Vetture")},
        {QStringLiteral("VettureCarburante"), QStringLiteral("Personale_ID"), QStringLiteral("Rifornimenti")},
        {QStringLiteral("Calendario"), QStringLiteral("Personale_Id"), QStringLiteral("Calendario")}};
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return fail(transaction.error());
    QStringList found;
    for (const shell::RegistryUse &use : uses) {
        const core::Result<QVariant> counted = archive.scalar(
            QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ?").arg(use.table, use.field), {key});
        if (!counted)
            return fail(counted.error());
        if (const int rows = counted->toInt(); rows > 0)
            found.append(QStringLiteral("- %1: %2").arg(use.caption).arg(rows));
    }
    if (!found.isEmpty())
        return fail(QStringLiteral("Attenzione il dipendente è usato in archivio e non può essere eliminato: "
                                   "lo si può annullare.\n") +
                    found.join(u'\n'));
    for (const char *table : {"PersonaleScadenze", "PersonaleCosti", "PersonaleStipendi"}) {
        if (const core::Result<int> removed = archive.execute(
                QStringLiteral("DELETE FROM %1 WHERE Personale_ID = ?").arg(QLatin1StringView(table)), {key});
            !removed)
            return fail(removed.error());
    }
    if (core::Status removed = archive.remove(QStringLiteral("Personale"), key); !removed)
        return removed;
    return transaction.commit();
}

core::Result<double> dailyRate(double monthlyPay)
{
    if (monthlyPay <= 0)
        return core::Result<double>::failure(QStringLiteral(
            "Attenzione Inserisci la paga mensile per poter calcolare la tariffa giornaliera!"));
    return core::arrotonda(monthlyPay / workingDays);
}

core::Result<double> hourlyRate(double dailyRate)
{
    if (dailyRate <= 0)
        return core::Result<double>::failure(QStringLiteral(
            "Attenzione Inserisci la Tariffa giornaliera per poter calcolare la tariffa Oraria!"));
    return core::arrotonda(dailyRate / workingHours);
}

bool deadlineOverdue(const QVariant &warning, const QVariant &validated, const QDate &today)
{
    const QDate date = sqlvalue::toDate(warning);
    return date.isValid() && date < today && !validated.toBool();
}

core::Result<qint64> addSalary(storage::Archive &archive, qint64 member, const QDate &today)
{
    const core::Result<QVariant> pay =
        archive.scalar(QStringLiteral("SELECT PagaMensile FROM Personale WHERE Id = ?"), {member});
    if (!pay)
        return core::Result<qint64>::failure(pay.error());
    return shell::insertWithDefaults(archive, QStringLiteral("PersonaleStipendi"),
                                     QStringLiteral("PersonaleStipendi"),
                                     {{QStringLiteral("Base"), core::arrotonda(pay->toDouble())},
                                      {QStringLiteral("Anno"), today.year()},
                                      {QStringLiteral("DataPagamento"), today}},
                                     {{QStringLiteral("Personale_ID"), member}});
}

double salaryPartialTotal(double base, double travel, double charges, double credits)
{
    return core::arrotonda(base + travel + charges - credits);
}

} // namespace rotalina::fleet
