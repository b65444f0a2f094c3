#include "planwerk/rail_geometry.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace planwerk {

int sortKey(int x, int y, int width, int height)
{
    double radians = std::atan2(double(y) - height / 2, double(x) - width / 2);
    int key = 180 + int(radians * 180.0 / std::numbers::pi);
    return key >= 360 ? 0 : key;
}

Range sidingRange(const VertexRow& row, int count, int selection)
{
    if (selection < 0 || selection >= count)
        return {0, count - 1};
    int first = selection;
    while (first > 1 && !isGroupStart(row[first]))
        --first;
    int end = first + 1;
    while (end < count && !isGroupStart(row[end]))
        ++end;
    return {first, end - 1};
}

Range groupFrom(const VertexRow& row, int start)
{
    int end = start + 1;
    while (end < row.count() && !isGroupStart(row[end]))
        ++end;
    return {start, end - 1};
}

int nearestSegmentIndex(const VertexRow& row, Range range, Point p)
{
    int nearest = range.first;
    for (int i = range.first + 1; i <= range.last; ++i) {
        if (squaredDistance(p, position(row[i])) < squaredDistance(p, position(row[nearest])))
            nearest = i;
    }
    Point first = position(row[range.first]);
    Point last = position(row[range.last]);
    if (nearest == range.first) {
        if (squaredDistance(p, last) < squaredDistance(first, last))
            return range.last + 1;
        return nearest + 1;
    }
    if (nearest < range.last) {
        Point before = position(row[nearest - 1]);
        if (squaredDistance(p, before) < squaredDistance(before, position(row[nearest])))
            return nearest;
        return nearest + 1;
    }
    if (squaredDistance(p, first) < squaredDistance(last, first))
        return range.first + 1;
    return nearest + 1;
}

void sortByKey(VertexRow& row, int* tracked)
{
    for (int i = 0; i < row.count(); ++i) {
        int smallest = i;
        for (int j = i + 1; j < row.count(); ++j) {
            if (row[j].angle < row[smallest].angle)
                smallest = j;
        }
        if (smallest == i)
            continue;
        std::swap(row[i], row[smallest]);
        if (tracked && *tracked == i)
            *tracked = smallest;
        else if (tracked && *tracked == smallest)
            *tracked = i;
    }
}

int sidingPositionByX(const VertexRow& row, Range range)
{
    int newX = row.back().x;
    if (range.last < range.first)
        return range.first;
    int firstX = row[range.first].x, lastX = row[range.last].x;
    for (int i = range.first; i <= range.last; ++i) {
        if (firstX < lastX && row[i].x > newX)
            return i;
        if (firstX > lastX && row[i].x < newX)
            return i;
    }
    return range.last + 1;
}

int markedCount(const VertexRow& row)
{
    int n = 0;
    for (int i = 0; i < row.count(); ++i)
        n += row[i].pointMark != 0;
    return n;
}

namespace {

struct Segment {
    float x0, y0, x1, y1;
};

// The perpendicular bisector of a-b, `half` long on each side of the
// midpoint; false for an edge of no length.
bool bisector(Point a, Point b, float half, Segment& out)
{
    float dx = float(b.x) - float(a.x), dy = float(b.y) - float(a.y);
    float length = std::sqrt(dx * dx + dy * dy);
    if (length == 0.0f)
        return false;
    float mx = (float(a.x) + float(b.x)) / 2.0f, my = (float(a.y) + float(b.y)) / 2.0f;
    float ux = -dy / length * half, uy = dx / length * half;
    out = {mx - ux, my - uy, mx + ux, my + uy};
    return true;
}

bool withinExtent(const Segment& s, float x, float y)
{
    return x >= std::fmin(s.x0, s.x1) && x <= std::fmax(s.x0, s.x1) && y >= std::fmin(s.y0, s.y1) &&
           y <= std::fmax(s.y0, s.y1);
}

bool intersect(const Segment& p, const Segment& q, float& x, float& y)
{
    float rx = p.x1 - p.x0, ry = p.y1 - p.y0;
    float sx = q.x1 - q.x0, sy = q.y1 - q.y0;
    float denominator = rx * sy - ry * sx;
    if (denominator == 0.0f)
        return false;
    float t = ((q.x0 - p.x0) * sy - (q.y0 - p.y0) * sx) / denominator;
    x = p.x0 + t * rx;
    y = p.y0 + t * ry;
    return withinExtent(p, x, y) && withinExtent(q, x, y);
}

} // namespace

Point curveCentre(Point a, Point v, Point b, int width)
{
    Segment first, second;
    float x = 0, y = 0;
    if (!bisector(a, v, float(width), first) || !bisector(v, b, float(width), second) ||
        !intersect(first, second, x, y))
        return {0, 0};
    // Far-off vertices (from a damaged file) give no representable centre.
    if (!(std::fabs(x) < 1e9f && std::fabs(y) < 1e9f))
        return {0, 0};
    Point centre{int32_t(x + 0.5f), int32_t(y + 0.5f)};
    // A centre left of the picture cannot be told from "no curve" (-1) or
    // "to compute" (0); it is no usable centre.
    if (centre.x <= 0)
        return {0, 0};
    return centre;
}

void updateCurveCentres(VertexRow& row, int width)
{
    int n = row.count();
    for (int i = 0; i < n; ++i) {
        if (!hasCurve(row[i]))
            continue;
        Point a = position(row[(i + n - 1) % n]);
        Point b = position(row[(i + 1) % n]);
        Point c = curveCentre(a, position(row[i]), b, width);
        row[i].curveX = c.x;
        row[i].curveY = c.y;
    }
}

} // namespace planwerk
