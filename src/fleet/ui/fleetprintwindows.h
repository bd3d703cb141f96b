#pragma once

namespace rotalina::shell::ui {
class WindowRegistry;
}

namespace rotalina::fleet::ui {

// The print selections of the main window's "Stampe": "TfrmStampaVetture" with the lists of the
// vehicles, their costs and their fuel, and "TfrmStampaPersonale" with the lists of the staff, their
// costs, deadlines and salaries; each opens its summary ("Riepilogo") too.
void registerFleetPrintWindows(shell::ui::WindowRegistry &windows);

} // namespace rotalina::fleet::ui
