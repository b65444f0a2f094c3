// vardo-run render-program as a user runs it: a program folder built in
// code, the written picture compared with the editor's own drawing.
#include "common/byte_io.h"
#include "operation_rig.h"
#include "program_test_support.h"
#include "recording_frontend.h"
#include "run_program.h"
#include "temp_dir.h"
#include "vardo/layout/layout.h"
#include "vardo/operation/program_file.h"
#include "vardo/operation/program_picture.h"

#include <gtest/gtest.h>

#include <QImage>

namespace vardo {
namespace {

using testing::addCommand;
using testing::TempDir;

// The exit code of vardo-run render-program ARGS in the folder.
int runRenderProgram(const TempDir& dir, std::vector<std::string> args)
{
    args.insert(args.begin(), "render-program");
    return testing::runProgram(VARDO_RUN_PATH, args, testing::inProgramFolder(dir.path())).exitCode;
}

class RenderProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.write("VARDO.ini", "[EVENT]\nLINK_COLOR=#FF00FF\n");
        dir.write("option.ini", "[AGREEMENT]\nAGREEMENT=1\n[LAYOUT]\nSURPRESS_MESSAGE=1\n");
        layoutdata::PolylineFile track;
        const auto loop = optest::ellipseLine(320, 240, 200, 150, 200);
        track.vertexCounts.push_back(int32_t(loop.size()));
        track.vertices = loop;
        dir.write("layout/.keep", "");
        ASSERT_TRUE(layoutdata::writePolylineFile(dir.file("layout/layout.dat"), track));
        // The front of the layout, a barrier opened and closed, a loop.
        wait = addCommand(program, CommandKind::PositionWait, 0, 0, 60, 1);
        int open = addCommand(program, CommandKind::SwitchPoint, wait, 0, 0, 0);
        int close = addCommand(program, CommandKind::SwitchPoint, open, 0, 0, 1);
        int timer = addCommand(program, CommandKind::Timer, close, 2, 0);
        int repeat = addCommand(program, CommandKind::Repeat, timer, 3);
        ASSERT_TRUE(program.setLink(repeat, open));
        ASSERT_TRUE(common::writeFileAtomic(dir.file("test.vpr"), serialiseProgram(program)));
    }

    QImage expected(int select)
    {
        testing::RecordingFrontend frontend;
        layout::Layout model(frontend);
        EXPECT_TRUE(model.load({dir.path(), dir.file("VARDO.ini"), dir.file("option.ini"), ""}));
        model.computeHomePositions();
        ProgramPictureStyle style;
        style.link = QColor(255, 0, 255);
        ProgramPicture painter(ProgramPictureLayout::from(model.model()), style);
        QImage image = painter.draw(program);
        painter.drawSelection(image, program, select);
        return image;
    }

    TempDir dir;
    Program program;
    int wait = -1;
};

TEST_F(RenderProgramTest, WritesTheEditorsPictureWithTheSelection)
{
    ASSERT_EQ(runRenderProgram(dir, {dir.file("test.vpr"), dir.file("out.png"), "--select",
                                     std::to_string(wait)}),
              0);
    QImage written(QString::fromStdString(dir.file("out.png")));
    ASSERT_EQ(written.size(), QSize(640, 480));
    written = written.convertToFormat(QImage::Format_RGB888);
    const QImage drawn = expected(wait);
    EXPECT_EQ(written, drawn);
    // The colour of VARDO.ini, the barrier variant of an outer-loop layout.
    const ProgramCommand& w = program.commands[size_t(wait)];
    EXPECT_EQ(QColor(written.pixel(w.boxX - 10, w.boxY + 20)), QColor(255, 0, 255));
    EXPECT_EQ(QColor(written.pixel(w.boxX - 2, w.boxY + 20)), QColor(0, 255, 0));
}

TEST_F(RenderProgramTest, RefusesBadArgumentsAndFiles)
{
    EXPECT_EQ(runRenderProgram(dir, {dir.file("test.vpr")}), 2);
    EXPECT_EQ(runRenderProgram(dir, {dir.file("test.vpr"), dir.file("o.png"), "--select", "x"}), 2);
    EXPECT_EQ(runRenderProgram(dir, {dir.file("test.vpr"), dir.file("o.png"), "--select", "60"}),
              2);
    EXPECT_EQ(runRenderProgram(dir, {dir.file("none.vpr"), dir.file("o.png")}), 1);
    dir.write("bad.vpr", "not a program");
    EXPECT_EQ(runRenderProgram(dir, {dir.file("bad.vpr"), dir.file("o.png")}), 1);
    EXPECT_EQ(runRenderProgram(
                  dir, {dir.file("test.vpr"), dir.file("o.png"), "--layout", dir.file("nolayout")}),
              1);
}

} // namespace
} // namespace vardo
