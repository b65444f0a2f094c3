#include "vardo/operation/operation_toggles.h"

namespace vardo {

void automaticStop(Operation& operation, Controller& controller)
{
    if (operation.operating())
        operation.stopOperation(EndReason::Emergency);
    else
        controller.performAction(ActionStop);
}

bool toggleEmergencyStop(const Settings& settings)
{
    const bool on = settings.getInt(SettingId::AutoEmergencyStop) == 0;
    settings.writeBool(SettingId::AutoEmergencyStop, on);
    return on;
}

bool toggleControlPoints(const Settings& settings, ControlPoints& controlPoints)
{
    const bool on = settings.getInt(SettingId::AutoControlRegion) == 0;
    settings.writeBool(SettingId::AutoControlRegion, on);
    if (on)
        controlPoints.startWatcher();
    else
        controlPoints.stopWatcher();
    return on;
}

} // namespace vardo
