#pragma once
// Where a window timer of the main view goes. Crossing lights (7..10) come
// first, then the speed fade, servo moves, and everything else is a
// one-shot: killed, then a point output's busy flag (1..8) or a chain head
// of the running program.
#include "vardo/operation/control_loop.h"
#include "vardo/operation/speed_control.h"

namespace vardo {

// The USB controller's busy timer of point k (0-based) is k + 1.
constexpr int kPointTimerFirst = 1;
constexpr int kPointTimerLast = 8;
constexpr int kFadeTimer = SpeedControl::kFadeTimerId;
constexpr int kServoTimerBase = kFadeTimer + 1; // + servo number 1..8
constexpr int kServoTimerLast = kServoTimerBase + 8;
constexpr int kChainTimerBase = Operation::kChainTimerBase;

class TimerTargets {
public:
    virtual ~TimerTargets() = default;
    // True when the id was a running crossing light timer.
    virtual bool crossingTimer(int id) = 0;
    virtual void fadeStep() = 0;
    virtual void servoMoveEnded(int servo) = 0;
    virtual void killTimer(int id) = 0;
    virtual void clearPointBusy(int id) = 0; // the USB controller's timer 1..8
    // A chain head's timer while automatic operation runs.
    virtual bool operating() const = 0;
    virtual void chainTimer(int id) = 0;
};

enum class TimerRoute { Ignored, Crossing, Fade, Servo, PointBusy, Chain, Killed };

// Timers are ignored until the system has started.
TimerRoute dispatchTimer(int id, bool started, TimerTargets& targets);

} // namespace vardo
