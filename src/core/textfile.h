#pragma once

#include "core/result.h"

#include <QString>

namespace rotalina::core {

// Writes a text file in UTF-8 with the line feeds it holds (no carriage returns added), replacing
// the file only when the whole text was written.
Status writeTextFile(const QString &path, const QString &text);

// Reads a whole UTF-8 text file.
Result<QString> readTextFile(const QString &path);

} // namespace rotalina::core
