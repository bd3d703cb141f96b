#include "invoicing/paymentterms.h"

#include "storage/archive.h"

#include <QSqlRecord>

namespace rotalina::invoicing {

using shell::GridColumn;
using shell::RecordChecks;
using shell::RegistryDescriptor;
using shell::RegistryField;

namespace {

bool isEmpty(const QVariant &value)
{
    return !value.isValid() || value.isNull() || value.toString().trimmed().isEmpty();
}

// The number of instalments as the checks read it: empty is 0.
int instalmentsOf(const QVariantMap &values)
{
    const QVariant count = values.value(QStringLiteral("NumeroScadenze"));
    return isEmpty(count) ? 0 : qRound(count.toDouble());
}

RegistryField field(const QString &name, const QString &caption, RegistryField::Kind kind)
{
    RegistryField f;
    f.field = name;
    f.caption = caption;
    f.kind = kind;
    f.decimals = 0;
    return f;
}

RegistryDescriptor buildRegistry()
{
    using Kind = RegistryField::Kind;
    RegistryDescriptor r;
    r.listWindow = QStringLiteral("TfrmModPagam");
    r.cardWindow = QStringLiteral("TfrmModPagamDett");
    r.listCaption = QStringLiteral("Modalità di Pagamento");
    r.cardCaption = QStringLiteral("Modalità di Pagamento");
    r.table = QStringLiteral("ModPagamento");
    r.listSql = QStringLiteral("SELECT * FROM ModPagamento");
    r.order = QStringLiteral("Descrizione");
    r.columns = {GridColumn{QStringLiteral("Descrizione"), QStringLiteral("Descrizione"), 280},
                 GridColumn{QStringLiteral("NumeroScadenze"), QStringLiteral("N° Scadenze"), 90},
                 GridColumn{QStringLiteral("GG1Scadenza"), QStringLiteral("1° Scadenza"), 90},
                 GridColumn{QStringLiteral("GG2Scadenza"), QStringLiteral("2° Scadenza"), 90},
                 GridColumn{QStringLiteral("GG3Scadenza"), QStringLiteral("3° Scadenza"), 90},
                 GridColumn{QStringLiteral("FatturaFineMese"), QStringLiteral("Fine Mese"), 80},
                 GridColumn{QStringLiteral("PA_ModalitaPagamento_Codice"), QStringLiteral("Tipologia"), 80}};
    r.filters = {{QStringLiteral("Descrizione"), QStringLiteral("Descrizione")}};

    // The description, the kind and the flags first; the days of the instalments in two columns.
    r.fields.append(field(QStringLiteral("Descrizione"), QStringLiteral("Descrizione"), Kind::Text));
    RegistryField kind = shell::registryChoice(
        "PA_ModalitaPagamento_Codice", "Tipologia",
        QStringLiteral(
            "SELECT Codice, Codice || ' - ' || Descrizione FROM PA_ModalitaPagamento ORDER BY Codice"));
    kind.hint =
        QStringLiteral("Tipologie di modalità di pagamento utilizzate dalla Pubblica Amministrazione");
    r.fields.append(kind);
    r.fields.append(field(QStringLiteral("NumeroScadenze"), QStringLiteral("N° Scadenze"), Kind::Amount));
    r.fields.append(field(QStringLiteral("FatturaFineMese"),
                          QStringLiteral("Scadenza a Data Fattura Fine Mese"), Kind::Check));
    r.fields.append(field(QStringLiteral("CalcolaScadenzeFineMeseInizio"),
                          QStringLiteral("Calcola prima Fine Mese eppoi i giorni"), Kind::Check));
    r.fields.append(
        field(QStringLiteral("AnnoCommerciale"), QStringLiteral("Anno Commerciale"), Kind::Check));
    r.fields.append(
        field(QStringLiteral("FlagCassa"), QStringLiteral("Visualizza in prima nota cassa"), Kind::Check));
    r.fields.append(field(QStringLiteral("NonVisualizzareStampa"),
                          QStringLiteral("Nascondi scadenze in stampa"), Kind::Check));
    for (int n = 1; n <= maximumInstalments; ++n) {
        RegistryField days =
            field(instalmentDaysField(n), QStringLiteral("%1° Scadenza").arg(n), Kind::Amount);
        days.newColumn = n == 1 || n == 7;
        r.fields.append(days);
    }

    r.checks = paymentTermsChecks();
    r.normalise = normalisePaymentTerms;
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare la modalità di pagamento?");
    // The documents and parties that name a mode keep it: their due dates and electronic invoices
    // are made from it.
    r.usedBy = {
        {QStringLiteral("fattura"), QStringLiteral("ModPagamento_Id"), QStringLiteral("documenti")},
        {QStringLiteral("FatturaScadenze"), QStringLiteral("ModPagamento_Id"), QStringLiteral("scadenze")},
        {QStringLiteral("Clienti"), QStringLiteral("Pagamento_ID"), QStringLiteral("clienti")},
        {QStringLiteral("Fornitor"), QStringLiteral("Pagamento_ID"), QStringLiteral("fornitori")}};
    r.inUseMessage =
        QStringLiteral("Attenzione la modalità di pagamento è usata e non può essere eliminata:");
    r.newValues = {{QStringLiteral("NumeroScadenze"), 0}};
    r.helpContext = 1500;
    r.grid = QStringLiteral("frmModPagam_Griglia");
    return r;
}

} // namespace

QString instalmentDaysField(int instalment)
{
    return QStringLiteral("GG%1Scadenza").arg(instalment);
}

const RegistryDescriptor &paymentTermsRegistry()
{
    static const RegistryDescriptor registry = buildRegistry();
    return registry;
}

RecordChecks paymentTermsChecks()
{
    RecordChecks checks;
    checks
        .required(QStringLiteral("PA_ModalitaPagamento_Codice"),
                  QStringLiteral("Attenzione manca la Tipologia"))
        .required(QStringLiteral("Descrizione"), QStringLiteral("Attenzione manca la Descrizione"))
        .add(QStringLiteral("NumeroScadenze"),
             QStringLiteral("Attenzione il N° Scadenze deve essere compreso tra 0 e %1")
                 .arg(maximumInstalments),
             [](const QVariantMap &values) {
                 const int count = instalmentsOf(values);
                 return count >= 0 && count <= maximumInstalments;
             })
        .add(QStringLiteral("GG1Scadenza"),
             QStringLiteral("Attenzione manca il numero dei Giorni di scadenza Pagamento"),
             [](const QVariantMap &values) {
                 return instalmentsOf(values) != 1 || !isEmpty(values.value(QStringLiteral("GG1Scadenza")));
             });
    for (int n = 1; n <= maximumInstalments; ++n) {
        const QString days = instalmentDaysField(n);
        checks.add(days, QStringLiteral("Attenzione manca un numero dei Giorni di scadenza Pagamento"),
                   [days, n](const QVariantMap &values) {
                       const int count = instalmentsOf(values);
                       return count < 2 || n > count || !isEmpty(values.value(days));
                   });
    }
    for (int n = 1; n <= maximumInstalments; ++n) {
        const QString days = instalmentDaysField(n);
        checks.add(days,
                   QStringLiteral("Attenzione i Giorni di scadenza Pagamento non possono essere negativi"),
                   [days](const QVariantMap &values) {
                       const QVariant value = values.value(days);
                       return isEmpty(value) || value.toDouble() >= 0;
                   });
    }
    return checks;
}

void normalisePaymentTerms(QVariantMap &values)
{
    const QString count = QStringLiteral("NumeroScadenze");
    if (values.contains(count) && isEmpty(values.value(count)))
        values.insert(count, 0);
    for (int n = 1; n <= maximumInstalments; ++n) {
        const QString days = instalmentDaysField(n);
        if (values.contains(days) && !isEmpty(values.value(days)) &&
            values.value(days).toDouble() > maximumDays)
            values.insert(days, maximumDays);
    }
}

core::Result<std::optional<PaymentTerms>> readPaymentTerms(storage::Archive &archive, const QVariant &key)
{
    using Found = std::optional<PaymentTerms>;
    if (!RecordChecks::hasValue(key) || key.toLongLong() == 0)
        return Found{};
    core::Result<QSqlQuery> read =
        archive.select(QStringLiteral("SELECT * FROM ModPagamento WHERE id = ?"), {key.toLongLong()});
    if (!read)
        return core::Result<Found>::failure(read.error());
    if (!read->next())
        return Found{};
    const QSqlRecord row = read->record();
    PaymentTerms terms;
    terms.key = key.toLongLong();
    terms.description = row.value(QStringLiteral("Descrizione")).toString();
    terms.instalments =
        std::clamp(row.value(QStringLiteral("NumeroScadenze")).toInt(), 0, maximumInstalments);
    for (int n = 1; n <= maximumInstalments; ++n)
        terms.days[n - 1] = std::clamp(row.value(instalmentDaysField(n)).toInt(), 0, maximumDays);
    terms.rule.endOfMonth = row.value(QStringLiteral("FatturaFineMese")).toBool();
    terms.rule.endOfMonthFirst = row.value(QStringLiteral("CalcolaScadenzeFineMeseInizio")).toBool();
    terms.rule.commercialYear = row.value(QStringLiteral("AnnoCommerciale")).toBool();
    return Found{terms};
}

} // namespace rotalina::invoicing
