// Every reader over truncated and bit-flipped variants of valid files: no
// variant may crash or read out of bounds (this runs under the sanitizers),
// a refused variant must leave the output as it was, and an accepted one
// must hold together and encode to a file that reads back the same.
#include "fixtures.h"
#include "recording_frontend.h"
#include "temp_dir.h"

#include "layoutdata/layout_files.h"
#include "vardo/layout/layout_folder.h"

#include <gtest/gtest.h>

#include <random>

using namespace layoutdata;
using fixtures::Bytes;

namespace {

constexpr int kFlipsPerFile = 1500;

// Prefixes of every length, then variants with one to three flipped bits.
std::vector<Bytes> variants(const Bytes& good, uint32_t seed)
{
    std::vector<Bytes> out;
    for (size_t n = 0; n < good.size(); ++n)
        out.emplace_back(good.begin(), good.begin() + long(n));
    std::mt19937 random(seed);
    for (int i = 0; i < kFlipsPerFile; ++i) {
        Bytes b = good;
        int flips = 1 + int(random() % 3);
        for (int f = 0; f < flips; ++f) {
            size_t bit = random() % (b.size() * 8);
            b[bit / 8] ^= uint8_t(1u << (bit % 8));
        }
        out.push_back(std::move(b));
    }
    Bytes longer = good;
    longer.push_back(0);
    out.push_back(longer);
    return out;
}

// Runs parse over every variant. `sentinel` is the output before each
// call; `same` compares two results; `valid` checks an accepted one.
template <class File, class Parse, class Encode, class Same, class Valid>
void exercise(const Bytes& good, uint32_t seed, Parse parse, Encode encode, const File& sentinel,
              Same same, Valid valid)
{
    File first;
    ASSERT_EQ(parse(good, first), ReadStatus::Ok);
    int accepted = 0, refused = 0;
    for (const Bytes& b : variants(good, seed)) {
        File out = sentinel;
        ReadStatus status = parse(b, out);
        if (status != ReadStatus::Ok) {
            ++refused;
            ASSERT_TRUE(same(out, sentinel)) << "refused variant changed the output";
            continue;
        }
        ++accepted;
        ASSERT_TRUE(valid(out));
        Bytes again = encode(out);
        ASSERT_FALSE(again.empty());
        File back;
        ASSERT_EQ(parse(again, back), ReadStatus::Ok);
        ASSERT_TRUE(same(back, out));
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(accepted, 0); // flips in coordinates are still valid files
}

bool samePolylines(const PolylineFile& a, const PolylineFile& b)
{
    return a.vertexCounts == b.vertexCounts && a.vertices == b.vertices &&
           a.homePoint == b.homePoint;
}

bool validPolylines(const PolylineFile& f)
{
    int64_t total = 0;
    for (int32_t c : f.vertexCounts) {
        if (c < 0)
            return false;
        total += c;
    }
    return total == int64_t(f.vertices.size()) && f.polylineCount() <= kMaxPolylines;
}

template <class File>
bool sameRecords(const File& a, const File& b)
{
    return a.records == b.records;
}

template <class File>
auto capacityCheck(size_t capacity)
{
    return [capacity](const File& f) { return f.records.size() <= capacity; };
}

} // namespace

TEST(Robustness, PolylineFile)
{
    Bytes good =
        fixtures::polylineFile({{{1, 2}, {3, 4}, {5, 6}, {7, 8}}, {{9, 10}, {11, 12}}, {{13, 14}}},
                               PolylineFile::packHome({3, 4}));
    PolylineFile sentinel;
    sentinel.vertexCounts = {1};
    sentinel.vertices = {{42, 42}};
    exercise(good, 1, parsePolylineFile, encodePolylineFile, sentinel, samePolylines,
             validPolylines);
}

TEST(Robustness, PointFile)
{
    Bytes good = fixtures::pointFile(
        {{1, 0, 1, 1, 85, 182}, {2, 0, 0, 2, 512, 349}, {1, 1, 0, 2, 512, 131}});
    PointFile sentinel;
    sentinel.count = 2;
    sentinel.records[1].x = 42;
    auto same = [](const PointFile& a, const PointFile& b) {
        return a.count == b.count && a.records == b.records;
    };
    auto valid = [](const PointFile& f) {
        for (int i = f.count; i < kMaxPoints; ++i) {
            if (!(f.records[size_t(i)] == PointRecord{}))
                return false;
        }
        return f.count >= 0 && f.count <= kMaxPoints;
    };
    exercise(good, 2, parsePointFile, encodePointFile, sentinel, same, valid);
}

TEST(Robustness, ControlPointFile)
{
    Bytes good =
        fixtures::controlFile({{1, 380, 404, 7, 0, 0, 0, 2, 1}, {2, 445, 387, 2, 1, 0, 0, 0, 0}});
    ControlPointFile sentinel;
    sentinel.records.resize(5);
    exercise(good, 3, parseControlPointFile, encodeControlPointFile, sentinel,
             sameRecords<ControlPointFile>, capacityCheck<ControlPointFile>(kMaxControlPoints));
}

TEST(Robustness, SensorFile)
{
    Bytes good = fixtures::sensorFile({{143, 360, 75}, {497, 120, 60}, {1, 2, 3}});
    SensorFile sentinel;
    sentinel.records.resize(1);
    exercise(good, 4, parseSensorFile, encodeSensorFile, sentinel, sameRecords<SensorFile>,
             capacityCheck<SensorFile>(kMaxSensors));
}

TEST(Robustness, CrossingFile)
{
    std::array<int32_t, 23> r{1,   1,   270, 190, 370, 190, 370, 290, 270, 290, 260, 180,
                              280, 180, 360, 300, 380, 300, 252, 172, 388, 308, 1};
    Bytes good = fixtures::crossingFile({r, r});
    CrossingFile sentinel;
    sentinel.records.resize(3);
    exercise(good, 5, parseCrossingFile, encodeCrossingFile, sentinel, sameRecords<CrossingFile>,
             capacityCheck<CrossingFile>(kMaxCrossings));
}

TEST(Robustness, VertexFile)
{
    Bytes good =
        fixtures::vertexFile({{570, 240, 180, 1, 0, 0, -1, 0}, {320, 410, 270, 0, 0, 0, 0, 0}},
                             {{85, 182, 35, 2, 1, 1, 300, 200}}, 1);
    VertexFile sentinel;
    sentinel.siding.resize(4);
    auto same = [](const VertexFile& a, const VertexFile& b) {
        return a.outer == b.outer && a.siding == b.siding;
    };
    auto valid = [](const VertexFile& f) {
        return f.outer.size() <= size_t(kMaxVertexRecords) &&
               f.siding.size() <= size_t(kMaxVertexRecords);
    };
    exercise(good, 6, parseVertexFile, encodeVertexFile, sentinel, same, valid);
}

TEST(Robustness, MaskFile)
{
    Bytes good = fixtures::maskFile(
        {{10, 10, 50, 10, 50, 40, 10, 40, 0}, {100, 100, 200, 100, 0, 0, 0, 0, 10}});
    MaskFile sentinel;
    sentinel.records.resize(2);
    exercise(good, 7, parseMaskFile, encodeMaskFile, sentinel, sameRecords<MaskFile>,
             capacityCheck<MaskFile>(kMaxMaskRecords));
    // Any stored record, however wild, gives a quadrilateral without fault.
    std::mt19937 random(8);
    for (int i = 0; i < 2000; ++i) {
        MaskRecord r;
        for (auto& c : r.corners)
            c = {int32_t(random()), int32_t(random())};
        r.width = int32_t(random());
        auto quad = maskQuadrilateral(r);
        if (r.width <= 0) {
            ASSERT_EQ(quad, r.corners);
        }
    }
}

TEST(Robustness, FolderLoaderOverBrokenFiles)
{
    vardo::testing::TempDir dir;
    Bytes track = fixtures::polylineFile({{{1, 2}, {3, 4}}, {{5, 6}}});
    Bytes points = fixtures::pointFile({{1, 0, 0, 1, 5, 6}});
    Bytes controls = fixtures::controlFile({{0, 1, 1, 0, 0, 0, 0, 0, 0}});
    auto t = variants(track, 100);
    auto p = variants(points, 200);
    auto c = variants(controls, 300);
    std::mt19937 random(9);
    int loaded = 0;
    for (int i = 0; i < 200; ++i) {
        const Bytes& pointBytes = p[random() % p.size()];
        dir.write("layout.dat", fixtures::asString(t[random() % t.size()]));
        dir.write("point.dat", fixtures::asString(pointBytes));
        dir.write("control.dat", fixtures::asString(c[random() % c.size()]));
        vardo::testing::RecordingFrontend frontend;
        vardo::LayoutFolder folder;
        bool ok = vardo::loadLayoutFolder(dir.path(), frontend, folder);
        loaded += ok;
        EXPECT_EQ(ok, folder.trackRead);
        if (ok) {
            // A refused point file gives the one default point.
            PointFile direct;
            int expected = parsePointFile(pointBytes, direct) == ReadStatus::Ok ? direct.count : 1;
            EXPECT_EQ(folder.points.count, expected);
        } else {
            EXPECT_EQ(frontend.messageTexts().back(),
                      "レイアウトファイルの読み込みに失敗しました。");
        }
    }
    EXPECT_GT(loaded, 0);
}
