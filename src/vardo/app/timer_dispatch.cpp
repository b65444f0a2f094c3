#include "vardo/app/timer_dispatch.h"

namespace vardo {

TimerRoute dispatchTimer(int id, bool started, TimerTargets& targets)
{
    if (!started)
        return TimerRoute::Ignored;
    if (targets.crossingTimer(id))
        return TimerRoute::Crossing;
    if (id == kFadeTimer) {
        targets.fadeStep();
        return TimerRoute::Fade;
    }
    if (id >= kServoTimerBase && id <= kServoTimerLast) {
        targets.servoMoveEnded(id - kServoTimerBase);
        return TimerRoute::Servo;
    }
    targets.killTimer(id);
    if (id >= kPointTimerFirst && id <= kPointTimerLast) {
        targets.clearPointBusy(id);
        return TimerRoute::PointBusy;
    }
    if (id >= 9 && targets.operating()) {
        targets.chainTimer(id);
        return TimerRoute::Chain;
    }
    return TimerRoute::Killed;
}

} // namespace vardo
