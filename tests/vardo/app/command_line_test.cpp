#include "vardo/app/command_line.h"

#include <gtest/gtest.h>

namespace vardo {
namespace {

TEST(CommandLineTest, SwitchesAreFoundAnywhereOnTheLine)
{
    CommandLine none = parseCommandLine("vardo");
    EXPECT_EQ(none.videoPath, "");
    EXPECT_FALSE(none.openEditor);
    EXPECT_FALSE(none.openSdk);

    CommandLine all = parseCommandLine("vardo -s -e -i/v/a.avi");
    EXPECT_EQ(all.videoPath, "/v/a.avi");
    EXPECT_TRUE(all.openEditor);
    EXPECT_TRUE(all.openSdk);

    CommandLine editorOnly = parseCommandLine("vardo -e");
    EXPECT_TRUE(editorOnly.openEditor);
    EXPECT_FALSE(editorOnly.openSdk);
}

TEST(CommandLineTest, QuotedPathKeepsItsBlanksAndLosesTheQuotes)
{
    CommandLine c = parseCommandLine("vardo -i\"/home/me/My Videos/run 1.avi\" -s");
    EXPECT_EQ(c.videoPath, "/home/me/My Videos/run 1.avi");
    EXPECT_TRUE(c.openSdk);
    EXPECT_FALSE(c.openEditor);
}

TEST(CommandLineTest, UnquotedPathEndsAtTheBlankBeforeTheNextSwitch)
{
    CommandLine c = parseCommandLine("vardo -i/data/loop.avi -e");
    EXPECT_EQ(c.videoPath, "/data/loop.avi");
    EXPECT_TRUE(c.openEditor);
}

TEST(CommandLineTest, SwitchWithoutPath)
{
    EXPECT_EQ(parseCommandLine("vardo -i").videoPath, "");
    EXPECT_EQ(parseCommandLine("vardo -i   ").videoPath, "");
    // The next switch is not mistaken for the path.
    CommandLine c = parseCommandLine("vardo -i -e");
    EXPECT_EQ(c.videoPath, "");
    EXPECT_TRUE(c.openEditor);
}

TEST(CommandLineTest, PathAsSeparateArgument)
{
    EXPECT_EQ(parseCommandLine("vardo -i /data/a.avi -s").videoPath, "/data/a.avi");
    EXPECT_EQ(parseCommandLine("vardo -i \"/data/a b.avi\"").videoPath, "/data/a b.avi");
}

TEST(CommandLineTest, UnterminatedQuoteRunsToTheEndAndHidesWhatFollows)
{
    CommandLine c = parseCommandLine("vardo -i\"/data/a b.avi -e  ");
    EXPECT_EQ(c.videoPath, "/data/a b.avi -e");
    EXPECT_FALSE(c.openEditor);
}

TEST(CommandLineTest, SwitchLettersInsideWordsOrQuotesSwitchNothing)
{
    // A program folder and a video name with dashes in them.
    CommandLine c = parseCommandLine("/opt/rail-sets/vardo -i/v/my-show-edit.avi");
    EXPECT_EQ(c.videoPath, "/v/my-show-edit.avi");
    EXPECT_FALSE(c.openSdk);
    EXPECT_FALSE(c.openEditor);

    CommandLine q = parseCommandLine("\"/opt/x -s/vardo\" -e");
    EXPECT_FALSE(q.openSdk);
    EXPECT_TRUE(q.openEditor);
    EXPECT_EQ(q.videoPath, "");
}

TEST(CommandLineTest, FirstVideoSwitchWins)
{
    EXPECT_EQ(parseCommandLine("vardo -i/a.avi -i/b.avi").videoPath, "/a.avi");
}

TEST(CommandLineTest, JoinQuotesArgumentsWithBlanks)
{
    EXPECT_EQ(joinCommandLine({"/opt/vardo", "-e", "-s"}), "/opt/vardo -e -s");
    EXPECT_EQ(joinCommandLine({"/opt/my apps/vardo", "-i", "/v/a b.avi"}),
              "\"/opt/my apps/vardo\" -i \"/v/a b.avi\"");
    // An attached -i path keeps its switch outside the quotes.
    EXPECT_EQ(joinCommandLine({"vardo", "-i/v/a b.avi"}), "vardo -i\"/v/a b.avi\"");
    EXPECT_EQ(joinCommandLine({"vardo", ""}), "vardo \"\"");
}

TEST(CommandLineTest, JoinedArgumentsParseBack)
{
    const char* argv[] = {"/opt/my apps/vardo", "-i/videos/run two.avi", "-e"};
    CommandLine c = parseCommandLine(joinCommandLine(3, argv));
    EXPECT_EQ(c.videoPath, "/videos/run two.avi");
    EXPECT_TRUE(c.openEditor);
    EXPECT_FALSE(c.openSdk);

    CommandLine d = parseCommandLine(joinCommandLine({"vardo", "-s", "-i", "/v/x y.avi"}));
    EXPECT_EQ(d.videoPath, "/v/x y.avi");
    EXPECT_TRUE(d.openSdk);
}

} // namespace
} // namespace vardo
