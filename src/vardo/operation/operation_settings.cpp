#include "vardo/operation/operation_settings.h"

namespace vardo {

OperationSettings OperationSettings::read(const Settings& settings)
{
    OperationSettings s;
    s.positionRange = settings.getInt(SettingId::EventPositionRange);
    s.homeOffset = settings.getInt(SettingId::EventHomeOffset);
    s.checkControl = settings.getInt(SettingId::AutoCheckControl) == 1;
    s.controlRegion = settings.getInt(SettingId::AutoControlRegion) == 1;
    s.simulationSpeed = settings.getInt(SettingId::SimulationSpeed);
    s.turnSpeed = settings.getInt(SettingId::ServoTurnSpeed);
    return s;
}

TimeOfDay localTimeOfDay()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_hour, local.tm_min, local.tm_sec};
}

} // namespace vardo
