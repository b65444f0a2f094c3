// Reading the layout data folder with Vardo's messages and fallbacks.
#include "fixtures.h"
#include "recording_frontend.h"
#include "temp_dir.h"

#include "common/bmp.h"
#include "vardo/layout/layout_folder.h"

#include <gtest/gtest.h>

using namespace layoutdata;
using vardo::testing::RecordingFrontend;
using vardo::testing::TempDir;
using Texts = std::vector<std::string>;

namespace {

const std::string kReadFailed = "レイアウトファイルの読み込みに失敗しました。";
const std::string kNotPolygon = "このファイルはポリゴンデータではありません";
const std::string kNotControl = "このファイルは制御領域データファイルではありません";
const std::string kControlUnsupported =
    "制御領域はサポートされていません。レイアウトエディタで制御ポイントを作り直してください。";
const std::string kNotSensor = "このファイルはセンサーデータではありません。レイアウトエディタでセ"
                               "ンサーを作り直してください。";
const std::string kNotCrossing = "このファイルは踏切データではありません";
const std::string kNotPoint = "このファイルはポイントデータではありません";

class LayoutFolderTest : public ::testing::Test {
protected:
    void put(const std::string& name, const fixtures::Bytes& bytes)
    {
        dir.write(name, fixtures::asString(bytes));
    }

    // A complete folder: loop, one siding, a point, and one of every marker.
    void writeCompleteFolder()
    {
        put("layout.dat",
            fixtures::polylineFile({{{100, 100}, {200, 100}, {200, 200}}, {{150, 110}, {160, 120}}},
                                   PolylineFile::packHome({200, 100})));
        put("point.dat", fixtures::pointFile({{1, 0, 0, 1, 150, 110}}));
        put("mask.dat", fixtures::polylineFile({{{0, 0}, {10, 0}, {10, 10}, {0, 10}}}));
        put("except.dat", fixtures::polylineFile({{{1, 1}, {2, 1}, {2, 2}, {1, 2}},
                                                  {{5, 5}, {6, 5}, {6, 6}, {5, 6}}}));
        put("control.dat", fixtures::controlFile({{0, 10, 20, 7, 0, 0, 0, 0, 0}}));
        put("sensor.dat", fixtures::sensorFile({{30, 40, 75}}));
        std::array<int32_t, 23> crossing{};
        crossing[22] = 3;
        put("cross.dat", fixtures::crossingFile({crossing}));
        dir.write("turntable.ini", "[LAYOUT]\nTABLE_SIZE=50\nLINE_ANGLE=10,20\n");
    }

    vardo::LayoutFolder load(bool expected = true)
    {
        vardo::LayoutFolder folder;
        EXPECT_EQ(vardo::loadLayoutFolder(dir.path(), frontend, folder), expected);
        return folder;
    }

    TempDir dir;
    RecordingFrontend frontend;
};

TEST_F(LayoutFolderTest, ReadsACompleteFolderSilently)
{
    writeCompleteFolder();
    common::Bitmap picture{640, 480, std::vector<uint8_t>(640 * 480 * 3, 0x40)};
    ASSERT_TRUE(common::writeBitmap(dir.file("layout.bmp"), picture));
    auto f = load();
    EXPECT_TRUE(frontend.messageTexts().empty());
    EXPECT_TRUE(f.trackRead);
    EXPECT_TRUE(f.pictureRead);
    EXPECT_EQ(f.track.polylineCount(), 2);
    EXPECT_EQ(f.points.count, 1);
    EXPECT_EQ(f.points.records[0].direction, 1);
    EXPECT_EQ(f.masks.polylineCount(), 1);
    EXPECT_EQ(f.exceptions.polylineCount(), 2);
    EXPECT_EQ(f.controlPoints.records.size(), 1u);
    EXPECT_EQ(f.sensors.records.size(), 1u);
    ASSERT_EQ(f.crossings.records.size(), 1u);
    EXPECT_EQ(f.crossings.records[0].drive, 3);
    EXPECT_EQ(f.turntable.size, 50);
    EXPECT_EQ(f.turntable.lineAngles.size(), 2u);
}

TEST_F(LayoutFolderTest, PictureMustBe640By480)
{
    writeCompleteFolder();
    common::Bitmap small{320, 240, std::vector<uint8_t>(320 * 240 * 3, 0)};
    ASSERT_TRUE(common::writeBitmap(dir.file("layout.bmp"), small));
    EXPECT_FALSE(load().pictureRead);
    EXPECT_TRUE(frontend.messageTexts().empty());
}

TEST_F(LayoutFolderTest, MissingTrackFailsAndReadsNothingElse)
{
    writeCompleteFolder();
    std::remove(dir.file("layout.dat").c_str());
    auto f = load(false);
    EXPECT_EQ(frontend.messageTexts(), Texts{kReadFailed});
    EXPECT_FALSE(f.trackRead);
    EXPECT_EQ(f.points.count, 0);
    EXPECT_TRUE(f.controlPoints.records.empty());
    EXPECT_EQ(frontend.messages()[0].icon, common::Icon::Stop);
}

TEST_F(LayoutFolderTest, WrongOrBrokenTrackNamesTheFileFirst)
{
    writeCompleteFolder();
    put("layout.dat", fixtures::sensorFile({}));
    load(false);
    auto truncated = fixtures::polylineFile({{{1, 1}, {2, 2}}});
    truncated.resize(truncated.size() - 3);
    put("layout.dat", truncated);
    load(false);
    EXPECT_EQ(frontend.messageTexts(), (Texts{kNotPolygon, kReadFailed, kNotPolygon, kReadFailed}));
}

TEST_F(LayoutFolderTest, MissingPointFileGivesTheDefaultPointQuietly)
{
    writeCompleteFolder();
    std::remove(dir.file("point.dat").c_str());
    auto f = load();
    EXPECT_TRUE(frontend.messageTexts().empty());
    EXPECT_EQ(f.points.count, 1);
    EXPECT_EQ(f.points.records[0],
              (PointRecord{2, 0, 0, 1, 150, 110})); // first vertex of polyline 1
}

TEST_F(LayoutFolderTest, WrongPointFileIsReportedAndReplacedByTheDefault)
{
    writeCompleteFolder();
    put("layout.dat", fixtures::polylineFile({{{100, 100}, {200, 100}}}));
    put("point.dat", fixtures::pointFile({{1, 0, 0, 1, 5, 5}}, ".pnt"));
    auto f = load();
    EXPECT_EQ(frontend.messageTexts(), Texts{kNotPoint});
    EXPECT_EQ(f.points.count, 1);
    EXPECT_EQ(f.points.records[0],
              (PointRecord{2, 0, 0, 1, 100, 100})); // no siding: the loop's first

    auto lying = fixtures::pointFile({{1, 0, 0, 1, 5, 5}}, ".dat", 12);
    put("point.dat", lying);
    f = load();
    EXPECT_EQ(frontend.messageTexts(), (Texts{kNotPoint, kNotPoint}));
    EXPECT_EQ(f.points.records[0].direction, 2);
}

TEST_F(LayoutFolderTest, DefaultPointSurvivesEmptyPolylines)
{
    PolylineFile track;
    track.vertexCounts = {2, 0};
    track.vertices = {{7, 8}, {9, 10}};
    PointFile points;
    vardo::readPointsOrDefault(dir.path(), frontend, track, points);
    EXPECT_EQ(points.records[0], (PointRecord{2, 0, 0, 1, 7, 8}));
    PolylineFile empty;
    vardo::readPointsOrDefault(dir.path(), frontend, empty, points);
    EXPECT_EQ(points.count, 1);
    EXPECT_EQ(points.records[0], (PointRecord{2, 0, 0, 1, 0, 0}));
}

TEST_F(LayoutFolderTest, RegionsFallBackToNone)
{
    writeCompleteFolder();
    put("mask.dat", fixtures::controlFile({}));
    std::remove(dir.file("except.dat").c_str());
    auto f = load();
    EXPECT_EQ(frontend.messageTexts(), Texts{kNotPolygon});
    EXPECT_EQ(f.masks.polylineCount(), 0);
    EXPECT_EQ(f.exceptions.polylineCount(), 0);
}

TEST_F(LayoutFolderTest, ControlPointMessagesFollowVersionThenTag)
{
    writeCompleteFolder();
    put("control.dat", fixtures::controlFile({{0, 1, 1, 0, 0, 0, 0, 0, 0}}, ".cnt", 2));
    EXPECT_TRUE(load().controlPoints.records.empty());
    put("control.dat", fixtures::controlFile({}, ".sen", 3));
    load();
    auto lying = fixtures::controlFile({{0, 1, 1, 0, 0, 0, 0, 0, 0}});
    fixtures::putI32At(lying, 8, 2);
    put("control.dat", lying);
    EXPECT_TRUE(load().controlPoints.records.empty());
    EXPECT_EQ(frontend.messageTexts(), (Texts{kControlUnsupported, kNotControl, kNotControl}));
}

TEST_F(LayoutFolderTest, SensorAndCrossingFilesAreReportedWhenWrong)
{
    writeCompleteFolder();
    put("sensor.dat", fixtures::sensorFile({{1, 1, 1}}, ".sen", 2));
    put("cross.dat", fixtures::crossingFile({}, ".crx"));
    auto f = load();
    EXPECT_TRUE(f.sensors.records.empty());
    EXPECT_TRUE(f.crossings.records.empty());
    put("sensor.dat", fixtures::sensorFile({{1, 1, 1}}, ".snx"));
    load();
    EXPECT_EQ(frontend.messageTexts(), (Texts{kNotSensor, kNotCrossing, kNotSensor, kNotCrossing}));
}

TEST_F(LayoutFolderTest, MessagesComeInLoadingOrder)
{
    writeCompleteFolder();
    auto wrong = fixtures::polylineFile({}, 0, "XXXX");
    for (const char* name : {"point.dat", "mask.dat", "except.dat", "sensor.dat", "cross.dat"})
        put(name, wrong);
    put("control.dat", fixtures::controlFile({}, "XXXX"));
    auto f = load();
    EXPECT_EQ(frontend.messageTexts(),
              (Texts{kNotPoint, kNotPolygon, kNotPolygon, kNotControl, kNotSensor, kNotCrossing}));
    EXPECT_EQ(f.points.count, 1);
}

} // namespace
