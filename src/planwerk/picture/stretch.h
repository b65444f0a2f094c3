#pragma once
// Smooth stretching by area averaging: every output pixel is the mean of the
// source area it covers, weighted by how much of each source pixel lies in
// it. Shrinking a photograph this way keeps fine detail from aliasing;
// enlarging gives each output pixel the share of the one or two source
// pixels under it.
#include "common/bmp.h"
#include "planwerk/picture/picture_geometry.h"

namespace planwerk {

// Stretches `area` of `source` (clipped to it) to width x height. Empty when
// the clipped area or the target size is empty.
common::Bitmap stretchArea(const common::Bitmap& source, PictureRect area, int width, int height);

// `area` cut down to the picture; empty when nothing of it lies inside.
PictureRect clipToPicture(PictureRect area, int width, int height);

} // namespace planwerk
