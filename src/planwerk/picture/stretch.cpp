#include "planwerk/picture/stretch.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace planwerk {

namespace {

// One source pixel's share of an output pixel along one axis. Lengths are
// measured in units where a source pixel is `outCount` long and an output
// pixel `inCount` long, so every share is an exact integer and the shares
// of one output pixel add up to `inCount`.
struct Share {
    int source;
    uint32_t weight;
};

struct AxisPlan {
    std::vector<uint32_t> first; // first share of each output pixel, plus the end
    std::vector<Share> shares;
};

AxisPlan planAxis(int inStart, int inCount, int outCount)
{
    AxisPlan plan;
    plan.first.reserve(size_t(outCount) + 1);
    for (int o = 0; o < outCount; ++o) {
        plan.first.push_back(uint32_t(plan.shares.size()));
        const int64_t lo = int64_t(o) * inCount;
        const int64_t hi = lo + inCount;
        for (int64_t i = lo / outCount; i * outCount < hi; ++i) {
            const int64_t a = std::max(lo, i * outCount);
            const int64_t b = std::min(hi, (i + 1) * outCount);
            if (b > a)
                plan.shares.push_back({inStart + int(i), uint32_t(b - a)});
        }
    }
    plan.first.push_back(uint32_t(plan.shares.size()));
    return plan;
}

} // namespace

PictureRect clipToPicture(PictureRect area, int width, int height)
{
    int64_t x0 = std::max<int64_t>(area.x, 0);
    int64_t y0 = std::max<int64_t>(area.y, 0);
    int64_t x1 = std::min<int64_t>(int64_t(area.x) + area.width, width);
    int64_t y1 = std::min<int64_t>(int64_t(area.y) + area.height, height);
    if (x1 <= x0 || y1 <= y0)
        return {};
    return {int(x0), int(y0), int(x1 - x0), int(y1 - y0)};
}

common::Bitmap stretchArea(const common::Bitmap& source, PictureRect area, int width, int height)
{
    area = clipToPicture(area, source.width, source.height);
    if (area.empty() || width <= 0 || height <= 0)
        return {};
    const AxisPlan across = planAxis(area.x, area.width, width);
    const AxisPlan down = planAxis(area.y, area.height, height);

    // Pass 1: each source row of the area to `width` pixels, kept with 8
    // extra bits of precision.
    std::vector<uint16_t> rows(size_t(area.height) * size_t(width) * 3);
    for (int y = 0; y < area.height; ++y) {
        const uint8_t* in = source.pixel(0, area.y + y);
        uint16_t* out = &rows[size_t(y) * size_t(width) * 3];
        for (int o = 0; o < width; ++o) {
            uint32_t sum[3] = {0, 0, 0};
            for (uint32_t k = across.first[size_t(o)]; k < across.first[size_t(o) + 1]; ++k) {
                const Share& s = across.shares[k];
                const uint8_t* p = in + size_t(s.source) * 3;
                sum[0] += p[0] * s.weight;
                sum[1] += p[1] * s.weight;
                sum[2] += p[2] * s.weight;
            }
            for (int c = 0; c < 3; ++c)
                out[3 * o + c] = uint16_t((uint64_t(sum[c]) * 256 + uint32_t(area.width) / 2) /
                                          uint32_t(area.width));
        }
    }

    // Pass 2: the columns to `height` rows.
    common::Bitmap result;
    result.width = width;
    result.height = height;
    result.bgr.resize(size_t(width) * 3 * size_t(height));
    const uint64_t divisor = uint64_t(area.height) * 256;
    std::vector<uint64_t> sum(size_t(width) * 3);
    for (int o = 0; o < height; ++o) {
        std::fill(sum.begin(), sum.end(), 0);
        for (uint32_t k = down.first[size_t(o)]; k < down.first[size_t(o) + 1]; ++k) {
            const Share& s = down.shares[k];
            const uint16_t* in = &rows[size_t(s.source - area.y) * size_t(width) * 3];
            for (size_t i = 0; i < sum.size(); ++i)
                sum[i] += uint64_t(in[i]) * s.weight;
        }
        uint8_t* out = result.pixel(0, o);
        for (size_t i = 0; i < sum.size(); ++i)
            out[i] = uint8_t((sum[i] + divisor / 2) / divisor);
    }
    return result;
}

} // namespace planwerk
