#include "vardo/app/sdk_host_impl.h"

#include "common/string_table.h"
#include "vardo/app/assembly.h"

#include <algorithm>

namespace vardo {

void AssemblySdkHost::showMessage(int messageId)
{
    assembly_.frontend().showMessage(messageId, common::messageIcon(messageId));
}

void AssemblySdkHost::setCaption(const std::string& text)
{
    assembly_.frontend().setCaption(text);
}

bool AssemblySdkHost::isCalibrated() const
{
    return assembly_.calibration().calibrated();
}

bool AssemblySdkHost::isSimulation() const
{
    return assembly_.simulation().running();
}

bool AssemblySdkHost::controllerConnected() const
{
    return assembly_.controllerConnected();
}

int AssemblySdkHost::programCommandCount() const
{
    return assembly_.program().count;
}

int AssemblySdkHost::controllerState() const
{
    return assembly_.controller().state();
}

bool AssemblySdkHost::pointCoupledWithNext(int point) const
{
    const layout::LayoutModel& model = assembly_.layout().model();
    const int k = point - 1;
    return k >= 0 && k + 1 < model.pointCount() && k < model.pointRecordCount() &&
           model.point(k).record.linked;
}

void AssemblySdkHost::performAction(int code, bool send)
{
    assembly_.controller().performAction(code, send);
}

void AssemblySdkHost::playSound(int number, bool repeat)
{
    assembly_.sounds().play(number, repeat);
}

void AssemblySdkHost::prepareSound(int number)
{
    assembly_.sounds().prepare(number);
}

void AssemblySdkHost::stopSound(int number)
{
    assembly_.sounds().stop(number);
}

void AssemblySdkHost::stopAllSounds()
{
    assembly_.sounds().stopAll();
}

void AssemblySdkHost::setRelay(int relay, bool on)
{
    assembly_.controller().setRelay(relay, on);
}

void AssemblySdkHost::changeSpeed(int percent, int fadeSeconds)
{
    assembly_.speed().change(std::clamp(percent, 0, 100) / 100.0, fadeSeconds);
}

void AssemblySdkHost::turnTurntable(int track, bool reversed)
{
    assembly_.operation().outsideTurntable(track, reversed);
}

void AssemblySdkHost::waitForSensor(int sensor, int timeoutSeconds)
{
    assembly_.operation().outsideSensorWait(sensor, timeoutSeconds);
}

bool AssemblySdkHost::clipboardText(std::string& text)
{
    return hooks_.clipboardText && hooks_.clipboardText(text);
}

void AssemblySdkHost::runProgramFile(const std::string& path)
{
    assembly_.runProgramFileForOutside(path);
}

void AssemblySdkHost::setOperating(bool on)
{
    assembly_.setOutsideControl(on);
}

void AssemblySdkHost::startOperation()
{
    assembly_.startProgramForOutside();
}

void AssemblySdkHost::stopOperation()
{
    assembly_.operation().stopOperation();
}

void AssemblySdkHost::attachWindow(std::uint32_t window)
{
    if (hooks_.attachWindow)
        hooks_.attachWindow(window);
}

} // namespace vardo
