#include "core/datetext.h"

#include <gtest/gtest.h>

using namespace rotalina::core::datetext;

TEST(DateText, ReadsDayFirstDates)
{
    struct Case
    {
        const char *text;
        QDate expected;
    };
    const Case cases[] = {
        {"31/12/2024", QDate(2024, 12, 31)}, {"01/02/2024", QDate(2024, 2, 1)},
        {"1/2/2024", QDate(2024, 2, 1)},     {"05.01.2024", QDate(2024, 1, 5)},
        {"29/02/2024", QDate(2024, 2, 29)},  {"3/4/25", QDate(2025, 4, 3)},
        {" 07/08/2023 ", QDate(2023, 8, 7)},
    };
    for (const Case &c : cases)
        EXPECT_EQ(parseShortDate(QString::fromUtf8(c.text)), c.expected) << c.text;
    for (const char *bad : {"29/02/2023", "32/01/2024", "12/13/2024", "", "  /  /    ", "2024-01-05", "abc"})
        EXPECT_FALSE(parseShortDate(QString::fromUtf8(bad)).has_value()) << bad;
}

TEST(DateText, WritesTheArchiveFormAndTheSqlLiteral)
{
    EXPECT_EQ(dataSql(QStringLiteral("31/12/2024")), QStringLiteral("'2024-12-31 00:00:00'"));
    EXPECT_EQ(dataSql(QStringLiteral("01/02/2024")), QStringLiteral("'2024-02-01 00:00:00'"));
    EXPECT_EQ(dataSql(QStringLiteral("01/02/2024"), Bound::EndOfDay),
              QStringLiteral("'2024-02-01 23:59:59'"));
    EXPECT_EQ(dataSql(QStringLiteral("not a date")), QString());
    EXPECT_EQ(canonical(QDateTime(QDate(2024, 3, 14), QTime(9, 5, 0))),
              QStringLiteral("2024-03-14 09:05:00"));
    EXPECT_EQ(formatShortDate(QDate(2024, 1, 5)), QStringLiteral("05/01/2024"));
    EXPECT_EQ(formatShortDate(QDate()), QString());
}

TEST(DateText, CanonicalTextsSortAsTheirDates)
{
    const QString earlier = canonical(QDate(2023, 12, 31), Bound::EndOfDay);
    const QString later = canonical(QDate(2024, 1, 1));
    EXPECT_LT(earlier, later);
    EXPECT_LT(canonical(QDate(2024, 9, 30)), canonical(QDate(2024, 10, 1)));
}

TEST(DateText, ReadsTheArchiveFormBack)
{
    EXPECT_EQ(parseCanonical(QStringLiteral("2024-03-14 09:05:00")),
              QDateTime(QDate(2024, 3, 14), QTime(9, 5)));
    EXPECT_EQ(parseCanonical(QStringLiteral("2024-03-14T09:05:00")),
              QDateTime(QDate(2024, 3, 14), QTime(9, 5)));
    EXPECT_EQ(parseCanonical(QStringLiteral("2024-03-14")), QDateTime(QDate(2024, 3, 14), QTime(0, 0)));
    EXPECT_FALSE(parseCanonical(QStringLiteral("14/03/2024")).has_value());
}
