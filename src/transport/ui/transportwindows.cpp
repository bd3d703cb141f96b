#include "transport/ui/transportwindows.h"

#include "transport/ui/tariffwindows.h"

namespace rotalina::transport::ui {

void registerTransportWindows(shell::ui::WindowRegistry &windows)
{
    registerTariffWindows(windows);
}

} // namespace rotalina::transport::ui
