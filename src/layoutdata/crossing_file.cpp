#include "layoutdata/file_reading.h"
#include "layoutdata/layout_files.h"

#include <algorithm>

namespace layoutdata {

namespace {

constexpr char kTag[4] = {'.', 'c', 'r', 's'};
constexpr int32_t kVersion = 1;
constexpr size_t kRecordSize = 96;

bool readPoint(common::ByteReader& reader, Point& p)
{
    return reader.readI32(p.x) && reader.readI32(p.y);
}

bool readRecord(common::ByteReader& reader, CrossingRecord& r)
{
    bool ok = reader.readI32(r.barrier) && reader.readI32(r.lights);
    for (auto* arm : {&r.arm1, &r.arm2})
        ok = ok && readPoint(reader, (*arm)[0]) && readPoint(reader, (*arm)[1]);
    for (auto& lamp : r.lamp)
        ok = ok && readPoint(reader, lamp);
    return ok && reader.readI32(r.left) && reader.readI32(r.top) && reader.readI32(r.right) &&
           reader.readI32(r.bottom) && reader.readI32(r.drive) && reader.skip(4);
}

void putPoint(common::ByteWriter& writer, const Point& p)
{
    writer.putI32(p.x);
    writer.putI32(p.y);
}

void putRecord(common::ByteWriter& writer, const CrossingRecord& r)
{
    writer.putI32(r.barrier);
    writer.putI32(r.lights);
    for (const auto* arm : {&r.arm1, &r.arm2}) {
        putPoint(writer, (*arm)[0]);
        putPoint(writer, (*arm)[1]);
    }
    for (const auto& lamp : r.lamp)
        putPoint(writer, lamp);
    writer.putI32(r.left);
    writer.putI32(r.top);
    writer.putI32(r.right);
    writer.putI32(r.bottom);
    writer.putI32(r.drive);
    writer.putZeros(4);
}

} // namespace

// Only the tag is checked: every crossing file ever written has one layout.
ReadStatus parseCrossingFile(const std::vector<uint8_t>& bytes, CrossingFile& out)
{
    return detail::parseCountedFileAnyVersion(bytes, kTag, kMaxCrossings, kRecordSize, readRecord,
                                              out.records);
}

ReadStatus readCrossingFile(const std::string& path, CrossingFile& out)
{
    return detail::readWith(path, detail::countedFileSize(kMaxCrossings, kRecordSize), out,
                            parseCrossingFile);
}

std::vector<uint8_t> encodeCrossingFile(const CrossingFile& file)
{
    return detail::encodeCountedRecords(kTag, kVersion, kMaxCrossings, file.records, putRecord);
}

bool writeCrossingFile(const std::string& path, const CrossingFile& file)
{
    return detail::writeEncoded(path, encodeCrossingFile(file));
}

CrossingRecord defaultCrossing()
{
    CrossingRecord r;
    r.barrier = 1;
    r.lights = 1;
    r.arm1 = {Point{270, 190}, Point{370, 190}};
    r.arm2 = {Point{370, 290}, Point{270, 290}};
    r.lamp = {Point{260, 180}, Point{280, 180}, Point{360, 300}, Point{380, 300}};
    r.drive = 1;
    updateCrossingRect(r);
    return r;
}

void updateCrossingRect(CrossingRecord& r)
{
    std::vector<Point> used;
    bool all = !r.barrier && !r.lights; // nothing in use: keep every point inside
    if (r.barrier || all)
        used.insert(used.end(), {r.arm1[0], r.arm1[1], r.arm2[0], r.arm2[1]});
    if (r.lights || all)
        used.insert(used.end(), r.lamp.begin(), r.lamp.end());
    auto [minX, maxX] =
        std::minmax_element(used.begin(), used.end(), [](Point a, Point b) { return a.x < b.x; });
    auto [minY, maxY] =
        std::minmax_element(used.begin(), used.end(), [](Point a, Point b) { return a.y < b.y; });
    constexpr int64_t kMargin = 8;
    auto clamp = [](int64_t v, int64_t hi) { return int32_t(std::clamp<int64_t>(v, 0, hi)); };
    r.left = clamp(int64_t(minX->x) - kMargin, kPictureWidth - 1);
    r.top = clamp(int64_t(minY->y) - kMargin, kPictureHeight - 1);
    r.right = clamp(int64_t(maxX->x) + kMargin, kPictureWidth - 1);
    r.bottom = clamp(int64_t(maxY->y) + kMargin, kPictureHeight - 1);
}

} // namespace layoutdata
