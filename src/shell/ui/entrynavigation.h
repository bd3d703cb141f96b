#pragma once

#include <QObject>

class QWidget;

namespace rotalina::shell::ui {

// The data-entry habits of the office, for every window of the program: the field with the
// focus turns aqua and back to white when left; Enter moves to the next field, and in single-line
// fields the down arrow does too while the up arrow goes back; fields marked for it type the
// acute accent "´" when the apostrophe key is pressed.
class EntryNavigation : public QObject
{
    Q_OBJECT

public:
    // Installs the behaviour on the whole application (once).
    static void install();

    // Marks a text field whose apostrophes are typed as "´".
    static void typeAcuteForApostrophe(QWidget *editor);

    // A multi-line field that is only read (the archive path): Enter and the arrows move on as in
    // a single-line field.
    static void navigateLikeALine(QWidget *editor);

    // Leaves Enter and the arrows to the field itself (a field whose Enter closes its window).
    static void keepEnterKey(QWidget *editor);

    static QColor focusColour();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using QObject::QObject;
};

} // namespace rotalina::shell::ui
