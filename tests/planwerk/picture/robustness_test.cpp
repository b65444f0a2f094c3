// Both picture readers over truncated and bit-flipped variants of generated
// files: no variant may crash, hang or read out of bounds (this runs under
// the sanitizers), a refused variant leaves the picture as it was, and an
// accepted one holds exactly width x height pixels.
#include "picture_fixtures.h"

#include "planwerk/picture/bmp_reader.h"
#include "planwerk/picture/jpeg_reader.h"
#include "planwerk/picture/jpeg_writer.h"

#include <gtest/gtest.h>

#include <random>

using namespace planwerk;
using namespace picture_fixtures;

namespace {

constexpr int kFlipsPerFile = 1500;
// Damaged headers may claim large pictures; keep each decode small.
constexpr size_t kMaxPixels = 1u << 20;

std::vector<Bytes> flipped(const Bytes& good, uint32_t seed)
{
    std::vector<Bytes> out;
    std::mt19937 random(seed);
    for (int i = 0; i < kFlipsPerFile; ++i) {
        Bytes b = good;
        int flips = 1 + int(random() % 3);
        for (int f = 0; f < flips; ++f) {
            size_t bit = random() % (b.size() * 8);
            b[bit / 8] ^= uint8_t(1u << (bit % 8));
        }
        out.push_back(std::move(b));
    }
    return out;
}

bool wellFormed(const common::Bitmap& p)
{
    return p.width > 0 && p.height > 0 && p.bgr.size() == size_t(p.width) * 3 * size_t(p.height);
}

template <class Decode>
void exercise(const Bytes& good, uint32_t seed, Decode decode, bool everyPrefixFails)
{
    const common::Bitmap sentinel = solid(3, 2, 7, 8, 9);
    common::Bitmap first;
    ASSERT_TRUE(decode(good, first));
    ASSERT_TRUE(wellFormed(first));
    for (size_t n = 0; n < good.size(); ++n) {
        common::Bitmap out = sentinel;
        const bool ok = decode(Bytes(good.begin(), good.begin() + long(n)), out);
        if (everyPrefixFails) {
            ASSERT_FALSE(ok) << "prefix of " << n << " bytes accepted";
        }
        if (!ok) {
            ASSERT_EQ(out.bgr, sentinel.bgr) << "refused prefix changed the picture";
            ASSERT_EQ(out.width, sentinel.width);
        } else {
            ASSERT_TRUE(wellFormed(out));
        }
    }
    int accepted = 0, refused = 0;
    for (const Bytes& b : flipped(good, seed)) {
        common::Bitmap out = sentinel;
        if (decode(b, out)) {
            ++accepted;
            ASSERT_TRUE(wellFormed(out));
        } else {
            ++refused;
            ASSERT_EQ(out.bgr, sentinel.bgr) << "refused variant changed the picture";
        }
    }
    // Both kinds happen: flips in pixel data are read, flips in headers refused.
    EXPECT_GT(accepted, 0);
    EXPECT_GT(refused, 0);
}

bool bmp(const Bytes& b, common::Bitmap& out)
{
    return decodeBmp(b, out);
}

bool jpeg(const Bytes& b, common::Bitmap& out)
{
    return decodeJpeg(b.data(), b.size(), out, kMaxPixels);
}

Bytes bmp24()
{
    common::Bitmap p = coordinates(13, 7);
    return common::encodeBitmap(p);
}

Bytes bmp8()
{
    Bytes palette(256 * 4);
    for (size_t i = 0; i < palette.size(); ++i)
        palette[i] = uint8_t(i * 7);
    Bytes rows;
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 12; ++x)
            rows.push_back(uint8_t(x * 20 + y));
    return bmpFile(12, 6, 8, 0, palette, rows);
}

Bytes bmp16()
{
    Bytes masks;
    putU32(masks, 0xF800);
    putU32(masks, 0x07E0);
    putU32(masks, 0x001F);
    Bytes rows;
    for (int i = 0; i < 10 * 5; ++i)
        putU16(rows, uint32_t(i * 1237));
    return bmpFile(10, -5, 16, 3, masks, rows);
}

} // namespace

TEST(PictureRobustness, Bmp24)
{
    // A 24-bit file shorter than its rows is refused: every prefix fails.
    exercise(bmp24(), 1, bmp, true);
}

TEST(PictureRobustness, Bmp8WithColourTable)
{
    exercise(bmp8(), 2, bmp, true);
}

TEST(PictureRobustness, Bmp16WithMasks)
{
    exercise(bmp16(), 3, bmp, true);
}

TEST(PictureRobustness, Jpeg)
{
    // A truncated JPEG only warns in libjpeg; the reader must still refuse
    // every prefix.
    Bytes good = encodeJpeg(coordinates(48, 32), 85);
    ASSERT_FALSE(good.empty());
    exercise(good, 4, jpeg, true);
}

TEST(PictureRobustness, SmallJpegMostlyHeader)
{
    // A small JPEG is mostly header: most flips land in its tables.
    Bytes good = encodeJpeg(solid(16, 16, 40, 80, 120), 50);
    ASSERT_FALSE(good.empty());
    exercise(good, 5, jpeg, true);
}
