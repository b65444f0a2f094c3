#include "vardo/layout/track.h"

#include "track_fixtures.h"

#include <algorithm>
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

// Every polyline and the whole track against the plain search.
void expectSameAsBruteForce(const Track& t, int x, int y, const char* what)
{
    ASSERT_EQ(t.nearest(x, y), bruteNearest(t, x, y, -1)) << what << " at " << x << "," << y;
    for (int k = 0; k < t.polylineCount(); ++k) {
        ASSERT_EQ(t.nearest(x, y, k), bruteNearest(t, x, y, k))
            << what << " polyline " << k << " at " << x << "," << y;
    }
}

// An oval with a siding, sampled unevenly: long and short steps mixed, the
// way a hand-traced track comes out.
Line unevenOval(std::mt19937& random)
{
    Line l;
    double a = 0;
    while (a < 2 * 3.141592653589793) {
        l.push_back(
            {int(std::lround(320 + 260 * std::cos(a))), int(std::lround(240 + 180 * std::sin(a)))});
        a += std::uniform_real_distribution<double>(0.002, 0.09)(random);
    }
    return l;
}

// A track that runs out and comes back beside itself two pixels apart, so
// far-apart indices lie side by side.
Line hairpin()
{
    Line l = straight({40, 100}, {600, 100}, 150);
    Line back = straight({600, 102}, {40, 102}, 90);
    l.insert(l.end(), back.begin(), back.end());
    return l;
}

// A loop whose seam (last position beside the first) lies mid-picture.
Line seamLoop()
{
    Line l = ellipse(320, 240, 200, 150, 900);
    std::rotate(l.begin(), l.begin() + 300, l.end());
    return l;
}

} // namespace

TEST(TrackNearest, MatchesBruteForceOnGeneratedTracks)
{
    std::mt19937 random(7);
    for (int layout = 0; layout < 6; ++layout) {
        int count = 400 + 50 * layout;
        Track t =
            makeTrack({ellipse(320, 240, 170, 170, count), straight({100, 15}, {540, 15}, 221),
                       straight({620, 60}, {620, 420}, 181)});
        for (int q = 0; q < 500; ++q) {
            int i = std::uniform_int_distribution<int>(0, t.positionCount() - 1)(random);
            int x = t.position(i).x + std::uniform_int_distribution<int>(-9, 9)(random);
            int y = t.position(i).y + std::uniform_int_distribution<int>(-9, 9)(random);
            expectSameAsBruteForce(t, x, y, "near the track");
        }
    }
}

TEST(TrackNearest, ExactOnUnevenSelfApproachingAndSeamTracks)
{
    std::mt19937 random(12);
    std::vector<std::pair<const char*, Track>> tracks;
    tracks.push_back({"uneven oval with siding",
                      makeTrack({unevenOval(random), straight({150, 230}, {490, 250}, 37)})});
    tracks.push_back({"hairpin", makeTrack({hairpin(), straight({40, 104}, {600, 104}, 300)})});
    tracks.push_back(
        {"seam mid-picture", makeTrack({seamLoop(), straight({100, 60}, {540, 60}, 45)})});
    // Positions on top of each other and a polyline of one position.
    Line doubled = ellipse(300, 200, 120, 90, 400);
    Line copy = doubled;
    doubled.insert(doubled.end(), copy.begin(), copy.end());
    tracks.push_back({"doubled loop", makeTrack({doubled, Line{{320, 200}}, Line{}})});

    std::uniform_int_distribution<int> anyX(-40, 680), anyY(-40, 520), jitter(-3, 3);
    for (auto& [what, t] : tracks) {
        // Random queries anywhere on and around the picture.
        for (int q = 0; q < 1500; ++q)
            expectSameAsBruteForce(t, anyX(random), anyY(random), what);
        // Adversarial ones: on every position, just beside it, and half-way
        // between neighbours, where two positions are nearly equally near.
        for (int i = 0; i + 1 < t.positionCount(); ++i) {
            const auto& a = t.position(i);
            const auto& b = t.position(i + 1);
            expectSameAsBruteForce(t, a.x, a.y, what);
            expectSameAsBruteForce(t, a.x + jitter(random), a.y + jitter(random), what);
            expectSameAsBruteForce(t, (a.x + b.x) / 2, (a.y + b.y) / 2 + 1, what);
        }
    }
}

TEST(TrackNearest, FarQueriesAndTheLimit)
{
    std::mt19937 random(3);
    Track t = makeTrack({seamLoop(), hairpin()});
    // Well off the picture, up to and past the 999999 limit.
    std::uniform_int_distribution<int> far(-1500, 2100);
    for (int q = 0; q < 400; ++q)
        expectSameAsBruteForce(t, far(random), far(random), "far");
    for (int x : {-2000000000, -1100, 1500, 2000000000})
        expectSameAsBruteForce(t, x, 240, "extreme");
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

TEST(TrackNearest, FoldedTrackAndLimits)
{
    // A track folded back on itself: position 10 lies beside position 1 and
    // is the nearer one, however far apart their indices are.
    Line folded = straight({0, 0}, {150, 0}, 16);
    folded[10] = {10, 1};
    Track t = makeTrack({folded, Line{{500, 500}}});
    EXPECT_EQ(t.nearest(10, 2, 0), 10);
    Line longFolded = straight({0, 0}, {600, 0}, 301);
    longFolded[250] = {10, 1};
    Track u = makeTrack({longFolded});
    EXPECT_EQ(u.nearest(10, 2), 250);

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
    Track t = makeTrack({straight({0, 0}, {90, 0}, 10), straight({0, 20}, {90, 20}, 10), Line{}});
    EXPECT_EQ(t.nearest(30, 1, 1), 13);
    EXPECT_EQ(t.nearest(30, 19, 0), 3);
    EXPECT_EQ(t.nearest(30, 19, 2), -1); // empty polyline
    EXPECT_EQ(t.polylineOf(13), 1);
    EXPECT_EQ(t.extent().xmax, 90);
    EXPECT_EQ(t.extent().ymax, 20);
}
