#pragma once
// Simulation mode: a train of 1..3 cars stands on track positions and,
// while the controller says running, every car moves one position per step
// in the running direction, following the point settings. Each step sets
// the train position, the lap angle and both position events, as detection
// does for a camera frame. The step takes SPEED / present speed ms (at
// most 1000 ms); a standing train idles in steps of 100 ms.
#include "vardo/operation/controller_action.h"
#include "vardo/base/operation_seams.h"
#include "vardo/operation/speed_control.h"
#include "vardo/base/train_state.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace vardo {

class Simulation {
public:
    static constexpr int kMaxCars = 3;
    static constexpr int kIdleStepMs = 100;
    static constexpr int kLongestStepMs = 1000;

    Simulation(Controller& controller, SpeedControl& speed, TrainState& trains);
    ~Simulation();
    Simulation(const Simulation&) = delete;
    Simulation& operator=(const Simulation&) = delete;

    void setObserver(OperationObserver* observer) { observer_ = observer; }
    void setPublisher(StatusPublisher* publisher) { publisher_ = publisher; }
    // [SIMULATION] SPEED: ms per step at full speed.
    void setStepTime(int ms) { stepTimeMs_ = ms > 0 ? ms : 1; }
    void setCarCount(int cars);
    // Length of one car's figure on the track, in pixels. Coupled cars
    // ([LAYOUT] TRAIN_CONNECT 1) are placed this far apart, so their figures
    // meet; uncoupled cars stand half a car further apart.
    void setCarLength(int pixels) { carLength_ = std::max(1, pixels); }
    // Distance between the positions of neighbouring cars, as the layout's
    // coupling flag stands now.
    int carSpacing() const;
    // Called after every step with the planned and the measured time of the
    // step before it (for the jitter benchmark).
    void setStepHook(std::function<void(double plannedMs, double actualMs)> hook)
    {
        stepHook_ = std::move(hook);
    }
    // On a turntable layout: the track (0-based) the bridge points to. The
    // train waits at the approach position until the bridge is aligned
    // (track 5 running forward, track 1 running backward).
    void setTurntableQuery(std::function<int()> presentTrack)
    {
        turntableTrack_ = std::move(presentTrack);
    }

    // Places the train at the track position (the home point when -1) and
    // starts the thread; switches the controller to simulation mode. False
    // without a track or when it runs already. Safe to call from any thread.
    bool start(int trackPosition = -1);
    void stop();
    bool running() const { return running_.load(); }

    int carPosition(int car) const;
    // The time the next step takes at the present speed and state.
    double plannedStepMs() const;
    // One step of the cars (the thread calls it; tests may call it directly).
    void step();

private:
    void run();
    void placeCars(int lead);
    void publish(int lead);
    bool heldAtTurntable(int lead, bool backward) const;

    Controller& controller_;
    SpeedControl& speed_;
    TrainState& trains_;
    OperationObserver* observer_ = nullptr;
    StatusPublisher* publisher_ = nullptr;
    std::function<void(double, double)> stepHook_;
    std::function<int()> turntableTrack_;
    int stepTimeMs_ = 2;
    int carCount_ = 1;
    int carLength_ = 70; // a 100-pixel figure spans 7/10 of its width
    std::array<std::atomic<int>, kMaxCars> cars_{};

    std::atomic<bool> running_{false};
    std::mutex startStopMutex_; // start and stop may come from different threads
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace vardo
