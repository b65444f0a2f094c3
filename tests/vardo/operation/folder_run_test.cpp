#include "program_test_support.h"
#include "recording_frontend.h"
#include "temp_dir.h"

#include "common/profile.h"
#include "common/string_table.h"
#include "vardo/operation/folder_run.h"

#include <gtest/gtest.h>

namespace vardo {
namespace {

namespace msg = common::msg;

// A program whose single timer says which file it came from.
void writeProgram(const testing::TempDir& dir, const std::string& name, int marker)
{
    dir.write(name, "");
    common::writeFileAtomic(dir.file(name),
                            testing::fileImage(3, {{1, 0, 0, 0, 1}, {3, 0, marker, 0, -1, 0}}));
}

class FolderRunTest : public ::testing::Test {
protected:
    FolderRunTest()
        : editor(program, frontend, dialogs, files, dir.file("option.ini"), dir.path()),
          run(editor, frontend, dir.file("option.ini"))
    {
    }

    void settings(const std::string& folder, bool random, bool loop)
    {
        FolderRunSettings s{folder, random, loop};
        ASSERT_TRUE(s.write(dir.file("option.ini")));
    }
    // The marker of the program loaded by the next step, or -1.
    int next()
    {
        return run.runNextProgramOfFolder() == FolderRunStep::ProgramLoaded
                   ? program.commands[1].value1
                   : -1;
    }

    testing::TempDir dir;
    testing::RecordingFrontend frontend;
    testing::ScriptedCommandEditor dialogs;
    testing::ScriptedFileChooser files;
    Program program;
    ProgramEditor editor;
    FolderRun run;
};

TEST_F(FolderRunTest, SettingsAreReadAndWritten)
{
    FolderRunSettings none = FolderRunSettings::read(dir.file("option.ini"));
    EXPECT_EQ(none.folder, "");
    EXPECT_FALSE(none.randomOrder);
    EXPECT_FALSE(none.loop);
    settings("/x/y", true, false);
    FolderRunSettings back = FolderRunSettings::read(dir.file("option.ini"));
    EXPECT_EQ(back.folder, "/x/y");
    EXPECT_TRUE(back.randomOrder);
    EXPECT_FALSE(back.loop);
    EXPECT_EQ(common::Profile::getString(dir.file("option.ini"), "EVENT", "FOLDER_SORT", ""), "1");
    EXPECT_EQ(common::Profile::getString(dir.file("option.ini"), "EVENT", "FOLDER_LOOP", ""), "0");

    struct Chooser : FolderChooser {
        bool chooseFolder(const std::string& start, std::string& chosen) override
        {
            started = start;
            chosen = answer;
            return !answer.empty();
        }
        std::string started, answer;
    } chooser;
    EXPECT_FALSE(back.browse(chooser));
    EXPECT_EQ(chooser.started, "/x/y");
    EXPECT_EQ(back.folder, "/x/y");
    chooser.answer = "/z";
    EXPECT_TRUE(back.browse(chooser));
    EXPECT_EQ(back.folder, "/z");
}

TEST_F(FolderRunTest, MissingFolderAndEmptyFolder)
{
    EXPECT_EQ(run.runNextProgramOfFolder(), FolderRunStep::FolderNotSet);
    dir.write("empty/readme.txt", "not a program");
    settings(dir.file("empty"), false, false);
    EXPECT_EQ(run.runNextProgramOfFolder(), FolderRunStep::NoPrograms);
    EXPECT_EQ(frontend.messageTexts(),
              (std::vector<std::string>{
                  common::messageText(msg::FolderNotSet),
                  common::formatMessage(msg::FolderHasNoPrograms, {dir.file("empty")})}));
    EXPECT_FALSE(run.active());
}

TEST_F(FolderRunTest, NameOrderOnceThenTheRunEnds)
{
    writeProgram(dir, "run/b.vpr", 2);
    writeProgram(dir, "run/B.vpr", 1);
    writeProgram(dir, "run/\xC3\xA9t\xC3\xA9.vpr", 4); // bytes above 0x7F sort last
    writeProgram(dir, "run/c.VPR", 3);
    dir.write("run/notes.txt", "x");
    dir.write("run/old.vpr.bak", "x");
    settings(dir.file("run"), false, false);
    EXPECT_EQ(next(), 1);
    EXPECT_EQ(run.names(), (std::vector<std::string>{"B.vpr", "b.vpr", "c.VPR",
                                                     "\xC3\xA9t\xC3\xA9.vpr"}));
    EXPECT_EQ(next(), 2);
    EXPECT_EQ(next(), 3);
    EXPECT_EQ(next(), 4);
    EXPECT_EQ(run.runningIndex(), 3);
    EXPECT_EQ(run.runNextProgramOfFolder(), FolderRunStep::Finished);
    EXPECT_FALSE(run.active());
    // A new run starts from the beginning.
    EXPECT_EQ(next(), 1);
}

TEST_F(FolderRunTest, LoopStartsAgainAtTheFirst)
{
    writeProgram(dir, "run/a.vpr", 1);
    writeProgram(dir, "run/b.vpr", 2);
    settings(dir.file("run"), false, true);
    EXPECT_EQ(next(), 1);
    EXPECT_EQ(next(), 2);
    EXPECT_EQ(next(), 1);
    EXPECT_EQ(next(), 2);
    EXPECT_TRUE(run.active());
    run.end();
    EXPECT_FALSE(run.active());
}

TEST_F(FolderRunTest, RandomOrderWithAScriptedGeneratorAndReshuffle)
{
    writeProgram(dir, "run/a.vpr", 1);
    writeProgram(dir, "run/b.vpr", 2);
    writeProgram(dir, "run/c.vpr", 3);
    settings(dir.file("run"), true, true);
    // Pairs (0,1) (0,2) (1,2): odd exchanges.
    std::vector<uint32_t> draws = {1, 0, 0, /* reshuffle: */ 0, 3, 5};
    size_t at = 0;
    run.setRandomSource([&] { return draws.at(at++); });
    // a b c -> (0,1) swap: b a c -> (0,2) keep -> (1,2) keep
    EXPECT_EQ(next(), 2);
    EXPECT_EQ(next(), 1);
    EXPECT_EQ(next(), 3);
    // b a c -> (0,1) keep -> (0,2) swap: c a b -> (1,2) swap: c b a
    EXPECT_EQ(next(), 3);
    EXPECT_EQ(run.names(), (std::vector<std::string>{"c.vpr", "b.vpr", "a.vpr"}));
    EXPECT_EQ(at, draws.size());
}

TEST_F(FolderRunTest, SeededGeneratorGivesTheSameOrderEachTime)
{
    std::vector<std::string> names;
    for (char c = 'a'; c <= 'h'; ++c)
        names.push_back(std::string(1, c) + ".vpr");
    auto shuffled = [&](uint32_t seed) {
        std::mt19937 gen(seed);
        std::vector<std::string> copy = names;
        FolderRun::orderNames(copy, true, [&] { return static_cast<uint32_t>(gen()); });
        return copy;
    };
    EXPECT_EQ(shuffled(7), shuffled(7));
    EXPECT_NE(shuffled(7), names);
    std::vector<std::string> sorted = shuffled(7);
    FolderRun::orderNames(sorted, false, {});
    EXPECT_EQ(sorted, names);
}

TEST_F(FolderRunTest, AProgramThatFailsToLoadEndsTheRun)
{
    writeProgram(dir, "run/a.vpr", 1);
    dir.write("run/b.vpr", "this is not a program");
    writeProgram(dir, "run/c.vpr", 3);
    settings(dir.file("run"), false, true);
    EXPECT_EQ(next(), 1);
    EXPECT_EQ(run.runNextProgramOfFolder(), FolderRunStep::LoadFailed);
    EXPECT_FALSE(run.active());
    EXPECT_EQ(frontend.messageTexts(),
              std::vector<std::string>{common::messageText(msg::NotProgramFile)});
}

TEST_F(FolderRunTest, UnsavedProgramIsOfferedForSavingFirst)
{
    writeProgram(dir, "run/a.vpr", 1);
    settings(dir.file("run"), false, false);
    program.modified = true;
    frontend.queueAnswer(Answer::Yes); // save, but the dialog is cancelled
    EXPECT_EQ(run.runNextProgramOfFolder(), FolderRunStep::Cancelled);
    EXPECT_FALSE(run.active());
    EXPECT_TRUE(program.modified);
    frontend.queueAnswer(Answer::No);
    EXPECT_EQ(next(), 1);
}

} // namespace
} // namespace vardo
