#include "vardo/layout/track.h"

#include "track_fixtures.h"

#include <gtest/gtest.h>
#include <random>

using namespace layout_fixtures;
using vardo::layout::kFarAway;
using vardo::layout::Track;

namespace {

// The plain search: every position, the first of equal ones.
int bruteNearest(const Track& t, int x, int y, int polyline)
{
    int from = polyline < 0 ? 0 : t.polylineStart(polyline);
    int to = polyline < 0 ? t.positionCount() : from + t.polylineSize(polyline);
    int best = -1, bestD = kFarAway;
    for (int i = from; i < to; ++i) {
        int d = vardo::layout::squaredDistance(t.position(i), x, y);
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

Track makeTrack(const std::vector<Line>& lines)
{
    Track t;
    t.assign(polylines(lines));
    return t;
}

} // namespace

TEST(TrackNearest, MatchesBruteForceOnGeneratedTracks)
{
    std::mt19937 random(7);
    for (int layout = 0; layout < 6; ++layout) {
        int count = 400 + 50 * layout; // evenly spaced, no point twice
        Track t = makeTrack({ellipse(320, 240, 170, 170, count),
                             straight({100, 15}, {540, 15}, 221),
                             straight({620, 60}, {620, 420}, 181)});
        for (int q = 0; q < 3000; ++q) {
            int i = std::uniform_int_distribution<int>(0, t.positionCount() - 1)(random);
            int polyline = t.polylineOf(i);
            // On the circle the query sits on a track point; beside the
            // straight sidings anywhere within 5 pixels. (Where positions
            // are unevenly spaced, or off a curve, half-way between two
            // samples the coarse winner can be the wrong neighbour by a
            // hair, and the fine window then misses the nearest.)
            int spread = polyline == 0 ? 0 : 5;
            int x = t.position(i).x + std::uniform_int_distribution<int>(-spread, spread)(random);
            int y = t.position(i).y + std::uniform_int_distribution<int>(-spread, spread)(random);
            ASSERT_EQ(t.nearest(x, y, polyline), bruteNearest(t, x, y, polyline))
                << "layout " << layout << " query " << x << "," << y;
            if (polyline == 0) {
                ASSERT_EQ(t.nearest(x, y), bruteNearest(t, x, y, -1)) << layout << " " << i;
            }
        }
    }
}

TEST(TrackNearest, TiesGoToTheFirstPositionLikeTheBruteForce)
{
    // Positions two pixels apart: a query on the line between two of them
    // is equally near to both.
    Track t = makeTrack({straight({0, 50}, {398, 50}, 200)});
    for (int x = 1; x < 398; x += 2) {
        int found = t.nearest(x, 50);
        ASSERT_EQ(found, bruteNearest(t, x, 50, -1)) << x;
        ASSERT_EQ(found, (x - 1) / 2);
    }
    // Repeated positions: the first of the run.
    Line repeated = straight({0, 0}, {99, 0}, 100);
    repeated.insert(repeated.begin() + 40, 3, Point{40, 0});
    Track r = makeTrack({repeated});
    EXPECT_EQ(r.nearest(40, 3), 40);
    EXPECT_EQ(r.nearest(40, 3), bruteNearest(r, 40, 3, -1));
}

TEST(TrackNearest, WindowRulesAndLimits)
{
    // A track folded back on itself: the coarse pass (s = 4 for 16
    // positions) samples 0, 4, 8, 12, 15 and the fine pass looks two
    // positions either side of the winner, so position 10 far from the
    // samples' winner is not found even though it is nearer.
    Line folded = straight({0, 0}, {150, 0}, 16);
    folded[10] = {10, 1};
    Track t = makeTrack({folded, Line{{500, 500}}});
    EXPECT_EQ(t.nearest(10, 2, 0), 1); // brute force would say 10
    EXPECT_EQ(bruteNearest(t, 10, 2, 0), 10);

    // Far away points are never taken.
    Track small = makeTrack({straight({0, 0}, {10, 0}, 11)});
    EXPECT_EQ(small.nearest(999, 0), 10);  // 989^2 = 978121 < 999999
    EXPECT_EQ(small.nearest(1010, 0), -1); // 1000^2 is too far
    EXPECT_EQ(makeTrack({}).nearest(1, 1), -1);
    EXPECT_EQ(small.nearest(1, 1, 1), -1); // no such polyline
    EXPECT_EQ(small.nearest(1, 1, -2), -1);
}

TEST(TrackNearest, LoopSeamAndTrackEndsAreReached)
{
    // The last positions of the loop lie next to the first ones: the fine
    // window around the coarse winner 0 wraps round to them.
    Line loop = straight({0, 0}, {990, 0}, 100);
    Line back = straight({990, 10}, {10, 10}, 99);
    loop.insert(loop.end(), back.begin(), back.end());
    Track t = makeTrack({loop, straight({0, 100}, {440, 100}, 221)});
    for (int polyline : {-1, 0}) {
        EXPECT_EQ(t.nearest(12, 9, polyline), 198);
        EXPECT_EQ(t.nearest(10, 10, polyline), 198);
        EXPECT_EQ(t.nearest(1, 1, polyline), 0);
    }
    // The end of an open siding past the last multiple of the step
    // (s = 14 for 221 positions; the last sample would be 210).
    EXPECT_EQ(t.nearest(440, 100, 1), 199 + 220);
    EXPECT_EQ(t.nearest(436, 97, 1), 199 + 218);
    EXPECT_EQ(t.nearest(440, 100), 199 + 220);
}

TEST(TrackNearest, PolylineSearchGivesGlobalIndices)
{
    Track t = makeTrack({straight({0, 0}, {90, 0}, 10), straight({0, 20}, {90, 20}, 10),
                         Line{}});
    EXPECT_EQ(t.nearest(30, 1, 1), 13);
    EXPECT_EQ(t.nearest(30, 19, 0), 3);
    EXPECT_EQ(t.nearest(30, 19, 2), -1); // empty polyline
    EXPECT_EQ(t.polylineOf(13), 1);
    EXPECT_EQ(t.extent().xmax, 90);
    EXPECT_EQ(t.extent().ymax, 20);
}
