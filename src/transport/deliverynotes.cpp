#include "transport/deliverynotes.h"

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

constexpr int deliveryNoteHelp = 4300;

core::Status fail(const QString &message)
{
    return core::Status::failure(message);
}

// A quantity of 0 is a quantity: only an empty box is missing.
bool isFilled(const QVariant &value)
{
    return value.isValid() && !value.isNull() && !value.toString().trimmed().isEmpty();
}

// The owner of a row, or 0 when the row is not there.
core::Result<qint64> noteOfRow(storage::Archive &archive, qint64 row)
{
    const core::Result<QVariant> note =
        archive.scalar(QStringLiteral("SELECT DDT_ID FROM DDTRighe WHERE ID = ?"), {row});
    if (!note)
        return core::Result<qint64>::failure(note.error());
    return note->isNull() ? 0 : note->toLongLong();
}

RegistryDescriptor buildRows()
{
    RegistryDescriptor r;
    r.cardWindow = QStringLiteral("TfrmModificaDDTRighe");
    r.cardCaption = QStringLiteral("Modifica DDT righe");
    r.table = QStringLiteral("DDTRighe");
    r.listSql = QStringLiteral("SELECT * FROM DDTRighe");
    r.order = QStringLiteral("NumeroRiga, ID");
    r.ownerField = QStringLiteral("DDT_ID");
    r.columns = {column("Um", "Quantità", 80), column("Codice", "Codice", 90),
                 column("Descrizione", "Descrizione", 360), column("NumeroRiga", "N° Riga", 60),
                 column("Note", "Note", 200)};
    r.grid = QStringLiteral("frmDDT_Griglia");
    r.fields = {field("Descrizione", "Descrizione", Kind::Memo), field("Um", "Quantità", Kind::Amount),
                field("Codice", "Codice"), field("Note", "Note"),
                field("NumeroRiga", "Numero di riga", Kind::Amount, 0)};
    r.checks = deliveryNoteRowChecks();
    r.add = [](storage::Archive &archive, const QVariant &owner) {
        return addDeliveryNoteRow(archive, owner.toLongLong());
    };
    r.save = saveDeliveryNoteRow;
    // Without a question: a row is taken away at once and the quantity shows what is left.
    r.remove = deleteDeliveryNoteRow;
    r.helpContext = deliveryNoteHelp;
    return r;
}

DocumentDescriptor buildDocument()
{
    DocumentDescriptor d;
    d.window = QStringLiteral("TfrmDDT");
    d.caption = QStringLiteral("Documenti di Trasporto");
    d.table = QStringLiteral("Ddt");
    RegistryField customer =
        choice("Cliente_ID",
               "Cliente:", "SELECT Id, NominativoVisualizzato FROM Clienti ORDER BY NominativoVisualizzato",
               "TfrmClientiDett", "TfrmClienti");
    customer.cardButton = QStringLiteral("SpeedButton2");
    DocumentTab header{
        QStringLiteral("  Testata  "),
        {field("Numero", "N° ", Kind::Amount, 0), field("Data", "Data", Kind::Date), field("Ora", "Ora"),
         customer,
         choice("Destinatario_ID", "Destinatario",
                "SELECT ID, RagioneSociale FROM Indirizzi ORDER BY RagioneSociale", "TfrmIndirizziDettaglio",
                "TfrmIndirizzi"),
         choice("Personale_ID", "Vettore",
                "SELECT Id, COALESCE(Personale, TRIM(COALESCE(Cognome, '') || ' ' || COALESCE(Nome, ''))) "
                "FROM Personale ORDER BY 2",
                "TfrmPersonaleDettaglio", "TfrmGrigliaPersonale"),
         choice("Vettore_ID", "Tipo trasporto", "SELECT id, Descrizione FROM Vettore ORDER BY Descrizione"),
         startsColumn(field("Natura", "Natura")), field("Qualita", "Qualità"),
         field("Quantita", "Quantità", Kind::Amount)},
        {}};
    const RegistryDescriptor &rows = deliveryNoteRowsRegistry();
    DocumentTab rowsTab{
        QStringLiteral("  Righe  "),
        {},
        {{[] { return &deliveryNoteRowsRegistry(); }, rows.ownerField, QStringLiteral("Righe"), rows.grid}}};
    d.tabs = {header, rowsTab};
    d.checks = deliveryNoteChecks();
    d.save = saveDeliveryNote;
    d.remove = deleteDeliveryNote;
    // Typed for a document without rows; the rows write it again whenever they change.
    d.computedFields = {QStringLiteral("Quantita")};
    d.helpContext = deliveryNoteHelp;
    return d;
}

RegistryDescriptor buildList()
{
    RegistryDescriptor r;
    r.listWindow = QStringLiteral("TfrmGrigliaDDT");
    r.cardWindow = QStringLiteral("TfrmDDT");
    r.listCaption = QStringLiteral("Documenti di Trasporto Clienti");
    r.cardCaption = QStringLiteral("Documenti di Trasporto");
    r.table = QStringLiteral("Ddt");
    r.listSql = QStringLiteral(
        "SELECT Id, Numero, Data, Ora, Cliente_ID, Cliente, Natura, Quantita, Storico FROM (SELECT Ddt.*, "
        "Clienti.NominativoVisualizzato AS Cliente FROM Ddt LEFT JOIN Clienti ON Ddt.Cliente_ID = "
        "Clienti.Id) ddt");
    r.order = QStringLiteral("Data, Numero, Id");
    r.columns = {column("Numero", "Numero", 70),  column("Data", "Data", 90),
                 column("Ora", "Ora", 60),        column("Cliente", "Cliente", 260),
                 column("Natura", "Natura", 180), column("Quantita", "Quantità", 80)};
    r.fields = {field("Quantita", "", Kind::Amount)};
    r.grid = QStringLiteral("frmGrigliaDDT_Griglia");
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare il DDT??");
    r.remove = deleteDeliveryNote;
    r.helpContext = deliveryNoteHelp;
    return r;
}

} // namespace

const DocumentDescriptor &deliveryNoteDocument()
{
    static const DocumentDescriptor document = buildDocument();
    return document;
}

const RegistryDescriptor &deliveryNoteRowsRegistry()
{
    static const RegistryDescriptor registry = buildRows();
    return registry;
}

const RegistryDescriptor &deliveryNotesRegistry()
{
    static const RegistryDescriptor registry = buildList();
    return registry;
}

QString departureTime(const QTime &time)
{
    return QStringLiteral("%1.%2").arg(time.hour()).arg(time.minute(), 2, 10, QLatin1Char('0'));
}

QString duplicateNumberMessage(int number, int year)
{
    return QStringLiteral("Attenzione il numero %1 è già stato dato a un altro D.D.T. del %2")
        .arg(number)
        .arg(year);
}

core::Result<int> nextDeliveryNoteNumber(storage::Archive &archive, int year)
{
    const core::Result<QVariant> highest =
        archive.scalar(QStringLiteral("SELECT MAX(Numero) FROM Ddt WHERE Data >= ? AND Data <= ?"),
                       {sqlvalue::date(QDate(year, 1, 1)), sqlvalue::endOfDay(QDate(year, 12, 31))});
    if (!highest)
        return core::Result<int>::failure(highest.error());
    return highest->isNull() ? 1 : highest->toInt() + 1;
}

core::Result<qint64> createDeliveryNote(storage::Archive &archive, const QDateTime &now, bool history)
{
    using R = core::Result<qint64>;
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return R::failure(transaction.error());
    if (core::Status locked = archive.lockSequence(QStringLiteral("Ddt")); !locked)
        return R::failure(locked.error());
    const core::Result<int> number = nextDeliveryNoteNumber(archive, now.date().year());
    if (!number)
        return R::failure(number.error());
    const R added = shell::insertWithDefaults(archive, QStringLiteral("Ddt"), QStringLiteral("Ddt"), {},
                                              {{QStringLiteral("Numero"), *number},
                                               {QStringLiteral("Data"), now.date()},
                                               {QStringLiteral("Ora"), departureTime(now.time())},
                                               {QStringLiteral("Storico"), history}});
    if (!added)
        return added;
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return added;
}

RecordChecks deliveryNoteChecks()
{
    RecordChecks checks;
    checks.required(QStringLiteral("Numero"), QStringLiteral("Attenzione manca il numero del D.D.T."))
        .required(QStringLiteral("Data"), QStringLiteral("Attenzione manca la data del D.D.T."))
        .required(QStringLiteral("Cliente_ID"),
                  QStringLiteral("Attenzione manca il Cliente destinatario della merce"))
        .required(QStringLiteral("Natura"),
                  QStringLiteral("Attenzione manca la natura della merce da trasportare"))
        .add(QStringLiteral("Quantita"), QStringLiteral("Attenzione manca la Quantità della merce"),
             [](const QVariantMap &values) { return isFilled(values.value(QStringLiteral("Quantita"))); });
    return checks;
}

core::Status saveDeliveryNote(storage::Archive &archive, qint64 note, const QVariantMap &changed)
{
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return fail(transaction.error());
    if (changed.contains(QStringLiteral("Numero")) || changed.contains(QStringLiteral("Data"))) {
        // Held while the number is checked, so that a document being numbered elsewhere waits.
        if (core::Status locked = archive.lockSequence(QStringLiteral("Ddt")); !locked)
            return locked;
        const core::Result<QVariantMap> stored = archive.readRow(QStringLiteral("Ddt"), note);
        if (!stored)
            return fail(stored.error());
        QVariantMap values = *stored;
        for (auto it = changed.begin(); it != changed.end(); ++it)
            values.insert(it.key(), it.value());
        const QVariant number = values.value(QStringLiteral("Numero"));
        const QDate date = sqlvalue::toDate(values.value(QStringLiteral("Data")));
        if (isFilled(number) && date.isValid()) {
            const core::Result<QVariant> taken = archive.scalar(
                QStringLiteral(
                    "SELECT COUNT(*) FROM Ddt WHERE Numero = ? AND Id <> ? AND Data >= ? AND Data <= ?"),
                {number.toInt(), note, sqlvalue::date(QDate(date.year(), 1, 1)),
                 sqlvalue::endOfDay(QDate(date.year(), 12, 31))});
            if (!taken)
                return fail(taken.error());
            if (taken->toInt() > 0)
                return fail(duplicateNumberMessage(number.toInt(), date.year()));
        }
    }
    if (core::Status written = archive.update(QStringLiteral("Ddt"), note, changed); !written)
        return written;
    return transaction.commit();
}

RecordChecks deliveryNoteRowChecks()
{
    RecordChecks checks;
    checks
        .add(QStringLiteral("Um"), QStringLiteral("Attenzione manca la quantità"),
             [](const QVariantMap &values) { return isFilled(values.value(QStringLiteral("Um"))); })
        .required(QStringLiteral("Descrizione"), QStringLiteral("Attenzione manca la Descrizione"));
    return checks;
}

core::Result<qint64> addDeliveryNoteRow(storage::Archive &archive, qint64 note, const QDate &today)
{
    using R = core::Result<qint64>;
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return R::failure(transaction.error());
    const core::Result<NewRowStart> start =
        newRowStart(archive, QStringLiteral("Ddt"), QStringLiteral("Data"), QStringLiteral("DDTRighe"),
                    QStringLiteral("DDT_ID"), note, today);
    if (!start)
        return R::failure(start.error());
    const R added = archive.insert(QStringLiteral("DDTRighe"),
                                   {{QStringLiteral("DDT_ID"), note},
                                    {QStringLiteral("Data"), start->date},
                                    {QStringLiteral("Descrizione"), QStringLiteral("Articolo da inserire")},
                                    {QStringLiteral("Storico"), false},
                                    {QStringLiteral("NumeroRiga"), start->number},
                                    {QStringLiteral("Um"), 1.0}});
    if (!added)
        return added;
    if (core::Status quantity = recomputeDeliveryNoteQuantity(archive, note); !quantity)
        return R::failure(quantity.error());
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return added;
}

core::Status saveDeliveryNoteRow(storage::Archive &archive, qint64 row, const QVariantMap &values)
{
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return fail(transaction.error());
    if (core::Status written = archive.update(QStringLiteral("DDTRighe"), row, values); !written)
        return written;
    const core::Result<qint64> note = noteOfRow(archive, row);
    if (!note)
        return fail(note.error());
    if (*note > 0)
        if (core::Status quantity = recomputeDeliveryNoteQuantity(archive, *note); !quantity)
            return quantity;
    return transaction.commit();
}

core::Status deleteDeliveryNoteRow(storage::Archive &archive, qint64 row)
{
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return fail(transaction.error());
    const core::Result<qint64> note = noteOfRow(archive, row);
    if (!note)
        return fail(note.error());
    if (core::Status removed = archive.remove(QStringLiteral("DDTRighe"), row); !removed)
        return removed;
    if (*note > 0)
        if (core::Status quantity = recomputeDeliveryNoteQuantity(archive, *note); !quantity)
            return quantity;
    return transaction.commit();
}

core::Status recomputeDeliveryNoteQuantity(storage::Archive &archive, qint64 note)
{
    const core::Result<int> written = archive.execute(
        QStringLiteral(
            "UPDATE Ddt SET Quantita = (SELECT COALESCE(SUM(Um), 0) FROM DDTRighe WHERE DDT_ID = ?) "
            "WHERE Id = ?"),
        {note, note});
    return written ? core::Status() : fail(written.error());
}

core::Status deleteDeliveryNote(storage::Archive &archive, qint64 note)
{
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return fail(transaction.error());
    if (const core::Result<int> rows =
            archive.execute(QStringLiteral("DELETE FROM DDTRighe WHERE DDT_ID = ?"), {note});
        !rows)
        return fail(rows.error());
    if (core::Status removed = archive.remove(QStringLiteral("Ddt"), note); !removed)
        return removed;
    return transaction.commit();
}

} // namespace rotalina::transport
