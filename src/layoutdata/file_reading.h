#pragma once
// Shared steps of the layout file readers: loading a file with a size
// limit, and the 32-byte "tag, version, count" header most formats share.
#include "common/byte_io.h"
#include "layoutdata/layout_files.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace layoutdata::detail {

// Loads a whole file. CannotOpen when it is missing or unreadable,
// Malformed when it is longer than maxSize (no valid file of the format is).
ReadStatus loadFile(const std::string& path, size_t maxSize, std::vector<uint8_t>& bytes);

// Reads the file and parses it, leaving out untouched unless it parses.
template <class File, class Parse>
ReadStatus readWith(const std::string& path, size_t maxSize, File& out, Parse parse)
{
    std::vector<uint8_t> bytes;
    ReadStatus status = loadFile(path, maxSize, bytes);
    if (status != ReadStatus::Ok)
        return status;
    return parse(bytes, out);
}

// Whether two tag words match.
inline bool tagIs(uint32_t tag, const char expected[4]) { return tag == common::tagWord(expected); }

// The header of the control point, sensor, crossing and mask files:
// tag, int32 version, int32 count, 20 reserved bytes.
constexpr size_t kCountedHeaderSize = 32;

struct CountedHeader {
    uint32_t tag = 0;
    int32_t version = 0;
    int32_t count = 0;
};

// Reads tag and version only (8 bytes); false when the file is shorter.
bool readTagAndVersion(common::ByteReader& reader, uint32_t& tag, int32_t& version);

// After tag and version: the count and the reserved bytes. Malformed when
// the header is short, the count is negative or above maxCount, or the file
// is not exactly header + count records long.
ReadStatus readCountAndCheckSize(common::ByteReader& reader, int maxCount, size_t recordSize,
                                 int32_t& count);

// Writes the 32-byte counted header.
void putCountedHeader(common::ByteWriter& writer, const char tag[4], int32_t version,
                      int32_t count);

// Whether the file holds at most maxCount records of recordSize after the
// 32-byte header; the largest such file.
constexpr size_t countedFileSize(int count, size_t recordSize)
{
    return kCountedHeaderSize + size_t(count) * recordSize;
}

// The records after a counted header whose tag and version were accepted:
// count, reserved bytes, then exactly `count` records. `records` is replaced
// only when every record was read.
template <class Record, class ReadRecord>
ReadStatus readCountedRecords(common::ByteReader& reader, int maxCount, size_t recordSize,
                              ReadRecord readRecord, std::vector<Record>& records)
{
    int32_t count = 0;
    ReadStatus status = readCountAndCheckSize(reader, maxCount, recordSize, count);
    if (status != ReadStatus::Ok)
        return status;
    std::vector<Record> read(static_cast<size_t>(count));
    for (auto& record : read) {
        if (!readRecord(reader, record))
            return ReadStatus::Malformed;
    }
    records = std::move(read);
    return ReadStatus::Ok;
}

// A counted file whose version is not checked: the tag, then the records.
template <class Record, class ReadRecord>
ReadStatus parseCountedFileAnyVersion(const std::vector<uint8_t>& bytes, const char tag[4],
                                      int maxCount, size_t recordSize, ReadRecord readRecord,
                                      std::vector<Record>& records)
{
    common::ByteReader reader(bytes);
    uint32_t fileTag = 0;
    int32_t version = 0;
    if (!reader.readU32(fileTag))
        return ReadStatus::Malformed;
    if (!tagIs(fileTag, tag))
        return ReadStatus::WrongTag;
    if (!reader.readI32(version))
        return ReadStatus::Malformed;
    return readCountedRecords(reader, maxCount, recordSize, readRecord, records);
}

// A whole counted file; empty when there are more records than fit.
template <class Record, class PutRecord>
std::vector<uint8_t> encodeCountedRecords(const char tag[4], int32_t version, int maxCount,
                                          const std::vector<Record>& records, PutRecord putRecord)
{
    if (records.size() > size_t(maxCount))
        return {};
    common::ByteWriter writer;
    putCountedHeader(writer, tag, version, int32_t(records.size()));
    for (const auto& record : records)
        putRecord(writer, record);
    return std::move(writer.bytes());
}

// Writes an encoded file atomically; false for an empty (refused) encoding.
bool writeEncoded(const std::string& path, const std::vector<uint8_t>& bytes);


} // namespace layoutdata::detail
