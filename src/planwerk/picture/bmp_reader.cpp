#include "planwerk/picture/bmp_reader.h"

#include "common/byte_io.h"

#include <array>
#include <bit>

namespace planwerk {

namespace {

constexpr uint32_t kRgb = 0;       // uncompressed
constexpr uint32_t kBitFields = 3; // uncompressed with colour masks
constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;

struct BmpHeader {
    uint32_t pixelOffset = 0;
    uint32_t infoSize = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;
};

bool readHeader(common::ByteReader& r, BmpHeader& h)
{
    uint8_t b, m;
    uint32_t fileSize, reserved, imageSize, xRes, yRes, important;
    uint16_t planes;
    return r.readU8(b) && r.readU8(m) && b == 'B' && m == 'M' && r.readU32(fileSize) &&
           r.readU32(reserved) && r.readU32(h.pixelOffset) && r.readU32(h.infoSize) &&
           r.readI32(h.width) && r.readI32(h.height) && r.readU16(planes) &&
           r.readU16(h.bitCount) && r.readU32(h.compression) && r.readU32(imageSize) &&
           r.readU32(xRes) && r.readU32(yRes) && r.readU32(h.coloursUsed) && r.readU32(important);
}

// One colour channel described by a bit mask, scaled to 0..255.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;

    explicit Channel(uint32_t m) : mask(m)
    {
        if (m == 0)
            return;
        shift = std::countr_zero(m);
        max = m >> shift;
    }
    uint8_t operator()(uint32_t value) const
    {
        if (max == 0)
            return 0;
        return uint8_t((uint64_t((value & mask) >> shift) * 255 + max / 2) / max);
    }
};

// Decodes rows of 16 or 32 bits per pixel through three channel masks.
struct MaskedPixels {
    Channel red, green, blue;
};

bool readMasks(const std::vector<uint8_t>& bytes, const BmpHeader& h, MaskedPixels& out)
{
    if (h.compression == kRgb) {
        out = h.bitCount == 16
                  ? MaskedPixels{Channel(0x7C00), Channel(0x03E0), Channel(0x001F)}
                  : MaskedPixels{Channel(0xFF0000), Channel(0x00FF00), Channel(0x0000FF)};
        return true;
    }
    common::ByteReader r(bytes);
    uint32_t red, green, blue;
    if (!r.seek(kFileHeaderSize + kInfoHeaderSize) || !r.readU32(red) || !r.readU32(green) ||
        !r.readU32(blue))
        return false;
    out = MaskedPixels{Channel(red), Channel(green), Channel(blue)};
    return true;
}

// The colour table of a 1-, 4- or 8-bit file; indexes past it are black.
bool readPalette(const std::vector<uint8_t>& bytes, const BmpHeader& h,
                 std::array<uint32_t, 256>& palette)
{
    palette.fill(0);
    uint32_t entries = 1u << h.bitCount;
    if (h.coloursUsed != 0 && h.coloursUsed < entries)
        entries = h.coloursUsed;
    common::ByteReader r(bytes);
    if (!r.seek(kFileHeaderSize + size_t(h.infoSize)))
        return false;
    for (uint32_t i = 0; i < entries; ++i)
        if (!r.readU32(palette[i]))
            return false;
    return true;
}

void putColour(uint8_t* out, uint32_t bgrx)
{
    out[0] = uint8_t(bgrx);
    out[1] = uint8_t(bgrx >> 8);
    out[2] = uint8_t(bgrx >> 16);
}

void decodeIndexedRow(const uint8_t* row, int width, int bits,
                      const std::array<uint32_t, 256>& palette, uint8_t* out)
{
    const int perByte = 8 / bits;
    const unsigned mask = (1u << bits) - 1;
    for (int x = 0; x < width; ++x) {
        int shift = 8 - bits * (x % perByte + 1);
        unsigned index = (row[x / perByte] >> shift) & mask;
        putColour(out + 3 * x, palette[index]);
    }
}

void decodeMaskedRow(const uint8_t* row, int width, int bits, const MaskedPixels& px, uint8_t* out)
{
    for (int x = 0; x < width; ++x) {
        uint32_t v;
        if (bits == 16)
            v = uint32_t(row[2 * x]) | uint32_t(row[2 * x + 1]) << 8;
        else
            v = uint32_t(row[4 * x]) | uint32_t(row[4 * x + 1]) << 8 |
                uint32_t(row[4 * x + 2]) << 16 | uint32_t(row[4 * x + 3]) << 24;
        out[3 * x] = px.blue(v);
        out[3 * x + 1] = px.green(v);
        out[3 * x + 2] = px.red(v);
    }
}

bool depthSupported(const BmpHeader& h)
{
    switch (h.bitCount) {
    case 1:
    case 4:
    case 8:
        return h.compression == kRgb;
    case 16:
    case 32:
        return h.compression == kRgb || h.compression == kBitFields;
    default:
        return false;
    }
}

} // namespace

bool decodeBmp(const std::vector<uint8_t>& bytes, common::Bitmap& out)
{
    common::ByteReader r(bytes);
    BmpHeader h;
    if (!readHeader(r, h) || h.infoSize < kInfoHeaderSize)
        return false;
    if (h.bitCount == 24)
        return common::parseBitmap(bytes, out);
    if (!depthSupported(h))
        return false;
    const bool topDown = h.height < 0;
    const int64_t height = topDown ? -int64_t(h.height) : int64_t(h.height);
    if (h.width <= 0 || height <= 0 || h.width > common::kMaxBitmapSide ||
        height > common::kMaxBitmapSide)
        return false;
    const size_t stride = (size_t(h.width) * h.bitCount + 31) / 32 * 4;
    if (h.pixelOffset > bytes.size() || (bytes.size() - h.pixelOffset) / stride < size_t(height))
        return false;

    std::array<uint32_t, 256> palette{};
    MaskedPixels masked{Channel(0), Channel(0), Channel(0)};
    if (h.bitCount <= 8 ? !readPalette(bytes, h, palette) : !readMasks(bytes, h, masked))
        return false;

    common::Bitmap bmp;
    bmp.width = h.width;
    bmp.height = int(height);
    bmp.bgr.resize(size_t(bmp.stride()) * size_t(bmp.height));
    for (int row = 0; row < bmp.height; ++row) {
        const uint8_t* src = &bytes[h.pixelOffset + size_t(row) * stride];
        uint8_t* dest = &bmp.bgr[size_t(topDown ? bmp.height - 1 - row : row) * bmp.stride()];
        if (h.bitCount <= 8)
            decodeIndexedRow(src, bmp.width, h.bitCount, palette, dest);
        else
            decodeMaskedRow(src, bmp.width, h.bitCount, masked, dest);
    }
    out = std::move(bmp);
    return true;
}

bool readBmpFile(const std::string& path, common::Bitmap& out)
{
    std::vector<uint8_t> bytes;
    if (!common::readWholeFile(path, bytes, 1024u << 20))
        return false;
    return decodeBmp(bytes, out);
}

} // namespace planwerk
