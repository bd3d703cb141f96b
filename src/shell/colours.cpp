#include "shell/colours.h"

#include <QVariant>

namespace rotalina::shell {

QColor colourFromStored(int stored)
{
    return QColor(stored & 0xFF, (stored >> 8) & 0xFF, (stored >> 16) & 0xFF);
}

int storedColour(const QColor &colour)
{
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

bool isPaintedColour(const QVariant &stored)
{
    bool number = false;
    const qlonglong value = stored.toLongLong(&number);
    return number && !stored.isNull() && value > 0 && value != whiteColour;
}

const QList<NamedColour> &standardColours()
{
    // The sixteen basic colours but the dark blue; two greens of water, the dark and the light.
    static const QList<NamedColour> colours = {
        {QStringLiteral("Nero"), storedColour(QColor(0, 0, 0))},
        {QStringLiteral("Marrone"), storedColour(QColor(128, 0, 0))},
        {QStringLiteral("Verde"), storedColour(QColor(0, 128, 0))},
        {QStringLiteral("Oliva"), storedColour(QColor(128, 128, 0))},
        {QStringLiteral("Blu marino"), storedColour(QColor(0, 0, 128))},
        {QStringLiteral("Viola"), storedColour(QColor(128, 0, 128))},
        {QStringLiteral("Verde acqua"), storedColour(QColor(0, 128, 128))},
        {QStringLiteral("Grigio"), storedColour(QColor(128, 128, 128))},
        {QStringLiteral("Argento"), storedColour(QColor(192, 192, 192))},
        {QStringLiteral("Rosso"), storedColour(QColor(255, 0, 0))},
        {QStringLiteral("Verde lime"), storedColour(QColor(0, 255, 0))},
        {QStringLiteral("Giallo"), storedColour(QColor(255, 255, 0))},
        {QStringLiteral("Fucsia"), storedColour(QColor(255, 0, 255))},
        {QStringLiteral("Verde acqua"), storedColour(QColor(0, 255, 255))},
        {QStringLiteral("Bianco"), whiteColour}};
    return colours;
}

} // namespace rotalina::shell
