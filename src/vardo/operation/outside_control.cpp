// What an outside program asks of operation besides starting and stopping
// a program: the operating flag alone, a sensor wait and a turntable turn.
#include "vardo/operation/control_loop.h"

namespace vardo {

namespace {
constexpr int kTurntableTracks = 5;
// The turntable command's option of track 1.
constexpr int kTrackOneOption = 2;
} // namespace

void Operation::setOutsideControl(bool on)
{
    if (on) {
        // A running program already holds the flag.
        if (operating_.exchange(true))
            return;
        endReason_ = EndReason::None;
        progressEvent.reset();
        trains_.positionEvent.reset();
        return;
    }
    if (operating_.exchange(false)) {
        EndReason none = EndReason::None;
        endReason_.compare_exchange_strong(none, EndReason::Stopped);
    }
    waitActive_ = false;
    progressEvent.set();
    trains_.positionEvent.set();
}

void Operation::outsideSensorWait(int sensor, int timeoutSeconds)
{
    if (!operating_)
        return;
    waitForSensor(sensor, timeoutSeconds);
}

void Operation::outsideTurntable(int track, bool reversed)
{
    if (track < 1 || track > kTurntableTracks)
        return;
    if (controller_.simulation && !operating_) {
        // Nothing would end the turning time: the bridge is there at once.
        turntableReversed = reversed;
        turntableTrack = track - 1;
        if (turntableHook_)
            turntableHook_(track - 1, reversed);
        return;
    }
    if (controller_.simulation) {
        ProgramCommand c;
        c.option = uint8_t(track - 1 + kTrackOneOption);
        c.value1 = reversed ? 1 : 0;
        c.value2 = 0;
        executeTurntable(c);
        return;
    }
    // The board turns the bridge through 180 degrees first when needed.
    // Its arrival is not waited for: a board that never reports must not
    // hold the outside program's commands for ever.
    if (!ext_ || !ext_->isOpen())
        return;
    turntableReversed = reversed;
    turntableTrack = track - 1;
    ext_->turnTable(track, reversed);
}

} // namespace vardo
