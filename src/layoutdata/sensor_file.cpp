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
    int32_t version = 0, count = 0;
    if (!detail::readTagAndVersion(reader, tag, version))
        return ReadStatus::Malformed;
    if (!detail::tagIs(tag, kTag))
        return ReadStatus::WrongTag;
    if (version != kVersion)
        return ReadStatus::WrongVersion;
    ReadStatus status = detail::readCountAndCheckSize(reader, kMaxSensors, kRecordSize, count);
    if (status != ReadStatus::Ok)
        return status;

    SensorFile file;
    file.records.resize(size_t(count));
    for (auto& r : file.records) {
        if (!reader.readI32(r.x) || !reader.readI32(r.y) || !reader.readI32(r.sensitivity))
            return ReadStatus::Malformed;
    }
    out = std::move(file);
    return ReadStatus::Ok;
}

ReadStatus readSensorFile(const std::string& path, SensorFile& out)
{
    return detail::readWith(path, detail::countedFileSize(kMaxSensors, kRecordSize), out,
                            parseSensorFile);
}

std::vector<uint8_t> encodeSensorFile(const SensorFile& file)
{
    if (file.records.size() > size_t(kMaxSensors))
        return {};
    common::ByteWriter writer;
    detail::putCountedHeader(writer, kTag, kVersion, int32_t(file.records.size()));
    for (const auto& r : file.records) {
        writer.putI32(r.x);
        writer.putI32(r.y);
        writer.putI32(r.sensitivity);
    }
    return std::move(writer.bytes());
}

bool writeSensorFile(const std::string& path, const SensorFile& file)
{
    auto bytes = encodeSensorFile(file);
    return !bytes.empty() && common::writeFileAtomic(path, bytes);
}

} // namespace layoutdata
