#pragma once
// Frames, layouts and a recording control side, all built in code.
#include "vardo/layout/layout_model.h"
#include "vardo/vision/detection_host.h"

#include <cmath>
#include <cstdint>
#include <mutex>
#include <vector>

namespace vision_fixtures {

using layoutdata::Point;

// A bottom-up BGR24 frame addressed with y counted from the top.
struct Frame {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bytes;

    Frame(int w, int h, uint8_t grey = 40) : width(w), height(h), bytes(size_t(w) * h * 3, grey) {}

    uint8_t* at(int x, int y) { return &bytes[(size_t(height - 1 - y) * width + x) * 3]; }
    void set(int x, int y, uint8_t b, uint8_t g, uint8_t r)
    {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return;
        uint8_t* p = at(x, y);
        p[0] = b;
        p[1] = g;
        p[2] = r;
    }
    // Rectangle with its top-left corner at (x, y).
    void fill(int x, int y, int w, int h, uint8_t value = 220)
    {
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i)
                set(i, j, value, value, value);
    }
};

inline std::vector<Point> ellipse(int cx, int cy, int rx, int ry, int count)
{
    std::vector<Point> l;
    for (int i = 0; i < count; ++i) {
        double a = 2 * 3.141592653589793 * i / count;
        l.push_back(
            {int(std::lround(cx + rx * std::cos(a))), int(std::lround(cy + ry * std::sin(a)))});
    }
    return l;
}

inline std::vector<Point> straight(Point a, Point b, int count)
{
    std::vector<Point> l;
    for (int i = 0; i < count; ++i)
        l.push_back({a.x + (b.x - a.x) * i / (count - 1), a.y + (b.y - a.y) * i / (count - 1)});
    return l;
}

inline layoutdata::PolylineFile polylines(const std::vector<std::vector<Point>>& lines)
{
    layoutdata::PolylineFile f;
    for (const auto& l : lines) {
        f.vertexCounts.push_back(int32_t(l.size()));
        f.vertices.insert(f.vertices.end(), l.begin(), l.end());
    }
    return f;
}

// An oval outer loop round the picture centre, optionally with one siding
// (direction 1) hanging off it.
inline void buildOval(vardo::layout::LayoutModel& m, bool siding = false)
{
    std::vector<std::vector<Point>> lines{ellipse(320, 240, 250, 180, 1400)};
    layoutdata::PointFile points;
    if (siding) {
        lines.push_back(straight({570, 240}, {600, 420}, 100));
        points.count = 1;
        points.records[0].direction = 1;
        points.records[0].number = 1;
        points.records[0].x = 570;
        points.records[0].y = 240;
    }
    m.setTrack(polylines(lines));
    m.setPoints(points);
    m.findJunctions();
    m.buildLinks();
}

// The control side, recorded.
class FakeHost : public vardo::vision::FrameGate,
                 public vardo::vision::ControlSide,
                 public vardo::vision::PositionOutput,
                 public vardo::vision::TurntableSide,
                 public vardo::vision::PassPointDisplay {
public:
    // Every role played by this one recorder; the outside program only
    // takes what is published while `sdk` is set.
    vardo::vision::DetectionHost roles() { return {*this, *this, this, this, this}; }

    using DisplayMode = vardo::vision::DisplayMode;
    using DisplaySubMode = vardo::vision::DisplaySubMode;

    bool videoRunning() const override { return video; }
    bool simulationMode() const override { return simulation; }
    DisplayMode displayMode() const override { return mode; }
    DisplaySubMode displaySubMode() const override { return subMode; }
    int controllerState() const override { return state; }
    bool programRunning() const override { return program; }
    void stopOperation() override
    {
        std::lock_guard lock(mutex);
        ++stopOperations;
    }
    void performAction(int action) override
    {
        std::lock_guard lock(mutex);
        actions.push_back(action);
    }
    bool speedControlEnabled() const override { return speedControl; }
    void setSpeed(double fraction) override
    {
        std::lock_guard lock(mutex);
        speeds.push_back(fraction);
    }
    bool extendedPointMode1() const override { return pointMode1; }
    bool windowAttached() const override { return sdkWindow; }
    bool boundingBoxMode() const override { return boundingBoxModeOn; }
    void publishPosition(int x, int y, int laps, int remainder) override
    {
        if (sdk)
            published.push_back({x, y, laps, remainder});
    }
    void publishBoundingBox(int a, int b, int c, int d) override
    {
        if (sdk)
            boxes.push_back({a, b, c, d});
    }
    int autoStopSetting() const override { return autoStop; }
    int turnServoSetting() const override { return turnServo; }
    int autoStopLatch() const override { return latch; }
    void setAutoStopLatch(int value) override { latch = value; }
    bool turntableTrackSelected(int button) const override { return button == selectedTrack; }
    bool dialogOpen() const override { return parameterDialog; }
    void showPassPointCount(int count) override { passCounts.push_back(count); }

    std::vector<int> actionsSeen()
    {
        std::lock_guard lock(mutex);
        return actions;
    }

    bool video = true;
    bool simulation = false;
    DisplayMode mode = DisplayMode::Live;
    DisplaySubMode subMode = DisplaySubMode::Centroid;
    int state = 0;
    bool program = false;
    bool speedControl = false;
    bool pointMode1 = false;
    bool sdk = false;
    bool sdkWindow = false;
    bool boundingBoxModeOn = false;
    int autoStop = 0;
    int turnServo = 0;
    int latch = 0;
    int selectedTrack = 0;
    bool parameterDialog = false;

    std::mutex mutex;
    int stopOperations = 0;
    std::vector<int> actions;
    std::vector<double> speeds;
    std::vector<std::array<int, 4>> published;
    std::vector<std::array<int, 4>> boxes;
    std::vector<int> passCounts;
};

} // namespace vision_fixtures
