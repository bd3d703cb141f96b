#pragma once

#include <QDate>
#include <QDateTime>
#include <QVariant>

namespace rotalina::storage::sqlvalue {

// The one way dates are bound to statements: the canonical text, which both engines compare
// correctly with their date columns.
QVariant date(const QDate &date);
QVariant endOfDay(const QDate &date); // upper bound of a range: the last second of the day
QVariant dateTime(const QDateTime &dateTime);

// A date read from either engine (canonical text or a date-time value); invalid when empty.
QDate toDate(const QVariant &value);
QDateTime toDateTime(const QVariant &value);

// True for a value that holds a date read from the archive.
bool isDate(const QVariant &value);

} // namespace rotalina::storage::sqlvalue
