#pragma once

#include <QChar>
#include <QString>

namespace rotalina::core {

// Pieces of a text separated by one character. A text that does not end with the separator is
// read as if it did, so "a;b" and "a;b;" both have two pieces; pieces are not trimmed.
int contaCampi(const QString &text, QChar separator);

// The 1-based piece of the text; empty when the text is empty or the piece does not exist.
QString estraiCampo(const QString &text, int piece, QChar separator);

// The text shown in a grid cell for a long-text field: its first 100 characters.
QString convertiMemo(const QString &longText);

} // namespace rotalina::core
