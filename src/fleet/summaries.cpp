#include "fleet/summaries.h"

#include "core/datetext.h"
#include "core/money.h"
#include "shell/prompter.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"
#include "storage/workstationrows.h"

#include <QVariantList>
#include <algorithm>

namespace rotalina::fleet {

namespace {

constexpr int maximumYears = 10;

bool hasDigit(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); });
}

// One category of the report: a column of the rows of its source.
struct Category
{
    const char *name;
    bool revenue;
    int column; // among the amounts of the source's rows
};

// A statement whose rows give the date that places them in a month, then the amounts of its
// categories.
struct Source
{
    QString sql;
    QVariantList params;
    QList<Category> categories;
};

// The period as bound values: from its first moment to the first moment of the day after its last
// one, so that a job order at 23:59:59.5 on the last day is in, whatever the engine keeps of it.
QVariantList periodValues(const SummaryPeriod &period)
{
    return {storage::sqlvalue::date(period.from), storage::sqlvalue::date(period.to.addDays(1))};
}

// Job orders of the period, cancelled ones left out: an empty flag is an order that stands.
Source jobOrders(const SummaryPeriod &period, const QString &whose, const QVariantList &whoseValues)
{
    return {QStringLiteral("SELECT Data, TotImponibile, Costo, CostoPadroncino FROM TotaliCo WHERE Data >= ? "
                           "AND Data < ? AND (Annullato IS NULL OR Annullato = false) AND (%1)")
                .arg(whose),
            periodValues(period) + whoseValues,
            {{"Imponibile Commesse", true, 0},
             {"Costi Commesse (Manutenzione + Autista)", false, 1},
             {"Costi padroncino", false, 2}}};
}

// Rows of purchase invoices (not credit notes) registered in the period; rows unloaded onto
// another document are counted there, rows whose flag is empty here.
Source purchaseRows(const SummaryPeriod &period, const QString &whose, const QVariant &whoseValue)
{
    return {QStringLiteral("SELECT fattura.DataRegistrazione, Movimenti.TotaleImponibile FROM Movimenti "
                           "INNER JOIN fattura ON Movimenti.Fattura_ID = fattura.ID WHERE "
                           "fattura.DataRegistrazione >= ? AND fattura.DataRegistrazione < ? AND "
                           "fattura.Carico = true AND (fattura.FattNota = false OR fattura.FattNota IS NULL) "
                           "AND (Movimenti.Scarico = false OR Movimenti.Scarico IS NULL) AND %1")
                .arg(whose),
            periodValues(period) + QVariantList{whoseValue},
            {{"Imponibile Fatture di acquisto", false, 0}}};
}

QList<Source> vehicleSources(const SummaryPeriod &period, const QString &plate)
{
    return {
        jobOrders(period, QStringLiteral("Targa1 = ? OR Targa2 = ?"), {plate, plate}),
        purchaseRows(period, QStringLiteral("Movimenti.Targa1 = ?"), plate),
        {QStringLiteral("SELECT VettureCosti.Data, VettureCosti.Importo FROM VettureCosti INNER JOIN "
                        "Vetture ON VettureCosti.Vettura_ID = Vetture.ID WHERE VettureCosti.Data >= ? "
                        "AND VettureCosti.Data < ? AND Vetture.Targa = ?"),
         periodValues(period) + QVariantList{plate},
         {{"Costi ulteriori non fatturati", false, 0}}},
        {QStringLiteral("SELECT VettureCarburante.Data, VettureCarburante.Importo FROM VettureCarburante "
                        "INNER JOIN Vetture ON VettureCarburante.Vettura_ID = Vetture.ID WHERE "
                        "VettureCarburante.Data >= ? AND VettureCarburante.Data < ? AND Vetture.Targa = ?"),
         periodValues(period) + QVariantList{plate},
         {{"Costi carburante", false, 0}}}};
}

QList<Source> staffSources(const SummaryPeriod &period, qint64 member)
{
    return {
        jobOrders(period, QStringLiteral("Personale_ID = ? OR Personale2_ID = ?"), {member, member}),
        purchaseRows(period, QStringLiteral("fattura.Personale_ID = ?"), member),
        {QStringLiteral("SELECT Data, Importo FROM PersonaleCosti WHERE Data >= ? AND Data < ? AND "
                        "Personale_ID = ?"),
         periodValues(period) + QVariantList{member},
         {{"Costi ulteriori non fatturati", false, 0}}},
        {QStringLiteral("SELECT DataPagamento, ImportoBonifico FROM PersonaleStipendi WHERE DataPagamento "
                        ">= ? AND DataPagamento < ? AND Personale_ID = ?"),
         periodValues(period) + QVariantList{member},
         {{"Costi stipendio", false, 0}}}};
}

// Sums the categories of every source, in total and month by month, and writes them in place of
// the workstation's earlier rows.
core::Result<Summary> summarise(storage::Archive &archive, const QString &workstation, SummaryOf of,
                                const QVariant &subjectKey, const QString &subject,
                                const SummaryPeriod &period, const QList<Source> &sources)
{
    using R = core::Result<Summary>;
    Summary summary;
    summary.subject = subject;
    summary.periodText = summaryPeriodText(period);
    summary.months = summaryMonths(period);
    const QDate first = summary.months.value(0);
    const auto monthIndex = [&](const QDate &day) -> qsizetype {
        return (day.year() - first.year()) * 12 + day.month() - first.month();
    };

    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return R::failure(transaction.error());
    for (const Source &source : sources) {
        const core::Result<storage::Archive::Rows> rows = archive.readRows(source.sql, source.params);
        if (!rows)
            return R::failure(rows.error());
        for (const Category &category : source.categories) {
            double total = 0;
            QList<double> monthly(summary.months.size(), 0.0);
            for (const QVariantList &row : rows->values) {
                // An amount left empty counts as nothing.
                const double amount = row.value(1 + category.column).toDouble();
                total += amount;
                const qsizetype month = monthIndex(storage::sqlvalue::toDate(row.value(0)));
                if (month >= 0 && month < monthly.size())
                    monthly[month] += amount;
            }
            for (double &amount : monthly)
                amount = core::arrotonda(amount);
            summary.categories.append(
                {QString::fromUtf8(category.name), category.revenue, core::arrotonda(total), monthly});
        }
    }

    const QString table = summaryTable(of);
    storage::WorkstationRows own(archive, workstation);
    if (const core::Result<int> cleared = own.clear(table); !cleared)
        return R::failure(cleared.error());
    const QString subjectField =
        of == SummaryOf::Vehicle ? QStringLiteral("Targa") : QStringLiteral("Personale_id");
    const QStringList fields{
        QStringLiteral("NomeComputer"), QStringLiteral("DescrizioneData"), subjectField,
        QStringLiteral("Tipologia"),    QStringLiteral("Entrata"),         QStringLiteral("Importo"),
        QStringLiteral("Mese")};
    QList<QVariantList> rows;
    // The categories first, in the report's order, each also when nothing counted for it.
    for (const SummaryCategory &category : summary.categories)
        rows.append({workstation, summary.periodText, subjectKey, category.name, category.revenue,
                     category.total, QVariant()});
    // Then every month of the period, empty ones too, so that the chart shows the months nothing
    // happened in.
    for (qsizetype month = 0; month < summary.months.size(); ++month) {
        for (const SummaryCategory &category : summary.categories)
            rows.append({workstation, summary.periodText, subjectKey, category.name, category.revenue,
                         category.monthly.at(month), storage::sqlvalue::date(summary.months.at(month))});
    }
    if (core::Status written = archive.insertRows(table, fields, rows); !written)
        return R::failure(written.error());
    if (core::Status committed = transaction.commit(); !committed)
        return R::failure(committed.error());
    return summary;
}

double sumOf(const QList<SummaryCategory> &categories, bool revenue, qsizetype month)
{
    double sum = 0;
    for (const SummaryCategory &category : categories) {
        if (category.revenue == revenue)
            sum += month < 0 ? category.total : category.monthly.value(month);
    }
    return core::arrotonda(sum);
}

} // namespace

QString summaryTable(SummaryOf of)
{
    return of == SummaryOf::Vehicle ? QStringLiteral("TempVettureRiepilogo")
                                    : QStringLiteral("TempPersonaleRiepilogo");
}

std::optional<SummaryProblem> checkSummaryChoice(SummaryOf of, const QString &fromText, const QString &toText,
                                                 bool subjectChosen)
{
    const QString missing = shell::titles::missingInput();
    if (!hasDigit(fromText))
        return SummaryProblem{SummaryField::From, missing,
                              QStringLiteral("Attenzione E' necessario definire la data di inizio...")};
    if (!hasDigit(toText))
        return SummaryProblem{SummaryField::To, missing,
                              QStringLiteral("Attenzione E' necessario definire la data di fine...")};
    // Dates that are not real, or a period that ends before it starts, as the other period prints say.
    const std::optional<QDate> from = core::datetext::parseShortDate(fromText);
    if (!from)
        return SummaryProblem{
            SummaryField::From, missing,
            QStringLiteral("Attenzione la data di inizio %1 non è valida...").arg(fromText)};
    const std::optional<QDate> to = core::datetext::parseShortDate(toText);
    if (!to)
        return SummaryProblem{SummaryField::To, missing,
                              QStringLiteral("Attenzione la data di fine %1 non è valida...").arg(toText)};
    if (*to < *from)
        return SummaryProblem{
            SummaryField::To, missing,
            QStringLiteral("Attenzione la data di fine non può essere precedente alla data di inizio...")};
    // A year mistyped ("0026") would write a row per month of centuries.
    if (from->addYears(maximumYears) < *to)
        return SummaryProblem{
            SummaryField::From, missing,
            QStringLiteral("Attenzione il periodo può essere al massimo di %1 anni...").arg(maximumYears)};
    if (!subjectChosen)
        return SummaryProblem{SummaryField::Subject, shell::titles::error(),
                              of == SummaryOf::Vehicle
                                  ? QStringLiteral("Attenzione manca la Vettura da analizzare")
                                  : QStringLiteral("Attenzione manca l'Autista da analizzare")};
    return std::nullopt;
}

QString summaryPeriodText(const SummaryPeriod &period)
{
    return QStringLiteral("Dal %1 al %2")
        .arg(core::datetext::formatShortDate(period.from), core::datetext::formatShortDate(period.to));
}

QList<QDate> summaryMonths(const SummaryPeriod &period)
{
    QList<QDate> months;
    if (!period.from.isValid() || !period.to.isValid())
        return months;
    const QDate last(period.to.year(), period.to.month(), 1);
    for (QDate month(period.from.year(), period.from.month(), 1); month <= last; month = month.addMonths(1))
        months.append(month);
    return months;
}

double Summary::revenue() const
{
    return sumOf(categories, true, -1);
}

double Summary::costs() const
{
    return sumOf(categories, false, -1);
}

double Summary::revenueIn(qsizetype month) const
{
    return sumOf(categories, true, month);
}

double Summary::costsIn(qsizetype month) const
{
    return sumOf(categories, false, month);
}

QList<double> Summary::cumulativeMargin() const
{
    QList<double> margins;
    double margin = 0;
    for (qsizetype month = 0; month < months.size(); ++month) {
        margin += revenueIn(month) - costsIn(month);
        margins.append(core::arrotonda(margin));
    }
    return margins;
}

core::Result<Summary> summariseVehicle(storage::Archive &archive, const QString &workstation, qint64 vehicle,
                                       const SummaryPeriod &period)
{
    using R = core::Result<Summary>;
    const core::Result<QVariantMap> row = archive.readRow(QStringLiteral("Vetture"), vehicle);
    if (!row)
        return R::failure(row.error());
    // Job orders and purchase rows know the vehicle by its plate alone.
    const QString plate = row->value(QStringLiteral("Targa")).toString();
    if (plate.trimmed().isEmpty())
        return R::failure(QStringLiteral("Attenzione la Vettura da analizzare non ha la Targa"));
    return summarise(archive, workstation, SummaryOf::Vehicle, plate, plate, period,
                     vehicleSources(period, plate));
}

core::Result<Summary> summariseStaffMember(storage::Archive &archive, const QString &workstation,
                                           qint64 member, const SummaryPeriod &period)
{
    using R = core::Result<Summary>;
    const core::Result<QVariantMap> row = archive.readRow(QStringLiteral("Personale"), member);
    if (!row)
        return R::failure(row.error());
    QString name = row->value(QStringLiteral("Personale")).toString().trimmed();
    if (name.isEmpty())
        name = QStringList{row->value(QStringLiteral("Cognome")).toString(),
                           row->value(QStringLiteral("Nome")).toString()}
                   .join(u' ')
                   .simplified();
    return summarise(archive, workstation, SummaryOf::Staff, member, name, period,
                     staffSources(period, member));
}

} // namespace rotalina::fleet
