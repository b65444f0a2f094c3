#include "layoutdata/file_reading.h"
#include "layoutdata/layout_files.h"

namespace layoutdata {

namespace {

constexpr char kTag[4] = {'.', 'd', 'a', 't'};
constexpr int32_t kVersion = 2;
constexpr size_t kHeaderSize = 32;

constexpr size_t maxPolylineFileSize()
{
    return kHeaderSize + 4 * size_t(kMaxPolylines) + 8 * size_t(kMaxPolylineVertices);
}

// The vertex counts: each one non-negative, together exactly M.
bool readVertexCounts(common::ByteReader& reader, int32_t n, int32_t m,
                      std::vector<int32_t>& counts)
{
    counts.resize(size_t(n));
    int64_t total = 0;
    for (auto& count : counts) {
        if (!reader.readI32(count) || count < 0)
            return false;
        total += count;
    }
    return total == m;
}

bool isConsistent(const PolylineFile& file)
{
    if (file.vertexCounts.size() > size_t(kMaxPolylines) ||
        file.vertices.size() > size_t(kMaxPolylineVertices))
        return false;
    int64_t total = 0;
    for (int32_t count : file.vertexCounts) {
        if (count < 0)
            return false;
        total += count;
    }
    return total == int64_t(file.vertices.size());
}

} // namespace

ReadStatus parsePolylineFile(const std::vector<uint8_t>& bytes, PolylineFile& out)
{
    common::ByteReader reader(bytes);
    uint32_t tag = 0;
    int32_t version = 0; // written as 2, read by nobody
    if (!reader.readU32(tag))
        return ReadStatus::Malformed;
    if (!detail::tagIs(tag, kTag))
        return ReadStatus::WrongTag;
    int32_t n = 0, m = 0;
    uint32_t home = 0;
    if (!reader.readI32(version) || !reader.readI32(n) || !reader.readI32(m) ||
        !reader.readU32(home) || !reader.skip(12))
        return ReadStatus::Malformed;
    if (n < 0 || n > kMaxPolylines || m < 0 || m > kMaxPolylineVertices)
        return ReadStatus::Malformed;
    if (bytes.size() != kHeaderSize + 4 * size_t(n) + 8 * size_t(m))
        return ReadStatus::Malformed;

    PolylineFile file;
    if (!readVertexCounts(reader, n, m, file.vertexCounts))
        return ReadStatus::Malformed;
    file.vertices.resize(size_t(m));
    for (auto& v : file.vertices) {
        if (!reader.readI32(v.x) || !reader.readI32(v.y))
            return ReadStatus::Malformed;
    }
    file.homePoint = home;
    out = std::move(file);
    return ReadStatus::Ok;
}

ReadStatus readPolylineFile(const std::string& path, PolylineFile& out)
{
    return detail::readWith(path, maxPolylineFileSize(), out, parsePolylineFile);
}

std::vector<uint8_t> encodePolylineFile(const PolylineFile& file)
{
    if (!isConsistent(file))
        return {};
    common::ByteWriter writer;
    writer.putTag(kTag);
    writer.putI32(kVersion);
    writer.putI32(int32_t(file.vertexCounts.size()));
    writer.putI32(int32_t(file.vertices.size()));
    writer.putU32(file.homePoint);
    writer.putZeros(12);
    for (int32_t count : file.vertexCounts)
        writer.putI32(count);
    for (const auto& v : file.vertices) {
        writer.putI32(v.x);
        writer.putI32(v.y);
    }
    return std::move(writer.bytes());
}

bool writePolylineFile(const std::string& path, const PolylineFile& file)
{
    return detail::writeEncoded(path, encodePolylineFile(file));
}

} // namespace layoutdata
