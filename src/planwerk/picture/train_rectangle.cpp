#include "planwerk/picture/train_rectangle.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace planwerk {

namespace {

// Truncation toward zero that does not lose a whole pixel to rounding
// noise: 239.9999999 is taken as 240.
int truncate(double v)
{
    const double nearest = std::round(v);
    return std::fabs(v - nearest) < 1e-6 ? int(nearest) : int(std::trunc(v));
}

} // namespace

void deriveTrainRectangle(TrainRectangle& r)
{
    const PicturePoint p0 = r.p[0], p1 = r.p[1], p2 = r.p[2];
    const double dx = p1.x - p0.x, dy = p1.y - p0.y;
    const double length2 = dx * dx + dy * dy;
    // The rectangle grows from the base line in direction u, a quarter turn
    // anticlockwise on screen from P0 -> P1: upwards for a base line drawn
    // to the right, and upwards as well when P0 and P1 coincide.
    const double length = std::sqrt(length2);
    const double ux = length2 > 0 ? dy / length : 0.0;
    const double uy = length2 > 0 ? -dx / length : -1.0;
    double f = 0, g = 0, fx = p0.x, fy = p0.y;
    if (length2 > 0) {
        f = std::clamp(((p2.x - p0.x) * dx + (p2.y - p0.y) * dy) / length2, 0.0, 1.0);
        fx = p0.x + f * dx;
        fy = p0.y + f * dy;
        g = std::hypot(p2.x - fx, p2.y - fy);
        // A height handle on the other side of the base line gives no height.
        if ((p2.x - fx) * ux + (p2.y - fy) * uy < 0)
            g = 0;
    } else {
        g = std::hypot(double(p0.x - p2.x), double(p0.y - p2.y));
    }
    const PicturePoint o{truncate(g * ux), truncate(g * uy)};
    r.p[3] = {p0.x + o.x, p0.y + o.y};
    r.p[4] = {p1.x + o.x, p1.y + o.y};
    if (g > 0) {
        if (f == 0)
            r.p[2] = r.p[3];
        else if (f == 1)
            r.p[2] = r.p[4];
    } else {
        r.p[2] = {truncate(fx), truncate(fy)};
    }
}

int hitTrainHandle(const TrainRectangle& r, int x, int y, int pointSize)
{
    const int64_t limit = int64_t(pointSize) * pointSize;
    for (int i = 0; i < 3; ++i) {
        const int64_t dx = int64_t(x) - r.p[size_t(i)].x;
        const int64_t dy = int64_t(y) - r.p[size_t(i)].y;
        if (dx * dx + dy * dy < limit)
            return i;
    }
    return -1;
}

namespace {

constexpr int kStoredValues = 10;

int value(const TrainRectangle& r, int i)
{
    const PicturePoint& q = r.p[size_t(i / 2)];
    return i % 2 == 0 ? q.x : q.y;
}

} // namespace

bool storeTrainRectangle(const TrainRectangle& r, common::Bitmap& picture)
{
    if (picture.width < kStoredValues || picture.height < 1)
        return false;
    uint8_t* row = picture.pixel(0, picture.height - 1);
    for (int i = 0; i < kStoredValues; ++i) {
        const uint32_t v = uint32_t(value(r, i));
        row[3 * i] = uint8_t(v >> 16);    // blue
        row[3 * i + 1] = uint8_t(v >> 8); // green
        row[3 * i + 2] = uint8_t(v);      // red
    }
    return true;
}

bool loadTrainRectangle(const common::Bitmap& picture, TrainRectangle& r)
{
    if (picture.width < kStoredValues || picture.height < 1)
        return false;
    const uint8_t* row = picture.pixel(0, picture.height - 1);
    TrainRectangle read;
    for (int i = 0; i < kStoredValues; ++i) {
        const int v = int(row[3 * i]) << 16 | int(row[3 * i + 1]) << 8 | int(row[3 * i + 2]);
        const int limit = i % 2 == 0 ? picture.width : picture.height;
        if (v >= limit)
            return false;
        PicturePoint& q = read.p[size_t(i / 2)];
        (i % 2 == 0 ? q.x : q.y) = v;
    }
    r = read;
    return true;
}

PicturePoint TrainRectangleEditor::clamped(int x, int y) const
{
    return {std::clamp(x, 0, std::max(width_ - 1, 0)), std::clamp(y, 0, std::max(height_ - 1, 0))};
}

int TrainRectangleEditor::press(int x, int y)
{
    const PicturePoint m = clamped(x, y);
    selection_ = hitTrainHandle(rect_, m.x, m.y, pointSize_);
    dragging_ = selection_ >= 0;
    if (dragging_) {
        const PicturePoint& h = rect_.p[size_t(selection_)];
        grab_ = {m.x - h.x, m.y - h.y};
    }
    return selection_;
}

bool TrainRectangleEditor::move(int x, int y, PicturePoint& marker)
{
    if (!dragging_)
        return false;
    const PicturePoint m = clamped(x, y);
    marker = {m.x - grab_.x, m.y - grab_.y};
    return true;
}

bool TrainRectangleEditor::release(int x, int y)
{
    if (!dragging_)
        return false;
    dragging_ = false;
    const PicturePoint m = clamped(x, y);
    rect_.p[size_t(selection_)] = {m.x - grab_.x, m.y - grab_.y};
    deriveTrainRectangle(rect_);
    return true;
}

} // namespace planwerk
