#include "fleet/ui/fleetwindows.h"

#include "fleet/ui/calendarwindows.h"
#include "fleet/ui/fleetprintwindows.h"
#include "fleet/ui/staffwindows.h"
#include "fleet/ui/summarywindows.h"
#include "fleet/ui/vehiclewindows.h"

namespace rotalina::fleet::ui {

void registerFleetWindows(shell::ui::WindowRegistry &windows)
{
    registerStaffWindows(windows);
    registerCalendarWindows(windows);
    registerVehicleWindows(windows);
    registerSummaryWindows(windows);
    registerFleetPrintWindows(windows);
}

} // namespace rotalina::fleet::ui
