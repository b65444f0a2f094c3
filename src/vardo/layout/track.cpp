#include "vardo/layout/track.h"

#include <algorithm>
#include <cmath>

namespace vardo::layout {

void Track::assign(const layoutdata::PolylineFile& file)
{
    positions_ = file.vertices;
    starts_.clear();
    sizes_.clear();
    int start = 0;
    for (int32_t count : file.vertexCounts) {
        starts_.push_back(start);
        sizes_.push_back(count);
        start += count;
    }
    extent_ = {};
    if (positions_.empty())
        return;
    extent_ = {positions_[0].x, positions_[0].y, positions_[0].x, positions_[0].y};
    for (const Point& p : positions_) {
        extent_.xmin = std::min(extent_.xmin, p.x);
        extent_.ymin = std::min(extent_.ymin, p.y);
        extent_.xmax = std::max(extent_.xmax, p.x);
        extent_.ymax = std::max(extent_.ymax, p.y);
    }
}

int Track::polylineOf(int i) const
{
    auto it = std::upper_bound(starts_.begin(), starts_.end(), i);
    return int(it - starts_.begin()) - 1;
}

int Track::nearest(int x, int y, int polyline) const
{
    int base = 0;
    int n = positionCount();
    if (polyline >= 0) {
        if (polyline >= polylineCount())
            return -1;
        base = starts_[size_t(polyline)];
        n = sizes_[size_t(polyline)];
    } else if (polyline != -1) {
        return -1;
    }
    if (n <= 0)
        return -1;
    const Point* p = positions_.data() + base;
    int step = int(std::sqrt(double(n)));
    while (step > 1 && step * step > n) // guard the floating root
        --step;
    while ((step + 1) * (step + 1) <= n)
        ++step;

    int coarse = -1;
    int best = kFarAway;
    auto examine = [&](int i) {
        int d = squaredDistance(p[i], x, y);
        if (d < best) {
            best = d;
            coarse = i;
        }
    };
    for (int i = 0; i < n; i += step)
        examine(i);
    // The last position is a sample too: past the last multiple of the step
    // the fine pass could never reach the end of the track.
    if ((n - 1) % step != 0)
        examine(n - 1);
    if (coarse < 0)
        return -1;

    // The fine pass scans its window afresh in index order, so ties go to
    // the earliest position. On the closed outer loop the window wraps
    // round its seam, where the last position meets the first.
    int loop = (base == 0 && polylineCount() > 0) ? std::min(sizes_[0], n) : 0;
    int from = coarse - step / 2;
    int to = coarse + step / 2;
    int fine = coarse;
    best = kFarAway;
    auto scan = [&](int a, int b) {
        for (int i = std::max(a, 0); i <= std::min(b, n - 1); ++i) {
            int d = squaredDistance(p[i], x, y);
            if (d < best) {
                best = d;
                fine = i;
            }
        }
    };
    bool closedLoop = polyline <= 0 && coarse < loop;
    if (closedLoop && to - from + 1 >= loop) {
        scan(0, loop - 1);
    } else if (closedLoop && from < 0) {
        scan(0, to);
        scan(from + loop, loop - 1);
    } else if (closedLoop && to >= loop) {
        scan(0, to - loop);
        scan(from, loop - 1);
    } else {
        scan(from, to);
    }
    return base + fine;
}

} // namespace vardo::layout
