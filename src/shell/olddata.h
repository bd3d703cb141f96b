#pragma once

#include "core/result.h"

#include <QString>

namespace rotalina::storage {
class Archive;
}

namespace rotalina::shell {

// The last day whose documents the clean-up of old data removes: 1 January of this year.
constexpr int oldDataYear = 2024;

QString oldDataQuestion();

// Removes the documents dated up to 1 January of the given year with all their rows, due dates
// and attachments, the calendar, tank fillings, cash book and order references of that period,
// and this workstation's work rows. All in one transaction: it completes or changes nothing.
core::Status deleteOldData(storage::Archive &archive, const QString &workstation, int year = oldDataYear);

} // namespace rotalina::shell
