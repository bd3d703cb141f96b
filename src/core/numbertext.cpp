#include "core/numbertext.h"

#include <QLocale>
#include <QRegularExpression>

namespace rotalina::core {

QString formatItalianNumber(double value, int decimals)
{
    // A value that shows as zero shows without a sign: never "-0,00".
    if (QString::number(value, 'f', decimals).toDouble() == 0.0)
        value = 0.0;
    return QLocale(QLocale::Italian, QLocale::Italy).toString(value, 'f', decimals);
}

double parseItalianNumber(const QString &text, bool *ok)
{
    QString plain = text.trimmed();
    // Points between groups of three digits are thousands marks: "1.500", "1.234.567".
    static const QRegularExpression grouped(QStringLiteral(R"(^[-+]?[1-9]\d{0,2}(\.\d{3})+$)"));
    if (plain.contains(u','))
        plain.remove(u'.').replace(u',', u'.'); // "1.234,56"
    else if (grouped.match(plain).hasMatch())
        plain.remove(u'.');
    bool parsed = false;
    const double value = plain.toDouble(&parsed);
    if (ok)
        *ok = parsed;
    return parsed ? value : 0.0;
}

} // namespace rotalina::core
