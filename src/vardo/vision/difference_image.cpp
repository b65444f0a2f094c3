#include "vardo/vision/difference_image.h"

#include <cstring>

namespace vardo::vision {

int diffThreshold(int diffLevel, int width)
{
    return int((100LL - diffLevel) * width / 100);
}

void computeDifference(const uint8_t* frame, const uint8_t* reference, size_t pixels,
                       int threshold, const uint8_t* mask, uint8_t* out)
{
    if (threshold <= 0) {
        // Every pixel counts as changed.
        for (size_t i = 0; i < pixels; ++i)
            out[i] = mask && mask[i] ? 0 : 1;
        return;
    }
    if (threshold > 255) {
        std::memset(out, 0, pixels);
        return;
    }
    // Branch-free so the loop vectorises: a channel changed when
    // |a - b| >= t, i.e. |a - b| > t - 1.
    const int limit = threshold - 1;
    for (size_t i = 0; i < pixels; ++i) {
        const uint8_t* a = frame + 3 * i;
        const uint8_t* b = reference + 3 * i;
        int d0 = a[0] > b[0] ? a[0] - b[0] : b[0] - a[0];
        int d1 = a[1] > b[1] ? a[1] - b[1] : b[1] - a[1];
        int d2 = a[2] > b[2] ? a[2] - b[2] : b[2] - a[2];
        int m = d0 > d1 ? d0 : d1;
        m = m > d2 ? m : d2;
        out[i] = uint8_t(m > limit);
    }
    if (mask) {
        for (size_t i = 0; i < pixels; ++i)
            out[i] &= uint8_t(mask[i] == 0);
    }
}

void erode(uint8_t* image, int width, int height, std::vector<uint8_t>& scratch)
{
    if (width <= 0 || height <= 0)
        return;
    const size_t w = size_t(width), h = size_t(height);
    if (width < 3 || height < 3) {
        std::memset(image, 0, w * h);
        return;
    }
    // The border goes first, so the interior rule sees it cleared.
    std::memset(image, 0, w);
    std::memset(image + (h - 1) * w, 0, w);
    for (size_t r = 1; r + 1 < h; ++r) {
        image[r * w] = 0;
        image[r * w + w - 1] = 0;
    }
    // Horizontal then vertical 3-wide AND (values are 0 or 1 here): the
    // same as requiring all nine, computed from the old values only.
    scratch.resize(w * h);
    uint8_t* row3 = scratch.data();
    for (size_t r = 0; r < h; ++r) {
        const uint8_t* in = image + r * w;
        uint8_t* out = row3 + r * w;
        out[0] = 0;
        out[w - 1] = 0;
        for (size_t c = 1; c + 1 < w; ++c)
            out[c] = in[c - 1] & in[c] & in[c + 1];
    }
    for (size_t r = 1; r + 1 < h; ++r) {
        const uint8_t* above = row3 + (r - 1) * w;
        const uint8_t* mid = row3 + r * w;
        const uint8_t* below = row3 + (r + 1) * w;
        uint8_t* out = image + r * w;
        for (size_t c = 0; c < w; ++c)
            out[c] = above[c] & mid[c] & below[c];
    }
}

} // namespace vardo::vision
