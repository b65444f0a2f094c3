#include "vardo/app/detection_host_impl.h"

#include <utility>

namespace vardo {

ControlDetectionHost::ControlDetectionHost(Controller& controller, Operation& operation,
                                           SpeedControl& speed, DetectionHostHooks hooks)
    : controller_(controller), operation_(operation), speed_(speed), hooks_(std::move(hooks))
{
}

bool ControlDetectionHost::simulationMode() const
{
    return hooks_.simulationMode && hooks_.simulationMode();
}

vision::DisplayMode ControlDetectionHost::displayMode() const
{
    return hooks_.displayMode ? hooks_.displayMode() : vision::DisplayMode::Live;
}

vision::DisplaySubMode ControlDetectionHost::displaySubMode() const
{
    return hooks_.displaySubMode ? hooks_.displaySubMode() : vision::DisplaySubMode::Centroid;
}

bool ControlDetectionHost::speedControlEnabled() const
{
    return hooks_.speedControlEnabled && hooks_.speedControlEnabled();
}

} // namespace vardo
