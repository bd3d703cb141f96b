#pragma once

#include "shell/ui/cardwindow.h"
#include "shell/ui/registrywindows.h"

class QPushButton;
class QTabWidget;

namespace rotalina::shell {
class Session;
}

namespace rotalina::shell::ui {
class DateBox;
class OwnedRowsPanel;
class RecordForm;
class WindowRegistry;
} // namespace rotalina::shell::ui

namespace rotalina::fleet::ui {

// The vehicle list (TfrmVetture): the registry list with a registration-date range, and a delete
// that withdraws a vehicle still in use.
class VehicleListWindow : public shell::ui::RegistryListWindow
{
    Q_OBJECT

public:
    VehicleListWindow(shell::Session &session, const shell::ui::WindowRegistry &windows,
                      QWidget *parent = nullptr);

    void remove() override;

protected:
    bool addListConditions(storage::ListFilter &filter) override;
    void clearFilters() override;

private:
    shell::ui::DateBox *m_from;
    shell::ui::DateBox *m_to;
};

// The vehicle card (TfrmVettureDettaglio): "Generale" with the vehicle's fields, and one page for
// each of its deadlines, fuel cards, costs and refuellings.
class VehicleCardWindow : public shell::ui::FormCardWindow
{
    Q_OBJECT

public:
    VehicleCardWindow(shell::Session &session, const shell::ui::WindowRegistry &windows, qint64 key,
                      bool isNew, QWidget *parent = nullptr);

    QTabWidget *pages() const { return m_pages; }
    shell::ui::OwnedRowsPanel *deadlines() const { return m_panels.at(0); }
    shell::ui::OwnedRowsPanel *cards() const { return m_panels.at(1); }
    shell::ui::OwnedRowsPanel *costs() const { return m_panels.at(2); }
    shell::ui::OwnedRowsPanel *refuellings() const { return m_panels.at(3); }
    bool save() override;
    // The warnings of a plate other vehicles carry, when the plate is left.
    void checkPlate();
    // "Aggiungi" of "Carburante": the tank first when tanks are managed, then the editor.
    void addRefuelling();

protected:
    bool changePage(int page) override;

private:
    shell::Session &m_session;
    const shell::ui::WindowRegistry &m_windows;
    QTabWidget *m_pages;
    QList<shell::ui::OwnedRowsPanel *> m_panels;
};

// Registers the vehicle windows: the list, the card, the editors of its rows and the tank chooser.
void registerVehicleWindows(shell::ui::WindowRegistry &windows);

} // namespace rotalina::fleet::ui
