#pragma once
// The settings detection reads once when the view starts.
#include "vardo/base/settings.h"

#include <string>

namespace vardo::vision {

struct DetectorSettings {
    int diffLevel = 85;      // percent
    int compareFrame = 1;    // analyse every n-th frame
    bool enableExcept = true;
    std::string captureFolder; // frame dumps; empty = none
    bool logPosition = false;
    bool emergencyStop = true;
    int emergencyCount = 15;  // analysed frames without motion
    int emergencyRange = 100; // half side of the square round a siding end
    int positionRange = 32;   // layout pixels

    static DetectorSettings read(const Settings& settings);
};

} // namespace vardo::vision
