// libFuzzer target: the JPEG reader over arbitrary bytes.
#include "planwerk/picture/jpeg_reader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    common::Bitmap picture;
    // A header may claim a huge picture; a small limit keeps runs fast.
    if (planwerk::decodeJpeg(data, size, picture, size_t(1) << 22)) {
        if (picture.width <= 0 || picture.height <= 0 ||
            picture.bgr.size() != size_t(picture.width) * 3 * size_t(picture.height))
            __builtin_trap();
    }
    return 0;
}
