// The program editor's Save killed at random moments: the program file and
// option.ini's record of it are each the old file or the new one.
#include "program_test_support.h"
#include "recording_frontend.h"
#include "save_kill.h"
#include "temp_dir.h"

#include "common/profile.h"
#include "vardo/operation/program_editor.h"
#include "vardo/operation/program_file.h"

#include <gtest/gtest.h>

namespace vardo {
namespace {

using testing::addCommand;

bool programReadable(const std::string& path)
{
    std::vector<uint8_t> bytes;
    ProgramFileContents contents;
    return common::readWholeFile(path, bytes) &&
           parseProgramFile(bytes, path, contents) == ProgramFileStatus::Ok && contents.count > 1;
}

TEST(ProgramSaveKill, SaveLeavesTheOldOrTheNewProgramAndOptionIni)
{
    testing::TempDir dir;
    testing::RecordingFrontend frontend;
    testing::ScriptedCommandEditor dialogs;
    testing::ScriptedFileChooser files;
    Program program;
    ProgramEditor editor(program, frontend, dialogs, files, dir.file("option.ini"), dir.path());

    // The old file: a timer after the start.
    const std::string path = dir.file("lap.vpr");
    addCommand(program, CommandKind::Timer, 0, 5);
    ASSERT_TRUE(common::writeFileAtomic(path, serialiseProgram(program)));
    ASSERT_TRUE(programReadable(path));
    ASSERT_TRUE(common::Profile::writeString(dir.file("option.ini"), "EVENT", "FILE_NAME",
                                             dir.file("old.vpr")));

    // The new program the child saves: a longer chain.
    for (int i = 1; i < 20; ++i)
        addCommand(program, CommandKind::Timer, i, 10 + i);
    program.modified = true;
    files.savePath = path;

    const auto series = savekill::killSeries(
        {{path, programReadable},
         {dir.file("option.ini"),
          [](const std::string& ini) {
              return common::Profile::hasKey(ini, "EVENT", "FILE_NAME");
          }}},
        [&] { return editor.save(); }, 100, 22003);
    savekill::expectSurvivesKills(series, 100);
}

} // namespace
} // namespace vardo
