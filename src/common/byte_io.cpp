#include "common/byte_io.h"

#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace common {

bool ByteReader::readBytes(void* out, size_t count)
{
    if (count > remaining())
        return false;
    if (count > 0)
        std::memcpy(out, bytes_.data() + pos_, count);
    pos_ += count;
    return true;
}

bool ByteReader::readU8(uint8_t& value) { return readBytes(&value, 1); }

bool ByteReader::readU16(uint16_t& value)
{
    uint8_t b[2];
    if (!readBytes(b, 2))
        return false;
    value = static_cast<uint16_t>(b[0] | (b[1] << 8));
    return true;
}

bool ByteReader::readI16(int16_t& value)
{
    uint16_t u;
    if (!readU16(u))
        return false;
    value = static_cast<int16_t>(u);
    return true;
}

bool ByteReader::readU32(uint32_t& value)
{
    uint8_t b[4];
    if (!readBytes(b, 4))
        return false;
    value = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    return true;
}

bool ByteReader::readI32(int32_t& value)
{
    uint32_t u;
    if (!readU32(u))
        return false;
    value = static_cast<int32_t>(u);
    return true;
}

bool ByteReader::skip(size_t count)
{
    if (count > remaining())
        return false;
    pos_ += count;
    return true;
}

bool ByteReader::seek(size_t position)
{
    if (position > bytes_.size())
        return false;
    pos_ = position;
    return true;
}

void ByteWriter::putU16(uint16_t value)
{
    bytes_.push_back(static_cast<uint8_t>(value));
    bytes_.push_back(static_cast<uint8_t>(value >> 8));
}

void ByteWriter::putU32(uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        bytes_.push_back(static_cast<uint8_t>(value >> shift));
}

void ByteWriter::putBytes(const void* data, size_t count)
{
    const auto* p = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + count);
}

uint32_t tagWord(const char tag[4])
{
    const auto* b = reinterpret_cast<const uint8_t*>(tag);
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

bool readWholeFile(const std::string& path, std::vector<uint8_t>& out, size_t maxSize)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    std::vector<uint8_t> data;
    uint8_t chunk[65536];
    bool ok = true;
    for (;;) {
        size_t n = std::fread(chunk, 1, sizeof chunk, f);
        if (n > 0) {
            if (data.size() + n > maxSize) {
                ok = false;
                break;
            }
            data.insert(data.end(), chunk, chunk + n);
        }
        if (n < sizeof chunk) {
            ok = !std::ferror(f);
            break;
        }
    }
    std::fclose(f);
    if (ok)
        out.swap(data);
    return ok;
}

bool fileExists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace common
