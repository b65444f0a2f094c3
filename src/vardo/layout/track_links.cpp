#include "vardo/layout/track_links.h"

namespace vardo::layout {

int TrackLinks::findJunction(const Track& track, const TrackPoint& point)
{
    int best = -1;
    int bestDistance = kFarAway;
    const auto& r = point.record;
    for (int k = 0; k < track.polylineCount(); ++k) {
        if (k == r.number)
            continue;
        int i = track.nearest(r.x, r.y, k);
        if (i < 0)
            continue;
        int d = squaredDistance(track.position(i), r.x, r.y);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best; // -1 when there is no other polyline to join
}

int TrackLinks::sidingDirection(const std::array<TrackPoint, kMaxPoints>& points,
                                int pointCount, int k)
{
    // The point that begins siding k gives its direction. Record k-1 holds
    // it when every siding has one record; with terminal records in the
    // list the beginning record is found by its number instead.
    for (int j = 0; j < pointCount; ++j) {
        const auto& r = points[size_t(j)].record;
        if (r.number == k && !r.terminal && r.direction != 0)
            return r.direction;
    }
    return k - 1 < kMaxPoints ? points[size_t(k - 1)].record.direction : 0;
}

void TrackLinks::linkSiding(const Track& track, int k, int direction)
{
    int s = track.polylineStart(k);
    int e = s + track.polylineSize(k) - 1;
    for (int i = s; i <= e; ++i) {
        if (direction == 1) {
            previous_[size_t(i)] = i == s ? -1 : i - 1;
            next_[size_t(i)] = i == e ? -1 : i + 1;
        } else if (direction == 2) {
            previous_[size_t(i)] = i == e ? -1 : i + 1;
            next_[size_t(i)] = i == s ? -1 : i - 1;
        }
    }
}

void TrackLinks::attach(const Track& track, TrackPoint& point)
{
    point.sidingPosition = -1;
    point.straight = -1;
    const auto& r = point.record;
    if (r.direction != 1 && r.direction != 2)
        return;
    // A number that names no siding, or no junction to join: nothing linked.
    if (r.number < 1 || r.number >= track.polylineCount() || point.junction < 0)
        return;
    int k = r.number;
    if (track.polylineSize(k) <= 0)
        return;
    int s = track.polylineStart(k);
    point.sidingPosition = r.terminal ? s + track.polylineSize(k) - 1 : s;
    if (r.direction == 1)
        previous_[size_t(point.sidingPosition)] = point.junction;
    else
        next_[size_t(point.sidingPosition)] = point.junction;
}

void TrackLinks::build(const Track& track, std::array<TrackPoint, kMaxPoints>& points,
                       int pointCount, bool turntable)
{
    size_t m = size_t(track.positionCount());
    previous_.assign(m, -1);
    next_.assign(m, -1);
    sidingEnds_.clear();
    sidingStarts_.assign(size_t(track.polylineCount()), -1);
    if (track.polylineCount() == 0)
        return;

    int loop = track.polylineSize(0);
    for (int i = 0; i < loop; ++i) {
        previous_[size_t(i)] = i == 0 ? loop - 1 : i - 1;
        next_[size_t(i)] = i == loop - 1 ? 0 : i + 1;
    }
    for (int k = 1; k < track.polylineCount(); ++k) {
        int size = track.polylineSize(k);
        if (size <= 0)
            continue;
        int s = track.polylineStart(k);
        linkSiding(track, k, sidingDirection(points, pointCount, k));
        if (turntable && k >= kFirstTurntableSiding) {
            sidingStarts_[size_t(k)] = s;
            if (k >= kFirstTurntableSiding + 1 && 32 < size)
                previous_[size_t(s + 32)] = -1;
        }
        sidingEnds_.push_back(track.position(s + size - 1));
    }

    for (int j = 0; j < pointCount; ++j)
        attach(track, points[size_t(j)]);
    for (int j = 0; j < pointCount; ++j) {
        TrackPoint& p = points[size_t(j)];
        if (p.sidingPosition >= 0)
            p.straight = p.record.direction == 1 ? next_[size_t(p.junction)]
                                                 : previous_[size_t(p.junction)];
    }
}

void TrackLinks::setPoint(const TrackPoint& point, bool branch)
{
    if (point.sidingPosition < 0 || !valid(point.junction))
        return;
    std::vector<int>& links = point.record.direction == 1 ? next_ : previous_;
    int& link = links[size_t(point.junction)];
    if (branch)
        link = point.sidingPosition;
    else if (link == point.sidingPosition)
        link = point.straight;
}

int TrackLinks::sidingStart(int k) const
{
    return k >= 0 && size_t(k) < sidingStarts_.size() ? sidingStarts_[size_t(k)] : -1;
}

} // namespace vardo::layout
