#include "vardo/vision/difference_image.h"

#include <algorithm>
#include <cstring>

namespace vardo::vision {

namespace {
// Bytes per block of the difference pass (a multiple of 3).
constexpr size_t kChunk = 3 * 1024;
} // namespace

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
    // Two branch-free passes that vectorise: each byte's change flag, then
    // the three flags of a pixel folded into one.
    const int limit = threshold - 1;
    const size_t bytes = pixels * 3;
    for (size_t start = 0; start < bytes; start += kChunk) {
        const size_t n = std::min(kChunk, bytes - start);
        uint8_t flags[kChunk];
        const uint8_t* a = frame + start;
        const uint8_t* b = reference + start;
        for (size_t j = 0; j < n; ++j) {
            const uint8_t d = uint8_t(a[j] > b[j] ? a[j] - b[j] : b[j] - a[j]);
            flags[j] = uint8_t(d > limit);
        }
        uint8_t* o = out + start / 3;
        for (size_t j = 0; j < n / 3; ++j)
            o[j] = flags[3 * j] | flags[3 * j + 1] | flags[3 * j + 2];
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
