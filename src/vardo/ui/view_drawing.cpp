#include "vardo/ui/view_drawing.h"

#include <QPainter>
#include <cstring>

namespace vardo::ui {

void drawFrame(QImage& picture, std::span<const uint8_t> frame, int width, int height)
{
    const size_t stride = size_t(width) * 3;
    if (width <= 0 || height <= 0 || frame.size() < stride * size_t(height) ||
        picture.width() != width || picture.height() != height ||
        picture.format() != QImage::Format_BGR888)
        return;
    // Format_BGR888 keeps the frame's byte order: only the rows turn.
    for (int y = 0; y < height; ++y)
        std::memcpy(picture.scanLine(y), frame.data() + size_t(height - 1 - y) * stride, stride);
}

void drawDifference(QImage& picture, std::span<const uint8_t> difference, int width, int height)
{
    if (width <= 0 || height <= 0 || difference.size() < size_t(width) * size_t(height) ||
        picture.width() != width || picture.height() != height ||
        picture.format() != QImage::Format_BGR888)
        return;
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = difference.data() + size_t(height - 1 - y) * size_t(width);
        uint8_t* dst = picture.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const uint8_t v = src[x] ? 255 : 0;
            std::memset(dst + size_t(x) * 3, v, 3);
        }
    }
}

void drawCross(QPainter& painter, Point p)
{
    painter.drawLine(p.x - kCrossArm, p.y, p.x + kCrossArm, p.y);
    painter.drawLine(p.x, p.y - kCrossArm, p.x, p.y + kCrossArm);
}

void drawDetection(QPainter& painter, vision::DisplaySubMode sub,
                   const vision::AnalysisResult& result)
{
    const vision::PolygonSet& set = result.polygons;
    switch (sub) {
    case vision::DisplaySubMode::Vector:
        for (int k = 0; k < set.count; ++k) {
            QPolygon line;
            const int first = set.firstVertex(k);
            for (int i = 0; i < set.counts[size_t(k)]; ++i) {
                const Point& p = set.vertices[size_t(first + i)];
                line << QPoint(p.x, p.y);
            }
            painter.drawPolyline(line);
        }
        break;
    case vision::DisplaySubMode::Polygon: {
        QPolygon line;
        for (int k = 0; k < set.count; ++k)
            line << QPoint(result.centroids[size_t(k)].x, result.centroids[size_t(k)].y);
        painter.drawPolyline(line);
        break;
    }
    case vision::DisplaySubMode::Centroid:
        if (set.count > 0)
            drawCross(painter, result.objectCentroid);
        break;
    case vision::DisplaySubMode::TrainFigure:
        break;
    }
}

std::vector<QPolygon> outlineInCamera(const vision::RotatedOutline& outline,
                                      const vision::CalibrationRecord& r, int frameWidth,
                                      int frameHeight)
{
    std::vector<QPolygon> lines;
    const vision::Extent& e = outline.rotatedExtent;
    const int rotatedWidth = e.xmax - e.xmin;
    const int rotatedHeight = e.ymax - e.ymin;
    if (!outline.hasExtent || rotatedWidth == 0 || rotatedHeight == 0 || !r.rectangleRecorded())
        return lines;
    // The viewport origin shifts by the rotated centre in frame-to-layout
    // proportion, the scale maps the rotated extent onto the rectangle.
    const double originX = (int64_t(r.left) + r.right) / 2 - (e.xmin + e.xmax) / 2.0 * frameWidth / 640.0;
    const double originY = (int64_t(r.top) + r.bottom) / 2 - (e.ymin + e.ymax) / 2.0 * frameHeight / 480.0;
    const double scaleX = (double(r.right) - r.left) / rotatedWidth;
    const double scaleY = (double(r.bottom) - r.top) / rotatedHeight;
    size_t at = 0;
    for (int count : outline.lineCounts) {
        QPolygon line;
        for (int i = 0; i < count && at < outline.points.size(); ++i, ++at) {
            const Point& p = outline.points[at];
            line << QPoint(int(originX + p.x * scaleX), int(originY + p.y * scaleY));
        }
        lines.push_back(line);
    }
    return lines;
}

void drawAngleCorrection(QPainter& painter, const AngleOverlay& overlay, int frameWidth,
                         int frameHeight)
{
    for (const QPolygon& line : outlineInCamera(overlay.outline, overlay.record, frameWidth,
                                                frameHeight))
        painter.drawPolyline(line);
    for (const QPolygon& region : overlay.regions)
        painter.drawPolygon(region);
    if (overlay.marker.x != -1 || overlay.marker.y != -1)
        drawCross(painter, overlay.marker);
}

void drawCalibrationRectangle(QPainter& painter, const vision::CalibrationRecord& r)
{
    if (!r.rectangleRecorded())
        return;
    QPolygon box;
    box << QPoint(r.left, r.top) << QPoint(r.right, r.top) << QPoint(r.right, r.bottom)
        << QPoint(r.left, r.bottom) << QPoint(r.left, r.top);
    painter.drawPolyline(box);
}

void drawPassPoint(QPainter& painter, Point centre, int radius)
{
    painter.save();
    painter.setPen(QPen(QColor(255, 0, 0), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPoint(centre.x, centre.y), radius, radius);
    painter.restore();
}

} // namespace vardo::ui
