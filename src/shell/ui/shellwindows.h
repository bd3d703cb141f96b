#pragma once

namespace rotalina::shell::ui {

class WindowRegistry;

// Registers the windows of the shell itself (the credits window).
void registerShellWindows(WindowRegistry &registry);

} // namespace rotalina::shell::ui
