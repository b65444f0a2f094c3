#include "vardo/operation/control_points.h"

#include "vardo/layout/layout_model.h"

#include <algorithm>

namespace vardo {

namespace {

constexpr int kStopAction = 7;
constexpr int kReverseAction = 8;
constexpr int kFirstRelay = 7;

bool directionMatches(int direction, bool backward)
{
    return direction == 0 || (direction == 1 && !backward) || (direction == 2 && backward);
}

} // namespace

ControlPoints::ControlPoints(Controller& controller, TrainState& trains, SoundCalls& sounds)
    : controller_(controller), trains_(trains), sounds_(sounds)
{
}

ControlPoints::~ControlPoints() { stopWatcher(); }

void ControlPoints::setRecords(const std::vector<layoutdata::ControlPointRecord>& records)
{
    count_ = int(std::min<size_t>(records.size(), kMax));
    for (int i = 0; i < kMax; ++i) {
        records_[size_t(i)] = i < count_ ? records[size_t(i)] : layoutdata::ControlPointRecord{};
        states_[size_t(i)] = Idle;
        holds_[size_t(i)] = false;
    }
}

bool ControlPoints::startWatcher()
{
    if (watching_.exchange(true))
        return false;
    thread_ = std::thread(&ControlPoints::run, this);
    return true;
}

void ControlPoints::stopWatcher()
{
    watching_ = false;
    trains_.controlPointEvent.set();
    if (thread_.joinable())
        thread_.join();
}

void ControlPoints::run()
{
    while (watching_) {
        trains_.controlPointEvent.wait();
        if (!watching_)
            break;
        check();
    }
}

bool ControlPoints::applies(int i, bool backward) const
{
    if (states_[size_t(i)] == FireNow)
        return true;
    const auto& r = records_[size_t(i)];
    if (!directionMatches(r.direction, backward))
        return false;
    const TrainState::Position p = trains_.position(trains_.current.load());
    if (p.x == kUnknownPosition)
        return false;
    const long long dx = p.x - r.x, dy = p.y - r.y, range = range_.load();
    return dx * dx + dy * dy <= range * range;
}

void ControlPoints::check()
{
    const bool trusted = controller_.simulation || (calibrated_ && calibrated_());
    if (!trusted || !controller_.running())
        return;
    const bool backward = controller_.backward();
    for (int i = 0; i < count_; ++i) {
        if (!applies(i, backward)) {
            states_[size_t(i)] = Idle;
            holds_[size_t(i)] = false;
            continue;
        }
        const int before = states_[size_t(i)].load();
        if (before == Fired)
            continue;
        fire(i, before == FireNow);
        states_[size_t(i)] = Fired;
    }
}

void ControlPoints::fire(int i, bool now)
{
    const auto& r = records_[size_t(i)];
    if (OperationObserver* observer = controller_.observer())
        observer->controlPointFired(i);
    trackAction(r, now);
    if (r.option == 1 || r.option == 2)
        controller_.setRelay(kFirstRelay + r.relay, r.option == 2);
    soundAction(i);
}

void ControlPoints::trackAction(const layoutdata::ControlPointRecord& r, bool now)
{
    if (r.trackAction == 1 || r.trackAction == 2) {
        const int code = 2 + r.trackAction + 2 * r.point;
        // Points beyond the fourth have no action code (11 and 12 are the lamp).
        if (code > ActionPoint4Branch)
            return;
        if (devices_ && !controller_.simulation && devices_->pointBusy(r.point))
            return;
        controller_.performAction(code);
        return;
    }
    // Stopping or reversing is done only when the train reaches the point.
    if (now)
        return;
    if (r.trackAction == kStopAction)
        controller_.performAction(ActionStop);
    else if (r.trackAction == kReverseAction)
        controller_.performAction(controller_.backward() ? ActionForward : ActionBackward);
}

bool ControlPoints::heldByOther(int i, int number) const
{
    for (int j = 0; j < count_; ++j) {
        if (j != i && holds_[size_t(j)] && records_[size_t(j)].soundNumber == number)
            return true;
    }
    return false;
}

void ControlPoints::soundAction(int i)
{
    const auto& r = records_[size_t(i)];
    switch (r.sound) {
    case 1:
        if (!heldByOther(i, r.soundNumber))
            sounds_.stop(r.soundNumber);
        break;
    case 2:
        sounds_.play(r.soundNumber, false);
        break;
    case 3:
        if (!heldByOther(i, r.soundNumber))
            sounds_.play(r.soundNumber, true);
        holds_[size_t(i)] = true;
        break;
    default:
        break;
    }
}

void ControlPoints::clearSoundHolds()
{
    for (auto& h : holds_)
        h = false;
}

int ControlPoints::slotOf(const layoutdata::ControlPointRecord& record)
{
    if (record.trackAction != 0)
        return record.point < 8 ? record.point : -1;
    if (record.option != 0)
        return record.relay < 4 ? 8 + record.relay : -1;
    return -1;
}

void ControlPoints::prePass(bool backward)
{
    const layout::LayoutModel* model = controller_.model();
    const int train = trains_.nearest.load();
    if (!model || train < 0 || (calibrationRunning_ && calibrationRunning_()))
        return;
    const int length = model->track().positionCount();
    std::array<int, kSlots> best;
    std::array<int, kSlots> bestDistance;
    best.fill(-1);
    bestDistance.fill(0);
    for (int i = 0; i < count_; ++i) {
        const auto& r = records_[size_t(i)];
        const int slot = slotOf(r);
        const int at = model->nearest(r.x, r.y);
        if (slot < 0 || at < 0 || !directionMatches(r.direction, backward))
            continue;
        int distance = backward ? at - train : train - at;
        if (distance < 0)
            distance += length;
        if (best[size_t(slot)] < 0 || distance < bestDistance[size_t(slot)]) {
            best[size_t(slot)] = i;
            bestDistance[size_t(slot)] = distance;
        }
    }
    for (int i : best) {
        if (i >= 0)
            states_[size_t(i)] = FireNow;
    }
}

} // namespace vardo
