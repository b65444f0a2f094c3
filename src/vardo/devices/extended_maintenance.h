#pragma once
// Servo ID change and factory reset with their confirmations. Both reach
// every servo on the line, so the user confirms first.
#include "vardo/base/frontend.h"
#include "vardo/devices/extended_interface.h"

namespace vardo::devices {

// 225 for an ID outside 1..8, then question 228; on Yes the reset, new ID,
// ROM write and torque on go out and 226 is shown. True when sent.
bool confirmServoIdChange(Frontend& frontend, ExtendedInterface& ext, int newId);
// Question 229; on Yes every servo is reset and 227 is shown.
bool confirmFactoryReset(Frontend& frontend, ExtendedInterface& ext);

} // namespace vardo::devices
