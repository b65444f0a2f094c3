#pragma once
// The control side as detection and the calibration run see it: the
// controller's state and actions, the running program and its stop, the
// speed control. Whatever belongs to a window (display mode, video state,
// simulation, the speed-control switch) comes through hooks; without a
// hook the live display, no simulation and no speed control are assumed.
// The roles of the outside-program interface, the turntable and the
// parameter dialog belong to those components.
#include "vardo/operation/control_loop.h"
#include "vardo/operation/controller_action.h"
#include "vardo/operation/speed_control.h"
#include "vardo/vision/detection_host.h"

#include <atomic>
#include <functional>

namespace vardo {

struct DetectionHostHooks {
    std::function<bool()> simulationMode;
    std::function<bool()> speedControlEnabled;
    std::function<vision::DisplayMode()> displayMode;
    std::function<vision::DisplaySubMode()> displaySubMode;
    // The extended interface drives a point entry (false when absent).
    std::function<bool()> extendedPointMode1;
};

class ControlDetectionHost : public vision::FrameGate, public vision::ControlSide {
public:
    ControlDetectionHost(Controller& controller, Operation& operation, SpeedControl& speed,
                         DetectionHostHooks hooks = {});

    // The roles detection is given; the outside-program interface, the
    // turntable and the parameter dialog join when they exist.
    vision::DetectionHost roles() { return {*this, *this}; }

    // Set by whoever starts and stops the capture.
    void setVideoRunning(bool running) { videoRunning_.store(running); }

    bool videoRunning() const override { return videoRunning_.load(); }
    bool simulationMode() const override;
    vision::DisplayMode displayMode() const override;
    vision::DisplaySubMode displaySubMode() const override;

    int controllerState() const override { return controller_.state(); }
    bool programRunning() const override { return operation_.operating(); }
    // Detection stops a program only at the buffer stops.
    void stopOperation() override { operation_.stopOperation(EndReason::Emergency); }
    void performAction(int action) override { controller_.performAction(action); }
    bool speedControlEnabled() const override;
    void setSpeed(double fraction) override { speed_.set(fraction); }
    bool extendedPointMode1() const override
    {
        return hooks_.extendedPointMode1 && hooks_.extendedPointMode1();
    }

private:
    Controller& controller_;
    Operation& operation_;
    SpeedControl& speed_;
    DetectionHostHooks hooks_;
    std::atomic<bool> videoRunning_{false};
};

} // namespace vardo
