// The editor's working files (vertex and mask files), the band conversion
// of masks, and turntable.ini.
#include "fixtures.h"
#include "temp_dir.h"

#include "layoutdata/layout_files.h"

#include <gtest/gtest.h>

#include <climits>

using namespace layoutdata;
using fixtures::Bytes;

TEST(VertexFile, ReadsBothRowsAndEncodesTheSameBytes)
{
    Bytes bytes =
        fixtures::vertexFile({{570, 240, 180, 1, 0, 0, -1, 0}, {320, 410, 270, 0, 0, 0, 0, 0}},
                             {{85, 182, 35, 2, 1, 1, 300, 200}});
    VertexFile f;
    ASSERT_EQ(parseVertexFile(bytes, f), ReadStatus::Ok);
    ASSERT_EQ(f.outer.size(), 2u);
    ASSERT_EQ(f.siding.size(), 1u);
    EXPECT_EQ(f.outer[0], (VertexRecord{570, 240, 180, 1, 0, 0, -1, 0}));
    EXPECT_EQ(f.siding[0], (VertexRecord{85, 182, 35, 2, 1, 1, 300, 200}));
    EXPECT_EQ(encodeVertexFile(f), bytes);

    vardo::testing::TempDir dir;
    ASSERT_TRUE(writeVertexFile(dir.file("layout.dat"), f));
    VertexFile back;
    ASSERT_EQ(readVertexFile(dir.file("layout.dat"), back), ReadStatus::Ok);
    EXPECT_EQ(back.outer, f.outer);
    EXPECT_EQ(back.siding, f.siding);
}

TEST(VertexFile, VersionOneClearsLargeSidingMarksOnly)
{
    Bytes v1 = fixtures::vertexFile({{1, 1, 0, 9, 0, 0, -1, 0}},
                                    {{2, 2, 0, 9, 0, 0, -1, 0}, {3, 3, 0, 8, 0, 0, -1, 0}}, 1);
    VertexFile f;
    ASSERT_EQ(parseVertexFile(v1, f), ReadStatus::Ok);
    EXPECT_EQ(f.outer[0].pointMark, 9);
    EXPECT_EQ(f.siding[0].pointMark, 0);
    EXPECT_EQ(f.siding[1].pointMark, 8);
    // Version 2 keeps whatever is stored.
    Bytes v2 = fixtures::vertexFile({}, {{2, 2, 0, 9, 0, 0, -1, 0}}, 2);
    ASSERT_EQ(parseVertexFile(v2, f), ReadStatus::Ok);
    EXPECT_EQ(f.siding[0].pointMark, 9);
}

TEST(VertexFile, RefusesWrongTagVersionAndSizes)
{
    VertexFile f;
    f.outer.resize(4);
    Bytes good = fixtures::vertexFile({{1, 1, 0, 0, 0, 0, -1, 0}}, {{2, 2, 0, 0, 0, 0, -1, 0}});
    EXPECT_EQ(parseVertexFile(fixtures::vertexFile({}, {}, 2, ".msk"), f), ReadStatus::WrongTag);
    EXPECT_EQ(parseVertexFile(fixtures::vertexFile({}, {}, 3), f), ReadStatus::WrongVersion);
    EXPECT_EQ(parseVertexFile(fixtures::vertexFile({}, {}, 0), f), ReadStatus::WrongVersion);
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_EQ(parseVertexFile(Bytes(good.begin(), good.begin() + long(n)), f),
                  ReadStatus::Malformed);
    Bytes longer = good;
    longer.push_back(1);
    EXPECT_EQ(parseVertexFile(longer, f), ReadStatus::Malformed);
    Bytes lying = good;
    fixtures::putI32At(lying, 8, 2); // outer 2, siding 1: one record short
    EXPECT_EQ(parseVertexFile(lying, f), ReadStatus::Malformed);
    fixtures::putI32At(lying, 8, -1);
    fixtures::putI32At(lying, 12, 3); // -1 + 3 = 2 records: must not pass
    EXPECT_EQ(parseVertexFile(lying, f), ReadStatus::Malformed);
    EXPECT_EQ(f.outer.size(), 4u);
}

TEST(VertexFile, AngleAboutThePictureCentreIsCutTowardsZero)
{
    EXPECT_EQ(vertexAngle(420, 240), 180); // right of the centre
    EXPECT_EQ(vertexAngle(220, 240), 0);   // left: 360 is stored as 0
    EXPECT_EQ(vertexAngle(320, 340), 270); // below (y downwards)
    EXPECT_EQ(vertexAngle(320, 140), 90);
    EXPECT_EQ(vertexAngle(419, 239), 179); // 179.42
    EXPECT_EQ(vertexAngle(219, 241), 359); // 359.43
    EXPECT_EQ(vertexAngle(219, 239), 0);   // 0.57
    EXPECT_EQ(vertexAngle(320, 240), 180); // the centre itself
}

TEST(MaskFile, ReadsEncodesAndRefusesBadFiles)
{
    Bytes bytes = fixtures::maskFile(
        {{10, 10, 50, 10, 50, 40, 10, 40, 0}, {100, 100, 200, 100, 0, 0, 0, 0, 10}});
    MaskFile f;
    ASSERT_EQ(parseMaskFile(bytes, f), ReadStatus::Ok);
    ASSERT_EQ(f.records.size(), 2u);
    EXPECT_EQ(f.records[0].corners[2], (Point{50, 40}));
    EXPECT_EQ(f.records[1].width, 10);
    EXPECT_EQ(encodeMaskFile(f), bytes);

    MaskFile g;
    g.records.resize(2);
    EXPECT_EQ(parseMaskFile(fixtures::maskFile({}, ".dat"), g), ReadStatus::WrongTag);
    for (size_t n = 0; n < bytes.size(); ++n)
        EXPECT_EQ(parseMaskFile(Bytes(bytes.begin(), bytes.begin() + long(n)), g),
                  ReadStatus::Malformed);
    Bytes tooMany = fixtures::maskFile(std::vector<std::array<int32_t, 9>>(33));
    EXPECT_EQ(parseMaskFile(tooMany, g), ReadStatus::Malformed);
    EXPECT_EQ(g.records.size(), 2u);
    EXPECT_EQ(parseMaskFile(fixtures::maskFile(std::vector<std::array<int32_t, 9>>(32)), g),
              ReadStatus::Ok);

    vardo::testing::TempDir dir;
    ASSERT_TRUE(writeMaskFile(dir.file("mask.dat"), f));
    MaskFile back;
    ASSERT_EQ(readMaskFile(dir.file("mask.dat"), back), ReadStatus::Ok);
    EXPECT_EQ(back.records, f.records);
}

namespace {

std::array<Point, 4> band(Point p0, Point p1, int32_t width)
{
    MaskRecord r;
    r.corners = {p0, p1, Point{999, 999}, Point{-999, -999}};
    r.width = width;
    return maskQuadrilateral(r);
}

using Quad = std::array<Point, 4>;

} // namespace

TEST(MaskBand, CornersAreTheSegmentWidenedByHalfTheWidth)
{
    // Horizontal: the normal points down (angle 0 + 90°).
    EXPECT_EQ(band({100, 100}, {200, 100}, 10),
              (Quad{{{100, 105}, {100, 95}, {200, 95}, {200, 105}}}));
    // Vertical with an odd width: 3.5 cut towards zero on each side.
    EXPECT_EQ(band({10, 0}, {10, 50}, 7), (Quad{{{6, 0}, {13, 0}, {13, 50}, {6, 50}}}));
    // A 3-4-5 segment: the normal is exactly (-4, 3) for width 10.
    EXPECT_EQ(band({0, 0}, {30, 40}, 10), (Quad{{{-4, 3}, {4, -3}, {34, 37}, {26, 43}}}));
    // Negative results are cut towards zero, not down: -0.5 -> 0.
    EXPECT_EQ(band({1, 1}, {31, 41}, 5), (Quad{{{-1, 2}, {3, 0}, {33, 39}, {29, 42}}}));
    // A zero-length segment has the angle 0.
    EXPECT_EQ(band({50, 50}, {50, 50}, 6), (Quad{{{50, 53}, {50, 47}, {50, 47}, {50, 53}}}));
    // Corners beyond the int range are held at its ends.
    EXPECT_EQ(band({INT32_MAX - 1, 0}, {INT32_MAX - 1, 10}, 100),
              (Quad{{{INT32_MAX - 51, 0}, {INT32_MAX, 0}, {INT32_MAX, 10}, {INT32_MAX - 51, 10}}}));
    // Near the picture's edge an axis-parallel band keeps whole coordinates.
    EXPECT_EQ(band({1, 1}, {9, 1}, 2), (Quad{{{1, 2}, {1, 0}, {9, 0}, {9, 2}}}));
}

TEST(MaskBand, WidthZeroKeepsTheCornersAndExportMakesQuadrilaterals)
{
    MaskFile f;
    MaskRecord quad;
    quad.corners = {Point{1, 2}, Point{3, 4}, Point{5, 6}, Point{7, 8}};
    f.records = {quad, MaskRecord{{Point{100, 100}, Point{200, 100}, Point{}, Point{}}, 10}};
    EXPECT_EQ(maskQuadrilateral(quad), quad.corners);
    PolylineFile p = maskToPolylines(f);
    EXPECT_EQ(p.vertexCounts, (std::vector<int32_t>{4, 4}));
    ASSERT_EQ(p.vertices.size(), 8u);
    EXPECT_EQ(p.vertices[3], (Point{7, 8}));
    EXPECT_EQ(p.vertices[4], (Point{100, 105}));
    EXPECT_FALSE(p.hasHome());
    EXPECT_FALSE(encodePolylineFile(p).empty());
}

TEST(Turntable, MissingFileMeansNoTurntable)
{
    vardo::testing::TempDir dir;
    TurntableSettings t = readTurntableSettings(dir.file("turntable.ini"));
    EXPECT_FALSE(t.present());
    EXPECT_EQ(t.range, 0);
    EXPECT_EQ(t.position, (Point{0, 0}));
    EXPECT_TRUE(t.lineAngles.empty());
}

TEST(Turntable, ReadsEveryKeyOfLayout)
{
    vardo::testing::TempDir dir;
    dir.write("turntable.ini", "[other]\nTABLE_SIZE=9\n[layout]\nTABLE_SIZE=60\nTABLE_RANGE=900\n"
                               "TABLE_POSITION=500, 120\nLINE_ANGLE=0, 30,-60,90\n");
    TurntableSettings t = readTurntableSettings(dir.file("turntable.ini"));
    EXPECT_TRUE(t.present());
    EXPECT_EQ(t.size, 60);
    EXPECT_EQ(t.range, 900);
    EXPECT_EQ(t.position, (Point{500, 120}));
    EXPECT_EQ(t.lineAngles, (std::vector<int>{0, 30, -60, 90}));

    dir.write("turntable.ini", "[LAYOUT]\nTABLE_SIZE=0\nLINE_ANGLE=1,2,3,4,5,6,7\n");
    t = readTurntableSettings(dir.file("turntable.ini"));
    EXPECT_FALSE(t.present());
    EXPECT_EQ(t.lineAngles.size(), 5u);
}

TEST(Turntable, IntegerListsStopAtTheFirstNonNumber)
{
    EXPECT_EQ(parseIntList("", 5), std::vector<int>{});
    EXPECT_EQ(parseIntList("45,abc,90", 5), std::vector<int>{45});
    EXPECT_EQ(parseIntList("10 20", 5), std::vector<int>{10});
    EXPECT_EQ(parseIntList("7,", 5), std::vector<int>{7});
    EXPECT_EQ(parseIntList("+3,-4", 5), (std::vector<int>{3, -4}));
    EXPECT_EQ(parseIntList("99999999999,-99999999999", 5), (std::vector<int>{INT_MAX, INT_MIN}));
    EXPECT_EQ(parseIntList("1,2,3", 2), (std::vector<int>{1, 2}));
}
