#include "vardo/vision/exception_mask.h"

#include <QImage>
#include <QPainter>
#include <QPolygon>

namespace vardo::vision {

bool projectRegions(const layoutdata::PolylineFile& regions, const MaskGeometry& g,
                    std::vector<Point>& out)
{
    out.clear();
    const Extent& r = g.rotatedExtent;
    const int rotatedWidth = r.xmax - r.xmin, rotatedHeight = r.ymax - r.ymin;
    if (rotatedWidth == 0 || rotatedHeight == 0)
        return false;
    const int xc = (g.trackExtent.xmin + g.trackExtent.xmax) / 2;
    const int yc = (g.trackExtent.ymin + g.trackExtent.ymax) / 2;
    const long long shiftX =
        (int64_t(g.right) + g.left) / 2 - ((r.xmin + r.xmax) / 2 * (long long)g.frameWidth) / 640;
    const long long shiftY =
        (int64_t(g.bottom) + g.top) / 2 - ((r.ymin + r.ymax) / 2 * (long long)g.frameHeight) / 480;
    out.reserve(regions.vertices.size());
    for (const Point& v : regions.vertices) {
        Point p = rotateAbout(v.x, v.y, xc, yc, g.angle);
        long long x = (int64_t(g.right) - g.left) * p.x / rotatedWidth + shiftX;
        long long y = (int64_t(g.bottom) - g.top) * p.y / rotatedHeight + shiftY;
        out.push_back({int32_t(x), int32_t(y)});
    }
    return true;
}

bool buildMask(const layoutdata::PolylineFile& regions, const MaskGeometry& g,
               std::vector<uint8_t>& mask)
{
    mask.clear();
    if (regions.polylineCount() == 0 || g.frameWidth <= 0 || g.frameHeight <= 0)
        return false;
    std::vector<Point> points;
    if (!projectRegions(regions, g, points))
        return false;

    QImage picture(g.frameWidth, g.frameHeight, QImage::Format_Grayscale8);
    picture.fill(0);
    {
        // Each region is filled on its own, so overlapping regions add up
        // instead of cancelling; within one region the alternate rule holds.
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        size_t next = 0;
        for (int32_t count : regions.vertexCounts) {
            QPolygon polygon;
            for (int32_t k = 0; k < count && next < points.size(); ++k, ++next)
                polygon << QPoint(points[next].x, points[next].y);
            if (polygon.size() >= 3)
                painter.drawPolygon(polygon, Qt::OddEvenFill);
        }
    }
    const int w = g.frameWidth, h = g.frameHeight;
    mask.assign(size_t(w) * size_t(h), 0);
    for (int y = 0; y < h; ++y) {
        const uchar* row = picture.constScanLine(y);
        uint8_t* out = &mask[size_t(h - 1 - y) * size_t(w)];
        for (int x = 0; x < w; ++x)
            out[x] = row[x] != 0 ? 1 : 0;
    }
    return true;
}

} // namespace vardo::vision
