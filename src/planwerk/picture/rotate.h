#pragma once
#include "common/bmp.h"

namespace planwerk {

// Turns the picture by 180 degrees (mirrored in x and in y).
void rotate180(common::Bitmap& picture);

} // namespace planwerk
