#pragma once

#include "shell/duedatereminder.h"

#include <QDialog>
#include <QList>

class QTableWidget;

namespace rotalina::shell {
class Session;
}

namespace rotalina::shell::ui {

class WindowRegistry;

// TfrmPromemoriaScadenze: what is due, shown at start-up. A double click on a row opens the
// window that edits it.
class ReminderWindow : public QDialog
{
    Q_OBJECT

public:
    ReminderWindow(Session &session, const WindowRegistry &windows, const QList<ReminderList> &lists,
                   QWidget *parent = nullptr);

    // Opens the record of a row of a list (what a double click does); false when the row has no
    // key or its window does not exist yet.
    bool openRow(int list, int row);

    QTableWidget *grid(int list) const { return m_grids.value(list); }

private:
    Session &m_session;
    const WindowRegistry &m_windows;
    QList<ReminderList> m_lists;
    QList<QTableWidget *> m_grids;
};

} // namespace rotalina::shell::ui
