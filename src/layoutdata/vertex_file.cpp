#include "layoutdata/file_reading.h"
#include "layoutdata/layout_files.h"

#include <cmath>
#include <numbers>

namespace layoutdata {

namespace {

constexpr char kTag[4] = {'.', 'p', 'o', 's'};
constexpr int32_t kVersion = 2;
constexpr size_t kHeaderSize = 32;
constexpr size_t kRecordSize = 24;
// Version 1 files could hold stray marks in siding records; real marks are small.
constexpr uint8_t kLargestVersion1Mark = 8;

constexpr size_t maxVertexFileSize() { return kHeaderSize + 2 * kMaxVertexRecords * kRecordSize; }

bool readRecord(common::ByteReader& reader, VertexRecord& r)
{
    return reader.readI32(r.x) && reader.readI32(r.y) && reader.readI32(r.angle) &&
           reader.readU8(r.pointMark) && reader.readU8(r.terminal) && reader.readU8(r.linked) &&
           reader.skip(1) && reader.readI32(r.curveX) && reader.readI32(r.curveY);
}

void putRecord(common::ByteWriter& writer, const VertexRecord& r)
{
    writer.putI32(r.x);
    writer.putI32(r.y);
    writer.putI32(r.angle);
    writer.putU8(r.pointMark);
    writer.putU8(r.terminal);
    writer.putU8(r.linked);
    writer.putZeros(1);
    writer.putI32(r.curveX);
    writer.putI32(r.curveY);
}

bool readRow(common::ByteReader& reader, int32_t count, std::vector<VertexRecord>& row)
{
    row.resize(size_t(count));
    for (auto& record : row) {
        if (!readRecord(reader, record))
            return false;
    }
    return true;
}

bool validCount(int32_t count) { return count >= 0 && count <= kMaxVertexRecords; }

} // namespace

int32_t vertexAngle(int32_t x, int32_t y)
{
    double radians = std::atan2(double(y) - 240.0, double(x) - 320.0);
    auto degrees = int32_t(180.0 + radians * 180.0 / std::numbers::pi);
    return degrees >= 360 ? degrees - 360 : degrees;
}

ReadStatus parseVertexFile(const std::vector<uint8_t>& bytes, VertexFile& out)
{
    common::ByteReader reader(bytes);
    uint32_t tag = 0;
    int32_t version = 0, outerCount = 0, sidingCount = 0;
    if (!reader.readU32(tag))
        return ReadStatus::Malformed;
    if (!detail::tagIs(tag, kTag))
        return ReadStatus::WrongTag;
    if (!reader.readI32(version))
        return ReadStatus::Malformed;
    if (version != 1 && version != 2)
        return ReadStatus::WrongVersion;
    if (!reader.readI32(outerCount) || !reader.readI32(sidingCount) || !reader.skip(16))
        return ReadStatus::Malformed;
    if (!validCount(outerCount) || !validCount(sidingCount) ||
        bytes.size() != kHeaderSize + (size_t(outerCount) + size_t(sidingCount)) * kRecordSize)
        return ReadStatus::Malformed;

    VertexFile file;
    if (!readRow(reader, outerCount, file.outer) || !readRow(reader, sidingCount, file.siding))
        return ReadStatus::Malformed;
    if (version == 1) {
        for (auto& record : file.siding) {
            if (record.pointMark > kLargestVersion1Mark)
                record.pointMark = 0;
        }
    }
    out = std::move(file);
    return ReadStatus::Ok;
}

ReadStatus readVertexFile(const std::string& path, VertexFile& out)
{
    return detail::readWith(path, maxVertexFileSize(), out, parseVertexFile);
}

std::vector<uint8_t> encodeVertexFile(const VertexFile& file)
{
    if (file.outer.size() > size_t(kMaxVertexRecords) ||
        file.siding.size() > size_t(kMaxVertexRecords))
        return {};
    common::ByteWriter writer;
    writer.putTag(kTag);
    writer.putI32(kVersion);
    writer.putI32(int32_t(file.outer.size()));
    writer.putI32(int32_t(file.siding.size()));
    writer.putZeros(16);
    for (const auto* row : {&file.outer, &file.siding}) {
        for (const auto& record : *row)
            putRecord(writer, record);
    }
    return std::move(writer.bytes());
}

bool writeVertexFile(const std::string& path, const VertexFile& file)
{
    return detail::writeEncoded(path, encodeVertexFile(file));
}

} // namespace layoutdata
