#include "support/allwindows.h"

#include "registries/ui/registrieswindows.h"
#include "shell/ui/shellwindows.h"
#include "transport/ui/transportwindows.h"

namespace rotalina::test {

void registerAllWindows(shell::ui::WindowRegistry &windows)
{
    shell::ui::registerShellWindows(windows);
    registries::ui::registerRegistriesWindows(windows);
    transport::ui::registerTransportWindows(windows);
}

} // namespace rotalina::test
