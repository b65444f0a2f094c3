#include "vardo/layout/photo_rotation.h"

#include <cmath>

namespace vardo::layout {

int workPictureSide(int width, int height)
{
    int diagonal = int(std::sqrt(double(width) * width + double(height) * height));
    return (diagonal + 4) / 4 * 4 + 4;
}

namespace {

// One channel blended from four neighbours with weights in 1/1024.
inline int blend(int a, int b, int c, int d, int fx, int fy)
{
    int top = a * (1024 - fx) + b * fx;
    int bottom = c * (1024 - fx) + d * fx;
    return (top * (1024 - fy) + bottom * fy) >> 20;
}

} // namespace

void rotatePhoto(const QImage& source, double angle, QImage& work)
{
    QImage photo = source.convertToFormat(QImage::Format_RGB888);
    const int c = int(std::cos(angle) * 1024);
    const int s = int(std::sin(angle) * 1024);
    const int w = photo.width(), h = photo.height();
    const int half = work.width() / 2;
    const long long originX = (long long)w * 512; // photo centre in 1/1024
    const long long originY = (long long)h * 512;
    for (int v = 0; v < work.height(); ++v) {
        uchar* out = work.scanLine(v);
        const int dv = v - half;
        for (int u = 0; u < work.width(); ++u) {
            const int du = u - half;
            // Inverse turn: where this work pixel comes from in the photo.
            long long sx = (long long)du * c + (long long)dv * s + originX;
            long long sy = -(long long)du * s + (long long)dv * c + originY;
            if (sx < 0 || sy < 0)
                continue;
            int ix = int(sx >> 10), iy = int(sy >> 10);
            if (ix >= w || iy >= h)
                continue;
            int fx = int(sx & 1023), fy = int(sy & 1023);
            int ix1 = ix + 1 < w ? ix + 1 : ix;
            int iy1 = iy + 1 < h ? iy + 1 : iy;
            const uchar* r0 = photo.constScanLine(iy);
            const uchar* r1 = photo.constScanLine(iy1);
            for (int k = 0; k < 3; ++k)
                out[3 * u + k] = uchar(blend(r0[3 * ix + k], r0[3 * ix1 + k], r1[3 * ix + k],
                                             r1[3 * ix1 + k], fx, fy));
        }
    }
}

} // namespace vardo::layout
