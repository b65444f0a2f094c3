#pragma once
// The graphic train figure: the outline polygons of train.wmf.
//
// Only the records that carry the outline are read (polygon, polyline,
// poly-polygon) together with the window and viewport origin records; every
// other record is skipped by its size. A record whose size or point count
// does not fit the file is refused, and a refused file leaves the output as
// it was.
#include "layoutdata/layout_files.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace layoutdata {

constexpr int kMaxFigurePolygons = 16;
constexpr int kMaxFigurePoints = 256;
// Screen resolution the placeable header's units are scaled to.
constexpr int kScreenDpi = 96;

struct TrainFigureOutline {
    int polygonCount = 0;
    std::array<int, kMaxFigurePolygons> pointCounts{}; // points of each polygon
    int pointTotal = 0;
    std::array<Point, kMaxFigurePoints> points{}; // polygon after polygon

    // Extent of the points: largest minus smallest, plus 1 (0 when empty).
    int width() const;
    int height() const;
    // The rectangle (0,0), (w,0), (w,h), (0,h) as the single polygon.
    static TrainFigureOutline rectangle(int w, int h);
};

ReadStatus parseTrainFigure(const std::vector<uint8_t>& bytes, TrainFigureOutline& out);
ReadStatus readTrainFigure(const std::string& path, TrainFigureOutline& out);

} // namespace layoutdata
