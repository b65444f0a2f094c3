#include "vardo/layout/figure_placement.h"
#include "vardo/layout/layout_model.h"

#include "temp_dir.h"
#include "track_fixtures.h"

#include <gtest/gtest.h>

using namespace layout_fixtures;
using namespace vardo::layout;
using vardo::testing::TempDir;

namespace {

void modelOf(LayoutModel& m, const std::vector<Line>& lines, uint32_t home = 0,
                    const std::vector<layoutdata::PointRecord>& records = {})
{
    m.setTrack(polylines(lines, home));
    m.setPoints(pointFile(records));
    m.findJunctions();
    m.buildLinks();
}

layoutdata::CrossingFile crossingsDrivenBy(std::initializer_list<int> drives)
{
    layoutdata::CrossingFile f;
    for (int d : drives) {
        layoutdata::CrossingRecord r;
        r.drive = d;
        f.records.push_back(r);
    }
    return f;
}

} // namespace

TEST(HomePositions, OuterLoopOnlyUsesTheFirstPosition)
{
    TempDir dir;
    LayoutModel m;
    modelOf(m, {ellipse(320, 240, 200, 100, 400)});
    m.computeHomePositions(dir.file("VARDO.ini"), dir.file("option.ini"));
    const auto& p = m.positions();
    EXPECT_EQ(p.home, m.track().position(0));
    EXPECT_EQ(p.homeIndex, 0);
    // Front: nearest to (middle x, largest y); back: (middle x, smallest y).
    EXPECT_EQ(p.front, (Point{320, 340}));
    EXPECT_EQ(p.back, (Point{320, 140}));
    EXPECT_EQ(p.homeOffset, 16);
    EXPECT_EQ(p.positionRange, 32);
}

TEST(HomePositions, SidingsUseTheRatioAlongTheFirstSiding)
{
    TempDir dir;
    std::vector<Line> lines = {ellipse(320, 240, 200, 100, 400),
                               straight({200, 200}, {400, 200}, 101)};
    LayoutModel m;
    modelOf(m, lines);
    m.computeHomePositions(dir.file("VARDO.ini"), dir.file("option.ini"));
    EXPECT_EQ(m.positions().home, (Point{350, 200})); // 75 % of the way
    EXPECT_EQ(m.positions().homeIndex, 400 + 75);

    dir.write("VARDO.ini", "[EVENT]\nHOME_POSITION_RATIO=10\n");
    dir.write("option.ini", "[EVENT]\nHOME_OFFSET=5\nPOSITION_RANGE=20\n");
    m.computeHomePositions(dir.file("VARDO.ini"), dir.file("option.ini"));
    EXPECT_EQ(m.positions().home, (Point{220, 200}));
    EXPECT_EQ(m.positions().homeOffset, 5);
    EXPECT_EQ(m.positions().positionRange, 20);

    // A home point in the header is kept as it is.
    LayoutModel withHome;
    modelOf(withHome, lines, layoutdata::PolylineFile::packHome({123, 45}));
    withHome.computeHomePositions(dir.file("VARDO.ini"), dir.file("option.ini"));
    EXPECT_EQ(withHome.positions().home, (Point{123, 45}));
}

TEST(HomePositions, TurntableMovesTheFrontToTheRightSide)
{
    TempDir dir;
    LayoutModel m;
    m.setTrack(polylines({ellipse(320, 240, 200, 100, 400)}));
    layoutdata::TurntableSettings t;
    t.size = 40;
    m.setTurntable(t);
    m.computeHomePositions(dir.file("VARDO.ini"), dir.file("option.ini"));
    EXPECT_EQ(m.positions().front, (Point{520, 240}));
    EXPECT_EQ(m.positions().back, (Point{320, 140}));
}

TEST(HomePositions, EmptyFirstSidingFallsBackToTheFirstPosition)
{
    TempDir dir;
    LayoutModel m;
    modelOf(m, {straight({0, 0}, {90, 0}, 10), Line{}});
    m.computeHomePositions(dir.file("VARDO.ini"), dir.file("option.ini"));
    EXPECT_EQ(m.positions().home, (Point{0, 0}));
}

TEST(PointCount, CrossingsRaiseItWithPointDrivesOnly)
{
    LayoutModel m;
    modelOf(m, {straight({0, 0}, {90, 0}, 10)}, 0,
                            {pointRecord(1, 0, 1, 0, 0), pointRecord(1, 0, 2, 0, 0)});
    m.setCrossings(crossingsDrivenBy({5, 9, 10, 200, -3}));
    m.raisePointCountForCrossings();
    EXPECT_EQ(m.pointCount(), 5);
    EXPECT_EQ(m.pointRecordCount(), 2);
    // Raised points switch no links but are accepted; beyond the count not.
    EXPECT_TRUE(m.setPointLinks(4, true));
    EXPECT_TRUE(m.isBranch(4));
    EXPECT_FALSE(m.setPointLinks(5, true));
    EXPECT_FALSE(m.setPointLinks(8, true));
    EXPECT_FALSE(m.setPointLinks(-1, true));
    EXPECT_TRUE(m.crossingDrivenBy(9));
    EXPECT_FALSE(m.crossingDrivenBy(3));
}

TEST(PointCount, AddedPointsStopAtEight)
{
    LayoutModel m;
    modelOf(m, {straight({0, 0}, {90, 0}, 10)}, 0,
                            {pointRecord(1, 0, 1, 0, 0), pointRecord(1, 0, 2, 0, 0)});
    for (int j = 2; j < 8; ++j)
        EXPECT_TRUE(m.addPoint(j, j));
    EXPECT_FALSE(m.addPoint(9, 9));
    EXPECT_EQ(m.pointCount(), 8);
    EXPECT_EQ(m.point(7).record.x, 7);
    EXPECT_EQ(m.point(7).record.number, 0);
    EXPECT_EQ(m.point(7).record.direction, 0);
}

TEST(FigurePlacement, OpenTrackFindsBothEndsAndTheAngle)
{
    // Loop along x, one pixel per position: width 100 gives d = 35.
    LayoutModel m;
    modelOf(m, {straight({0, 100}, {399, 100}, 400)});
    FigurePlacement f = placeFigure(m.track(), m.links(), 200, 100, false);
    EXPECT_EQ(f.rear, 164);
    EXPECT_EQ(f.front, 236);
    EXPECT_EQ(f.centre, (Point{200, 100}));
    EXPECT_DOUBLE_EQ(f.angle, 0.0);
    EXPECT_TRUE(f.bothLinked);

    FigurePlacement turned = placeFigure(m.track(), m.links(), 200, 100, true);
    EXPECT_DOUBLE_EQ(turned.angle, 3.14159);
    // The outline's corner (0, 0) of a 100 x 20 figure lies 50 behind and
    // 10 above the centre; turned, it is ahead and below.
    EXPECT_EQ(placeFigurePoint(f, 100, 20, {0, 0}), (Point{150, 90}));
    EXPECT_EQ(placeFigurePoint(turned, 100, 20, {0, 0}), (Point{250, 110}));
}

TEST(FigurePlacement, AnglesUseTheProgramsValuesOfPi)
{
    LayoutModel down;
    modelOf(down, {straight({50, 0}, {50, 399}, 400)});
    EXPECT_DOUBLE_EQ(placeFigure(down.track(), down.links(), 200, 60, false).angle, 1.570795);
    LayoutModel up;
    modelOf(up, {straight({50, 399}, {50, 0}, 400)});
    EXPECT_DOUBLE_EQ(placeFigure(up.track(), up.links(), 200, 60, false).angle, 4.712385);
    LayoutModel left;
    modelOf(left, {straight({399, 9}, {0, 9}, 400)});
    EXPECT_DOUBLE_EQ(placeFigure(left.track(), left.links(), 200, 60, false).angle, 3.14159);
    LayoutModel diagonal;
    modelOf(diagonal, {straight({0, 0}, {399, 399}, 400)});
    EXPECT_NEAR(placeFigure(diagonal.track(), diagonal.links(), 200, 60, false).angle,
                0.785398, 1e-5);
}

TEST(FigurePlacement, DeadEndOfASidingReturnsFalse)
{
    std::vector<Line> lines = {straight({0, 300}, {399, 300}, 400),
                               straight({100, 200}, {300, 200}, 201)};
    LayoutModel m;
    modelOf(m, lines, 0, {pointRecord(1, 0, 1, 100, 290)});
    int last = 400 + 200;
    FigurePlacement f = placeFigure(m.track(), m.links(), last - 5, 100, false);
    EXPECT_EQ(f.front, last);
    EXPECT_EQ(f.rear, last - 5 - 36);
    EXPECT_FALSE(f.bothLinked);
    // At the very end: the rear walk starts there, the front stays.
    FigurePlacement end = placeFigure(m.track(), m.links(), last, 100, false);
    EXPECT_EQ(end.front, last);
    EXPECT_FALSE(end.bothLinked);
    // An unlinked siding position stays where it is on both sides.
    LayoutModel unlinked;
    modelOf(unlinked, lines, 0, {pointRecord(0, 0, 1, 100, 290)});
    FigurePlacement lone = placeFigure(unlinked.track(), unlinked.links(), 450, 100, false);
    EXPECT_EQ(lone.rear, 450);
    EXPECT_EQ(lone.front, 450);
    EXPECT_FALSE(lone.bothLinked);
}

TEST(FigurePlacement, LoopShorterThanTheFigureEnds)
{
    LayoutModel m;
    modelOf(m, {Line{{10, 10}, {12, 10}, {12, 12}, {10, 12}}});
    FigurePlacement f = placeFigure(m.track(), m.links(), 0, 100, false);
    EXPECT_GE(f.rear, 0);
    EXPECT_GE(f.front, 0);
    EXPECT_TRUE(f.bothLinked);
}
