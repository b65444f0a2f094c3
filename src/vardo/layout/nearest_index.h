#pragma once
// An exact nearest-point index over a fixed set of points. The plane around
// the points is cut into square cells; each cell keeps, in index order, the
// only points that can be nearest to some query inside it: those whose
// distance to the cell is not above the smallest "farthest corner" distance
// of any point. A query scans its cell's list, so it finds what a scan of
// every point would find, ties to the lowest index included, at the cost of
// a few dozen distances instead of thousands. Queries outside the covered
// area fall back to the full scan.
#include "layoutdata/layout_files.h"

#include <cstdint>
#include <span>
#include <vector>

namespace vardo::layout {

class NearestIndex {
public:
    // Side of a cell in pixels; a power of two.
    static constexpr int kCellSize = 8;

    // Indexes `points`; results are offset by `base`. The covered area is
    // the points' extent joined with `cover` (x0, y0, x1, y1 inclusive).
    void build(std::span<const layoutdata::Point> points, int base, const int (&cover)[4]);

    // The index (plus base) of the point with the smallest squared distance
    // below `limit`, the lowest index on ties; -1 when none is below it.
    int nearest(int x, int y, int limit) const;

    int pointCount() const { return int(points_.size()); }

private:
    struct Box {
        int x0, y0, size;
    };
    void refine(const Box& box, const std::vector<int32_t>& parent);
    int scanAll(int x, int y, int limit) const;

    std::vector<layoutdata::Point> points_;
    int base_ = 0;
    int x0_ = 0, y0_ = 0, cols_ = 0, rows_ = 0;
    std::vector<uint32_t> cellStart_; // cols_ * rows_ + 1 offsets into members_
    std::vector<int32_t> members_;
    // Built cell lists before they are laid out flat.
    std::vector<std::vector<int32_t>> pending_;
};

} // namespace vardo::layout
