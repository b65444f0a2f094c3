#include "vardo/devices/sdk_commands.h"

#include "common/string_table.h"

#include <climits>
#include <string>

namespace vardo::devices {

namespace {

constexpr int kLastAction = 12;
constexpr int kTurntablePowerOff = 9;
constexpr int kTurntablePowerOn = 10;
constexpr int kLampOff = 11;
constexpr int kLampOn = 12;
constexpr int kStop = 0;
constexpr int kPoint1Straight = 3;
constexpr int kLastCoupledPointCode = 8; // point 3 branch
constexpr int kTurntableTracks = 5;

} // namespace

bool SdkCommands::process(int code, int value)
{
    if (code == sdk_code::Open) {
        openConnection();
        return open_;
    }
    if (!open_) {
        return false;
    }
    switch (code) {
    case sdk_code::Action:
        action(value);
        break;
    case sdk_code::PlayRepeating:
        if (value > 0) {
            host_.playSound(value, true);
        }
        break;
    case sdk_code::PrepareSound:
        if (value > 0) {
            host_.prepareSound(value);
        }
        break;
    case sdk_code::PlayOrStop:
        playOrStop(value);
        break;
    case sdk_code::Relay:
        relay(value);
        break;
    case sdk_code::Speed:
        speed(value);
        break;
    case sdk_code::RunProgramFile:
        runProgramFile();
        break;
    case sdk_code::Turntable:
        turntable(value);
        break;
    case sdk_code::SensorWait:
        sensorWait(value);
        break;
    case sdk_code::Control:
        control(value);
        break;
    case sdk_code::AttachWindow:
        attachWindow(value);
        break;
    default:
        break; // unknown codes change nothing
    }
    return true;
}

void SdkCommands::openConnection()
{
    // Without a calibration there are no positions to report, unless the
    // simulation makes them.
    if (!host_.isCalibrated() && !host_.isSimulation()) {
        host_.showMessage(common::msg::NotCalibratedForSdk);
        return;
    }
    open_ = true;
}

void SdkCommands::action(int code)
{
    if (code < 0 || code > kLastAction) {
        return;
    }
    host_.performAction(code, true);
    // A coupled pair of points moves together: the partner follows on the
    // panel and in the model, the board already switches both.
    if (code >= kPoint1Straight && code <= kLastCoupledPointCode) {
        int point = (code - kPoint1Straight) / 2 + 1;
        if (host_.pointCoupledWithNext(point)) {
            host_.performAction(code + 2, false);
        }
    }
}

void SdkCommands::playOrStop(int n)
{
    if (n > 0) {
        host_.playSound(n, false);
    } else if (n < 0 && n != INT_MIN) {
        host_.stopSound(-n);
    }
}

void SdkCommands::relay(int n)
{
    if (n > 0) {
        host_.setRelay(n, true);
    } else if (n < 0 && n != INT_MIN) {
        host_.setRelay(-n, false);
    }
}

void SdkCommands::speed(int value)
{
    auto bits = static_cast<unsigned>(value);
    int percent = static_cast<int>(bits & 0xffffu);
    int fade = static_cast<int>(bits >> 16);
    host_.changeSpeed(percent > 100 ? 100 : percent, fade);
}

void SdkCommands::runProgramFile()
{
    std::string path;
    bool readable = host_.clipboardText(path);
    // A path copied from a terminal or an editor often ends in a newline.
    const char* blanks = " \t\r\n";
    path.erase(0, path.find_first_not_of(blanks));
    path.erase(path.find_last_not_of(blanks) + 1);
    if (!readable || path.empty()) {
        host_.showMessage(common::msg::SdkProgramFailed);
        return;
    }
    host_.runProgramFile(path);
}

void SdkCommands::turntable(int n)
{
    if (n <= 200) {
        host_.performAction(n < 100 ? kTurntablePowerOff : kTurntablePowerOn, true);
        return;
    }
    int track = n % 100;
    if (track < 1 || track > kTurntableTracks) {
        return;
    }
    host_.turnTurntable(track, n > 300);
}

void SdkCommands::sensorWait(int value)
{
    if (value < 0) {
        return;
    }
    host_.waitForSensor(value % 100, value / 100);
}

bool SdkCommands::operationAllowed() const
{
    return host_.isSimulation() ||
           (host_.controllerConnected() && host_.isCalibrated() && host_.programCommandCount() > 1);
}

void SdkCommands::control(int value)
{
    switch (value) {
    case sdk_code::ControlOn:
        host_.setOperating(true);
        host_.setCaption(common::messageText(common::msg::SdkControlCaption));
        host_.performAction(kStop, true);
        host_.performAction(kPoint1Straight, true);
        host_.performAction(kLampOn, true);
        break;
    case sdk_code::ControlOff:
        host_.setOperating(false);
        host_.stopAllSounds();
        host_.performAction(kStop, true);
        host_.performAction(kLampOff, true);
        host_.setCaption(common::messageText(common::msg::AppTitle));
        break;
    case sdk_code::BoundingBox:
        boundingBox_ = true;
        break;
    case sdk_code::StartOperation:
        if (operationAllowed()) {
            host_.startOperation();
            host_.performAction(kLampOn, true);
        }
        break;
    case sdk_code::StopOperation:
        if (operationAllowed()) {
            host_.stopOperation();
            host_.performAction(kLampOff, true);
        }
        break;
    default:
        break;
    }
}

void SdkCommands::attachWindow(int value)
{
    releaseWindow();
    if (value != 0) {
        host_.attachWindow(static_cast<std::uint32_t>(value));
        attached_ = true;
    }
    // From the first attach request on, the outside program owns the
    // display: the automatic stops stay suspended, also after a release.
    outsideDisplay_ = true;
}

void SdkCommands::releaseWindow()
{
    if (attached_.exchange(false)) {
        host_.attachWindow(0);
    }
}

} // namespace vardo::devices
