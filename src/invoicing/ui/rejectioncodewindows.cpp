#include "invoicing/ui/rejectioncodewindows.h"

#include "invoicing/rejectioncodes.h"
#include "shell/ui/registrywindows.h"
#include "shell/ui/windowregistry.h"

namespace rotalina::invoicing::ui {

void registerRejectionCodeWindows(shell::ui::WindowRegistry &windows)
{
    shell::ui::registerRegistryWindows(windows, rejectionCodesRegistry());
}

} // namespace rotalina::invoicing::ui
