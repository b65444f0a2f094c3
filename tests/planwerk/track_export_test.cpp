// The expansion of traced rows into layout.dat and point.dat, and curve
// centres.
#include "planwerk/rail_geometry.h"
#include "planwerk/track_export.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

namespace planwerk {
namespace {

using ::testing::ElementsAre;

VertexRecord vertex(int x, int y, int curveX = -1, int curveY = -1)
{
    VertexRecord v;
    v.x = x;
    v.y = y;
    v.curveX = curveX;
    v.curveY = curveY;
    return v;
}

VertexRecord marked(int x, int y, int mark, int terminal = 0, int linked = 0)
{
    VertexRecord v = vertex(x, y);
    v.pointMark = uint8_t(mark);
    v.terminal = uint8_t(terminal);
    v.linked = uint8_t(linked);
    return v;
}

VertexRow rowOf(std::initializer_list<VertexRecord> records)
{
    VertexRow row;
    row.allocate(32);
    row.assign(records);
    return row;
}

std::vector<Point> straight(Point a, Point b, int pitch)
{
    PointList list(100);
    emitStraight(list, a, b, pitch);
    return list.points();
}

TEST(StraightRun, StepsByPitchWithTruncationAndEndsExactly)
{
    EXPECT_THAT(straight({0, 0}, {10, 0}, 1),
                ElementsAre(Point{0, 0}, Point{1, 0}, Point{2, 0}, Point{3, 0}, Point{4, 0},
                            Point{5, 0}, Point{6, 0}, Point{7, 0}, Point{8, 0}, Point{10, 0}));
    // d = 5 / 2 = 2.5: only i = 0, then the end.
    EXPECT_THAT(straight({0, 0}, {3, 4}, 2), ElementsAre(Point{0, 0}, Point{3, 4}));
    // d = 7.07: i = 0..5 at x = trunc(i * 5 / 7.07).
    EXPECT_THAT(straight({0, 0}, {5, 5}, 1),
                ElementsAre(Point{0, 0}, Point{0, 0}, Point{1, 1}, Point{2, 2}, Point{2, 2},
                            Point{3, 3}, Point{5, 5}));
}

TEST(StraightRun, ASegmentShorterThanTwoPitchesGivesOnlyItsEnd)
{
    EXPECT_THAT(straight({0, 0}, {3, 0}, 2), ElementsAre(Point{3, 0}));
    EXPECT_THAT(straight({7, 7}, {7, 7}, 1), ElementsAre(Point{7, 7}));
}

TEST(StraightRun, APitchBelowOnePixelIsTakenAsOne)
{
    EXPECT_EQ(straight({0, 0}, {10, 0}, 0), straight({0, 0}, {10, 0}, 1));
    EXPECT_EQ(straight({0, 0}, {10, 0}, -1), straight({0, 0}, {10, 0}, 1));
}

TEST(Arc, ProjectsChordPointsOntoTheCircle)
{
    PointList list(100);
    emitArc(list, {0, 0}, {100, 0}, {0, 100}, {-100, 0}, 40);
    // d = 141.42 / 40 = 3.54: i = 0, 1 on each half chord.
    // Q = (71.7, 28.3) at 21.5 degrees; Q = (-28.3, 71.7) at 111.5 degrees.
    EXPECT_THAT(list.points(), ElementsAre(Point{100, 0}, Point{93, 36}, Point{0, 100},
                                           Point{-36, 93}, Point{-100, 0}));
}

TEST(PointListCapacity, PointsBeyondTheCapacityAreDropped)
{
    VertexRow outer = rowOf({vertex(0, 0), vertex(100, 0)});
    VertexRow siding = rowOf({marked(50, 0, 2), vertex(50, 50)});
    auto file = expandTrack(outer, siding, 1, 150);
    EXPECT_EQ(file.vertices.size(), 150u);
    ASSERT_EQ(file.polylineCount(), 2);
    EXPECT_EQ(file.vertexCounts[0], 150);
    EXPECT_EQ(file.vertexCounts[1], 0);
}

TEST(TrackExpansion, OuterLoopClosesAndSidingsFollowByGroup)
{
    VertexRow outer = rowOf({vertex(0, 0), marked(4, 0, 1), vertex(4, 3)});
    VertexRow siding = rowOf({marked(0, 10, 2), vertex(3, 10), marked(10, 10, 1), vertex(10, 12)});
    auto file = expandTrack(outer, siding, 1, 2048);
    ASSERT_EQ(file.polylineCount(), 3);
    // 0,0 -> 4,0: d = 4: i = 0..2; 4,0 -> 4,3: d = 3: i = 0..1; 4,3 -> 0,0: d = 5: i = 0..3.
    EXPECT_EQ(file.vertexCounts[0], 4 + 3 + 5);
    EXPECT_EQ(file.vertices[3], (Point{4, 0}));
    EXPECT_EQ(file.vertices[11], (Point{0, 0}));
    EXPECT_EQ(file.home(), (Point{4, 0}));
    // Siding 1: 0,10 -> 3,10 (d = 3); siding 2: 10,10 -> 10,12 (d = 2).
    EXPECT_EQ(file.vertexCounts[1], 3);
    EXPECT_EQ(file.vertexCounts[2], 2);
    EXPECT_EQ(file.vertices.back(), (Point{10, 12}));
}

TEST(TrackExpansion, NoMarkedVertexMeansNoHome)
{
    auto file = expandTrack(rowOf({vertex(0, 0), vertex(40, 0)}), rowOf({}), 1, 2048);
    EXPECT_EQ(file.homePoint, 0u);
    EXPECT_EQ(file.polylineCount(), 1);
}

TEST(TrackExpansion, ACurveOnVertexZeroRunsFromTheLastVertexToVertexOne)
{
    VertexRow outer =
        rowOf({vertex(100, 240), vertex(320, 50), vertex(540, 240), vertex(320, 430)});
    outer[0].curveX = 0;
    updateCurveCentres(outer, 640);
    Point centre{outer[0].curveX, outer[0].curveY};
    ASSERT_EQ(centre, (Point{292, 240}));
    auto file = expandTrack(outer, rowOf({}), 1, 4096);
    double radius = std::hypot(100 - 292, 0);
    // The arc comes first: its points lie on the circle, from near the last
    // vertex to vertex 1 exactly.
    size_t i = 0;
    for (; i < file.vertices.size() && file.vertices[i] != Point{320, 50}; ++i) {
        double r = std::hypot(file.vertices[i].x - centre.x, file.vertices[i].y - centre.y);
        EXPECT_NEAR(r, radius, 1.5) << i;
        EXPECT_LE(file.vertices[i].x, 320);
    }
    ASSERT_LT(i, file.vertices.size());
    EXPECT_GT(i, 300u);                      // the whole arc, a point per pixel of chord
    EXPECT_NEAR(file.vertices[0].x, 320, 2); // the last vertex's place on the circle
    EXPECT_NEAR(file.vertices[0].y, 430, 2);
    EXPECT_EQ(file.vertices.back(), (Point{320, 430})); // the loop ends at the last vertex
}

TEST(CurveCentres, ParallelBisectorsHaveNoCentre)
{
    // Three points on one line: the bisectors are parallel.
    EXPECT_EQ(curveCentre({100, 100}, {200, 100}, {300, 100}, 640), (Point{0, 0}));
    // A neighbour on the vertex itself: no bisector at all.
    EXPECT_EQ(curveCentre({200, 100}, {200, 100}, {300, 100}, 640), (Point{0, 0}));
    // A centre beyond the bisector segments is no result either.
    EXPECT_EQ(curveCentre({100, 100}, {200, 101}, {300, 100}, 640), (Point{0, 0}));
    EXPECT_EQ(curveCentre({100, 240}, {320, 50}, {540, 240}, 640), (Point{320, 272}));
}

TEST(CurveCentres, AStraightCornerIsExportedWithoutArc)
{
    VertexRow outer = rowOf({vertex(0, 0), vertex(10, 0), vertex(20, 0), vertex(10, 20)});
    outer[1].curveX = 0;
    updateCurveCentres(outer, 640);
    EXPECT_EQ(outer[1].curveX, 0);
    auto file = expandTrack(outer, rowOf({}), 1, 2048);
    EXPECT_EQ(file.vertices[9], (Point{10, 0}));
    EXPECT_EQ(file.vertices[10], (Point{10, 0})); // emitted twice between two runs
}

TEST(PointFile, TurnoutsAreNumberedBySidingAndTerminalsTakeTheirs)
{
    VertexRow siding =
        rowOf({marked(10, 10, 2), vertex(20, 20), marked(30, 30, 1, 1, 1), marked(40, 40, 1),
               marked(50, 50, 2, 0, 1), vertex(60, 60), marked(70, 70, 2)});
    auto file = buildPointFile(siding);
    ASSERT_EQ(file.count, 5);
    EXPECT_EQ(file.records[0], (layoutdata::PointRecord{2, 0, 0, 1, 10, 10}));
    EXPECT_EQ(file.records[1], (layoutdata::PointRecord{1, 1, 1, 1, 30, 30}));
    // Followed directly by another group start: not a working point.
    EXPECT_EQ(file.records[2], (layoutdata::PointRecord{0, 0, 0, 1, 40, 40}));
    EXPECT_EQ(file.records[3], (layoutdata::PointRecord{2, 0, 1, 2, 50, 50}));
    // The last vertex of the line.
    EXPECT_EQ(file.records[4], (layoutdata::PointRecord{0, 0, 0, 2, 70, 70}));
}

} // namespace
} // namespace planwerk

namespace planwerk {
namespace {

// Vertices far outside the picture (a damaged working file) neither hang
// the expansion nor overflow: the list fills up and stops.
TEST(TrackExpansion, FarOffVerticesStopAtTheListCapacity)
{
    VertexRow outer;
    outer.allocate(4);
    outer.assign({vertex(-2000000000, 0), vertex(2000000000, 5), vertex(0, 2000000000)});
    outer[1].curveX = 0;
    updateCurveCentres(outer, 640);
    auto file = expandTrack(outer, VertexRow{}, 1, 100);
    EXPECT_EQ(file.vertices.size(), 100u);
}

} // namespace
} // namespace planwerk
