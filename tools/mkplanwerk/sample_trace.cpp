#include "sample_trace.h"

#include "layout_builder.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>
#include <sstream>

namespace mkplanwerk {

namespace {

using layoutdata::Point;

// Clicks here first and then drags the vertex into place: the editor puts
// a new siding vertex in x order, which a siding that turns back in x
// would not keep.
constexpr int kParkingX = 635;

Point onLoop(const mklayout::Ellipse& e, int k)
{
    double t = k * 2.0 * std::numbers::pi / kOuterVertices;
    return {int32_t(std::lround(e.cx + e.rx * std::cos(t))),
            int32_t(std::lround(e.cy + e.ry * std::sin(t)))};
}

int64_t squared(Point a, Point b)
{
    int64_t dx = a.x - b.x, dy = a.y - b.y;
    return dx * dx + dy * dy;
}

void traceOuterLoop(const mklayout::Description& d, std::ostream& out)
{
    const auto& e = *d.outer;
    out << "# The outer loop: " << kOuterVertices << " clicks, sorted by angle.\nmode outer\n";
    for (int k = 0; k < kOuterVertices; ++k) {
        Point p = onLoop(e, k);
        out << "click " << p.x << ' ' << p.y << '\n';
    }
    out << "# An arc through every other vertex.\n";
    for (int k = 0; k < kOuterVertices; k += 2) {
        Point p = onLoop(e, k);
        out << "menu " << p.x << ' ' << p.y << "\ncommand toggle-curve\n";
    }
    if (d.home) {
        int best = 0;
        for (int k = 1; k < kOuterVertices; ++k) {
            if (squared(onLoop(e, k), *d.home) < squared(onLoop(e, best), *d.home))
                best = k;
        }
        Point p = onLoop(e, best);
        out << "# The platform.\nmenu " << p.x << ' ' << p.y << "\ncommand platform\n";
    }
}

void traceSiding(const mklayout::Ellipse& loop, const mklayout::SidingSpec& s, std::ostream& out)
{
    mklayout::Ellipse coarse = loop;
    coarse.step = kSidingSpacing;
    auto points = mklayout::sidingVertices(coarse, s);
    Point turnout = points.front();
    out << "# Siding from " << s.from << " to " << s.to << " degrees.\n";
    // The dialog: 0 forward, 1 backward; the terminal box is fixed.
    out << "answer ok " << s.direction - 1 << " 0 " << (s.linked ? 1 : 0) << '\n';
    out << "menu " << turnout.x << ' ' << turnout.y << "\ncommand create-turnout\n";
    int largestX = turnout.x;
    for (size_t i = 1; i < points.size(); ++i) {
        Point p = points[i];
        if (p.x > largestX) {
            out << "click " << p.x << ' ' << p.y << '\n';
            largestX = p.x;
        } else {
            out << "click " << kParkingX << ' ' << p.y << '\n';
            out << "drag " << kParkingX << ' ' << p.y << ' ' << p.x << ' ' << p.y << '\n';
        }
    }
    if (s.rejoin) {
        Point end = points.back();
        out << "# It meets the loop again: a terminal point.\n";
        out << "menu " << end.x << ' ' << end.y << '\n';
        out << "command point-settings " << (s.direction == 1 ? 1 : 0) << " 1 0\n";
    }
}

} // namespace

bool traceScript(const mklayout::Description& d, std::string& script, std::string& error)
{
    if (!d.outer) {
        error = "the description has no outer loop";
        return false;
    }
    std::ostringstream out;
    out << "# Traces the sample layout on its photograph (written by mkplanwerk).\n";
    traceOuterLoop(d, out);
    if (!d.sidings.empty())
        out << "mode sidings\n";
    for (const auto& s : d.sidings)
        traceSiding(*d.outer, s, out);
    script = out.str();
    return true;
}

} // namespace mkplanwerk
