// The waits of the control loop. Each ends early when operation stops (both
// events are set and `operating` is cleared) or a chain head preempts it.
#include "vardo/layout/layout_model.h"
#include "vardo/operation/control_loop.h"

namespace vardo {

namespace {

long long squared(long long dx, long long dy) { return dx * dx + dy * dy; }

bool known(const TrainState::Position& p) { return p.x != kUnknownPosition; }

} // namespace

TrainState::Position Operation::trainPosition() const
{
    return trains_.position(trains_.current.load());
}

void Operation::waitTime(int ms)
{
    if (ms > 0 && !interrupted())
        progressEvent.wait(ms);
}

void Operation::waitLapsAndDistance(int laps, int distance)
{
    waitActive_ = true;
    bool lapPhase = laps > 0;
    bool first = true;
    int a0 = 0;
    TrainState::Position p0;
    while (!interrupted() && waitActive_) {
        trains_.positionEvent.wait();
        if (interrupted() || !waitActive_)
            break;
        if (lapPhase) {
            const int angle = trains_.accumulatedAngle.load();
            if (first) {
                a0 = angle;
                first = false;
                continue;
            }
            if (angle <= a0 + laps * 360)
                continue;
            if (distance <= 0)
                break;
            p0 = trainPosition();
            lapPhase = false;
            continue;
        }
        const TrainState::Position p = trainPosition();
        if (first) {
            p0 = p;
            first = false;
            continue;
        }
        if (known(p) && known(p0) &&
            squared(p.x - p0.x, p.y - p0.y) > (long long)distance * distance)
            break;
        if (!known(p0))
            p0 = p;
    }
    waitActive_ = false;
}

void Operation::waitForPosition(layoutdata::Point target)
{
    const long long range = settings().positionRange;
    waitActive_ = true;
    while (!interrupted() && waitActive_) {
        trains_.positionEvent.wait();
        if (interrupted() || !waitActive_)
            break;
        const TrainState::Position p = trainPosition();
        if (known(p) && squared(p.x - target.x, p.y - target.y) <= range * range)
            break;
    }
    waitActive_ = false;
}

void Operation::waitAwayFrom(int k, int distance)
{
    if (!model_ || k >= model_->pointRecordCount())
        return;
    const long long limit = (long long)distance * distance;
    const auto& point = model_->point(k).record;
    const bool partner = point.linked && k + 1 < model_->pointRecordCount();
    const auto& other = model_->point(partner ? k + 1 : k).record;
    waitActive_ = true;
    while (!interrupted() && waitActive_) {
        trains_.positionEvent.wait();
        if (interrupted() || !waitActive_)
            break;
        const TrainState::Position p = trainPosition();
        if (squared(p.x - point.x, p.y - point.y) > limit &&
            squared(p.x - other.x, p.y - other.y) > limit)
            break;
    }
    waitActive_ = false;
}

void Operation::waitForSensor(int sensor, int timeoutSeconds)
{
    if (controller_.simulation) {
        if (!model_ || sensor < 0 || size_t(sensor) >= model_->sensors.records.size())
            return;
        const auto& s = model_->sensors.records[size_t(sensor)];
        waitForPosition({s.x, s.y});
        return;
    }
    if (!ext_ || !ext_->isOpen() || !ext_->beginSensorWait(sensor, timeoutSeconds))
        return;
    const int polls = (timeoutSeconds + 1) * 10;
    for (int i = 0; i < polls && !interrupted(); ++i) {
        if (ext_->sensorAnswered())
            return;
        progressEvent.wait(kSensorPollMs);
    }
}

} // namespace vardo
