#pragma once

namespace rotalina::shell::ui {
class WindowRegistry;
}

namespace rotalina::registries::ui {

// Registers the windows of the registries: customers, suppliers, the public-administration
// finder, every lookup registry's list and card, and "Tipologie".
void registerRegistriesWindows(shell::ui::WindowRegistry &windows);

} // namespace rotalina::registries::ui
