#include "common/bmp.h"
#include "common/byte_io.h"
#include "temp_dir.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace common;

namespace {

Bitmap gradient(int w, int h)
{
    Bitmap b;
    b.width = w;
    b.height = h;
    b.bgr.resize(size_t(w) * 3 * size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = b.pixel(x, y);
            p[0] = uint8_t(x);
            p[1] = uint8_t(y);
            p[2] = uint8_t(x + y);
        }
    return b;
}

} // namespace

TEST(Bmp, EncodesTheHeaderFieldByField)
{
    Bitmap b = gradient(3, 2); // 9 bytes a row, padded to 12
    auto bytes = encodeBitmap(b);
    ASSERT_EQ(bytes.size(), 54u + 24u);
    ByteReader r(bytes);
    uint8_t B, M;
    uint32_t size, reserved, offset, info, image;
    int32_t w, h;
    uint16_t planes, bits;
    uint32_t compression;
    ASSERT_TRUE(r.readU8(B) && r.readU8(M) && r.readU32(size) && r.readU32(reserved) &&
                r.readU32(offset) && r.readU32(info) && r.readI32(w) && r.readI32(h) &&
                r.readU16(planes) && r.readU16(bits) && r.readU32(compression) && r.readU32(image));
    EXPECT_EQ(B, 'B');
    EXPECT_EQ(M, 'M');
    EXPECT_EQ(size, 78u);
    EXPECT_EQ(reserved, 0u);
    EXPECT_EQ(offset, 54u);
    EXPECT_EQ(info, 40u);
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);
    EXPECT_EQ(planes, 1);
    EXPECT_EQ(bits, 24);
    EXPECT_EQ(compression, 0u);
    EXPECT_EQ(image, 24u);
    // First stored row is the bottom one: pixel (0, 1) has green 1.
    EXPECT_EQ(bytes[54 + 1], 1);
    EXPECT_EQ(bytes[54 + 9], 0); // padding
}

TEST(Bmp, RoundTripAndTopDown)
{
    vardo::testing::TempDir dir;
    Bitmap b = gradient(5, 4);
    ASSERT_TRUE(writeBitmap(dir.file("a.bmp"), b));
    Bitmap back;
    ASSERT_TRUE(readBitmap(dir.file("a.bmp"), back));
    EXPECT_EQ(back.width, 5);
    EXPECT_EQ(back.height, 4);
    EXPECT_EQ(back.bgr, b.bgr);

    // The same picture stored top-down (negative height) reads the same.
    auto bytes = encodeBitmap(b);
    std::vector<uint8_t> topDown(bytes.begin(), bytes.begin() + 54);
    int32_t negative = -4;
    std::memcpy(&topDown[22], &negative, 4);
    const size_t stride = 16;
    for (int row = 3; row >= 0; --row)
        topDown.insert(topDown.end(), bytes.begin() + 54 + long(row * stride),
                       bytes.begin() + 54 + long((row + 1) * stride));
    Bitmap flipped;
    ASSERT_TRUE(parseBitmap(topDown, flipped));
    EXPECT_EQ(flipped.bgr, b.bgr);
}

TEST(Bmp, RefusesBadFiles)
{
    auto good = encodeBitmap(gradient(4, 4));
    Bitmap out;
    out.width = 77;
    for (size_t cut : {size_t(0), size_t(10), size_t(53), good.size() - 1}) {
        std::vector<uint8_t> truncated(good.begin(), good.begin() + long(cut));
        EXPECT_FALSE(parseBitmap(truncated, out)) << cut;
    }
    auto eightBit = good;
    eightBit[28] = 8;
    EXPECT_FALSE(parseBitmap(eightBit, out));
    auto compressed = good;
    compressed[30] = 1;
    EXPECT_FALSE(parseBitmap(compressed, out));
    auto huge = good;
    huge[18] = 0xFF; huge[19] = 0xFF; huge[20] = 0xFF; huge[21] = 0x7F;
    EXPECT_FALSE(parseBitmap(huge, out));
    auto badOffset = good;
    badOffset[10] = 0xF0; badOffset[11] = 0xFF;
    EXPECT_FALSE(parseBitmap(badOffset, out));
    auto notBmp = good;
    notBmp[0] = 'X';
    EXPECT_FALSE(parseBitmap(notBmp, out));
    EXPECT_EQ(out.width, 77); // untouched on refusal
}
