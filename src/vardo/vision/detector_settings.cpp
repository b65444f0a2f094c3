#include "vardo/vision/detector_settings.h"

namespace vardo::vision {

DetectorSettings DetectorSettings::read(const Settings& s)
{
    DetectorSettings d;
    d.diffLevel = s.getInt(SettingId::ViewDiffLevel);
    d.compareFrame = s.getInt(SettingId::ViewCompareFrame);
    d.enableExcept = s.getInt(SettingId::ViewEnableExcept) != 0;
    d.captureFolder = s.getString(SettingId::DebugCapture);
    d.logPosition = s.getInt(SettingId::DebugLogPosition) != 0;
    d.emergencyStop = s.getInt(SettingId::AutoEmergencyStop) != 0;
    d.emergencyCount = s.getInt(SettingId::AutoEmergencyCount);
    d.emergencyRange = s.getInt(SettingId::AutoEmergencyRange);
    d.positionRange = s.getInt(SettingId::EventPositionRange);
    return d;
}

} // namespace vardo::vision
