#include "vardo/operation/simulation.h"

#include "vardo/layout/layout_model.h"

#include <algorithm>
#include <chrono>

namespace vardo {

using Clock = std::chrono::steady_clock;

Simulation::Simulation(Controller& controller, SpeedControl& speed, TrainState& trains)
    : controller_(controller), speed_(speed), trains_(trains)
{
    for (auto& c : cars_)
        c = -1;
}

Simulation::~Simulation() { stop(); }

void Simulation::setCarCount(int cars) { carCount_ = std::clamp(cars, 1, kMaxCars); }

int Simulation::carPosition(int car) const
{
    return car >= 0 && car < kMaxCars ? cars_[size_t(car)].load() : -1;
}

bool Simulation::start(int trackPosition)
{
    std::lock_guard guard(startStopMutex_);
    layout::LayoutModel* model = controller_.model();
    if (!model || model->track().positionCount() == 0 || running_.exchange(true))
        return false;
    int lead = trackPosition;
    if (lead < 0 || lead >= model->track().positionCount())
        lead = std::max(0, model->positions().homeIndex);
    placeCars(lead);
    controller_.simulation = true;
    // The lap angle counts from where the train stands, without a jump.
    const layoutdata::Point at = model->track().position(lead);
    trains_.previousAngle = lapAngleOf(at.x, at.y);
    publish(lead);
    {
        std::lock_guard lock(wakeMutex_);
        stopping_ = false;
    }
    thread_ = std::thread(&Simulation::run, this);
    return true;
}

void Simulation::stop()
{
    std::lock_guard guard(startStopMutex_);
    {
        std::lock_guard lock(wakeMutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
    running_ = false;
    controller_.simulation = false;
}

int Simulation::carSpacing() const
{
    const layout::LayoutModel* model = controller_.model();
    const bool coupled = !model || model->trainConnect != 0;
    return coupled ? carLength_ : carLength_ + carLength_ / 2;
}

void Simulation::placeCars(int lead)
{
    const int spacing = carSpacing();
    const layout::LayoutModel& model = *controller_.model();
    std::lock_guard lock(controller_.trackMutex());
    int at = lead;
    for (int car = 0; car < kMaxCars; ++car) {
        if (car >= carCount_) {
            cars_[size_t(car)] = -1;
            continue;
        }
        if (car > 0) {
            // Back along the track until the car is a gap away from the one ahead.
            const layoutdata::Point ahead = model.track().position(at);
            for (int n = 0; n < model.track().positionCount(); ++n) {
                const int p = model.previous(at);
                if (p < 0)
                    break;
                at = p;
                if (layout::squaredDistance(model.track().position(at), ahead.x, ahead.y) >
                    spacing * spacing)
                    break;
            }
        }
        cars_[size_t(car)] = at;
    }
}

double Simulation::plannedStepMs() const
{
    if (!controller_.running())
        return kIdleStepMs;
    const double speed = speed_.present();
    if (speed <= 0)
        return kLongestStepMs;
    return std::min<double>(kLongestStepMs, stepTimeMs_ / speed);
}

void Simulation::step()
{
    // A fade goes on while the train stands, as the speed lever would.
    speed_.fadeStep();
    if (!controller_.running())
        return;
    const layout::LayoutModel& model = *controller_.model();
    const bool backward = controller_.backward();
    int lead = cars_[0].load();
    {
        std::lock_guard lock(controller_.trackMutex());
        const int front = backward ? carCount_ - 1 : 0;
        const int frontAt = cars_[size_t(front)].load();
        // The front car at the end of the track, or in front of a turntable
        // that is not aligned: the train stands.
        const bool free = (backward ? model.previous(frontAt) : model.next(frontAt)) >= 0;
        if (free && !heldAtTurntable(frontAt, backward)) {
            for (int car = 0; car < carCount_; ++car) {
                const int at = cars_[size_t(car)].load();
                const int to = backward ? model.previous(at) : model.next(at);
                if (to >= 0)
                    cars_[size_t(car)] = to;
            }
        }
        lead = cars_[0].load();
    }
    publish(lead);
}

bool Simulation::heldAtTurntable(int lead, bool backward) const
{
    const layout::TurntableData& table = controller_.model()->turntable;
    if (!table.present || !turntableTrack_)
        return false;
    const int approach = backward ? table.approachBackward : table.approachForward;
    const int aligned = backward ? 0 : 4;
    return lead == approach && turntableTrack_() != aligned;
}

void Simulation::publish(int lead)
{
    const layoutdata::Point p = controller_.model()->track().position(lead);
    const int train = trains_.current.load();
    trains_.setPosition(train, p.x, p.y);
    trains_.nearest = lead;
    trains_.updateLapAngle(p.x, p.y, controller_.backward());
    const int angle = trains_.accumulatedAngle.load();
    if (publisher_ && publisher_->isOpen())
        publisher_->publishPosition(p.x, p.y, angle / 360, angle % 360);
    if (observer_)
        observer_->positionChanged(p.x, p.y, lead, angle / 360);
    trains_.positionEvent.set();
    trains_.controlPointEvent.set();
}

void Simulation::run()
{
    auto due = Clock::now();
    auto last = due;
    double planned = plannedStepMs();
    std::unique_lock lock(wakeMutex_);
    while (!stopping_) {
        due += std::chrono::microseconds(int64_t(planned * 1000));
        const auto now = Clock::now();
        // After a long stall the next step is planned from now, not in a burst.
        if (due < now)
            due = now;
        if (wake_.wait_until(lock, due, [this] { return stopping_; }))
            break;
        lock.unlock();
        const auto stepped = Clock::now();
        if (stepHook_)
            stepHook_(planned, std::chrono::duration<double, std::milli>(stepped - last).count());
        last = stepped;
        step();
        planned = plannedStepMs();
        lock.lock();
    }
}

} // namespace vardo
