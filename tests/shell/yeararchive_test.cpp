#include "shell/yeararchive.h"
#include "support/testarchive.h"

#include <gtest/gtest.h>

using namespace rotalina;
using namespace rotalina::shell;

namespace {

class YearArchive : public ::testing::Test
{
protected:
    void SetUp() override { archive = test::newArchive(); }

    qint64 add(const char *table, const QVariantMap &values)
    {
        return test::addRow(*archive, QString::fromLatin1(table), values);
    }

    bool inHistory(const char *table, qint64 key)
    {
        const storage::TableDef *def = archive->schema().table(QString::fromLatin1(table));
        return archive
            ->scalar(QStringLiteral("SELECT Storico FROM %1 WHERE %2 = ?").arg(def->name, def->keyName()),
                     {key})
            .value()
            .toBool();
    }

    std::unique_ptr<storage::Archive> archive;
};

QDateTime at(int y, int m, int d, int h = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, 0));
}

} // namespace

TEST_F(YearArchive, OnTheFirstOfJanuaryLastYearIsHistoryAndTodayIsNot)
{
    const qint64 lastDay = add("fattura", {{QStringLiteral("Data"), at(2023, 12, 31, 18)}});
    const qint64 newYear =
        add("fattura", {{QStringLiteral("Data"), at(2024, 1, 1)}, {QStringLiteral("Storico"), true}});
    const qint64 cash = add("finanzia", {{QStringLiteral("Data"), at(2023, 12, 31)}});
    const qint64 job = add("TotaliCo", {{QStringLiteral("Data"), at(2023, 6, 1)}});
    const qint64 quote =
        add("PreventiTestata", {{QStringLiteral("Data"), at(2024, 1, 1)}, {QStringLiteral("Storico"), true}});
    const qint64 list = add("DistinteCaricoTestata", {{QStringLiteral("Data"), at(2023, 2, 2)}});
    ASSERT_TRUE(markClosedYears(*archive, QDate(2024, 1, 1)).ok());
    EXPECT_TRUE(inHistory("fattura", lastDay));
    EXPECT_FALSE(inHistory("fattura", newYear));
    EXPECT_TRUE(inHistory("finanzia", cash));
    EXPECT_TRUE(inHistory("TotaliCo", job));
    EXPECT_FALSE(inHistory("PreventiTestata", quote));
    EXPECT_TRUE(inHistory("DistinteCaricoTestata", list));
}

TEST_F(YearArchive, PurchasesGoByTheirRegistrationDate)
{
    const qint64 registeredInJanuary = add("fattura", {{QStringLiteral("Carico"), true},
                                                       {QStringLiteral("Data"), at(2023, 12, 20)},
                                                       {QStringLiteral("DataRegistrazione"), at(2024, 1, 8)},
                                                       {QStringLiteral("Storico"), true}});
    const qint64 registeredInDecember =
        add("fattura", {{QStringLiteral("Carico"), true},
                        {QStringLiteral("Data"), at(2023, 12, 1)},
                        {QStringLiteral("DataRegistrazione"), at(2023, 12, 28)}});
    const qint64 saleInDecember = add("fattura", {{QStringLiteral("Data"), at(2023, 12, 20)}});
    ASSERT_TRUE(markClosedYears(*archive, QDate(2024, 3, 1)).ok());
    EXPECT_FALSE(inHistory("fattura", registeredInJanuary));
    EXPECT_TRUE(inHistory("fattura", registeredInDecember));
    EXPECT_TRUE(inHistory("fattura", saleInDecember));
}

TEST_F(YearArchive, OnlyConcludedCalendarEntriesGoToHistory)
{
    const qint64 concluded =
        add("Calendario", {{QStringLiteral("Data"), at(2023, 5, 5)}, {QStringLiteral("Conclusa"), true}});
    const qint64 open = add("Calendario", {{QStringLiteral("Data"), at(2023, 5, 5)}});
    const qint64 reopened =
        add("Calendario", {{QStringLiteral("Data"), at(2024, 2, 2)}, {QStringLiteral("Storico"), true}});
    ASSERT_TRUE(markClosedYears(*archive, QDate(2024, 3, 1)).ok());
    EXPECT_TRUE(inHistory("Calendario", concluded));
    EXPECT_FALSE(inHistory("Calendario", open));
    EXPECT_FALSE(inHistory("Calendario", reopened));
}

TEST_F(YearArchive, TransportDocumentsOfLaterYearsComeBackToo)
{
    const qint64 old = add("Ddt", {{QStringLiteral("Data"), at(2023, 3, 3)}});
    const qint64 future =
        add("Ddt", {{QStringLiteral("Data"), at(2025, 3, 3)}, {QStringLiteral("Storico"), true}});
    const qint64 futureInvoice =
        add("fattura", {{QStringLiteral("Data"), at(2025, 3, 3)}, {QStringLiteral("Storico"), true}});
    ASSERT_TRUE(markClosedYears(*archive, QDate(2024, 3, 1)).ok());
    EXPECT_TRUE(inHistory("Ddt", old));
    EXPECT_FALSE(inHistory("Ddt", future));
    EXPECT_TRUE(inHistory("fattura", futureInvoice)) << "documents of later years keep their flag";
}

TEST_F(YearArchive, ThePaidFlagFollowsThePaymentDate)
{
    const qint64 paidNotFlagged = add("FatturaScadenze", {{QStringLiteral("DataPagamento"), at(2024, 1, 5)}});
    const qint64 flaggedNotPaid = add("FatturaScadenze", {{QStringLiteral("Pagato"), true}});
    ASSERT_TRUE(markClosedYears(*archive, QDate(2024, 3, 1)).ok());
    const auto paid = [&](qint64 key) {
        return archive->scalar(QStringLiteral("SELECT Pagato FROM FatturaScadenze WHERE Id = ?"), {key})
            .value()
            .toBool();
    };
    EXPECT_TRUE(paid(paidNotFlagged));
    EXPECT_FALSE(paid(flaggedNotPaid));
}

TEST_F(YearArchive, RunningItAgainChangesNothing)
{
    add("fattura", {{QStringLiteral("Data"), at(2023, 1, 1)}});
    add("fattura", {{QStringLiteral("Data"), at(2024, 1, 1)}});
    ASSERT_TRUE(markClosedYears(*archive, QDate(2024, 6, 1)).ok());
    const auto flagged = [&] {
        return archive->scalar(QStringLiteral("SELECT COUNT(*) FROM fattura WHERE Storico = true"))
            .value()
            .toInt();
    };
    EXPECT_EQ(flagged(), 1);
    ASSERT_TRUE(markClosedYears(*archive, QDate(2024, 6, 1)).ok());
    EXPECT_EQ(flagged(), 1);
}
