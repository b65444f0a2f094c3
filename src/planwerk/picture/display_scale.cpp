#include "planwerk/picture/display_scale.h"

#include <algorithm>
#include <cstdint>

namespace planwerk {

DisplayScale displayScale(int width, int height, int screenWidth, int screenHeight)
{
    DisplayScale d{width, height, 100};
    if (width <= 0 || height <= 0)
        return d;
    const int64_t roomW = std::max(1, screenWidth - kFrameExtraWidth);
    const int64_t roomH = std::max(1, screenHeight - kFrameExtraHeight);
    if (width <= roomW && height <= roomH)
        return d;
    int64_t w = roomW;
    int64_t h = int64_t(height) * w / width;
    if (h > roomH) {
        h = roomH;
        w = int64_t(width) * h / height;
    }
    // A picture far thinner than the screen could round to nothing.
    d.width = int(std::max<int64_t>(w, 1));
    d.height = int(std::max<int64_t>(h, 1));
    d.scale = int(std::max<int64_t>(w * 100 / width, 1));
    return d;
}

} // namespace planwerk
