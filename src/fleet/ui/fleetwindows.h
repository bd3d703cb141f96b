#pragma once

namespace rotalina::shell::ui {
class WindowRegistry;
}

namespace rotalina::fleet::ui {

// Registers the windows of the fleet and the staff: vehicles with their deadlines, refuellings and
// costs, the fuel tanks, the staff with their deadlines, and the calendar.
void registerFleetWindows(shell::ui::WindowRegistry &windows);

} // namespace rotalina::fleet::ui
