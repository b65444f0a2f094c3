#pragma once
// Automatic operation: runs a program against the layout on its own thread.
// The loop walks the command chains, waits for time, laps, positions and
// sensors, and turns commands into controller actions. Chain heads that are
// alarms or timers preempt whatever the loop is doing when they fire.
//
// The loop sleeps only on progressEvent (timers, turntable arrival, stop)
// and the train state's positionEvent; stopping sets both, and every wait
// tests `operating`, so a stop ends the loop within one event.
#include "layoutdata/layout_files.h"
#include "vardo/base/frontend.h"
#include "vardo/operation/controller_action.h"
#include "vardo/base/operation_seams.h"
#include "vardo/operation/operation_settings.h"
#include "vardo/operation/program.h"
#include "vardo/operation/sound_calls.h"
#include "vardo/operation/speed_control.h"
#include "vardo/base/train_state.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace vardo {

namespace layout {
class LayoutModel;
}

// Why automatic operation ended.
enum class EndReason {
    None,
    Program,      // EndOfOperation, or the next program of a folder run follows
    Stopped,      // the automatic-operation button, an outside program, shutdown
    SoundFailed,  // a sound of the program could not be prepared
    Emergency,    // the automatic stop at the buffer stops
};

class Operation {
public:
    // Chain-head timers use ids kChainTimerBase + slot, apart from the
    // point (1..8), crossing (7..10), fade (101) and servo (102..110) timers.
    static constexpr int kChainTimerBase = 1000;
    static constexpr int kGuardWaitMs = 1000;
    static constexpr int kSensorPollMs = 100;

    Operation(Frontend& frontend, Controller& controller, SpeedControl& speed, TrainState& trains,
              SoundCalls& sounds, layout::LayoutModel* model);
    ~Operation();
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;

    void setExtended(ExtendedPort* ext) { ext_ = ext; }
    void setObserver(OperationObserver* observer) { observer_ = observer; }
    void setClock(ClockSource clock) { clock_ = std::move(clock); }
    // May change while a program runs (the parameter dialog).
    void setSettings(const OperationSettings& settings);
    OperationSettings settings() const;
    // Whether a folder run is active (its next program follows this one).
    void setFolderRunQuery(std::function<bool()> active) { folderRunActive_ = std::move(active); }
    // Called when the turntable was moved in simulation (for drawing).
    void setTurntableHook(std::function<void(int track, bool reversed)> hook)
    {
        turntableHook_ = std::move(hook);
    }

    // Starts the program (a copy of it runs). False when operation already
    // runs or a sound of the program cannot be prepared.
    bool startOperation(const Program& program);
    void stopOperation(EndReason reason = EndReason::Stopped);
    // Window timers: chain heads. True when the id was one of them.
    bool onTimer(int timerId);
    // The turntable reports its arrival.
    void onTurntableArrived() { progressEvent.set(); }

    bool operating() const { return operating_.load(); }
    // The command being executed (shown highlighted).
    int current() const { return current_.load(); }
    EndReason endReason() const { return endReason_.load(); }
    // Waits until the loop thread has finished its end actions.
    bool waitForEnd(int timeoutMs);
    // Stops operation and joins the loop thread (shutdown).
    void shutdown();

    // ---- an outside program drives the layout
    // Sets or clears the operating flag without a program, so that waits
    // and events run while the outside program controls the train. Clearing
    // it ends every wait (and a running program).
    void setOutsideControl(bool on);
    // The sensor wait of the loop, on the caller's thread. It ends with its
    // timeout, the sensor, or when operation stops; without operation it
    // returns at once.
    void outsideSensorWait(int sensor, int timeoutSeconds);
    // Turns the bridge to track 1..5, reversed or not, as the turntable
    // command of a program does. In simulation without a running program
    // the bridge is there at once.
    void outsideTurntable(int track, bool reversed);

    // The seconds until a chain head fires, 0 when it never does.
    int chainHeadDelay(const ProgramCommand& head) const;
    // The target of a position wait: platform (0), front (1), back (2) or
    // the point (3).
    layoutdata::Point positionTarget(int index, int x, int y) const;

    // Turntable: present track (0-based) and whether it is turned round.
    std::atomic<int> turntableTrack{0};
    std::atomic<bool> turntableReversed{false};

    common::Event progressEvent;

private:
    void run();
    void armTimers();
    void killTimers();
    void endActions();
    // The command after K, -1 at the end of a chain, -2 when the loop must
    // look again (stopped, preempted).
    int successorOf(int k);
    void execute(int index);
    void executeTrainControl(const ProgramCommand& c);
    void executeSwitchPoint(const ProgramCommand& c);
    void executeTurntable(const ProgramCommand& c);

    // Waits; each returns early on a stop or a preemption.
    void waitTime(int ms);
    void waitLapsAndDistance(int laps, int distance);
    void waitForPosition(layoutdata::Point target);
    void waitAwayFrom(int k, int distance);
    void waitForSensor(int sensor, int timeoutSeconds);
    bool interrupted() const;
    TrainState::Position trainPosition() const;

    Frontend& frontend_;
    Controller& controller_;
    SpeedControl& speed_;
    TrainState& trains_;
    SoundCalls& sounds_;
    layout::LayoutModel* model_;
    ExtendedPort* ext_ = nullptr;
    OperationObserver* observer_ = nullptr;
    ClockSource clock_;
    mutable std::mutex settingsMutex_;
    OperationSettings settings_; // guarded by settingsMutex_
    std::function<bool()> folderRunActive_;
    std::function<void(int, bool)> turntableHook_;

    Program program_; // the running copy; only the loop thread changes it
    std::atomic<bool> operating_{false};
    std::atomic<int> current_{0};
    std::atomic<int> preempt_{-1}; // chain head whose timer fired
    std::atomic<bool> waitActive_{false};
    std::atomic<EndReason> endReason_{EndReason::None};
    std::array<std::atomic<bool>, kProgramSlots> armed_{};

    std::mutex threadMutex_; // start, join and the finished flag
    std::condition_variable finishedCv_;
    bool finished_ = true;
    std::thread thread_;
};

} // namespace vardo
