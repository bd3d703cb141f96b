#pragma once

#include <array>

namespace rotalina::core {

// Rounds a money amount to the cent, halves away from zero. The amount is first read to 15
// significant digits, so that a decimal half stored a little below it (2.345 is held as
// 2.34499999...) still rounds up as the user who typed it expects.
double arrotonda(double value);

// Rounds to the given number of decimals with the same rule.
double roundDecimals(double value, int decimals);

// Up to four discounts in percent, applied in cascade; zero or negative means "no discount".
using Discounts = std::array<double, 4>;

// Net amount of a document row: quantity x unit value less the cascade discounts.
double calcolaImponibile(bool rounding, double quantity, double unitValue, const Discounts &discounts = {});

// Gross amount of a document row: the net amount plus VAT at the given rate; rounded once at the end.
double calcolaPrezzoFinale(bool rounding, double quantity, double unitValue, double vatRate,
                           const Discounts &discounts = {});

// VAT of a document row: the net amount (unrounded) times the rate; 0 without a positive rate.
double calcolaImposta(double quantity, double unitValue, double vatRate, const Discounts &discounts = {});

// Unit value that yields the given gross amount, to four decimals. A discount of 100 % or more
// leaves no unit value to find: the result is 0.
double calcolaValoreUnitario(double quantity, double finalPrice, double vatRate,
                             const Discounts &discounts = {});

} // namespace rotalina::core
