#pragma once
// Where a train figure stands on the track: its two ends, centre and angle.
#include "vardo/layout/track.h"
#include "vardo/layout/track_links.h"

namespace vardo::layout {

// The program's own values of pi and its multiples; drawings made with them
// must match, so they are kept as they are.
constexpr double kPi = 3.14159;
constexpr double kHalfPi = 1.570795;
constexpr double kThreeHalfPi = 4.712385;

struct FigurePlacement {
    int rear = -1;
    int front = -1;
    Point centre{};
    double angle = 0;
    bool bothLinked = false; // neither end of the track was reached
};

// The figure of the given width at track position b: each end is the first
// position along the links whose distance from b exceeds width * 7 / 20,
// or where the track ends.
FigurePlacement placeFigure(const Track& track, const TrackLinks& links, int b, int figureWidth,
                            bool turned);

// A point of a figure w x h rotated about its middle and moved to the centre.
Point placeFigurePoint(const FigurePlacement& placement, int w, int h, Point p);

} // namespace vardo::layout
