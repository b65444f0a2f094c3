// The sample layout generator: its description format and the layout it
// makes, checked against the rules Vardo links sidings by.
#include "temp_dir.h"

#include "common/byte_io.h"
#include "layout_builder.h"
#include "layout_description.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

using namespace layoutdata;
using namespace mklayout;

namespace {

std::string sampleText()
{
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(common::readWholeFile(SAMPLE_LAYOUT_PATH, bytes));
    return std::string(bytes.begin(), bytes.end());
}

GeneratedLayout build(const std::string& text)
{
    Description d;
    GeneratedLayout g;
    std::string error;
    EXPECT_TRUE(parseDescription(text, d, error)) << error;
    EXPECT_TRUE(buildLayout(d, g, error)) << error;
    return g;
}

double gap(Point a, Point b) { return std::hypot(double(a.x - b.x), double(a.y - b.y)); }

std::vector<Point> polyline(const PolylineFile& t, int index)
{
    size_t start = 0;
    for (int i = 0; i < index; ++i)
        start += size_t(t.vertexCounts[size_t(i)]);
    auto first = t.vertices.begin() + long(start);
    return {first, first + t.vertexCounts[size_t(index)]};
}

// The junction of a point: the nearest position over every polyline except
// the siding that bears the point's number. Returns (polyline, distance).
std::pair<int, double> junction(const PolylineFile& t, const PointRecord& p)
{
    std::pair<int, double> best{-1, 1e9};
    for (int k = 0; k < t.polylineCount(); ++k) {
        if (k == p.number)
            continue;
        for (Point v : polyline(t, k)) {
            double d = gap(v, {p.x, p.y});
            if (d < best.second)
                best = {k, d};
        }
    }
    return best;
}

} // namespace

TEST(MkLayoutDescription, RefusesLinesItCannotUse)
{
    Description d;
    std::string error;
    const char* bad[] = {
        "outer ellipse 320 240 250 170 4\nwobble 1 2\n",
        "outer ellipse 320 240 250 170 4\nsiding 2 10 50 20 dead\n", // direction 2 must run down
        "outer ellipse 320 240 250 170 4\nsiding 1 10 50 20 loop\n",
        "outer ellipse 320 240 250 170 4\nsensor 10 10 100\n",
        "outer ellipse 320 240 250 170 4\ncontrol 1 1 0 5 0 0 0 0 0\n", // action 5 does not exist
        "outer ellipse 320 240 250 170 4\nhome 700 10\n",
        "outer ellipse 320 240 250 170 4x\n",
    };
    for (const char* text : bad) {
        EXPECT_FALSE(parseDescription(text, d, error)) << text;
        EXPECT_EQ(error.rfind("line 2", 0) == 0 || error.rfind("line 1", 0) == 0, true) << error;
    }
    EXPECT_FALSE(parseDescription("# nothing\n", d, error));
    EXPECT_EQ(error, "no outer loop described");
}

TEST(MkLayoutDescription, SidingThatWouldBorrowAnotherPointsDirectionIsRefused)
{
    Description d;
    std::string error;
    ASSERT_TRUE(parseDescription("outer ellipse 320 240 250 170 4\n"
                                 "siding 1 -40 40 30 rejoin\nsiding 1 200 250 -30 dead\n",
                                 d, error));
    GeneratedLayout g;
    EXPECT_FALSE(buildLayout(d, g, error));
    EXPECT_NE(error.find("line 3"), std::string::npos) << error;
}

TEST(MkLayout, OuterLoopIsDenseAndClosed)
{
    auto loop = outerLoop({320, 240, 250, 170, 4});
    ASSERT_GT(loop.size(), 250u);
    for (size_t i = 0; i < loop.size(); ++i) {
        double d = gap(loop[i], loop[(i + 1) % loop.size()]);
        EXPECT_GE(d, 2.5) << i;
        EXPECT_LE(d, 6.0) << i;
        EXPECT_TRUE(loop[i].x >= 0 && loop[i].x < 640 && loop[i].y >= 0 && loop[i].y < 480);
    }
    EXPECT_EQ(loop[0], (Point{570, 240}));
}

TEST(MkLayout, SampleSidingsLinkAsMeant)
{
    GeneratedLayout g = build(sampleText());
    const auto& t = g.track;
    ASSERT_EQ(t.polylineCount(), 3);
    ASSERT_EQ(g.points.count, 3);
    auto loop = polyline(t, 0);
    // Siding k takes its direction from point record k-1: 1 for the first,
    // 2 for the second.
    EXPECT_EQ(g.points.records[0].direction, 1);
    EXPECT_EQ(g.points.records[1].direction, 2);
    for (int i = 0; i < g.points.count; ++i) {
        const auto& p = g.points.records[size_t(i)];
        auto siding = polyline(t, p.number);
        Point own = p.terminal ? siding.back() : siding.front();
        EXPECT_EQ((Point{p.x, p.y}), own) << i;
        auto [line, distance] = junction(t, p);
        EXPECT_EQ(line, 0) << i;
        EXPECT_LE(distance, 3.0) << i;
    }
    // The terminal point of the second siding is entered from the loop
    // running forward, so it branches the other way.
    EXPECT_EQ(g.points.records[2],
              (PointRecord{1, 1, 0, 2, g.points.records[2].x, g.points.records[2].y}));
    // The first siding ends at a buffer stop well away from the loop.
    Point end = polyline(t, 1).back();
    double nearest = 1e9;
    for (Point v : loop)
        nearest = std::min(nearest, gap(v, end));
    EXPECT_GT(nearest, 20.0);
    // Sidings are dense too.
    for (int k = 1; k < 3; ++k) {
        auto s = polyline(t, k);
        for (size_t i = 1; i < s.size(); ++i)
            EXPECT_LE(gap(s[i - 1], s[i]), 6.0);
    }
    // The home point is a vertex of the loop.
    EXPECT_NE(std::find(loop.begin(), loop.end(), t.home()), loop.end());
    EXPECT_EQ(g.crossings.records.size(), 1u);
    EXPECT_EQ(g.sensors.records.size(), 2u);
    EXPECT_EQ(g.controls.records.size(), 4u);
}

TEST(MkLayout, GenerationIsDeterministicAndTheBuildUsedIt)
{
    GeneratedLayout a = build(sampleText());
    GeneratedLayout b = build(sampleText());
    EXPECT_EQ(encodePolylineFile(a.track), encodePolylineFile(b.track));
    EXPECT_EQ(encodePointFile(a.points), encodePointFile(b.points));

    const char* data = std::getenv("VARDO_TEST_DATA");
    ASSERT_NE(data, nullptr);
    std::vector<uint8_t> built;
    ASSERT_TRUE(common::readWholeFile(std::string(data) + "/layout/layout.dat", built));
    EXPECT_EQ(built, encodePolylineFile(a.track));
    ASSERT_TRUE(common::readWholeFile(std::string(data) + "/layout/cross.dat", built));
    EXPECT_EQ(built, encodeCrossingFile(a.crossings));
}

TEST(MkLayout, WritingRemovesFilesOfEmptyCategories)
{
    vardo::testing::TempDir dir;
    dir.write("control.dat", "stale");
    dir.write("sensor.dat", "stale");
    GeneratedLayout g = build("outer ellipse 320 240 100 100 4\nsensor 1 1 50\n");
    std::string error;
    ASSERT_TRUE(writeLayout(g, dir.path(), error)) << error;
    EXPECT_FALSE(common::fileExists(dir.file("control.dat")));
    EXPECT_FALSE(common::fileExists(dir.file("cross.dat")));
    SensorFile sensors;
    ASSERT_EQ(readSensorFile(dir.file("sensor.dat"), sensors), ReadStatus::Ok);
    EXPECT_EQ(sensors.records.size(), 1u);
    PointFile points;
    ASSERT_EQ(readPointFile(dir.file("point.dat"), points), ReadStatus::Ok);
    EXPECT_EQ(points.count, 0);
}

namespace {

const char* kTurntableText = "outer ellipse 320 240 250 170 1\n"
                             "spur 1 180 262 240\n"
                             "spur 2 0 378 240\n"
                             "radial 320 180 320 110\n"
                             "turntable 320 240 60 3600 0 90 180\n"
                             "mask 20 400 110 400 110 470 20 470\n"
                             "except 470 20 630 60 0 0 0 0 24\n";

} // namespace

TEST(MkLayout, TurntableLayoutHasApproachTracksTurntableTracksAndRegions)
{
    GeneratedLayout g = build(kTurntableText);
    ASSERT_EQ(g.track.polylineCount(), 4);
    // The approach tracks run from their loop vertex straight to the edge.
    const auto spur1 = polyline(g.track, 1);
    EXPECT_EQ(spur1.front(), (Point{70, 240}));
    EXPECT_EQ(spur1.back(), (Point{262, 240}));
    EXPECT_GT(spur1.size(), 140u); // the forward approach position lies on it
    const auto radial = polyline(g.track, 3);
    EXPECT_EQ(radial.front(), (Point{320, 180}));
    EXPECT_EQ(radial.back(), (Point{320, 110}));
    // The radial track's record carries only its direction.
    ASSERT_EQ(g.points.count, 3);
    EXPECT_EQ(g.points.records[1].direction, 2);
    EXPECT_EQ(g.points.records[2].number, 0);
    EXPECT_EQ(g.points.records[2].direction, 1);

    ASSERT_TRUE(g.turntable.has_value());
    EXPECT_EQ(g.turntable->lineAngles, (std::vector<int>{0, 90, 180}));
    ASSERT_EQ(g.masks.polylineCount(), 1);
    EXPECT_EQ(g.masks.vertices[2], (Point{110, 470}));
    ASSERT_EQ(g.excepts.polylineCount(), 1);
    // A band of width 24 along (470,20) -> (630,60).
    EXPECT_EQ(g.excepts.vertexCounts[0], 4);

    vardo::testing::TempDir dir;
    std::string error;
    ASSERT_TRUE(writeLayout(g, dir.path(), error)) << error;
    const TurntableSettings t = readTurntableSettings(dir.file("turntable.ini"));
    EXPECT_EQ(t.size, 60);
    EXPECT_EQ(t.range, 3600);
    EXPECT_EQ(t.position, (Point{320, 240}));
    EXPECT_EQ(t.lineAngles, (std::vector<int>{0, 90, 180}));
    PolylineFile masks;
    ASSERT_EQ(readPolylineFile(dir.file("mask.dat"), masks), ReadStatus::Ok);
    EXPECT_EQ(masks.vertices, g.masks.vertices);
    ASSERT_EQ(readPolylineFile(dir.file("except.dat"), masks), ReadStatus::Ok);

    // Written again without them, the turntable and region files go.
    ASSERT_TRUE(writeLayout(build("outer ellipse 320 240 100 100 4\n"), dir.path(), error));
    EXPECT_FALSE(common::fileExists(dir.file("turntable.ini")));
    EXPECT_FALSE(common::fileExists(dir.file("mask.dat")));
    EXPECT_FALSE(common::fileExists(dir.file("except.dat")));
}

TEST(MkLayoutDescription, RefusesBadTurntableAndRegionLines)
{
    const char* bad[] = {
        "turntable 320 240 0 3600 0\n",            // no radius
        "turntable 320 240 60 3600\n",             // no track angle
        "turntable 320 240 60 3600 0 1 2 3 4 5\n", // six tracks
        "mask 1 2 3 4 5 6 7\n",                    // a corner short
        "except 1 2 3 4 5 6 7 8 0\n",              // a band needs a width
        "mask 700 2 3 4 5 6 7 8\n",                // outside the picture
        "spur 3 180 262 240\n",                    // no such direction
        "radial 1 2 3\n",
    };
    for (const char* line : bad) {
        Description d;
        std::string error;
        EXPECT_FALSE(parseDescription(std::string("outer ellipse 320 240 100 100 4\n") + line, d,
                                      error))
            << line;
    }
}

TEST(MkLayout, TurntableSampleWasBuiltWithMasksAndExclusions)
{
    const char* data = std::getenv("VARDO_TEST_DATA");
    ASSERT_NE(data, nullptr);
    const std::string folder = std::string(data) + "/sample/layout_turntable/";
    EXPECT_TRUE(readTurntableSettings(folder + "turntable.ini").present());
    PolylineFile masks;
    EXPECT_EQ(readPolylineFile(folder + "mask.dat", masks), ReadStatus::Ok);
    EXPECT_GT(masks.polylineCount(), 0);
    EXPECT_EQ(readPolylineFile(folder + "except.dat", masks), ReadStatus::Ok);
    EXPECT_GT(masks.polylineCount(), 0);
}
