#pragma once

namespace rotalina::shell::ui {
class WindowRegistry;
}

namespace rotalina::transport::ui {

// Registers the windows of the transport work: the tariff list and card and their bulk changes.
void registerTransportWindows(shell::ui::WindowRegistry &windows);

} // namespace rotalina::transport::ui
