#pragma once
// Control points: places on the layout where a passing train switches a
// point, stops or reverses, switches an option relay or plays a sound. A
// watcher thread looks at every new train position; each control point
// fires once per approach (state 1 while the train is within range) and
// re-arms (state 0) when the train has left. The pre-pass, run when the
// train starts, marks the control points that lie closest behind the train
// (state 2) so that the layout is set as if the train had passed them.
#include "layoutdata/layout_files.h"
#include "vardo/operation/controller_action.h"
#include "vardo/operation/sound_calls.h"
#include "vardo/base/train_state.h"

#include <array>
#include <atomic>
#include <functional>
#include <thread>

namespace vardo {

class ControlPoints {
public:
    enum State : int { Idle = 0, Fired = 1, FireNow = 2 };
    static constexpr int kMax = layoutdata::kMaxControlPoints;
    // Slots 0..7 for the points, 8..11 for the option relays 7..10.
    static constexpr int kSlots = 12;

    ControlPoints(Controller& controller, TrainState& trains, SoundCalls& sounds);
    ~ControlPoints();
    ControlPoints(const ControlPoints&) = delete;
    ControlPoints& operator=(const ControlPoints&) = delete;

    void setDevices(ControllerDevices* devices) { devices_ = devices; }
    void setPositionRange(int pixels) { range_ = pixels; }
    // Whether positions can be trusted (a valid calibration); simulation
    // positions always can.
    void setCalibrated(std::function<bool()> calibrated) { calibrated_ = std::move(calibrated); }
    // Whether a calibration run is in progress: the train then runs to
    // measure the layout, and the pre-pass must not fire control points.
    void setCalibrationRunning(std::function<bool()> running)
    {
        calibrationRunning_ = std::move(running);
    }

    // The records of the layout; states start idle.
    void setRecords(const std::vector<layoutdata::ControlPointRecord>& records);
    int count() const { return count_; }

    // The watcher runs while the control-point function is on.
    bool startWatcher();
    void stopWatcher();
    bool watching() const { return watching_.load(); }

    // One look at the present train position (the watcher does this on
    // every control-point event).
    void check();
    // Marks, per slot, the control point closest behind the train; nothing
    // while a calibration run is in progress.
    void prePass(bool backward);
    // The slot of a control point, -1 when it has nothing to set.
    static int slotOf(const layoutdata::ControlPointRecord& record);

    int state(int i) const { return states_[size_t(i)].load(); }
    // StopAllSounds forgets which control point holds a repeating sound.
    void clearSoundHolds();

private:
    void run();
    bool applies(int i, bool backward) const;
    void fire(int i, bool now);
    void trackAction(const layoutdata::ControlPointRecord& r, bool now);
    void soundAction(int i);
    bool heldByOther(int i, int number) const;

    Controller& controller_;
    TrainState& trains_;
    SoundCalls& sounds_;
    ControllerDevices* devices_ = nullptr;
    std::function<bool()> calibrated_;
    std::function<bool()> calibrationRunning_;
    std::atomic<int> range_{32};
    std::array<layoutdata::ControlPointRecord, kMax> records_{};
    int count_ = 0;
    std::array<std::atomic<int>, kMax> states_{};
    std::array<std::atomic<bool>, kMax> holds_{};

    std::atomic<bool> watching_{false};
    std::thread thread_;
};

} // namespace vardo
