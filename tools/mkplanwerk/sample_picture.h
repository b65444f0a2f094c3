#pragma once
// A photograph-like picture of a described layout: a baseboard with grain,
// ballast, sleepers and rails, a platform, and some trees.
#include "layout_description.h"

#include <QImage>

namespace mkplanwerk {

QImage samplePicture(const mklayout::Description& d);

} // namespace mkplanwerk
