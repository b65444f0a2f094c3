// Writing a key into a file whose last line ends in a lone CR: the written
// key must read back, and every other key keep its value.
#include "common/profile.h"
#include "temp_dir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using common::Profile;
using vardo::testing::TempDir;

namespace {

std::string contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(ProfileLineEnds, KeyWrittenAfterALoneCrReadsBack)
{
    TempDir dir;
    const std::string path = dir.file("cr.ini");
    dir.write("cr.ini", "\r");
    ASSERT_TRUE(Profile::writeInt(path, "USB", "COM_NO", 12));
    EXPECT_EQ(Profile::getInt(path, "usb", "com_no", -1), 12);
    EXPECT_EQ(contents(path), "\r\n[USB]\r\nCOM_NO=12\r\n");
}

TEST(ProfileLineEnds, EntryAddedToASectionCutShortAfterCr)
{
    TempDir dir;
    const std::string path = dir.file("cut.ini");
    dir.write("cut.ini", "[USB]\r\nA=1\r");
    ASSERT_TRUE(Profile::writeString(path, "USB", "COM_NO", "3"));
    EXPECT_EQ(Profile::getInt(path, "USB", "COM_NO", -1), 3);
    EXPECT_EQ(Profile::getInt(path, "USB", "A", -1), 1);
    EXPECT_EQ(contents(path), "[USB]\r\nA=1\r\nCOM_NO=3\r\n");
}

TEST(ProfileLineEnds, NewSectionAfterALastLineCutShortAfterCr)
{
    TempDir dir;
    const std::string path = dir.file("sec.ini");
    dir.write("sec.ini", "[Train]\nTRAIN_TYPE=2\r");
    ASSERT_TRUE(Profile::writeString(path, "USB", "COM_NO", "1"));
    EXPECT_EQ(Profile::getInt(path, "USB", "COM_NO", -1), 1);
    EXPECT_EQ(Profile::getInt(path, "Train", "TRAIN_TYPE", -1), 2);
    EXPECT_EQ(contents(path), "[Train]\nTRAIN_TYPE=2\n[USB]\nCOM_NO=1\n");
}

} // namespace
