#pragma once
// Outlines of the changed areas: Moore-neighbourhood tracing of the eroded
// difference image, each contour reduced to its corners. Fixed capacities:
// 31 polygons and 4096 vertices per frame.
#include "layoutdata/layout_files.h"

#include <array>
#include <cstdint>

namespace vardo::vision {

using layoutdata::Point;

constexpr int kMaxPolygons = 31;
constexpr int kPolygonSlots = 32;
constexpr int kMaxVertices = 4096;
// A contour this long (or longer) fails the whole frame.
constexpr int kContourOverflow = 4095;

// Marks written into the image while tracing.
constexpr uint8_t kIsolatedMark = 2;
constexpr uint8_t kContourMark = 3;

struct PolygonSet {
    std::array<Point, kMaxVertices> vertices{}; // polygon after polygon
    std::array<int, kPolygonSlots> counts{};
    int count = 0;
    int vertexTotal = 0;

    void clear()
    {
        count = 0;
        vertexTotal = 0;
    }
    int firstVertex(int polygon) const;
};

// Scratch for one contour (pixel chain and its corners).
struct TraceBuffers {
    std::array<Point, kMaxVertices> chain{}; // x = column, y = buffer row
    std::array<Point, kMaxVertices> corners{};
};

enum class TraceResult { Ok, Overflow };

// Traces every contour of the image (0 = background, 1 = changed) into
// polygons with vertices in top-down image coordinates. The one-pixel
// border is cleared first so tracing never leaves the image. On overflow
// the set is left empty.
TraceResult tracePolygons(uint8_t* image, int width, int height, PolygonSet& out,
                          TraceBuffers& buffers);

// The direction codes of the steps (row step, column step), "row" being
// the buffer row: 0 (0,+1), 1 (-1,+1), 2 (-1,0), 3 (-1,-1), 4 (0,-1),
// 5 (+1,-1), 6 (+1,0), 7 (+1,+1).
struct Step {
    int row;
    int col;
};
extern const std::array<Step, 8> kDirections;

// Reduces a pixel chain to its corners: the first and last point and every
// point where the step code changes. Returns the corner count.
int simplifyChain(const Point* chain, int count, Point* corners);

} // namespace vardo::vision
