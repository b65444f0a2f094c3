// Control point, sensor and crossing files.
#include "fixtures.h"
#include "temp_dir.h"

#include "layoutdata/layout_files.h"

#include <gtest/gtest.h>

using namespace layoutdata;
using fixtures::Bytes;

namespace {

Bytes twoControls()
{
    return fixtures::controlFile(
        {{1, 380, 404, 7, 0, 0, 0, 2, 1}, {-2, 445, 387, 2, 1, 2, 3, 3, 12}});
}

// Truncations, one byte too many, and a count above the capacity must all
// be refused without changing the output.
template <class File, class Parse, class Same>
void expectRefusedVariants(const Bytes& good, int capacity, size_t recordSize, Parse parse,
                           File& out, Same untouched)
{
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_EQ(parse(Bytes(good.begin(), good.begin() + long(n)), out), ReadStatus::Malformed)
            << n;
    Bytes longer = good;
    longer.push_back(0);
    EXPECT_EQ(parse(longer, out), ReadStatus::Malformed);
    Bytes tooMany = good;
    fixtures::putI32At(tooMany, 8, capacity + 1);
    tooMany.resize(32 + size_t(capacity + 1) * recordSize);
    EXPECT_EQ(parse(tooMany, out), ReadStatus::Malformed);
    Bytes negative = good;
    fixtures::putI32At(negative, 8, -1);
    EXPECT_EQ(parse(negative, out), ReadStatus::Malformed);
    Bytes fewer = good;
    fixtures::putI32At(fewer, 8, 1); // count says one, the file holds two
    EXPECT_EQ(parse(fewer, out), ReadStatus::Malformed);
    EXPECT_TRUE(untouched());
}

} // namespace

TEST(ControlPointFile, ReadsEveryFieldAndEncodesTheSameBytes)
{
    Bytes bytes = twoControls();
    ControlPointFile f;
    ASSERT_EQ(parseControlPointFile(bytes, f), ReadStatus::Ok);
    ASSERT_EQ(f.records.size(), 2u);
    EXPECT_EQ(f.records[0], (ControlPointRecord{1, 380, 404, 7, 0, 0, 0, 2, 1}));
    EXPECT_EQ(f.records[1], (ControlPointRecord{-2, 445, 387, 2, 1, 2, 3, 3, 12}));
    EXPECT_EQ(encodeControlPointFile(f), bytes);

    vardo::testing::TempDir dir;
    ASSERT_TRUE(writeControlPointFile(dir.file("control.dat"), f));
    ControlPointFile back;
    ASSERT_EQ(readControlPointFile(dir.file("control.dat"), back), ReadStatus::Ok);
    EXPECT_EQ(back.records, f.records);
}

TEST(ControlPointFile, VersionComesBeforeTag)
{
    ControlPointFile f;
    f.records.resize(1);
    EXPECT_EQ(parseControlPointFile(fixtures::controlFile({}, ".cnt", 2), f),
              ReadStatus::WrongVersion);
    EXPECT_EQ(parseControlPointFile(fixtures::controlFile({}, ".xyz", 2), f),
              ReadStatus::WrongVersion);
    EXPECT_EQ(parseControlPointFile(fixtures::controlFile({}, ".xyz", 3), f), ReadStatus::WrongTag);
    EXPECT_EQ(f.records.size(), 1u);
}

TEST(ControlPointFile, RefusesMalformedFiles)
{
    ControlPointFile f;
    f.records.resize(3);
    expectRefusedVariants(twoControls(), kMaxControlPoints, 20, parseControlPointFile, f,
                          [&] { return f.records.size() == 3; });
    ControlPointFile tooMany;
    tooMany.records.resize(kMaxControlPoints + 1);
    EXPECT_TRUE(encodeControlPointFile(tooMany).empty());
}

TEST(SensorFile, ReadsEncodesAndChecksTagAndVersion)
{
    Bytes bytes = fixtures::sensorFile({{143, 360, 75}, {497, 120, 0}});
    SensorFile f;
    ASSERT_EQ(parseSensorFile(bytes, f), ReadStatus::Ok);
    ASSERT_EQ(f.records.size(), 2u);
    EXPECT_EQ(f.records[1], (SensorRecord{497, 120, 0}));
    EXPECT_EQ(encodeSensorFile(f), bytes);

    SensorFile g;
    g.records.resize(5);
    EXPECT_EQ(parseSensorFile(fixtures::sensorFile({}, ".crs"), g), ReadStatus::WrongTag);
    EXPECT_EQ(parseSensorFile(fixtures::sensorFile({}, ".sen", 2), g), ReadStatus::WrongVersion);
    expectRefusedVariants(bytes, kMaxSensors, 12, parseSensorFile, g,
                          [&] { return g.records.size() == 5; });

    vardo::testing::TempDir dir;
    ASSERT_TRUE(writeSensorFile(dir.file("sensor.dat"), f));
    SensorFile back;
    ASSERT_EQ(readSensorFile(dir.file("sensor.dat"), back), ReadStatus::Ok);
    EXPECT_EQ(back.records, f.records);
}

TEST(CrossingFile, ReadsEncodesAndChecksOnlyTheTag)
{
    std::array<int32_t, 23> r{1,   0,   270, 190, 370, 190, 370, 290, 270, 290, 260, 180,
                              280, 180, 360, 300, 380, 300, 252, 172, 388, 308, 9};
    Bytes bytes = fixtures::crossingFile({r, r});
    CrossingFile f;
    ASSERT_EQ(parseCrossingFile(bytes, f), ReadStatus::Ok);
    ASSERT_EQ(f.records.size(), 2u);
    const auto& c = f.records[0];
    EXPECT_EQ(c.barrier, 1);
    EXPECT_EQ(c.lights, 0);
    EXPECT_EQ(c.arm2[1], (Point{270, 290}));
    EXPECT_EQ(c.lamp[3], (Point{380, 300}));
    EXPECT_EQ(c.left, 252);
    EXPECT_EQ(c.bottom, 308);
    EXPECT_EQ(c.drive, 9);
    EXPECT_EQ(encodeCrossingFile(f), bytes);

    CrossingFile old;
    EXPECT_EQ(parseCrossingFile(fixtures::crossingFile({r}, ".crs", 4), old), ReadStatus::Ok);
    CrossingFile g;
    g.records.resize(1);
    EXPECT_EQ(parseCrossingFile(fixtures::crossingFile({r}, ".cnt"), g), ReadStatus::WrongTag);
    expectRefusedVariants(bytes, kMaxCrossings, 96, parseCrossingFile, g,
                          [&] { return g.records.size() == 1; });
}

TEST(CrossingFile, DefaultCrossingAndItsRectangle)
{
    CrossingRecord c = defaultCrossing();
    EXPECT_EQ(c.barrier, 1);
    EXPECT_EQ(c.lights, 1);
    EXPECT_EQ(c.drive, 1);
    EXPECT_EQ(c.arm1[0], (Point{270, 190}));
    EXPECT_EQ(c.lamp[2], (Point{360, 300}));
    // Lights reach furthest: 260..380 x 180..300, widened by 8.
    EXPECT_EQ((std::array{c.left, c.top, c.right, c.bottom}), (std::array{252, 172, 388, 308}));

    c.lights = 0; // the arms alone: 270..370 x 190..290
    updateCrossingRect(c);
    EXPECT_EQ((std::array{c.left, c.top, c.right, c.bottom}), (std::array{262, 182, 378, 298}));

    c.lights = 1;
    c.barrier = 0;
    c.lamp = {Point{2, 3}, Point{636, 3}, Point{2, 476}, Point{636, 476}};
    updateCrossingRect(c); // clamped to the picture
    EXPECT_EQ((std::array{c.left, c.top, c.right, c.bottom}), (std::array{0, 0, 639, 479}));
}
