#include "vardo/layout/track.h"

#include <algorithm>
#include <span>

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
    buildIndexes();
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

void Track::buildIndexes()
{
    // The whole layout picture is covered, so every query on it is indexed.
    const int picture[4] = {0, 0, layoutdata::kPictureWidth - 1, layoutdata::kPictureHeight - 1};
    all_.build(positions_, 0, picture);
    perPolyline_.assign(starts_.size(), {});
    for (size_t k = 0; k < starts_.size(); ++k) {
        // Counts beyond the vertices read are cut to what is there.
        size_t from = std::min(size_t(std::max(starts_[k], 0)), positions_.size());
        size_t count = std::min(size_t(std::max(sizes_[k], 0)), positions_.size() - from);
        std::span<const Point> line(positions_.data() + from, count);
        perPolyline_[k].build(line, starts_[k], picture);
    }
}

int Track::polylineOf(int i) const
{
    auto it = std::upper_bound(starts_.begin(), starts_.end(), i);
    return int(it - starts_.begin()) - 1;
}

int Track::nearest(int x, int y, int polyline) const
{
    if (polyline == -1)
        return all_.nearest(x, y, kFarAway);
    if (polyline < 0 || polyline >= polylineCount())
        return -1;
    return perPolyline_[size_t(polyline)].nearest(x, y, kFarAway);
}

} // namespace vardo::layout
