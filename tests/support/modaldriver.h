#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>

namespace rotalina::test {

// Acts on the next window the program opens modally (a card opened by "Aggiungi"), as a user
// would once it shows: the action gets the window by its name. Call before the click that opens
// it. When no such window opens within a few seconds the action is not run and the test fails.
void whenWindowOpens(const QString &objectName, std::function<void(QDialog &window)> action);

// Types the text into the named line edit (or the editable box) of the window, as keys, then
// leaves it with Tab.
void typeInto(QWidget &window, const QString &editorName, const QString &text);

// Clicks the named button of the window.
void click(QWidget &window, const QString &buttonName);

// The widgets of the window that cover one another, as "name over name" (a label by its text),
// looked at on every page of its tabs as the user would see them: empty when none do.
QStringList overlappingWidgets(QWidget &window);

} // namespace rotalina::test
