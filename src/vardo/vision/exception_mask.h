#pragma once
// The except.dat regions projected into the camera image: one byte per
// frame pixel, rows bottom-up like the frame, 1 inside a region.
#include "vardo/vision/rotated_outline.h"

#include <cstdint>
#include <vector>

namespace vardo::vision {

struct MaskGeometry {
    Extent trackExtent;   // of the layout's track positions
    Extent rotatedExtent; // of the rotated outer loop (see RotatedOutline)
    int left = 0, top = 0, right = 0, bottom = 0; // calibration rectangle
    int frameWidth = 0, frameHeight = 0;
    double angle = 0.0;
};

// The region vertices in camera coordinates: rotated as the outline,
// scaled into the calibration rectangle and shifted onto it. False (and no
// points) when the rotated extent has no size.
bool projectRegions(const layoutdata::PolylineFile& regions, const MaskGeometry& g,
                    std::vector<Point>& out);

// Fills the projected regions with the alternate (even-odd) rule. False,
// with the mask left empty, when there are no regions or the geometry
// cannot place them.
bool buildMask(const layoutdata::PolylineFile& regions, const MaskGeometry& g,
               std::vector<uint8_t>& mask);

} // namespace vardo::vision
