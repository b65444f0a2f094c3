#include "vardo/operation/speed_control.h"

#include "vardo/operation/controller_action.h"

#include <algorithm>

namespace vardo {

SpeedControl::SpeedControl(Frontend& frontend, Controller& controller)
    : frontend_(frontend), controller_(controller)
{
}

bool SpeedControl::extendedDrivesSpeed() const { return ext_ && ext_->isOpen() && ext_->drivesSpeed(); }

void SpeedControl::sendToExtended()
{
    if (!extendedDrivesSpeed())
        return;
    const int direction = !controller_.running() ? 0 : controller_.backward() ? -1 : 1;
    ext_->setSpeed(speed_.load(), direction);
}

void SpeedControl::set(double fraction)
{
    cancelFade();
    speed_.store(std::clamp(fraction, 0.0, 1.0));
    if (observer_)
        observer_->speedChanged(speed_.load());
    if (shown_)
        shown_(speed_.load());
    sendToExtended();
}

void SpeedControl::change(double target, int fadeSeconds)
{
    target = std::clamp(target, 0.0, 1.0);
    if (fadeSeconds <= 0) {
        set(target);
        frontend_.redrawPanel();
        return;
    }
    {
        std::lock_guard lock(fadeMutex_);
        stepsLeft_ = fadeSeconds * 1000 / kFadeStepMs;
        stepsDone_ = 0;
        step_ = (target - speed_.load()) / stepsLeft_;
        lastStep_ = std::chrono::steady_clock::now();
    }
    if (extendedDrivesSpeed())
        frontend_.startTimer(kFadeTimerId, kFadeStepMs);
}

bool SpeedControl::fadeStep(bool force)
{
    bool redraw = false;
    {
        std::lock_guard lock(fadeMutex_);
        if (stepsLeft_ <= 0)
            return false;
        const auto now = std::chrono::steady_clock::now();
        if (!force && now - lastStep_ < std::chrono::milliseconds(kFadeStepMs))
            return false;
        lastStep_ = now;
        speed_.store(std::clamp(speed_.load() + step_, 0.0, 1.0));
        --stepsLeft_;
        ++stepsDone_;
        redraw = stepsLeft_ == 0 || stepsDone_ % 6 == 0;
    }
    if (observer_)
        observer_->speedChanged(speed_.load());
    if (shown_)
        shown_(speed_.load());
    if (redraw)
        frontend_.redrawPanel();
    return true;
}

bool SpeedControl::fading() const
{
    std::lock_guard lock(fadeMutex_);
    return stepsLeft_ > 0;
}

void SpeedControl::cancelFade()
{
    std::lock_guard lock(fadeMutex_);
    stepsLeft_ = 0;
}

bool SpeedControl::onTimer(int timerId)
{
    if (timerId != kFadeTimerId)
        return false;
    if (fadeStep(true))
        sendToExtended();
    if (!fading())
        frontend_.killTimer(kFadeTimerId);
    return true;
}

} // namespace vardo
