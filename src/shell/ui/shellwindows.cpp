#include "shell/ui/shellwindows.h"

#include "shell/ui/creditswindow.h"
#include "shell/ui/windowregistry.h"

namespace rotalina::shell::ui {

void registerShellWindows(WindowRegistry &registry)
{
    registry.add(QStringLiteral("TfrmRealizzazione"), 9000,
                 [](Session &, const QVariantMap &, QWidget *parent) { return new CreditsWindow(parent); });
}

} // namespace rotalina::shell::ui
