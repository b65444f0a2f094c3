#include "layoutdata/train_figure_file.h"

#include "common/byte_io.h"

#include <gtest/gtest.h>

using layoutdata::ReadStatus;
using layoutdata::TrainFigureOutline;

namespace {

// Builds a metafile record by record.
class MetafileBuilder {
public:
    explicit MetafileBuilder(bool placeable, int16_t left = 0, int16_t top = 0, uint16_t inch = 96)
    {
        if (placeable) {
            w_.putU32(0x9AC6CDD7);
            w_.putU16(0);
            w_.putI16(left);
            w_.putI16(top);
            w_.putI16(int16_t(left + 200));
            w_.putI16(int16_t(top + 100));
            w_.putU16(inch);
            w_.putU32(0);
            w_.putU16(0);
        }
        w_.putU16(1); // memory metafile
        w_.putU16(9); // header words
        w_.putU16(0x0300);
        w_.putU32(0);
        w_.putU16(0);
        w_.putU32(0);
        w_.putU16(0);
    }
    void record(uint16_t function, const std::vector<int16_t>& params)
    {
        w_.putU32(uint32_t(3 + params.size()));
        w_.putU16(function);
        for (int16_t p : params)
            w_.putI16(p);
    }
    void polygon(uint16_t function, const std::vector<layoutdata::Point>& pts)
    {
        std::vector<int16_t> params{int16_t(pts.size())};
        for (auto p : pts) {
            params.push_back(int16_t(p.x));
            params.push_back(int16_t(p.y));
        }
        record(function, params);
    }
    void end() { record(0, {}); }
    std::vector<uint8_t>& bytes() { return w_.bytes(); }

private:
    common::ByteWriter w_;
};

std::vector<layoutdata::Point> pointsOf(const TrainFigureOutline& o)
{
    return {o.points.begin(), o.points.begin() + o.pointTotal};
}

} // namespace

TEST(TrainFigureFile, PlainMetafileTakesPolygonsPolylinesAndPolyPolygons)
{
    MetafileBuilder m(false);
    m.record(0x02FA, {0, 1, 0, 0, 0}); // pen creation: skipped
    m.polygon(0x0324, {{0, 0}, {10, 0}, {10, 4}});
    m.polygon(0x0325, {{1, 1}, {2, 2}});
    m.record(0x0538, {2, 2, 1, 5, 5, 6, 6, 7, 7}); // two polygons: 2 points and 1 point
    m.end();
    TrainFigureOutline out;
    ASSERT_EQ(parseTrainFigure(m.bytes(), out), ReadStatus::Ok);
    ASSERT_EQ(out.polygonCount, 4);
    EXPECT_EQ(out.pointCounts[0], 3);
    EXPECT_EQ(out.pointCounts[1], 2);
    EXPECT_EQ(out.pointCounts[2], 2);
    EXPECT_EQ(out.pointCounts[3], 1);
    std::vector<layoutdata::Point> expected{{0, 0}, {10, 0}, {10, 4}, {1, 1}, {2, 2},
                                            {5, 5}, {6, 6}, {7, 7}};
    EXPECT_EQ(pointsOf(out), expected);
    EXPECT_EQ(out.width(), 11);
    EXPECT_EQ(out.height(), 8);
}

TEST(TrainFigureFile, OriginRecordsShiftLaterPoints)
{
    MetafileBuilder m(false);
    m.polygon(0x0324, {{5, 5}});
    m.record(0x020B, {3, 100}); // window origin: y = 3, x = 100
    m.polygon(0x0324, {{105, 13}});
    m.record(0x020D, {-2, 0}); // viewport origin replaces it
    m.polygon(0x0324, {{1, 1}});
    m.end();
    TrainFigureOutline out;
    ASSERT_EQ(parseTrainFigure(m.bytes(), out), ReadStatus::Ok);
    std::vector<layoutdata::Point> expected{{5, 5}, {5, 10}, {1, 3}};
    EXPECT_EQ(pointsOf(out), expected);
}

TEST(TrainFigureFile, PlaceableHeaderGivesOriginAndScale)
{
    // 1440 units per inch at 96 dpi: s = 6, so 240 units become 14 pixels.
    MetafileBuilder m(true, 1000, 2000, 1440);
    m.polygon(0x0324, {{1000, 2000}, {1240, 2000}, {1240, 2100}});
    m.end();
    TrainFigureOutline out;
    ASSERT_EQ(parseTrainFigure(m.bytes(), out), ReadStatus::Ok);
    std::vector<layoutdata::Point> expected{{0, 0}, {14, 0}, {14, 6}};
    EXPECT_EQ(pointsOf(out), expected);

    MetafileBuilder zeroInch(true, 0, 0, 0);
    zeroInch.end();
    EXPECT_EQ(parseTrainFigure(zeroInch.bytes(), out), ReadStatus::Malformed);
}

TEST(TrainFigureFile, CapacitiesCutPolygonsAndPoints)
{
    MetafileBuilder m(false);
    for (int i = 0; i < 20; ++i)
        m.polygon(0x0324, {{int32_t(i), 0}, {int32_t(i), 1}});
    m.end();
    TrainFigureOutline out;
    ASSERT_EQ(parseTrainFigure(m.bytes(), out), ReadStatus::Ok);
    EXPECT_EQ(out.polygonCount, 16);
    EXPECT_EQ(out.pointTotal, 32);

    MetafileBuilder big(false);
    std::vector<layoutdata::Point> many;
    for (int i = 0; i < 300; ++i)
        many.push_back({i, 0});
    big.polygon(0x0325, many);
    big.polygon(0x0325, {{1, 1}, {2, 2}});
    big.end();
    ASSERT_EQ(parseTrainFigure(big.bytes(), out), ReadStatus::Ok);
    EXPECT_EQ(out.pointTotal, 256);
    EXPECT_EQ(out.polygonCount, 1); // the second one has no room left
    EXPECT_EQ(out.points[255].x, 255);
}

TEST(TrainFigureFile, LyingSizesAndCountsAreRefusedAndLeaveOutputAlone)
{
    TrainFigureOutline kept = TrainFigureOutline::rectangle(7, 3);
    auto refused = [&](std::vector<uint8_t> bytes) {
        TrainFigureOutline out = kept;
        ReadStatus s = parseTrainFigure(bytes, out);
        EXPECT_NE(s, ReadStatus::Ok);
        EXPECT_EQ(pointsOf(out), pointsOf(kept));
    };
    { // point count larger than the record
        MetafileBuilder m(false);
        m.record(0x0324, {50, 1, 1});
        m.end();
        refused(m.bytes());
    }
    { // negative point count
        MetafileBuilder m(false);
        m.record(0x0324, {-1, 1, 1});
        m.end();
        refused(m.bytes());
    }
    { // record size running past the end of the file
        MetafileBuilder m(false);
        m.polygon(0x0324, {{1, 1}});
        m.bytes()[18] = 0xFF;
        refused(m.bytes());
    }
    { // record size below its own header
        MetafileBuilder m(false);
        m.record(0x0324, {});
        m.bytes()[18] = 2;
        refused(m.bytes());
    }
    { // poly-polygon counts adding up to more than the record holds
        MetafileBuilder m(false);
        m.record(0x0538, {1, 9, 1, 1});
        m.end();
        refused(m.bytes());
    }
    { // poly-polygon with more counts than the record
        MetafileBuilder m(false);
        m.record(0x0538, {400, 1});
        m.end();
        refused(m.bytes());
    }
    { // truncated inside a record header
        MetafileBuilder m(false);
        m.bytes().push_back(4);
        refused(m.bytes());
    }
    refused({0xD7, 0xCD, 0xC6, 0x9A, 0, 0}); // placeable header cut short
    refused({1, 2, 3});
    refused({9, 0, 9, 0}); // not a metafile header
}

TEST(TrainFigureFile, RectangleFallbackHasTheSizeExtent)
{
    TrainFigureOutline r = TrainFigureOutline::rectangle(100, 20);
    EXPECT_EQ(r.polygonCount, 1);
    EXPECT_EQ(r.width(), 101);
    EXPECT_EQ(r.height(), 21);
}
