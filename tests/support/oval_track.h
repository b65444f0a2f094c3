#pragma once
// The track most assembly tests run on: one closed oval of 200 vertices
// around the middle of a 640 x 480 picture.
#include "layoutdata/layout_files.h"

#include <cmath>

namespace vardo::testing {

inline layoutdata::PolylineFile ovalTrack()
{
    layoutdata::PolylineFile track;
    const int count = 200;
    for (int i = 0; i < count; ++i) {
        const double a = 2 * 3.141592653589793 * i / count;
        track.vertices.push_back(
            {int(std::lround(320 + 200 * std::cos(a))), int(std::lround(240 + 150 * std::sin(a)))});
    }
    track.vertexCounts.push_back(count);
    return track;
}

} // namespace vardo::testing
