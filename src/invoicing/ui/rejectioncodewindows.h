#pragma once

namespace rotalina::shell::ui {
class WindowRegistry;
}

namespace rotalina::invoicing::ui {

// The exchange system's rejection codes: their list and the detail of one.
void registerRejectionCodeWindows(shell::ui::WindowRegistry &windows);

} // namespace rotalina::invoicing::ui
