#pragma once
// The track drawn over the camera image during the angle correction: every
// 32nd position of each track line, rotated about the centre of the track
// extent, and the extent of the rotated outer loop.
#include "vardo/vision/calibration_record.h"

#include <vector>

namespace vardo::vision {

struct RotatedOutline {
    std::vector<Point> points;    // line after line
    std::vector<int> lineCounts;  // points of each line
    Extent rotatedExtent;         // of the outer loop's points only
    bool hasExtent = false;
};

constexpr int kOutlineStep = 32;

RotatedOutline buildRotatedOutline(const layout::Track& track, double angle);

} // namespace vardo::vision
