#pragma once

namespace rotalina::shell::ui {
class WindowRegistry;
}

namespace rotalina::fleet::ui {

// Registers the windows of the fleet and the staff: vehicles with their deadlines, refuellings and
// costs, the fuel tanks, the staff with their deadlines, the calendar, the print selections of
// vehicles and staff, and the summaries of what a vehicle or a driver earned against what it cost.
void registerFleetWindows(shell::ui::WindowRegistry &windows);

} // namespace rotalina::fleet::ui
