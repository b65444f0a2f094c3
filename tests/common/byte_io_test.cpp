#include "common/byte_io.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

using namespace common;

TEST(ByteIo, RoundTripLittleEndian)
{
    ByteWriter w;
    w.putTag(".dat");
    w.putI32(-2);
    w.putU16(0xBEEF);
    w.putI16(-3);
    w.putU8(7);
    w.putU32(0x01020304);
    const auto& b = w.bytes();
    ASSERT_EQ(b.size(), 17u);
    EXPECT_EQ(b[4], 0xFE);
    EXPECT_EQ(b[7], 0xFF);
    EXPECT_EQ(b[13], 0x04);

    ByteReader r(b);
    uint32_t tag;
    int32_t i32;
    uint16_t u16;
    int16_t i16;
    uint8_t u8;
    uint32_t u32;
    ASSERT_TRUE(r.readU32(tag));
    EXPECT_EQ(tag, tagWord(".dat"));
    ASSERT_TRUE(r.readI32(i32) && r.readU16(u16) && r.readI16(i16) && r.readU8(u8) && r.readU32(u32));
    EXPECT_EQ(i32, -2);
    EXPECT_EQ(u16, 0xBEEF);
    EXPECT_EQ(i16, -3);
    EXPECT_EQ(u8, 7);
    EXPECT_EQ(u32, 0x01020304u);
    EXPECT_EQ(r.remaining(), 0u);
}

TEST(ByteIo, ShortReadsFailWithoutMoving)
{
    std::vector<uint8_t> bytes = {1, 2, 3};
    ByteReader r(bytes);
    int32_t v = 99;
    EXPECT_FALSE(r.readI32(v));
    EXPECT_EQ(v, 99);
    EXPECT_EQ(r.position(), 0u);
    EXPECT_FALSE(r.skip(4));
    EXPECT_TRUE(r.skip(3));
    EXPECT_FALSE(r.seek(4));
    EXPECT_TRUE(r.seek(1));
    uint8_t b;
    EXPECT_TRUE(r.readU8(b));
    EXPECT_EQ(b, 2);
}

TEST(ByteIo, AtomicWriteReplacesAndLimitsRead)
{
    vardo::testing::TempDir dir;
    const std::string f = dir.file("x.bin");
    ASSERT_TRUE(writeFileAtomic(f, std::string("first")));
    ASSERT_TRUE(writeFileAtomic(f, std::string("second")));
    std::vector<uint8_t> got;
    ASSERT_TRUE(readWholeFile(f, got));
    EXPECT_EQ(std::string(got.begin(), got.end()), "second");
    EXPECT_FALSE(readWholeFile(f, got, 3)); // larger than allowed
    EXPECT_FALSE(readWholeFile(dir.file("none"), got));
    EXPECT_FALSE(writeFileAtomic(dir.file("no/such/folder/x"), std::string("x")));
    EXPECT_TRUE(fileExists(f));
    EXPECT_FALSE(fileExists(dir.path())); // a folder is not a file
}
