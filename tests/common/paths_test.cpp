// The program folder and the path helpers, at their edges.
#include "common/paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

using namespace common;

namespace {

// Sets VARDO_HOME for one test and puts the old value back.
class HomeGuard {
public:
    explicit HomeGuard(const char* value)
    {
        if (const char* old = std::getenv("VARDO_HOME"))
            old_ = old, had_ = true;
        if (value)
            setenv("VARDO_HOME", value, 1);
        else
            unsetenv("VARDO_HOME");
    }
    ~HomeGuard()
    {
        if (had_)
            setenv("VARDO_HOME", old_.c_str(), 1);
        else
            unsetenv("VARDO_HOME");
    }

private:
    std::string old_;
    bool had_ = false;
};

TEST(ProgramFolder, HomeVariableLosesEveryTrailingSeparator)
{
    {
        HomeGuard home("/opt/vardo//");
        EXPECT_EQ(programFolder(), "/opt/vardo");
    }
    {
        HomeGuard home("///");
        EXPECT_EQ(programFolder(), "/");
    }
    {
        HomeGuard home("relative/dir/");
        EXPECT_EQ(programFolder(), "relative/dir");
    }
}

TEST(ProgramFolder, EmptyHomeMeansTheExecutablesFolder)
{
    char exe[4096];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    ASSERT_GT(n, 0);
    const std::string path(exe, size_t(n));
    const std::string folder = path.substr(0, path.rfind('/'));
    HomeGuard home("");
    EXPECT_EQ(programFolder(), folder);
    HomeGuard unset(nullptr);
    EXPECT_EQ(programFolder(), folder);
}

TEST(JoinPath, OneSeparatorBetweenFolderAndName)
{
    EXPECT_EQ(joinPath("/a", "b"), "/a/b");
    EXPECT_EQ(joinPath("/a/", "b"), "/a/b");
    EXPECT_EQ(joinPath("a", "b/c.ini"), "a/b/c.ini");
    EXPECT_EQ(joinPath("", "b"), "b");
    EXPECT_EQ(joinPath("/", "b"), "/b");
}

TEST(JoinPath, AnAbsoluteNameStandsForItself)
{
    // Not "/prog//usr/share/x.wav", which names nothing.
    EXPECT_EQ(joinPath("/prog", "/usr/share/x.wav"), "/usr/share/x.wav");
}

TEST(FolderPart, BothSeparatorsCount)
{
    EXPECT_EQ(toNativePath("sample\\train\\a.bmp"), "sample/train/a.bmp");
    EXPECT_EQ(toNativePath("a/b"), "a/b");
    EXPECT_TRUE(hasFolderPart("x\\y"));
    EXPECT_TRUE(hasFolderPart("x/y"));
    EXPECT_TRUE(hasFolderPart("/y"));
    EXPECT_TRUE(hasFolderPart("y\\"));
    EXPECT_FALSE(hasFolderPart("y.bmp"));
    EXPECT_FALSE(hasFolderPart(""));
}

} // namespace
