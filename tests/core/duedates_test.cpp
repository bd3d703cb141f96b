#include "core/documenttotals.h"
#include "core/duedates.h"
#include "core/money.h"

#include <gtest/gtest.h>
#include <numeric>

using namespace rotalina::core;

TEST(DueDates, CalendarAndCommercialYearWithAndWithoutEndOfMonth)
{
    struct Case
    {
        QDate base;
        int days;
        DueDateRule rule;
        QDate expected;
    };
    const DueDateRule plain{};
    const DueDateRule endOfMonth{true, false, false};
    const DueDateRule endOfMonthFirst{true, true, false};
    const DueDateRule commercial{false, false, true};
    const DueDateRule commercialEnd{true, false, true};
    const DueDateRule commercialEndFirst{true, true, true};
    const Case cases[] = {
        // The examples of the office.
        {QDate(2023, 1, 31), 30, endOfMonth, QDate(2023, 3, 31)},
        {QDate(2023, 1, 31), 30, endOfMonthFirst, QDate(2023, 3, 2)},
        {QDate(2023, 1, 31), 60, commercial, QDate(2023, 3, 31)},
        {QDate(2023, 1, 31), 45, commercial, QDate(2023, 3, 15)},
        {QDate(2023, 1, 31), 0, plain, QDate(2023, 1, 31)},
        {QDate(2023, 1, 31), 30, plain, QDate(2023, 3, 2)},
        // The same from 29 February 2024 (a leap day).
        {QDate(2024, 2, 29), 30, plain, QDate(2024, 3, 30)},
        {QDate(2024, 2, 29), 30, endOfMonth, QDate(2024, 3, 31)},
        {QDate(2024, 2, 29), 30, endOfMonthFirst, QDate(2024, 3, 30)},
        {QDate(2024, 2, 29), 60, commercial, QDate(2024, 4, 29)},
        {QDate(2024, 2, 29), 45, commercial, QDate(2024, 4, 13)},
        {QDate(2024, 2, 29), 360, commercial, QDate(2025, 2, 28)},
        {QDate(2024, 2, 29), 60, commercialEnd, QDate(2024, 4, 30)},
        {QDate(2024, 2, 29), 45, commercialEnd, QDate(2024, 4, 30)},
        {QDate(2024, 2, 29), 45, commercialEndFirst, QDate(2024, 4, 15)},
        {QDate(2024, 2, 29), 90, endOfMonthFirst, QDate(2024, 5, 29)},
        {QDate(2024, 2, 29), 365, plain, QDate(2025, 2, 28)},
        // Across the year end.
        {QDate(2024, 12, 15), 30, endOfMonth, QDate(2025, 1, 31)},
        {QDate(2024, 12, 31), 60, commercial, QDate(2025, 2, 28)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message()
                     << qPrintable(c.base.toString(Qt::ISODate)) << " + " << c.days << " fine mese "
                     << c.rule.endOfMonth << " prima " << c.rule.endOfMonthFirst << " commerciale "
                     << c.rule.commercialYear);
        EXPECT_EQ(dueDate(c.base, c.days, c.rule), c.expected);
    }
    EXPECT_FALSE(dueDate(QDate(), 30, plain).isValid());
}

TEST(DueDates, InstalmentsAddUpToTheAmountTheySplit)
{
    EXPECT_EQ(splitInstalments(100.0, 3), QList<double>({33.33, 33.33, 33.34}));
    EXPECT_EQ(splitInstalments(100.0, 0), QList<double>({100.0}));
    EXPECT_EQ(splitInstalments(100.0, 1), QList<double>({100.0}));
    EXPECT_EQ(splitInstalments(0.02, 3), QList<double>({0.01, 0.01, 0.0}));
    EXPECT_EQ(splitInstalments(-100.0, 3), QList<double>({-33.33, -33.33, -33.34}));
    for (const double amount : {1631.0, 0.01, 999999.99, 1234.57, 7.0, 100.05}) {
        for (int count = 1; count <= 12; ++count) {
            const QList<double> parts = splitInstalments(amount, count);
            ASSERT_EQ(parts.size(), count);
            EXPECT_EQ(arrotonda(std::accumulate(parts.cbegin(), parts.cend(), 0.0)), amount)
                << amount << " in " << count;
        }
    }
}

TEST(DocumentTotals, RowsAreSummedUnroundedAndTheSumsRounded)
{
    // Two rows of half a cent make a cent.
    const DocumentTotals halves = documentTotals({{1.0, 0.005, 0, 0, 0, 0}, {1.0, 0.005, 0, 0, 0, 0}});
    EXPECT_DOUBLE_EQ(halves.taxable, 0.01);
    // 18.25 at 22 % is 4.015 of VAT: 4.02, whatever the binary form of 4.015.
    const DocumentTotals vat = documentTotals({{1.0, 18.25, 0, 22, 0, 0}});
    EXPECT_DOUBLE_EQ(vat.vat, 4.02);
    EXPECT_DOUBLE_EQ(vat.total, 22.27);
    // A row without quantity counts only for parcels and commissions.
    const DocumentTotals mixed = documentTotals(
        {{2.0, 100, 10, 22, 3, 1.5}, {std::nullopt, 500, 0, 22, 2, 0.25}, {1.0, 50, 0, 0, 0, 0}});
    EXPECT_DOUBLE_EQ(mixed.taxable, 230.0);
    EXPECT_DOUBLE_EQ(mixed.vat, 39.6);
    EXPECT_DOUBLE_EQ(mixed.total, 269.6);
    EXPECT_DOUBLE_EQ(mixed.parcels, 5.0);
    EXPECT_DOUBLE_EQ(mixed.commission, 1.75);
    EXPECT_EQ(calcolaPrezzoFinale(true, 1, 100, 22, {10, 0, 0, 0}), 109.8);
    EXPECT_EQ(calcolaValoreUnitario(1, 122, 22), 100.0);
}
