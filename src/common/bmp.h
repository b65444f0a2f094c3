#pragma once
// 24-bit Windows bitmaps: the layout picture, photographs and frame dumps.
#include <cstdint>
#include <string>
#include <vector>

namespace common {

// A 24-bit picture held as the file stores it: rows bottom-up, blue, green,
// red, without row padding (stride = 3 * width).
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgr;

    int stride() const { return width * 3; }
    // Pixel (x, y) with y counted from the top, as layout coordinates are.
    uint8_t* pixel(int x, int y) { return &bgr[size_t(height - 1 - y) * stride() + size_t(x) * 3]; }
    const uint8_t* pixel(int x, int y) const
    {
        return &bgr[size_t(height - 1 - y) * stride() + size_t(x) * 3];
    }
};

// Largest side accepted from a file; larger ones are refused as malformed.
constexpr int kMaxBitmapSide = 16384;

// Parses a BMP image in memory. Only uncompressed 24-bit pictures are taken;
// every size is checked against the data before a row is copied. A negative
// height (rows stored top-down) is accepted and turned the right way.
bool parseBitmap(const std::vector<uint8_t>& bytes, Bitmap& out);
bool readBitmap(const std::string& path, Bitmap& out);

// The file image: 14-byte file header, 40-byte information header, rows
// bottom-up padded to 4 bytes.
std::vector<uint8_t> encodeBitmap(const Bitmap& bitmap);
bool writeBitmap(const std::string& path, const Bitmap& bitmap);

} // namespace common
