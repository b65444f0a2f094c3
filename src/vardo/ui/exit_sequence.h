#pragma once
// The questions before Vardo closes: save a changed calibration, then save
// an edited program. A failed save after "yes" keeps the program open.
#include "vardo/base/frontend.h"

#include <functional>

namespace vardo::ui {

struct ExitSaves {
    bool calibrationModified = false;
    std::function<bool()> saveCalibration; // true when saved
    bool programModified = false;
    std::function<bool()> saveProgram;
};

enum class ExitDecision { Close, Cancelled };

ExitDecision askBeforeExit(Frontend& frontend, const ExitSaves& saves);

} // namespace vardo::ui
