// Polyline and point files: layout.dat, mask.dat, except.dat, point.dat.
#include "fixtures.h"
#include "temp_dir.h"

#include "layoutdata/layout_files.h"

#include <gtest/gtest.h>

using namespace layoutdata;
using fixtures::Bytes;

namespace {

Bytes threeLines()
{
    return fixtures::polylineFile(
        {{{10, 20}, {11, 21}, {12, 22}}, {{100, 200}, {101, 201}}, {{5, 6}}},
        PolylineFile::packHome({320, 410}));
}

PolylineFile sentinelTrack()
{
    PolylineFile f;
    f.vertexCounts = {1};
    f.vertices = {{7, 7}};
    f.homePoint = 99;
    return f;
}

void expectUntouched(const PolylineFile& f)
{
    EXPECT_EQ(f.vertexCounts, std::vector<int32_t>{1});
    ASSERT_EQ(f.vertices.size(), 1u);
    EXPECT_EQ(f.vertices[0], (Point{7, 7}));
    EXPECT_EQ(f.homePoint, 99u);
}

} // namespace

TEST(PolylineFile, ReadsEveryFieldAndEncodesTheSameBytes)
{
    Bytes bytes = threeLines();
    PolylineFile f;
    ASSERT_EQ(parsePolylineFile(bytes, f), ReadStatus::Ok);
    EXPECT_EQ(f.polylineCount(), 3);
    EXPECT_EQ(f.vertexCounts, (std::vector<int32_t>{3, 2, 1}));
    ASSERT_EQ(f.vertices.size(), 6u);
    EXPECT_EQ(f.vertices[3], (Point{100, 200}));
    EXPECT_EQ(f.vertices[5], (Point{5, 6}));
    ASSERT_TRUE(f.hasHome());
    EXPECT_EQ(f.home(), (Point{320, 410}));
    EXPECT_EQ(encodePolylineFile(f), bytes);
}

TEST(PolylineFile, WritesAndReadsBackThroughAFile)
{
    vardo::testing::TempDir dir;
    PolylineFile f;
    ASSERT_EQ(parsePolylineFile(threeLines(), f), ReadStatus::Ok);
    ASSERT_TRUE(writePolylineFile(dir.file("layout.dat"), f));
    PolylineFile back;
    ASSERT_EQ(readPolylineFile(dir.file("layout.dat"), back), ReadStatus::Ok);
    EXPECT_EQ(back.vertexCounts, f.vertexCounts);
    EXPECT_EQ(back.vertices, f.vertices);
    EXPECT_EQ(back.homePoint, f.homePoint);
    EXPECT_EQ(readPolylineFile(dir.file("absent.dat"), back), ReadStatus::CannotOpen);
    // Not a regular file: nothing to read (and no endless read of a device).
    EXPECT_EQ(readPolylineFile(dir.path(), back), ReadStatus::CannotOpen);
    EXPECT_EQ(readPolylineFile("/dev/zero", back), ReadStatus::CannotOpen);
    EXPECT_EQ(back.vertices, f.vertices);
}

TEST(PolylineFile, VersionIsIgnoredAndZeroHomeMeansNone)
{
    PolylineFile f;
    ASSERT_EQ(parsePolylineFile(fixtures::polylineFile({{{1, 2}}}, 0, ".dat", 77), f),
              ReadStatus::Ok);
    EXPECT_FALSE(f.hasHome());
    EXPECT_EQ(encodePolylineFile(f), fixtures::polylineFile({{{1, 2}}}));
}

TEST(PolylineFile, RefusesBadFilesAndLeavesTheOutputAlone)
{
    Bytes good = threeLines();
    PolylineFile f = sentinelTrack();
    EXPECT_EQ(parsePolylineFile(fixtures::polylineFile({{{1, 2}}}, 0, ".crs"), f),
              ReadStatus::WrongTag);
    expectUntouched(f);

    for (size_t n = 0; n < good.size(); ++n) {
        Bytes prefix(good.begin(), good.begin() + long(n));
        EXPECT_EQ(parsePolylineFile(prefix, f), ReadStatus::Malformed) << n;
    }
    Bytes longer = good;
    longer.push_back(0);
    EXPECT_EQ(parsePolylineFile(longer, f), ReadStatus::Malformed);
    expectUntouched(f);
}

TEST(PolylineFile, RefusesCountsThatLie)
{
    PolylineFile f = sentinelTrack();
    Bytes bytes = threeLines();
    auto with = [&](size_t offset, int32_t v) {
        Bytes b = bytes;
        fixtures::putI32At(b, offset, v);
        return b;
    };
    // Vertex counts 3, 2, 1 at offsets 32, 36, 40; N at 8, M at 12.
    EXPECT_EQ(parsePolylineFile(with(32, 4), f), ReadStatus::Malformed);  // sum 7 != 6
    EXPECT_EQ(parsePolylineFile(with(8, -3), f), ReadStatus::Malformed);  // negative N
    EXPECT_EQ(parsePolylineFile(with(12, -6), f), ReadStatus::Malformed); // negative M
    EXPECT_EQ(parsePolylineFile(with(12, 0x7FFFFFFF), f), ReadStatus::Malformed);
    EXPECT_EQ(parsePolylineFile(with(8, kMaxPolylines + 1), f), ReadStatus::Malformed);
    // Negative count balanced by a larger one, lengths still adding up.
    Bytes balanced = with(32, 4);
    fixtures::putI32At(balanced, 40, 0);
    fixtures::putI32At(balanced, 36, 2);
    EXPECT_EQ(parsePolylineFile(balanced, f), ReadStatus::Ok);
    fixtures::putI32At(balanced, 32, 5);
    fixtures::putI32At(balanced, 36, -1);
    fixtures::putI32At(balanced, 40, 2);
    f = sentinelTrack();
    EXPECT_EQ(parsePolylineFile(balanced, f), ReadStatus::Malformed);
    expectUntouched(f);
}

TEST(PolylineFile, WriterRefusesInconsistentDataAndKeepsTheOldFile)
{
    vardo::testing::TempDir dir;
    PolylineFile bad;
    bad.vertexCounts = {3};
    bad.vertices = {{1, 1}};
    EXPECT_TRUE(encodePolylineFile(bad).empty());
    EXPECT_FALSE(writePolylineFile(dir.file("mask.dat"), bad));
    EXPECT_FALSE(common::fileExists(dir.file("mask.dat")));
    bad.vertexCounts = {-1, 2};
    EXPECT_FALSE(writePolylineFile(dir.file("mask.dat"), bad));
    PolylineFile good;
    good.vertexCounts = {1};
    good.vertices = {{1, 1}};
    EXPECT_FALSE(writePolylineFile(dir.file("no/such/folder/mask.dat"), good));
}

TEST(PolylineFile, HomePacksXHighAndYLow)
{
    EXPECT_EQ(PolylineFile::packHome({320, 410}), (320u << 16) | 410u);
    PolylineFile f;
    f.homePoint = PolylineFile::packHome({639, 479});
    EXPECT_EQ(f.home(), (Point{639, 479}));
}

// ---- point.dat

namespace {

Bytes threePoints()
{
    return fixtures::pointFile(
        {{1, 0, 1, 1, 85, 182}, {2, 0, 0, 2, 512, 349}, {1, 1, 0, 2, 512, 131}});
}

} // namespace

TEST(PointFile, ReadsRecordsInUseAndEncodesTheSameBytes)
{
    Bytes bytes = threePoints();
    ASSERT_EQ(bytes.size(), 208u);
    PointFile f;
    ASSERT_EQ(parsePointFile(bytes, f), ReadStatus::Ok);
    EXPECT_EQ(f.count, 3);
    EXPECT_EQ(f.records[0], (PointRecord{1, 0, 1, 1, 85, 182}));
    EXPECT_EQ(f.records[2], (PointRecord{1, 1, 0, 2, 512, 131}));
    EXPECT_EQ(f.records[3], PointRecord{});
    EXPECT_EQ(encodePointFile(f), bytes);

    vardo::testing::TempDir dir;
    ASSERT_TRUE(writePointFile(dir.file("point.dat"), f));
    PointFile back;
    ASSERT_EQ(readPointFile(dir.file("point.dat"), back), ReadStatus::Ok);
    EXPECT_EQ(back.count, 3);
    EXPECT_EQ(back.records, f.records);
}

TEST(PointFile, IgnoresRunTimeBytesAndUnusedRecords)
{
    Bytes bytes = threePoints();
    bytes[16 + 4] = 0xAA;           // run-time area of record 0
    bytes[16 + 5 * 24 + 16] = 0x55; // x of unused record 5
    PointFile f;
    ASSERT_EQ(parsePointFile(bytes, f), ReadStatus::Ok);
    EXPECT_EQ(f.records[5], PointRecord{});
    EXPECT_EQ(encodePointFile(f), threePoints());
}

TEST(PointFile, RefusesWrongTagSizeAndCount)
{
    PointFile f;
    f.count = 1;
    f.records[0].number = 9;
    auto untouched = [&] { return f.count == 1 && f.records[0].number == 9; };
    EXPECT_EQ(parsePointFile(fixtures::pointFile({}, ".pos"), f), ReadStatus::WrongTag);
    Bytes shorter = threePoints();
    shorter.pop_back();
    EXPECT_EQ(parsePointFile(shorter, f), ReadStatus::Malformed);
    Bytes longer = threePoints();
    longer.push_back(0);
    EXPECT_EQ(parsePointFile(longer, f), ReadStatus::Malformed);
    EXPECT_EQ(parsePointFile(fixtures::pointFile({}, ".dat", 9), f), ReadStatus::Malformed);
    EXPECT_EQ(parsePointFile(fixtures::pointFile({}, ".dat", -1 - 0x10000), f),
              ReadStatus::Malformed);
    EXPECT_EQ(parsePointFile({}, f), ReadStatus::Malformed);
    EXPECT_TRUE(untouched());
    // A polyline file has the same tag but not the point file's size.
    EXPECT_EQ(parsePointFile(threeLines(), f), ReadStatus::Malformed);
    EXPECT_TRUE(untouched());
}

TEST(PointFile, WriterRefusesACountOutOfRange)
{
    PointFile f;
    f.count = 9;
    EXPECT_TRUE(encodePointFile(f).empty());
    f.count = 0;
    EXPECT_EQ(encodePointFile(f), fixtures::pointFile({}));
}
