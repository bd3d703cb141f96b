#pragma once

#include <QString>

namespace rotalina::core {

// Numbers as the office writes them: "1.234,56" (a point between thousands, a comma before the
// decimals). Reading also takes "1234,56" and "1234.56".
QString formatItalianNumber(double value, int decimals = 2);
double parseItalianNumber(const QString &text, bool *ok = nullptr);

} // namespace rotalina::core
