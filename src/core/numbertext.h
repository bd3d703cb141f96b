#pragma once

#include <QString>

namespace rotalina::core {

// Numbers as the office writes them: "1.234,56" (a point between thousands, a comma before the
// decimals). Reading takes what writing gives for any number of decimals ("1.500" is fifteen
// hundred), and also "1234,56" and "1234.56": a lone point is a decimal point unless it stands
// before groups of exactly three digits.
QString formatItalianNumber(double value, int decimals = 2);
double parseItalianNumber(const QString &text, bool *ok = nullptr);

} // namespace rotalina::core
