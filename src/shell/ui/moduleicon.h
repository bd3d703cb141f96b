#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

namespace rotalina::shell::ui {

// The picture of a module button: a rounded tile in the colour of its page with the module's
// initials, drawn at any size so it stays sharp on every screen.
QIcon moduleIcon(const QString &caption, const QColor &colour);

// The colour of each page of the main window.
QColor pageColour(int page);

} // namespace rotalina::shell::ui
