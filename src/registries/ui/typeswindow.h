#pragma once

#include <QDialog>

namespace rotalina::shell {
class Session;
}
namespace rotalina::shell::ui {
class WindowRegistry;
}

namespace rotalina::registries::ui {

// "Tipologie": the small kinds registries, a button each.
class TypesWindow : public QDialog
{
    Q_OBJECT

public:
    TypesWindow(shell::Session &session, const shell::ui::WindowRegistry &windows, QWidget *parent = nullptr);
};

} // namespace rotalina::registries::ui
