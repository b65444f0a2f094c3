#pragma once
// The files of the layout data folder and of the editor's working folder:
// records as they are stored, and their readers and writers.
//
// Readers trust nothing: every count, version and size is checked against
// the file's length and the fixed capacities before a record is read. A
// refused file leaves the output untouched. Writers produce the stored
// layout byte for byte (reserved bytes zero) and replace files atomically.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace layoutdata {

// Why a read failed. The caller chooses the message; see the loader.
enum class ReadStatus {
    Ok,
    CannotOpen,   // missing or unreadable
    WrongTag,     // the 4-byte tag is not the expected one
    WrongVersion, // tag right, version not supported
    Malformed,    // counts or sizes disagree with the file or the capacities
};

const char* readStatusName(ReadStatus status);

// The layout picture every coordinate refers to.
constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 480;

struct Point {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const Point&) const = default;
};

// ---- Polyline file (tag ".dat", version 2): layout.dat, mask.dat, except.dat
constexpr int kMaxPolylines = 1024;
constexpr int kMaxPolylineVertices = 1 << 20;

struct PolylineFile {
    std::vector<int32_t> vertexCounts; // one per polyline; they add up to vertices.size()
    std::vector<Point> vertices;       // polyline after polyline
    uint32_t homePoint = 0;            // x in the high 16 bits, y in the low 16; 0 = none

    int polylineCount() const { return int(vertexCounts.size()); }
    bool hasHome() const { return homePoint != 0; }
    Point home() const { return {int32_t(homePoint >> 16), int32_t(homePoint & 0xFFFF)}; }
    static uint32_t packHome(Point p) { return (uint32_t(p.x) << 16) | (uint32_t(p.y) & 0xFFFF); }
};

ReadStatus readPolylineFile(const std::string& path, PolylineFile& out);
ReadStatus parsePolylineFile(const std::vector<uint8_t>& bytes, PolylineFile& out);
std::vector<uint8_t> encodePolylineFile(const PolylineFile& file);
bool writePolylineFile(const std::string& path, const PolylineFile& file);

// ---- Point file (tag ".dat", version 2): point.dat, always 208 bytes
constexpr int kMaxPoints = 8;

struct PointRecord {
    uint8_t direction = 0; // 1 = branches for forward running, 2 = backward, 0 = not working
    uint8_t terminal = 0;  // 1 = ends a siding
    uint8_t linked = 0;    // 1 = the next point switches together with this one
    uint8_t number = 0;    // 1-based point number
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const PointRecord&) const = default;
};

struct PointFile {
    int count = 0; // 0..8 records in use
    std::array<PointRecord, kMaxPoints> records{};
};

ReadStatus readPointFile(const std::string& path, PointFile& out);
ReadStatus parsePointFile(const std::vector<uint8_t>& bytes, PointFile& out);
std::vector<uint8_t> encodePointFile(const PointFile& file);
bool writePointFile(const std::string& path, const PointFile& file);

// ---- Control point file (tag ".cnt", version 3): control.dat
constexpr int kMaxControlPoints = 16;

struct ControlPointRecord {
    int16_t direction = 0; // 0 both, 1 clockwise, 2 counter-clockwise
    int32_t x = 0;
    int32_t y = 0;
    uint8_t trackAction = 0; // 0 none, 1 straight/open, 2 branch/close, 7 stop, 8 reverse
    uint8_t point = 0;       // 0 = point 1, ...
    uint8_t option = 0;      // 0 none, 1 off, 2 on
    uint8_t relay = 0;       // 0..3 = relay 7..10
    uint8_t sound = 0;       // 0 none, 1 stop, 2 play, 3 play repeatedly
    uint8_t soundNumber = 0; // 1-based
    bool operator==(const ControlPointRecord&) const = default;
};

struct ControlPointFile {
    std::vector<ControlPointRecord> records; // at most kMaxControlPoints
};

ReadStatus readControlPointFile(const std::string& path, ControlPointFile& out);
ReadStatus parseControlPointFile(const std::vector<uint8_t>& bytes, ControlPointFile& out);
std::vector<uint8_t> encodeControlPointFile(const ControlPointFile& file);
bool writeControlPointFile(const std::string& path, const ControlPointFile& file);

// ---- Sensor file (tag ".sen", version 1): sensor.dat
constexpr int kMaxSensors = 8;

struct SensorRecord {
    int32_t x = 0;
    int32_t y = 0;
    int32_t sensitivity = 75; // 0..99
    bool operator==(const SensorRecord&) const = default;
};

struct SensorFile {
    std::vector<SensorRecord> records; // at most kMaxSensors
};

ReadStatus readSensorFile(const std::string& path, SensorFile& out);
ReadStatus parseSensorFile(const std::vector<uint8_t>& bytes, SensorFile& out);
std::vector<uint8_t> encodeSensorFile(const SensorFile& file);
bool writeSensorFile(const std::string& path, const SensorFile& file);

// ---- Crossing file (tag ".crs", version 1): cross.dat
constexpr int kMaxCrossings = 4;

struct CrossingRecord {
    int32_t barrier = 0;         // 0/1: has barrier arms
    int32_t lights = 0;          // 0/1: has warning lights
    std::array<Point, 2> arm1{}; // pivot, tip
    std::array<Point, 2> arm2{};
    std::array<Point, 4> lamp{}; // lights 1..4
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int32_t drive = 1; // 1..6 point output, 7..10 option relay
    bool operator==(const CrossingRecord&) const = default;
};

struct CrossingFile {
    std::vector<CrossingRecord> records; // at most kMaxCrossings
};

ReadStatus readCrossingFile(const std::string& path, CrossingFile& out);
ReadStatus parseCrossingFile(const std::vector<uint8_t>& bytes, CrossingFile& out);
std::vector<uint8_t> encodeCrossingFile(const CrossingFile& file);
bool writeCrossingFile(const std::string& path, const CrossingFile& file);

// A new crossing as the editor places it, its rectangle already set.
CrossingRecord defaultCrossing();
// Sets the rectangle the crossing animation redraws: the bounding box of the
// points in use (arms with barriers, lights with lights), widened by 8
// pixels and clamped to the picture.
void updateCrossingRect(CrossingRecord& record);

// ---- Vertex file of the working folder (tag ".pos", versions 1 and 2)
struct VertexRecord {
    int32_t x = 0;
    int32_t y = 0;
    int32_t angle = 0;     // degrees about the picture centre, 0..359
    uint8_t pointMark = 0; // 0 none, 1 forward, 2 backward (outer loop: home mark)
    uint8_t terminal = 0;
    uint8_t linked = 0;
    int32_t curveX = -1; // -1 no curve, 0 centre to compute, > 0 computed centre
    int32_t curveY = 0;
    bool operator==(const VertexRecord&) const = default;
};

constexpr int kMaxVertexRecords = 65536;

struct VertexFile {
    std::vector<VertexRecord> outer;
    std::vector<VertexRecord> siding;
};

// The stored angle of a vertex: 180 + atan2 of (x - 320, y - 240), cut
// towards zero, 360 stored as 0.
int32_t vertexAngle(int32_t x, int32_t y);

ReadStatus readVertexFile(const std::string& path, VertexFile& out);
ReadStatus parseVertexFile(const std::vector<uint8_t>& bytes, VertexFile& out);
std::vector<uint8_t> encodeVertexFile(const VertexFile& file);
bool writeVertexFile(const std::string& path, const VertexFile& file);

// ---- Mask file of the working folder (tag ".msk", version 1)
constexpr int kMaxMaskRecords = 32;

struct MaskRecord {
    std::array<Point, 4> corners{};
    int32_t width = 0; // 0: the corners as stored; > 0: a band along corner 1 -> corner 2
    bool operator==(const MaskRecord&) const = default;
};

struct MaskFile {
    std::vector<MaskRecord> records; // at most kMaxMaskRecords
};

ReadStatus readMaskFile(const std::string& path, MaskFile& out);
ReadStatus parseMaskFile(const std::vector<uint8_t>& bytes, MaskFile& out);
std::vector<uint8_t> encodeMaskFile(const MaskFile& file);
bool writeMaskFile(const std::string& path, const MaskFile& file);

// The quadrilateral a mask record becomes on export.
std::array<Point, 4> maskQuadrilateral(const MaskRecord& record);
// All records as an exported polyline file (each a closed 4-vertex polyline, no home).
PolylineFile maskToPolylines(const MaskFile& file);

// ---- turntable.ini
struct TurntableSettings {
    int size = 0;  // radius; 0 or less: no turntable
    int range = 0; // squared distance
    Point position{};
    std::vector<int> lineAngles; // up to 5
    bool present() const { return size > 0; }
};

// Absent keys take their defaults; a missing file means no turntable.
TurntableSettings readTurntableSettings(const std::string& path);
// The leading comma-separated integers of a value, at most maxCount; the
// list ends at the first item that is not a number.
std::vector<int> parseIntList(const std::string& text, size_t maxCount);

} // namespace layoutdata
