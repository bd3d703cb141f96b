#include "shell/historyselection.h"

#include <gtest/gtest.h>

using namespace rotalina::shell;

TEST(HistorySelection, BothDatesAreNeededAndInOneYear)
{
    const QString noStart = QStringLiteral("Attenzione E' necessario definire la data di inizio...");
    const QString noEnd = QStringLiteral("Attenzione E' necessario definire la data di fine...");
    const QString twoYears = QStringLiteral(
        "Attenzione E' necessario che la data di inizio e la data di fine abbiano lo stesso anno...");
    struct Case
    {
        const char *from;
        const char *to;
        YearRule rule;
        QString error;
    };
    const Case cases[] = {
        {"  /  /    ", "31/12/2023", YearRule::SameYear, noStart},
        {"", "31/12/2023", YearRule::AnyYears, noStart},
        {"01/01/2023", "  /  /    ", YearRule::SameYear, noEnd},
        {"15/12/2023", "15/01/2024", YearRule::SameYear, twoYears},
        {"15/12/2023", "15/01/2024", YearRule::AnyYears, QString()}, // purchase invoices may span two years
        {"01/01/2023", "31/12/2023", YearRule::SameYear, QString()},
        {"31/02/2023", "31/12/2023", YearRule::SameYear, noStart},
    };
    for (const Case &c : cases) {
        const auto period = historyPeriod(QString::fromLatin1(c.from), QString::fromLatin1(c.to), c.rule);
        EXPECT_EQ(period.ok() ? QString() : period.error(), c.error) << c.from << " - " << c.to;
    }
}

TEST(HistorySelection, ThePeriodTakesInTheWholeLastDay)
{
    const auto period =
        historyPeriod(QStringLiteral("01/01/2023"), QStringLiteral("31/12/2023"), YearRule::SameYear);
    ASSERT_TRUE(period.ok());
    EXPECT_EQ(period->whereClause(QStringLiteral("DataRegistrazione")),
              QStringLiteral("WHERE DataRegistrazione >= ? AND DataRegistrazione <= ?"));
    EXPECT_EQ(period->parameters(),
              QVariantList({QStringLiteral("2023-01-01 00:00:00"), QStringLiteral("2023-12-31 23:59:59")}));
}

TEST(HistorySelection, TheEndIsProposedAtTheYearsEnd)
{
    EXPECT_EQ(proposedHistoryEnd(QStringLiteral("15/03/2022")), QStringLiteral("31/12/2022"));
    EXPECT_EQ(proposedHistoryEnd(QStringLiteral("15/03/____")), QString());
}
