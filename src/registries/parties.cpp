#include "registries/parties.h"

#include "core/taxcodes.h"
#include "core/textfile.h"
#include "shell/colours.h"
#include "shell/storeddefaults.h"
#include "storage/archive.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlRecord>

namespace rotalina::registries {

using shell::colourFromStored;
using shell::GridColumn;
using shell::insertWithDefaults;
using shell::isPaintedColour;
using shell::RecordChecks;
using shell::RegistryDescriptor;
using shell::RegistryField;

namespace {

QString trimmed(const QVariantMap &values, const char *field)
{
    return values.value(QString::fromLatin1(field)).toString().trimmed();
}

bool given(const QVariantMap &values, const char *field)
{
    return RecordChecks::hasValue(values.value(QString::fromLatin1(field)));
}

// The tables that keep a copy of the customer's name, and the field that holds the customer's key.
const QList<QPair<QString, QString>> &customerNameCopies()
{
    static const QList<QPair<QString, QString>> copies = {
        {QStringLiteral("fattura"), QStringLiteral("Cliente_ID")},
        {QStringLiteral("Calendario"), QStringLiteral("Cliente_ID")},
        {QStringLiteral("CommesseBancali"), QStringLiteral("Cliente_Id")},
        {QStringLiteral("DistinteCaricoTestata"), QStringLiteral("Cliente_Id")},
        {QStringLiteral("PreventiTestata"), QStringLiteral("Cliente_ID")},
        {QStringLiteral("prezziar"), QStringLiteral("Cliente_ID")},
        {QStringLiteral("TotaliCo"), QStringLiteral("Cliente_Id")}};
    return copies;
}

core::Status ran(const core::Result<int> &result)
{
    return result ? core::Status() : core::Status::failure(result.error());
}

QStringList duplicates(storage::Archive &archive, const QString &table, const QString &field, qint64 key,
                       const QString &value, const QString &what, const QString &duplicateMessage)
{
    const core::Result<QVariant> found =
        archive.scalar(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ? AND %3 <> ?")
                           .arg(table, field, archive.schema().table(table)->keyName()),
                       {value, key});
    if (!found || found->toInt() == 0)
        return {};
    return {QStringLiteral("Attenzione %1 %2 è già presente in altri %3 Record.")
                .arg(what, value)
                .arg(found->toInt()),
            duplicateMessage};
}

} // namespace

CustomerNames composeCustomerNames(const QString &company, const QString &surname, const QString &firstName,
                                   const QString &fiscalCode)
{
    if (company.trimmed().size() >= 2)
        return {company.trimmed(), company.trimmed()};
    const QString person = QString(surname.trimmed() + u' ' + firstName.trimmed()).trimmed();
    return {person,
            fiscalCode.trimmed().isEmpty() ? person : person + QStringLiteral(" - ") + fiscalCode.trimmed()};
}

RecordChecks customerPageChecks()
{
    RecordChecks checks;
    checks
        .add(QStringLiteral("Cliente"),
             QStringLiteral("Attenzione manca la ragione sociale o il cognome del Cliente "),
             [](const QVariantMap &v) { return given(v, "Cliente") || given(v, "Cognome"); })
        .add(QStringLiteral("Nome"), QStringLiteral("Attenzione manca il Nome"),
             [](const QVariantMap &v) {
                 return given(v, "Cliente") || !given(v, "Cognome") || given(v, "Nome");
             })
        .required(QStringLiteral("IdPaese"), QStringLiteral("Attenzione manca nazionalità!"));
    return checks;
}

RecordChecks customerChecks()
{
    RecordChecks checks = customerPageChecks();
    checks.required(QStringLiteral("Sede_Nazione"), QStringLiteral("Attenzione manca nazione della sede!"))
        .required(QStringLiteral("Citta"), QStringLiteral("Attenzione manca il comune della sede!"))
        .required(QStringLiteral("Cap"), QStringLiteral("Attenzione manca il cap della sede!"))
        .required(QStringLiteral("Via"), QStringLiteral("Attenzione manca l'indirizzo della sede!"))
        .add(QStringLiteral("CodiceUnivocoUfficio"),
             QStringLiteral("Attenzione manca il codice destinatario - codice univoco"),
             [](const QVariantMap &v) {
                 return !v.value(QStringLiteral("PubblicaAmministrazione")).toBool() ||
                        given(v, "CodiceUnivocoUfficio");
             })
        .add(
            QStringLiteral("Codice"),
            QStringLiteral("Attenzione per le aziende straniere il codice destinatario deve essere XXXXXXX!"),
            [](const QVariantMap &v) {
                const bool foreignCompany = !v.value(QStringLiteral("PubblicaAmministrazione")).toBool() &&
                                            given(v, "Iva") && trimmed(v, "IdPaese").toUpper() != u"IT";
                return !foreignCompany || trimmed(v, "Codice").toUpper() == u"XXXXXXX";
            });
    const auto establishment = [](const char *field) {
        return [field](const QVariantMap &v) {
            return !v.value(QStringLiteral("StabileOrganizzazione")).toBool() || given(v, field);
        };
    };
    checks
        .add(QStringLiteral("StabileOrganizzazione_Indirizzo"),
             QStringLiteral("Attenzione manca l'Indirizzo dello Stabile dell'organizzazione"),
             establishment("StabileOrganizzazione_Indirizzo"))
        .add(QStringLiteral("StabileOrganizzazione_CAP"),
             QStringLiteral("Attenzione manca il Cap dello Stabile dell'organizzazione"),
             establishment("StabileOrganizzazione_CAP"))
        .add(QStringLiteral("StabileOrganizzazione_CAP"),
             QStringLiteral(
                 "Attenzione il Cap dello Stabile dell'organizzazione deve essere di almeno 5 Caratteri !"),
             [](const QVariantMap &v) {
                 return !v.value(QStringLiteral("StabileOrganizzazione")).toBool() ||
                        trimmed(v, "StabileOrganizzazione_CAP").size() >= 5;
             })
        .add(QStringLiteral("StabileOrganizzazione_Comune"),
             QStringLiteral("Attenzione manca il Comune dello Stabile dell'organizzazione"),
             establishment("StabileOrganizzazione_Comune"))
        .add(QStringLiteral("StabileOrganizzazione_Nazione"),
             QStringLiteral("Attenzione manca la Nazione dello Stabile dell'organizzazione"),
             establishment("StabileOrganizzazione_Nazione"));
    const auto representative = [](const char *field) {
        return [field](const QVariantMap &v) {
            return !v.value(QStringLiteral("RappresentanteFiscale")).toBool() || given(v, field);
        };
    };
    checks
        .add(QStringLiteral("RappresentanteFiscale_IdCodice"),
             QStringLiteral("Attenzione manca la Partita Iva"),
             representative("RappresentanteFiscale_IdCodice"))
        .add(QStringLiteral("RappresentanteFiscale_Nazione"), QStringLiteral("Attenzione manca la Nazione"),
             representative("RappresentanteFiscale_Nazione"))
        .add(QStringLiteral("RappresentanteFiscale_Denominazione"),
             QStringLiteral("Attenzione manca la Ragione sociale oppure Nome e Cognome"),
             [](const QVariantMap &v) {
                 return !v.value(QStringLiteral("RappresentanteFiscale")).toBool() ||
                        given(v, "RappresentanteFiscale_Denominazione") ||
                        given(v, "RappresentanteFiscale_Nome") || given(v, "RappresentanteFiscale_Cognome");
             });
    return checks;
}

RecordChecks supplierChecks()
{
    RecordChecks checks;
    checks.required(QStringLiteral("Fornitore"),
                    QStringLiteral("Attenzione manca la denominazione del fornitore"));
    return checks;
}

QString customerDuplicateMessage()
{
    return QStringLiteral("Attenzione si è caricato un cliente già presente in archivio");
}

QString supplierDuplicateMessage()
{
    return QStringLiteral("Attenzione si è caricato un fornitore già presente in archivio");
}

QStringList vatNumberWarnings(storage::Archive &archive, const QString &table, qint64 key,
                              const QString &vatNumber, const QString &duplicateMessage, bool italian)
{
    const QString value = vatNumber.trimmed();
    if (value.isEmpty())
        return {};
    if (italian && !core::isValidPartitaIva(value))
        return {core::invalidPartitaIvaMessage()};
    return duplicates(archive, table, QStringLiteral("Iva"), key, value, QStringLiteral("la partita Iva"),
                      duplicateMessage);
}

QStringList fiscalCodeWarnings(storage::Archive &archive, const QString &table, qint64 key,
                               const QString &fiscalCode, const QString &duplicateMessage)
{
    const QString value = fiscalCode.trimmed();
    if (value.isEmpty())
        return {};
    return duplicates(archive, table, QStringLiteral("CodFiscale"), key, value,
                      QStringLiteral("il Codice fiscale"), duplicateMessage);
}

core::Result<qint64> addCustomer(storage::Archive &archive)
{
    return insertWithDefaults(archive, QStringLiteral("Clienti"), QStringLiteral("Clienti"),
                              {{QStringLiteral("NumeroColore"), 16777215},
                               {QStringLiteral("Annullato"), false},
                               {QStringLiteral("ScissionePagamenti"), false},
                               {QStringLiteral("PubblicaAmministrazione"), false},
                               {QStringLiteral("IdPaese"), QStringLiteral("IT")},
                               {QStringLiteral("Sede_Nazione"), QStringLiteral("IT")}});
}

core::Status saveCustomer(storage::Archive &archive, qint64 key, QVariantMap values)
{
    storage::Transaction transaction(archive);
    core::Result<QSqlQuery> row = archive.select(
        QStringLiteral(
            "SELECT Cliente, Cognome, Nome, CodFiscale, NominativoDocumenti, NominativoVisualizzato, "
            "PubblicaAmministrazione FROM Clienti WHERE Id = ?"),
        {key});
    if (!row)
        return core::Status::failure(row.error());
    if (!row->next())
        return core::Status::failure(
            QStringLiteral("Il cliente non esiste più: forse è stato eliminato da un'altra postazione."));
    const QSqlRecord stored = row->record();

    // The composed names follow every change of the parts they are made of.
    QVariantMap parts;
    bool partsChanged = stored.value(QStringLiteral("NominativoDocumenti")).toString().isEmpty();
    for (const char *field : {"Cliente", "Cognome", "Nome", "CodFiscale"}) {
        const QString name = QString::fromLatin1(field);
        const QString now =
            values.contains(name) ? values.value(name).toString() : stored.value(name).toString();
        partsChanged = partsChanged || now.trimmed() != stored.value(name).toString().trimmed();
        parts.insert(name, now);
    }
    bool nameChanged = false;
    if (partsChanged) {
        const CustomerNames names = composeCustomerNames(
            parts.value(QStringLiteral("Cliente")).toString(),
            parts.value(QStringLiteral("Cognome")).toString(), parts.value(QStringLiteral("Nome")).toString(),
            parts.value(QStringLiteral("CodFiscale")).toString());
        values.insert(QStringLiteral("NominativoDocumenti"), names.documents);
        values.insert(QStringLiteral("NominativoVisualizzato"), names.displayed);
        nameChanged = names.documents != stored.value(QStringLiteral("NominativoDocumenti")).toString();
    }

    // A customer that becomes (or stops being) a public administration changes the format of its invoices.
    if (values.contains(QStringLiteral("PubblicaAmministrazione")) &&
        values.value(QStringLiteral("PubblicaAmministrazione")).toBool() !=
            stored.value(QStringLiteral("PubblicaAmministrazione")).toBool()) {
        const QString format = values.value(QStringLiteral("PubblicaAmministrazione")).toBool()
                                   ? QStringLiteral("FPA12")
                                   : QStringLiteral("FPR12");
        if (core::Status updated = ran(archive.execute(
                QStringLiteral(
                    "UPDATE fattura SET DatiTrasmissione_FormatoTrasmissione = ? WHERE Cliente_ID = ?"),
                {format, key}));
            !updated)
            return updated;
    }
    if (core::Status written = archive.update(QStringLiteral("Clienti"), key, values); !written)
        return written;
    if (nameChanged) {
        const QString name = values.value(QStringLiteral("NominativoDocumenti")).toString();
        for (const auto &[table, field] : customerNameCopies()) {
            if (core::Status copied = ran(archive.execute(
                    QStringLiteral("UPDATE %1 SET Cliente = ? WHERE %2 = ?").arg(table, field), {name, key}));
                !copied)
                return copied;
        }
    }
    return transaction.commit();
}

core::Status deleteCustomer(storage::Archive &archive, qint64 key)
{
    storage::Transaction transaction(archive);
    if (core::Status removed =
            ran(archive.execute(QStringLiteral("DELETE FROM ClientiPagamenti WHERE Cliente_id = ?"), {key}));
        !removed)
        return removed;
    if (core::Status removed = archive.remove(QStringLiteral("Clienti"), key); !removed)
        return removed;
    return transaction.commit();
}

core::Result<qint64> addSupplier(storage::Archive &archive)
{
    return insertWithDefaults(
        archive, QStringLiteral("Fornitor"), QStringLiteral("Fornitor"),
        {{QStringLiteral("Annullato"), false}, {QStringLiteral("IdPaese"), QStringLiteral("IT")}});
}

core::Status saveSupplier(storage::Archive &archive, qint64 key, const QVariantMap &values)
{
    storage::Transaction transaction(archive);
    if (core::Status written = archive.update(QStringLiteral("Fornitor"), key, values); !written)
        return written;
    // The purchase documents show the supplier's current name.
    if (values.contains(QStringLiteral("Fornitore"))) {
        if (core::Status copied =
                ran(archive.execute(QStringLiteral("UPDATE fattura SET Fornitore = (SELECT "
                                                   "Fornitor.Fornitore FROM Fornitor WHERE Fornitor.Id = "
                                                   "fattura.Fornitore_ID) WHERE Fornitore_ID = ?"),
                                    {key}));
            !copied)
            return copied;
    }
    return transaction.commit();
}

core::Status deleteSupplier(storage::Archive &archive, qint64 key)
{
    storage::Transaction transaction(archive);
    if (core::Status removed = ran(
            archive.execute(QStringLiteral("DELETE FROM FornitoriPagamenti WHERE Fornitore_id = ?"), {key}));
        !removed)
        return removed;
    if (core::Status removed = archive.remove(QStringLiteral("Fornitor"), key); !removed)
        return removed;
    return transaction.commit();
}

PaymentTable customerPayments()
{
    return {QStringLiteral("ClientiPagamenti"), QStringLiteral("Cliente_id"), QStringLiteral("Clienti"),
            QStringLiteral("Id")};
}

PaymentTable supplierPayments()
{
    return {QStringLiteral("FornitoriPagamenti"), QStringLiteral("Fornitore_id"), QStringLiteral("Fornitor"),
            QStringLiteral("Id")};
}

RecordChecks paymentChecks()
{
    RecordChecks checks;
    checks.required(QStringLiteral("Data"), QStringLiteral("Attenzione manca la data"))
        .required(QStringLiteral("Operazione"), QStringLiteral("Attenzione manca l'Operazione"))
        .required(QStringLiteral("Importo"), QStringLiteral("Attenzione manca l'Importo"));
    return checks;
}

core::Status savePayment(storage::Archive &archive, const PaymentTable &payments, qint64 key,
                         const QVariantMap &changed)
{
    storage::Transaction transaction(archive);
    const core::Result<QVariantMap> stored = archive.readRow(payments.table, key);
    if (!stored)
        return core::Status::failure(stored.error());
    QVariantMap values = *stored;
    for (auto it = changed.cbegin(); it != changed.cend(); ++it)
        values.insert(it.key(), it.value());
    if (const auto failure = paymentChecks().firstFailure(values))
        return core::Status::failure(failure->message);
    if (!changed.isEmpty()) {
        if (core::Status written = archive.update(payments.table, key, changed); !written)
            return written;
    }
    // The opening balance goes down by what the payment grew (all of it on the first save).
    const double grown = values.value(QStringLiteral("Importo")).toDouble() -
                         stored->value(QStringLiteral("Importo")).toDouble();
    if (grown != 0) {
        if (core::Status adjusted = ran(archive.execute(
                QStringLiteral("UPDATE %1 SET SaldoInizioAnno = COALESCE(SaldoInizioAnno, 0) - ? WHERE %2 = "
                               "(SELECT %3 FROM %4 "
                               "WHERE ID = ?)")
                    .arg(payments.parties, payments.partyKey, payments.partyField, payments.table),
                {grown, key}));
            !adjusted)
            return adjusted;
    }
    return transaction.commit();
}

core::Status deletePayment(storage::Archive &archive, const PaymentTable &payments, qint64 key)
{
    storage::Transaction transaction(archive);
    if (core::Status restored = ran(archive.execute(
            QStringLiteral("UPDATE %1 SET SaldoInizioAnno = COALESCE(SaldoInizioAnno, 0) + COALESCE((SELECT "
                           "Importo FROM %4 WHERE "
                           "ID = ?), 0) WHERE %2 = (SELECT %3 FROM %4 WHERE ID = ?)")
                .arg(payments.parties, payments.partyKey, payments.partyField, payments.table),
            {key, key}));
        !restored)
        return restored;
    if (core::Status removed = archive.remove(payments.table, key); !removed)
        return removed;
    return transaction.commit();
}

core::Result<QString> emailAddresses(storage::Archive &archive, const QString &table, const QString &field,
                                     const QList<qint64> &keys)
{
    if (keys.isEmpty())
        return QString();
    QStringList marks;
    QVariantList params;
    for (const qint64 key : keys) {
        marks.append(QStringLiteral("?"));
        params.append(key);
    }
    core::Result<QSqlQuery> rows = archive.select(
        QStringLiteral("SELECT %1 FROM %2 WHERE %3 IN (%4) ORDER BY %3")
            .arg(field, table, archive.schema().table(table)->keyName(), marks.join(QStringLiteral(", "))),
        params);
    if (!rows)
        return core::Result<QString>::failure(rows.error());
    QStringList addresses;
    while (rows->next()) {
        const QString address = rows->value(0).toString().trimmed();
        if (!address.isEmpty() && !addresses.contains(address, Qt::CaseInsensitive))
            addresses.append(address);
    }
    return addresses.join(QStringLiteral("; "));
}

namespace {

// A party's card: the company or person, the category behind the program's mark, work phones,
// e-mail, web and address; the note carries the delivery destination, the label the party's note.
core::Result<core::ContactRecord> partyContact(storage::Archive &archive, const QString &sql, qint64 key,
                                               const QString &mark)
{
    using E = core::ContactRecord;
    core::Result<QSqlQuery> row = archive.select(sql, {key});
    if (!row)
        return core::Result<core::ContactRecord>::failure(row.error());
    core::ContactRecord contact;
    if (!row->next())
        return contact;
    const auto text = [&](const char *field) {
        return row->value(QString::fromLatin1(field)).toString().trimmed();
    };
    contact[E::FormattedName] = text("Nome_Ditta");
    contact[E::FamilyName] = text("Cognome");
    contact[E::GivenName] = text("Nome");
    contact[E::Categories] = text("Categoria").isEmpty() ? mark : mark + u',' + text("Categoria");
    contact[E::WorkPhone1] = text("Telefono");
    contact[E::WorkPhone2] = text("Telefono2");
    contact[E::WorkMobile1] = text("Cellulare");
    contact[E::WorkFax] = text("Fax");
    contact[E::WorkEmail1] = text("EMail");
    contact[E::WorkUrl] = text("Internet");
    contact[E::WorkStreet] = text("Via");
    contact[E::WorkHouseNumber] = text("Numero");
    contact[E::WorkTown] = text("Citta");
    contact[E::WorkRegion] = text("Provincia");
    contact[E::WorkPostalCode] = text("Cap");
    contact[E::Note] = text("DestinazioneMerce");
    contact[E::Label] = text("Note");
    return contact;
}

} // namespace

core::Result<core::ContactRecord> supplierContact(storage::Archive &archive, qint64 key)
{
    return partyContact(
        archive,
        QStringLiteral(
            "SELECT Fornitor.Fornitore AS Nome_Ditta, Fornitor.Cognome, Fornitor.Nome, "
            "FornitorCategoria.Descrizione "
            "AS Categoria, Fornitor.Telefono, Fornitor.Telefono2, Fornitor.Cellulare, Fornitor.Email AS "
            "EMail, "
            "Fornitor.Comune AS Citta, Fornitor.Provincia, Fornitor.VIA AS Via, Fornitor.Numero, "
            "Fornitor.Cap, "
            "Fornitor.Internet, Fornitor.Fax, Fornitor.Note, Fornitor.DestinazioneMerce FROM Fornitor "
            "LEFT JOIN FornitorCategoria ON Fornitor.Categoria_ID = FornitorCategoria.ID WHERE Fornitor.Id = "
            "?"),
        key, QStringLiteral("RotalinaF"));
}

core::Result<core::ContactRecord> customerContact(storage::Archive &archive, qint64 key)
{
    return partyContact(
        archive,
        QStringLiteral(
            "SELECT Clienti.Cliente AS Nome_Ditta, Clienti.Cognome, Clienti.Nome, "
            "ClientiCategoria.Descrizione AS "
            "Categoria, Clienti.Telefono, Clienti.Telefono2, Clienti.Cellulare, Clienti.EMail, "
            "Clienti.Citta, "
            "Clienti.Provincia, Clienti.Via, Clienti.Numero, Clienti.Cap, Clienti.Internet, Clienti.Fax, "
            "Clienti.Note, Clienti.DestinazioneMerce FROM Clienti LEFT JOIN ClientiCategoria ON "
            "Clienti.Categoria_ID = ClientiCategoria.ID WHERE Clienti.Id = ?"),
        key, QStringLiteral("RotalinaC"));
}

QString contactFileName(const QString &name)
{
    static const QRegularExpression unsafe(QStringLiteral(R"([\\/:*?"<>|\x00-\x1f])"));
    QString file = QString(name).replace(unsafe, QStringLiteral("_")).simplified();
    while (file.endsWith(u'.'))
        file.chop(1);
    return (file.isEmpty() ? QStringLiteral("contatto") : file.left(120)) + QStringLiteral(".vcf");
}

namespace {

// The cards of a file; empty when it holds none, or one that is cut short.
std::optional<QStringList> cardsOf(const QString &text)
{
    QStringList cards;
    qsizetype from = 0;
    while (true) {
        const qsizetype begin = text.indexOf(QStringLiteral("BEGIN:VCARD"), from, Qt::CaseInsensitive);
        if (begin < 0)
            break;
        const qsizetype end = text.indexOf(QStringLiteral("END:VCARD"), begin, Qt::CaseInsensitive);
        if (end < 0)
            return std::nullopt;
        cards.append(text.mid(begin, end + 9 - begin));
        from = end + 9;
    }
    if (cards.isEmpty())
        return std::nullopt;
    return cards;
}

// Where the two registries keep what a card carries.
struct ContactFields
{
    QString table;
    QString name; // the company's name
    QString email;
    QString street;
    QString town;
    QString categories;
    QString mark; // the program's own category of its cards
    std::function<core::Result<qint64>(storage::Archive &)> add;
    std::function<core::Status(storage::Archive &, qint64, const QVariantMap &)> save;
};

const ContactFields &customerFields()
{
    static const ContactFields fields{QStringLiteral("Clienti"),
                                      QStringLiteral("Cliente"),
                                      QStringLiteral("EMail"),
                                      QStringLiteral("Via"),
                                      QStringLiteral("Citta"),
                                      QStringLiteral("ClientiCategoria"),
                                      QStringLiteral("RotalinaC"),
                                      addCustomer,
                                      [](storage::Archive &archive, qint64 key, const QVariantMap &values) {
                                          return saveCustomer(archive, key, values);
                                      }};
    return fields;
}

const ContactFields &supplierFields()
{
    static const ContactFields fields{QStringLiteral("Fornitor"),
                                      QStringLiteral("Fornitore"),
                                      QStringLiteral("Email"),
                                      QStringLiteral("VIA"),
                                      QStringLiteral("Comune"),
                                      QStringLiteral("FornitorCategoria"),
                                      QStringLiteral("RotalinaF"),
                                      addSupplier,
                                      saveSupplier};
    return fields;
}

QVariantMap partyValues(storage::Archive &archive, const core::ContactRecord &contact,
                        const ContactFields &kind)
{
    using E = core::ContactRecord;
    const auto first = [&](std::initializer_list<E::Element> elements) {
        for (const E::Element element : elements) {
            if (!contact[element].trimmed().isEmpty())
                return contact[element].trimmed();
        }
        return QString();
    };
    QVariantMap values{{kind.name, contact[E::FormattedName].trimmed()},
                       {QStringLiteral("Cognome"), contact[E::FamilyName].trimmed()},
                       {QStringLiteral("Nome"), contact[E::GivenName].trimmed()},
                       {QStringLiteral("Telefono"), first({E::WorkPhone1, E::HomePhone1})},
                       {QStringLiteral("Telefono2"), first({E::WorkPhone2, E::HomePhone2})},
                       {QStringLiteral("Cellulare"),
                        first({E::WorkMobile1, E::HomeMobile1, E::WorkMobile2, E::HomeMobile2})},
                       {QStringLiteral("Fax"), first({E::WorkFax, E::HomeFax})},
                       {kind.email, first({E::WorkEmail1, E::HomeEmail1, E::WorkEmail2, E::HomeEmail2})},
                       {QStringLiteral("Internet"), first({E::WorkUrl, E::HomeUrl})},
                       {kind.street, first({E::WorkStreet, E::HomeStreet})},
                       {QStringLiteral("Numero"), first({E::WorkHouseNumber, E::HomeHouseNumber})},
                       {QStringLiteral("Cap"), first({E::WorkPostalCode, E::HomePostalCode})},
                       {QStringLiteral("Note"), contact[E::Label].trimmed()},
                       {QStringLiteral("DestinazioneMerce"), contact[E::Note].trimmed()}};
    // A card made from a person's name alone has its name as formatted name: it is no company. A
    // supplier keeps it, its name being the only one the registry requires.
    const QString person = QString(contact[E::GivenName] + u' ' + contact[E::FamilyName]).trimmed();
    if (kind.table == u"Clienti" && !person.isEmpty() && values.value(kind.name).toString() == person)
        values.insert(kind.name, QString());
    if (kind.table != u"Clienti" && values.value(kind.name).toString().isEmpty())
        values.insert(kind.name, person);
    const QString town = first({E::WorkTown, E::HomeTown});
    if (!town.isEmpty()) {
        values.insert(kind.town, town);
        core::Result<QSqlQuery> found = archive.select(
            QStringLiteral(
                "SELECT ID, Comune, Provincia FROM Comuni WHERE rl_fold(Comune) = rl_fold(?) ORDER BY ID"),
            {town});
        if (found && found->next()) {
            values.insert(QStringLiteral("Comune_id"), found->value(0));
            values.insert(kind.town, found->value(1));
            values.insert(QStringLiteral("Provincia"), found->value(2));
        } else {
            values.insert(QStringLiteral("Provincia"), first({E::WorkRegion, E::HomeRegion}));
        }
    }
    for (QString category : contact[E::Categories].split(u',')) {
        category = category.trimmed();
        if (category.isEmpty() || category == u"RotalinaC" || category == u"RotalinaF")
            continue;
        core::Result<QSqlQuery> found = archive.select(
            QStringLiteral("SELECT * FROM %1 WHERE Descrizione = ?").arg(kind.categories), {category});
        if (found && found->next()) {
            values.insert(QStringLiteral("Categoria_ID"), found->value(QStringLiteral("ID")));
            if (kind.table == u"Clienti")
                values.insert(QStringLiteral("ColoreCategoria"), found->value(QStringLiteral("Colore")));
            break;
        }
    }
    return values;
}

core::Result<ContactImport> importPartyContacts(storage::Archive &archive, const ContactFields &kind,
                                                const QStringList &files, DuplicateAction action,
                                                const std::function<bool(const QString &name)> &askSkip)
{
    using R = core::Result<ContactImport>;
    ContactImport result;
    for (const QString &file : files) {
        const core::Result<QString> text = core::readTextFile(file);
        const std::optional<QStringList> cards = text ? cardsOf(*text) : std::nullopt;
        if (!cards) {
            result.unreadable.append(QFileInfo(file).fileName());
            continue;
        }
        for (const QString &card : *cards) {
            const core::ContactRecord contact = core::leggiVCard(card);
            const QVariantMap values = partyValues(archive, contact, kind);
            const QString company = values.value(kind.name).toString();
            const QString surname = values.value(QStringLiteral("Cognome")).toString();
            const QString firstName = values.value(QStringLiteral("Nome")).toString();
            if (company.isEmpty() && surname.isEmpty() && firstName.isEmpty()) {
                ++result.skipped;
                continue;
            }
            const core::Result<QVariant> existing =
                company.isEmpty()
                    ? archive.scalar(
                          QStringLiteral("SELECT Id FROM %1 WHERE Cognome = ? AND Nome = ? ORDER BY Id")
                              .arg(kind.table),
                          {surname, firstName})
                    : archive.scalar(QStringLiteral("SELECT Id FROM %1 WHERE %2 = ? ORDER BY Id")
                                         .arg(kind.table, kind.name),
                                     {company});
            if (!existing)
                return R::failure(existing.error());
            if (!existing->isNull()) {
                if (action == DuplicateAction::Ask) {
                    const QString name =
                        company.isEmpty() ? QString(surname + u' ' + firstName).trimmed() : company;
                    action = askSkip(name) ? DuplicateAction::Skip : DuplicateAction::Update;
                }
                if (action == DuplicateAction::Skip) {
                    ++result.skipped;
                    continue;
                }
                // An update takes what the card says; what it leaves out stays as it was.
                QVariantMap given;
                for (auto it = values.cbegin(); it != values.cend(); ++it) {
                    if (RecordChecks::hasValue(it.value()))
                        given.insert(it.key(), it.value());
                }
                if (core::Status saved = kind.save(archive, existing->toLongLong(), given); !saved)
                    return R::failure(saved.error());
                ++result.updated;
                continue;
            }
            storage::Transaction transaction(archive);
            const core::Result<qint64> key = kind.add(archive);
            if (!key)
                return R::failure(key.error());
            if (core::Status saved = kind.save(archive, *key, values); !saved)
                return R::failure(saved.error());
            if (core::Status committed = transaction.commit(); !committed)
                return R::failure(committed.error());
            ++result.added;
        }
    }
    return result;
}

} // namespace

core::Result<ContactImport> importCustomerContacts(storage::Archive &archive, const QStringList &files,
                                                   DuplicateAction action,
                                                   const std::function<bool(const QString &name)> &askSkip)
{
    return importPartyContacts(archive, customerFields(), files, action, askSkip);
}

core::Result<ContactImport> importSupplierContacts(storage::Archive &archive, const QStringList &files,
                                                   DuplicateAction action,
                                                   const std::function<bool(const QString &name)> &askSkip)
{
    return importPartyContacts(archive, supplierFields(), files, action, askSkip);
}

} // namespace rotalina::registries

namespace rotalina::registries {

namespace {

QVariant rowColourOf(const QSqlRecord &row)
{
    // The customer's own colour first, then its category's.
    for (const char *field : {"NumeroColore", "ColoreCategoria"}) {
        const QVariant stored = row.value(QString::fromLatin1(field));
        if (isPaintedColour(stored))
            return colourFromStored(stored.toInt());
    }
    return {};
}

RegistryDescriptor partyRegistry(bool customers)
{
    RegistryDescriptor r;
    r.table = customers ? QStringLiteral("Clienti") : QStringLiteral("Fornitor");
    r.listWindow = customers ? QStringLiteral("TfrmClienti") : QStringLiteral("TFornitori");
    r.cardWindow = customers ? QStringLiteral("TfrmClientiDett") : QStringLiteral("TfrmFornitDett");
    r.listCaption = customers ? QStringLiteral("Clienti") : QStringLiteral("Fornitori");
    r.cardCaption = r.listCaption;
    r.grid = customers ? QStringLiteral("frmClienti_Griglia") : QStringLiteral("Fornitori_Griglia");
    r.helpContext = customers ? 5100 : 5200;
    r.withdrawnField = QStringLiteral("Annullato");
    r.multiSelect = true;
    if (customers) {
        // Only what the list shows: reading every field of thousands of customers is what makes a list slow.
        r.listSql = QStringLiteral(
            "SELECT Clienti.Id, Clienti.NominativoVisualizzato, Clienti.Citta, Clienti.Provincia, "
            "Clienti.Telefono, Clienti.Cellulare, Clienti.EMail, Clienti.Iva, Clienti.NumeroColore, "
            "Clienti.ColoreCategoria, ClientiCategoria.Descrizione AS Categoria FROM Clienti "
            "LEFT JOIN ClientiCategoria ON Clienti.Categoria_ID = ClientiCategoria.ID");
        r.order = QStringLiteral("Clienti.NominativoVisualizzato");
        r.columns = {{QStringLiteral("NominativoVisualizzato"), QStringLiteral("Nominativo"), 260},
                     {QStringLiteral("Citta"), QStringLiteral("Città"), 140},
                     {QStringLiteral("Provincia"), QStringLiteral("Prov."), 45},
                     {QStringLiteral("Telefono"), QStringLiteral("Telefono"), 110},
                     {QStringLiteral("Cellulare"), QStringLiteral("Cellulare"), 110},
                     {QStringLiteral("EMail"), QStringLiteral("E-mail"), 180},
                     {QStringLiteral("Iva"), QStringLiteral("Partita iva"), 100},
                     {QStringLiteral("Categoria"), QStringLiteral("Categoria"), 120}};
        r.filters = {{QStringLiteral("Clienti.NominativoVisualizzato"), QStringLiteral("Nominativo")},
                     {QStringLiteral("Clienti.Citta"), QStringLiteral("Città")},
                     {QStringLiteral("Clienti.Cellulare"), QStringLiteral("Cellulare")},
                     {QStringLiteral("Clienti.Provincia"), QStringLiteral("Prov.")},
                     {QStringLiteral("Clienti.Note"), QStringLiteral("Note")},
                     {QStringLiteral("Clienti.Codice"), QStringLiteral("Codice")}};
        r.choiceFilters = {
            {QStringLiteral("Clienti.Categoria_ID"), QStringLiteral("Categoria"),
             QStringLiteral("SELECT ID, Descrizione FROM ClientiCategoria ORDER BY Descrizione"),
             QStringLiteral("cboCategorie")}};
        r.rowColour = rowColourOf;
        r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare il cliente?");
        r.add = [](storage::Archive &archive, const QVariant &) {
            return addCustomer(archive);
        };
        r.remove = deleteCustomer;
    } else {
        r.listSql = QStringLiteral(
            "SELECT Fornitor.Id, Fornitor.Fornitore, Fornitor.Comune, Fornitor.Provincia, Fornitor.Telefono, "
            "Fornitor.Cellulare, Fornitor.Email, Fornitor.Iva, FornitorCategoria.Descrizione AS Categoria "
            "FROM Fornitor LEFT JOIN FornitorCategoria ON Fornitor.Categoria_ID = FornitorCategoria.ID");
        r.order = QStringLiteral("Fornitor.Fornitore");
        r.columns = {{QStringLiteral("Fornitore"), QStringLiteral("Fornitore"), 260},
                     {QStringLiteral("Comune"), QStringLiteral("Comune"), 140},
                     {QStringLiteral("Provincia"), QStringLiteral("Prov."), 45},
                     {QStringLiteral("Telefono"), QStringLiteral("Telefono"), 110},
                     {QStringLiteral("Cellulare"), QStringLiteral("Cellulare"), 110},
                     {QStringLiteral("Email"), QStringLiteral("E-mail"), 180},
                     {QStringLiteral("Iva"), QStringLiteral("Partita iva"), 100},
                     {QStringLiteral("Categoria"), QStringLiteral("Categoria"), 120}};
        r.filters = {{QStringLiteral("Fornitor.Fornitore"), QStringLiteral("Fornitore")},
                     {QStringLiteral("Fornitor.Comune"), QStringLiteral("Comune")},
                     {QStringLiteral("Fornitor.Cellulare"), QStringLiteral("Cellulare")},
                     {QStringLiteral("Fornitor.Provincia"), QStringLiteral("Prov.")},
                     {QStringLiteral("Fornitor.Note"), QStringLiteral("Note")},
                     {QStringLiteral("Fornitor.Codice"), QStringLiteral("Codice")}};
        r.choiceFilters = {
            {QStringLiteral("Fornitor.Categoria_ID"), QStringLiteral("Categoria"),
             QStringLiteral("SELECT ID, Descrizione FROM FornitorCategoria ORDER BY Descrizione"),
             QStringLiteral("cboCategorie")}};
        r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare il Fornitore?");
        r.add = [](storage::Archive &archive, const QVariant &) {
            return addSupplier(archive);
        };
        r.remove = deleteSupplier;
    }
    return r;
}

} // namespace

const RegistryDescriptor &customerRegistry()
{
    static const RegistryDescriptor registry = partyRegistry(true);
    return registry;
}

const RegistryDescriptor &supplierRegistry()
{
    static const RegistryDescriptor registry = partyRegistry(false);
    return registry;
}

} // namespace rotalina::registries
