#include "fleet/staff.h"
#include "shell/duedatereminder.h"
#include "shell/registrydescriptor.h"
#include "shell/reportcatalogue.h"
#include "storage/archive.h"
#include "support/testarchive.h"

#include <QDate>
#include <QSqlRecord>
#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::fleet;

namespace {

class Staff : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const core::Result<qint64> added = addStaffMember(archive());
        ASSERT_TRUE(added) << added.error().toStdString();
        member = *added;
        ASSERT_TRUE(saveStaffMember(archive(), member,
                                    {{QStringLiteral("Personale"), QStringLiteral("Rossi Mario")},
                                     {QStringLiteral("IdPaese"), QStringLiteral("IT")},
                                     {QStringLiteral("PagaMensile"), 2100.0}}));
    }

    storage::Archive &archive() { return *m_archive; }

    int count(const QString &sql, const QVariantList &params = {})
    {
        return test::count(archive(), sql, params);
    }

    // A deadline of the member, as the editor saves it.
    qint64 deadline(const QString &description, const QDate &warning, const QDate &due,
                    bool validated = false)
    {
        const core::Result<qint64> added = shell::addRegistryRow(archive(), staffDeadlinesRegistry(), member);
        EXPECT_TRUE(added) << added.error().toStdString();
        EXPECT_TRUE(shell::saveRegistryRow(archive(), staffDeadlinesRegistry(), *added,
                                           {{QStringLiteral("Descrizione"), description},
                                            {QStringLiteral("DataAvviso"), warning},
                                            {QStringLiteral("DataScadenza"), due},
                                            {QStringLiteral("Validato"), validated}}));
        return *added;
    }

    QList<QStringList> reminded(const QDate &today)
    {
        const core::Result<QList<shell::ReminderList>> lists = shell::loadDueDateReminder(archive(), today);
        EXPECT_TRUE(lists) << lists.error().toStdString();
        for (const shell::ReminderList &list : *lists)
            if (list.label == QStringLiteral("Scadenze Personale"))
                return list.rows;
        ADD_FAILURE() << "no staff deadlines in the reminder";
        return {};
    }

    std::unique_ptr<storage::Archive> m_archive = test::newArchive();
    qint64 member = 0;
};

TEST(StaffRates, ADayIsATwentyFirstOfTheMonthAndAnHourAnEighthOfTheDay)
{
    EXPECT_EQ(*dailyRate(2100), 100);
    EXPECT_EQ(*hourlyRate(100), 12.5);
    EXPECT_EQ(*dailyRate(1000), 47.62);
    EXPECT_EQ(
        dailyRate(0).error(),
        QStringLiteral("Attenzione Inserisci la paga mensile per poter calcolare la tariffa giornaliera!"));
    EXPECT_FALSE(dailyRate(-5));
    EXPECT_EQ(
        hourlyRate(0).error(),
        QStringLiteral("Attenzione Inserisci la Tariffa giornaliera per poter calcolare la tariffa Oraria!"));
}

TEST_F(Staff, TheCardWantsANameAndANation)
{
    const shell::RecordChecks &checks = staffRegistry().checks;
    EXPECT_EQ(checks.firstFailure({{QStringLiteral("IdPaese"), QStringLiteral("IT")}})->message,
              QStringLiteral("Attenzione manca il nominativo !"));
    EXPECT_EQ(checks.firstFailure({{QStringLiteral("Personale"), QStringLiteral("Verdi")}})->message,
              QStringLiteral("Attenzione manca la nazione !"));
    EXPECT_FALSE(checks.firstFailure({{QStringLiteral("Personale"), QStringLiteral("Verdi")},
                                      {QStringLiteral("IdPaese"), QStringLiteral("IT")}}));
    EXPECT_EQ(
        count(QStringLiteral("SELECT COUNT(*) FROM Personale WHERE Id = ? AND Annullato = false"), {member}),
        1)
        << "a new member is not withdrawn";
}

TEST_F(Staff, DeadlinesReachTheReminderFromTheirWarningDateUntilDealtWith)
{
    const QDate today(2026, 3, 10);
    deadline(QStringLiteral("Rinnovo patente C"), QDate(2026, 3, 10), QDate(2026, 4, 10));
    const qint64 cqc = deadline(QStringLiteral("Rinnovo CQC"), QDate(2026, 3, 1), QDate(2026, 3, 20));
    deadline(QStringLiteral("Visita medica"), QDate(2026, 3, 11), QDate(2026, 5, 1));
    deadline(QStringLiteral("Carta tachigrafica"), QDate(2026, 2, 1), QDate(2026, 2, 20), true);

    QList<QStringList> rows = reminded(today);
    ASSERT_EQ(rows.size(), 2) << "the warning date has come for two, the third waits, the fourth is done";
    EXPECT_EQ(rows.at(0).at(0), QStringLiteral("20/03/2026"));
    EXPECT_EQ(rows.at(0).at(1), QStringLiteral("Rinnovo CQC"));
    EXPECT_EQ(rows.at(0).at(2), QStringLiteral("Rossi Mario"));
    EXPECT_EQ(rows.at(0).at(4), QString::number(cqc)) << "the reminder opens the deadline by its key";
    EXPECT_EQ(rows.at(1).at(1), QStringLiteral("Rinnovo patente C"));

    ASSERT_TRUE(shell::saveRegistryRow(archive(), staffDeadlinesRegistry(), cqc,
                                       {{QStringLiteral("Validato"), true}}));
    rows = reminded(today);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows.at(0).at(1), QStringLiteral("Rinnovo patente C"));
    EXPECT_EQ(reminded(today.addDays(1)).size(), 2) << "tomorrow the medical check is due too";
}

TEST_F(Staff, AWithdrawnMemberIsNoLongerReminded)
{
    deadline(QStringLiteral("Rinnovo patente C"), QDate(2026, 3, 1), QDate(2026, 4, 10));
    ASSERT_EQ(reminded(QDate(2026, 3, 10)).size(), 1);
    ASSERT_TRUE(saveStaffMember(archive(), member, {{QStringLiteral("Annullato"), true}}));
    EXPECT_TRUE(reminded(QDate(2026, 3, 10)).isEmpty()) << "the member has left the firm";
}

TEST_F(Staff, AnOverdueDeadlineIsPaintedRedUntilValidated)
{
    const QDate today(2026, 3, 10);
    EXPECT_TRUE(deadlineOverdue(QDate(2026, 3, 9), false, today));
    EXPECT_FALSE(deadlineOverdue(QDate(2026, 3, 9), true, today));
    EXPECT_FALSE(deadlineOverdue(QDate(2026, 3, 10), false, today));
    EXPECT_FALSE(deadlineOverdue(QVariant(), false, today));
}

TEST_F(Staff, DeadlinesCostsAndSalariesAreCheckedAddedAndRemovedWithTheMember)
{
    const shell::RecordChecks &deadlineChecks = staffDeadlinesRegistry().checks;
    EXPECT_EQ(deadlineChecks.firstFailure({})->message, QStringLiteral("Attenzione manca la Descrizione"));
    EXPECT_EQ(deadlineChecks.firstFailure({{QStringLiteral("Descrizione"), QStringLiteral("x")}})->message,
              QStringLiteral("Attenzione manca la Data di avviso della scadenza"));
    deadline(QStringLiteral("Rinnovo patente"), QDate(2026, 3, 1), QDate(2026, 4, 1));

    const qint64 kind = test::addRow(archive(), QStringLiteral("TipologiaCostiPersonale"),
                                     {{QStringLiteral("Descrizione"), QStringLiteral("Trasferta")}});
    const core::Result<qint64> cost = shell::addRegistryRow(archive(), staffCostsRegistry(), member);
    ASSERT_TRUE(cost);
    EXPECT_EQ(
        staffCostsRegistry()
            .checks
            .firstFailure({{QStringLiteral("Data"), QDate(2026, 3, 1)}, {QStringLiteral("Importo"), 12.0}})
            ->message,
        QStringLiteral("Attenzione manca la Tipologia"));
    ASSERT_TRUE(shell::saveRegistryRow(archive(), staffCostsRegistry(), *cost,
                                       {{QStringLiteral("Importo"), 45.5},
                                        {QStringLiteral("TipologiaCosto_id"), kind},
                                        {QStringLiteral("TipologiaCosto"), QStringLiteral("Trasferta")}}));

    const core::Result<qint64> salary = addSalary(archive(), member, QDate(2026, 3, 10));
    ASSERT_TRUE(salary);
    const core::Result<QVariantMap> row = archive().readRow(QStringLiteral("PersonaleStipendi"), *salary);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->value(QStringLiteral("Base")).toDouble(), 2100) << "the base is the monthly pay";
    EXPECT_EQ(row->value(QStringLiteral("Anno")).toInt(), 2026);
    EXPECT_EQ(row->value(QStringLiteral("Personale_ID")).toLongLong(), member);
    const shell::RecordChecks &salaryChecks = staffSalariesRegistry().checks;
    EXPECT_EQ(salaryChecks.firstFailure({{QStringLiteral("Anno"), 2026}})->message,
              QStringLiteral("Attenzione manca l' Importo del bonifico"));
    EXPECT_EQ(
        salaryChecks.firstFailure({{QStringLiteral("Anno"), 2026}, {QStringLiteral("ImportoBonifico"), 1.0}})
            ->message,
        QStringLiteral("Attenzione manca il Mese"));
    EXPECT_EQ(salaryPartialTotal(2100, 150.25, 30, 80.1), 2200.15);

    // The member's prints: privacy statement, deadlines and costs of this member only.
    const qint64 other = *addStaffMember(archive());
    ASSERT_TRUE(
        saveStaffMember(archive(), other, {{QStringLiteral("Personale"), QStringLiteral("Bianchi")}}));
    for (const bool validated : {false, true})
        test::addRow(archive(), QStringLiteral("PersonaleScadenze"),
                     {{QStringLiteral("Personale_ID"), other},
                      {QStringLiteral("Descrizione"), QStringLiteral("Altro")},
                      {QStringLiteral("Validato"), validated}});
    const auto rowsOf = [this](int code, qint64 key) {
        shell::ReportContext context;
        context.key = key;
        const shell::ReportSpec report = shell::reportSpec(code, context, {}, archive().dialect());
        const core::Result<storage::Archive::Rows> rows = archive().readRows(report.query);
        EXPECT_TRUE(rows) << code << rows.error().toStdString();
        return rows ? rows->values : QList<QVariantList>();
    };
    EXPECT_EQ(rowsOf(60, member).size(), 1);
    EXPECT_EQ(rowsOf(60, member).value(0).value(0).toString(), QStringLiteral("Rossi Mario"));
    EXPECT_EQ(rowsOf(54, member).size(), 1);
    EXPECT_EQ(rowsOf(18, member).size(), 1);
    EXPECT_EQ(rowsOf(55, 0).size(), 2) << "the due-date print lists every member's open deadlines";
    EXPECT_EQ(rowsOf(54, other).size(), 2) << "the card's print lists them all";

    const qint64 first =
        archive()
            .scalar(QStringLiteral("SELECT Id FROM PersonaleScadenze WHERE Personale_ID = ?"), {member})
            ->toLongLong();
    ASSERT_TRUE(shell::deleteRegistryRow(archive(), staffDeadlinesRegistry(), first));
    EXPECT_EQ(
        count(QStringLiteral("SELECT COUNT(*) FROM PersonaleScadenze WHERE Personale_ID = ?"), {member}), 0);
    deadline(QStringLiteral("Rinnovo patente"), QDate(2026, 3, 1), QDate(2026, 4, 1));

    ASSERT_TRUE(shell::deleteRegistryRow(archive(), staffRegistry(), member));
    for (const char *table : {"PersonaleScadenze", "PersonaleCosti", "PersonaleStipendi"})
        EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE Personale_ID = ?")
                            .arg(QLatin1StringView(table)),
                        {member}),
                  0)
            << table;
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Personale WHERE Id = ?"), {member}), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM PersonaleScadenze WHERE Personale_ID = ?"), {other}),
              2)
        << "another member's rows stay";
}

TEST_F(Staff, AMemberNamedByJobOrdersOrVehiclesIsKeptWithAllItsRows)
{
    deadline(QStringLiteral("Rinnovo patente"), QDate(2026, 3, 1), QDate(2026, 4, 1));
    test::addRow(archive(), QStringLiteral("TotaliCo"),
                 {{QStringLiteral("Numero"), 7},
                  {QStringLiteral("Personale2_ID"), member},
                  {QStringLiteral("Storico"), false}});
    const core::Status refused = shell::deleteRegistryRow(archive(), staffRegistry(), member);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(),
              QStringLiteral("Attenzione il dipendente è usato in archivio e non può essere eliminato: "
                             "lo si può annullare.\n- Commesse (secondo autista): 1"));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Personale WHERE Id = ?"), {member}), 1);
    EXPECT_EQ(
        count(QStringLiteral("SELECT COUNT(*) FROM PersonaleScadenze WHERE Personale_ID = ?"), {member}), 1);
}

TEST_F(Staff, ARenameReachesEveryCalendarEntryOfTheMember)
{
    const qint64 other = *addStaffMember(archive());
    ASSERT_TRUE(
        saveStaffMember(archive(), other, {{QStringLiteral("Personale"), QStringLiteral("Bianchi")}}));
    for (const qint64 who : {member, member, other})
        test::addRow(archive(), QStringLiteral("Calendario"),
                     {{QStringLiteral("Personale_Id"), who},
                      {QStringLiteral("Personale"),
                       who == member ? QStringLiteral("Rossi Mario") : QStringLiteral("Bianchi")},
                      {QStringLiteral("Data"), QDate(2026, 3, 10)},
                      {QStringLiteral("Conclusa"), false},
                      {QStringLiteral("Storico"), false}});
    ASSERT_TRUE(saveStaffMember(archive(), member,
                                {{QStringLiteral("Personale"), QStringLiteral("Rossi Mario Luigi")}}));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Calendario WHERE Personale = 'Rossi Mario Luigi'")),
              2);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Calendario WHERE Personale = 'Bianchi'")), 1);
}

} // namespace
