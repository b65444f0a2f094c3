// INI key writes killed at random moments leave the old file or the new one,
// and what a killed save leaves behind is cleared by a later save.
#include "common/profile.h"
#include "save_kill.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr int kKills = 100;

// An option.ini as a user's program folder holds it: several sections,
// comments and a value with blanks around it.
std::string optionIni()
{
    return "; settings of this layout\n"
           "[USB]\nCOM_NO=3\nBAUD_RATE=9600\n\n"
           "[VIEW]\nDIFF_LEVEL=40\nCOMPARE_FRAME = 2 \n\n"
           "[EVENT]\nFILE_NAME=/home/layout/program/lap.vpr\n";
}

// A VARDO.ini large enough that one save takes several write calls, with
// Japanese texts as the shipped one has.
std::string largeVardoIni()
{
    std::string text =
        "[LAYOUT]\nTITLE=\xe3\x83\xac\xe3\x82\xa4\xe3\x82\xa2\xe3\x82\xa6\xe3\x83\x88\n";
    for (int section = 0; section < 80; ++section) {
        text += "[TRAIN" + std::to_string(section) + "]\n";
        for (int key = 0; key < 150; ++key)
            text += "KEY" + std::to_string(key) + "=" + std::to_string(section * 1000 + key) + "\n";
    }
    return text + "[END]\nLAST=1\n";
}

// Whole means the first and the last key are both there, with the values
// of one of the two versions.
savekill::Reader iniReader(const std::string& firstSection, const std::string& firstKey,
                           const std::string& lastSection, const std::string& lastKey)
{
    return [=](const std::string& path) {
        return common::Profile::hasKey(path, firstSection, firstKey) &&
               common::Profile::hasKey(path, lastSection, lastKey);
    };
}

} // namespace

TEST(IniSaveKill, AnOptionKeyWriteLeavesTheOldOrTheNewFile)
{
    vardo::testing::TempDir dir;
    const std::string path = dir.file("option.ini");
    ASSERT_TRUE(common::writeFileAtomic(path, optionIni()));
    const auto series = savekill::killSeries(
        {{path, iniReader("USB", "COM_NO", "EVENT", "FILE_NAME")}},
        [&] { return common::Profile::writeInt(path, "VIEW", "DIFF_LEVEL", 55); }, kKills, 22001);
    savekill::expectSurvivesKills(series, kKills);
    // Each version reads as itself: the key is the old value or the new one.
    const int now = common::Profile::getInt(path, "VIEW", "DIFF_LEVEL", -1);
    EXPECT_EQ(now, 40) << "the parent's file is put back after the series";
}

TEST(IniSaveKill, ANewKeyInALargeVardoIniLeavesTheOldOrTheNewFile)
{
    vardo::testing::TempDir dir;
    const std::string path = dir.file("VARDO.ini");
    ASSERT_TRUE(common::writeFileAtomic(path, largeVardoIni()));
    const auto series = savekill::killSeries(
        {{path, iniReader("LAYOUT", "TITLE", "END", "LAST")}},
        [&] {
            return common::Profile::writeString(path, "TRAIN79", "NAME",
                                                "\xe5\x88\x97\xe8\xbb\x8a"); // a train's name
        },
        kKills, 22002);
    savekill::expectSurvivesKills(series, kKills);
    EXPECT_GE(series.totalSteps, 7) << "a file of several chunks";
}

// The harness itself: a save that shows a half-written state must be caught,
// and so must one that bypasses the writer (it cannot be killed inside it).
TEST(KillHarness, ASaveThatShowsAHalfFileIsCaught)
{
    vardo::testing::TempDir dir;
    const std::string path = dir.file("option.ini");
    ASSERT_TRUE(common::writeFileAtomic(path, optionIni()));
    std::string whole = optionIni();
    whole.append("[MORE]\nKEY=1\n");
    const auto series = savekill::killSeries(
        {{path, [](const std::string&) { return true; }}},
        [&] {
            return common::writeFileAtomic(path, whole.substr(0, whole.size() / 2)) &&
                   common::writeFileAtomic(path, whole);
        },
        20, 22008);
    EXPECT_LT(series.sound, 20);
    ASSERT_FALSE(series.faults.empty());
    EXPECT_NE(series.faults[0].find("neither old nor new"), std::string::npos) << series.faults[0];
}

TEST(KillHarness, ASaveAroundTheWriterIsCaught)
{
    vardo::testing::TempDir dir;
    const std::string path = dir.file("option.ini");
    ASSERT_TRUE(common::writeFileAtomic(path, optionIni()));
    const auto series = savekill::killSeries(
        {{path, [](const std::string&) { return true; }}},
        [&] {
            std::FILE* f = std::fopen(path.c_str(), "w");
            const bool ok = f && std::fputs("[USB]\nCOM_NO=4\n", f) >= 0;
            return f && std::fclose(f) == 0 && ok;
        },
        20, 22009);
    EXPECT_EQ(series.runs, 0);
    ASSERT_EQ(series.faults.size(), 1u);
    EXPECT_NE(series.faults[0].find("uninterrupted save failed"), std::string::npos);
}

namespace {

namespace fs = std::filesystem;

// Names in the folder that start with the prefix.
std::vector<std::string> namesStartingWith(const std::string& folder, const std::string& prefix)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Sets a file's modification time to the given number of seconds ago.
void ageBy(const std::string& path, int seconds)
{
    timespec times[2];
    ::clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= seconds;
    times[1] = times[0];
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

} // namespace

// Saves killed after their temporary was made leave it behind; the next
// save of the same target clears those once they are old, and leaves a
// young one (another process may be saving) and every other file alone.
TEST(IniSaveKill, ALaterSaveRemovesOldLeftoversOfItsTargetOnly)
{
    vardo::testing::TempDir dir;
    const std::string path = dir.file("option.ini");
    ASSERT_TRUE(common::writeFileAtomic(path, optionIni()));
    auto save = [&] { return common::Profile::writeInt(path, "VIEW", "DIFF_LEVEL", 55); };
    // Step 1 creates the temporary; steps 2 and 3 write and flush it.
    for (int at : {2, 3, 2}) {
        const auto child = savekill::detail::runChild(save, at, 20000);
        ASSERT_TRUE(child.killed) << "kill at step " << at;
    }
    const auto leftovers = namesStartingWith(dir.path(), "option.ini.tmp");
    ASSERT_EQ(leftovers.size(), 3u);
    for (const auto& name : leftovers)
        ageBy(dir.file(name), 120);

    // Old files that only look alike, and a young temporary of a running save.
    const std::vector<std::string> kept{"option.ini.tmp12345", "option.ini.tmp1234567",
                                        "other.ini.tmpABCDEF", "xoption.ini.tmpABCDEF"};
    for (const auto& name : kept) {
        dir.write(name, "keep");
        ageBy(dir.file(name), 120);
    }
    fs::create_directory(dir.file("option.ini.tmpFOLDER"));
    ageBy(dir.file("option.ini.tmpFOLDER"), 120);
    dir.write("option.ini.tmpYOUNG1", "running");

    ASSERT_TRUE(save());
    EXPECT_EQ(common::Profile::getInt(path, "VIEW", "DIFF_LEVEL", -1), 55);
    EXPECT_EQ(namesStartingWith(dir.path(), "option.ini.tmp"),
              (std::vector<std::string>{"option.ini.tmp12345", "option.ini.tmp1234567",
                                        "option.ini.tmpFOLDER", "option.ini.tmpYOUNG1"}));
    for (const auto& name : kept)
        EXPECT_TRUE(fs::exists(dir.file(name))) << name;
}
