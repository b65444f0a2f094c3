#include "vardo/layout/nearest_index.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace vardo::layout {

namespace {

using layoutdata::Point;

long long sq(long long v)
{
    return v * v;
}

// Squared distance from p to the nearest and to the farthest integer point
// of the square [x0, x0 + size - 1] x [y0, y0 + size - 1].
long long minDistance(const Point& p, int x0, int y0, int size)
{
    long long x1 = x0 + size - 1LL, y1 = y0 + size - 1LL;
    long long dx = p.x < x0 ? x0 - (long long)p.x : (p.x > x1 ? p.x - x1 : 0);
    long long dy = p.y < y0 ? y0 - (long long)p.y : (p.y > y1 ? p.y - y1 : 0);
    return dx * dx + dy * dy;
}

long long maxDistance(const Point& p, int x0, int y0, int size)
{
    long long x1 = x0 + size - 1LL, y1 = y0 + size - 1LL;
    long long dx = std::max(std::abs(p.x - (long long)x0), std::abs(p.x - x1));
    long long dy = std::max(std::abs(p.y - (long long)y0), std::abs(p.y - y1));
    return dx * dx + dy * dy;
}

long long clampedDistance(const Point& p, int x, int y, int limit)
{
    long long d = sq((long long)p.x - x) + sq((long long)p.y - y);
    return d > limit ? limit : d;
}

} // namespace

void NearestIndex::build(std::span<const Point> points, int base, const int (&cover)[4])
{
    points_.assign(points.begin(), points.end());
    base_ = base;
    cellStart_.clear();
    members_.clear();
    cols_ = rows_ = 0;
    // A handful of points is scanned faster than a grid is looked up.
    constexpr size_t kSmallSet = 32;
    if (points_.size() <= kSmallSet)
        return;
    int xmin = cover[0], ymin = cover[1], xmax = cover[2], ymax = cover[3];
    for (const Point& p : points_) {
        xmin = std::min(xmin, p.x);
        ymin = std::min(ymin, p.y);
        xmax = std::max(xmax, p.x);
        ymax = std::max(ymax, p.y);
    }
    // Points far outside any picture would make a huge grid: such a set is
    // served by the full scan only.
    constexpr long long kMaxSide = 1 << 14;
    if ((long long)xmax - xmin >= kMaxSide || (long long)ymax - ymin >= kMaxSide)
        return;
    x0_ = xmin;
    y0_ = ymin;
    cols_ = (xmax - xmin) / kCellSize + 1;
    rows_ = (ymax - ymin) / kCellSize + 1;
    pending_.assign(size_t(cols_) * size_t(rows_), {});

    // A cell's candidates are among its parent's (a smaller cell has a
    // smaller bound and larger distances), so the lists are refined from one
    // square over the whole area down to the cells.
    int side = kCellSize;
    while (side < cols_ * kCellSize || side < rows_ * kCellSize)
        side *= 2;
    std::vector<int32_t> all(points_.size());
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = int32_t(i);
    refine({x0_, y0_, side}, all);

    cellStart_.reserve(pending_.size() + 1);
    cellStart_.push_back(0);
    for (auto& cell : pending_) {
        members_.insert(members_.end(), cell.begin(), cell.end());
        cellStart_.push_back(uint32_t(members_.size()));
    }
    pending_.clear();
    pending_.shrink_to_fit();
}

void NearestIndex::refine(const Box& box, const std::vector<int32_t>& parent)
{
    if (box.x0 >= x0_ + cols_ * kCellSize || box.y0 >= y0_ + rows_ * kCellSize)
        return; // wholly outside the covered area
    long long bound = std::numeric_limits<long long>::max();
    for (int32_t i : parent)
        bound = std::min(bound, maxDistance(points_[size_t(i)], box.x0, box.y0, box.size));
    std::vector<int32_t> kept;
    for (int32_t i : parent) {
        if (minDistance(points_[size_t(i)], box.x0, box.y0, box.size) <= bound)
            kept.push_back(i);
    }
    if (box.size == kCellSize) {
        int cx = (box.x0 - x0_) / kCellSize, cy = (box.y0 - y0_) / kCellSize;
        pending_[size_t(cy) * size_t(cols_) + size_t(cx)] = std::move(kept);
        return;
    }
    int half = box.size / 2;
    refine({box.x0, box.y0, half}, kept);
    refine({box.x0 + half, box.y0, half}, kept);
    refine({box.x0, box.y0 + half, half}, kept);
    refine({box.x0 + half, box.y0 + half, half}, kept);
}

int NearestIndex::nearest(int x, int y, int limit) const
{
    if (points_.empty())
        return -1;
    long long dx = (long long)x - x0_, dy = (long long)y - y0_;
    if (cols_ == 0 || dx < 0 || dy < 0 || dx >= (long long)cols_ * kCellSize ||
        dy >= (long long)rows_ * kCellSize)
        return scanAll(x, y, limit);
    size_t cell = size_t(dy / kCellSize) * size_t(cols_) + size_t(dx / kCellSize);
    // The list is in index order, so the first strictly smaller one wins.
    int best = -1;
    long long bestD = limit;
    for (uint32_t k = cellStart_[cell]; k < cellStart_[cell + 1]; ++k) {
        int32_t i = members_[k];
        long long d = clampedDistance(points_[size_t(i)], x, y, limit);
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best < 0 ? -1 : base_ + best;
}

int NearestIndex::scanAll(int x, int y, int limit) const
{
    int best = -1;
    long long bestD = limit;
    for (size_t i = 0; i < points_.size(); ++i) {
        long long d = clampedDistance(points_[i], x, y, limit);
        if (d < bestD) {
            bestD = d;
            best = int(i);
        }
    }
    return best < 0 ? -1 : base_ + best;
}

} // namespace vardo::layout
