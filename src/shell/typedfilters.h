#pragma once

#include "core/result.h"

#include <QString>

namespace rotalina::storage {
class ListFilter;
}

namespace rotalina::shell {

// The search boxes of the document lists and pickers, read as the office types them.

// What a box asks: nothing when it is blank or holds only "*".
QString typedSearch(const QString &typed);
// A whole number compared with the field ("=", ">=", "<="); a box that holds no number is refused
// with a message naming it by its caption.
core::Status addTypedNumber(storage::ListFilter &filter, const QString &field, const QString &typed,
                            const QString &caption, const char *comparison);
// A date (gg/mm/aaaa) from which, or up to which with its whole day, the field is kept; a box
// that holds no real date is refused with a message naming it.
core::Status addTypedDate(storage::ListFilter &filter, const QString &field, const QString &typed,
                          const QString &caption, bool upTo);

} // namespace rotalina::shell
