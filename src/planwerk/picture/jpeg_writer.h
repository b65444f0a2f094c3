#pragma once
// JPEG encoding of a 24-bit picture: used to make test photographs and
// benchmark inputs, never by the editor's own commands.
#include "common/bmp.h"

#include <cstdint>
#include <vector>

namespace planwerk {

struct JpegOptions {
    int quality = 90;         // libjpeg's 1..100
    bool grey = false;        // one grey channel (the mean of the three)
    bool progressive = false; // several scans instead of one
};

// Empty on failure.
std::vector<uint8_t> encodeJpeg(const common::Bitmap& picture, const JpegOptions& options);
inline std::vector<uint8_t> encodeJpeg(const common::Bitmap& picture, int quality = 90)
{
    return encodeJpeg(picture, JpegOptions{quality, false, false});
}

} // namespace planwerk
