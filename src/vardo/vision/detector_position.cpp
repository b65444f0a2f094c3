// The train position from a detected movement, and the stops that depend
// on it: the turntable approach stop and the end-of-line emergency stop.
#include "vardo/base/command_ids.h"
#include "vardo/vision/debug_files.h"
#include "vardo/vision/detector.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace vardo::vision {

namespace {

long long squared(Point a, Point b)
{
    long long dx = (long long)a.x - b.x, dy = (long long)a.y - b.y;
    return dx * dx + dy * dy;
}

} // namespace

bool Detector::onTrack(int index) const
{
    return index >= 0 && index < layout_.track().positionCount();
}

Point Detector::currentTrainPosition() const
{
    TrainState::Position p = train_.position(train_.current.load());
    return {p.x, p.y};
}

void Detector::trainMoved()
{
    const AnalysisResult& r = *result_;
    const Point mapped = calibration_.CameraToLayout(r.objectCentroid.x, r.objectCentroid.y);
    const int index = layout_.nearest(mapped.x, mapped.y, -1);
    // No track position near enough (or no track): the train keeps its last
    // known place rather than taking a made-up one.
    if (index >= 0) {
        const Point& p = layout_.track().position(index);
        train_.setPosition(train_.current.load(), p.x, p.y);
        train_.nearest.store(index);
        const bool backward = (host_.control.controllerState() & vardo::state::Backward) != 0;
        train_.updateLapAngle(p.x, p.y, backward);
    }
    publish();
    emergencyCountdown_ = settings_.emergencyCount;
    turntableCheck();
    if (settings_.logPosition) {
        const Point p = currentTrainPosition();
        appendPositionLog(programFolder_, p.x, p.y);
    }
    passPointCheck();
}

void Detector::publish()
{
    PositionOutput* out = host_.positions;
    if (!out)
        return;
    const AnalysisResult& r = *result_;
    if (out->boundingBoxMode()) {
        int minX = INT_MAX, minY = INT_MAX, maxX = INT_MIN, maxY = INT_MIN;
        for (int i = 0; i < r.polygons.vertexTotal; ++i) {
            const Point& v = r.polygons.vertices[size_t(i)];
            minX = std::min(minX, v.x);
            minY = std::min(minY, v.y);
            maxX = std::max(maxX, v.x);
            maxY = std::max(maxY, v.y);
        }
        out->publishBoundingBox(minX, minY, maxX, maxY);
        return;
    }
    const Point p = currentTrainPosition();
    const int accumulated = train_.accumulatedAngle.load();
    out->publishPosition(p.x, p.y, accumulated / 360, accumulated % 360);
}

void Detector::turntableCheck()
{
    TurntableSide* turntable = host_.turntable;
    const int autoStop = turntable ? turntable->autoStopSetting() : 0;
    const auto& table = layout_.turntable;
    const int state = host_.control.controllerState();
    const Point train = currentTrainPosition();
    if (autoStop == 0 || !calibration_.calibrated() || outsideWindowAttached() || train.x == 0 ||
        (state & vardo::state::Running) == 0 || !table.present || !onTrack(table.approachForward) ||
        !onTrack(table.approachBackward))
        return;
    const bool backward = (state & vardo::state::Backward) != 0;
    const long long range = (long long)settings_.positionRange * settings_.positionRange;
    const Point a = layout_.track().position(table.approachForward);
    const Point b = layout_.track().position(table.approachBackward);
    if (squared(train, a) < range)
        autoStop_.store(!backward);
    else if (squared(train, b) < range)
        autoStop_.store(backward);
    if (!autoStop_.load() || (turntable->turnServoSetting() & 0x80) == 0)
        return;
    const bool wrongTrack =
        backward ? !turntable->turntableTrackSelected(1) : !turntable->turntableTrackSelected(5);
    if (turntable->autoStopLatch() != 1 && !wrongTrack)
        return;
    emergencyStop(false);
    if (autoStop == 2)
        turntable->setAutoStopLatch(backward ? 3 : 2);
}

void Detector::passPointCheck()
{
    PassPointDisplay* display = host_.passPoints;
    if (!display || !display->dialogOpen())
        return;
    const auto& positions = layout_.positions();
    const Point pass = layout_.track().polylineCount() == 1 ? positions.home : positions.front;
    const long long range = (long long)settings_.positionRange * settings_.positionRange;
    if (squared(currentTrainPosition(), pass) <= range)
        display->showPassPointCount(passPoints_.fetch_add(1) + 1);
}

bool Detector::outsideWindowAttached() const
{
    return host_.positions && host_.positions->windowAttached();
}

void Detector::endOfLineCheck()
{
    const int state = host_.control.controllerState();
    const Point train = currentTrainPosition();
    if (!settings_.emergencyStop || autoStop_.load() || !calibration_.calibrated() ||
        outsideWindowAttached() || train.x == 0 || (state & vardo::state::Running) == 0 ||
        (state & vardo::state::Backward) == 0)
        return;
    if (--emergencyCountdown_ > 0)
        return;
    emergencyCountdown_ = settings_.emergencyCount;
    const long long range = settings_.emergencyRange;
    for (const Point& end : layout_.links().sidingEnds()) {
        if (std::llabs((long long)train.x - end.x) < range &&
            std::llabs((long long)train.y - end.y) < range) {
            emergencyStop(true);
            return;
        }
    }
}

void Detector::emergencyStop(bool notice)
{
    if (host_.control.programRunning())
        host_.control.stopOperation();
    else
        host_.control.performAction(vardo::ActionStop);
    train_.setPosition(train_.current.load(), 0, 0);
    if (notice)
        frontend_.postCommand(cmd::EmergencyStopNotice);
}

} // namespace vardo::vision
