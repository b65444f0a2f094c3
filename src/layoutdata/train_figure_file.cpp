#include "layoutdata/train_figure_file.h"

#include "common/byte_io.h"

#include <algorithm>

namespace layoutdata {

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr uint16_t kSetWindowOrg = 0x020B;
constexpr uint16_t kSetViewportOrg = 0x020D;
constexpr uint16_t kPolygon = 0x0324;
constexpr uint16_t kPolyline = 0x0325;
constexpr uint16_t kPolyPolygon = 0x0538;
constexpr uint16_t kEndOfFile = 0x0000;
constexpr size_t kRecordHeader = 6; // size (words) + function
constexpr size_t kMetaHeaderBytes = 18;

struct Transform {
    int originX = 0;
    int originY = 0;
    int scale = 100; // percent
};

// Collects the outline; points beyond the capacities are dropped.
class OutlineBuilder {
public:
    explicit OutlineBuilder(const Transform& t) : t_(t) {}

    void beginPolygon()
    {
        open_ = polygonsFull() ? -1 : out_.polygonCount;
        if (open_ >= 0)
            out_.pointCounts[size_t(open_)] = 0;
    }
    void addPoint(int16_t x, int16_t y)
    {
        if (open_ < 0 || out_.pointTotal >= kMaxFigurePoints)
            return;
        out_.points[size_t(out_.pointTotal++)] = {scaled(x, t_.originX), scaled(y, t_.originY)};
        ++out_.pointCounts[size_t(open_)];
    }
    void endPolygon()
    {
        if (open_ >= 0 && out_.pointCounts[size_t(open_)] > 0)
            ++out_.polygonCount;
        open_ = -1;
    }
    const TrainFigureOutline& outline() const { return out_; }

private:
    bool polygonsFull() const { return out_.polygonCount >= kMaxFigurePolygons; }
    int32_t scaled(int16_t v, int origin) const { return (int32_t(v) - origin) * t_.scale / 100; }

    const Transform& t_;
    TrainFigureOutline out_;
    int open_ = -1;
};

// Reads `count` points (x, y int16) from the record body into one polygon.
bool readPoints(common::ByteReader& body, size_t count, OutlineBuilder& builder)
{
    if (count * 4 > body.remaining())
        return false;
    builder.beginPolygon();
    for (size_t i = 0; i < count; ++i) {
        int16_t x, y;
        body.readI16(x);
        body.readI16(y);
        builder.addPoint(x, y);
    }
    builder.endPolygon();
    return true;
}

bool readPolygonRecord(common::ByteReader& body, OutlineBuilder& builder)
{
    int16_t count;
    if (!body.readI16(count) || count < 0)
        return false;
    return readPoints(body, size_t(count), builder);
}

bool readPolyPolygonRecord(common::ByteReader& body, OutlineBuilder& builder)
{
    uint16_t polygons;
    if (!body.readU16(polygons) || size_t(polygons) * 2 > body.remaining())
        return false;
    std::vector<uint16_t> counts(polygons);
    size_t total = 0;
    for (auto& c : counts) {
        body.readU16(c);
        total += c;
    }
    if (total * 4 > body.remaining())
        return false;
    for (uint16_t c : counts)
        readPoints(body, c, builder);
    return true;
}

bool readOrigin(common::ByteReader& body, Transform& t)
{
    int16_t y, x; // stored y first
    if (!body.readI16(y) || !body.readI16(x))
        return false;
    t.originX = x;
    t.originY = y;
    return true;
}

// Placeable header: sets the origin and scale. False when truncated or the
// units per inch are zero.
bool readPlaceableHeader(common::ByteReader& r, Transform& t)
{
    uint16_t handle, inch, checksum;
    int16_t left, top, right, bottom;
    uint32_t key, reserved;
    if (!r.readU32(key) || !r.readU16(handle) || !r.readI16(left) || !r.readI16(top) ||
        !r.readI16(right) || !r.readI16(bottom) || !r.readU16(inch) || !r.readU32(reserved) ||
        !r.readU16(checksum))
        return false;
    if (inch == 0)
        return false;
    t.originX = left;
    t.originY = top;
    t.scale = kScreenDpi * 100 / inch;
    return true;
}

bool readMetaHeader(common::ByteReader& r)
{
    uint16_t type, headerWords;
    if (!r.readU16(type) || !r.readU16(headerWords))
        return false;
    if ((type != 1 && type != 2) || headerWords < kMetaHeaderBytes / 2)
        return false;
    return r.skip(size_t(headerWords) * 2 - 4);
}

} // namespace

int TrainFigureOutline::width() const
{
    if (pointTotal == 0)
        return 0;
    auto [lo, hi] = std::minmax_element(points.begin(), points.begin() + pointTotal,
                                        [](const Point& a, const Point& b) { return a.x < b.x; });
    return hi->x - lo->x + 1;
}

int TrainFigureOutline::height() const
{
    if (pointTotal == 0)
        return 0;
    auto [lo, hi] = std::minmax_element(points.begin(), points.begin() + pointTotal,
                                        [](const Point& a, const Point& b) { return a.y < b.y; });
    return hi->y - lo->y + 1;
}

TrainFigureOutline TrainFigureOutline::rectangle(int w, int h)
{
    TrainFigureOutline o;
    o.polygonCount = 1;
    o.pointCounts[0] = 4;
    o.pointTotal = 4;
    o.points[0] = {0, 0};
    o.points[1] = {w, 0};
    o.points[2] = {w, h};
    o.points[3] = {0, h};
    return o;
}

ReadStatus parseTrainFigure(const std::vector<uint8_t>& bytes, TrainFigureOutline& out)
{
    common::ByteReader r(bytes);
    Transform t;
    uint32_t key = 0;
    if (!r.readU32(key))
        return ReadStatus::Malformed;
    r.seek(0);
    if (key == kPlaceableKey && !readPlaceableHeader(r, t))
        return ReadStatus::Malformed;
    if (!readMetaHeader(r))
        return ReadStatus::WrongTag;

    OutlineBuilder builder(t);
    while (r.remaining() > 0) {
        uint32_t words;
        uint16_t function;
        if (!r.readU32(words) || !r.readU16(function))
            return ReadStatus::Malformed;
        if (words < kRecordHeader / 2 || (words - kRecordHeader / 2) > r.remaining() / 2)
            return ReadStatus::Malformed;
        size_t bodySize = size_t(words) * 2 - kRecordHeader;
        common::ByteReader body(std::span<const uint8_t>(bytes.data() + r.position(), bodySize));
        r.skip(bodySize);
        bool ok = true;
        switch (function) {
        case kEndOfFile:
            out = builder.outline();
            return ReadStatus::Ok;
        case kSetWindowOrg:
        case kSetViewportOrg:
            ok = readOrigin(body, t);
            break;
        case kPolygon:
        case kPolyline:
            ok = readPolygonRecord(body, builder);
            break;
        case kPolyPolygon:
            ok = readPolyPolygonRecord(body, builder);
            break;
        default:
            break; // object creation, selection, deletion and the rest
        }
        if (!ok)
            return ReadStatus::Malformed;
    }
    out = builder.outline(); // no end record: the data simply ends
    return ReadStatus::Ok;
}

ReadStatus readTrainFigure(const std::string& path, TrainFigureOutline& out)
{
    std::vector<uint8_t> bytes;
    if (!common::readWholeFile(path, bytes, 1u << 20))
        return ReadStatus::CannotOpen;
    return parseTrainFigure(bytes, out);
}

} // namespace layoutdata
