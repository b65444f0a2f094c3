#pragma once
// Little-endian reading and writing of binary files, with bounds checks.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace common {

// Reads little-endian values from a byte range. Every read checks the
// remaining length first; a failed read returns false and leaves the
// position where it was, so a truncated file can never be read past its end.
class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    bool readU8(uint8_t& value);
    bool readU16(uint16_t& value);
    bool readI16(int16_t& value);
    bool readU32(uint32_t& value);
    bool readI32(int32_t& value);
    bool readBytes(void* out, size_t count);
    bool skip(size_t count);
    bool seek(size_t position);

    size_t position() const { return pos_; }
    size_t size() const { return bytes_.size(); }
    size_t remaining() const { return bytes_.size() - pos_; }

private:
    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
};

// Builds a little-endian byte image in memory.
class ByteWriter {
public:
    void putU8(uint8_t value) { bytes_.push_back(value); }
    void putU16(uint16_t value);
    void putI16(int16_t value) { putU16(static_cast<uint16_t>(value)); }
    void putU32(uint32_t value);
    void putI32(int32_t value) { putU32(static_cast<uint32_t>(value)); }
    void putBytes(const void* data, size_t count);
    void putZeros(size_t count) { bytes_.insert(bytes_.end(), count, 0); }
    // A 4-byte ASCII tag such as ".dat".
    void putTag(const char tag[4]) { putBytes(tag, 4); }

    const std::vector<uint8_t>& bytes() const { return bytes_; }
    std::vector<uint8_t>& bytes() { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

// A 4-byte tag compared as one 32-bit word, as the file headers store it.
uint32_t tagWord(const char tag[4]);

// Reads a whole file. False when it cannot be opened or read, or when it is
// larger than maxSize (which protects readers from absurd inputs).
bool readWholeFile(const std::string& path, std::vector<uint8_t>& out,
                   size_t maxSize = 64u << 20);

// Replaces a file atomically: writes a temporary file beside it, flushes it
// to disk and renames it over the target. On any failure the old file is
// left whole and the temporary file is removed.
bool writeFileAtomic(const std::string& path, std::span<const uint8_t> bytes);
bool writeFileAtomic(const std::string& path, const std::string& text);

bool fileExists(const std::string& path);

} // namespace common
