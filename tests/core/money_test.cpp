#include "core/money.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace rotalina::core;

TEST(Arrotonda, RoundsToTheCentWithHalvesAwayFromZero)
{
    struct Case
    {
        double input;
        double expected;
    };
    const Case cases[] = {
        {2.345, 2.35},
        {-2.345, -2.35},
        {2.344, 2.34},
        {2.3449, 2.34},
        {0.005, 0.01},
        {-0.005, -0.01},
        {1.005, 1.01},
        {0.0, 0.0},
        {-0.004, 0.0},
        {10.0, 10.0},
        {1234567.845, 1234567.85},
        {21.955, 21.96},
        {0.285, 0.29},
        {1.115, 1.12},
        {99999999.995, 100000000.0},
        {-1.5, -1.5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "input " << c.input);
        EXPECT_DOUBLE_EQ(arrotonda(c.input), c.expected);
    }
    EXPECT_FALSE(std::signbit(arrotonda(-0.001))) << "no negative zero on documents";
}

TEST(RowAmounts, NetAndGrossWithCascadeDiscounts)
{
    struct Case
    {
        bool rounding;
        double quantity, unitValue, vat;
        Discounts discounts;
        double net, gross;
    };
    const Case cases[] = {
        {true, 2, 10, 22, {10, 0, 0, 0}, 18.0, 21.96},
        {true, 1, 100, 22, {10, 10, 0, 0}, 81.0, 98.82},
        {true, 1, 100, 0, {50, 50, 50, 50}, 6.25, 6.25},
        {true, 3, 3.333, 10, {}, 10.0, 11.0},
        {false, 3, 3.333, 10, {}, 9.999, 10.9989},
        {true, 0, 10, 22, {}, 0, 0},
        {true, 5, 0, 22, {}, 0, 0},
        {true, 1, 10, 22, {-5, 0, 0, 0}, 10.0, 12.2}, // a negative discount is no discount
        {true, -2, 10, 22, {}, -20.0, -24.4},         // credit rows
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.quantity << " x " << c.unitValue << " vat " << c.vat);
        EXPECT_NEAR(calcolaImponibile(c.rounding, c.quantity, c.unitValue, c.discounts), c.net, 1e-9);
        EXPECT_NEAR(calcolaPrezzoFinale(c.rounding, c.quantity, c.unitValue, c.vat, c.discounts), c.gross,
                    1e-9);
    }
}

TEST(RowAmounts, GrossIsRoundedOnceAtTheEnd)
{
    // 0.125 net rounded first would give 0.13 and 0.16 gross; rounding once gives 0.15.
    EXPECT_DOUBLE_EQ(calcolaPrezzoFinale(true, 1, 0.125, 22), 0.15);
}

TEST(UnitValue, InvertsTheGrossAmount)
{
    struct Case
    {
        double quantity, finalPrice, vat;
        Discounts discounts;
        double expected;
    };
    const Case cases[] = {
        {2, 21.96, 22, {10, 0, 0, 0}, 10.0},   {1, 100, 0, {}, 100.0}, {3, 10, 0, {}, 3.3333},
        {1, 98.82, 22, {10, 10, 0, 0}, 100.0}, {0, 10, 22, {}, 0},     {2, 0, 22, {}, 0},
        {1, 50, 22, {100, 0, 0, 0}, 0}, // nothing to find behind a full discount
        {1, 50, 22, {10, 120, 0, 0}, 0},       {7, 1, 0, {}, 0.1429},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.quantity << " for " << c.finalPrice << " vat " << c.vat);
        EXPECT_NEAR(calcolaValoreUnitario(c.quantity, c.finalPrice, c.vat, c.discounts), c.expected, 1e-9);
    }
}

TEST(UnitValue, RoundTripsThroughTheGrossAmount)
{
    for (double unit : {0.01, 1.2345, 19.99, 250.0, 1234.5678}) {
        for (double vat : {0.0, 4.0, 10.0, 22.0}) {
            const double gross = calcolaPrezzoFinale(false, 4, unit, vat, {5, 2, 0, 0});
            EXPECT_NEAR(calcolaValoreUnitario(4, gross, vat, {5, 2, 0, 0}), unit, 1e-9)
                << unit << " vat " << vat;
        }
    }
}
