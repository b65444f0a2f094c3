#include "vardo/operation/controller_action.h"

#include "vardo/layout/layout_model.h"

namespace vardo {

Controller::Controller(Frontend& frontend, layout::LayoutModel* model)
    : frontend_(frontend), model_(model)
{
    pointSetter_ = [this](int k, bool branch) {
        if (model_)
            model_->setPointLinks(k, branch);
    };
}

void Controller::setPointSetter(std::function<void(int, bool)> setter)
{
    pointSetter_ = std::move(setter);
}

void Controller::setTrainStartHook(std::function<void(bool)> hook)
{
    trainStartHook_ = std::move(hook);
}

void Controller::setRelayHook(std::function<void(int, bool)> hook) { relayHook_ = std::move(hook); }

int Controller::stateAfter(int bits, int code)
{
    switch (code) {
    case ActionStop:
        return bits & ~state::Running;
    case ActionForward:
        return (bits | state::Running) & ~state::Backward;
    case ActionBackward:
        return bits | state::Running | state::Backward;
    case ActionLampOff:
        return bits & ~state::AutoLamp;
    case ActionLampOn:
        return bits | state::AutoLamp;
    default:
        break;
    }
    // Point codes: 3/4 point 1 ... 9/10 point 4.
    const int bit = state::Point1 << ((code - ActionPoint1Straight) / 2);
    const bool branch = (code - ActionPoint1Straight) % 2 == 1;
    return branch ? bits | bit : bits & ~bit;
}

void Controller::switchPoint(int code)
{
    const int k = (code - ActionPoint1Straight) / 2;
    // On a turntable layout the fourth pair switches the turntable power.
    if (k == kActionPoints - 1 && turntableLayout.load())
        return;
    setPointInModel(k, (code - ActionPoint1Straight) % 2 == 1);
}

void Controller::setPointInModel(int k, bool branch)
{
    std::lock_guard lock(trackMutex_);
    if (pointSetter_)
        pointSetter_(k, branch);
}

bool Controller::toBoards() const
{
    return !simulation.load() || boardsInSimulation.load();
}

bool Controller::performAction(int code, bool send)
{
    if (code < 0 || code > kLastAction)
        return false;
    int bits = state_.load();
    while (!state_.compare_exchange_weak(bits, stateAfter(bits, code))) {
    }
    if (code >= ActionPoint1Straight && code <= ActionPoint4Branch)
        switchPoint(code);
    frontend_.redrawPanel();
    const bool toDevice = send && toBoards() && devices_ != nullptr;
    bool ok = true;
    if (toDevice)
        ok = devices_->sendAction(code);
    // Sent means it reached a board: a write to a board that is gone is not.
    if (observer_)
        observer_->actionPerformed(code, toDevice && ok);
    publishStatus();
    if ((code == ActionForward || code == ActionBackward) && trainStartHook_)
        trainStartHook_(code == ActionBackward);
    return ok;
}

bool Controller::setRelay(int relay, bool on)
{
    if (relay < 7 || relay > 10)
        return false;
    const int bit = 1 << (relay - 7);
    if (on)
        relayBits_.fetch_or(bit);
    else
        relayBits_.fetch_and(~bit);
    frontend_.redrawPanel();
    if (relayHook_)
        relayHook_(relay, on);
    const bool toDevice = toBoards() && devices_ != nullptr;
    bool ok = true;
    if (toDevice)
        ok = devices_->setRelay(relay, on);
    if (observer_)
        observer_->relaySet(relay, on, toDevice && ok);
    return ok;
}

void Controller::clearLamp()
{
    state_.fetch_and(~state::AutoLamp);
    frontend_.redrawPanel();
}

void Controller::publishStatus()
{
    if (publisher_ && publisher_->isOpen())
        publisher_->publishStatus(state_.load());
}

} // namespace vardo
