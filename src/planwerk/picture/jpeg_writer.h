#pragma once
// JPEG encoding of a 24-bit picture: used to make test photographs and
// benchmark inputs, never by the editor's own commands.
#include "common/bmp.h"

#include <cstdint>
#include <vector>

namespace planwerk {

// Empty on failure. `quality` is libjpeg's 1..100.
std::vector<uint8_t> encodeJpeg(const common::Bitmap& picture, int quality = 90);

} // namespace planwerk
