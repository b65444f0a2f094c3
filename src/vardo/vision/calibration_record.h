#pragma once
// The calibration between camera and layout: a box in the camera image that
// the train swept during one lap, a rotation angle set by hand, and the
// track extent of the layout. Everything here is plain arithmetic.
#include "layoutdata/layout_files.h"
#include "vardo/layout/track.h"

#include <cstdint>
#include <vector>

namespace vardo::vision {

using layoutdata::Point;
using layout::Extent;

struct CalibrationRecord {
    int32_t frameWidth = 0;
    int32_t frameHeight = 0;
    float angle = 0.0f; // radians
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = -1; // -1: no rectangle recorded yet
    int32_t markerX = -1;
    int32_t markerY = -1;

    bool rectangleRecorded() const { return bottom != -1; }
    bool markerSet() const { return markerX != -1 || markerY != -1; }
    bool operator==(const CalibrationRecord&) const = default;
};

// The constant the angle correction measures against (not pi/2 to more digits).
constexpr double kQuarterTurn = 1.570795;

// A calibration can map points only with a rectangle and a track extent
// that have a size in both directions and a finite angle.
bool calibrationUsable(const CalibrationRecord& record, const Extent& extent);

// Camera point -> layout point. Not clamped. An axis without a size (a
// degenerate rectangle or extent) maps to its centre instead of dividing
// by zero.
Point CameraToLayout(const CalibrationRecord& record, const Extent& extent, int x, int y);
// Layout point -> camera point, the inverse mapping.
Point LayoutToCamera(const CalibrationRecord& record, const Extent& extent, int x, int y);

// The angle that puts the layout's front at the marker: measured from the
// image centre (integer halves of the frame size).
float markerAngle(int markerX, int markerY, int frameWidth, int frameHeight);

// A point rotated by the angle about (xc, yc), rounded as drawn.
Point rotateAbout(int x, int y, int xc, int yc, double angle);

// A long double cut toward zero into an int; NaN gives 0, values beyond
// the int range are held at its ends.
int truncToInt(long double value);

} // namespace vardo::vision
