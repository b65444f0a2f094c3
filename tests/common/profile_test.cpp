#include "common/profile.h"
#include "common/text_encoding.h"
#include "temp_dir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

using common::Profile;
using vardo::testing::TempDir;

namespace {

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

TEST(Profile, IntegersFollowTheProfileRules)
{
    TempDir dir;
    dir.write("a.ini", "[Sec]\nplain=42\nneg= -7 \nsuffix=12abc\ntext=abc\nempty=\nplus=+5\n");
    const std::string f = dir.file("a.ini");
    EXPECT_EQ(Profile::getInt(f, "SEC", "PLAIN", 1), 42);
    EXPECT_EQ(Profile::getInt(f, "sec", "neg", 1), -7);
    EXPECT_EQ(Profile::getInt(f, "Sec", "suffix", 1), 12);
    // Present but not a number: 0, not the default.
    EXPECT_EQ(Profile::getInt(f, "Sec", "text", 1), 0);
    EXPECT_EQ(Profile::getInt(f, "Sec", "empty", 9), 0);
    EXPECT_EQ(Profile::getInt(f, "Sec", "plus", 0), 5);
    EXPECT_EQ(Profile::getInt(f, "Sec", "absent", 77), 77);
    EXPECT_EQ(Profile::getInt(f, "Other", "plain", -1), -1);
    EXPECT_EQ(Profile::getInt(dir.file("missing.ini"), "Sec", "plain", 3), 3);
}

TEST(Profile, StringsAreTrimmedUnquotedAndCut)
{
    TempDir dir;
    std::string longValue(300, 'x');
    dir.write("a.ini", "; comment=1\n[S]\n  key  =  value with blanks  \r\nq=\"quoted\"\n"
                       "long=" + longValue + "\n[S]\nkey=second section ignored\n");
    const std::string f = dir.file("a.ini");
    EXPECT_EQ(Profile::getString(f, "s", "KEY", "d"), "value with blanks");
    EXPECT_EQ(Profile::getString(f, "S", "q", "d"), "quoted");
    EXPECT_EQ(Profile::getString(f, "S", "long", "d").size(), Profile::kMaxString);
    EXPECT_EQ(Profile::getString(f, "S", "none", "dflt"), "dflt");
    EXPECT_TRUE(Profile::hasKey(f, "S", "q"));
    EXPECT_FALSE(Profile::hasKey(f, "S", "comment"));
}

TEST(Profile, CutKeepsUtf8Whole)
{
    TempDir dir;
    std::string value;
    for (int i = 0; i < 100; ++i)
        value += "あ"; // 3 bytes each: 259 is not on a boundary
    dir.write("a.ini", "[S]\nk=" + value + "\n");
    std::string got = Profile::getString(dir.file("a.ini"), "S", "k", "");
    EXPECT_LE(got.size(), Profile::kMaxString);
    EXPECT_EQ(got.size() % 3, 0u);
    EXPECT_TRUE(common::isValidUtf8(got));
}

TEST(Profile, WriteKeepsEveryOtherLine)
{
    TempDir dir;
    const std::string original = "; settings\r\n[A]\r\nx=1\r\n; note\r\ny=2\r\n\r\n[B]\r\nz=3\r\n";
    dir.write("a.ini", original);
    const std::string f = dir.file("a.ini");

    ASSERT_TRUE(Profile::writeString(f, "a", "Y", "20"));
    EXPECT_EQ(readText(f), "; settings\r\n[A]\r\nx=1\r\n; note\r\nY=20\r\n\r\n[B]\r\nz=3\r\n");

    ASSERT_TRUE(Profile::writeString(f, "A", "w", "new"));
    EXPECT_EQ(readText(f), "; settings\r\n[A]\r\nx=1\r\n; note\r\nY=20\r\nw=new\r\n\r\n[B]\r\nz=3\r\n");

    ASSERT_TRUE(Profile::writeString(f, "C", "k", "v"));
    EXPECT_EQ(Profile::getString(f, "c", "K", ""), "v");
    EXPECT_EQ(Profile::getInt(f, "B", "z", 0), 3);
    EXPECT_EQ(Profile::getInt(f, "A", "x", 0), 1);
}

TEST(Profile, WriteCreatesTheFileAndReadsAgainEachTime)
{
    TempDir dir;
    const std::string f = dir.file("new.ini");
    ASSERT_TRUE(Profile::writeInt(f, "AGREEMENT", "AGREEMENT", 1));
    EXPECT_EQ(readText(f), "[AGREEMENT]\nAGREEMENT=1\n");
    // Changed behind our back: the next read sees it (no cache).
    dir.write("new.ini", "[AGREEMENT]\nAGREEMENT=0\n");
    EXPECT_EQ(Profile::getInt(f, "AGREEMENT", "AGREEMENT", 5), 0);
}

TEST(Profile, FileWithoutTrailingNewline)
{
    TempDir dir;
    dir.write("a.ini", "[A]\nx=1");
    const std::string f = dir.file("a.ini");
    ASSERT_TRUE(Profile::writeString(f, "A", "y", "2"));
    EXPECT_EQ(readText(f), "[A]\nx=1\ny=2\n");
    ASSERT_TRUE(Profile::writeString(f, "B", "z", "3"));
    EXPECT_EQ(readText(f), "[A]\nx=1\ny=2\n[B]\nz=3\n");
}

TEST(Profile, Cp932FileIsReadAndStaysCp932)
{
    TempDir dir;
    std::string cp = common::utf8ToCp932("[LAYOUT]\nTRAIN_FILE1=電車.bmp\n");
    ASSERT_FALSE(common::isValidUtf8(cp));
    dir.write("a.ini", cp);
    const std::string f = dir.file("a.ini");
    EXPECT_EQ(Profile::getString(f, "LAYOUT", "TRAIN_FILE1", ""), "電車.bmp");
    ASSERT_TRUE(Profile::writeString(f, "LAYOUT", "TRAIN_FILE2", "貨車.bmp"));
    std::string bytes = readText(f);
    EXPECT_EQ(bytes, common::utf8ToCp932("[LAYOUT]\nTRAIN_FILE1=電車.bmp\nTRAIN_FILE2=貨車.bmp\n"));
}

TEST(Profile, FailedWriteLeavesTheOldFileWhole)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores folder permissions";
    TempDir dir;
    dir.write("sub/a.ini", "[A]\nx=1\n");
    const std::string f = dir.file("sub/a.ini");
    ASSERT_EQ(::chmod(dir.file("sub").c_str(), 0555), 0);
    EXPECT_FALSE(Profile::writeString(f, "A", "x", "2"));
    ::chmod(dir.file("sub").c_str(), 0755);
    EXPECT_EQ(readText(f), "[A]\nx=1\n");
}
