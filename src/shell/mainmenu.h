#pragma once

#include <QList>
#include <QString>

namespace rotalina::shell {

// The buttons of the main window's tab pages and what each one opens.
struct MenuButton
{
    enum class Kind {
        Window,   // opens the named window or command of the window registry
        History,  // a history selection: checks the period, then opens the list window
        DueDates, // a list of the due-date book
        Video,    // a tutorial video
        Companion // a companion program beside this one
    };

    QString tab;        // caption of the tab page
    QString group;      // caption of the group on the page, or empty
    QString objectName; // the button's name
    QString caption;
    QString hint; // the tooltip, when it says more than the caption
    Kind kind = Kind::Window;
    QString target; // window or command name; video file; companion program
    // History selections: the statement with %1 for the period condition, and the date field.
    QString statement;
    QString dateField;
    bool sameYear = true;
    // Due-date lists: the condition, the caption of the list and its party column.
    QString condition;
    QString listCaption;
    QString partyColumn;
    QStringList arguments; // companion programs
};

// The tab pages in order.
QStringList mainMenuTabs();
// Every button of every page, page by page.
const QList<MenuButton> &mainMenuButtons();

} // namespace rotalina::shell
