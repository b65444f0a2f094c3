#include "layoutdata/file_reading.h"
#include "layoutdata/layout_files.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace layoutdata {

namespace {

constexpr char kTag[4] = {'.', 'm', 's', 'k'};
constexpr int32_t kVersion = 1;
constexpr size_t kRecordSize = 40;

bool readRecord(common::ByteReader& reader, MaskRecord& r)
{
    bool ok = true;
    for (auto& corner : r.corners)
        ok = ok && reader.readI32(corner.x) && reader.readI32(corner.y);
    return ok && reader.readI32(r.width) && reader.skip(4);
}

void putRecord(common::ByteWriter& writer, const MaskRecord& r)
{
    for (const auto& corner : r.corners) {
        writer.putI32(corner.x);
        writer.putI32(corner.y);
    }
    writer.putI32(r.width);
    writer.putZeros(4);
}

// Cut towards zero; a stored record near the ends of the int range must not
// overflow the conversion, so the result is held within it.
int32_t cutTowardsZero(double v)
{
    return int32_t(std::clamp(std::trunc(v), double(INT32_MIN), double(INT32_MAX)));
}

} // namespace

ReadStatus parseMaskFile(const std::vector<uint8_t>& bytes, MaskFile& out)
{
    return detail::parseCountedFileAnyVersion(bytes, kTag, kMaxMaskRecords, kRecordSize, readRecord,
                                              out.records);
}

ReadStatus readMaskFile(const std::string& path, MaskFile& out)
{
    return detail::readWith(path, detail::countedFileSize(kMaxMaskRecords, kRecordSize), out,
                            parseMaskFile);
}

std::vector<uint8_t> encodeMaskFile(const MaskFile& file)
{
    return detail::encodeCountedRecords(kTag, kVersion, kMaxMaskRecords, file.records, putRecord);
}

bool writeMaskFile(const std::string& path, const MaskFile& file)
{
    return detail::writeEncoded(path, encodeMaskFile(file));
}

// A band is widened by half its width on both sides of the segment P0-P1.
// The normal (cos(a + 90°), sin(a + 90°)) of the segment's angle a is taken
// as (-dy, dx) / length, which is the same vector without the round-off of
// the trigonometric functions: an axis-parallel band keeps whole corners.
std::array<Point, 4> maskQuadrilateral(const MaskRecord& record)
{
    if (record.width <= 0)
        return record.corners;
    const Point p0 = record.corners[0];
    const Point p1 = record.corners[1];
    double dx = double(p1.x) - double(p0.x);
    double dy = double(p1.y) - double(p0.y);
    double length = std::sqrt(dx * dx + dy * dy);
    double half = double(record.width) / 2.0;
    // A zero-length segment has the angle 0, so the normal points along y.
    double nx = length > 0.0 ? -(double(record.width) * dy) / (2.0 * length) : 0.0;
    double ny = length > 0.0 ? (double(record.width) * dx) / (2.0 * length) : half;
    auto corner = [](Point p, double ox, double oy) {
        return Point{cutTowardsZero(double(p.x) + ox), cutTowardsZero(double(p.y) + oy)};
    };
    return {corner(p0, nx, ny), corner(p0, -nx, -ny), corner(p1, -nx, -ny), corner(p1, nx, ny)};
}

PolylineFile maskToPolylines(const MaskFile& file)
{
    PolylineFile out;
    for (const auto& record : file.records) {
        auto quad = maskQuadrilateral(record);
        out.vertexCounts.push_back(4);
        out.vertices.insert(out.vertices.end(), quad.begin(), quad.end());
    }
    return out;
}

} // namespace layoutdata
