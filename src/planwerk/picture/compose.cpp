#include "planwerk/picture/compose.h"

#include "planwerk/picture/picture_geometry.h"

#include <QPainter>
#include <QPen>

namespace planwerk {

QImage makeComposeMask(int railWidth, const DrawRails& drawRails,
                       const std::vector<QPolygon>& maskQuads)
{
    QImage mask(kPictureWidth, kPictureHeight, QImage::Format_Grayscale8);
    mask.fill(0);
    QPainter painter(&mask);
    // Hard edges: a pixel shows either the photograph or the collage.
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (drawRails) {
        painter.setPen(QPen(Qt::white, railWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        drawRails(painter);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (const QPolygon& quad : maskQuads)
        painter.drawPolygon(quad);
    painter.end();
    return mask;
}

DrawRails railPolylines(std::vector<QPolygon> rows)
{
    return [rows = std::move(rows)](QPainter& painter) {
        for (const QPolygon& row : rows)
            if (row.size() > 1)
                painter.drawPolyline(row);
    };
}

common::Bitmap composePicture(const common::Bitmap& layout, const common::Bitmap& collage,
                              const QImage& mask)
{
    auto fits = [](const common::Bitmap& b) {
        return b.width == kPictureWidth && b.height == kPictureHeight &&
               b.bgr.size() == size_t(b.stride()) * size_t(b.height);
    };
    if (!fits(layout) || !fits(collage) || mask.width() != kPictureWidth ||
        mask.height() != kPictureHeight)
        return {};
    const QImage m = mask.format() == QImage::Format_Grayscale8
                         ? mask
                         : mask.convertToFormat(QImage::Format_Grayscale8);
    common::Bitmap out = layout;
    for (int y = 0; y < kPictureHeight; ++y) {
        const uchar* bits = m.constScanLine(y);
        const uint8_t* photo = layout.pixel(0, y);
        const uint8_t* back = collage.pixel(0, y);
        uint8_t* dest = out.pixel(0, y);
        for (int x = 0; x < kPictureWidth; ++x) {
            const uint8_t keep = bits[x];
            for (int c = 0; c < 3; ++c)
                dest[3 * x + c] = uint8_t((photo[3 * x + c] & keep) | (back[3 * x + c] & ~keep));
        }
    }
    return out;
}

} // namespace planwerk
