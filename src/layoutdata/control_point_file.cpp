#include "layoutdata/file_reading.h"
#include "layoutdata/layout_files.h"

namespace layoutdata {

namespace {

constexpr char kTag[4] = {'.', 'c', 'n', 't'};
constexpr int32_t kVersion = 3;
constexpr size_t kRecordSize = 20;

bool readRecord(common::ByteReader& reader, ControlPointRecord& r)
{
    return reader.skip(2) && reader.readI16(r.direction) && reader.readI32(r.x) &&
           reader.readI32(r.y) && reader.readU8(r.trackAction) && reader.readU8(r.point) &&
           reader.readU8(r.option) && reader.readU8(r.relay) && reader.readU8(r.sound) &&
           reader.readU8(r.soundNumber) && reader.skip(2);
}

void putRecord(common::ByteWriter& writer, const ControlPointRecord& r)
{
    writer.putZeros(2);
    writer.putI16(r.direction);
    writer.putI32(r.x);
    writer.putI32(r.y);
    writer.putU8(r.trackAction);
    writer.putU8(r.point);
    writer.putU8(r.option);
    writer.putU8(r.relay);
    writer.putU8(r.sound);
    writer.putU8(r.soundNumber);
    writer.putZeros(2);
}

} // namespace

// The version is looked at before the tag: files of the older control-region
// format are reported as such even when their tag differs.
ReadStatus parseControlPointFile(const std::vector<uint8_t>& bytes, ControlPointFile& out)
{
    common::ByteReader reader(bytes);
    uint32_t tag = 0;
    int32_t version = 0;
    if (!detail::readTagAndVersion(reader, tag, version))
        return ReadStatus::Malformed;
    if (version != kVersion)
        return ReadStatus::WrongVersion;
    if (!detail::tagIs(tag, kTag))
        return ReadStatus::WrongTag;
    return detail::readCountedRecords(reader, kMaxControlPoints, kRecordSize, readRecord, out.records);
}

ReadStatus readControlPointFile(const std::string& path, ControlPointFile& out)
{
    return detail::readWith(path, detail::countedFileSize(kMaxControlPoints, kRecordSize), out,
                            parseControlPointFile);
}

std::vector<uint8_t> encodeControlPointFile(const ControlPointFile& file)
{
    return detail::encodeCountedRecords(kTag, kVersion, kMaxControlPoints, file.records, putRecord);
}

bool writeControlPointFile(const std::string& path, const ControlPointFile& file)
{
    return detail::writeEncoded(path, encodeControlPointFile(file));
}

} // namespace layoutdata
