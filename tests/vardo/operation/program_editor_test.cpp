#include "program_test_support.h"
#include "recording_frontend.h"
#include "temp_dir.h"

#include "common/profile.h"
#include "common/string_table.h"
#include "vardo/operation/program_editor.h"
#include "vardo/operation/program_file.h"

#include <gtest/gtest.h>

namespace vardo {
namespace {

using testing::addCommand;
namespace msg = common::msg;

class ProgramEditorTest : public ::testing::Test {
protected:
    ProgramEditorTest()
        : editor(program, frontend, dialogs, files, dir.file("option.ini"), dir.path())
    {
        editor.setHourSource([] { return 8; });
        editor.setLayoutFacts({true, 2});
    }

    std::string text(int id) { return common::messageText(id); }

    testing::TempDir dir;
    testing::RecordingFrontend frontend;
    testing::ScriptedCommandEditor dialogs;
    testing::ScriptedFileChooser files;
    Program program;
    ProgramEditor editor;
};

TEST_F(ProgramEditorTest, InsertOpensTheDialogAndCancelAbandons)
{
    program.selected = 0;
    dialogs.queueValues(0, 30, 0);
    ASSERT_TRUE(editor.insertCommand(CommandKind::Timer));
    EXPECT_EQ(dialogs.shownKinds, std::vector<int>{3});
    EXPECT_EQ(program.count, 2);
    EXPECT_EQ(program.commands[1].value1, 30);
    EXPECT_EQ(program.commands[1].boxX, 72);
    EXPECT_TRUE(program.modified);
    EXPECT_GE(frontend.programRefreshes(), 1);

    dialogs.queueCancel();
    EXPECT_FALSE(editor.insertCommand(CommandKind::TrainSpeed));
    EXPECT_EQ(program.count, 2);
    // The cancelled insertion left the undo copy of the timer's insertion.
    ASSERT_TRUE(editor.undo());
    EXPECT_EQ(program.count, 1);

    // The end of operation has no dialog; an alarm defaults to the next hour.
    program.selected = 0;
    EXPECT_TRUE(editor.insertCommand(CommandKind::EndOfOperation));
    EXPECT_TRUE(editor.insertCommand(CommandKind::AlarmTime));
    EXPECT_EQ(dialogs.shownKinds.back(), 2);
    EXPECT_EQ(program.commands[program.selected].value1, 9);
    EXPECT_FALSE(editor.insertCommand(CommandKind::Start));
}

TEST_F(ProgramEditorTest, TheNinetyNinthCommandIsRefused)
{
    // Only 72 boxes fit the view, so 98 slots in use means deleted slots
    // that wait for the next compaction: they count all the same.
    for (int i = 0; i < 97; ++i) {
        program.selected = 0;
        ASSERT_TRUE(editor.insertCommand(CommandKind::TrainSpeed));
        frontend.queueAnswer(Answer::Yes);
        ASSERT_TRUE(editor.deleteCommand());
    }
    ASSERT_EQ(program.count, 98);
    program.selected = 0;
    ASSERT_TRUE(editor.insertCommand(CommandKind::TrainSpeed));
    ASSERT_EQ(program.count, 99);
    EXPECT_FALSE(editor.insertCommand(CommandKind::TrainSpeed));
    EXPECT_EQ(program.count, 99);
    EXPECT_EQ(frontend.messageTexts(), std::vector<std::string>{text(msg::TooManyCommands)});
    program.compact();
    EXPECT_EQ(program.count, 2);
    EXPECT_TRUE(editor.insertCommand(CommandKind::TrainSpeed));
}

TEST_F(ProgramEditorTest, RowBelowTheViewIsRefusedBeforeTheDialog)
{
    for (int i = 0; i < 7; ++i) {
        program.selected = -1;
        ASSERT_TRUE(editor.insertCommand(CommandKind::Timer));
    }
    const size_t dialogsBefore = dialogs.shownKinds.size();
    program.selected = -1;
    EXPECT_FALSE(editor.insertCommand(CommandKind::Timer));
    EXPECT_EQ(dialogs.shownKinds.size(), dialogsBefore);
    EXPECT_EQ(frontend.messageTexts(), std::vector<std::string>{text(msg::TooManyCommands)});
}

TEST_F(ProgramEditorTest, RepeatStartsChoosingItsLinkAndTheThreeMessages)
{
    int stop = addCommand(program, CommandKind::TrainControl, 0, 2, 0, 0);
    int speed = addCommand(program, CommandKind::TrainSpeed, stop);
    program.selected = speed;
    ASSERT_TRUE(editor.insertCommand(CommandKind::Repeat));
    const int repeat = program.selected;
    EXPECT_EQ(program.linkSource, repeat);
    EXPECT_EQ(editor.statusText(), text(msg::ChooseLinkTarget));

    // OK keeps choosing; each rule has its own message.
    frontend.queueAnswer(Answer::Ok);
    EXPECT_FALSE(editor.pickLinkTarget(0));
    EXPECT_FALSE(editor.pickLinkTarget(repeat + 5)) << "no command there: ignored";
    frontend.queueAnswer(Answer::Ok);
    EXPECT_FALSE(editor.pickLinkTarget(stop));
    EXPECT_EQ(frontend.questions(),
              (std::vector<std::string>{text(msg::LinkToChainHead), text(msg::RepeatNeedsWait)}));
    EXPECT_EQ(program.linkSource, repeat);

    // A command after the source: not backwards; Cancel ends the choosing.
    int after = addCommand(program, CommandKind::Timer, repeat, 5);
    program.selected = repeat;
    frontend.queueAnswer(Answer::Cancel);
    EXPECT_FALSE(editor.pickLinkTarget(after));
    EXPECT_EQ(frontend.questions().back(), text(msg::LinkOnlyBackwards));
    EXPECT_EQ(program.linkSource, -1);
    EXPECT_EQ(editor.statusText(), "");
    EXPECT_EQ(program.commands[repeat].link, -1);

    // With a timer in the loop the link is set.
    program.commands[speed].kind = static_cast<uint8_t>(CommandKind::Timer);
    program.commands[speed].value1 = 4;
    program.selected = repeat;
    ASSERT_TRUE(editor.beginLink());
    EXPECT_TRUE(editor.pickLinkTarget(stop));
    EXPECT_EQ(program.commands[repeat].link, stop);
    EXPECT_EQ(program.linkSource, -1);
    EXPECT_EQ(editor.statusText(), "");

    // Undo takes the link back; remove clears it.
    ASSERT_TRUE(editor.undo());
    EXPECT_EQ(program.commands[repeat].link, -1);
    program.commands[repeat].link = static_cast<int16_t>(stop);
    program.selected = repeat;
    EXPECT_TRUE(editor.removeLink());
    EXPECT_EQ(program.commands[repeat].link, -1);
}

TEST_F(ProgramEditorTest, LinkOnlyFromARepeatOrTheLastCommand)
{
    int a = addCommand(program, CommandKind::Timer, 0, 5);
    addCommand(program, CommandKind::TrainSpeed, a);
    program.selected = a;
    EXPECT_FALSE(editor.beginLink()) << "a middle command";
    program.selected = 0;
    EXPECT_FALSE(editor.beginLink()) << "a chain head";
    EXPECT_EQ(program.linkSource, -1);
}

TEST_F(ProgramEditorTest, DeleteAsksAndNoLeavesTheProgram)
{
    int head = addCommand(program, CommandKind::Timer, -1, 5);
    int inner = addCommand(program, CommandKind::TrainSpeed, head);
    addCommand(program, CommandKind::TrainSpeed, inner);
    program.modified = false;

    program.selected = inner;
    frontend.queueAnswer(Answer::No);
    EXPECT_FALSE(editor.deleteCommand());
    EXPECT_FALSE(program.commands[inner].isEmpty());
    EXPECT_FALSE(program.modified);

    frontend.queueAnswer(Answer::Yes);
    EXPECT_TRUE(editor.deleteCommand());
    EXPECT_TRUE(program.commands[inner].isEmpty());
    EXPECT_EQ(program.selected, head);

    frontend.queueAnswer(Answer::Yes);
    EXPECT_TRUE(editor.deleteCommand());
    EXPECT_TRUE(program.commands[head].isEmpty());
    EXPECT_EQ(frontend.questions(),
              (std::vector<std::string>{text(msg::DeleteSelectedCommand),
                                        text(msg::DeleteSelectedCommand),
                                        text(msg::DeleteChainHead)}));
    program.selected = 0;
    EXPECT_FALSE(editor.deleteCommand());
    EXPECT_EQ(frontend.questions().size(), 3u) << "the start command is never offered";
}

TEST_F(ProgramEditorTest, EditStoresOnOkOnly)
{
    int table = addCommand(program, CommandKind::Turntable, 0, 1, 1, 3);
    dialogs.queueValues(0, 1, 1);
    EXPECT_TRUE(editor.editCommand(table));
    EXPECT_EQ(program.commands[table].option, 0);
    EXPECT_EQ(program.commands[table].value1, 0) << "power commands keep no values";
    EXPECT_EQ(program.commands[table].value2, 0);
    dialogs.queueCancel();
    EXPECT_FALSE(editor.editCommand(table));
    EXPECT_TRUE(editor.undo());
    EXPECT_EQ(program.commands[table].option, 3);
    EXPECT_EQ(program.commands[table].value1, 1);
    EXPECT_FALSE(editor.editCommand(0)) << "the start command has no dialog";
}

TEST_F(ProgramEditorTest, MoveMarksModifiedAndIsUndone)
{
    int a = addCommand(program, CommandKind::Timer, 0, 5);
    int b = addCommand(program, CommandKind::TrainSpeed, a, 70);
    program.modified = false;
    program.selected = a;
    EXPECT_TRUE(editor.moveCommand(+1));
    EXPECT_TRUE(program.modified);
    EXPECT_TRUE(program.commands[a].is(CommandKind::TrainSpeed));
    EXPECT_TRUE(editor.undo());
    EXPECT_TRUE(program.commands[a].is(CommandKind::Timer));
    EXPECT_EQ(program.commands[b].value1, 70);
    program.selected = 0;
    EXPECT_FALSE(editor.moveCommand(+1));
}

TEST_F(ProgramEditorTest, NewProgramAsksFirst)
{
    addCommand(program, CommandKind::Timer, 0, 5);
    program.setTitle("古い");
    program.modified = true;
    frontend.queueAnswer(Answer::No);
    EXPECT_FALSE(editor.newProgram());
    EXPECT_EQ(program.count, 2);
    frontend.queueAnswer(Answer::Yes);
    EXPECT_TRUE(editor.newProgram());
    EXPECT_EQ(frontend.questions().back(), text(msg::DiscardProgram));
    EXPECT_EQ(program.count, 1);
    EXPECT_EQ(program.selected, 0);
    EXPECT_EQ(program.commands[0].next, -1);
    EXPECT_FALSE(program.modified);
    EXPECT_EQ(program.title(), "");

    files.savePath = dir.file("new.vpr");
    ASSERT_TRUE(editor.save());
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(common::readWholeFile(dir.file("new.vpr"), bytes));
    EXPECT_EQ(bytes.size(), 64u) << "header and the start command, no title";
}

TEST_F(ProgramEditorTest, SaveRecordsTheNameAndClearsModified)
{
    addCommand(program, CommandKind::Timer, 0, 5);
    program.modified = true;
    files.savePath = dir.file("mine");
    ASSERT_TRUE(editor.save());
    EXPECT_TRUE(common::fileExists(dir.file("mine.vpr")));
    EXPECT_EQ(program.fileName, dir.file("mine.vpr"));
    EXPECT_EQ(common::Profile::getString(dir.file("option.ini"), "EVENT", "FILE_NAME", ""),
              dir.file("mine.vpr"));
    EXPECT_FALSE(program.modified);
    EXPECT_EQ(files.saveStarts.back(), "");

    // The next save dialog starts at the file; a failed write says so.
    program.modified = true;
    files.savePath = dir.file("no/such/folder/x.vpr");
    EXPECT_FALSE(editor.save());
    EXPECT_EQ(files.saveStarts.back(), dir.file("mine.vpr"));
    EXPECT_EQ(frontend.messageTexts(), std::vector<std::string>{text(msg::ProgramSaveFailed)});
    EXPECT_TRUE(program.modified);
    EXPECT_EQ(program.fileName, dir.file("mine.vpr"));
}

TEST_F(ProgramEditorTest, ConfirmSaveBeforeDiscarding)
{
    EXPECT_TRUE(editor.confirmSave()) << "nothing to save";
    EXPECT_TRUE(frontend.questions().empty());
    program.modified = true;
    frontend.queueAnswer(Answer::No);
    EXPECT_TRUE(editor.confirmSave());
    EXPECT_EQ(frontend.questions().back(), text(msg::ProgramModifiedSave));
    frontend.queueAnswer(Answer::Yes);
    EXPECT_FALSE(editor.confirmSave()) << "save dialog cancelled";
    files.savePath = dir.file("kept.vpr");
    frontend.queueAnswer(Answer::Yes);
    EXPECT_TRUE(editor.confirmSave());
    EXPECT_TRUE(common::fileExists(dir.file("kept.vpr")));
}

TEST_F(ProgramEditorTest, OpenLoadsAndRemembersTheFile)
{
    dir.write("sample/program/demo.vpr", "");
    common::writeFileAtomic(dir.file("sample/program/demo.vpr"),
                            testing::fileImage(3, {{1, 0, 0, 0, 1}, {3, 0, 20, 0, -1, 0}}));
    files.openPath = dir.file("sample/program/demo.vpr");
    ASSERT_TRUE(editor.open(true));
    EXPECT_EQ(files.openStarts.back(), dir.file("sample/program"));
    EXPECT_EQ(program.count, 2);
    EXPECT_EQ(program.commands[1].value1, 20);
    EXPECT_EQ(program.fileName, dir.file("sample/program/demo.vpr"));
    EXPECT_EQ(common::Profile::getString(dir.file("option.ini"), "EVENT", "FILE_NAME", ""),
              dir.file("sample/program/demo.vpr"));
    EXPECT_EQ(program.title(), "demo");

    // A modified program whose save is cancelled is not discarded.
    program.modified = true;
    frontend.queueAnswer(Answer::Yes);
    EXPECT_FALSE(editor.open(false));
    EXPECT_EQ(files.openStarts.size(), 1u);
}

TEST_F(ProgramEditorTest, StartUpLoadsTheRememberedProgram)
{
    dir.write("sample/program/loop.vpr", "");
    common::writeFileAtomic(dir.file("sample/program/loop.vpr"),
                            testing::fileImage(3, {{1, 0, 0, 0, 1}, {11, 0, 60, 5, -1, 0}}));
    common::Profile::writeString(dir.file("option.ini"), "EVENT", "FILE_NAME", "loop.vpr");
    editor.initialise();
    EXPECT_EQ(program.count, 2);
    EXPECT_EQ(program.fileName, dir.file("sample/program/loop.vpr"));
    EXPECT_FALSE(program.modified);

    // A remembered file that is gone: the message, and the start command alone.
    common::Profile::writeString(dir.file("option.ini"), "EVENT", "FILE_NAME",
                                 dir.file("gone.vpr"));
    editor.initialise();
    EXPECT_EQ(program.count, 1);
    EXPECT_EQ(program.commands[0].boxX, 16);
    EXPECT_EQ(program.commands[0].boxY, 16);
    EXPECT_EQ(frontend.messageTexts(), std::vector<std::string>{text(msg::ProgramLoadFailed)});
}

TEST_F(ProgramEditorTest, RefusedFileLeavesTheProgramAsItWas)
{
    int t = addCommand(program, CommandKind::Timer, 0, 42);
    program.modified = true;
    std::vector<uint8_t> bad = testing::fileImage(3, {{1, 0, 0, 0, 1}, {3, 0, 5, 0, -1, 0}});
    bad[1] = 'x';
    common::writeFileAtomic(dir.file("bad.vpr"), bad);
    EXPECT_FALSE(editor.load(dir.file("bad.vpr")));
    EXPECT_EQ(frontend.messageTexts(), std::vector<std::string>{text(msg::NotProgramFile)});
    EXPECT_EQ(program.count, 2);
    EXPECT_EQ(program.commands[t].value1, 42);
    EXPECT_TRUE(program.modified);
}

TEST_F(ProgramEditorTest, TitleAndVirtualTimeAreKeptChanges)
{
    program.modified = false;
    editor.setTitle("運転会");
    EXPECT_TRUE(program.modified);
    EXPECT_EQ(program.title(), "運転会");
    program.modified = false;
    editor.setVirtualTime(9 * 60 + 30);
    EXPECT_TRUE(program.modified);
    EXPECT_EQ(program.virtualTime, 570);
    editor.setVirtualTime(24 * 60);
    EXPECT_EQ(program.virtualTime, -1);
}

} // namespace
} // namespace vardo
