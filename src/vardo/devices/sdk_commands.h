#pragma once
// The commands an outside program sends, turned into calls on the host.
// Until the connection is opened (101) every other command is ignored.
#include "vardo/devices/sdk_host.h"

#include <atomic>

namespace vardo::devices {

namespace sdk_code {
enum : int {
    Action = 1,
    PlayRepeating = 2,
    PrepareSound = 3,
    PlayOrStop = 8,
    Relay = 10,
    Speed = 11,
    RunProgramFile = 12,
    Turntable = 13,
    SensorWait = 14,
    Control = 100,
    Open = 101,
    AttachWindow = 102,
};
// Values of command 100.
enum : int {
    ControlOff = 0,
    ControlOn = 1,
    StopOperation = 10,
    StartOperation = 11,
    BoundingBox = 103,
};
} // namespace sdk_code

class SdkCommands {
public:
    explicit SdkCommands(SdkHost& host) : host_(host) {}

    // Runs one taken command. True when it was processed (the connection is
    // open), so that the status is published after it.
    bool process(int code, int value);

    bool connectionOpen() const { return open_; }
    bool boundingBoxMode() const { return boundingBox_; }
    bool outsideDisplayMode() const { return outsideDisplay_; }
    bool windowAttached() const { return attached_; }
    // Releases an attached window (at stop).
    void releaseWindow();

private:
    void openConnection();
    void action(int code);
    void playOrStop(int n);
    void relay(int n);
    void speed(int value);
    void runProgramFile();
    void turntable(int n);
    void sensorWait(int value);
    void control(int value);
    void attachWindow(int value);
    // Automatic operation may be started or stopped from here.
    bool operationAllowed() const;

    SdkHost& host_;
    std::atomic<bool> open_{false};
    std::atomic<bool> boundingBox_{false};
    std::atomic<bool> outsideDisplay_{false};
    std::atomic<bool> attached_{false};
};

} // namespace vardo::devices
