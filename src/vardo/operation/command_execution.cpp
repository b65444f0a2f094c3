// What each command kind does when the control loop reaches it.
#include "vardo/layout/layout_model.h"
#include "vardo/operation/control_loop.h"

#include <cstdlib>

namespace vardo {

namespace {

constexpr int kSensorOption = 4;
constexpr int kFirstTurntableTrackOption = 2;
constexpr int kLastTurntableTrackOption = 6;

} // namespace

void Operation::execute(int index)
{
    const ProgramCommand c = program_.commands[size_t(index)];
    if (observer_)
        observer_->commandExecuted(index, c.kind, c.option, c.value1, c.value2);
    switch (c.commandKind()) {
    case CommandKind::Timer:
        waitTime(c.value1 * 1000 + c.value2);
        break;
    case CommandKind::TrainControl:
        executeTrainControl(c);
        break;
    case CommandKind::SwitchPoint:
        executeSwitchPoint(c);
        break;
    case CommandKind::PositionWait:
        if (c.option == kSensorOption)
            waitForSensor(c.value1, c.value2);
        else
            waitForPosition(positionTarget(c.option, c.value1, c.value2));
        break;
    case CommandKind::SoundOutput:
        if (c.option == 0)
            sounds_.stop(c.value1);
        else
            sounds_.play(c.value1, c.option == 2);
        break;
    case CommandKind::EndOfOperation:
        stopOperation(EndReason::Program);
        break;
    case CommandKind::OptionOutput:
        controller_.setRelay(c.value1, c.option == 1);
        break;
    case CommandKind::TrainSpeed:
        speed_.change(c.value1 / 100.0, c.value2);
        break;
    case CommandKind::Turntable:
        executeTurntable(c);
        break;
    default: // the start command, alarms and timers heading chains
        break;
    }
}

void Operation::executeTrainControl(const ProgramCommand& c)
{
    if (c.option > ActionBackward)
        return;
    controller_.performAction(c.option);
    if (c.option == ActionStop) {
        trains_.setPosition(trains_.current.load(), kUnknownPosition, kUnknownPosition);
        return;
    }
    if (c.value1 > 0 || c.value2 > 0)
        waitLapsAndDistance(c.value1, c.value2);
}

void Operation::executeSwitchPoint(const ProgramCommand& c)
{
    const int k = c.value2;
    const int d = c.option ? 1 : 0;
    if (k < 0 || !model_ || k >= model_->pointCount())
        return;
    if (c.value1 > 0 && controller_.running())
        waitAwayFrom(k, c.value1);
    if (interrupted())
        return;
    // Points beyond the fourth have no action code of their own (the codes
    // above 10 are the lamp): they change in the layout model only.
    if (k < kActionPoints)
        controller_.performAction(ActionPoint1Straight + 2 * k + d);
    else
        controller_.setPointInModel(k, d);
    const bool coupled = k < model_->pointRecordCount() && model_->point(k).record.linked;
    if (!coupled || k + 1 >= model_->pointCount())
        return;
    if (model_->pointCount() < 5 && k + 1 < kActionPoints)
        controller_.performAction(ActionPoint2Straight + 2 * k + d);
    else
        controller_.setPointInModel(k + 1, d);
}

void Operation::executeTurntable(const ProgramCommand& c)
{
    const int option = c.option;
    if (option < kFirstTurntableTrackOption) {
        controller_.performAction(ActionPoint4Straight + (option ? 1 : 0));
        return;
    }
    if (option > kLastTurntableTrackOption)
        return;
    const bool wantReversed = c.value1 != 0;
    const bool turn = wantReversed != turntableReversed.load();
    if (controller_.simulation) {
        const int f = turntableTrack.load();
        int h = std::abs(option - f - 2);
        if (f == 0 || option == kFirstTurntableTrackOption)
            h += 1;
        if (f == 4 || option == kLastTurntableTrackOption)
            h += 1;
        const int r = turn ? 1 : 0;
        waitTime((h * 15 + r * 180) * settings().turnSpeed / 36);
        if (interrupted())
            return;
        turntableReversed = wantReversed;
        turntableTrack = option - kFirstTurntableTrackOption;
        if (turntableHook_)
            turntableHook_(turntableTrack.load(), wantReversed);
    } else {
        // Without the board nothing would ever report the arrival.
        if (!ext_ || !ext_->isOpen())
            return;
        turntableReversed = wantReversed;
        turntableTrack = option - kFirstTurntableTrackOption;
        ext_->turnTable(option - 1, wantReversed);
        progressEvent.wait();
        if (interrupted())
            return;
    }
    if (c.value2)
        controller_.performAction(ActionPoint4Branch);
}

layoutdata::Point Operation::positionTarget(int index, int x, int y) const
{
    if (index == 3 || !model_)
        return {x, y};
    const auto& p = model_->positions();
    if (index == 1)
        return p.front;
    if (index == 2)
        return p.back;
    if (controller_.simulation || p.homeIndex < 0)
        return p.home;
    // The platform stop lies HOME_OFFSET track positions before the home.
    const layout::Track& track = model_->track();
    const int offset = settings().homeOffset;
    int stop;
    if (track.polylineCount() > 1) {
        const int line = track.polylineOf(p.homeIndex);
        stop = std::max(track.polylineStart(line), p.homeIndex - offset);
    } else {
        const int loop = track.polylineSize(0);
        stop = controller_.backward() ? offset : loop - offset;
        stop = ((stop % loop) + loop) % loop;
    }
    return track.position(stop);
}

} // namespace vardo
