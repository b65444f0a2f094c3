#pragma once
// Turning a train photograph with bilinear interpolation in integer
// arithmetic: cosine and sine scaled by 1024, positions in 1/1024 pixels.
#include <QImage>

namespace vardo::layout {

// Side of the square work picture for a photograph: room for it at any angle.
int workPictureSide(int width, int height);

// Draws the photograph into the square work picture (RGB888), turned by
// the angle (radians) about the centres of both. Pixels that fall outside
// the photograph are left as they are.
void rotatePhoto(const QImage& photo, double angle, QImage& work);

} // namespace vardo::layout
