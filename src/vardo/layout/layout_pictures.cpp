#include "vardo/layout/layout_pictures.h"

#include "common/colour.h"

#include <QPainter>
#include <QPolygon>

namespace vardo::layout {

QImage imageFromBitmap(const common::Bitmap& bitmap)
{
    QImage image(bitmap.width, bitmap.height, QImage::Format_RGB888);
    for (int y = 0; y < bitmap.height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < bitmap.width; ++x) {
            const uint8_t* bgr = bitmap.pixel(x, y);
            row[3 * x] = bgr[2];
            row[3 * x + 1] = bgr[1];
            row[3 * x + 2] = bgr[0];
        }
    }
    return image;
}

common::Bitmap bitmapFromImage(const QImage& source)
{
    QImage image = source.convertToFormat(QImage::Format_RGB888);
    common::Bitmap bitmap;
    bitmap.width = image.width();
    bitmap.height = image.height();
    bitmap.bgr.resize(size_t(bitmap.stride()) * size_t(bitmap.height));
    for (int y = 0; y < bitmap.height; ++y) {
        const uchar* row = image.constScanLine(y);
        for (int x = 0; x < bitmap.width; ++x) {
            uint8_t* bgr = bitmap.pixel(x, y);
            bgr[0] = row[3 * x + 2];
            bgr[1] = row[3 * x + 1];
            bgr[2] = row[3 * x];
        }
    }
    return bitmap;
}

QColor colourFromValue(int32_t value)
{
    return QColor(common::colourRed(value), common::colourGreen(value), common::colourBlue(value));
}

bool LayoutPictures::setLayoutPicture(const common::Bitmap& bitmap)
{
    if (bitmap.width != kPictureWidth || bitmap.height != kPictureHeight)
        return false;
    std::lock_guard lock(mutex_);
    layout_ = imageFromBitmap(bitmap);
    return true;
}

void LayoutPictures::drawLayoutPicture(const Track& track, int32_t background, int32_t pen,
                                       int penWidth)
{
    std::lock_guard lock(mutex_);
    layout_ = QImage(kPictureWidth, kPictureHeight, QImage::Format_RGB888);
    layout_.fill(colourFromValue(background));
    QPainter painter(&layout_);
    painter.setPen(QPen(colourFromValue(pen), penWidth, Qt::SolidLine, Qt::RoundCap,
                        Qt::RoundJoin));
    for (int k = 0; k < track.polylineCount(); ++k) {
        QPolygon line;
        for (int i = 0; i < track.polylineSize(k); ++i) {
            const Point& p = track.position(track.polylineStart(k) + i);
            line << QPoint(p.x, p.y);
        }
        painter.drawPolyline(line);
    }
}

void LayoutPictures::makeDisplayPicture()
{
    std::lock_guard lock(mutex_);
    display_ = layout_.copy();
    clip_ = QRegion(0, 0, kPictureWidth, kPictureHeight);
    clipped_ = false;
}

void LayoutPictures::setMasks(const layoutdata::PolylineFile& masks)
{
    std::lock_guard lock(mutex_);
    QRegion hidden;
    size_t at = 0;
    for (int32_t count : masks.vertexCounts) {
        QPolygon polygon;
        for (int32_t i = 0; i < count && at < masks.vertices.size(); ++i, ++at)
            polygon << QPoint(masks.vertices[at].x, masks.vertices[at].y);
        hidden += QRegion(polygon, Qt::WindingFill);
    }
    clip_ = QRegion(0, 0, kPictureWidth, kPictureHeight) - hidden;
    clipped_ = true;
}

bool LayoutPictures::beginDisplayPainter(QPainter& painter)
{
    if (display_.isNull() || !painter.begin(&display_))
        return false;
    if (clipped_)
        painter.setClipRegion(clip_);
    return true;
}

void LayoutPictures::copyToDisplay(const QRect& rect)
{
    QPainter painter;
    if (beginDisplayPainter(painter))
        painter.drawImage(rect.topLeft(), layout_, rect);
}

} // namespace vardo::layout
