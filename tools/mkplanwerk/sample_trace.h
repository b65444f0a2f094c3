#pragma once
// The edit script that traces a described layout the way a user traces its
// photograph in the editor: the outer loop by clicks with a curve on every
// other vertex and the platform, then each siding from its turnout.
#include "layout_description.h"

#include <string>

namespace mkplanwerk {

// Vertices of the traced outer loop.
inline constexpr int kOuterVertices = 16;
// Spacing of the traced siding vertices, pixels.
inline constexpr int kSidingSpacing = 36;

// False with a reason when the description has no outer loop.
bool traceScript(const mklayout::Description& d, std::string& script, std::string& error);

} // namespace mkplanwerk
