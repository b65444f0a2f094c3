#pragma once
// The settings automatic operation reads when it starts: ranges, offsets,
// the control-point switches and the simulation and turntable timing.
#include "vardo/base/settings.h"

#include <ctime>
#include <functional>

namespace vardo {

struct OperationSettings {
    int positionRange = 32;    // [EVENT] POSITION_RANGE, pixels
    int homeOffset = 16;       // [EVENT] HOME_OFFSET, track positions
    bool checkControl = true;  // [AUTO] CHECK_CONTROL
    bool controlRegion = true; // [AUTO] CONTROL_REGION
    int simulationSpeed = 2;   // [SIMULATION] SPEED, ms per step at full speed
    int turnSpeed = 2000;      // [SERVO] TURN_SPEED, 10 ms units per full turn

    static OperationSettings read(const Settings& settings);
};

struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The local clock; tests install their own.
using ClockSource = std::function<TimeOfDay()>;
TimeOfDay localTimeOfDay();

} // namespace vardo
