#pragma once
// Tracks built in code for the layout tests.
#include "layoutdata/layout_files.h"

#include <cmath>
#include <vector>

namespace layout_fixtures {

using layoutdata::Point;
using Line = std::vector<Point>;

inline layoutdata::PolylineFile polylines(const std::vector<Line>& lines, uint32_t home = 0)
{
    layoutdata::PolylineFile f;
    for (const Line& l : lines) {
        f.vertexCounts.push_back(int32_t(l.size()));
        f.vertices.insert(f.vertices.end(), l.begin(), l.end());
    }
    f.homePoint = home;
    return f;
}

// Positions from a to b, one every `step` pixels along x (or y).
inline Line straight(Point a, Point b, int count)
{
    Line l;
    for (int i = 0; i < count; ++i) {
        int x = count == 1 ? a.x : a.x + (b.x - a.x) * i / (count - 1);
        int y = count == 1 ? a.y : a.y + (b.y - a.y) * i / (count - 1);
        l.push_back({x, y});
    }
    return l;
}

// A closed ellipse sampled densely, as traced tracks are (no point twice
// in a row).
inline Line ellipse(int cx, int cy, int rx, int ry, int count)
{
    Line l;
    for (int i = 0; i < count; ++i) {
        double a = 2 * 3.141592653589793 * i / count;
        Point p{int(std::lround(cx + rx * std::cos(a))), int(std::lround(cy + ry * std::sin(a)))};
        if (l.empty() || !(l.back() == p))
            l.push_back(p);
    }
    while (l.size() > 1 && l.back() == l.front())
        l.pop_back();
    return l;
}

inline layoutdata::PointRecord pointRecord(uint8_t direction, uint8_t terminal, uint8_t number,
                                           int x, int y)
{
    layoutdata::PointRecord r;
    r.direction = direction;
    r.terminal = terminal;
    r.number = number;
    r.x = x;
    r.y = y;
    return r;
}

inline layoutdata::PointFile pointFile(const std::vector<layoutdata::PointRecord>& records)
{
    layoutdata::PointFile f;
    f.count = int(records.size());
    for (size_t i = 0; i < records.size() && i < 8; ++i)
        f.records[i] = records[i];
    return f;
}

} // namespace layout_fixtures
