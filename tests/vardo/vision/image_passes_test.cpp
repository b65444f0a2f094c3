// Difference, erosion, contour tracing and centroids on images built here.
#include "vardo/vision/centroid.h"
#include "vardo/vision/contour_tracer.h"
#include "vardo/vision/difference_image.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace vardo::vision;

namespace {

// A 0/1 image addressed by buffer row and column.
struct Mask {
    int width, height;
    std::vector<uint8_t> bytes;
    Mask(int w, int h) : width(w), height(h), bytes(size_t(w) * h, 0) {}
    uint8_t& at(int row, int col) { return bytes[size_t(row) * width + col]; }
    void fill(int row, int col, int rows, int cols)
    {
        for (int r = row; r < row + rows; ++r)
            for (int c = col; c < col + cols; ++c)
                at(r, c) = 1;
    }
    int ones() const
    {
        int n = 0;
        for (uint8_t b : bytes)
            n += b == 1;
        return n;
    }
};

struct Traced {
    std::unique_ptr<PolygonSet> set = std::make_unique<PolygonSet>();
    std::unique_ptr<TraceBuffers> buffers = std::make_unique<TraceBuffers>();
    TraceResult result = TraceResult::Ok;
};

Traced trace(Mask& m)
{
    Traced t;
    t.result = tracePolygons(m.bytes.data(), m.width, m.height, *t.set, *t.buffers);
    return t;
}

void erodeMask(Mask& m)
{
    std::vector<uint8_t> scratch;
    erode(m.bytes.data(), m.width, m.height, scratch);
}

} // namespace

TEST(Difference, ThresholdScalesWithFrameWidth)
{
    EXPECT_EQ(diffThreshold(85, 320), 48);
    EXPECT_EQ(diffThreshold(85, 640), 96);
    EXPECT_EQ(diffThreshold(100, 320), 0);
    EXPECT_EQ(diffThreshold(0, 320), 320);
}

TEST(Difference, AnyChannelAtTheThresholdCounts)
{
    // Pixel 0: blue differs by exactly t; 1: green by t - 1; 2: red by t
    // downwards; 3: equal; 4: changed but masked.
    const int t = 48;
    std::vector<uint8_t> ref(15, 100), frame(15, 100);
    frame[0] = 100 + t;
    frame[4] = 100 + t - 1;
    frame[8] = 100 - t;
    frame[12] = 0;
    std::vector<uint8_t> mask{0, 0, 0, 0, 1}, out(5, 9);
    computeDifference(frame.data(), ref.data(), 5, t, nullptr, out.data());
    EXPECT_EQ(out, (std::vector<uint8_t>{1, 0, 1, 0, 1}));
    computeDifference(frame.data(), ref.data(), 5, t, mask.data(), out.data());
    EXPECT_EQ(out, (std::vector<uint8_t>{1, 0, 1, 0, 0}));
    // Threshold 0: everything changed except under the mask.
    computeDifference(frame.data(), ref.data(), 5, 0, mask.data(), out.data());
    EXPECT_EQ(out, (std::vector<uint8_t>{1, 1, 1, 1, 0}));
    // Above 255 nothing can change.
    computeDifference(frame.data(), ref.data(), 5, 256, nullptr, out.data());
    EXPECT_EQ(out, (std::vector<uint8_t>(5, 0)));
}

TEST(Erosion, SpecksAndThinLinesVanish)
{
    Mask m(40, 30);
    m.at(10, 10) = 1;          // single pixel
    m.fill(15, 5, 2, 20);      // two rows thick
    m.fill(2, 30, 20, 2);      // two columns thick
    erodeMask(m);
    EXPECT_EQ(m.ones(), 0);
}

TEST(Erosion, ThreeByThreeKeepsItsCentre)
{
    Mask m(20, 20);
    m.fill(5, 6, 3, 3);
    erodeMask(m);
    EXPECT_EQ(m.ones(), 1);
    EXPECT_EQ(m.at(6, 7), 1);
}

TEST(Erosion, FullImageShrinksTwoPixelsFromTheEdge)
{
    Mask m(12, 9);
    m.fill(0, 0, 9, 12);
    erodeMask(m);
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 12; ++c)
            EXPECT_EQ(m.at(r, c), (r >= 2 && r <= 6 && c >= 2 && c <= 9) ? 1 : 0) << r << "," << c;
}

TEST(Tracing, DirectionsAreNumberedAsRowAndColumnSteps)
{
    const int rows[8] = {0, -1, -1, -1, 0, 1, 1, 1};
    const int cols[8] = {1, 1, 0, -1, -1, -1, 0, 1};
    for (int d = 0; d < 8; ++d) {
        EXPECT_EQ(kDirections[size_t(d)].row, rows[d]) << d;
        EXPECT_EQ(kDirections[size_t(d)].col, cols[d]) << d;
    }
}

TEST(Tracing, TwoByTwoBlockGivesItsExactOutline)
{
    // The first pixel met has a filled neighbour in the next row, so the
    // trace starts towards the left column and turns down first.
    Mask m(12, 20);
    m.fill(5, 5, 2, 2);
    Traced t = trace(m);
    ASSERT_EQ(t.result, TraceResult::Ok);
    ASSERT_EQ(t.set->count, 1);
    ASSERT_EQ(t.set->counts[0], 5);
    const std::vector<Point> expected{{5, 14}, {5, 13}, {6, 13}, {6, 14}, {5, 14}};
    EXPECT_EQ(std::vector<Point>(t.set->vertices.begin(), t.set->vertices.begin() + 5), expected);
    EXPECT_EQ(polygonCentroid({t.set->vertices.data(), 5}), (Point{5, 13}));
    EXPECT_EQ(m.at(5, 5), kContourMark);
    EXPECT_EQ(m.at(6, 6), kContourMark);
}

TEST(Tracing, IsolatedPixelAndShortChainsAreNotPolygons)
{
    Mask m(30, 20);
    m.at(5, 5) = 1;          // isolated
    m.fill(10, 10, 1, 2);    // two pixels: chain A B A
    Traced t = trace(m);
    EXPECT_EQ(t.result, TraceResult::Ok);
    EXPECT_EQ(t.set->count, 0);
    EXPECT_EQ(m.at(5, 5), kIsolatedMark);
    EXPECT_EQ(m.at(10, 10), kContourMark);
}

TEST(Tracing, RectangleOutlineHasItsCornersInImageCoordinates)
{
    Mask m(40, 30);
    m.fill(4, 6, 10, 20); // buffer rows 4..13, columns 6..25
    Traced t = trace(m);
    ASSERT_EQ(t.set->count, 1);
    const int n = t.set->counts[0];
    std::vector<Point> v(t.set->vertices.begin(), t.set->vertices.begin() + n);
    EXPECT_EQ(v.front(), v.back());
    // y = height - 1 - row: rows 4..13 are y 25..16.
    for (Point corner : {Point{6, 25}, Point{25, 25}, Point{6, 16}, Point{25, 16}})
        EXPECT_NE(std::find(v.begin(), v.end(), corner), v.end()) << corner.x << "," << corner.y;
    for (const Point& p : v)
        EXPECT_TRUE(p.x == 6 || p.x == 25 || p.y == 16 || p.y == 25);
    const Point c = polygonCentroid(v);
    EXPECT_NEAR(c.x, 15, 1);
    EXPECT_NEAR(c.y, 20, 1);
}

TEST(Tracing, ContourOf4095PointsFailsTheWholeFrame)
{
    // A rectangle w x 4 has a chain of 2w + 2*4 - 3 points, start repeated.
    Mask ok(2100, 12);
    ok.fill(3, 20, 4, 2044); // 4093 points
    ok.fill(9, 5, 2, 2);
    EXPECT_EQ(trace(ok).result, TraceResult::Ok);

    Mask tooLong(2100, 12);
    tooLong.fill(3, 20, 4, 2045); // 4095 points
    tooLong.fill(1, 5, 2, 2);     // a good polygon found before it
    Traced t = trace(tooLong);
    EXPECT_EQ(t.result, TraceResult::Overflow);
    EXPECT_EQ(t.set->count, 0);
}

TEST(Tracing, AtMost31PolygonsAreKept)
{
    Mask m(200, 40);
    for (int k = 0; k < 40; ++k)
        m.fill(5 + (k / 20) * 10, 3 + (k % 20) * 9, 2, 2);
    Traced t = trace(m);
    EXPECT_EQ(t.set->count, kMaxPolygons);
    EXPECT_EQ(t.set->vertexTotal, kMaxPolygons * 5);
}

TEST(Tracing, PolygonsBeyondTheVertexBufferAreDropped)
{
    // Two staircases that step right every second row, so almost every
    // outline point is a corner (about 3000 each), then a small block.
    Mask m(1800, 1700);
    for (int r = 0; r < 1500; ++r) {
        m.fill(10 + r, 10 + r / 2, 1, 6);
        m.fill(10 + r, 900 + r / 2, 1, 6);
    }
    m.fill(1600, 20, 2, 2);
    Traced t = trace(m);
    ASSERT_EQ(t.result, TraceResult::Ok);
    ASSERT_EQ(t.set->count, 2);
    EXPECT_GT(t.set->counts[0] * 2, kMaxVertices); // the second staircase did not fit
    EXPECT_EQ(t.set->counts[1], 5);
    EXPECT_EQ(t.set->vertices[size_t(t.set->counts[0])], (Point{20, 1700 - 1 - 1600}));
    EXPECT_LE(t.set->vertexTotal, kMaxVertices);
}

TEST(Simplify, KeepsEndsAndPointsWhereTheStepChanges)
{
    const std::vector<Point> chain{{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 2}, {1, 2}};
    std::vector<Point> corners(chain.size());
    int n = simplifyChain(chain.data(), int(chain.size()), corners.data());
    corners.resize(size_t(n));
    // (1,0) and (2,1) continue the step into them; the repeated last point
    // has the code of no movement.
    EXPECT_EQ(corners, (std::vector<Point>{{0, 0}, {2, 0}, {2, 2}, {1, 2}, {1, 2}}));
}

TEST(Centroid, DegenerateCases)
{
    EXPECT_EQ(polygonCentroid(std::vector<Point>{{3, 4}, {5, 6}}), kNoCentroid);
    // Collinear: the vertex mean, cut toward zero (-4/3 -> -1).
    EXPECT_EQ(polygonCentroid(std::vector<Point>{{-5, 0}, {0, 0}, {1, 0}}), (Point{-1, 0}));
    // A right triangle: centroid (10/3, 10/3) cut to (3, 3).
    EXPECT_EQ(polygonCentroid(std::vector<Point>{{0, 0}, {10, 0}, {0, 10}}), (Point{3, 3}));
}

TEST(Centroid, ObjectFromOneTwoAndThreePolygons)
{
    EXPECT_EQ(objectCentroid({}), kNoCentroid);
    std::vector<Point> c{{10, 20}};
    EXPECT_EQ(objectCentroid(c), (Point{10, 20}));
    c.push_back({15, 27});
    EXPECT_EQ(objectCentroid(c), (Point{12, 23}));
    c.push_back({10, 40});
    // The triangle's centroid (35/3, 29) cut to (11, 29).
    EXPECT_EQ(objectCentroid(c), (Point{11, 29}));
}
