#include "transport/ownerdrivers.h"

#include "core/datetext.h"
#include "core/duedates.h"
#include "core/money.h"
#include "invoicing/paymentterms.h"
#include "shell/descriptorfields.h"
#include "shell/storeddefaults.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"

#include <QColor>
#include <QSqlRecord>

namespace rotalina::transport {

using shell::RecordChecks;
using shell::RegistryDescriptor;
using shell::RegistryField;
using Kind = RegistryField::Kind;
using namespace shell::fields;
namespace sqlvalue = storage::sqlvalue;

namespace {

constexpr int ownerDriverHelp = 4800;
// The job orders a refusal names before it says how many more there are.
constexpr int namedJobOrders = 5;

const char *const paymentModes = "SELECT id, Descrizione FROM ModPagamento ORDER BY Descrizione";

core::Status fail(const QString &message)
{
    return core::Status::failure(message);
}

// Moves the owner-driver's balance inside the caller's transaction. The change is added in the
// statement, so that a payment recorded meanwhile on another workstation is not overwritten.
core::Status moveBalance(storage::Archive &archive, const QVariant &ownerDriver, double change)
{
    if (change == 0 || !RecordChecks::hasValue(ownerDriver))
        return {};
    const core::Result<int> moved = archive.execute(
        QStringLiteral(
            "UPDATE Padroncini SET SaldoInizioAnno = COALESCE(SaldoInizioAnno, 0) + ? WHERE id = ?"),
        {core::arrotonda(change), ownerDriver});
    return moved ? core::Status() : fail(moved.error());
}

// What a stored instalment weighs on the balance: its amount when it is paid.
struct StoredInstalment
{
    QVariant ownerDriver;
    double amount = 0;
    bool paid = false;
};

core::Result<std::optional<StoredInstalment>> readInstalment(storage::Archive &archive, qint64 key)
{
    using R = core::Result<std::optional<StoredInstalment>>;
    const core::Result<storage::Archive::Rows> read = archive.readRows(
        QStringLiteral("SELECT Padroncino_ID, Importo, pagato FROM PadronciniScadenze WHERE Id = ?"), {key});
    if (!read)
        return R::failure(read.error());
    if (read->values.isEmpty())
        return std::optional<StoredInstalment>();
    const QVariantList &row = read->values.first();
    return std::optional<StoredInstalment>(
        StoredInstalment{row.value(0), row.value(1).toDouble(), row.value(2).toBool()});
}

RegistryDescriptor buildOwnerDrivers()
{
    RegistryDescriptor r;
    r.listWindow = QStringLiteral("TfrmGrigliaPadroncini");
    r.cardWindow = QStringLiteral("TfrmPadronciniDettaglio");
    r.listCaption = QStringLiteral("Padroncini");
    r.cardCaption = QStringLiteral("Padroncini");
    r.table = QStringLiteral("Padroncini");
    r.listSql = QStringLiteral("SELECT * FROM Padroncini");
    r.order = QStringLiteral("RagioneSociale, id");
    r.columns = {column("RagioneSociale", "Ragione sociale", 240),
                 column("ScadenzaDurc", "Scadenza Durc", 95),
                 column("Email", "Email", 180),
                 column("Tel", "Telefono", 110),
                 column("Cell", "Cellulare", 110),
                 column("Indirizzo", "Indirizzo", 200),
                 column("Telefono2", "2° Telefono", 110),
                 column("Fax", "Fax", 100),
                 column("Skype", "Skype", 110)};
    r.filters = {{QStringLiteral("RagioneSociale"), QStringLiteral("Ragione soc.")},
                 {QStringLiteral("Cell"), QStringLiteral("Cellulare")},
                 {QStringLiteral("Indirizzo"), QStringLiteral("Indirizzo")},
                 {QStringLiteral("Tel"), QStringLiteral("Telefono")}};
    r.filtersBeginWith = true;
    r.fields = {
        field("Codice", "Codice"),
        field("Numero", "Numero"),
        field("RagioneSociale", "Ragione sociale"),
        field("Indirizzo", "Indirizzo"),
        choice("Comune_Id", "Comune",
               "SELECT ID, Comune || ' (' || COALESCE(Provincia, '') || ')' FROM Comuni ORDER BY Comune",
               "TfrmComuniDett", "TfrmGrigliaComuni"),
        field("Tel", "Telefono"),
        field("Telefono2", "2° Telefono"),
        field("Fax", "Fax"),
        field("Cell", "Cellulare"),
        field("Email", "E-mail"),
        field("Skype", "Skype"),
        startsColumn(field("Iva", "Partita iva")),
        field("CodFisc", "Codice Fiscale"),
        field("Iban", "Iban"),
        field("DescBanca", "Banca"),
        field("ScadenzaDurc", "Scadenza Durc", Kind::Date),
        field("TariffaGiornaliera", "Tariffa Giornaliera", Kind::Amount),
        field("TariffaOraria", "Tariffa Oraria", Kind::Amount),
        field("SaldoInizioAnno", "Saldo", Kind::Amount),
        field("Note", "Note", Kind::Memo)};
    r.checks.required(QStringLiteral("RagioneSociale"),
                      QStringLiteral("Attenzione manca la Ragione Sociale !"));
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare il padroncino?");
    r.add = [](storage::Archive &archive, const QVariant &) {
        return addOwnerDriver(archive);
    };
    r.remove = deleteOwnerDriver;
    r.multiSelect = true;
    // An expired DURC stands out in the list: the firm may not give that haulier work.
    r.rowColour = [](const QSqlRecord &row) -> QVariant {
        return durcExpired(row.value(QStringLiteral("ScadenzaDurc")), QDate::currentDate())
                   ? QVariant(QColor(Qt::red))
                   : QVariant();
    };
    r.grid = QStringLiteral("frmGrigliaPadroncini");
    r.helpContext = ownerDriverHelp;
    r.rows = {{[] { return &ownerDriverInstalmentsRegistry(); }, QStringLiteral("Padroncino_ID"),
               QStringLiteral("Scadenze"), QStringLiteral("frmPadronciniDettaglio")}};
    return r;
}

RegistryDescriptor buildInstalments()
{
    RegistryDescriptor r;
    r.listWindow = QStringLiteral("TfrmModificaPadronciniScadenze");
    r.cardWindow = QStringLiteral("TfrmModificaPadronciniScadenze");
    r.listCaption = QStringLiteral("Scadenze Padroncino");
    r.cardCaption = QStringLiteral("Scadenze Padroncino");
    r.table = QStringLiteral("PadronciniScadenze");
    r.listSql = QStringLiteral(
        "SELECT PadronciniScadenze.*, ModPagamento.Descrizione AS ModalitaPagamento, Bank.Banca "
        "FROM PadronciniScadenze "
        "LEFT JOIN ModPagamento ON PadronciniScadenze.ModPagamento_Id = ModPagamento.id "
        "LEFT JOIN Bank ON PadronciniScadenze.Banca_ID = Bank.Id");
    r.order = QStringLiteral("PadronciniScadenze.DataScadenza DESC, PadronciniScadenze.Numero DESC");
    r.columns = {column("DataScadenza", "Data Scadenza", 95),
                 column("DataPagamento", "Data Pagamento", 100),
                 column("Numero", "Numero", 60),
                 column("Importo", "Importo", 100),
                 column("ModalitaPagamento", "Modalità di pagamento", 170),
                 column("Banca", "Banca", 140),
                 column("DataRiferimento", "Data Riferimento", 105),
                 column("Dettagli", "Dettagli", 160),
                 column("Note", "Note", 160)};
    r.fields = {
        field("DataScadenza", "Data Scadenza", Kind::Date),
        field("DataRiferimento", "Data Riferimento", Kind::Date),
        field("Numero", "Numero", Kind::Amount, 0),
        field("Importo", "Importo", Kind::Amount),
        choice("ModPagamento_Id", "Modalità di pagamento", paymentModes, "TfrmModPagamDett", "TfrmModPagam"),
        choice("Banca_ID", "Banca", "SELECT Id, Banca FROM Bank ORDER BY Banca", "TAnaBanca",
               "TfrmGrigliaBanche"),
        field("DataPagamento", "Data Pagamento effettuato", Kind::Date),
        field("Dettagli", "Dettagli"),
        field("Note", "Note", Kind::Memo)};
    r.checks = ownerDriverInstalmentChecks();
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare il record ?");
    r.ownerField = QStringLiteral("Padroncino_ID");
    r.add = [](storage::Archive &archive, const QVariant &owner) {
        return addOwnerDriverInstalment(archive, owner.toLongLong(), QDate::currentDate());
    };
    r.save = saveOwnerDriverInstalment;
    r.remove = deleteOwnerDriverInstalment;
    // An instalment still to pay after its due date stands out.
    r.rowColour = [](const QSqlRecord &row) -> QVariant {
        const QDate due = sqlvalue::toDate(row.value(QStringLiteral("DataScadenza")));
        return !row.value(QStringLiteral("pagato")).toBool() && due.isValid() && due < QDate::currentDate()
                   ? QVariant(QColor(Qt::red))
                   : QVariant();
    };
    r.grid = QStringLiteral("frmPadronciniDettaglio");
    r.helpContext = ownerDriverHelp;
    return r;
}

} // namespace

const RegistryDescriptor &ownerDriversRegistry()
{
    static const RegistryDescriptor registry = buildOwnerDrivers();
    return registry;
}

const RegistryDescriptor &ownerDriverInstalmentsRegistry()
{
    static const RegistryDescriptor registry = buildInstalments();
    return registry;
}

bool durcExpired(const QVariant &expiry, const QDate &today)
{
    const QDate date = sqlvalue::toDate(expiry);
    return date.isValid() && date < today;
}

core::Result<qint64> addOwnerDriver(storage::Archive &archive)
{
    return shell::insertWithDefaults(archive, QStringLiteral("Padroncini"), QStringLiteral("Padroncini"),
                                     {{QStringLiteral("TariffaGiornaliera"), 0.0},
                                      {QStringLiteral("TariffaOraria"), 0.0},
                                      {QStringLiteral("SaldoInizioAnno"), 0.0}});
}

core::Status deleteOwnerDriver(storage::Archive &archive, qint64 key)
{
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return fail(transaction.error());
    // The job orders keep the owner-driver they were given to: their costs and prints need it.
    const core::Result<storage::Archive::Rows> jobs = archive.readRows(
        QStringLiteral("SELECT Numero, Data FROM TotaliCo WHERE Padroncino_id = ? ORDER BY Data, Numero"),
        {key});
    if (!jobs)
        return fail(jobs.error());
    if (!jobs->values.isEmpty()) {
        QStringList named;
        for (qsizetype i = 0; i < std::min<qsizetype>(jobs->values.size(), namedJobOrders); ++i) {
            const QVariantList &job = jobs->values.at(i);
            named.append(QStringLiteral("n. %1 del %2")
                             .arg(job.value(0).toString(),
                                  core::datetext::formatShortDate(sqlvalue::toDate(job.value(1)))));
        }
        QString message =
            QStringLiteral("Attenzione il padroncino è nelle commesse ") + named.join(QStringLiteral(", "));
        if (const qsizetype more = jobs->values.size() - named.size(); more > 0)
            message += QStringLiteral(" e in altre %1").arg(more);
        return fail(message + QStringLiteral(": non può essere eliminato."));
    }
    if (const core::Result<int> removed =
            archive.execute(QStringLiteral("DELETE FROM PadronciniScadenze WHERE Padroncino_ID = ?"), {key});
        !removed)
        return fail(removed.error());
    if (core::Status removed = archive.remove(QStringLiteral("Padroncini"), key); !removed)
        return removed;
    return transaction.commit();
}

core::Result<double> hourlyRate(double dailyRate)
{
    if (dailyRate == 0)
        return core::Result<double>::failure(QStringLiteral(
            "Attenzione Inserisci la Tariffa giornaliera per poter calcolare la tariffa Oraria!"));
    // An eight-hour day.
    return core::arrotonda(dailyRate * 0.125);
}

core::Result<double> ownerDriverJobCosts(storage::Archive &archive, qint64 ownerDriver, const QDate &from,
                                         const QDate &to)
{
    // The end of the last day, so that a job dated at any hour of it is paid in this period.
    const core::Result<QVariant> sum = archive.scalar(
        QStringLiteral("SELECT SUM(CostoPadroncino) FROM TotaliCo WHERE Padroncino_id = ? AND Data >= ? AND "
                       "Data <= ? AND COALESCE(Annullato, false) = false"),
        {ownerDriver, sqlvalue::date(from), sqlvalue::endOfDay(to)});
    if (!sum)
        return core::Result<double>::failure(sum.error());
    return core::arrotonda(sum->toDouble());
}

double totalWithVat(double taxable, double ratePercent)
{
    return core::arrotonda(taxable + taxable * ratePercent / 100.0);
}

std::optional<RecordChecks::Failure> checkInstalmentPlan(const InstalmentPlan &plan)
{
    const auto date = [](const QDate &d) {
        return d.isValid() ? QVariant(d) : QVariant();
    };
    const QVariantMap values{
        {QStringLiteral("maskDa"), date(plan.from)},
        {QStringLiteral("maskA"), date(plan.to)},
        {QStringLiteral("msDataRiferimento"), date(plan.reference)},
        {QStringLiteral("txtTotale"), plan.total && *plan.total != 0 ? QVariant(*plan.total) : QVariant()},
        {QStringLiteral("LookModPagamento"), plan.paymentMode}};
    RecordChecks checks;
    checks
        .required(QStringLiteral("maskDa"),
                  QStringLiteral("Attenzione E' necessario definire la data di inizio..."))
        .required(QStringLiteral("maskA"),
                  QStringLiteral("Attenzione E' necessario definire la data di fine..."))
        .required(QStringLiteral("msDataRiferimento"),
                  QStringLiteral("Attenzione E' necessario definire la data di riferimento..."))
        .required(QStringLiteral("txtTotale"),
                  QStringLiteral("Attenzione E' necessario definire l'Importo..."))
        .required(QStringLiteral("LookModPagamento"),
                  QStringLiteral("Attenzione E' necessario definire la modalità di pagamento..."));
    return checks.firstFailure(values);
}

core::Result<int> generateOwnerDriverInstalments(storage::Archive &archive, const InstalmentPlan &plan)
{
    using R = core::Result<int>;
    if (const std::optional<RecordChecks::Failure> failure = checkInstalmentPlan(plan))
        return R::failure(failure->message);
    const core::Result<std::optional<invoicing::PaymentTerms>> terms =
        invoicing::readPaymentTerms(archive, plan.paymentMode);
    if (!terms)
        return R::failure(terms.error());
    if (!terms->has_value())
        return R::failure(
            QStringLiteral("Attenzione la modalità di pagamento scelta non è più in archivio."));
    const invoicing::PaymentTerms &mode = **terms;
    const bool immediate = mode.instalments <= 0;
    const int count = std::clamp(mode.instalments, 1, invoicing::maximumInstalments);
    const QList<double> amounts = core::splitInstalments(*plan.total, count);

    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return R::failure(transaction.error());
    double paid = 0;
    for (int i = 1; i <= count; ++i) {
        const QDate due =
            immediate ? plan.reference : core::dueDate(plan.reference, mode.days.at(i - 1), mode.rule);
        QVariantMap values{{QStringLiteral("Padroncino_ID"), plan.ownerDriver},
                           {QStringLiteral("Numero"), i},
                           {QStringLiteral("DataScadenza"), due},
                           {QStringLiteral("DataRiferimento"), plan.reference},
                           {QStringLiteral("ModPagamento_Id"), mode.key},
                           {QStringLiteral("Importo"), amounts.at(i - 1)},
                           {QStringLiteral("pagato"), immediate}};
        // A payment on the reference date is made as it is recorded.
        if (immediate) {
            values.insert(QStringLiteral("DataPagamento"), due);
            paid += amounts.at(i - 1);
        }
        if (const core::Result<qint64> added = archive.insert(QStringLiteral("PadronciniScadenze"), values);
            !added)
            return R::failure(added.error());
    }
    if (core::Status moved = moveBalance(archive, plan.ownerDriver, -paid); !moved)
        return R::failure(moved.error());
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return count;
}

core::Result<qint64> addOwnerDriverInstalment(storage::Archive &archive, qint64 ownerDriver,
                                              const QDate &today)
{
    using R = core::Result<qint64>;
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return R::failure(transaction.error());
    const core::Result<QVariant> counted = archive.scalar(
        QStringLiteral("SELECT COUNT(*) FROM PadronciniScadenze WHERE Padroncino_ID = ?"), {ownerDriver});
    if (!counted)
        return R::failure(counted.error());
    const R added = archive.insert(QStringLiteral("PadronciniScadenze"),
                                   {{QStringLiteral("Padroncino_ID"), ownerDriver},
                                    {QStringLiteral("Numero"), counted->toInt() + 1},
                                    {QStringLiteral("DataScadenza"), today},
                                    {QStringLiteral("DataRiferimento"), today},
                                    {QStringLiteral("pagato"), false},
                                    {QStringLiteral("Importo"), 0.0}});
    if (!added)
        return added;
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return added;
}

RecordChecks ownerDriverInstalmentChecks()
{
    RecordChecks checks;
    checks
        .required(QStringLiteral("DataScadenza"),
                  QStringLiteral("Attenzione manca la data della scadenza !!"))
        .required(QStringLiteral("DataRiferimento"),
                  QStringLiteral("Attenzione manca la data di riferimento !!"))
        .required(QStringLiteral("Importo"), QStringLiteral("Attenzione manca l'importo !!"))
        .required(QStringLiteral("Numero"),
                  QStringLiteral("Attenzione manca il numero cronologico di pagamento !!"))
        .required(QStringLiteral("ModPagamento_Id"),
                  QStringLiteral("Attenzione manca la modalità di pagamento !!"));
    return checks;
}

core::Status saveOwnerDriverInstalment(storage::Archive &archive, qint64 key, const QVariantMap &changed)
{
    core::Result<QVariantMap> values = archive.readRow(QStringLiteral("PadronciniScadenze"), key);
    if (!values)
        return fail(values.error());
    for (auto it = changed.cbegin(); it != changed.cend(); ++it)
        values->insert(it.key(), it.value());
    if (const std::optional<RecordChecks::Failure> failure =
            ownerDriverInstalmentChecks().firstFailure(*values))
        return fail(failure->message);
    QVariantMap written = changed;
    const bool paid = RecordChecks::hasValue(values->value(QStringLiteral("DataPagamento")));
    written.insert(QStringLiteral("pagato"), paid);

    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return fail(transaction.error());
    // Read inside the transaction: what this save changes is measured against what is stored now.
    const core::Result<std::optional<StoredInstalment>> stored = readInstalment(archive, key);
    if (!stored)
        return fail(stored.error());
    if (!stored->has_value())
        return fail(storage::Archive::missingRowMessage());
    if (core::Status updated = archive.update(QStringLiteral("PadronciniScadenze"), key, written); !updated)
        return updated;
    const double before = (*stored)->paid ? (*stored)->amount : 0;
    const double now = paid ? values->value(QStringLiteral("Importo")).toDouble() : 0;
    if (core::Status moved = moveBalance(archive, (*stored)->ownerDriver, before - now); !moved)
        return moved;
    return transaction.commit();
}

core::Status deleteOwnerDriverInstalment(storage::Archive &archive, qint64 key)
{
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return fail(transaction.error());
    const core::Result<std::optional<StoredInstalment>> stored = readInstalment(archive, key);
    if (!stored)
        return fail(stored.error());
    if (!stored->has_value())
        return fail(storage::Archive::missingRowMessage());
    if (core::Status removed = archive.remove(QStringLiteral("PadronciniScadenze"), key); !removed)
        return removed;
    if ((*stored)->paid) {
        if (core::Status moved = moveBalance(archive, (*stored)->ownerDriver, (*stored)->amount); !moved)
            return moved;
    }
    return transaction.commit();
}

} // namespace rotalina::transport
