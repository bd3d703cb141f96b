#include "transport/loadinglists.h"

#include "shell/descriptorfields.h"
#include "shell/storeddefaults.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"
#include "transport/pricedrows.h"

namespace rotalina::transport {

using shell::DocumentDescriptor;
using shell::DocumentTab;
using shell::RecordChecks;
using shell::RegistryDescriptor;
using shell::RegistryField;
using Kind = RegistryField::Kind;
using namespace shell::fields;
namespace sqlvalue = storage::sqlvalue;

namespace {

constexpr int loadingListHelp = 4400;

const char *const addresses = "SELECT ID, RagioneSociale FROM Indirizzi ORDER BY RagioneSociale";
const char *const staff =
    "SELECT Id, COALESCE(Personale, TRIM(COALESCE(Cognome, '') || ' ' || COALESCE(Nome, ''))) "
    "FROM Personale ORDER BY 2";
const char *const plates = "SELECT Targa, Targa FROM Vetture WHERE Targa IS NOT NULL ORDER BY Targa";

core::Status fail(const QString &message)
{
    return core::Status::failure(message);
}

bool isFilled(const QVariant &value)
{
    return value.isValid() && !value.isNull() && !value.toString().trimmed().isEmpty();
}

// An address chosen for a consignment, with its name copied beside the key as the print shows it.
RegistryField address(const char *name, const char *caption, const char *copy)
{
    RegistryField f = choice(name, caption, addresses, "TfrmIndirizziDettaglio", "TfrmIndirizzi");
    f.copySql =
        QStringLiteral("SELECT RagioneSociale AS %1 FROM Indirizzi WHERE ID = ?").arg(QLatin1String(copy));
    f.copiedFields = {QLatin1String(copy)};
    return f;
}

RegistryDescriptor buildRows()
{
    RegistryDescriptor r;
    r.cardWindow = QStringLiteral("TfrmModificaDistinteCarico");
    r.cardCaption = QStringLiteral("Modifica Distinta di Carico");
    r.table = QStringLiteral("DistinteCaricoRighe");
    r.listSql = QStringLiteral("SELECT * FROM DistinteCaricoRighe");
    r.order = QStringLiteral("NumeroRiga, IDX");
    r.ownerField = QStringLiteral("Testata_ID");
    r.columns = {column("Mittente", "Mittente", 200),
                 column("Destinatario", "Destinatario", 200),
                 column("DataTrasporto", "Data Trasporto", 90),
                 column("Contrassegno", "Contrassegno", 90),
                 column("RIFDDT", "Rif. DDT", 80),
                 column("Colli", "Colli", 60),
                 column("NumeroRiga", "N° Riga", 60)};
    r.grid = QStringLiteral("frmDistinteCarico");
    r.fields = {field("NumeroRiga", "Numero di riga", Kind::Amount, 0),
                address("Mittente_Id", "Mittente", "Mittente"),
                field("Mittente", "", Kind::Hidden),
                address("Destinatario_Id", "Destinatario", "Destinatario"),
                field("Destinatario", "", Kind::Hidden),
                field("DataTrasporto", "Data Trasporto", Kind::Date),
                field("RIFDDT", "Rifermento D.D.T."),
                field("DataDDT", "Data D.D.T.", Kind::Date),
                field("Note", "Note"),
                startsColumn(field("Colli", "Colli", Kind::Amount, 0)),
                field("Peso", "Peso", Kind::Amount),
                field("PesoTassabile", "Peso Tassabile", Kind::Amount),
                field("Volume", "Volume", Kind::Amount),
                field("TariffaQuintale", "Tariffa Quintale", Kind::Amount),
                field("Importo", "Importo", Kind::Amount),
                field("Contrassegno", "Contrassegno", Kind::Amount)};
    r.checks = loadingListRowChecks();
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare la riga?");
    r.add = [](storage::Archive &archive, const QVariant &owner) {
        return addLoadingListRow(archive, owner.toLongLong());
    };
    r.helpContext = loadingListHelp;
    return r;
}

DocumentDescriptor buildDocument()
{
    DocumentDescriptor d;
    d.window = QStringLiteral("TfrmDistinteCarico");
    d.caption = QStringLiteral("Distinte di Carico");
    d.table = QStringLiteral("DistinteCaricoTestata");
    RegistryField customer =
        choice("Cliente_Id", "Cliente",
               "SELECT Id, NominativoVisualizzato FROM Clienti ORDER BY NominativoVisualizzato",
               "TfrmClientiDett", "TfrmClienti");
    customer.copySql = QStringLiteral("SELECT NominativoDocumenti AS Cliente FROM Clienti WHERE Id = ?");
    customer.copiedFields = {QStringLiteral("Cliente")};
    customer.cardButton = QStringLiteral("SpeedButton8");
    const auto vehicle = [](const char *name, const char *caption) {
        return choice(name, caption, plates, "TfrmVettureDettaglio", "TfrmVetture");
    };
    const auto driver = [](const char *name, const char *caption) {
        return choice(name, caption, staff, "TfrmPersonaleDettaglio", "TfrmGrigliaPersonale");
    };
    DocumentTab header{QStringLiteral("   Testata   "),
                       {field("Numero", "Distinta N° ", Kind::Amount, 0), field("Serie", "Serie "),
                        field("Data", "Data", Kind::Date), field("DataConsegna", "Data Consegna", Kind::Date),
                        customer, field("Cliente", "", Kind::Hidden), field("Chiusa", "Chiusa", Kind::Check),
                        startsColumn(vehicle("Targa1", "1° Targa")), vehicle("Targa2", "2° Targa"),
                        driver("Personale_ID", "Autista"), driver("Personale2_ID", "2° Autista"),
                        field("Note", "Note", Kind::Memo)},
                       {}};
    const RegistryDescriptor &rows = loadingListRowsRegistry();
    DocumentTab rowsTab{
        QStringLiteral("   Righe   "),
        {},
        {{[] { return &loadingListRowsRegistry(); }, rows.ownerField, QStringLiteral("Righe"), rows.grid}}};
    d.tabs = {header, rowsTab};
    d.checks = loadingListChecks();
    d.save = saveLoadingList;
    d.remove = deleteLoadingList;
    d.helpContext = loadingListHelp;
    return d;
}

RegistryDescriptor buildList()
{
    RegistryDescriptor r;
    r.listWindow = QStringLiteral("TfrmGrigliaDistinteCarico");
    r.cardWindow = QStringLiteral("TfrmDistinteCarico");
    r.listCaption = QStringLiteral("Distinte Carico");
    r.cardCaption = QStringLiteral("Distinte di Carico");
    r.table = QStringLiteral("DistinteCaricoTestata");
    r.listSql =
        QStringLiteral("SELECT ID, Numero, Data, Serie, Cliente, Targa1, DataConsegna, Personale_ID, Chiusa, "
                       "Storico FROM DistinteCaricoTestata");
    r.order = QStringLiteral("Numero, ID");
    r.columns = {column("Numero", "Numero", 70), column("Data", "Data", 90),
                 column("Serie", "Serie", 60),   column("Cliente", "Cliente", 240),
                 column("Targa1", "Targa", 90),  column("DataConsegna", "Data Consegna", 100)};
    r.grid = QStringLiteral("frmGrigliaDistinteCarico");
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare la Distinta di Carico ??");
    r.remove = deleteLoadingList;
    r.helpContext = loadingListHelp;
    return r;
}

QVariantList yearBounds(int year)
{
    return {sqlvalue::date(QDate(year, 1, 1)), sqlvalue::endOfDay(QDate(year, 12, 31))};
}

} // namespace

const DocumentDescriptor &loadingListDocument()
{
    static const DocumentDescriptor document = buildDocument();
    return document;
}

const RegistryDescriptor &loadingListRowsRegistry()
{
    static const RegistryDescriptor registry = buildRows();
    return registry;
}

const RegistryDescriptor &loadingListsRegistry()
{
    static const RegistryDescriptor registry = buildList();
    return registry;
}

QString duplicateLoadingListMessage(int number, int year)
{
    return QStringLiteral("Attenzione il numero %1 è già stato dato a un'altra Distinta di Carico del %2")
        .arg(number)
        .arg(year);
}

core::Result<int> nextLoadingListNumber(storage::Archive &archive, int year)
{
    const core::Result<QVariant> highest = archive.scalar(
        QStringLiteral("SELECT MAX(Numero) FROM DistinteCaricoTestata WHERE Data >= ? AND Data <= ?"),
        yearBounds(year));
    if (!highest)
        return core::Result<int>::failure(highest.error());
    return highest->isNull() ? 1 : highest->toInt() + 1;
}

core::Result<qint64> createLoadingList(storage::Archive &archive, const QDate &today, bool history)
{
    using R = core::Result<qint64>;
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return R::failure(transaction.error());
    if (core::Status locked = archive.lockSequence(QStringLiteral("DistinteCaricoTestata")); !locked)
        return R::failure(locked.error());
    const core::Result<int> number = nextLoadingListNumber(archive, today.year());
    if (!number)
        return R::failure(number.error());
    const R added = shell::insertWithDefaults(archive, QStringLiteral("DistinteCaricoTestata"),
                                              QStringLiteral("DistinteCaricoTestata"), {},
                                              {{QStringLiteral("Numero"), *number},
                                               {QStringLiteral("Data"), today},
                                               {QStringLiteral("DataConsegna"), today},
                                               {QStringLiteral("Chiusa"), false},
                                               {QStringLiteral("Storico"), history}});
    if (!added)
        return added;
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return added;
}

RecordChecks loadingListChecks()
{
    RecordChecks checks;
    checks.required(QStringLiteral("Data"), QStringLiteral("Attenzione manca la data"))
        .required(QStringLiteral("Numero"), QStringLiteral("Attenzione manca il numero di Distinta"))
        .required(QStringLiteral("Targa1"), QStringLiteral("Attenzione manca la targa"))
        .required(QStringLiteral("Cliente_Id"), QStringLiteral("Attenzione manca il Cliente"));
    return checks;
}

core::Status saveLoadingList(storage::Archive &archive, qint64 list, const QVariantMap &changed)
{
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return fail(transaction.error());
    if (changed.contains(QStringLiteral("Numero")) || changed.contains(QStringLiteral("Data"))) {
        if (core::Status locked = archive.lockSequence(QStringLiteral("DistinteCaricoTestata")); !locked)
            return locked;
        const core::Result<QVariantMap> stored =
            archive.readRow(QStringLiteral("DistinteCaricoTestata"), list);
        if (!stored)
            return fail(stored.error());
        QVariantMap values = *stored;
        for (auto it = changed.begin(); it != changed.end(); ++it)
            values.insert(it.key(), it.value());
        const QVariant number = values.value(QStringLiteral("Numero"));
        const QDate date = sqlvalue::toDate(values.value(QStringLiteral("Data")));
        if (isFilled(number) && date.isValid()) {
            const core::Result<QVariant> taken = archive.scalar(
                QStringLiteral("SELECT COUNT(*) FROM DistinteCaricoTestata WHERE Numero = ? AND ID <> "
                               "? AND Data >= ? AND Data <= ?"),
                QVariantList{number.toInt(), list} + yearBounds(date.year()));
            if (!taken)
                return fail(taken.error());
            if (taken->toInt() > 0)
                return fail(duplicateLoadingListMessage(number.toInt(), date.year()));
        }
    }
    if (core::Status written = archive.update(QStringLiteral("DistinteCaricoTestata"), list, changed);
        !written)
        return written;
    return transaction.commit();
}

core::Result<qint64> addLoadingListRow(storage::Archive &archive, qint64 list, const QDate &today)
{
    using R = core::Result<qint64>;
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return R::failure(transaction.error());
    const core::Result<NewRowStart> start =
        newRowStart(archive, QStringLiteral("DistinteCaricoTestata"), QStringLiteral("Data"),
                    QStringLiteral("DistinteCaricoRighe"), QStringLiteral("Testata_ID"), list, today);
    if (!start)
        return R::failure(start.error());
    const R added = archive.insert(QStringLiteral("DistinteCaricoRighe"),
                                   {{QStringLiteral("Testata_ID"), list},
                                    {QStringLiteral("DataTrasporto"), start->date},
                                    {QStringLiteral("NumeroRiga"), start->number}});
    if (!added)
        return added;
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return added;
}

RecordChecks loadingListRowChecks()
{
    RecordChecks checks;
    checks.required(QStringLiteral("Destinatario_Id"), QStringLiteral("Attenzione manca il Destinatario"));
    return checks;
}

core::Status deleteLoadingList(storage::Archive &archive, qint64 list)
{
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return fail(transaction.error());
    if (const core::Result<int> rows =
            archive.execute(QStringLiteral("DELETE FROM DistinteCaricoRighe WHERE Testata_ID = ?"), {list});
        !rows)
        return fail(rows.error());
    if (core::Status removed = archive.remove(QStringLiteral("DistinteCaricoTestata"), list); !removed)
        return removed;
    return transaction.commit();
}

} // namespace rotalina::transport
