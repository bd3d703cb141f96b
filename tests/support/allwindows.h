#pragma once

namespace rotalina::shell::ui {
class WindowRegistry;
}

namespace rotalina::test {

// Registers the windows of the shell and of every business module, as the program does at start-up.
void registerAllWindows(shell::ui::WindowRegistry &windows);

} // namespace rotalina::test
