#include "planwerk/picture/rotate.h"

#include <algorithm>

namespace planwerk {

// Rows without padding make the turned picture the pixel sequence read
// backwards.
void rotate180(common::Bitmap& picture)
{
    const size_t pixels = picture.bgr.size() / 3;
    uint8_t* p = picture.bgr.data();
    for (size_t i = 0, j = pixels; i + 1 < j; ++i) {
        --j;
        std::swap_ranges(p + 3 * i, p + 3 * i + 3, p + 3 * j);
    }
}

} // namespace planwerk
