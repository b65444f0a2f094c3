#pragma once
// The present speed, a fraction 0..1 shared by the panel, speed commands,
// the PWM driver, the speed servo and the simulation, and the speed fade:
// a change spread over steps of 200 ms that whichever speed output is
// active applies.
#include "vardo/base/frontend.h"
#include "vardo/base/operation_seams.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>

namespace vardo {

class Controller;

class SpeedControl {
public:
    static constexpr int kFadeTimerId = 101;
    static constexpr int kFadeStepMs = 200;

    SpeedControl(Frontend& frontend, Controller& controller);

    void setExtended(ExtendedPort* ext) { ext_ = ext; }
    void setObserver(OperationObserver* observer) { observer_ = observer; }
    // Whoever shows the speed (the panel's dial) hears every change, from
    // whichever thread makes it.
    void setShownHook(std::function<void(double)> hook) { shown_ = std::move(hook); }

    double present() const { return speed_.load(); }
    // Sets the speed at once (the panel's jog, the start of operation),
    // ending a fade; sent to the extended interface when it drives the speed.
    void set(double fraction);
    // The speed command: to target over fadeSeconds (at once when <= 0).
    void change(double target, int fadeSeconds);
    // Applies one fade step when one is due (at most one per 200 ms unless
    // forced). True when a step was applied.
    bool fadeStep(bool force = false);
    bool fading() const;
    void cancelFade();
    // The fade timer of the extended interface's speed output.
    bool onTimer(int timerId);
    // Sends the present speed to the extended interface when it drives it.
    void sendToExtended();

private:
    bool extendedDrivesSpeed() const;

    Frontend& frontend_;
    Controller& controller_;
    ExtendedPort* ext_ = nullptr;
    OperationObserver* observer_ = nullptr;
    std::function<void(double)> shown_;
    std::atomic<double> speed_{1.0};

    mutable std::mutex fadeMutex_;
    int stepsLeft_ = 0;
    int stepsDone_ = 0;
    double step_ = 0;
    std::chrono::steady_clock::time_point lastStep_{};
};

} // namespace vardo
