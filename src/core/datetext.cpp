#include "core/datetext.h"

#include <QRegularExpression>

namespace rotalina::core::datetext {

namespace {
const QString canonicalFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
}

std::optional<QDate> parseShortDate(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*(\d{1,2})[/.\-](\d{1,2})[/.\-](\d{2}|\d{4})\s*$)"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    int year = match.captured(3).toInt();
    if (match.captured(3).size() == 2)
        year += 2000;
    const QDate date(year, match.captured(2).toInt(), match.captured(1).toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QString formatShortDate(const QDate &date)
{
    return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

QString canonical(const QDateTime &dateTime)
{
    return dateTime.toString(canonicalFormat);
}

QString canonical(const QDate &date, Bound bound)
{
    const QTime time = bound == Bound::EndOfDay ? QTime(23, 59, 59) : QTime(0, 0, 0);
    return canonical(QDateTime(date, time));
}

QString sqlLiteral(const QDate &date, Bound bound)
{
    return u'\'' + canonical(date, bound) + u'\'';
}

QString dataSql(const QString &shortDate, Bound bound)
{
    const std::optional<QDate> date = parseShortDate(shortDate);
    return date ? sqlLiteral(*date, bound) : QString();
}

std::optional<QDateTime> parseCanonical(const QString &text)
{
    const QString trimmed = text.trimmed();
    QDateTime parsed = QDateTime::fromString(trimmed, canonicalFormat);
    if (!parsed.isValid())
        parsed = QDateTime::fromString(trimmed, Qt::ISODate);
    if (!parsed.isValid()) {
        const QDate date = QDate::fromString(trimmed.left(10), Qt::ISODate);
        if (date.isValid() && trimmed.size() == 10)
            parsed = QDateTime(date, QTime(0, 0));
    }
    if (!parsed.isValid())
        return std::nullopt;
    return parsed;
}

} // namespace rotalina::core::datetext
