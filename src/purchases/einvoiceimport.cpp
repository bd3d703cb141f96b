#include "purchases/einvoiceimport.h"

#include "core/datetext.h"
#include "core/duedates.h"
#include "core/einvoicefile.h"
#include "core/money.h"
#include "core/numbertext.h"
#include "invoicing/instalments.h"
#include "invoicing/paymentterms.h"
#include "purchases/purchases.h"
#include "shell/prompter.h"
#include "storage/archive.h"
#include "storage/sqldialect.h"
#include "storage/sqlvalue.h"
#include "storage/workstationrows.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSqlQuery>
#include <cmath>

namespace rotalina::purchases {

namespace sqlvalue = storage::sqlvalue;
using Outcome = ImportLine::Outcome;

namespace {

const QString linesTable = QStringLiteral("TempXml_FatturaRighe");
const QString paymentsTable = QStringLiteral("TempXml_Pagamenti");
const QString linkedTable = QStringLiteral("TempXml_NotaCredito");
const QString transportTable = QStringLiteral("TempXml_Ddt");

QVariant keyOrNull(const QVariant &key)
{
    return key.isValid() && !key.isNull() && key.toLongLong() != 0 ? key : QVariant();
}

QVariant textOrNull(const QString &text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

// The description of a VAT code created for a nature the archive did not have.
QString natureDescription(const QString &nature, double rate)
{
    static const QHash<QString, QString> natures = {
        {QStringLiteral("N1"), QStringLiteral("escluse ex art. 15")},
        {QStringLiteral("N2.1"),
         QStringLiteral("non soggette ad IVA ai sensi degli artt. da 7 a 7-septies del DPR 633/72")},
        {QStringLiteral("N2.2"), QStringLiteral("non soggette - altri casi")},
        {QStringLiteral("N3.1"), QStringLiteral("non imponibili - esportazioni")},
        {QStringLiteral("N3.2"), QStringLiteral("non imponibili - cessioni intracomunitarie")},
        {QStringLiteral("N3.3"), QStringLiteral("non imponibili - cessioni verso San Marino")},
        {QStringLiteral("N3.4"),
         QStringLiteral("non imponibili - operazioni assimilate alle cessioni all'esportazione")},
        {QStringLiteral("N3.5"), QStringLiteral("non imponibili - a seguito di dichiarazioni d'intento")},
        {QStringLiteral("N3.6"),
         QStringLiteral("non imponibili - altre operazioni che non concorrono alla formazione del plafond")},
        {QStringLiteral("N4"), QStringLiteral("esenti")},
        {QStringLiteral("N5"), QStringLiteral("regime del margine / IVA non esposta in fattura")},
        {QStringLiteral("N6.1"),
         QStringLiteral("inversione contabile - cessione di rottami e altri materiali di recupero")},
        {QStringLiteral("N6.2"), QStringLiteral("inversione contabile - cessione di oro e argento puro")},
        {QStringLiteral("N6.3"), QStringLiteral("inversione contabile - subappalto nel settore edile")},
        {QStringLiteral("N6.4"), QStringLiteral("inversione contabile - cessione di fabbricati")},
        {QStringLiteral("N6.5"), QStringLiteral("inversione contabile - cessione di telefoni cellulari")},
        {QStringLiteral("N6.6"), QStringLiteral("inversione contabile - cessione di prodotti elettronici")},
        {QStringLiteral("N6.7"),
         QStringLiteral("inversione contabile - prestazioni comparto edile e settori connessi")},
        {QStringLiteral("N6.8"), QStringLiteral("inversione contabile - operazioni settore energetico")},
        {QStringLiteral("N6.9"), QStringLiteral("inversione contabile - altri casi")},
        {QStringLiteral("N7"),
         QStringLiteral(
             "IVA assolta in altro stato UE (vendite a distanza ex art. 40 c. 3 e 4 e art. 41 c. 1 "
             "lett. b,  DL 331/93; prestazione di servizi di telecomunicazioni, "
             "tele-radiodiffusione ed elettronici ex art. 7-sexies lett. f, g, art. 74-sexies DPR "
             "633/72)")},
    };
    if (nature.isEmpty())
        return core::formatItalianNumber(rate, rate == std::round(rate) ? 0 : 2);
    return natures.value(nature, nature);
}

QString amountText(double amount)
{
    return core::formatItalianNumber(amount, 2);
}

// A document's writing, inside the transaction of its body.
class BodyWriter
{
public:
    // What the archive already said about towns and VAT codes, kept from one document to the next:
    // the same few come back in every file.
    struct Known
    {
        QHash<QString, QVariant> &towns;
        QHash<QString, QVariant> &vatCodes;
    };

    BodyWriter(storage::Archive &archive, const ImportSettings &settings, bool updateRegistries, Known &known)
        : m_archive(archive), m_settings(settings), m_workRows(archive, settings.workstation),
          m_updateRegistries(updateRegistries), m_known(known)
    {}

    struct Supplier
    {
        qint64 key = 0;
        QVariant paymentMode;
        QString name;
        QVariantMap stored; // the registry's fields as they are
    };

    core::Result<std::optional<Supplier>> findSupplier(const ReceivedParty &party)
    {
        using R = core::Result<std::optional<Supplier>>;
        QStringList conditions;
        QVariantList params;
        if (!party.vatNumber.isEmpty()) {
            conditions << QStringLiteral("Iva = ?");
            params << party.vatNumber;
        }
        if (!party.taxCode.isEmpty()) {
            conditions << QStringLiteral("CodFiscale = ?");
            params << party.taxCode;
        }
        // The fields the file may change, to write only those it changes.
        static const QStringList compared{
            QStringLiteral("Id"),           QStringLiteral("Pagamento_ID"), QStringLiteral("Fornitore"),
            QStringLiteral("Iva"),          QStringLiteral("CodFiscale"),   QStringLiteral("VIA"),
            QStringLiteral("Numero"),       QStringLiteral("Cap"),          QStringLiteral("Comune"),
            QStringLiteral("Provincia"),    QStringLiteral("Telefono"),     QStringLiteral("Fax"),
            QStringLiteral("Email"),        QStringLiteral("Cognome"),      QStringLiteral("Nome"),
            QStringLiteral("CodEORI"),      QStringLiteral("IdPaese"),      QStringLiteral("Titolo"),
            QStringLiteral("ImportatoXml"), QStringLiteral("Comune_id")};
        const core::Result<storage::Archive::Rows> found = m_archive.readRows(
            QStringLiteral("SELECT %1 FROM Fornitor WHERE %2 ORDER BY Id LIMIT 1")
                .arg(compared.join(QStringLiteral(", ")), conditions.join(QStringLiteral(" OR "))),
            params);
        if (!found)
            return R::failure(found.error());
        if (found->values.isEmpty())
            return std::optional<Supplier>{};
        QVariantMap stored;
        for (qsizetype i = 0; i < compared.size(); ++i)
            stored.insert(compared.at(i), found->values.first().value(i));
        return std::optional<Supplier>{Supplier{stored.value(QStringLiteral("Id")).toLongLong(),
                                                keyOrNull(stored.value(QStringLiteral("Pagamento_ID"))),
                                                stored.value(QStringLiteral("Fornitore")).toString(),
                                                stored}};
    }

    // The municipality of the supplier's seat, created when the archive does not know it.
    core::Result<QVariant> municipality(const ReceivedParty &party)
    {
        if (party.town.isEmpty())
            return QVariant();
        const QString remembered = QStringList{party.town.toUpper(), party.province.toUpper(), party.postCode,
                                               party.nation.toUpper()}
                                       .join(u'|');
        if (m_known.towns.contains(remembered))
            return m_known.towns.value(remembered);
        const core::Result<QVariant> found = findMunicipality(party);
        if (!found)
            return found;
        m_known.towns.insert(remembered, *found);
        return found;
    }

    core::Result<QVariant> findMunicipality(const ReceivedParty &party)
    {
        using R = core::Result<QVariant>;
        // The name as written, in capitals as most files write it, and last ignoring accents and
        // apostrophes, which no index can serve.
        const storage::SqlDialect &dialect = m_archive.dialect();
        const QList<std::pair<QString, QVariantList>> byName{
            {QStringLiteral(
                 "SELECT ID FROM Comuni WHERE UPPER(Comune) = ? AND UPPER(COALESCE(Provincia, '')) = ? "
                 "ORDER BY ID LIMIT 1"),
             {party.town.toUpper(), party.province.toUpper()}},
            {QStringLiteral("SELECT ID FROM Comuni WHERE %1 AND %2 ORDER BY ID LIMIT 1")
                 .arg(dialect.foldedLike(QStringLiteral("Comune")),
                      dialect.foldedLike(QStringLiteral("Provincia"))),
             {storage::SqlDialect::samePattern(party.town),
              storage::SqlDialect::samePattern(party.province)}}};
        for (const auto &[statement, params] : byName) {
            const core::Result<QVariant> named = m_archive.scalar(statement, params);
            if (!named)
                return named;
            if (keyOrNull(*named).isValid())
                return *named;
        }
        // A postal code names an Italian town only.
        const bool italian = party.nation.isEmpty() || party.nation.compare(u"IT", Qt::CaseInsensitive) == 0;
        if (italian && !party.postCode.isEmpty()) {
            for (const QString &statement :
                 {QStringLiteral("SELECT ID FROM Comuni WHERE CAP = ? ORDER BY ID LIMIT 1"),
                  QStringLiteral("SELECT Comune_ID FROM Indirizzi WHERE Cap = ? AND Comune_ID IS NOT NULL "
                                 "ORDER BY ID LIMIT 1")}) {
                const core::Result<QVariant> byCode = m_archive.scalar(statement, {party.postCode});
                if (!byCode)
                    return byCode;
                if (keyOrNull(*byCode).isValid())
                    return *byCode;
            }
        }
        const core::Result<QVariant> nation = m_archive.scalar(
            QStringLiteral("SELECT IDNazione FROM Nazioni WHERE SIGLA = ? ORDER BY IDNazione LIMIT 1"),
            {party.nation.isEmpty() ? QStringLiteral("IT") : party.nation.toUpper()});
        if (!nation)
            return nation;
        const core::Result<qint64> added = m_archive.insert(
            QStringLiteral("Comuni"), {{QStringLiteral("Comune"), party.town},
                                       {QStringLiteral("Provincia"), textOrNull(party.province)},
                                       {QStringLiteral("CAP"), textOrNull(party.postCode)},
                                       {QStringLiteral("ImportatoXml"), true},
                                       {QStringLiteral("Nazione_ID"), keyOrNull(*nation)}});
        if (!added)
            return R::failure(added.error());
        return QVariant(*added);
    }

    // The supplier written from the file: a new one, or the known one with what the file says
    // (what the file leaves out stays as it was). A new name follows into its documents.
    core::Result<Supplier> writeSupplier(const ReceivedParty &party, const std::optional<Supplier> &known)
    {
        using R = core::Result<Supplier>;
        // A known supplier still in the town the registry has keeps its town without a search.
        const bool sameTown = known &&
                              keyOrNull(known->stored.value(QStringLiteral("Comune_id"))).isValid() &&
                              known->stored.value(QStringLiteral("Comune"))
                                      .toString()
                                      .compare(party.town, Qt::CaseInsensitive) == 0;
        const core::Result<QVariant> town =
            sameTown ? core::Result<QVariant>(known->stored.value(QStringLiteral("Comune_id")))
                     : municipality(party);
        if (!town)
            return R::failure(town.error());
        const QString name = party.displayName();
        const QList<QPair<QString, QString>> fields{{QStringLiteral("Fornitore"), name},
                                                    {QStringLiteral("Iva"), party.vatNumber},
                                                    {QStringLiteral("CodFiscale"), party.taxCode},
                                                    {QStringLiteral("VIA"), party.street},
                                                    {QStringLiteral("Numero"), party.streetNumber},
                                                    {QStringLiteral("Cap"), party.postCode},
                                                    {QStringLiteral("Comune"), party.town},
                                                    {QStringLiteral("Provincia"), party.province},
                                                    {QStringLiteral("Telefono"), party.phone},
                                                    {QStringLiteral("Fax"), party.fax},
                                                    {QStringLiteral("Email"), party.email},
                                                    {QStringLiteral("Cognome"), party.lastName},
                                                    {QStringLiteral("Nome"), party.firstName},
                                                    {QStringLiteral("CodEORI"), party.eori},
                                                    {QStringLiteral("IdPaese"), party.country},
                                                    {QStringLiteral("Titolo"), party.title}};
        QVariantMap values{{QStringLiteral("ImportatoXml"), true}};
        for (const auto &[field, value] : fields)
            if (!value.isEmpty())
                values.insert(field, value);
        if (town->isValid())
            values.insert(QStringLiteral("Comune_id"), *town);
        if (!known) {
            values.insert(QStringLiteral("Annullato"), false);
            const core::Result<qint64> added = m_archive.insert(QStringLiteral("Fornitor"), values);
            if (!added)
                return R::failure(added.error());
            return Supplier{*added, QVariant(), name, {}};
        }
        // Only what the file says differently is written.
        for (auto it = values.begin(); it != values.end();) {
            const QVariant stored = known->stored.value(it.key());
            const bool same = it.value().typeId() == QMetaType::Bool
                                  ? stored.toBool() == it.value().toBool()
                                  : stored.toString() == it.value().toString();
            it = same ? values.erase(it) : std::next(it);
        }
        if (!values.isEmpty()) {
            if (core::Status written = m_archive.update(QStringLiteral("Fornitor"), known->key, values);
                !written)
                return R::failure(written.error());
        }
        if (known->name != name) {
            if (const core::Result<int> renamed = m_archive.execute(
                    QStringLiteral("UPDATE fattura SET Fornitore = ? WHERE Fornitore_ID = ?"),
                    {name, known->key});
                !renamed)
                return R::failure(renamed.error());
        }
        return Supplier{known->key, known->paymentMode, name, {}};
    }

    // The document already in the archive with the same supplier, kind, number and date.
    core::Result<QVariant> existingDocument(qint64 supplier, PurchaseDocument kind, const ReceivedBody &body)
    {
        return m_archive.scalar(
            QStringLiteral("SELECT ProgressivoCarico FROM fattura WHERE Carico = ? AND Fornitore_ID = ? AND "
                           "COALESCE(FattNota, ?) = ? AND NumeroCarico = ? AND Data >= ? AND Data <= ? "
                           "ORDER BY ID LIMIT 1"),
            {true, supplier, false, kind == PurchaseDocument::CreditNote, body.number,
             sqlvalue::date(body.date), sqlvalue::endOfDay(body.date)});
    }

    // Rows of one table in few statements (one on a server); a field a row lacks is empty there.
    core::Status insertAll(const QString &table, const QList<QVariantMap> &rows)
    {
        if (rows.isEmpty())
            return {};
        QStringList fields;
        for (const QVariantMap &row : rows)
            for (auto it = row.cbegin(); it != row.cend(); ++it)
                if (!fields.contains(it.key()))
                    fields.append(it.key());
        QList<QVariantList> values;
        for (const QVariantMap &row : rows) {
            QVariantList ordered;
            for (const QString &field : fields)
                ordered.append(row.value(field));
            values.append(ordered);
        }
        return m_archive.insertRows(table, fields, values);
    }

    // The body's lines, payments and linked invoices in this workstation's work tables.
    core::Status fillWorkTables(qint64 supplier, const ReceivedBody &body)
    {
        for (const QString &table : {transportTable, linesTable, paymentsTable, linkedTable}) {
            if (const core::Result<int> cleared = m_workRows.clear(table); !cleared)
                return core::Status::failure(cleared.error());
        }
        const auto common = [this, supplier](QVariantMap values) {
            values.insert(QStringLiteral("NomeComputer"), m_settings.workstation);
            values.insert(QStringLiteral("Fornitore_ID"), supplier);
            values.insert(QStringLiteral("Valido"), false);
            return values;
        };
        QList<QVariantMap> lines;
        QList<QVariantMap> payments;
        QList<QVariantMap> linked;
        int position = 0;
        for (const ReceivedLine &line : body.lines) {
            ++position;
            const QVariantMap values{
                {QStringLiteral("NumeroRiga"), line.number > 0 ? line.number : position},
                {QStringLiteral("CodiceTipo"), textOrNull(line.codeType)},
                {QStringLiteral("CodiceValore"), textOrNull(line.codeValue)},
                {QStringLiteral("Descrizione"), line.description},
                {QStringLiteral("Quantita"), line.quantity},
                {QStringLiteral("UnitaMisura"), textOrNull(line.unit)},
                {QStringLiteral("PrezzoUnitario"), line.unitPrice},
                {QStringLiteral("Sconto_1"), line.discounts[0]},
                {QStringLiteral("Sconto_2"), line.discounts[1]},
                {QStringLiteral("Sconto_3"), line.discounts[2]},
                {QStringLiteral("Sconto_4"), line.discounts[3]},
                {QStringLiteral("PrezzoTotale"), line.totalPrice},
                {QStringLiteral("TotaleImponibile"), line.totalPrice},
                {QStringLiteral("AliquotaIVA"), line.vatRate},
                {QStringLiteral("Ritenuta"), textOrNull(line.withholding)},
                {QStringLiteral("NaturaEsclusioneIva"), textOrNull(line.nature)},
                {QStringLiteral("RiferimentoAmministrazione"), textOrNull(line.administrationReference)},
                {QStringLiteral("AltriDatiGestionali"), textOrNull(line.otherData)}};
            lines.append(common(values));
        }
        // A pension-fund contribution is taxable like a line: it becomes a row after the lines.
        int highest = 0;
        for (const ReceivedLine &line : body.lines)
            highest = std::max(highest, line.number);
        highest = std::max(highest, position);
        for (const PensionContribution &fund : body.pensionContributions) {
            const QVariantMap values{{QStringLiteral("NumeroRiga"), ++highest},
                                     {QStringLiteral("CodiceValore"), fund.type},
                                     {QStringLiteral("Descrizione"),
                                      QStringLiteral("Contributo cassa previdenziale %1").arg(fund.type)},
                                     {QStringLiteral("Quantita"), 1.0},
                                     {QStringLiteral("PrezzoUnitario"), fund.amount},
                                     {QStringLiteral("PrezzoTotale"), fund.amount},
                                     {QStringLiteral("TotaleImponibile"), fund.amount},
                                     {QStringLiteral("AliquotaIVA"), fund.vatRate},
                                     {QStringLiteral("NaturaEsclusioneIva"), textOrNull(fund.nature)}};
            lines.append(common(values));
        }
        for (const ReceivedPayment &payment : body.payments) {
            const QVariantMap values{
                {QStringLiteral("CondizioniPagamento"), textOrNull(payment.conditions)},
                {QStringLiteral("Beneficiario"), textOrNull(payment.beneficiary)},
                {QStringLiteral("ModalitaPagamento"), textOrNull(payment.method)},
                {QStringLiteral("ModPagamento_ID"), 0},
                {QStringLiteral("DataRiferimentoTerminiPagamento"), sqlvalue::date(payment.referenceDate)},
                {QStringLiteral("GiorniTerminiPagamento"),
                 payment.days ? QVariant(*payment.days) : QVariant()},
                {QStringLiteral("DataScadenzaPagamento"),
                 sqlvalue::date(payment.effectiveDueDate(body.date))},
                {QStringLiteral("ImportoPagamento"), payment.amount},
                {QStringLiteral("IstitutoFinanziario"), textOrNull(payment.institute)},
                {QStringLiteral("IBAN"), textOrNull(payment.iban)},
                {QStringLiteral("CodicePagamento"), textOrNull(payment.code)}};
            payments.append(common(values));
        }
        for (const LinkedInvoice &invoice : body.linkedInvoices) {
            const QVariantMap values{{QStringLiteral("Numero"), invoice.number},
                                     {QStringLiteral("Data"), sqlvalue::date(invoice.date)},
                                     {QStringLiteral("NumeroRiga"), invoice.line}};
            linked.append(common(values));
        }
        for (const auto &[table, rows] : {std::pair(linesTable, &lines), std::pair(paymentsTable, &payments),
                                          std::pair(linkedTable, &linked)}) {
            if (core::Status written = insertAll(table, *rows); !written)
                return written;
        }
        return {};
    }

    // The supplier's purchase invoice the credit note refers to, when the archive has it.
    struct Credited
    {
        QVariant key;
        QVariant number; // Num
        QString supplierNumber;
        QDate date;
    };
    core::Result<std::optional<Credited>> creditedInvoice(qint64 supplier)
    {
        using R = core::Result<std::optional<Credited>>;
        const core::Result<storage::Archive::Rows> linked =
            m_archive.readRows(QStringLiteral("SELECT ID, Numero, Data FROM TempXml_NotaCredito WHERE "
                                              "NomeComputer = ? ORDER BY ID"),
                               {m_settings.workstation});
        if (!linked)
            return R::failure(linked.error());
        std::optional<Credited> first;
        for (const QVariantList &row : linked->values) {
            const QDate date = sqlvalue::toDate(row.value(2));
            const QString number = row.value(1).toString();
            const core::Result<storage::Archive::Rows> found = m_archive.readRows(
                QStringLiteral(
                    "SELECT ID, Num FROM fattura WHERE Carico = ? AND COALESCE(FattNota, ?) = ? AND "
                    "Fornitore_ID = ? AND NumeroCarico = ? AND Data >= ? AND Data <= ? ORDER BY ID "
                    "LIMIT 1"),
                {true, false, false, supplier, number, sqlvalue::date(date), sqlvalue::endOfDay(date)});
            if (!found)
                return R::failure(found.error());
            Credited credited{QVariant(), QVariant(), number, date};
            if (!found->values.isEmpty()) {
                credited.key = found->values.first().value(0);
                credited.number = found->values.first().value(1);
                if (const core::Result<int> matched = m_archive.execute(
                        QStringLiteral(
                            "UPDATE TempXml_NotaCredito SET FattRif_Id = ?, FattRif_Num = ? WHERE ID = ?"),
                        {credited.key, credited.number, row.value(0)});
                    !matched)
                    return R::failure(matched.error());
            }
            if (!first || (!first->key.isValid() && credited.key.isValid()))
                first = credited;
        }
        return first;
    }

    // The VAT code of a rate and nature, created when the options allow it.
    core::Result<QVariant> vatCode(double rate, const QString &nature)
    {
        const QString found = QString::number(rate) + u'|' + nature;
        if (m_known.vatCodes.contains(found))
            return m_known.vatCodes.value(found);
        QString sql = QStringLiteral("SELECT ID FROM Iva WHERE Iva = ?");
        QVariantList params{rate};
        if (!nature.isEmpty()) {
            sql += QStringLiteral(" AND Pa_Natura_Codice = ?");
            params << nature;
        }
        const core::Result<QVariant> code =
            m_archive.scalar(sql + QStringLiteral(" ORDER BY ID LIMIT 1"), params);
        if (!code)
            return code;
        QVariant key = keyOrNull(*code);
        if (!key.isValid() && m_updateRegistries) {
            const core::Result<qint64> added = m_archive.insert(
                QStringLiteral("Iva"), {{QStringLiteral("Iva"), rate},
                                        {QStringLiteral("Pa_Natura_Codice"), textOrNull(nature)},
                                        {QStringLiteral("Descrizione"), natureDescription(nature, rate)},
                                        {QStringLiteral("ImportatoXml"), true}});
            if (!added)
                return core::Result<QVariant>::failure(added.error());
            key = *added;
        }
        m_known.vatCodes.insert(found, key);
        return key;
    }

    // The payment modes of the instalments: the mode of the archive with the file's method and as
    // many instalments (or none, for a payment in full), else the supplier's, else the options'.
    // The mode of the first instalment that has one, for the document.
    core::Result<QVariant> matchPaymentModes(const QList<ReceivedPayment> &payments, const QVariant &fallback)
    {
        using R = core::Result<QVariant>;
        // For each method the archive knows: how many instalments, and the conditions of the first
        // in descending order.
        const core::Result<storage::Archive::Rows> methods = m_archive.readRows(
            QStringLiteral(
                "SELECT t.ModalitaPagamento, COUNT(*), MAX(t.CondizioniPagamento) FROM TempXml_Pagamenti t "
                "WHERE t.NomeComputer = ? AND t.ModPagamento_ID = 0 AND EXISTS (SELECT 1 FROM ModPagamento m "
                "WHERE m.PA_ModalitaPagamento_Codice = t.ModalitaPagamento) GROUP BY t.ModalitaPagamento"),
            {m_settings.workstation});
        if (!methods)
            return R::failure(methods.error());
        QHash<QString, QVariant> modes;
        for (const QVariantList &method : methods->values) {
            const QString code = method.value(0).toString();
            const int count = method.value(1).toInt();
            const bool inFull = method.value(2).toString() != u"TP01";
            const core::Result<QVariant> mode = m_archive.scalar(
                QStringLiteral("SELECT id FROM ModPagamento WHERE (NumeroScadenze = ?%1) AND "
                               "PA_ModalitaPagamento_Codice = ? ORDER BY id LIMIT 1")
                    .arg(inFull ? QStringLiteral(" OR COALESCE(NumeroScadenze, 0) = 0") : QString()),
                {count, code});
            if (!mode)
                return R::failure(mode.error());
            QVariant matched = *mode;
            if (!keyOrNull(matched).isValid()) {
                // No mode of the archive has as many instalments: one with the file's method still
                // says better how the supplier is paid than the supplier's usual mode.
                const core::Result<QVariant> sameMethod = m_archive.scalar(
                    QStringLiteral(
                        "SELECT id FROM ModPagamento WHERE PA_ModalitaPagamento_Codice = ? ORDER BY "
                        "id LIMIT 1"),
                    {code});
                if (!sameMethod)
                    return R::failure(sameMethod.error());
                matched = *sameMethod;
            }
            if (!keyOrNull(matched).isValid())
                continue;
            modes.insert(code, matched);
            if (const core::Result<int> set = m_archive.execute(
                    QStringLiteral(
                        "UPDATE TempXml_Pagamenti SET ModPagamento_ID = ? WHERE NomeComputer = ? AND "
                        "ModalitaPagamento = ?"),
                    {matched, m_settings.workstation, code});
                !set)
                return R::failure(set.error());
        }
        const bool withFallback = keyOrNull(fallback).isValid();
        if (withFallback && modes.size() < payments.size()) {
            const core::Result<int> rest = m_archive.execute(
                QStringLiteral("UPDATE TempXml_Pagamenti SET ModPagamento_ID = ? WHERE NomeComputer = ? AND "
                               "ModPagamento_ID = 0"),
                {fallback, m_settings.workstation});
            if (!rest)
                return R::failure(rest.error());
        }
        for (const ReceivedPayment &payment : payments) {
            const QVariant mode = modes.value(payment.method, withFallback ? fallback : QVariant());
            if (keyOrNull(mode).isValid())
                return mode;
        }
        return fallback;
    }

    // The rows of the document from the work rows.
    core::Status writeRows(qint64 document, PurchaseDocument kind, const PurchaseSettings &options)
    {
        const PurchaseRowTable &table = rowTableOf(kind);
        const core::Result<storage::Archive::Rows> lines = m_archive.readRows(
            QStringLiteral(
                "SELECT NumeroRiga, CodiceValore, Descrizione, Quantita, PrezzoUnitario, Sconto_1, "
                "Sconto_2, Sconto_3, Sconto_4, AliquotaIVA, NaturaEsclusioneIva, AltriDatiGestionali "
                "FROM TempXml_FatturaRighe WHERE NomeComputer = ? ORDER BY ID"),
            {m_settings.workstation});
        if (!lines)
            return core::Status::failure(lines.error());
        QList<QVariantMap> rows;
        for (const QVariantList &line : lines->values) {
            const double quantity = line.value(3).toDouble();
            const double unitPrice = line.value(4).toDouble();
            const core::Discounts discounts{line.value(5).toDouble(), line.value(6).toDouble(),
                                            line.value(7).toDouble(), line.value(8).toDouble()};
            const double rate = line.value(9).toDouble();
            const core::Result<QVariant> vat = vatCode(rate, line.value(10).toString());
            if (!vat)
                return core::Status::failure(vat.error());
            const double net = core::arrotonda(purchaseRowNet(quantity, unitPrice, discounts));
            QVariantMap values{{table.owner, document},
                               {QStringLiteral("NumeroRiga"), line.value(0)},
                               {QStringLiteral("Codice"), line.value(1)},
                               {QStringLiteral("Descrizione"), line.value(2)},
                               {table.quantity, quantity},
                               {QStringLiteral("ValoreUnitario"), unitPrice},
                               {QStringLiteral("Sconto"), discounts[0]},
                               {QStringLiteral("Sconto2"), discounts[1]},
                               {QStringLiteral("Sconto3"), discounts[2]},
                               {QStringLiteral("Sconto4"), discounts[3]},
                               {QStringLiteral("AliquotaIva"), rate},
                               {QStringLiteral("TotaleImponibile"), net},
                               {table.gross, purchaseRowGross(net, rate)},
                               {table.vat, keyOrNull(*vat)},
                               {QStringLiteral("ContabilitaConti_ID"), options.generalAccount},
                               {QStringLiteral("Note"), line.value(11)},
                               {QStringLiteral("Data"), m_settings.today},
                               {QStringLiteral("ImportatoXml"), true},
                               {QStringLiteral("Storico"), false}};
            if (kind == PurchaseDocument::Invoice)
                values.insert(QStringLiteral("Scarico"), false);
            rows.append(values);
        }
        return insertAll(table.table, rows);
    }

    // The instalments of the file as they are, or those of the payment mode when the file has none;
    // none is paid.
    core::Status writeInstalments(qint64 document, PurchaseDocument kind, const ReceivedBody &body,
                                  const QVariant &paymentMode)
    {
        QList<invoicing::GivenInstalment> instalments;
        const core::Result<storage::Archive::Rows> payments = m_archive.readRows(
            QStringLiteral(
                "SELECT DataScadenzaPagamento, ImportoPagamento, ModPagamento_ID, CodicePagamento FROM "
                "TempXml_Pagamenti WHERE NomeComputer = ? ORDER BY ID"),
            {m_settings.workstation});
        if (!payments)
            return core::Status::failure(payments.error());
        for (const QVariantList &payment : payments->values)
            instalments.append({sqlvalue::toDate(payment.value(0)), payment.value(1).toDouble(),
                                keyOrNull(payment.value(2)), payment.value(3).toString()});
        if (instalments.isEmpty()) {
            const core::Result<std::optional<invoicing::PaymentTerms>> terms =
                invoicing::readPaymentTerms(m_archive, paymentMode);
            if (!terms)
                return core::Status::failure(terms.error());
            if (terms->has_value()) {
                const core::Result<QVariant> total = m_archive.scalar(
                    QStringLiteral("SELECT TotFattura FROM fattura WHERE ID = ?"), {document});
                if (!total)
                    return core::Status::failure(total.error());
                const invoicing::PaymentTerms &mode = **terms;
                const int count = std::max(mode.instalments, 1);
                const QList<double> amounts = core::splitInstalments(total->toDouble(), count);
                for (int i = 0; i < count; ++i) {
                    const QDate due = mode.instalments == 0
                                          ? body.date
                                          : core::dueDate(body.date, mode.days.at(std::size_t(i)), mode.rule);
                    instalments.append({due, amounts.at(i), paymentMode, QString()});
                }
            }
        }
        return invoicing::writeGivenDueDates(m_archive, document, instalments, dueDatesOf(kind));
    }

    // Where the registered totals part from the file's: a line for each difference.
    struct Registered
    {
        double total = 0;
        QStringList differences;
    };
    core::Result<Registered> totalsDifferences(qint64 document, const ReceivedBody &body)
    {
        using R = core::Result<Registered>;
        const core::Result<storage::Archive::Rows> stored = m_archive.readRows(
            QStringLiteral(
                "SELECT TotImponibile, TotImposta, TotFattura, RitenutaAcconto FROM fattura WHERE ID = ?"),
            {document});
        if (!stored)
            return R::failure(stored.error());
        const QVariantList row = stored->values.value(0);
        const double taxable = row.value(0).toDouble();
        const double tax = row.value(1).toDouble();
        const double total = row.value(2).toDouble();
        const double withholding = row.value(3).toDouble();
        QStringList differences;
        const auto differs = [](double a, double b) {
            return std::fabs(a - b) >= 0.005;
        };
        if (!body.summaries.isEmpty()) {
            double fileTaxable = 0;
            double fileTax = 0;
            for (const ReceivedSummary &summary : body.summaries) {
                fileTaxable += summary.taxable + summary.rounding;
                fileTax += summary.tax;
            }
            if (differs(core::arrotonda(fileTaxable), taxable))
                differences << QStringLiteral("imponibile del file %1, registrato %2")
                                   .arg(amountText(fileTaxable), amountText(taxable));
            if (differs(core::arrotonda(fileTax), tax))
                differences << QStringLiteral("imposta del file %1, registrata %2")
                                   .arg(amountText(fileTax), amountText(tax));
        }
        if (body.documentTotal) {
            // The file's total is before the withholding; a stamp duty or a rounding outside the
            // lines explains a difference of its own amount.
            const double registered = core::arrotonda(total + withholding);
            const double difference = core::arrotonda(*body.documentTotal - registered);
            if (differs(difference, 0) && differs(difference, body.stamp) &&
                differs(difference, body.documentRounding))
                differences << QStringLiteral("totale documento del file %1, registrato %2")
                                   .arg(amountText(*body.documentTotal), amountText(registered));
        }
        return Registered{total, differences};
    }

private:
    storage::Archive &m_archive;
    const ImportSettings &m_settings;
    storage::WorkstationRows m_workRows;
    bool m_updateRegistries;
    Known m_known;
};

} // namespace

QString ImportLine::outcomeText() const
{
    switch (outcome) {
    case Outcome::Imported:
        return QStringLiteral("Importata");
    case Outcome::Skipped:
        return QStringLiteral("Saltata");
    case Outcome::Refused:
        break;
    }
    return QStringLiteral("Errore");
}

QString ImportLine::text() const
{
    switch (outcome) {
    case Outcome::Imported: {
        QString line = QStringLiteral("IMPORTATA %1 %2 %3 %4 %5")
                           .arg(file, documentType, number, supplier, QString::number(total, 'f', 2));
        if (!remarks.isEmpty())
            line += QStringLiteral(" - ") + remarks.join(QStringLiteral("; "));
        return line;
    }
    case Outcome::Skipped:
        return QStringLiteral("SALTATA %1: %2").arg(file, reason);
    case Outcome::Refused:
        break;
    }
    return QStringLiteral("ERRORE %1: %2").arg(file, reason);
}

QStringList electronicInvoiceFiles(const QStringList &paths, QStringList *missing)
{
    QStringList files;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            const QFileInfoList found =
                QDir(path).entryInfoList({QStringLiteral("*.xml"), QStringLiteral("*.p7m")},
                                         QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
            for (const QFileInfo &file : found)
                files.append(file.absoluteFilePath());
        } else if (info.exists()) {
            files.append(info.absoluteFilePath());
        } else if (missing) {
            missing->append(path);
        }
    }
    return files;
}

ElectronicInvoiceImport::ElectronicInvoiceImport(storage::Archive &archive, ImportSettings settings,
                                                 shell::Prompter *prompter)
    : m_archive(archive), m_settings(std::move(settings)), m_prompter(prompter)
{}

QString ElectronicInvoiceImport::notAddressedQuestion()
{
    return QStringLiteral("Attenzione ! Il documento non è indirizzato a questa azienda ! Il codice sdi, la "
                          "Pec del destinatario, "
                          "la partita iva, il codice fiscele non corrispondono a quelli dell'azienda! Vuoi "
                          "importare ugualmente il "
                          "documento ?");
}

core::Status ElectronicInvoiceImport::prepare()
{
    if (m_company)
        return {};
    const core::Result<storage::Archive::Rows> company = m_archive.readRows(
        QStringLiteral("SELECT Pec, CodiceSdi, CodFisc, PIva FROM ditta ORDER BY 1 LIMIT 1"));
    if (!company)
        return core::Status::failure(company.error());
    const core::Result<storage::Archive::Rows> options = m_archive.readRows(
        QStringLiteral("SELECT AggiornaAutomaticamenteInformazioniDaXml, Carico_ModPagamento_Id FROM opzioni "
                       "ORDER BY ID LIMIT 1"));
    if (!options)
        return core::Status::failure(options.error());
    const QVariantList identity = company->values.value(0);
    m_company = Company{identity.value(0).toString().trimmed(), identity.value(1).toString().trimmed(),
                        identity.value(2).toString().trimmed(), identity.value(3).toString().trimmed()};
    m_updateRegistries = options->values.value(0).value(0).toBool();
    m_defaultPaymentMode = keyOrNull(options->values.value(0).value(1));
    return {};
}

bool ElectronicInvoiceImport::isAddressedToCompany(const ReceivedInvoice &invoice) const
{
    const auto same = [](const QString &ours, const QString &theirs) {
        return !ours.isEmpty() && ours.compare(theirs.trimmed(), Qt::CaseInsensitive) == 0;
    };
    // A VAT number may be written with its country prefix in the company's data.
    QString vatNumber = m_company->vatNumber;
    if (vatNumber.size() > 2 && vatNumber.left(2).compare(u"IT", Qt::CaseInsensitive) == 0)
        vatNumber = vatNumber.mid(2);
    return same(m_company->pec, invoice.transmission.recipientPec) ||
           same(m_company->sdiCode, invoice.transmission.recipientCode) ||
           same(m_company->taxCode, invoice.recipient.taxCode) ||
           same(vatNumber, invoice.recipient.vatNumber) ||
           same(m_company->taxCode, invoice.recipient.vatNumber);
}

QList<ImportLine> ElectronicInvoiceImport::importFile(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    const auto refused = [&name](Outcome outcome, const QString &reason) {
        ImportLine line;
        line.file = name;
        line.outcome = outcome;
        line.reason = reason;
        return QList<ImportLine>{line};
    };
    if (core::Status ready = prepare(); !ready)
        return refused(Outcome::Refused, ready.error());
    const core::Result<core::ElectronicInvoiceFile> file = core::readElectronicInvoiceFile(path);
    if (!file)
        return refused(Outcome::Refused, QString(file.error()).replace(u'\n', u' '));
    const core::Result<core::XmlElement> root = core::parseXmlElements(file->xml);
    if (!root)
        return refused(Outcome::Refused, root.error());
    if (const std::optional<UnreadableInvoice> other = checkInvoiceRoot(*root))
        return refused(other->kind == NotAnInvoice::Companion ? Outcome::Skipped : Outcome::Refused,
                       other->reason);
    const core::Result<ReceivedInvoice> invoice = readReceivedInvoice(*root);
    if (!invoice)
        return refused(Outcome::Refused,
                       QStringLiteral("fattura elettronica incompleta: %1").arg(invoice.error()));
    if (!isAddressedToCompany(*invoice) && !m_settings.alsoNotAddressed) {
        const bool confirmed =
            m_prompter &&
            m_prompter->ask(
                shell::titles::warning(),
                notAddressedQuestion() +
                    QStringLiteral("\n\nFile: %1\nFornitore: %2").arg(name, invoice->supplier.displayName()));
        if (!confirmed)
            return refused(
                Outcome::Refused,
                QStringLiteral("documento non indirizzato a questa azienda (codice destinatario, PEC, "
                               "partita IVA e codice fiscale non corrispondono)"));
    }
    QList<ImportLine> lines;
    for (const ReceivedBody &body : invoice->bodies) {
        ImportLine line = importBody(name, *invoice, body);
        if (line.outcome == Outcome::Imported && file->signedEnvelope && !file->signatureIntact)
            line.remarks << file->signatureText();
        lines.append(line);
    }
    return lines;
}

ImportLine ElectronicInvoiceImport::importBody(const QString &file, const ReceivedInvoice &invoice,
                                               const ReceivedBody &body)
{
    ImportLine line;
    line.file = file;
    line.documentType = body.type;
    line.number = body.number;
    line.supplier = invoice.supplier.displayName();
    const auto fail = [this, &line](const QString &reason) {
        // What the document added to the registries was undone with it.
        m_knownTowns.clear();
        m_knownVatCodes.clear();
        line.outcome = Outcome::Refused;
        line.reason = QStringLiteral("%1 %2 numero %3: %4")
                          .arg(receivedKindText(line.documentType), line.documentType, line.number, reason);
        return line;
    };
    const auto skip = [&line](const QString &reason) {
        line.outcome = Outcome::Skipped;
        line.reason = QStringLiteral("%1 %2 numero %3: %4")
                          .arg(receivedKindText(line.documentType), line.documentType, line.number, reason);
        return line;
    };
    const ReceivedKind received = receivedKindOf(body.type);
    if (received == ReceivedKind::NotImported)
        return skip(QStringLiteral("tipo di documento non importato tra gli acquisti"));
    if (received == ReceivedKind::SelfInvoice && !m_settings.alsoSelfInvoices) {
        const bool confirmed =
            m_prompter &&
            m_prompter->ask(
                shell::titles::warning(),
                QStringLiteral("Il documento %1 numero %2 del %3 di %4 è un'autofattura o un documento "
                               "integrativo (%5). Vuoi importarlo tra le fatture di acquisto ?")
                    .arg(file, body.number, core::datetext::formatShortDate(body.date), line.supplier,
                         body.type));
        if (!confirmed)
            return skip(QStringLiteral("autofattura o documento integrativo non confermato"));
    }
    const PurchaseDocument kind = received == ReceivedKind::SupplierCreditNote ? PurchaseDocument::CreditNote
                                                                               : PurchaseDocument::Invoice;
    // The options stay as they are for the whole import: read once for each kind.
    std::optional<PurchaseSettings> &settings =
        kind == PurchaseDocument::CreditNote ? m_creditNoteSettings : m_invoiceSettings;
    if (!settings) {
        const core::Result<PurchaseSettings> read = readPurchaseSettings(m_archive, kind);
        if (!read)
            return fail(read.error());
        settings = *read;
    }
    const PurchaseSettings *options = &*settings;

    storage::Transaction transaction(m_archive);
    if (!transaction.isActive())
        return fail(transaction.error());
    if (core::Status locked = m_archive.lockSequence(QStringLiteral("ProgressivoCarico")); !locked)
        return fail(locked.error());
    BodyWriter::Known remembered{m_knownTowns, m_knownVatCodes};
    BodyWriter writer(m_archive, m_settings, m_updateRegistries, remembered);
    const core::Result<std::optional<BodyWriter::Supplier>> known = writer.findSupplier(invoice.supplier);
    if (!known)
        return fail(known.error());
    if (!*known && !m_updateRegistries)
        return fail(QStringLiteral("il fornitore %1 (partita IVA %2) non è in archivio e le opzioni non "
                                   "permettono di aggiungerlo dalle fatture xml")
                        .arg(line.supplier, invoice.supplier.vatNumber));
    if (*known) {
        const core::Result<QVariant> existing = writer.existingDocument((*known)->key, kind, body);
        if (!existing)
            return fail(existing.error());
        if (existing->isValid())
            return skip(QStringLiteral("già in archivio (progressivo %1)").arg(existing->toString()));
    }
    BodyWriter::Supplier supplier = known->value_or(BodyWriter::Supplier{});
    if (m_updateRegistries) {
        const core::Result<BodyWriter::Supplier> written = writer.writeSupplier(invoice.supplier, *known);
        if (!written)
            return fail(written.error());
        supplier = *written;
    }
    line.supplier = supplier.name;
    if (core::Status filled = writer.fillWorkTables(supplier.key, body); !filled)
        return fail(filled.error());
    std::optional<BodyWriter::Credited> credited;
    if (kind == PurchaseDocument::CreditNote) {
        const core::Result<std::optional<BodyWriter::Credited>> found = writer.creditedInvoice(supplier.key);
        if (!found)
            return fail(found.error());
        credited = *found;
    }
    const QVariant fallbackMode =
        keyOrNull(supplier.paymentMode).isValid() ? supplier.paymentMode : m_defaultPaymentMode;
    const core::Result<QVariant> matchedMode = writer.matchPaymentModes(body.payments, fallbackMode);
    if (!matchedMode)
        return fail(matchedMode.error());
    const QVariant paymentMode = *matchedMode;

    const core::Result<int> progressive = nextRegistrationProgressive(m_archive, *options, kind);
    if (!progressive)
        return fail(progressive.error());
    QVariantMap header{{QStringLiteral("ProgressivoCarico"), *progressive},
                       {QStringLiteral("Storico"), false},
                       {QStringLiteral("FattNota"), kind == PurchaseDocument::CreditNote},
                       {QStringLiteral("Carico"), true},
                       {QStringLiteral("ImportatoXml"), true},
                       {QStringLiteral("TipoDocumentoXml"), body.type},
                       {QStringLiteral("NumeroCarico"), body.number},
                       {QStringLiteral("Data"), body.date},
                       {QStringLiteral("DataRegistrazione"), m_settings.today},
                       {QStringLiteral("Fornitore_ID"), supplier.key},
                       {QStringLiteral("Fornitore"), supplier.name},
                       {QStringLiteral("RitenutaAcconto"), core::arrotonda(body.withholding)},
                       {QStringLiteral("ModPagamento_Id"), keyOrNull(paymentMode)},
                       {QStringLiteral("Banca_ID"), options->bank},
                       {QStringLiteral("ConaiAssolto"), false},
                       {QStringLiteral("DatiGenerali_Divisa"), textOrNull(body.currency)},
                       {QStringLiteral("ImportoMarcaBollo"), body.stamp},
                       {QStringLiteral("TotImponibile"), 0.0},
                       {QStringLiteral("TotImposta"), 0.0},
                       {QStringLiteral("TotFattura"), 0.0}};
    if (credited) {
        header.insert(QStringLiteral("NCFattIDRif"), keyOrNull(credited->key));
        header.insert(QStringLiteral("NCFattNumRif"), credited->number);
        header.insert(QStringLiteral("NCFattNumRifCarico"), credited->supplierNumber);
        header.insert(QStringLiteral("NCFattDataRif"),
                      credited->date.isValid() ? QVariant(credited->date) : QVariant());
    }
    const core::Result<qint64> document = m_archive.insert(QStringLiteral("fattura"), header);
    if (!document)
        return fail(document.error());
    if (const core::Result<int> linked = m_archive.execute(
            QStringLiteral(
                "UPDATE TempXml_FatturaRighe SET Fattura_Id = ?, Valido = ? WHERE NomeComputer = ?"),
            {*document, true, m_settings.workstation});
        !linked)
        return fail(linked.error());
    if (core::Status rows = writer.writeRows(*document, kind, *options); !rows)
        return fail(rows.error());
    if (core::Status totals = writePurchaseTotals(m_archive, *document, kind); !totals)
        return fail(totals.error());
    if (core::Status instalments = writer.writeInstalments(*document, kind, body, paymentMode); !instalments)
        return fail(instalments.error());
    const core::Result<BodyWriter::Registered> registered = writer.totalsDifferences(*document, body);
    if (!registered)
        return fail(registered.error());
    if (core::Status committed = transaction.commit(); !committed)
        return fail(committed.error());
    line.outcome = Outcome::Imported;
    line.document = *document;
    line.total = registered->total;
    line.remarks = registered->differences;
    if (credited && !credited->key.isValid())
        line.remarks << QStringLiteral("la fattura %1 del %2 a cui si riferisce non è in archivio")
                            .arg(credited->supplierNumber, core::datetext::formatShortDate(credited->date));
    return line;
}

} // namespace rotalina::purchases
