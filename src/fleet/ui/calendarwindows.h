#pragma once

#include "shell/ui/registrywindows.h"

namespace rotalina::shell {
class Session;
}

namespace rotalina::shell::ui {
class WindowRegistry;
}

namespace rotalina::fleet::ui {

// The calendar list (TfrmGrigliaCalendario): the open entries, or those of a period when opened
// from the history page, found by staff, kind, customer, notes and dates, and exported as an
// iCalendar file.
class CalendarListWindow : public shell::ui::RegistryListWindow
{
    Q_OBJECT

public:
    CalendarListWindow(shell::Session &session, const shell::ui::WindowRegistry &windows,
                       const QVariantMap &parameters, QWidget *parent = nullptr);

    // "Esporta Calendario": the listed entries to a file the user names.
    void exportCalendar();

protected:
    core::Result<qint64> createRow() override;

private:
    bool m_history;
};

void registerCalendarWindows(shell::ui::WindowRegistry &windows);

} // namespace rotalina::fleet::ui
