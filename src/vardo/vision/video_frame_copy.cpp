#include "vardo/vision/video_frame_copy.h"

#include <cstring>

namespace vardo::vision {

bool packBottomUp(const uint8_t* topDown, size_t topDownLength, size_t stride, int width,
                  int height, uint8_t* packed, size_t packedLength)
{
    if (width <= 0 || height <= 0 || topDown == nullptr || packed == nullptr)
        return false;
    const size_t row = size_t(width) * 3;
    if (stride < row || packedLength != row * size_t(height))
        return false;
    // The last row needs only its pixels, not the padding after them.
    if (topDownLength < stride * size_t(height - 1) + row)
        return false;
    for (int y = 0; y < height; ++y)
        std::memcpy(packed + size_t(height - 1 - y) * row, topDown + size_t(y) * stride, row);
    return true;
}

} // namespace vardo::vision
