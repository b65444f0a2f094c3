// The editor as a document: settings, start-up, modes, undo, flags, save,
// export, load, new.
#include "editor_fixture.h"

#include "common/bmp.h"
#include "common/byte_io.h"
#include "layoutdata/layout_files.h"
#include "planwerk/editor_texts.h"

#include <filesystem>
#include <fstream>

namespace planwerk::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<uint8_t> readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// ---- Planwerk.ini

TEST_F(EditorTest, AbsentKeysTakeTheirDefaults)
{
    start();
    const EditorSettings& s = editor().settings();
    EXPECT_EQ(s.sortPoint, 1);
    EXPECT_EQ(s.maxPoint, 32);
    EXPECT_EQ(s.pointPitch, 1);
    EXPECT_EQ(s.pointSize, 4);
    EXPECT_EQ(s.lineColour, 0xFF0000); // "#0000FF": blue, red in the low byte
    EXPECT_EQ(s.selectColour, 0x007700);
    EXPECT_EQ(s.maskColour, 0x00FF00);
    EXPECT_EQ(s.maxPoly, 2048);
    EXPECT_EQ(s.maskWidth, 4);
    EXPECT_EQ(s.railWidth, 32);
    EXPECT_EQ(s.trainSize, 20);
    EXPECT_THAT(ui.messages, IsEmpty());
    EXPECT_EQ(editor().row(0).capacity(), 32);
}

TEST_F(EditorTest, NegativeIntegersAndBadColoursAreReportedAndGiveMinusOne)
{
    start("MAX_POINT=-3\nPOINT_SIZE=0\nLINE_COLOR=#12345\nPOINT_COLOR=#GG0000\n"
          "SELECT_COLOR=00770000\nMASK_COLOR=#00ff00\n");
    const EditorSettings& s = editor().settings();
    EXPECT_EQ(s.maxPoint, -1);
    EXPECT_EQ(s.pointSize, 0); // zero is a value like any other
    EXPECT_EQ(s.lineColour, -1);
    EXPECT_EQ(s.pointColour, -1);
    EXPECT_EQ(s.selectColour, -1);
    EXPECT_EQ(s.maskColour, 0x00FF00); // lower case digits are fine
    EXPECT_THAT(ui.messages,
                ElementsAre("INIファイル設定エラー:Section = \"EDIT\" Key = \"MAX_POINT\"",
                            "INIファイル設定エラー:Section = \"EDIT\" Key = \"LINE_COLOR\"",
                            "INIファイル設定エラー:Section = \"EDIT\" Key = \"POINT_COLOR\"",
                            "INIファイル設定エラー:Section = \"EDIT\" Key = \"SELECT_COLOR\""));
    // A row of capacity -1 holds nothing: every click is refused.
    editor().enterMode(EditMode::OuterLoop);
    clicks({{100, 100}});
    EXPECT_EQ(editor().row(0).count(), 0);
    EXPECT_EQ(ui.messages.back(), text::kRowFull);
}

TEST(EditorStartup, MissingIniClosesTheProgram)
{
    TempFolder dir;
    RecordingFrontend ui;
    LayoutEditor editor(ui, dir.path());
    EXPECT_FALSE(editor.initialise());
    EXPECT_THAT(ui.messages,
                ElementsAre("ファイル[" + dir.path() + "/Planwerk.ini]が見つかりません"));
    EXPECT_TRUE(ui.closed);
}

// ---- start-up

TEST_F(EditorTest, NoWorkingFilesStartsEmptyWithPictureCommandsDisabled)
{
    start("", false);
    EXPECT_FALSE(editor().hasLayoutPicture());
    EXPECT_EQ(editor().mode(), EditMode::None);
    EXPECT_EQ(editor().row(0).count(), 0);
    EXPECT_EQ(editor().row(1).count(), 0);
    EXPECT_TRUE(editor().masks().present());
    EXPECT_FALSE(editor().exceptions().present());
    EXPECT_FALSE(editor().controlPoints().present());
    EXPECT_FALSE(editor().crossings().present());
    EXPECT_FALSE(editor().sensors().present());
    for (Command c : {Command::Save, Command::Export, Command::OuterLoopMode, Command::SidingsMode,
                      Command::MaskMode, Command::ExceptionMode, Command::ControlPointsMode,
                      Command::CrossingsMode, Command::SensorsMode, Command::TrainPictureMode,
                      Command::New, Command::Undo})
        EXPECT_FALSE(editor().isEnabled(c)) << int(c);
    EXPECT_TRUE(editor().isEnabled(Command::LoadLayout));
    EXPECT_TRUE(editor().isEnabled(Command::Exit));
    EXPECT_FALSE(editor().run(Command::Export));
    EXPECT_FALSE(fileExists(layout("point.dat")));
    EXPECT_THAT(ui.messages, IsEmpty());
}

TEST_F(EditorTest, WorkingFilesAreReadAtStartUp)
{
    layoutdata::VertexFile rows;
    rows.outer = {{100, 240, 0, 1, 0, 0, -1, -1}, {540, 240, 180, 0, 0, 0, -1, -1}};
    rows.siding = {{200, 300, 0, 2, 0, 0, -1, -1}};
    ASSERT_TRUE(layoutdata::writeVertexFile(work("layout.dat"), rows));
    ASSERT_TRUE(layoutdata::writeMaskFile(work("except.dat"), {{layoutdata::MaskRecord{}}}));
    ASSERT_TRUE(layoutdata::writeSensorFile(work("sensor.dat"), {{{10, 20, 75}}}));
    start();
    EXPECT_TRUE(editor().hasLayoutPicture());
    EXPECT_EQ(editor().row(0).toVector(), rows.outer);
    EXPECT_EQ(editor().row(1).toVector(), rows.siding);
    EXPECT_EQ(editor().exceptions().count(), 1);
    EXPECT_EQ(editor().sensors().count(), 1);
    EXPECT_FALSE(editor().controlPoints().present());
    EXPECT_THAT(ui.messages, IsEmpty());
    EXPECT_FALSE(editor().modified().any());
}

TEST_F(EditorTest, DamagedWorkingFilesAreReportedAndLeaveTheirSetEmpty)
{
    // Control points of an old version: refused, and the set is dropped.
    common::ByteWriter control;
    control.putTag(".cnt");
    control.putI32(2);
    control.putI32(0);
    control.putZeros(20);
    writeBytes(work("control.dat"), control.bytes());
    // Crossings with a wrong tag: reported, the set exists but is empty.
    common::ByteWriter cross;
    cross.putTag(".xyz");
    cross.putI32(1);
    cross.putI32(0);
    cross.putZeros(20);
    writeBytes(work("cross.dat"), cross.bytes());
    start();
    EXPECT_THAT(ui.messages, ElementsAre(text::kNotCrossingFile, text::kControlVersion));
    EXPECT_FALSE(editor().controlPoints().present());
    EXPECT_TRUE(editor().crossings().present());
    EXPECT_EQ(editor().crossings().count(), 0);
}

TEST_F(EditorTest, VertexFileLongerThanTheRowsIsRefusedWhole)
{
    layoutdata::VertexFile rows;
    for (int i = 0; i < 4; ++i)
        rows.outer.push_back({100 + 20 * i, 100, 0, 0, 0, 0, -1, -1});
    rows.siding = {{200, 300, 0, 2, 0, 0, -1, -1}};
    ASSERT_TRUE(layoutdata::writeVertexFile(work("layout.dat"), rows));
    start("MAX_POINT=3\n");
    EXPECT_THAT(ui.messages, ElementsAre(text::kNotVertexFile));
    EXPECT_EQ(editor().row(0).count(), 0);
    EXPECT_EQ(editor().row(1).count(), 0);
}

TEST_F(EditorTest, MaskFileAboveItsCapacityIsRefused)
{
    common::ByteWriter masks;
    masks.putTag(".msk");
    masks.putI32(1);
    masks.putI32(33);
    masks.putZeros(20);
    masks.putZeros(33 * 40);
    writeBytes(work("mask.dat"), masks.bytes());
    start();
    EXPECT_THAT(ui.messages, ElementsAre(text::kNotMaskFile));
    EXPECT_EQ(editor().masks().count(), 0);
}

// ---- modes, undo, new

TEST_F(EditorTest, EnteringModesCreatesTheirSetsWithHints)
{
    start();
    editor().enterMode(EditMode::ControlPoints);
    EXPECT_TRUE(editor().controlPoints().present());
    editor().enterMode(EditMode::Sensors);
    EXPECT_TRUE(editor().sensors().present());
    editor().enterMode(EditMode::Exception);
    EXPECT_TRUE(editor().exceptions().present());
    editor().enterMode(EditMode::Crossings);
    EXPECT_TRUE(editor().crossings().present());
    EXPECT_THAT(ui.messages, ElementsAre(text::kControlHint, text::kSensorHint));
    editor().enterMode(EditMode::ControlPoints); // exists now: no second hint
    EXPECT_EQ(ui.messages.size(), 2u);
}

TEST_F(EditorTest, UndoRestoresTheRowAndSwitchingModesClearsIt)
{
    start();
    editor().enterMode(EditMode::OuterLoop);
    clicks({{100, 240}, {320, 50}});
    EXPECT_EQ(editor().snapshotCount(), 1);
    ASSERT_TRUE(editor().run(Command::Undo));
    EXPECT_EQ(editor().row(0).count(), 1);
    EXPECT_EQ(editor().snapshotCount(), -1);
    EXPECT_FALSE(editor().isEnabled(Command::Undo));

    clicks({{320, 50}});
    EXPECT_TRUE(editor().isEnabled(Command::Undo));
    editor().enterMode(EditMode::Sidings);
    editor().enterMode(EditMode::OuterLoop);
    EXPECT_FALSE(editor().run(Command::Undo));
    EXPECT_EQ(editor().row(0).count(), 2);
}

TEST_F(EditorTest, NewAsksThePerModeQuestionAndClearsOnlyThatSet)
{
    start();
    editor().enterMode(EditMode::OuterLoop);
    clicks({{100, 240}, {320, 50}});
    editor().save();
    EXPECT_FALSE(editor().modified().layout);

    editor().enterMode(EditMode::Mask);
    ui.answers = {Answer::Yes};
    ASSERT_TRUE(editor().run(Command::New));
    EXPECT_EQ(ui.questions.back().text, text::kNewMask);
    EXPECT_EQ(editor().row(0).count(), 2);
    EXPECT_FALSE(editor().modified().layout);
    EXPECT_TRUE(editor().modified().mask);

    editor().enterMode(EditMode::OuterLoop);
    ui.answers = {Answer::No};
    editor().run(Command::New);
    EXPECT_EQ(ui.questions.back().text, text::kNewOuterLoop);
    EXPECT_EQ(editor().row(0).count(), 2);
    ui.answers = {Answer::Yes};
    editor().run(Command::New);
    EXPECT_EQ(editor().row(0).count(), 0);
    EXPECT_TRUE(editor().modified().layout);

    editor().enterMode(EditMode::Sensors);
    ui.answers = {Answer::Yes};
    editor().run(Command::New);
    EXPECT_EQ(ui.questions.back().text, text::kNewSensor);
    EXPECT_TRUE(editor().modified().sensor);
}

// ---- save

TEST_F(EditorTest, SaveWritesChangedSetsAndKeepsCrossingAndSensorFlags)
{
    start();
    editor().enterMode(EditMode::OuterLoop);
    clicks({{100, 240}});
    editor().enterMode(EditMode::Crossings);
    ui.answers = {Answer::Yes};
    editor().run(Command::New);
    ASSERT_TRUE(editor().modified().crossing);

    editor().save();
    layoutdata::VertexFile rows;
    ASSERT_EQ(layoutdata::readVertexFile(work("layout.dat"), rows), layoutdata::ReadStatus::Ok);
    EXPECT_EQ(rows.outer.size(), 1u);
    EXPECT_TRUE(fileExists(work("cross.dat")));
    EXPECT_FALSE(fileExists(work("mask.dat")));    // masks were not changed
    EXPECT_FALSE(fileExists(work("control.dat"))); // nor control points
    EXPECT_FALSE(editor().modified().layout);
    EXPECT_TRUE(editor().modified().crossing);

    // Every later Save writes the crossings again.
    std::filesystem::remove(work("cross.dat"));
    editor().save();
    EXPECT_TRUE(fileExists(work("cross.dat")));
}

TEST_F(EditorTest, AskToSaveOnlyWhenSomethingChangedAndExitCloses)
{
    start();
    editor().run(Command::Exit);
    EXPECT_THAT(ui.questions, IsEmpty());
    EXPECT_TRUE(ui.closed);

    editor().enterMode(EditMode::OuterLoop);
    clicks({{100, 240}});
    ui.answers = {Answer::Yes};
    editor().exit();
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0].text, text::kAskToSave);
    EXPECT_TRUE(fileExists(work("layout.dat")));
}

// ---- export

TEST_F(EditorTest, ExportNeedsTheConfirmation)
{
    start();
    ui.answers = {Answer::No};
    ASSERT_TRUE(editor().run(Command::Export));
    EXPECT_EQ(ui.questions[0].text, text::kConfirmExport);
    EXPECT_FALSE(fileExists(layout("layout.bmp")));
    EXPECT_FALSE(fileExists(layout("point.dat")));
}

TEST_F(EditorTest, ExportWithoutOuterLoopKeepsTheOldTrackAndWritesPictureAndPoints)
{
    start();
    writeBytes(layout("layout.dat"), {1, 2, 3});
    ui.answers = {Answer::Yes};
    editor().exportLayout();
    EXPECT_EQ(readAll(layout("layout.dat")), (std::vector<uint8_t>{1, 2, 3}));
    common::Bitmap picture;
    ASSERT_TRUE(common::readBitmap(layout("layout.bmp"), picture));
    EXPECT_EQ(picture.width, 640);
    layoutdata::PointFile points;
    ASSERT_EQ(layoutdata::readPointFile(layout("point.dat"), points), layoutdata::ReadStatus::Ok);
    EXPECT_EQ(points.count, 0);
    EXPECT_EQ(ui.questions.size(), 1u); // no stale file, no question
}

TEST_F(EditorTest, ExportWritesAPresentButEmptyControlSet)
{
    start();
    editor().enterMode(EditMode::ControlPoints);
    ui.answers = {Answer::Yes};
    editor().exportLayout();
    std::vector<uint8_t> bytes = readAll(layout("control.dat"));
    ASSERT_EQ(bytes.size(), 32u);
    common::ByteReader reader(bytes);
    uint32_t tag = 0;
    int32_t version = 0, count = -1;
    ASSERT_TRUE(reader.readU32(tag) && reader.readI32(version) && reader.readI32(count));
    EXPECT_EQ(tag, common::tagWord(".cnt"));
    EXPECT_EQ(version, 3);
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(fileExists(layout("sensor.dat")));
}

TEST_F(EditorTest, StaleFilesAreAskedAboutOnlyWhenTheyExistWithNoAsDefault)
{
    start();
    writeBytes(layout("mask.dat"), {1});
    writeBytes(layout("control.dat"), {1});
    writeBytes(layout("sensor.dat"), {1});
    // The confirmation; mask: default (No); control: Yes; sensor: default.
    ui.answers = {Answer::Yes};
    editor().exportLayout();
    ASSERT_EQ(ui.questions.size(), 4u);
    EXPECT_EQ(ui.questions[1].text, text::kStaleMask);
    EXPECT_EQ(ui.questions[1].defaultAnswer, Answer::No);
    EXPECT_EQ(ui.questions[2].text, text::kStaleControl);
    EXPECT_EQ(ui.questions[3].text, text::kStaleCrossing); // the sensor question's text
    EXPECT_TRUE(fileExists(layout("mask.dat")));
    EXPECT_TRUE(fileExists(layout("sensor.dat")));

    ui.questions.clear();
    ui.answers = {Answer::Yes, Answer::No, Answer::Yes, Answer::Yes};
    editor().exportLayout();
    EXPECT_TRUE(fileExists(layout("mask.dat")));
    EXPECT_FALSE(fileExists(layout("control.dat")));
    EXPECT_FALSE(fileExists(layout("sensor.dat")));
}

TEST_F(EditorTest, ExportingCrossingsRemovesTheClosedCrossingPictures)
{
    start();
    writeBytes(layout("cross1.bmp"), {1});
    writeBytes(layout("cross2.bmp"), {1});
    writeBytes(layout("cross3.bmp"), {1});
    editor().enterMode(EditMode::Crossings);
    ui.answers = {Answer::Yes};
    editor().exportLayout();
    EXPECT_TRUE(fileExists(layout("cross.dat")));
    EXPECT_FALSE(fileExists(layout("cross1.bmp")));
    EXPECT_FALSE(fileExists(layout("cross2.bmp")));
    EXPECT_TRUE(fileExists(layout("cross3.bmp")));
}

TEST_F(EditorTest, AFailedFileDoesNotStopTheExport)
{
    start();
    editor().enterMode(EditMode::OuterLoop);
    clicks({{100, 240}, {320, 50}, {540, 240}});
    std::filesystem::create_directories(layout("layout.dat/blocked"));
    ui.answers = {Answer::Yes};
    editor().exportLayout();
    EXPECT_THAT(ui.messages, ElementsAre(text::kTrackExportFailed));
    EXPECT_TRUE(fileExists(layout("point.dat")));
    EXPECT_FALSE(editor().modified().picture);
}

TEST_F(EditorTest, ATrackWithoutRoomForPointsIsNotExported)
{
    start("MAX_POLY=0\n");
    editor().enterMode(EditMode::OuterLoop);
    clicks({{100, 240}, {320, 50}, {540, 240}});
    ui.answers = {Answer::Yes};
    editor().exportLayout();
    EXPECT_THAT(ui.messages, ElementsAre(text::kTrackExportFailed));
    EXPECT_FALSE(fileExists(layout("layout.dat")));
    EXPECT_TRUE(fileExists(layout("point.dat")));
}

// ---- load layout data

TEST_F(EditorTest, LoadLayoutDataCopiesAndReReadsTheSavedFolder)
{
    start();
    TempFolder saved;
    writeWorkingPicture(saved.path());
    layoutdata::VertexFile rows;
    rows.outer = {{10, 10, 0, 0, 0, 0, -1, -1}, {600, 10, 0, 0, 0, 0, -1, -1}};
    ASSERT_TRUE(layoutdata::writeVertexFile(saved.path() + "/planwerk/layout.dat", rows));
    ASSERT_TRUE(layoutdata::writeControlPointFile(saved.path() + "/planwerk/control.dat",
                                                  {{layoutdata::ControlPointRecord{}}}));
    // Working files the saved folder lacks are removed.
    ASSERT_TRUE(layoutdata::writeMaskFile(work("mask.dat"), {{layoutdata::MaskRecord{}}}));
    writeBytes(work("cross.dat"), {1});

    ui.folder = saved.path() + "/planwerk";
    ui.answers = {Answer::Yes};
    editor().run(Command::LoadLayout);
    EXPECT_EQ(ui.questions[0].text, text::kConfirmLoadLayout);
    EXPECT_EQ(editor().row(0).toVector(), rows.outer);
    EXPECT_EQ(editor().controlPoints().count(), 1);
    EXPECT_EQ(editor().masks().count(), 0);
    EXPECT_FALSE(fileExists(work("mask.dat")));
    EXPECT_FALSE(fileExists(work("cross.dat")));
    EXPECT_TRUE(editor().exceptions().present());
    EXPECT_THAT(ui.messages, IsEmpty());
}

TEST_F(EditorTest, LoadLayoutDataStopsWithoutPictureOrTrack)
{
    start();
    TempFolder saved;
    writeWorkingPicture(saved.path()); // a picture but no layout.dat
    ui.folder = saved.path() + "/planwerk";
    ui.answers = {Answer::Yes};
    editor().loadLayoutData();
    EXPECT_THAT(ui.messages, ElementsAre(text::kLoadLayoutMissing));

    ui.messages.clear();
    ui.answers = {Answer::No};
    editor().loadLayoutData();
    EXPECT_THAT(ui.messages, IsEmpty());
}

} // namespace
} // namespace planwerk::testing
