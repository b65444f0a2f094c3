#include "planwerk/track_export.h"

#include "planwerk/rail_geometry.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

namespace planwerk {

namespace {

double distance(Point a, Point b)
{
    return std::sqrt(double(squaredDistance(a, b)));
}

// The last step index of a run of d pitches: trunc(d) - 2. Points past the
// list's capacity are not computed at all.
int64_t steps(double d)
{
    return int64_t(std::min(d, 1e12)) - 2;
}

// base + trunc(delta), kept within the coordinate range.
int32_t offset(int32_t base, double delta)
{
    double v = double(base) + std::trunc(delta);
    return int32_t(std::clamp(v, double(INT32_MIN), double(INT32_MAX)));
}

// A pitch below one pixel would never advance; one pixel is the finest.
int usablePitch(int pitch)
{
    return pitch < 1 ? 1 : pitch;
}

// Projects the points of the chord from s to t onto the circle, as the
// arc's first half or second half.
void emitArcHalf(PointList& out, Point centre, double radius, Point s, Point t, int pitch)
{
    double d = distance(s, t) / pitch;
    for (int64_t i = 0; i <= steps(d) && !out.full(); ++i) {
        double qx = s.x + double(i) * (double(t.x) - s.x) / d;
        double qy = s.y + double(i) * (double(t.y) - s.y) / d;
        double angle = std::atan2(qy - centre.y, qx - centre.x);
        out.push({offset(centre.x, radius * std::cos(angle)),
                  offset(centre.y, radius * std::sin(angle))});
    }
}

struct Expander {
    const VertexRow& row;
    bool sidingLine;
    int pitch;
    PointList& out;

    Point at(int i) const { return position(row[i]); }
    Point centre(int i) const { return {row[i].curveX, row[i].curveY}; }
    void arc(int v, int a, int b) { emitArc(out, centre(v), at(a), at(v), at(b), pitch); }

    // The polyline of row vertices first..last.
    void polyline(int first, int last)
    {
        int n = row.count();
        Point current = at(first);
        for (int v = first; v < last; ++v) {
            if (isCurved(row[v]) && v > 0 && v < n - 1) {
                arc(v, v - 1, v + 1);
                current = at(v + 1);
            } else if (v == 0 && isCurved(row[v]) && n > 2) {
                arc(v, n - 1, 1);
                current = at(1);
            } else if (!isCurved(row[v + 1]) || (sidingLine && v + 1 == n - 1)) {
                emitStraight(out, current, at(v + 1), pitch);
                current = at(v + 1);
            }
        }
        if (sidingLine && first == last)
            out.push(current); // a lone turnout is still a place on the track
    }

    // The outer loop closes back to vertex 0.
    void closeLoop()
    {
        int n = row.count();
        if (n >= 3 && isCurved(row[n - 1]))
            arc(n - 1, n - 2, 0);
        else if (!isCurved(row[0]))
            emitStraight(out, at(n - 1), at(0), pitch);
    }
};

} // namespace

void PointList::push(Point p)
{
    if (int(points_.size()) < capacity_)
        points_.push_back(p);
}

void emitStraight(PointList& out, Point from, Point to, int pitch)
{
    double d = distance(from, to) / usablePitch(pitch);
    for (int64_t i = 0; i <= steps(d) && !out.full(); ++i) {
        out.push({from.x + int32_t(double(i) * (double(to.x) - from.x) / d),
                  from.y + int32_t(double(i) * (double(to.y) - from.y) / d)});
    }
    out.push(to);
}

void emitArc(PointList& out, Point centre, Point a, Point v, Point b, int pitch)
{
    double radius = distance(v, centre);
    emitArcHalf(out, centre, radius, a, v, usablePitch(pitch));
    emitArcHalf(out, centre, radius, v, b, usablePitch(pitch));
    out.push(b);
}

layoutdata::PolylineFile expandTrack(const VertexRow& outer, const VertexRow& siding, int pitch,
                                     int maxPoly)
{
    layoutdata::PolylineFile file;
    PointList list(maxPoly);
    auto close = [&] {
        int before = 0;
        for (int32_t c : file.vertexCounts)
            before += c;
        file.vertexCounts.push_back(int32_t(list.points().size()) - before);
    };

    Expander loop{outer, false, pitch, list};
    if (outer.count() > 0) {
        loop.polyline(0, outer.count() - 1);
        loop.closeLoop();
    }
    close();
    for (int i = 0; i < outer.count(); ++i) {
        if (outer[i].pointMark != 0) {
            file.homePoint = layoutdata::PolylineFile::packHome(position(outer[i]));
            break;
        }
    }

    Expander sidings{siding, true, pitch, list};
    int start = 0;
    while (start < siding.count()) {
        Range group = groupFrom(siding, start);
        sidings.polyline(group.first, group.last);
        close();
        start = group.last + 1;
    }
    file.vertices = list.points();
    return file;
}

layoutdata::PointFile buildPointFile(const VertexRow& siding)
{
    layoutdata::PointFile file;
    int number = 0;
    int n = siding.count();
    for (int i = 0; i < n && file.count < layoutdata::kMaxPoints; ++i) {
        const VertexRecord& v = siding[i];
        if (v.pointMark == 0)
            continue;
        layoutdata::PointRecord record;
        record.direction = v.pointMark;
        record.terminal = v.terminal;
        record.linked = v.linked;
        record.x = v.x;
        record.y = v.y;
        if (v.terminal == 0) {
            bool alone = i == n - 1 || isGroupStart(siding[i + 1]);
            if (alone)
                record.direction = 0;
            else
                ++number;
        }
        record.number = uint8_t(number);
        file.records[size_t(file.count++)] = record;
    }
    return file;
}

} // namespace planwerk
