#include "layoutdata/file_reading.h"
#include "layoutdata/layout_files.h"

namespace layoutdata {

namespace {

constexpr char kTag[4] = {'.', 'd', 'a', 't'};
constexpr int32_t kVersion = 2;
constexpr size_t kHeaderSize = 16;
constexpr size_t kRecordSize = 24;
constexpr size_t kFileSize = kHeaderSize + kMaxPoints * kRecordSize; // always 208

bool readRecord(common::ByteReader& reader, PointRecord& record)
{
    // Bytes 4..15 hold run-time values of the loader; nothing is read there.
    return reader.readU8(record.direction) && reader.readU8(record.terminal) &&
           reader.readU8(record.linked) && reader.readU8(record.number) && reader.skip(12) &&
           reader.readI32(record.x) && reader.readI32(record.y);
}

void putRecord(common::ByteWriter& writer, const PointRecord& record)
{
    writer.putU8(record.direction);
    writer.putU8(record.terminal);
    writer.putU8(record.linked);
    writer.putU8(record.number);
    writer.putZeros(12);
    writer.putI32(record.x);
    writer.putI32(record.y);
}

} // namespace

ReadStatus parsePointFile(const std::vector<uint8_t>& bytes, PointFile& out)
{
    common::ByteReader reader(bytes);
    uint32_t tag = 0;
    int32_t version = 0, count = 0;
    if (!reader.readU32(tag))
        return ReadStatus::Malformed;
    if (!detail::tagIs(tag, kTag))
        return ReadStatus::WrongTag;
    if (!reader.readI32(version) || !reader.readI32(count) || !reader.skip(4))
        return ReadStatus::Malformed;
    if (bytes.size() != kFileSize || count < 0 || count > kMaxPoints)
        return ReadStatus::Malformed;

    PointFile file;
    file.count = count;
    // Records past the count are unused: they stay zero in the result.
    for (int i = 0; i < count; ++i) {
        if (!readRecord(reader, file.records[size_t(i)]))
            return ReadStatus::Malformed;
    }
    out = file;
    return ReadStatus::Ok;
}

ReadStatus readPointFile(const std::string& path, PointFile& out)
{
    return detail::readWith(path, kFileSize, out, parsePointFile);
}

std::vector<uint8_t> encodePointFile(const PointFile& file)
{
    if (file.count < 0 || file.count > kMaxPoints)
        return {};
    common::ByteWriter writer;
    writer.putTag(kTag);
    writer.putI32(kVersion);
    writer.putI32(file.count);
    writer.putZeros(4);
    for (int i = 0; i < kMaxPoints; ++i) {
        if (i < file.count)
            putRecord(writer, file.records[size_t(i)]);
        else
            writer.putZeros(kRecordSize);
    }
    return std::move(writer.bytes());
}

bool writePointFile(const std::string& path, const PointFile& file)
{
    return detail::writeEncoded(path, encodePointFile(file));
}

} // namespace layoutdata
