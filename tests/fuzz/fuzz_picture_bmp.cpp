// libFuzzer target: the BMP reader of every depth over arbitrary bytes.
#include "planwerk/picture/bmp_reader.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size);
    common::Bitmap picture;
    if (planwerk::decodeBmp(bytes, picture)) {
        // An accepted picture holds exactly its pixels and writes as a file
        // that reads back the same.
        if (picture.bgr.size() != size_t(picture.width) * 3 * size_t(picture.height))
            __builtin_trap();
        common::Bitmap back;
        if (!planwerk::decodeBmp(common::encodeBitmap(picture), back) || back.bgr != picture.bgr)
            __builtin_trap();
    }
    return 0;
}
