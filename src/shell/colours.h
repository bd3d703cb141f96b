#pragma once

#include <QColor>
#include <QList>
#include <QString>

namespace rotalina::shell {

// Colours are stored as 24-bit integers with red in the lowest byte, then green, then blue; white
// means "no colour".
constexpr int whiteColour = 16777215;

QColor colourFromStored(int stored);
int storedColour(const QColor &colour);
// Whether a stored colour paints anything: above 0 and not white.
bool isPaintedColour(const QVariant &stored);

// The colours the colour pickers offer, in their order, with the names the office knows.
struct NamedColour
{
    QString name;
    int stored;
};
const QList<NamedColour> &standardColours();

} // namespace rotalina::shell
