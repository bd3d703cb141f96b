#include "core/numbertext.h"

#include <QLocale>

namespace rotalina::core {

QString formatItalianNumber(double value, int decimals)
{
    return QLocale(QLocale::Italian, QLocale::Italy).toString(value, 'f', decimals);
}

double parseItalianNumber(const QString &text, bool *ok)
{
    QString plain = text.trimmed();
    if (plain.contains(u','))
        plain.remove(u'.').replace(u',', u'.'); // "1.234,56"
    bool parsed = false;
    const double value = plain.toDouble(&parsed);
    if (ok)
        *ok = parsed;
    return parsed ? value : 0.0;
}

} // namespace rotalina::core
