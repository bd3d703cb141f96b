#include "core/taxcodes.h"

#include <QRegularExpression>

namespace rotalina::core {

bool isValidPartitaIva(const QString &number)
{
    if (number.size() != 11)
        return false;
    int sum = 0;
    for (int i = 0; i < 10; ++i) {
        if (!number.at(i).isDigit())
            return false;
        int digit = number.at(i).digitValue();
        if (i % 2 == 1) {
            digit *= 2;
            if (digit > 9)
                digit -= 9;
        }
        sum += digit;
    }
    return number.at(10).isDigit() && number.at(10).digitValue() == (10 - sum % 10) % 10;
}

namespace {

// Letters that stand for the digits 0-9 in the variants of a fiscal code.
const QString omocodia = QStringLiteral("LMNPQRSTUV");

int oddValue(QChar c)
{
    static const int values[] = {1,  0,  5, 7, 9, 13, 15, 17, 19, 21, 2,  4,  18,
                                 20, 11, 3, 6, 8, 12, 14, 16, 10, 22, 25, 24, 23};
    const int index = c.isDigit() ? c.digitValue() : c.unicode() - u'A';
    return values[index];
}

int evenValue(QChar c)
{
    return c.isDigit() ? c.digitValue() : c.unicode() - u'A';
}

// The digit a position holds, whether written as a digit or as its omocodia letter; -1 otherwise.
int digitAt(const QString &code, int position)
{
    const QChar c = code.at(position);
    if (c.isDigit())
        return c.digitValue();
    const qsizetype letter = omocodia.indexOf(c);
    return static_cast<int>(letter);
}

} // namespace

bool isValidCodiceFiscale(const QString &code)
{
    const QString upper = code.trimmed().toUpper();
    if (upper.size() == 11)
        return isValidPartitaIva(upper);
    static const QRegularExpression shape(QStringLiteral(
        "^[A-Z]{6}[0-9LMNPQRSTUV]{2}[ABCDEHLMPRST][0-9LMNPQRSTUV]{2}[A-Z][0-9LMNPQRSTUV]{3}[A-Z]$"));
    if (!shape.match(upper).hasMatch())
        return false;
    // A date of birth that exists: the day (plus 40 for women) in the month of its letter; the
    // 29th of February only in a year divisible by four, whatever its century.
    static const QString months = QStringLiteral("ABCDEHLMPRST");
    const int month = static_cast<int>(months.indexOf(upper.at(8))) + 1;
    const int year = digitAt(upper, 6) * 10 + digitAt(upper, 7);
    int day = digitAt(upper, 9) * 10 + digitAt(upper, 10);
    if (day > 40)
        day -= 40;
    static const int longest[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (day < 1 || day > longest[month - 1] || (month == 2 && day == 29 && year % 4 != 0))
        return false;
    int sum = 0;
    for (int i = 0; i < 15; ++i)
        sum += i % 2 == 0 ? oddValue(upper.at(i)) : evenValue(upper.at(i));
    return upper.at(15) == QChar(u'A' + sum % 26);
}

QString invalidPartitaIvaMessage()
{
    return QStringLiteral("Attenzione la partita Iva appena inserita non è valida!!!");
}

QString invalidCodiceFiscaleMessage()
{
    return QStringLiteral("Attenzione il codice fiscale appena inserito non è valido!!!");
}

} // namespace rotalina::core
