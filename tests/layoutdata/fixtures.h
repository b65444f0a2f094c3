#pragma once
// Byte images of the layout files, laid out field by field as the formats
// store them, independent of the encoders under test.
#include "common/byte_io.h"
#include "layoutdata/layout_files.h"

#include <array>
#include <climits>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace fixtures {

using Bytes = std::vector<uint8_t>;

inline void tag(common::ByteWriter& w, const char* t) { w.putBytes(t, 4); }

// Polyline file: header, vertex counts, vertices.
inline Bytes polylineFile(const std::vector<std::vector<std::pair<int32_t, int32_t>>>& lines,
                          uint32_t home = 0, const char* t = ".dat", int32_t version = 2)
{
    common::ByteWriter w;
    int32_t total = 0;
    for (const auto& l : lines)
        total += int32_t(l.size());
    tag(w, t);
    w.putI32(version);
    w.putI32(int32_t(lines.size()));
    w.putI32(total);
    w.putU32(home);
    w.putZeros(12);
    for (const auto& l : lines)
        w.putI32(int32_t(l.size()));
    for (const auto& l : lines) {
        for (auto [x, y] : l) {
            w.putI32(x);
            w.putI32(y);
        }
    }
    return w.bytes();
}

struct PointBytes {
    uint8_t direction, terminal, linked, number;
    int32_t x, y;
};

// Point file: 16-byte header and always eight 24-byte records.
constexpr int32_t kCountOfRecords = INT32_MIN; // the count is the number of records given

inline Bytes pointFile(const std::vector<PointBytes>& records, const char* t = ".dat",
                       int32_t count = kCountOfRecords)
{
    common::ByteWriter w;
    tag(w, t);
    w.putI32(2);
    w.putI32(count == kCountOfRecords ? int32_t(records.size()) : count);
    w.putZeros(4);
    for (size_t i = 0; i < 8; ++i) {
        if (i >= records.size()) {
            w.putZeros(24);
            continue;
        }
        const auto& r = records[i];
        w.putU8(r.direction);
        w.putU8(r.terminal);
        w.putU8(r.linked);
        w.putU8(r.number);
        w.putZeros(12);
        w.putI32(r.x);
        w.putI32(r.y);
    }
    return w.bytes();
}

// The 32-byte header of the counted formats.
inline void countedHeader(common::ByteWriter& w, const char* t, int32_t version, int32_t count)
{
    tag(w, t);
    w.putI32(version);
    w.putI32(count);
    w.putZeros(20);
}

struct ControlBytes {
    int16_t direction;
    int32_t x, y;
    uint8_t action, point, option, relay, sound, soundNumber;
};

inline Bytes controlFile(const std::vector<ControlBytes>& records, const char* t = ".cnt",
                         int32_t version = 3)
{
    common::ByteWriter w;
    countedHeader(w, t, version, int32_t(records.size()));
    for (const auto& r : records) {
        w.putZeros(2);
        w.putI16(r.direction);
        w.putI32(r.x);
        w.putI32(r.y);
        for (uint8_t b : {r.action, r.point, r.option, r.relay, r.sound, r.soundNumber})
            w.putU8(b);
        w.putZeros(2);
    }
    return w.bytes();
}

inline Bytes sensorFile(const std::vector<std::array<int32_t, 3>>& records, const char* t = ".sen",
                        int32_t version = 1)
{
    common::ByteWriter w;
    countedHeader(w, t, version, int32_t(records.size()));
    for (const auto& r : records) {
        for (int32_t v : r)
            w.putI32(v);
    }
    return w.bytes();
}

// A crossing record as 23 int32 fields (barrier, lights, 8 arm values,
// 8 light values, left, top, right, bottom, drive) and one reserved word.
inline Bytes crossingFile(const std::vector<std::array<int32_t, 23>>& records,
                          const char* t = ".crs", int32_t version = 1)
{
    common::ByteWriter w;
    countedHeader(w, t, version, int32_t(records.size()));
    for (const auto& r : records) {
        for (int32_t v : r)
            w.putI32(v);
        w.putZeros(4);
    }
    return w.bytes();
}

struct VertexBytes {
    int32_t x, y, angle;
    uint8_t mark, terminal, linked;
    int32_t curveX, curveY;
};

inline Bytes vertexFile(const std::vector<VertexBytes>& outer,
                        const std::vector<VertexBytes>& siding, int32_t version = 2,
                        const char* t = ".pos")
{
    common::ByteWriter w;
    tag(w, t);
    w.putI32(version);
    w.putI32(int32_t(outer.size()));
    w.putI32(int32_t(siding.size()));
    w.putZeros(16);
    for (const auto* row : {&outer, &siding}) {
        for (const auto& r : *row) {
            w.putI32(r.x);
            w.putI32(r.y);
            w.putI32(r.angle);
            w.putU8(r.mark);
            w.putU8(r.terminal);
            w.putU8(r.linked);
            w.putU8(0);
            w.putI32(r.curveX);
            w.putI32(r.curveY);
        }
    }
    return w.bytes();
}

// Mask record: 8 corner values and the width.
inline Bytes maskFile(const std::vector<std::array<int32_t, 9>>& records, const char* t = ".msk")
{
    common::ByteWriter w;
    countedHeader(w, t, 1, int32_t(records.size()));
    for (const auto& r : records) {
        for (int32_t v : r)
            w.putI32(v);
        w.putZeros(4);
    }
    return w.bytes();
}

inline void putI32At(Bytes& b, size_t offset, int32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[offset + size_t(i)] = uint8_t(uint32_t(v) >> (8 * i));
}

inline std::string asString(const Bytes& b) { return std::string(b.begin(), b.end()); }

} // namespace fixtures
