#include "common/bmp.h"

#include "common/byte_io.h"

#include <cstring>

namespace common {

namespace {

int paddedStride(int width) { return (width * 3 + 3) & ~3; }

} // namespace

bool parseBitmap(const std::vector<uint8_t>& bytes, Bitmap& out)
{
    ByteReader r(bytes);
    uint8_t b, m;
    uint32_t fileSize, reserved, pixelOffset, infoSize;
    int32_t width, height;
    uint16_t planes, bitCount;
    uint32_t compression;
    if (!r.readU8(b) || !r.readU8(m) || b != 'B' || m != 'M')
        return false;
    if (!r.readU32(fileSize) || !r.readU32(reserved) || !r.readU32(pixelOffset))
        return false;
    if (!r.readU32(infoSize) || !r.readI32(width) || !r.readI32(height))
        return false;
    if (!r.readU16(planes) || !r.readU16(bitCount) || !r.readU32(compression))
        return false;
    if (infoSize < 40 || bitCount != 24 || compression != 0)
        return false;
    bool topDown = height < 0;
    int64_t absHeight = topDown ? -int64_t(height) : height;
    if (width <= 0 || absHeight <= 0 || width > kMaxBitmapSide || absHeight > kMaxBitmapSide)
        return false;
    const size_t stride = size_t(paddedStride(width));
    if (pixelOffset > bytes.size() || bytes.size() - pixelOffset < stride * size_t(absHeight))
        return false;

    Bitmap bmp;
    bmp.width = width;
    bmp.height = int(absHeight);
    bmp.bgr.resize(size_t(bmp.stride()) * size_t(bmp.height));
    for (int row = 0; row < bmp.height; ++row) {
        // File row `row`; bottom-up unless the height was negative.
        int dest = topDown ? bmp.height - 1 - row : row;
        std::memcpy(&bmp.bgr[size_t(dest) * size_t(bmp.stride())],
                    &bytes[pixelOffset + size_t(row) * stride], size_t(bmp.stride()));
    }
    out = std::move(bmp);
    return true;
}

bool readBitmap(const std::string& path, Bitmap& out)
{
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, bytes, 256u << 20))
        return false;
    return parseBitmap(bytes, out);
}

std::vector<uint8_t> encodeBitmap(const Bitmap& bitmap)
{
    const uint32_t stride = uint32_t(paddedStride(bitmap.width));
    const uint32_t imageSize = stride * uint32_t(bitmap.height);
    ByteWriter w;
    w.putU8('B');
    w.putU8('M');
    w.putU32(54 + imageSize);
    w.putU32(0);
    w.putU32(54);
    w.putU32(40);
    w.putI32(bitmap.width);
    w.putI32(bitmap.height);
    w.putU16(1);
    w.putU16(24);
    w.putU32(0);
    w.putU32(imageSize);
    w.putZeros(16); // resolutions, colours used, important colours
    const size_t padding = stride - size_t(bitmap.stride());
    for (int row = 0; row < bitmap.height; ++row) {
        w.putBytes(&bitmap.bgr[size_t(row) * size_t(bitmap.stride())], size_t(bitmap.stride()));
        w.putZeros(padding);
    }
    return std::move(w.bytes());
}

bool writeBitmap(const std::string& path, const Bitmap& bitmap)
{
    if (bitmap.width <= 0 || bitmap.height <= 0 ||
        bitmap.bgr.size() != size_t(bitmap.stride()) * size_t(bitmap.height))
        return false;
    return writeFileAtomic(path, encodeBitmap(bitmap));
}

} // namespace common
