#pragma once

#include "shell/ui/cardwindow.h"
#include "shell/ui/registrywindows.h"

class QPushButton;
class QTabWidget;

namespace rotalina::shell {
class Session;
}

namespace rotalina::shell::ui {
class OwnedRowsPanel;
class RecordForm;
class WindowRegistry;
} // namespace rotalina::shell::ui

namespace rotalina::fleet::ui {

// The staff card (TfrmPersonaleDettaglio): "Generale", "Dati Economici" with the rates,
// "Documenti", and the pages of the deadlines, costs and salaries that belong to the member.
class StaffCardWindow : public shell::ui::FormCardWindow
{
    Q_OBJECT

public:
    StaffCardWindow(shell::Session &session, const shell::ui::WindowRegistry &windows, qint64 key, bool isNew,
                    QWidget *parent = nullptr);

    QTabWidget *pages() const { return m_pages; }
    shell::ui::OwnedRowsPanel *deadlines() const { return m_deadlines; }
    shell::ui::OwnedRowsPanel *costs() const { return m_costs; }
    shell::ui::OwnedRowsPanel *salaries() const { return m_salaries; }
    // The "Calcola" buttons of "Dati Economici".
    void computeDailyRate();
    void computeHourlyRate();
    // The toolbar's "Stampa": the privacy statement for the member to sign.
    void printPrivacy();

protected:
    bool changePage(int page) override;

private:
    shell::ui::OwnedRowsPanel *addRowsPage(int index, const QString &caption, int report);

    shell::Session &m_session;
    const shell::ui::WindowRegistry &m_windows;
    QTabWidget *m_pages;
    shell::ui::OwnedRowsPanel *m_deadlines = nullptr;
    shell::ui::OwnedRowsPanel *m_costs = nullptr;
    shell::ui::OwnedRowsPanel *m_salaries = nullptr;
};

void registerStaffWindows(shell::ui::WindowRegistry &windows);

} // namespace rotalina::fleet::ui
