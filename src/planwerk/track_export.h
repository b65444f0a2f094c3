#pragma once
// The exported track: the traced rows expanded into the dense point lists
// of layout.dat, and the turnouts of point.dat.
#include "layoutdata/layout_files.h"
#include "planwerk/vertex_row.h"

#include <vector>

namespace planwerk {

// Collects expanded points up to a fixed capacity; points past it are
// dropped.
class PointList {
public:
    explicit PointList(int capacity) : capacity_(capacity < 0 ? 0 : capacity) {}
    void push(Point p);
    bool full() const { return int(points_.size()) >= capacity_; }
    const std::vector<Point>& points() const { return points_; }

private:
    std::vector<Point> points_;
    int capacity_;
};

// Straight run from `from` to `to` every `pitch` pixels: begins with `from`
// itself and ends with `to` exactly.
void emitStraight(PointList& out, Point from, Point to, int pitch);

// Arc about `centre` through v, from a towards v, then v towards b, each
// point the projection of a point on the chord; ends with b exactly.
void emitArc(PointList& out, Point centre, Point a, Point v, Point b, int pitch);

// The polyline file of the track: the outer loop, then one polyline per
// siding group; at most maxPoly points in all. The home point is the first
// marked outer-loop vertex.
layoutdata::PolylineFile expandTrack(const VertexRow& outer, const VertexRow& siding, int pitch,
                                     int maxPoly);

// One record per marked siding vertex, in row order, numbered by siding.
layoutdata::PointFile buildPointFile(const VertexRow& siding);

} // namespace planwerk
