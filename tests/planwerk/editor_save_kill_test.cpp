// Planwerk's Save and Export killed at random moments: every file of the
// working folder and of the layout data folder is the old one or the new one.
#include "editor_fixture.h"
#include "save_kill.h"

#include "common/bmp.h"
#include "layoutdata/layout_files.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace planwerk::testing {
namespace {

using layoutdata::ReadStatus;

template <typename File, ReadStatus (*read)(const std::string&, File&)>
bool readsOk(const std::string& path)
{
    File file;
    return read(path, file) == ReadStatus::Ok;
}

bool bitmapReadable(const std::string& path)
{
    common::Bitmap picture;
    return common::readBitmap(path, picture) && picture.width > 0;
}

layoutdata::VertexFile oldRows()
{
    layoutdata::VertexFile rows;
    rows.outer = {{100, 240, 0, 1, 0, 0, -1, -1},
                  {320, 100, 0, 0, 0, 0, -1, -1},
                  {540, 240, 180, 0, 0, 0, -1, -1},
                  {320, 380, 0, 0, 0, 0, -1, -1}};
    rows.siding = {{200, 300, 0, 2, 0, 0, -1, -1}};
    return rows;
}

TEST_F(EditorTest, SaveKilledLeavesEachWorkingFileOldOrNew)
{
    ASSERT_TRUE(layoutdata::writeVertexFile(work("layout.dat"), oldRows()));
    // One crossing, which New then clears: cross.dat changes too.
    ASSERT_TRUE(layoutdata::writeCrossingFile(work("cross.dat"), {{layoutdata::CrossingRecord{}}}));
    start();
    editor().enterMode(EditMode::OuterLoop);
    clicks({{150, 200}, {490, 200}});
    editor().enterMode(EditMode::Crossings);
    ui.answers = {Answer::Yes};
    editor().run(Command::New);
    ui.messages.clear();

    const auto series = savekill::killSeries(
        {{work("layout.dat"), readsOk<layoutdata::VertexFile, layoutdata::readVertexFile>},
         {work("cross.dat"), readsOk<layoutdata::CrossingFile, layoutdata::readCrossingFile>}},
        [&] {
            editor().save();
            return ui.messages.empty();
        },
        100, 22005);
    savekill::expectSurvivesKills(series, 100);
}

TEST_F(EditorTest, ExportKilledLeavesEachLayoutFileOldOrNew)
{
    ASSERT_TRUE(layoutdata::writeVertexFile(work("layout.dat"), oldRows()));
    start();
    // An older export in the layout data folder.
    std::filesystem::create_directories(dir.file("layout"));
    common::Bitmap picture;
    picture.width = 64;
    picture.height = 48;
    picture.bgr.assign(size_t(picture.stride()) * 48, 0x40);
    ASSERT_TRUE(common::writeBitmap(layout("layout.bmp"), picture));
    layoutdata::PolylineFile oldTrack;
    oldTrack.vertexCounts = {2};
    oldTrack.vertices = {{1, 2}, {3, 4}};
    ASSERT_TRUE(layoutdata::writePolylineFile(layout("layout.dat"), oldTrack));
    ASSERT_TRUE(layoutdata::writePointFile(layout("point.dat"), {}));

    const auto series = savekill::killSeries(
        {{layout("layout.bmp"), bitmapReadable},
         {layout("layout.dat"), readsOk<layoutdata::PolylineFile, layoutdata::readPolylineFile>},
         {layout("point.dat"), readsOk<layoutdata::PointFile, layoutdata::readPointFile>}},
        [&] {
            ui.answers = {Answer::Yes};
            editor().exportLayout();
            return ui.messages.empty();
        },
        100, 22006);
    savekill::expectSurvivesKills(series, 100);
}

} // namespace
} // namespace planwerk::testing
