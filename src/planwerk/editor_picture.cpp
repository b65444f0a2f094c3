#include "planwerk/editor_picture.h"

#include "planwerk/picture/image_file.h"

namespace planwerk {

QImage toImage(const common::Bitmap& bitmap)
{
    if (bitmap.width <= 0 || bitmap.height <= 0)
        return {};
    QImage picture(bitmap.width, bitmap.height, QImage::Format_RGB888);
    for (int y = 0; y < bitmap.height; ++y) {
        uchar* line = picture.scanLine(y);
        for (int x = 0; x < bitmap.width; ++x) {
            const uint8_t* bgr = bitmap.pixel(x, y);
            line[3 * x] = bgr[2];
            line[3 * x + 1] = bgr[1];
            line[3 * x + 2] = bgr[0];
        }
    }
    return picture;
}

common::Bitmap toBitmap(const QImage& picture)
{
    common::Bitmap bitmap;
    if (picture.isNull())
        return bitmap;
    QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    bitmap.width = rgb.width();
    bitmap.height = rgb.height();
    bitmap.bgr.resize(size_t(bitmap.stride()) * size_t(bitmap.height));
    for (int y = 0; y < bitmap.height; ++y) {
        const uchar* line = rgb.constScanLine(y);
        for (int x = 0; x < bitmap.width; ++x) {
            uint8_t* bgr = bitmap.pixel(x, y);
            bgr[0] = line[3 * x + 2];
            bgr[1] = line[3 * x + 1];
            bgr[2] = line[3 * x];
        }
    }
    return bitmap;
}

bool loadPicture(const std::string& path, QImage& out)
{
    // Every depth the picture reader knows, not only what Planwerk writes.
    common::Bitmap bitmap;
    if (!readImageFile(path, bitmap) || bitmap.width <= 0 || bitmap.height <= 0)
        return false;
    out = toImage(bitmap);
    return !out.isNull();
}

bool savePicture(const std::string& path, const QImage& picture)
{
    if (picture.isNull())
        return false;
    return common::writeBitmap(path, toBitmap(picture));
}

} // namespace planwerk
