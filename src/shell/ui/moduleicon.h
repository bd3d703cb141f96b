#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

namespace rotalina::shell::ui {

// The picture of a module button: the icon of the desktop's theme (or of the Breeze theme
// installed with the program) for what the button opens; where there is none, a rounded tile in
// the colour of its page with the module's initials, drawn at any size so it stays sharp.
QIcon moduleIcon(const QString &target, const QString &caption, const QColor &colour);
// The themed icon's name for what a button opens, or an empty name.
QString moduleIconName(const QString &target);
// Makes the Breeze icons the fallback of whatever theme the desktop uses.
void useIconThemeFallback();

// The colour of each page of the main window.
QColor pageColour(int page);

} // namespace rotalina::shell::ui
