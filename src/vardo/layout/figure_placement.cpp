#include "vardo/layout/figure_placement.h"

#include <cmath>

namespace vardo::layout {

namespace {

// Steps along one kind of link until the distance from b exceeds d. On a
// closed circuit shorter than the figure the walk stops after one round.
template <typename Step>
int walk(const Track& track, int b, int d, Step step)
{
    const Point& origin = track.position(b);
    long long limit = (long long)d * d;
    int at = b;
    for (int n = 0; n < track.positionCount(); ++n) {
        int to = step(at);
        if (to < 0)
            return at;
        at = to;
        const Point& p = track.position(at);
        long long dx = p.x - origin.x, dy = p.y - origin.y;
        if (dx * dx + dy * dy > limit)
            return at;
    }
    return at;
}

double vectorAngle(int dx, int dy)
{
    if (dy == 0)
        return dx < 0 ? kPi : 0.0;
    if (dx == 0)
        return dy > 0 ? kHalfPi : kThreeHalfPi;
    return std::atan2(double(dy), double(dx));
}

} // namespace

FigurePlacement placeFigure(const Track& track, const TrackLinks& links, int b, int figureWidth,
                            bool turned)
{
    FigurePlacement f;
    if (b < 0 || b >= track.positionCount())
        return f;
    int d = figureWidth * 7 / 20;
    f.rear = walk(track, b, d, [&](int i) { return links.previous(i); });
    f.front = walk(track, b, d, [&](int i) { return links.next(i); });
    const Point& r = track.position(f.rear);
    const Point& fr = track.position(f.front);
    f.angle = vectorAngle(fr.x - r.x, fr.y - r.y) + (turned ? kPi : 0.0);
    f.centre = {(r.x + fr.x) / 2, (r.y + fr.y) / 2};
    f.bothLinked = links.previous(f.rear) >= 0 && links.next(f.front) >= 0;
    return f;
}

Point placeFigurePoint(const FigurePlacement& placement, int w, int h, Point p)
{
    double x = p.x - w / 2;
    double y = p.y - h / 2;
    double c = std::cos(placement.angle), s = std::sin(placement.angle);
    return {int(x * c - y * s + placement.centre.x + 0.5),
            int(x * s + y * c + placement.centre.y + 0.5)};
}

} // namespace vardo::layout
