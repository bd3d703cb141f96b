#include "core/money.h"

#include <cmath>

namespace rotalina::core {

namespace {

// The value read back to 15 significant digits: removes the binary representation error of
// amounts typed in decimal without touching any digit a user can see.
double toSignificantDigits(double value)
{
    if (value == 0.0 || !std::isfinite(value))
        return value;
    const int magnitude = static_cast<int>(std::ceil(std::log10(std::fabs(value))));
    const int shift = 15 - magnitude;
    if (shift <= 0)
        return value;
    const double scale = std::pow(10.0, shift);
    // Amounts so small that the scale overflows have no digit to clean (they round to zero).
    if (!std::isfinite(scale))
        return value;
    return std::round(value * scale) / scale;
}

double roundHalfAwayFromZero(double scaled)
{
    const double snapped = toSignificantDigits(scaled);
    const double rounded = snapped > 0 ? std::trunc(snapped + 0.5) : std::trunc(snapped - 0.5);
    return rounded == 0.0 ? 0.0 : rounded; // no negative zero
}

double applyDiscounts(double amount, const Discounts &discounts)
{
    for (double discount : discounts) {
        if (discount > 0)
            amount -= 0.01 * amount * discount;
    }
    return amount;
}

} // namespace

double roundDecimals(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return roundHalfAwayFromZero(value * scale) / scale;
}

double arrotonda(double value)
{
    return roundDecimals(value, 2);
}

double calcolaImponibile(bool rounding, double quantity, double unitValue, const Discounts &discounts)
{
    if (quantity == 0 || unitValue == 0)
        return 0;
    const double net = applyDiscounts(quantity * unitValue, discounts);
    return rounding ? arrotonda(net) : net;
}

double calcolaPrezzoFinale(bool rounding, double quantity, double unitValue, double vatRate,
                           const Discounts &discounts)
{
    double gross = calcolaImponibile(false, quantity, unitValue, discounts);
    if (vatRate > 0)
        gross += 0.01 * gross * vatRate;
    return rounding ? arrotonda(gross) : gross;
}

double calcolaImposta(double quantity, double unitValue, double vatRate, const Discounts &discounts)
{
    if (vatRate <= 0)
        return 0;
    return calcolaImponibile(false, quantity, unitValue, discounts) * vatRate * 0.01;
}

double calcolaValoreUnitario(double quantity, double finalPrice, double vatRate, const Discounts &discounts)
{
    if (finalPrice == 0 || quantity == 0)
        return 0;
    double price = vatRate == 0 ? finalPrice : finalPrice / (1 + 0.01 * vatRate);
    for (double discount : discounts) {
        if (discount >= 100)
            return 0;
        if (discount > 0)
            price = price * 100 / (100 - discount);
    }
    return roundDecimals(price / quantity, 4);
}

} // namespace rotalina::core
