#include "core/money.h"
#include "core/numbertext.h"

#include <QString>
#include <cmath>
#include <gtest/gtest.h>
#include <random>

using namespace rotalina::core;

// Whatever a box shows must read back as the same number: a tariff of 1.500 km saved again and
// again stays 1.500 km.
TEST(NumberText, WritingAndReadingAreExactInversesForEveryMagnitudeAndDecimals)
{
    std::mt19937_64 random(20261206);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    QList<double> values = {0.0,       0.5,        1.0,        12.5,        999.0,         1000.0,
                            1480.0,    1500.0,     1234567.0,  -1500.0,     0.001,         1234.5678,
                            99999.995, 1e12 + 0.5, -0.0000005, 123456789.1, 2147483648.25, 0.1};
    for (int i = 0; i < 2000; ++i)
        values.append(mantissa(random) * std::pow(10.0, i % 13));
    for (const double value : values) {
        for (int decimals = 0; decimals <= 6; ++decimals) {
            const QString shown = formatItalianNumber(value, decimals);
            bool ok = false;
            const double read = parseItalianNumber(shown, &ok);
            SCOPED_TRACE(testing::Message()
                         << value << " with " << decimals << " decimals: " << qPrintable(shown));
            ASSERT_TRUE(ok);
            EXPECT_EQ(formatItalianNumber(read, decimals), shown);
            EXPECT_NEAR(read, value, 0.5 * std::pow(10.0, -decimals) + std::fabs(value) * 1e-15);
        }
    }
}

TEST(NumberText, ReadsWhatTheOfficeTypes)
{
    const struct
    {
        const char *text;
        double value;
    } cases[] = {{"1.234,56", 1234.56}, {"1234,56", 1234.56},       {"1234.56", 1234.56}, {"12.5", 12.5},
                 {"1.500", 1500},       {"1.234.567", 1234567},     {"0.500", 0.5},       {"-1.500", -1500},
                 {"  7 ", 7},           {"1.234.567,8", 1234567.8}, {"0,05", 0.05},       {"12.50", 12.5}};
    for (const auto &c : cases) {
        bool ok = false;
        EXPECT_DOUBLE_EQ(parseItalianNumber(QString::fromLatin1(c.text), &ok), c.value) << c.text;
        EXPECT_TRUE(ok) << c.text;
    }
    for (const char *wrong : {"abc", "1,2,3", "", "1.2.3,4,5"}) {
        bool ok = true;
        EXPECT_EQ(parseItalianNumber(QString::fromLatin1(wrong), &ok), 0.0) << wrong;
        EXPECT_FALSE(ok) << wrong;
    }
}

TEST(Arrotonda, TinyAmountsRoundToZeroInsteadOfNaN)
{
    for (const double tiny : {1e-296, -1e-300, 4.9e-324, 1e-310, 1e-200})
        EXPECT_EQ(arrotonda(tiny), 0.0) << tiny;
    EXPECT_DOUBLE_EQ(arrotonda(1e-3 + 0.004), 0.01);
}
