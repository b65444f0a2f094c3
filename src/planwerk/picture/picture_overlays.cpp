#include "planwerk/picture/picture_overlays.h"

#include <cmath>
#include <cstring>
#include <numbers>

namespace planwerk {

std::optional<QTransform> railOverlayTransform(const TrimRectangle& trim, SourceKind kind)
{
    if (trim.state() == TrimRectangle::Idle)
        return std::nullopt;
    return railOverlayTransform(trim.shown(), kind);
}

std::optional<QTransform> railOverlayTransform(const PictureRect& r, SourceKind kind)
{
    if (kind != SourceKind::Collage || r.width <= 100 || r.height <= 0)
        return std::nullopt;
    QTransform t;
    t.translate(r.x, r.y);
    t.scale(double(r.width) / kPictureWidth, double(r.height) / kPictureHeight);
    return t;
}

PreviewPlacement previewPlacement(std::optional<PicturePoint> sidingStart,
                                  std::optional<PicturePoint> sidingEnd)
{
    if (!sidingStart || !sidingEnd)
        return {kPictureWidth / 2.0, kPictureHeight / 2.0, 0.0};
    const PicturePoint a = *sidingStart, b = *sidingEnd;
    const double radians = std::atan2(double(a.y - b.y), double(a.x - b.x));
    return {(a.x + b.x) / 2.0, (a.y + b.y) / 2.0, radians * 180.0 / std::numbers::pi};
}

QImage toQImage(const common::Bitmap& picture)
{
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.bgr.size() != size_t(picture.stride()) * size_t(picture.height))
        return {};
    QImage image(picture.width, picture.height, QImage::Format_BGR888);
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(image.scanLine(y), picture.pixel(0, y), size_t(picture.stride()));
    return image;
}

common::Bitmap fromQImage(const QImage& image)
{
    common::Bitmap picture;
    if (image.isNull())
        return picture;
    const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
    picture.width = bgr.width();
    picture.height = bgr.height();
    picture.bgr.resize(size_t(picture.stride()) * size_t(picture.height));
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(picture.pixel(0, y), bgr.constScanLine(y), size_t(picture.stride()));
    return picture;
}

} // namespace planwerk
