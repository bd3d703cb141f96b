#include "fleet/summaries.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"
#include "support/testarchive.h"

#include <QDateTime>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::fleet;

namespace {

const QString station = QStringLiteral("UFFICIO");
const QString otherStation = QStringLiteral("MAGAZZINO");

QDateTime at(int year, int month, int day, int hour = 9, int minute = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute));
}

// A category row of the work table, as the report reads it.
struct CategoryRow
{
    QString name;
    bool revenue;
    double amount;

    bool operator==(const CategoryRow &other) const
    {
        return name == other.name && revenue == other.revenue && std::abs(amount - other.amount) < 0.005;
    }
};

void PrintTo(const CategoryRow &row, std::ostream *out)
{
    *out << row.name.toStdString() << (row.revenue ? " (entrata) " : " (uscita) ") << row.amount;
}

class Summaries : public ::testing::Test
{
protected:
    void SetUp() override { m_archive = test::newArchive(); }

    storage::Archive &archive() { return *m_archive; }

    qint64 add(const char *table, const QVariantMap &values)
    {
        return test::addRow(archive(), QString::fromLatin1(table), values);
    }

    qint64 vehicle(const QString &plate) { return add("Vetture", {{QStringLiteral("Targa"), plate}}); }
    qint64 member(const QString &name) { return add("Personale", {{QStringLiteral("Personale"), name}}); }

    // A job order with its taxable amount, its cost and the owner-driver's cost; the rest as given.
    void job(const QDateTime &when, const QVariant &taxable, const QVariant &cost,
             const QVariant &ownerDriver, const QVariantMap &who, const QVariant &cancelled = false)
    {
        QVariantMap values = who;
        values.insert(QStringLiteral("Data"), when);
        values.insert(QStringLiteral("TotImponibile"), taxable);
        values.insert(QStringLiteral("Costo"), cost);
        values.insert(QStringLiteral("CostoPadroncino"), ownerDriver);
        values.insert(QStringLiteral("Annullato"), cancelled);
        add("TotaliCo", values);
    }

    qint64 purchaseInvoice(const QDateTime &registered, bool purchase = true,
                           const QVariant &creditNote = false, const QVariant &driver = {})
    {
        return add("fattura", {{QStringLiteral("DataRegistrazione"), registered},
                               {QStringLiteral("Data"), registered},
                               {QStringLiteral("Carico"), purchase},
                               {QStringLiteral("FattNota"), creditNote},
                               {QStringLiteral("Personale_ID"), driver}});
    }

    void purchaseRow(qint64 invoice, double taxable, const QString &plate, const QVariant &unloaded)
    {
        add("Movimenti", {{QStringLiteral("Fattura_ID"), invoice},
                          {QStringLiteral("TotaleImponibile"), taxable},
                          {QStringLiteral("Targa1"), plate},
                          {QStringLiteral("Scarico"), unloaded}});
    }

    QList<CategoryRow> categoryRows(const QString &table, const QString &workstation = station)
    {
        const core::Result<storage::Archive::Rows> rows = archive().readRows(
            QStringLiteral(
                "SELECT Tipologia, Entrata, Importo FROM %1 WHERE NomeComputer = ? AND Mese IS NULL "
                "ORDER BY ID")
                .arg(table),
            {workstation});
        EXPECT_TRUE(rows) << rows.error().toStdString();
        QList<CategoryRow> found;
        for (const QVariantList &row : rows ? rows->values : QList<QVariantList>())
            found.append({row.at(0).toString(), row.at(1).toBool(), row.at(2).toDouble()});
        return found;
    }

    // The monthly amounts of a category, month by month.
    QList<double> monthlyRows(const QString &table, const QString &category)
    {
        const core::Result<storage::Archive::Rows> rows = archive().readRows(
            QStringLiteral(
                "SELECT Mese, Importo FROM %1 WHERE NomeComputer = ? AND Tipologia = ? AND Mese IS NOT "
                "NULL ORDER BY Mese")
                .arg(table),
            {station, category});
        EXPECT_TRUE(rows) << rows.error().toStdString();
        QList<double> amounts;
        for (const QVariantList &row : rows ? rows->values : QList<QVariantList>())
            amounts.append(row.at(1).toDouble());
        return amounts;
    }

    QList<QDate> monthsWritten(const QString &table)
    {
        const core::Result<storage::Archive::Rows> rows = archive().readRows(
            QStringLiteral(
                "SELECT DISTINCT Mese FROM %1 WHERE NomeComputer = ? AND Mese IS NOT NULL ORDER BY Mese")
                .arg(table),
            {station});
        EXPECT_TRUE(rows) << rows.error().toStdString();
        QList<QDate> months;
        for (const QVariantList &row : rows ? rows->values : QList<QVariantList>())
            months.append(storage::sqlvalue::toDate(row.at(0)));
        return months;
    }

    int count(const QString &sql, const QVariantList &params = {})
    {
        return test::count(archive(), sql, params);
    }

    const SummaryPeriod firstQuarter{QDate(2026, 1, 1), QDate(2026, 3, 31)};

private:
    std::unique_ptr<storage::Archive> m_archive;
};

} // namespace

TEST(SummaryChoice, ChecksComeInTheWindowsOrderWithTheirTitles)
{
    const struct
    {
        SummaryOf of;
        const char *from;
        const char *to;
        bool chosen;
        SummaryField field;
        const char *title;
        const char *message;
    } cases[] = {
        {SummaryOf::Vehicle, "__/__/____", "", false, SummaryField::From, "Messaggio di avviso!!",
         "Attenzione E' necessario definire la data di inizio..."},
        {SummaryOf::Vehicle, "01/01/2026", "__/__/____", false, SummaryField::To, "Messaggio di avviso!!",
         "Attenzione E' necessario definire la data di fine..."},
        {SummaryOf::Staff, "31/02/2026", "31/03/2026", true, SummaryField::From, "Messaggio di avviso!!",
         "Attenzione la data di inizio 31/02/2026 non è valida..."},
        {SummaryOf::Staff, "01/02/2026", "32/03/2026", true, SummaryField::To, "Messaggio di avviso!!",
         "Attenzione la data di fine 32/03/2026 non è valida..."},
        {SummaryOf::Vehicle, "01/03/2026", "28/02/2026", true, SummaryField::To, "Messaggio di avviso!!",
         "Attenzione la data di fine non può essere precedente alla data di inizio..."},
        {SummaryOf::Vehicle, "01/01/0026", "31/12/2026", true, SummaryField::From, "Messaggio di avviso!!",
         "Attenzione il periodo può essere al massimo di 10 anni..."},
        {SummaryOf::Vehicle, "01/01/2026", "31/03/2026", false, SummaryField::Subject, "Messaggio di errore",
         "Attenzione manca la Vettura da analizzare"},
        {SummaryOf::Staff, "01/01/2026", "01/01/2026", false, SummaryField::Subject, "Messaggio di errore",
         "Attenzione manca l'Autista da analizzare"},
    };
    for (const auto &c : cases) {
        const std::optional<SummaryProblem> problem =
            checkSummaryChoice(c.of, QString::fromLatin1(c.from), QString::fromLatin1(c.to), c.chosen);
        ASSERT_TRUE(problem) << c.message;
        EXPECT_EQ(problem->field, c.field) << c.message;
        EXPECT_EQ(problem->title, QString::fromUtf8(c.title));
        EXPECT_EQ(problem->message, QString::fromUtf8(c.message));
    }
    EXPECT_FALSE(checkSummaryChoice(SummaryOf::Staff, QStringLiteral("01/01/2026"),
                                    QStringLiteral("01/01/2026"), true));
    EXPECT_FALSE(checkSummaryChoice(SummaryOf::Vehicle, QStringLiteral("01/01/2016"),
                                    QStringLiteral("01/01/2026"), true));
}

TEST(SummaryPeriods, EveryMonthTheperiodTouchesAcrossTheYear)
{
    const SummaryPeriod period{QDate(2025, 11, 15), QDate(2026, 2, 3)};
    EXPECT_EQ(summaryMonths(period),
              (QList<QDate>{QDate(2025, 11, 1), QDate(2025, 12, 1), QDate(2026, 1, 1), QDate(2026, 2, 1)}));
    EXPECT_EQ(summaryMonths({QDate(2026, 3, 31), QDate(2026, 3, 31)}), QList<QDate>{QDate(2026, 3, 1)});
    EXPECT_EQ(summaryPeriodText(period), QStringLiteral("Dal 15/11/2025 al 03/02/2026"));
}

TEST_F(Summaries, AVehicleEarnsItsJobOrdersAndPaysItsInvoicesCostsAndFuel)
{
    const QString plate = QStringLiteral("AB123CD");
    const qint64 truck = vehicle(plate);
    const qint64 van = vehicle(QStringLiteral("ZZ999ZZ"));
    const QVariantMap first{{QStringLiteral("Targa1"), plate}};
    job(at(2026, 1, 10), 1000.0, 300.0, 50.0, first);
    // As second vehicle of a job order it counts as much as the first one.
    job(at(2026, 3, 31, 23, 30), 500.0, 100.0, QVariant(),
        {{QStringLiteral("Targa1"), QStringLiteral("ZZ999ZZ")}, {QStringLiteral("Targa2"), plate}});
    // Amounts left empty count as nothing; an empty cancellation flag is an order that stands.
    job(at(2026, 2, 15), QVariant(), 40.0, QVariant(), first, QVariant());
    job(at(2026, 2, 1), 8888.0, 888.0, 88.0, first, true);
    job(at(2026, 4, 1, 0, 0), 9999.0, 999.0, 99.0, first);
    job(at(2025, 12, 31, 23, 59), 7777.0, 777.0, 77.0, first);
    job(at(2026, 2, 1), 6666.0, 666.0, 66.0, {{QStringLiteral("Targa1"), QStringLiteral("ZZ999ZZ")}});

    const qint64 invoice = purchaseInvoice(at(2026, 2, 5));
    purchaseRow(invoice, 200.0, plate, false);
    purchaseRow(invoice, 30.0, plate, QVariant());
    purchaseRow(invoice, 1000.0, plate, true);
    purchaseRow(invoice, 70.0, QStringLiteral("ZZ999ZZ"), false);
    purchaseRow(purchaseInvoice(at(2026, 2, 6), true, true), 500.0, plate, false);
    purchaseRow(purchaseInvoice(at(2026, 2, 7), false), 400.0, plate, false);
    purchaseRow(purchaseInvoice(at(2026, 4, 1, 0, 0)), 600.0, plate, false);

    const auto cost = [&](const char *table, qint64 owner, const QDateTime &when, const QVariant &amount) {
        add(table, {{QStringLiteral("Vettura_ID"), owner},
                    {QStringLiteral("Data"), when},
                    {QStringLiteral("Importo"), amount}});
    };
    cost("VettureCosti", truck, at(2026, 3, 31, 23, 30), 80.0);
    cost("VettureCosti", truck, at(2026, 4, 1, 0, 0), 999.0);
    cost("VettureCosti", truck, at(2026, 1, 3), QVariant());
    cost("VettureCosti", van, at(2026, 1, 3), 555.0);
    cost("VettureCarburante", truck, at(2026, 1, 20), 120.0);
    cost("VettureCarburante", van, at(2026, 1, 20), 444.0);

    const core::Result<Summary> summary = summariseVehicle(archive(), station, truck, firstQuarter);
    ASSERT_TRUE(summary) << summary.error().toStdString();
    const QList<CategoryRow> expected{{QStringLiteral("Imponibile Commesse"), true, 1500},
                                      {QStringLiteral("Costi Commesse (Manutenzione + Autista)"), false, 440},
                                      {QStringLiteral("Costi padroncino"), false, 50},
                                      {QStringLiteral("Imponibile Fatture di acquisto"), false, 230},
                                      {QStringLiteral("Costi ulteriori non fatturati"), false, 80},
                                      {QStringLiteral("Costi carburante"), false, 120}};
    EXPECT_EQ(categoryRows(QStringLiteral("TempVettureRiepilogo")), expected);
    EXPECT_EQ(
        count(QStringLiteral("SELECT COUNT(*) FROM TempVettureRiepilogo WHERE Mese IS NULL AND Targa = ? AND "
                             "DescrizioneData = 'Dal 01/01/2026 al 31/03/2026'"),
              {plate}),
        6);
    EXPECT_DOUBLE_EQ(summary->revenue(), 1500);
    EXPECT_DOUBLE_EQ(summary->costs(), 920);
    EXPECT_DOUBLE_EQ(summary->margin(), 580);

    // Month by month, each month summing to what it holds and the months to the totals.
    EXPECT_EQ(monthsWritten(QStringLiteral("TempVettureRiepilogo")),
              (QList<QDate>{QDate(2026, 1, 1), QDate(2026, 2, 1), QDate(2026, 3, 1)}));
    EXPECT_EQ(monthlyRows(QStringLiteral("TempVettureRiepilogo"), QStringLiteral("Imponibile Commesse")),
              (QList<double>{1000, 0, 500}));
    EXPECT_EQ(monthlyRows(QStringLiteral("TempVettureRiepilogo"),
                          QStringLiteral("Costi Commesse (Manutenzione + Autista)")),
              (QList<double>{300, 40, 100}));
    EXPECT_EQ(
        monthlyRows(QStringLiteral("TempVettureRiepilogo"), QStringLiteral("Imponibile Fatture di acquisto")),
        (QList<double>{0, 230, 0}));
    EXPECT_EQ(monthlyRows(QStringLiteral("TempVettureRiepilogo"), QStringLiteral("Costi carburante")),
              (QList<double>{120, 0, 0}));
    for (const CategoryRow &category : expected) {
        double sum = 0;
        for (double amount : monthlyRows(QStringLiteral("TempVettureRiepilogo"), category.name))
            sum += amount;
        EXPECT_NEAR(sum, category.amount, 0.001) << category.name.toStdString();
    }
    EXPECT_EQ(summary->cumulativeMargin(), (QList<double>{1000 - 470, 530 - 270, 260 + 500 - 180}));
}

TEST_F(Summaries, APlateWithAnApostropheIsFoundEverywhere)
{
    const QString plate = QStringLiteral("D'AB 12' OR '1'='1");
    const qint64 truck = vehicle(plate);
    vehicle(QStringLiteral("D"));
    job(at(2026, 2, 2), 300.0, 10.0, 5.0, {{QStringLiteral("Targa2"), plate}});
    job(at(2026, 2, 2), 9000.0, 900.0, 90.0, {{QStringLiteral("Targa1"), QStringLiteral("D")}});
    purchaseRow(purchaseInvoice(at(2026, 2, 3)), 45.5, plate, false);
    add("VettureCosti", {{QStringLiteral("Vettura_ID"), truck},
                         {QStringLiteral("Data"), at(2026, 2, 4)},
                         {QStringLiteral("Importo"), 12.25}});
    add("VettureCarburante", {{QStringLiteral("Vettura_ID"), truck},
                              {QStringLiteral("Data"), at(2026, 2, 5)},
                              {QStringLiteral("Importo"), 99.99}});

    const core::Result<Summary> summary = summariseVehicle(archive(), station, truck, firstQuarter);
    ASSERT_TRUE(summary) << summary.error().toStdString();
    EXPECT_EQ(summary->subject, plate);
    EXPECT_EQ(categoryRows(QStringLiteral("TempVettureRiepilogo")),
              (QList<CategoryRow>{{QStringLiteral("Imponibile Commesse"), true, 300},
                                  {QStringLiteral("Costi Commesse (Manutenzione + Autista)"), false, 10},
                                  {QStringLiteral("Costi padroncino"), false, 5},
                                  {QStringLiteral("Imponibile Fatture di acquisto"), false, 45.5},
                                  {QStringLiteral("Costi ulteriori non fatturati"), false, 12.25},
                                  {QStringLiteral("Costi carburante"), false, 99.99}}));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TempVettureRiepilogo WHERE Targa = ?"), {plate}),
              6 + 6 * 3);
}

TEST_F(Summaries, ADriverEarnsTheJobsHeDroveAndCostsHisInvoicesCostsAndSalaries)
{
    const qint64 driver = member(QStringLiteral("Neri Giuseppe"));
    const qint64 colleague = member(QStringLiteral("Bianchi Luca"));
    job(at(2026, 1, 5), 700.0, 200.0, 0.0, {{QStringLiteral("Personale_ID"), driver}});
    job(at(2026, 3, 31, 23, 30), 300.0, 50.0, 25.0,
        {{QStringLiteral("Personale_ID"), colleague}, {QStringLiteral("Personale2_ID"), driver}});
    job(at(2026, 2, 1), 5000.0, 500.0, 50.0, {{QStringLiteral("Personale_ID"), driver}}, true);
    job(at(2026, 2, 1), 4000.0, 400.0, 40.0, {{QStringLiteral("Personale_ID"), colleague}});
    job(at(2026, 4, 1, 0, 0), 3000.0, 300.0, 30.0, {{QStringLiteral("Personale_ID"), driver}});

    const qint64 invoice = purchaseInvoice(at(2026, 3, 2), true, QVariant(), driver);
    purchaseRow(invoice, 150.0, QString(), QVariant());
    purchaseRow(invoice, 850.0, QString(), true);
    purchaseRow(purchaseInvoice(at(2026, 3, 2), true, false, colleague), 111.0, QString(), false);

    add("PersonaleCosti", {{QStringLiteral("Personale_ID"), driver},
                           {QStringLiteral("Data"), at(2026, 2, 10)},
                           {QStringLiteral("Importo"), 35.0}});
    add("PersonaleCosti", {{QStringLiteral("Personale_ID"), colleague},
                           {QStringLiteral("Data"), at(2026, 2, 10)},
                           {QStringLiteral("Importo"), 77.0}});
    const auto salary = [&](qint64 who, const QDateTime &paid, const QVariant &amount) {
        add("PersonaleStipendi", {{QStringLiteral("Personale_ID"), who},
                                  {QStringLiteral("DataPagamento"), paid},
                                  {QStringLiteral("ImportoBonifico"), amount},
                                  {QStringLiteral("Anno"), paid.date().year()},
                                  {QStringLiteral("Mese"), paid.date().month()}});
    };
    salary(driver, at(2026, 1, 27), 1800.0);
    salary(driver, at(2026, 3, 31, 23, 30), 1850.0);
    salary(driver, at(2026, 2, 27), QVariant());
    salary(driver, at(2026, 4, 1, 0, 0), 1900.0);
    salary(colleague, at(2026, 1, 27), 2222.0);

    const core::Result<Summary> summary = summariseStaffMember(archive(), station, driver, firstQuarter);
    ASSERT_TRUE(summary) << summary.error().toStdString();
    EXPECT_EQ(summary->subject, QStringLiteral("Neri Giuseppe"));
    EXPECT_EQ(categoryRows(QStringLiteral("TempPersonaleRiepilogo")),
              (QList<CategoryRow>{{QStringLiteral("Imponibile Commesse"), true, 1000},
                                  {QStringLiteral("Costi Commesse (Manutenzione + Autista)"), false, 250},
                                  {QStringLiteral("Costi padroncino"), false, 25},
                                  {QStringLiteral("Imponibile Fatture di acquisto"), false, 150},
                                  {QStringLiteral("Costi ulteriori non fatturati"), false, 35},
                                  {QStringLiteral("Costi stipendio"), false, 3650}}));
    EXPECT_EQ(
        count(QStringLiteral("SELECT COUNT(*) FROM TempPersonaleRiepilogo WHERE Personale_id = ?"), {driver}),
        6 + 6 * 3);
    EXPECT_EQ(monthlyRows(QStringLiteral("TempPersonaleRiepilogo"), QStringLiteral("Costi stipendio")),
              (QList<double>{1800, 0, 1850}));
    EXPECT_DOUBLE_EQ(summary->margin(), 1000 - 4110);
}

TEST_F(Summaries, EveryCategoryAndEveryMonthIsWrittenEvenWithNothingInIt)
{
    const qint64 truck = vehicle(QStringLiteral("EF456GH"));
    job(at(2026, 1, 31, 23, 59), 100.0, 0.0, 0.0, {{QStringLiteral("Targa1"), QStringLiteral("EF456GH")}});

    const SummaryPeriod period{QDate(2026, 1, 20), QDate(2026, 4, 10)};
    const core::Result<Summary> summary = summariseVehicle(archive(), station, truck, period);
    ASSERT_TRUE(summary) << summary.error().toStdString();
    EXPECT_EQ(categoryRows(QStringLiteral("TempVettureRiepilogo")).size(), 6);
    EXPECT_EQ(monthsWritten(QStringLiteral("TempVettureRiepilogo")),
              (QList<QDate>{QDate(2026, 1, 1), QDate(2026, 2, 1), QDate(2026, 3, 1), QDate(2026, 4, 1)}));
    EXPECT_EQ(monthlyRows(QStringLiteral("TempVettureRiepilogo"), QStringLiteral("Imponibile Commesse")),
              (QList<double>{100, 0, 0, 0}));
    EXPECT_EQ(monthlyRows(QStringLiteral("TempVettureRiepilogo"), QStringLiteral("Costi carburante")),
              (QList<double>{0, 0, 0, 0}));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TempVettureRiepilogo WHERE Mese IS NOT NULL")),
              6 * 4);
}

TEST_F(Summaries, ASecondRunReplacesOnlyThisWorkstationsRows)
{
    const qint64 truck = vehicle(QStringLiteral("AB123CD"));
    const qint64 driver = member(QStringLiteral("Neri Giuseppe"));
    job(at(2026, 2, 2), 100.0, 10.0, 1.0,
        {{QStringLiteral("Targa1"), QStringLiteral("AB123CD")}, {QStringLiteral("Personale_ID"), driver}});
    ASSERT_TRUE(summariseVehicle(archive(), otherStation, truck, firstQuarter));
    ASSERT_TRUE(summariseStaffMember(archive(), station, driver, firstQuarter));
    ASSERT_TRUE(summariseVehicle(archive(), station, truck, firstQuarter));

    // A job order recorded since, and a shorter period: the rows are those of the second run only.
    job(at(2026, 1, 15), 50.0, 5.0, 0.5, {{QStringLiteral("Targa1"), QStringLiteral("AB123CD")}});
    const core::Result<Summary> again =
        summariseVehicle(archive(), station, truck, {QDate(2026, 1, 1), QDate(2026, 2, 28)});
    ASSERT_TRUE(again) << again.error().toStdString();
    EXPECT_EQ(
        count(QStringLiteral("SELECT COUNT(*) FROM TempVettureRiepilogo WHERE NomeComputer = ?"), {station}),
        6 + 6 * 2);
    EXPECT_EQ(count(QStringLiteral(
                        "SELECT COUNT(*) FROM TempVettureRiepilogo WHERE NomeComputer = ? AND Tipologia = "
                        "'Imponibile Commesse' AND Mese IS NULL AND Importo = 150"),
                    {station}),
              1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TempVettureRiepilogo WHERE NomeComputer = ? AND "
                                   "DescrizioneData = 'Dal 01/01/2026 al 28/02/2026'"),
                    {station}),
              6 + 6 * 2);
    // The other workstation's summary and this workstation's staff summary stay as they were.
    EXPECT_EQ(
        count(QStringLiteral("SELECT COUNT(*) FROM TempVettureRiepilogo WHERE NomeComputer = ? AND Importo = "
                             "100 AND Mese IS NULL"),
              {otherStation}),
        1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TempVettureRiepilogo WHERE NomeComputer = ?"),
                    {otherStation}),
              6 + 6 * 3);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TempPersonaleRiepilogo WHERE NomeComputer = ?"),
                    {station}),
              6 + 6 * 3);
}

TEST_F(Summaries, AVehicleWithoutPlateOrThatIsGoneIsRefusedAndTheRowsStay)
{
    const qint64 truck = vehicle(QStringLiteral("AB123CD"));
    ASSERT_TRUE(summariseVehicle(archive(), station, truck, firstQuarter));
    const qint64 unnamed = add("Vetture", {{QStringLiteral("Targa"), QStringLiteral("  ")}});
    const core::Result<Summary> refused = summariseVehicle(archive(), station, unnamed, firstQuarter);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(), QStringLiteral("Attenzione la Vettura da analizzare non ha la Targa"));
    EXPECT_FALSE(summariseVehicle(archive(), station, unnamed + 1000, firstQuarter));
    EXPECT_EQ(
        count(QStringLiteral("SELECT COUNT(*) FROM TempVettureRiepilogo WHERE NomeComputer = ?"), {station}),
        6 + 6 * 3);
}
