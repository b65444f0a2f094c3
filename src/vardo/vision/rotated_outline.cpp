#include "vardo/vision/rotated_outline.h"

#include <algorithm>

namespace vardo::vision {

RotatedOutline buildRotatedOutline(const layout::Track& track, double angle)
{
    RotatedOutline out;
    const Extent& e = track.extent();
    const int xc = (e.xmin + e.xmax) / 2, yc = (e.ymin + e.ymax) / 2;
    out.points.reserve(size_t(track.positionCount() / kOutlineStep + track.polylineCount() + 1));
    for (int line = 0; line < track.polylineCount(); ++line) {
        const int start = track.polylineStart(line), size = track.polylineSize(line);
        int count = 0;
        for (int i = 0; i < size; i += kOutlineStep) {
            const Point& p = track.position(start + i);
            Point r = rotateAbout(p.x, p.y, xc, yc, angle);
            out.points.push_back(r);
            ++count;
            if (line != 0)
                continue;
            Extent& x = out.rotatedExtent;
            if (!out.hasExtent) {
                x = {r.x, r.y, r.x, r.y};
                out.hasExtent = true;
            }
            x.xmin = std::min(x.xmin, r.x);
            x.xmax = std::max(x.xmax, r.x);
            x.ymin = std::min(x.ymin, r.y);
            x.ymax = std::max(x.ymax, r.y);
        }
        out.lineCounts.push_back(count);
    }
    return out;
}

} // namespace vardo::vision
