#include "planwerk/editor_picture.h"

#include "common/bmp.h"

namespace planwerk {

bool loadPicture(const std::string& path, QImage& out)
{
    common::Bitmap bitmap;
    if (!common::readBitmap(path, bitmap) || bitmap.width <= 0 || bitmap.height <= 0)
        return false;
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
    out = picture;
    return true;
}

bool savePicture(const std::string& path, const QImage& picture)
{
    if (picture.isNull())
        return false;
    QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    common::Bitmap bitmap;
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
    return common::writeBitmap(path, bitmap);
}

} // namespace planwerk
