#include "layoutdata/file_reading.h"

#include <filesystem>
#include <system_error>

namespace layoutdata::detail {

ReadStatus loadFile(const std::string& path, size_t maxSize, std::vector<uint8_t>& bytes)
{
    std::error_code error;
    auto size = std::filesystem::file_size(path, error);
    if (error)
        return ReadStatus::CannotOpen;
    if (size > maxSize)
        return ReadStatus::Malformed;
    // The limit also guards against a file that grows while it is read.
    if (!common::readWholeFile(path, bytes, maxSize))
        return common::fileExists(path) && std::filesystem::file_size(path, error) > maxSize
                   ? ReadStatus::Malformed
                   : ReadStatus::CannotOpen;
    return ReadStatus::Ok;
}

bool readTagAndVersion(common::ByteReader& reader, uint32_t& tag, int32_t& version)
{
    return reader.readU32(tag) && reader.readI32(version);
}

ReadStatus readCountAndCheckSize(common::ByteReader& reader, int maxCount, size_t recordSize,
                                 int32_t& count)
{
    if (!reader.readI32(count) || !reader.skip(20))
        return ReadStatus::Malformed;
    if (count < 0 || count > maxCount)
        return ReadStatus::Malformed;
    if (reader.size() != countedFileSize(count, recordSize))
        return ReadStatus::Malformed;
    return ReadStatus::Ok;
}

void putCountedHeader(common::ByteWriter& writer, const char tag[4], int32_t version, int32_t count)
{
    writer.putTag(tag);
    writer.putI32(version);
    writer.putI32(count);
    writer.putZeros(20);
}

} // namespace layoutdata::detail

namespace layoutdata::detail {

bool writeEncoded(const std::string& path, const std::vector<uint8_t>& bytes)
{
    return !bytes.empty() && common::writeFileAtomic(path, bytes);
}

} // namespace layoutdata::detail
