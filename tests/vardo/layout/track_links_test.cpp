#include "vardo/layout/layout_model.h"

#include "track_fixtures.h"

#include <gtest/gtest.h>
#include <random>

using namespace layout_fixtures;
using vardo::layout::LayoutModel;

namespace {

// Outer loop 0..15 along y = 100 (x = 100..400); siding 1 (16..20) leaves
// near loop position 2 and comes back near position 6; siding 2 (21..25)
// lies below near loop position 10.
std::vector<Line> testLines()
{
    return {straight({100, 100}, {400, 100}, 16),
            Line{{140, 80}, {160, 70}, {180, 60}, {200, 60}, {220, 80}},
            straight({300, 130}, {380, 130}, 5)};
}

void makeModel(LayoutModel& m, const std::vector<Line>& lines,
                      const std::vector<layoutdata::PointRecord>& records)
{
    m.setTrack(polylines(lines));
    m.setPoints(pointFile(records));
    m.findJunctions();
    m.buildLinks();
}

std::pair<std::vector<int>, std::vector<int>> linksOf(const LayoutModel& m)
{
    return {m.links().previousLinks(), m.links().nextLinks()};
}

} // namespace

TEST(TrackLinks, OuterLoopOnlyIsOneCircuit)
{
    LayoutModel m;
    makeModel(m, {straight({0, 0}, {70, 0}, 8)}, {});
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(m.next(i), (i + 1) % 8);
        EXPECT_EQ(m.previous(i), (i + 7) % 8);
    }
    EXPECT_TRUE(m.links().sidingEnds().empty());
    EXPECT_EQ(m.next(-1), -1);
    EXPECT_EQ(m.previous(8), -1);
}

TEST(TrackLinks, BothSidingDirectionsAndTerminalPoints)
{
    LayoutModel m;
    makeModel(m, testLines(), {pointRecord(1, 0, 1, 140, 95),
                                            pointRecord(2, 0, 2, 300, 110),
                                            pointRecord(2, 1, 1, 220, 95)});
    // Siding 1 runs forward; its first position joins the loop at 2.
    EXPECT_EQ(m.point(0).junction, 2);
    EXPECT_EQ(m.point(0).sidingPosition, 16);
    EXPECT_EQ(m.point(0).straight, 3);
    EXPECT_EQ(m.previous(16), 2);
    EXPECT_EQ(m.next(17), 18);
    // The terminal point (direction 2) leads the siding's last position
    // back to the loop at 6.
    EXPECT_EQ(m.point(2).junction, 6);
    EXPECT_EQ(m.point(2).sidingPosition, 20);
    EXPECT_EQ(m.next(20), 6);
    EXPECT_EQ(m.point(2).straight, 5);
    // Siding 2 runs the other way: previous goes up the indices.
    EXPECT_EQ(m.point(1).junction, 10);
    EXPECT_EQ(m.point(1).sidingPosition, 21);
    EXPECT_EQ(m.previous(22), 23);
    EXPECT_EQ(m.next(22), 21);
    EXPECT_EQ(m.previous(25), -1);
    EXPECT_EQ(m.next(21), 10);
    EXPECT_EQ(m.point(1).straight, 9);

    ASSERT_EQ(m.links().sidingEnds().size(), 2u);
    EXPECT_EQ(m.links().sidingEnds()[0], (Point{220, 80}));
    EXPECT_EQ(m.links().sidingEnds()[1], (Point{380, 130}));

    // Direction 1 switches the junction's next link, direction 2 its previous link.
    m.setPointLinks(0, true);
    EXPECT_EQ(m.next(2), 16);
    m.setPointLinks(1, true);
    EXPECT_EQ(m.previous(10), 21);
    EXPECT_EQ(m.next(10), 11);
    m.setPointLinks(2, true);
    EXPECT_EQ(m.previous(6), 20);
    EXPECT_TRUE(m.isBranch(2));
}

TEST(TrackLinks, UnknownDirectionLeavesSidingUnlinked)
{
    LayoutModel m;
    makeModel(m, testLines(), {pointRecord(1, 0, 1, 140, 95),
                                            pointRecord(0, 0, 0, 300, 110)});
    for (int i = 21; i <= 25; ++i) {
        EXPECT_EQ(m.previous(i), -1);
        EXPECT_EQ(m.next(i), -1);
    }
}

TEST(TrackLinks, SidingDirectionComesFromTheRecordThatBeginsIt)
{
    // Record 1 is the terminal point of siding 1 (direction 2); siding 2 is
    // begun by record 2 with direction 1 and must run forward.
    LayoutModel m;
    makeModel(m, testLines(), {pointRecord(1, 0, 1, 140, 95),
                                            pointRecord(2, 1, 1, 220, 95),
                                            pointRecord(1, 0, 2, 300, 110)});
    EXPECT_EQ(m.next(22), 23);
    EXPECT_EQ(m.previous(21), 10); // attached at its first position
    EXPECT_EQ(m.next(25), -1);
}

TEST(TrackLinks, SwitchingEveryPointBothWaysRestoresTheCircuit)
{
    // Two records serve siding 1 from different junctions, a terminal record
    // ends it, and siding 2's point sits on siding 1.
    std::vector<Line> lines = testLines();
    lines[2] = straight({180, 40}, {180, 0}, 5); // siding 2 leaves siding 1 at (180, 60)
    LayoutModel m;
    makeModel(m, lines, {pointRecord(1, 0, 1, 140, 95),
                                      pointRecord(1, 0, 1, 160, 95),
                                      pointRecord(2, 1, 1, 220, 95),
                                      pointRecord(1, 0, 2, 180, 58)});
    EXPECT_EQ(m.point(3).junction, 18);
    EXPECT_EQ(m.point(3).straight, 19);
    const auto original = linksOf(m);

    for (int k = 0; k < m.pointCount(); ++k) {
        m.setPointLinks(k, true);
        m.setPointLinks(k, false);
        EXPECT_EQ(linksOf(m), original) << "point " << k;
    }
    std::mt19937 random(3);
    for (int round = 0; round < 200; ++round) {
        for (int step = 0; step < 12; ++step)
            m.setPointLinks(int(random() % 4), random() % 2 == 0);
        for (int k = 0; k < 4; ++k)
            m.setPointLinks(int(random() % 4), false);
        for (int k = 0; k < 4; ++k)
            m.setPointLinks(k, false);
        ASSERT_EQ(linksOf(m), original) << "round " << round;
    }
}

TEST(TrackLinks, PointsSharingAJunctionDoNotCutEachOtherOff)
{
    // Two records for the same siding at the same place.
    LayoutModel m;
    makeModel(m, testLines(), {pointRecord(1, 0, 1, 140, 95),
                                            pointRecord(1, 0, 2, 140, 96)});
    ASSERT_EQ(m.point(0).junction, m.point(1).junction);
    const auto original = linksOf(m);
    m.setPointLinks(0, true);
    m.setPointLinks(1, true);
    EXPECT_EQ(m.next(2), 21);
    m.setPointLinks(0, false); // point 1 still holds the junction
    EXPECT_EQ(m.next(2), 21);
    m.setPointLinks(1, false);
    EXPECT_EQ(linksOf(m), original);
}

TEST(TrackLinks, JunctionInALaterSidingUsesItsFinishedLinks)
{
    // Siding 1 leaves siding 2, which is linked only after siding 1.
    std::vector<Line> lines = {straight({0, 300}, {300, 300}, 16),
                               straight({150, 190}, {150, 100}, 4),
                               straight({50, 200}, {250, 200}, 11)};
    LayoutModel m;
    makeModel(m, lines, {pointRecord(1, 0, 1, 150, 198),
                                      pointRecord(1, 0, 2, 50, 290)});
    EXPECT_EQ(m.point(0).junction, 16 + 4 + 5);
    EXPECT_EQ(m.point(0).straight, 16 + 4 + 6);
    const auto original = linksOf(m);
    m.setPointLinks(0, true);
    EXPECT_EQ(m.next(25), 16);
    m.setPointLinks(0, false);
    EXPECT_EQ(linksOf(m), original);
}

TEST(TrackLinks, PointNamingNoSidingKeepsJunctionButLinksNothing)
{
    LayoutModel m;
    makeModel(m, testLines(), {pointRecord(1, 0, 7, 140, 95)});
    const auto original = linksOf(m);
    EXPECT_EQ(m.point(0).junction, 2);
    EXPECT_EQ(m.point(0).sidingPosition, -1);
    EXPECT_EQ(m.point(0).straight, -1);
    EXPECT_TRUE(m.setPointLinks(0, true));
    EXPECT_EQ(linksOf(m), original);
}

TEST(TrackLinks, JunctionWithNoOtherPolylineIsNone)
{
    // A single loop and a point numbered 0: no polyline is left to search.
    LayoutModel m;
    makeModel(m, {straight({0, 0}, {70, 0}, 8)}, {pointRecord(1, 0, 0, 10, 5)});
    EXPECT_EQ(m.point(0).junction, -1);
    const auto original = linksOf(m);
    EXPECT_TRUE(m.setPointLinks(0, true));
    EXPECT_EQ(linksOf(m), original);
    // The default point (number 1) on a single loop joins the loop but
    // names no siding.
    LayoutModel d;
    makeModel(d, {straight({0, 0}, {70, 0}, 8)}, {pointRecord(2, 0, 1, 0, 0)});
    EXPECT_EQ(d.point(0).junction, 0);
    EXPECT_TRUE(d.setPointLinks(0, true));
    EXPECT_EQ(linksOf(d), original);
}

TEST(TrackLinks, TurntableSidingsRecordStartsAndCutTheirEntry)
{
    std::vector<Line> lines = {straight({0, 300}, {300, 300}, 16), straight({0, 0}, {9, 0}, 10),
                               straight({0, 10}, {9, 10}, 10), straight({0, 20}, {49, 20}, 50),
                               straight({0, 40}, {49, 40}, 50)};
    LayoutModel m;
    m.setTrack(polylines(lines));
    layoutdata::TurntableSettings t;
    t.size = 60;
    m.setTurntable(t);
    m.setPoints(pointFile({pointRecord(1, 0, 1, 0, 5), pointRecord(1, 0, 2, 0, 5),
                           pointRecord(1, 0, 3, 0, 5), pointRecord(1, 0, 4, 0, 5)}));
    m.findJunctions();
    m.buildLinks();
    int s3 = 16 + 10 + 10, s4 = s3 + 50;
    EXPECT_EQ(m.links().sidingStart(3), s3);
    EXPECT_EQ(m.links().sidingStart(4), s4);
    EXPECT_EQ(m.links().sidingStart(2), -1);
    EXPECT_EQ(m.previous(s3 + 32), s3 + 31);
    EXPECT_EQ(m.previous(s4 + 32), -1);
    m.takeApproachPositions();
    EXPECT_EQ(m.pointCount(), 3);
    EXPECT_EQ(m.turntable.approachForward, -1); // polyline 3 starts at 36, too early
    EXPECT_EQ(m.turntable.approachBackward, -1);
}
