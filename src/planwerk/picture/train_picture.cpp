#include "planwerk/picture/train_picture.h"

#include "planwerk/picture/image_file.h"
#include "planwerk/picture/stretch.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace planwerk {

namespace {

constexpr int kFractionBits = 10; // source steps in units of 1/1024
constexpr int64_t kOne = int64_t(1) << kFractionBits;

// The pixel at (x, y), or black outside the picture.
const uint8_t* pixelOrNull(const common::Bitmap& p, int64_t x, int64_t y)
{
    if (x < 0 || y < 0 || x >= p.width || y >= p.height)
        return nullptr;
    return p.pixel(int(x), int(y));
}

void sampleBilinear(const common::Bitmap& p, int64_t fx, int64_t fy, uint8_t* out)
{
    const int64_t x = fx >> kFractionBits, y = fy >> kFractionBits;
    const int64_t ax = fx & (kOne - 1), ay = fy & (kOne - 1);
    const uint8_t* c[4] = {pixelOrNull(p, x, y), pixelOrNull(p, x + 1, y), pixelOrNull(p, x, y + 1),
                           pixelOrNull(p, x + 1, y + 1)};
    const int64_t w[4] = {(kOne - ax) * (kOne - ay), ax * (kOne - ay), (kOne - ax) * ay, ax * ay};
    for (int ch = 0; ch < 3; ++ch) {
        int64_t sum = 0;
        for (int k = 0; k < 4; ++k)
            if (c[k] != nullptr)
                sum += w[k] * c[k][ch];
        out[ch] = uint8_t((sum + (kOne * kOne) / 2) >> (2 * kFractionBits));
    }
}

double distance(PicturePoint a, PicturePoint b)
{
    return std::hypot(double(a.x - b.x), double(a.y - b.y));
}

} // namespace

common::Bitmap turnedSquare(const common::Bitmap& picture, int left, int top, int side,
                            double angle)
{
    common::Bitmap out;
    if (side <= 0)
        return out;
    out.width = out.height = side;
    out.bgr.assign(size_t(side) * 3 * size_t(side), 0);
    const int64_t c = int64_t(side) * kOne / 2; // centre, in 1/1024 pixels
    const int64_t cosA = std::llround(std::cos(angle) * kOne);
    const int64_t sinA = std::llround(std::sin(angle) * kOne);
    for (int v = 0; v < side; ++v) {
        const int64_t dv = int64_t(v) * kOne - c;
        // Source position of (0, v), then one step per output pixel.
        int64_t sx = int64_t(left) * kOne + c + ((-c) * cosA - dv * sinA) / kOne;
        int64_t sy = int64_t(top) * kOne + c + ((-c) * sinA + dv * cosA) / kOne;
        uint8_t* row = out.pixel(0, v);
        for (int u = 0; u < side; ++u, sx += cosA, sy += sinA)
            sampleBilinear(picture, sx, sy, row + 3 * u);
    }
    return out;
}

bool buildTrainPicture(const common::Bitmap& editPicture, const TrainRectangle& rect, int trainSize,
                       common::Bitmap& out)
{
    const auto& p = rect.p;
    const double length = distance(p[1], p[0]);
    const double height = distance(p[0], p[3]);
    if (length < 1 || height < 1 || trainSize <= 0 || editPicture.width <= 0 ||
        editPicture.height <= 0)
        return false;
    const int width = std::max(1, int(std::lround(trainSize * length / height)));

    int minX = p[0].x, maxX = p[0].x, minY = p[0].y, maxY = p[0].y;
    for (size_t i : {1u, 3u, 4u}) {
        minX = std::min(minX, p[i].x);
        maxX = std::max(maxX, p[i].x);
        minY = std::min(minY, p[i].y);
        maxY = std::max(maxY, p[i].y);
    }
    // The square must hold the turned rectangle whole, whatever its angle:
    // its side covers both extents and both sides of the rectangle.
    const int extent =
        std::max({maxX - minX, maxY - minY, int(std::ceil(length)), int(std::ceil(height))});
    const int side = (extent + 4) / 4 * 4;
    const int left = (maxX + minX - side) / 2;
    const int top = (maxY + minY - side) / 2;
    const double angle = std::atan2(double(p[4].y - p[3].y), double(p[4].x - p[3].x));
    const common::Bitmap turned = turnedSquare(editPicture, left, top, side, angle);

    const int l = std::min(side, int(length));
    const int t = std::min(side, int(height));
    const PictureRect middle{(side - l) / 2, (side - t) / 2, l, t};
    common::Bitmap result = stretchArea(turned, middle, width, trainSize);
    if (result.bgr.empty())
        return false;
    out = std::move(result);
    return true;
}

bool writeTrainPicture(const std::string& path, const common::Bitmap& trainPicture,
                       std::string& error)
{
    return writeBitmapFile(path, trainPicture, error);
}

} // namespace planwerk
