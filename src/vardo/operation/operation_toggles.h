#pragma once
// What operation offers the menus and train detection: the automatic stop
// at the buffer stops, and the two switches of the settings menu
// (自動停止機能 and 制御ポイント機能), each written back to option.ini.
#include "vardo/base/settings.h"
#include "vardo/operation/control_loop.h"
#include "vardo/operation/control_points.h"

namespace vardo {

// Ends automatic operation when it runs, else stops the train (sent).
void automaticStop(Operation& operation, Controller& controller);

// Flips [AUTO] EMERGENCY_STOP; the new state.
bool toggleEmergencyStop(const Settings& settings);

// Flips [AUTO] CONTROL_REGION and starts or stops the watcher; the new state.
bool toggleControlPoints(const Settings& settings, ControlPoints& controlPoints);

} // namespace vardo
