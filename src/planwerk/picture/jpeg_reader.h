#pragma once
// JPEG photographs decoded through the libjpeg 6b interface into a 24-bit
// bottom-up picture (blue, green, red).
#include "common/bmp.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace planwerk {

// Largest picture decoded, in pixels: a 48-megapixel photograph.
inline constexpr size_t kMaxJpegPixels = size_t(8000) * 6000;

// Any decoding error, and any warning (a truncated file only warns), fails
// the read; `out` is left as it was then.
bool readJpegFile(const std::string& path, common::Bitmap& out, size_t maxPixels = kMaxJpegPixels);
bool decodeJpeg(const uint8_t* data, size_t size, common::Bitmap& out,
                size_t maxPixels = kMaxJpegPixels);

} // namespace planwerk
