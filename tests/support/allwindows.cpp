#include "support/allwindows.h"

#include "fleet/ui/fleetwindows.h"
#include "invoicing/ui/invoicingwindows.h"
#include "purchases/ui/purchasewindows.h"
#include "registries/ui/registrieswindows.h"
#include "shell/ui/shellwindows.h"
#include "transport/ui/transportwindows.h"

namespace rotalina::test {

void registerAllWindows(shell::ui::WindowRegistry &windows)
{
    shell::ui::registerShellWindows(windows);
    registries::ui::registerRegistriesWindows(windows);
    transport::ui::registerTransportWindows(windows);
    fleet::ui::registerFleetWindows(windows);
    invoicing::ui::registerInvoicingWindows(windows);
    purchases::ui::registerPurchaseWindows(windows);
}

} // namespace rotalina::test
