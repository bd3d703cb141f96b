#include "fleet/calendar.h"

#include "core/textfile.h"
#include "shell/descriptorfields.h"
#include "shell/storeddefaults.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"

#include <QSqlRecord>

namespace rotalina::fleet {

using shell::RegistryDescriptor;
using shell::RegistryField;
using Kind = RegistryField::Kind;
using namespace shell::fields;
namespace sqlvalue = storage::sqlvalue;

namespace {

constexpr int calendarHelp = 6200;

RegistryDescriptor buildCalendar()
{
    RegistryDescriptor r;
    r.listWindow = QStringLiteral("TfrmGrigliaCalendario");
    r.cardWindow = QStringLiteral("TfrmCalendario");
    r.listCaption = QStringLiteral("Calendario");
    r.cardCaption = QStringLiteral("Calendario");
    r.table = QStringLiteral("Calendario");
    r.listSql = QStringLiteral("SELECT * FROM Calendario");
    r.order = QStringLiteral("Data DESC, Id DESC");
    r.columns = {column("Data", "Data", 95),
                 column("DataAvviso", "Data Avviso", 95),
                 column("Personale", "Personale", 160),
                 column("TipologiaCalendario", "Tipologia", 140),
                 column("Cliente", "Cliente", 200),
                 column("Conclusa", "Conclusa", 70),
                 column("Note", "Note", 240)};
    r.filters = {{QStringLiteral("Personale"), QStringLiteral("Personale")},
                 {QStringLiteral("TipologiaCalendario"), QStringLiteral("Tipologia")},
                 {QStringLiteral("Cliente"), QStringLiteral("Cliente")},
                 {QStringLiteral("Note"), QStringLiteral("Note")}};
    RegistryField staff = shell::registryChoice(
        "Personale_Id", "Personale",
        QStringLiteral("SELECT Id, Personale FROM Personale WHERE COALESCE(Annullato, false) = false "
                       "ORDER BY Personale"),
        QStringLiteral("SELECT Personale FROM Personale WHERE Id = ?"), {QStringLiteral("Personale")});
    staff.cardWindow = QStringLiteral("TfrmPersonaleDettaglio");
    staff.listWindow = QStringLiteral("TfrmGrigliaPersonale");
    staff.unlistedSql = QStringLiteral("SELECT Personale FROM Personale WHERE Id = ?");
    RegistryField customer = shell::registryChoice(
        "Cliente_ID", "Cliente",
        QStringLiteral("SELECT Id, NominativoDocumenti FROM Clienti ORDER BY NominativoDocumenti"),
        QStringLiteral("SELECT NominativoDocumenti AS Cliente FROM Clienti WHERE Id = ?"),
        {QStringLiteral("Cliente")});
    RegistryField kind = shell::registryChoice(
        "TipologiaCalendario", "Tipologia",
        QStringLiteral("SELECT Descrizione, Descrizione FROM TipologiaCalendario ORDER BY Descrizione"));
    kind.listWindow = QStringLiteral("TfrmGrigliaTipologieCalendario");
    RegistryField tariff = shell::registryChoice(
        "Tariffa_ID", "Tariffa",
        QStringLiteral(
            "SELECT prezziar.Id, COALESCE(prezziar.Cliente, '') || ' ' || COALESCE(Comuni.Comune, "
            "'') || ' - ' || COALESCE(Comuni_1.Comune, '') FROM prezziar "
            "LEFT JOIN Comuni ON prezziar.Partenza_ID = Comuni.ID "
            "LEFT JOIN Comuni AS Comuni_1 ON prezziar.Fine_ID = Comuni_1.ID "
            "WHERE COALESCE(prezziar.Annullato, false) = false ORDER BY prezziar.Cliente, Comuni.Comune"));
    r.fields = {field("Data", "Data", Kind::Date),
                field("DataAvviso", "Data Avviso", Kind::Date),
                staff,
                field("Personale", "Personale", Kind::Hidden),
                customer,
                field("Cliente", "Cliente", Kind::Hidden),
                kind,
                tariff,
                field("Conclusa", "Conclusa", Kind::Check),
                field("Note", "Note")};
    r.checks.required(QStringLiteral("Data"), QStringLiteral("Attenzione manca la Data"))
        .add(QStringLiteral("DataAvviso"),
             QStringLiteral("Attenzione la Data di avviso è minore della data dell'impegno"),
             [](const QVariantMap &values) {
                 // A warning after the commitment would come too late to be of use.
                 const QDate date = sqlvalue::toDate(values.value(QStringLiteral("Data")));
                 const QDate warning = sqlvalue::toDate(values.value(QStringLiteral("DataAvviso")));
                 return !date.isValid() || !warning.isValid() || date >= warning;
             });
    r.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare la data del Calendario ??");
    // The start-up reminder asks for the entries not done: a flag never left empty.
    r.normalise = [](QVariantMap &values) {
        if (values.contains(QStringLiteral("Conclusa")))
            values.insert(QStringLiteral("Conclusa"), values.value(QStringLiteral("Conclusa")).toBool());
    };
    r.add = [](storage::Archive &archive, const QVariant &) {
        return addCalendarEntry(archive, false, QDate::currentDate());
    };
    r.grid = QStringLiteral("frmGrigliaCalendario");
    r.helpContext = calendarHelp;
    return r;
}

} // namespace

const RegistryDescriptor &calendarRegistry()
{
    static const RegistryDescriptor registry = buildCalendar();
    return registry;
}

core::Result<qint64> addCalendarEntry(storage::Archive &archive, bool history, const QDate &today)
{
    return shell::insertWithDefaults(
        archive, QStringLiteral("Calendario"), QStringLiteral("Calendario"),
        {{QStringLiteral("Data"), today}},
        {{QStringLiteral("Storico"), history}, {QStringLiteral("Conclusa"), false}});
}

QString calendarSummary(const QString &staff, const QString &kind, const QString &customer,
                        const QString &note)
{
    QString summary = staff.trimmed();
    const auto append = [&summary](const QString &separator, const QString &piece) {
        if (piece.trimmed().isEmpty())
            return;
        if (!summary.isEmpty())
            summary += separator;
        summary += piece.trimmed();
    };
    append(QStringLiteral(" - "), kind);
    append(QStringLiteral(" / "), customer);
    append(QStringLiteral(" : "), note);
    return summary;
}

QString calendarUid(qint64 key)
{
    return QStringLiteral("calendario-%1@rotalina").arg(key);
}

core::Result<QList<core::EventRecord>> calendarEvents(storage::Archive &archive, const QList<qint64> &keys,
                                                      const QDateTime &stamp)
{
    using R = core::Result<QList<core::EventRecord>>;
    QList<core::EventRecord> events;
    for (const qint64 key : keys) {
        const core::Result<QVariantMap> row = archive.readRow(QStringLiteral("Calendario"), key);
        if (!row)
            return R::failure(row.error());
        const QDateTime when = sqlvalue::toDateTime(row->value(QStringLiteral("Data")));
        if (!when.isValid())
            continue;
        core::EventRecord event;
        event.start = when;
        event.end = when;
        event.stamp = stamp;
        event.uid = calendarUid(key);
        event.summary = calendarSummary(row->value(QStringLiteral("Personale")).toString(),
                                        row->value(QStringLiteral("TipologiaCalendario")).toString(),
                                        row->value(QStringLiteral("Cliente")).toString(),
                                        row->value(QStringLiteral("Note")).toString());
        event.description = row->value(QStringLiteral("Note")).toString();
        events.append(event);
    }
    return events;
}

core::Status exportCalendar(storage::Archive &archive, const QList<qint64> &keys, const QString &path,
                            const QDateTime &stamp)
{
    const core::Result<QList<core::EventRecord>> events = calendarEvents(archive, keys, stamp);
    if (!events)
        return core::Status::failure(events.error());
    return core::writeTextFile(path, core::scriviCalendario(*events));
}

} // namespace rotalina::fleet
