#include "transport/ui/transportwindows.h"

#include "transport/ui/deliverynotewindows.h"
#include "transport/ui/jobpicker.h"
#include "transport/ui/jobwindows.h"
#include "transport/ui/loadinglistwindows.h"
#include "transport/ui/ownerdriverwindows.h"
#include "transport/ui/quotewindows.h"
#include "transport/ui/routewindow.h"
#include "transport/ui/schedulewindows.h"
#include "transport/ui/tariffwindows.h"

namespace rotalina::transport::ui {

void registerTransportWindows(shell::ui::WindowRegistry &windows)
{
    registerTariffWindows(windows);
    registerRouteWindow(windows);
    registerJobWindows(windows);
    registerQuoteWindows(windows);
    registerJobPicker(windows);
    registerOwnerDriverWindows(windows);
    registerDeliveryNoteWindows(windows);
    registerLoadingListWindows(windows);
    registerScheduleWindows(windows);
}

} // namespace rotalina::transport::ui
