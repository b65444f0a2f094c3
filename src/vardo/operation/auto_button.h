#pragma once
// The controller panel's automatic-operation button: starting is refused
// outside simulation without a controller connection, without a
// calibration, or with a program of the start command alone; stopping is
// always possible, and during a folder run asks whether the run ends.
#include "vardo/operation/control_loop.h"

namespace vardo {

class FolderRun;

struct AutoButtonContext {
    bool controllerConnected = false; // USB I/O controller or extended interface
    bool calibrated = false;
    FolderRun* folderRun = nullptr;
};

enum class AutoButtonResult {
    Started,
    Stopped,
    Refused,     // message 177 or 178 shown
    StartFailed, // a sound of the program could not be prepared
};

// The number of commands in the program besides the empty slots.
int commandCount(const Program& program);

AutoButtonResult pressAutoButton(Operation& operation, Controller& controller, Frontend& frontend,
                                 const Program& program, bool on, const AutoButtonContext& context);

} // namespace vardo
