#include "vardo/vision/calibration_record.h"

#include <climits>
#include <cmath>

namespace vardo::vision {

int truncToInt(long double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<long double>(INT_MAX))
        return INT_MAX;
    if (value <= static_cast<long double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(value); // conversion truncates toward zero
}

bool calibrationUsable(const CalibrationRecord& r, const Extent& e)
{
    return r.rectangleRecorded() && r.right > r.left && r.bottom > r.top && e.xmax > e.xmin &&
           e.ymax > e.ymin && std::isfinite(r.angle);
}

// The file's rectangle is taken as stored, so its sums and spans are
// formed in 64 bits: values near the int limits must not overflow.
Point CameraToLayout(const CalibrationRecord& r, const Extent& e, int x, int y)
{
    const long double a = r.angle;
    const long double c = std::cos(a), s = std::sin(a);
    const long double dx = x - (int64_t(r.left) + r.right) / 2;
    const long double dy = y - (int64_t(r.top) + r.bottom) / 2;
    const int64_t spanX = int64_t(r.right) - r.left, spanY = int64_t(r.bottom) - r.top;
    const long double midX = (int64_t(e.xmin) + e.xmax) * 0.5L;
    const long double midY = (int64_t(e.ymin) + e.ymax) * 0.5L;
    long double X = midX, Y = midY;
    if (spanX != 0)
        X = (c * dx - s * dy) * (int64_t(e.xmax) - e.xmin) / spanX + midX;
    if (spanY != 0)
        Y = (s * dx + c * dy) * (int64_t(e.ymax) - e.ymin) / spanY + midY;
    return {truncToInt(X), truncToInt(Y)};
}

Point LayoutToCamera(const CalibrationRecord& r, const Extent& e, int x, int y)
{
    const long double a = r.angle;
    const long double c = std::cos(a), s = std::sin(a);
    const long double ex = x - (int64_t(e.xmax) + e.xmin) / 2;
    const long double ey = y - (int64_t(e.ymin) + e.ymax) / 2;
    const int64_t spanX = int64_t(e.xmax) - e.xmin, spanY = int64_t(e.ymax) - e.ymin;
    const long double midX = (int64_t(r.left) + r.right) * 0.5L;
    const long double midY = (int64_t(r.bottom) + r.top) * 0.5L;
    long double X = midX, Y = midY;
    if (spanX != 0)
        X = (c * ex + s * ey) * (int64_t(r.right) - r.left) / spanX + midX;
    if (spanY != 0)
        Y = (c * ey - s * ex) * (int64_t(r.bottom) - r.top) / spanY + midY;
    return {truncToInt(X), truncToInt(Y)};
}

float markerAngle(int markerX, int markerY, int frameWidth, int frameHeight)
{
    return float(kQuarterTurn -
                 std::atan2(double(markerY - frameHeight / 2), double(markerX - frameWidth / 2)));
}

Point rotateAbout(int x, int y, int xc, int yc, double angle)
{
    const double s = std::sin(angle), c = std::cos(angle);
    const double dx = x - xc, dy = y - yc;
    return {truncToInt(s * dy + c * dx + 0.5), truncToInt(c * dy - s * dx + 0.5)};
}

} // namespace vardo::vision
