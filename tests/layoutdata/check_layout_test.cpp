// vardo-run check-layout, run as a user would run it.
#include "fixtures.h"
#include "run_program.h"
#include "temp_dir.h"

#include "layoutdata/layout_files.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <cstdio>

using namespace layoutdata;
using vardo::testing::TempDir;

namespace {

struct CommandRun {
    int status = -1;
    std::string out;
};

// vardo-run check-layout ARGUMENTS (a shell line): its exit code and stdout.
CommandRun runCheckLayout(const std::string& arguments)
{
    const auto run =
        vardo::testing::runShell(VARDO_RUN_PATH, "check-layout " + arguments);
    return {run.exitCode, run.out};
}

QJsonObject parseJson(const std::string& text)
{
    QJsonParseError error;
    auto doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
    return doc.object();
}

QJsonArray ints(std::initializer_list<int> values)
{
    QJsonArray a;
    for (int v : values)
        a.append(v);
    return a;
}

void writeFolder(const TempDir& dir)
{
    PolylineFile track;
    track.vertexCounts = {3, 2};
    track.vertices = {{100, 100}, {200, 100}, {200, 200}, {150, 110}, {160, 120}};
    track.homePoint = PolylineFile::packHome({200, 100});
    ASSERT_TRUE(writePolylineFile(dir.file("layout.dat"), track));
    PointFile points;
    points.count = 2;
    points.records[0] = {1, 0, 1, 1, 150, 110};
    points.records[1] = {2, 1, 0, 1, 160, 120};
    ASSERT_TRUE(writePointFile(dir.file("point.dat"), points));
    MaskFile masks;
    masks.records.resize(3);
    ASSERT_TRUE(writePolylineFile(dir.file("mask.dat"), maskToPolylines(masks)));
    ControlPointFile controls;
    controls.records = {{2, 10, 20, 2, 1, 2, 3, 3, 4}};
    ASSERT_TRUE(writeControlPointFile(dir.file("control.dat"), controls));
    SensorFile sensors;
    sensors.records = {{30, 40, 75}, {50, 60, 10}};
    ASSERT_TRUE(writeSensorFile(dir.file("sensor.dat"), sensors));
    CrossingFile crossings;
    crossings.records = {defaultCrossing()};
    crossings.records[0].drive = 8;
    ASSERT_TRUE(writeCrossingFile(dir.file("cross.dat"), crossings));
}

} // namespace

TEST(CheckLayout, ReportsEveryFileAsJson)
{
    TempDir dir;
    writeFolder(dir);
    dir.write("except.dat", "nonsense");
    CommandRun run = runCheckLayout(dir.path() + " --json");
    EXPECT_EQ(run.status, 0);
    QJsonObject o = parseJson(run.out);
    EXPECT_EQ(o["polylines"].toInt(), 2);
    EXPECT_EQ(o["vertexCounts"].toArray(), ints({3, 2}));
    EXPECT_EQ(o["vertices"].toInt(), 5);
    EXPECT_EQ(o["home"].toArray(), ints({200, 100}));
    QJsonArray points = o["points"].toArray();
    ASSERT_EQ(points.size(), 2);
    QJsonObject p1 = points[1].toObject();
    EXPECT_EQ(p1["direction"].toInt(), 2);
    EXPECT_EQ(p1["terminal"].toInt(), 1);
    EXPECT_EQ(p1["linked"].toInt(), 0);
    EXPECT_EQ(p1["number"].toInt(), 1);
    EXPECT_EQ(p1["x"].toInt(), 160);
    EXPECT_EQ(p1["y"].toInt(), 120);
    EXPECT_EQ(points[0].toObject()["linked"].toInt(), 1);
    EXPECT_EQ(o["masks"].toInt(), 3);
    EXPECT_EQ(o["exceptions"].toInt(), 0);
    QJsonObject c = o["controlPoints"].toArray()[0].toObject();
    EXPECT_EQ(c.keys().size(), 9);
    EXPECT_EQ(c["direction"].toInt(), 2);
    EXPECT_EQ(c["trackAction"].toInt(), 2);
    EXPECT_EQ(c["point"].toInt(), 1);
    EXPECT_EQ(c["option"].toInt(), 2);
    EXPECT_EQ(c["relay"].toInt(), 3);
    EXPECT_EQ(c["sound"].toInt(), 3);
    EXPECT_EQ(c["soundNumber"].toInt(), 4);
    QJsonArray sensors = o["sensors"].toArray();
    ASSERT_EQ(sensors.size(), 2);
    EXPECT_EQ(sensors[1].toObject()["sensitivity"].toInt(), 10);
    QJsonObject x = o["crossings"].toArray()[0].toObject();
    EXPECT_EQ(x["barrier"].toInt(), 1);
    EXPECT_EQ(x["lights"].toInt(), 1);
    EXPECT_EQ(x["rect"].toArray(), ints({252, 172, 388, 308}));
    EXPECT_EQ(x["drive"].toInt(), 8);
    EXPECT_TRUE(o["turntable"].isNull());
    ASSERT_EQ(o["messages"].toArray().size(), 1);
    EXPECT_EQ(o["messages"].toArray()[0].toString().toStdString(),
              "このファイルはポリゴンデータではありません");
}

TEST(CheckLayout, ShowsTheDefaultPointAndTheTurntable)
{
    TempDir dir;
    writeFolder(dir);
    std::remove(dir.file("point.dat").c_str());
    dir.write("turntable.ini", "[LAYOUT]\nTABLE_SIZE=56\nTABLE_RANGE=400\nTABLE_POSITION=320,240\n"
                               "LINE_ANGLE=0,45,90\n");
    QJsonObject o = parseJson(runCheckLayout("--json " + dir.path()).out);
    QJsonArray points = o["points"].toArray();
    ASSERT_EQ(points.size(), 1);
    EXPECT_EQ(points[0].toObject()["direction"].toInt(), 2);
    EXPECT_EQ(points[0].toObject()["x"].toInt(), 150);
    QJsonObject t = o["turntable"].toObject();
    EXPECT_EQ(t["size"].toInt(), 56);
    EXPECT_EQ(t["range"].toInt(), 400);
    EXPECT_EQ(t["position"].toArray(), ints({320, 240}));
    EXPECT_EQ(t["angles"].toArray(), ints({0, 45, 90}));
    EXPECT_TRUE(o["messages"].toArray().isEmpty());
}

TEST(CheckLayout, UnreadableTrackStillPrintsTheReportAndFails)
{
    TempDir dir;
    writeFolder(dir);
    dir.write("layout.dat", fixtures::asString(fixtures::sensorFile({})));
    CommandRun run = runCheckLayout(dir.path() + " --json");
    EXPECT_EQ(run.status, 1);
    QJsonObject o = parseJson(run.out);
    EXPECT_EQ(o["polylines"].toInt(), 0);
    EXPECT_TRUE(o["home"].isNull());
    EXPECT_TRUE(o["points"].toArray().isEmpty());
    QJsonArray messages = o["messages"].toArray();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0].toString().toStdString(), "このファイルはポリゴンデータではありません");
    EXPECT_EQ(messages[1].toString().toStdString(), "レイアウトファイルの読み込みに失敗しました。");

    EXPECT_EQ(runCheckLayout(dir.path() + "/missing --json").status, 1);
}

TEST(CheckLayout, PlainSummaryAndArgumentErrors)
{
    TempDir dir;
    writeFolder(dir);
    CommandRun run = runCheckLayout(dir.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("Track: 2 polyline(s), 5 vertices"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Home: (200, 100)"), std::string::npos);
    EXPECT_NE(run.out.find("Crossings: 1"), std::string::npos);
    EXPECT_EQ(runCheckLayout(dir.path() + " --bogus").status, 2);
    EXPECT_EQ(runCheckLayout(dir.path() + " " + dir.path()).status, 2);
}
