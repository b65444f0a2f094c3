#include "layoutdata/file_reading.h"
#include "layoutdata/layout_files.h"

namespace layoutdata {

namespace {

constexpr char kTag[4] = {'.', 's', 'e', 'n'};
constexpr int32_t kVersion = 1;
constexpr size_t kRecordSize = 12;

} // namespace

ReadStatus parseSensorFile(const std::vector<uint8_t>& bytes, SensorFile& out)
{
    common::ByteReader reader(bytes);
    uint32_t tag = 0;
    int32_t version = 0;
    if (!detail::readTagAndVersion(reader, tag, version))
        return ReadStatus::Malformed;
    if (!detail::tagIs(tag, kTag))
        return ReadStatus::WrongTag;
    if (version != kVersion)
        return ReadStatus::WrongVersion;
    auto readRecord = [](common::ByteReader& r, SensorRecord& s) {
        return r.readI32(s.x) && r.readI32(s.y) && r.readI32(s.sensitivity);
    };
    return detail::readCountedRecords(reader, kMaxSensors, kRecordSize, readRecord, out.records);
}

ReadStatus readSensorFile(const std::string& path, SensorFile& out)
{
    return detail::readWith(path, detail::countedFileSize(kMaxSensors, kRecordSize), out,
                            parseSensorFile);
}

std::vector<uint8_t> encodeSensorFile(const SensorFile& file)
{
    auto putRecord = [](common::ByteWriter& w, const SensorRecord& s) {
        w.putI32(s.x);
        w.putI32(s.y);
        w.putI32(s.sensitivity);
    };
    return detail::encodeCountedRecords(kTag, kVersion, kMaxSensors, file.records, putRecord);
}

bool writeSensorFile(const std::string& path, const SensorFile& file)
{
    return detail::writeEncoded(path, encodeSensorFile(file));
}

} // namespace layoutdata
