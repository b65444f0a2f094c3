#pragma once
// The train picture: the part of the train edit picture inside the train
// rectangle, turned upright and stretched to the train height.
#include "common/bmp.h"
#include "planwerk/picture/train_rectangle.h"

#include <string>

namespace planwerk {

// Builds the picture of height `trainSize` and the rectangle's proportions.
// False, and `out` untouched, when the rectangle has no length or no height
// or the edit picture is empty.
bool buildTrainPicture(const common::Bitmap& editPicture, const TrainRectangle& rect, int trainSize,
                       common::Bitmap& out);

// A copy of the s x s square at (left, top) of `picture`, turned by `angle`
// radians about its centre with bilinear sampling; outside pixels are black.
// Output (u, v) shows the source at centre + R(angle) (u, v) - centre, so a
// line at `angle` in the source runs to the right in the result.
common::Bitmap turnedSquare(const common::Bitmap& picture, int left, int top, int side,
                            double angle);

// The train picture file: a 24-bit BMP. On failure `error` holds the
// message to show.
bool writeTrainPicture(const std::string& path, const common::Bitmap& trainPicture,
                       std::string& error);

} // namespace planwerk
