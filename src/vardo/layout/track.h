#pragma once
// Track positions: every vertex of layout.dat in one array, polyline after
// polyline (polyline 0 is the outer loop, the rest are sidings), and the
// nearest-position search over them. Nothing here changes after loading, so
// the search may run on any thread.
#include "layoutdata/layout_files.h"
#include "vardo/layout/nearest_index.h"

#include <vector>

namespace vardo::layout {

using layoutdata::Point;

// Squared distances at or above this are never taken as "nearest".
constexpr int kFarAway = 999999;

struct Extent {
    int xmin = 0, ymin = 0, xmax = 0, ymax = 0;
};

class Track {
public:
    void assign(const layoutdata::PolylineFile& file);

    int positionCount() const { return int(positions_.size()); }
    int polylineCount() const { return int(starts_.size()); }
    int polylineStart(int k) const { return starts_[size_t(k)]; }
    int polylineSize(int k) const { return sizes_[size_t(k)]; }
    // Index of the polyline that holds track position i.
    int polylineOf(int i) const;
    const Point& position(int i) const { return positions_[size_t(i)]; }
    const std::vector<Point>& positions() const { return positions_; }
    const Extent& extent() const { return extent_; }

    // The track position nearest to (x, y) within polyline k, or among all
    // positions when k is -1: the smallest squared distance, the lowest
    // index on ties. -1 when nothing lies nearer than kFarAway or k names no
    // polyline. Answered from indexes built by assign().
    int nearest(int x, int y, int polyline = -1) const;

private:
    void buildIndexes();

    std::vector<Point> positions_;
    std::vector<int> starts_;
    std::vector<int> sizes_;
    Extent extent_;
    NearestIndex all_;
    std::vector<NearestIndex> perPolyline_;
};

inline int squaredDistance(const Point& a, int x, int y)
{
    long long dx = a.x - x, dy = a.y - y;
    long long d = dx * dx + dy * dy;
    return d > kFarAway ? kFarAway : int(d);
}

} // namespace vardo::layout
