#pragma once
// Previous and next links over the track positions, and the points
// (turnouts) that switch them.
#include "vardo/layout/track.h"

#include <array>
#include <vector>

namespace vardo::layout {

constexpr int kMaxPoints = layoutdata::kMaxPoints;
// Sidings from this polyline on lead off the turntable.
constexpr int kFirstTurntableSiding = 3;

// One point record with the track positions derived from it; -1 where the
// point links nothing.
struct TrackPoint {
    layoutdata::PointRecord record;
    int junction = -1;       // nearest position outside the point's own siding
    int sidingPosition = -1; // first (or, when terminal, last) position of its siding
    int straight = -1;       // the junction's link that the branch replaces
};

class TrackLinks {
public:
    // Junction of a point: over every polyline but the one numbered like
    // the point, the nearest position to the point; the nearest of those.
    static int findJunction(const Track& track, const TrackPoint& point);

    // Builds the links for the current points (all straight): the outer loop
    // closed, each siding in its direction, then each working point
    // attached to its siding. Straight continuations are taken last, from
    // the finished circuit, so that setting every point straight always
    // gives back exactly these links.
    void build(const Track& track, std::array<TrackPoint, kMaxPoints>& points, int pointCount,
               bool turntable);

    // Switches the links of one point. A point set straight restores its
    // junction's link only while that link still leads into its own siding,
    // so a second point on the same junction is never cut off by this one.
    void setPoint(const TrackPoint& point, bool branch);

    int previous(int i) const { return valid(i) ? previous_[size_t(i)] : -1; }
    int next(int i) const { return valid(i) ? next_[size_t(i)] : -1; }
    const std::vector<int>& previousLinks() const { return previous_; }
    const std::vector<int>& nextLinks() const { return next_; }
    const std::vector<Point>& sidingEnds() const { return sidingEnds_; }
    // Starting position of each turntable siding (polyline 3 on), -1 otherwise.
    int sidingStart(int k) const;

private:
    bool valid(int i) const { return i >= 0 && size_t(i) < next_.size(); }
    static int sidingDirection(const std::array<TrackPoint, kMaxPoints>& points, int pointCount,
                               int k);
    void linkSiding(const Track& track, int k, int direction);
    void attach(const Track& track, TrackPoint& point);

    std::vector<int> previous_;
    std::vector<int> next_;
    std::vector<Point> sidingEnds_;
    std::vector<int> sidingStarts_;
};

} // namespace vardo::layout
