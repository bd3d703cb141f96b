#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

namespace rotalina::core {

// Dates as the office types and reads them (dd/mm/yyyy) and as the archive stores them
// (yyyy-mm-dd hh:mm:ss, which sorts and compares correctly as text).
namespace datetext {

// Reads a day-first date: "31/12/2024", "1/2/2024", "01.02.2024" or "01-02-2024"; a two-digit
// year means 2000 onwards. Empty when the text is not a real date.
std::optional<QDate> parseShortDate(const QString &text);

// "dd/MM/yyyy", or an empty text for an invalid date.
QString formatShortDate(const QDate &date);

// The archive's canonical text of a date-time.
QString canonical(const QDateTime &dateTime);

// The canonical text of a date at the start of the day, or at its last second when the date is
// the upper bound of a range (so that everything of that day is inside the range).
enum class Bound { StartOfDay, EndOfDay };
QString canonical(const QDate &date, Bound bound = Bound::StartOfDay);

// A date written as an SQL literal for the few statements that must be plain text (report
// requests): '2024-12-31 00:00:00'. Both archive engines compare it with their date columns.
QString sqlLiteral(const QDate &date, Bound bound = Bound::StartOfDay);

// A typed day-first date turned into its SQL literal, or an empty text when it is not a date.
QString dataSql(const QString &shortDate, Bound bound = Bound::StartOfDay);

// Reads the canonical text back (also the ISO form with "T" and a date without time).
std::optional<QDateTime> parseCanonical(const QString &text);

} // namespace datetext
} // namespace rotalina::core
