#pragma once
// Pictures and files for the picture tests, made by code.
#include "common/bmp.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace picture_fixtures {

using Bytes = std::vector<uint8_t>;

// A fresh folder removed with its contents.
class Folder {
public:
    Folder()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "planwerk-picture-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~Folder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline common::Bitmap solid(int width, int height, uint8_t b, uint8_t g, uint8_t r)
{
    common::Bitmap p;
    p.width = width;
    p.height = height;
    p.bgr.resize(size_t(width) * 3 * size_t(height));
    for (size_t i = 0; i < p.bgr.size(); i += 3) {
        p.bgr[i] = b;
        p.bgr[i + 1] = g;
        p.bgr[i + 2] = r;
    }
    return p;
}

// Every pixel tells where it is: blue = x, green = y (low bytes), red a mix.
inline common::Bitmap coordinates(int width, int height)
{
    common::Bitmap p = solid(width, height, 0, 0, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* px = p.pixel(x, y);
            px[0] = uint8_t(x);
            px[1] = uint8_t(y);
            px[2] = uint8_t(x * 3 + y * 7);
        }
    return p;
}

inline void putU16(Bytes& b, uint32_t v)
{
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
inline void putU32(Bytes& b, uint32_t v)
{
    putU16(b, v & 0xFFFF);
    putU16(b, v >> 16);
}

// A BMP file laid out field by field: file header, information header,
// `extra` (colour table or masks), then `pixels` (already padded rows).
inline Bytes bmpFile(int32_t width, int32_t height, uint16_t bits, uint32_t compression,
                     const Bytes& extra, const Bytes& pixels, uint32_t coloursUsed = 0)
{
    Bytes b;
    const uint32_t offset = 14 + 40 + uint32_t(extra.size());
    b.push_back('B');
    b.push_back('M');
    putU32(b, offset + uint32_t(pixels.size()));
    putU32(b, 0);
    putU32(b, offset);
    putU32(b, 40);
    putU32(b, uint32_t(width));
    putU32(b, uint32_t(height));
    putU16(b, 1);
    putU16(b, bits);
    putU32(b, compression);
    putU32(b, uint32_t(pixels.size()));
    putU32(b, 2835);
    putU32(b, 2835);
    putU32(b, coloursUsed);
    putU32(b, 0);
    b.insert(b.end(), extra.begin(), extra.end());
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

inline bool writeBytes(const std::string& path, const Bytes& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace picture_fixtures
