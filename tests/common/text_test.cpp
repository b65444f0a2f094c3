#include "common/colour.h"
#include "common/paths.h"
#include "common/profile.h"
#include "common/string_table.h"
#include "common/text_encoding.h"
#include "temp_dir.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace common;

TEST(Text, Utf8Validation)
{
    EXPECT_TRUE(isValidUtf8("plain"));
    EXPECT_TRUE(isValidUtf8("免責事項"));
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));         // overlong
    EXPECT_FALSE(isValidUtf8("\xE3\x81"));         // cut short
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(isValidUtf8("\x83\x76\x83\x8D")); // CP932 "プロ"
}

TEST(Text, Cp932RoundTrip)
{
    const std::string utf8 = "プログラム１ ﾃｽﾄ";
    std::string cp = utf8ToCp932(utf8);
    EXPECT_NE(cp, utf8);
    EXPECT_EQ(cp932ToUtf8(cp), utf8);
    EXPECT_EQ(cp.substr(0, 2), "\x83\x76");
    // A cut double-byte character does not lose the text before it.
    EXPECT_EQ(cp932ToUtf8(std::string("AB\x83")), "AB?");
    EXPECT_EQ(textFileToUtf8(cp), utf8);
    EXPECT_EQ(textFileToUtf8(utf8), utf8);
}

TEST(Text, UnmappableCharacterIsReplacedWhole)
{
    // 0x85 0x40 is a well-formed but unassigned double-byte code: both bytes
    // become one '?', and the trail byte is not read as '@'.
    EXPECT_EQ(cp932ToUtf8(std::string("A\x85\x40" "B")), "A?B");
    // A trail byte that is itself a lead byte must not swallow the next one.
    EXPECT_EQ(cp932ToUtf8(std::string("\x85\x81" "AB")), "?AB");
    EXPECT_EQ(cp932ToUtf8(std::string("\x85\x81\x83\x76")), "?プ");
    // A lead byte followed by no valid trail byte is one bad byte only.
    EXPECT_EQ(cp932ToUtf8(std::string("\x83 X")), "? X");
    // The other way: a character CP932 lacks is one '?', whatever its length.
    EXPECT_EQ(utf8ToCp932("a\xF0\x9F\x98\x80" "b"), "a?b");
    EXPECT_EQ(utf8ToCp932("\xE2\x82\xAC" "プ"), "?\x83\x76");
}

namespace {

struct Sink : MessageSink {
    std::vector<std::pair<std::string, Icon>> shown;
    void showMessage(const std::string& text, Icon icon) override { shown.push_back({text, icon}); }
};

} // namespace

TEST(Colour, ParsesSixHexDigitsEitherCase)
{
    EXPECT_EQ(parseColour("#FF0000"), 0x0000FF);
    EXPECT_EQ(parseColour("#0000ff"), 0xFF0000);
    EXPECT_EQ(parseColour("#FfF9bD"), makeColour(0xFF, 0xF9, 0xBD));
    EXPECT_EQ(parseColour("FF0000"), -1);
    EXPECT_EQ(parseColour("#FF000"), -1);
    EXPECT_EQ(parseColour("#FF00000"), -1);
    EXPECT_EQ(parseColour("#GG0000"), -1);
    EXPECT_EQ(formatColour(makeColour(0xA0, 0x0B, 0xC0)), "#A00BC0");
}

TEST(Colour, BadSettingIsReportedWithAWarning)
{
    vardo::testing::TempDir dir;
    dir.write("VARDO.ini", "[LAYOUT]\nPEN_COLOR=blue\n");
    Sink sink;
    EXPECT_EQ(readColour(sink, dir.file("VARDO.ini"), "LAYOUT", "BG_COLOR", "#FFF9BD"),
              makeColour(0xFF, 0xF9, 0xBD));
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(readColour(sink, dir.file("VARDO.ini"), "LAYOUT", "PEN_COLOR", "#0000FF"), -1);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].first, "INIファイル設定エラー:Section = \"LAYOUT\" Key = \"PEN_COLOR\"");
    EXPECT_EQ(sink.shown[0].second, Icon::Warning);
}

TEST(StringTable, FormatsAndKnowsIcons)
{
    EXPECT_EQ(formatMessage(msg::FileNotFound, {"/x/VARDO.ini"}), "ファイル[/x/VARDO.ini]が見つかりません");
    EXPECT_EQ(formatMessage(msg::SoundFileMissing, {"3", "a.wav"}),
              "3番のサウンドファイル[a.wav]が存在しません。\nサウンド設定をやり直してください。");
    EXPECT_EQ(formatText("100%1%", {"x"}), "100x%"); // a stray % stays
    EXPECT_EQ(messageIcon(msg::LayoutClassInitFailed), Icon::Stop);
    EXPECT_EQ(messageIcon(msg::IniSettingError), Icon::Warning);
    EXPECT_STREQ(messageText(99999), "");
}

TEST(Paths, ProgramFolderAndJoin)
{
    setenv("VARDO_HOME", "/opt/vardo/", 1);
    EXPECT_EQ(programFolder(), "/opt/vardo");
    unsetenv("VARDO_HOME");
    EXPECT_NE(programFolder().find("tests"), std::string::npos);
    EXPECT_EQ(joinPath("/a", "b"), "/a/b");
    EXPECT_EQ(joinPath("/a/", "b"), "/a/b");
    EXPECT_EQ(toNativePath("sample\\train\\a.bmp"), "sample/train/a.bmp");
    EXPECT_TRUE(hasFolderPart("x\\y"));
    EXPECT_FALSE(hasFolderPart("y.bmp"));
}
