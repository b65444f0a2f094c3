#pragma once
// The geometry of traced rows: sort keys, siding groups, where a new vertex
// goes, and curve centres.
#include "planwerk/vertex_row.h"

#include <cstdint>

namespace planwerk {

// A vertex carries a usable arc only with a computed centre.
inline bool isCurved(const VertexRecord& v)
{
    return v.curveX > 0;
}
// Any curve request, computed or not.
inline bool hasCurve(const VertexRecord& v)
{
    return v.curveX != -1;
}
// A siding begins at a marked vertex that is not a terminal point.
inline bool isGroupStart(const VertexRecord& v)
{
    return v.pointMark != 0 && v.terminal == 0;
}

// Exact for every pair of coordinates; saturates where it would not fit.
inline int64_t squaredDistance(Point a, Point b)
{
    __int128 dx = int64_t(a.x) - b.x, dy = int64_t(a.y) - b.y;
    __int128 d = dx * dx + dy * dy;
    return d > INT64_MAX ? INT64_MAX : int64_t(d);
}
inline Point position(const VertexRecord& v)
{
    return {v.x, v.y};
}

// 180 + the angle of (x - width/2, y - height/2) in whole degrees (cut
// towards zero), 360 stored as 0.
int sortKey(int x, int y, int width, int height);

// Inclusive index range of a row.
struct Range {
    int first = 0;
    int last = -1;
    bool contains(int i) const { return i >= first && i <= last; }
};

// The siding group of the vertex `selection` among the first `count`
// vertices: back to its group start (not below index 1), on to the vertex
// before the next group start. With no selection, the whole count.
Range sidingRange(const VertexRow& row, int count, int selection);

// The whole group starting at a group start: up to the next one.
Range groupFrom(const VertexRow& row, int start);

// Where a vertex at p is inserted when vertices are not sorted: after the
// nearer end of the nearest vertex's segments within the range.
int nearestSegmentIndex(const VertexRow& row, Range range, Point p);

// Selection sort of the whole row by sort key, ascending, stable for ties
// in the sense that the first of equal keys is taken. A tracked index (the
// selection) follows its record.
void sortByKey(VertexRow& row, int* tracked = nullptr);

// Where the newly appended last vertex belongs in its siding group, walking
// by x from the group start. Range is the group before the append.
int sidingPositionByX(const VertexRow& row, Range range);

// Vertices on the siding line with a point mark.
int markedCount(const VertexRow& row);

// Centre of the arc through v between its neighbours, from the two
// perpendicular bisectors (each a segment of half-length `width`),
// computed in single precision; (0, 0) when there is none.
Point curveCentre(Point a, Point v, Point b, int width);

// Recomputes the centre of every vertex that asks for a curve.
void updateCurveCentres(VertexRow& row, int width);

} // namespace planwerk
