#pragma once
// Layouts, programs and recorders for the operation tests, all built in code.
#include "recording_frontend.h"
#include "vardo/layout/layout_model.h"
#include "vardo/operation/control_loop.h"
#include "vardo/operation/control_points.h"
#include "vardo/operation/simulation.h"

#include <chrono>
#include <cmath>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace optest {

using layoutdata::Point;
using Line = std::vector<Point>;

inline Line ellipseLine(int cx, int cy, int rx, int ry, int count)
{
    Line l;
    for (int i = 0; i < count; ++i) {
        const double a = 2 * 3.141592653589793 * i / count;
        l.push_back({int(std::lround(cx + rx * std::cos(a))), int(std::lround(cy + ry * std::sin(a)))});
    }
    return l;
}

inline Line straightLine(Point a, Point b, int count)
{
    Line l;
    for (int i = 0; i < count; ++i)
        l.push_back({a.x + (b.x - a.x) * i / (count - 1), a.y + (b.y - a.y) * i / (count - 1)});
    return l;
}

// An outer loop of `count` positions about the picture centre and, when
// asked, one dead-end siding leaving the bottom of the loop for forward
// running, with its point (number 1, direction 1).
inline void buildLayout(vardo::layout::LayoutModel& m, int count, bool siding,
                        bool coupledSecondPoint = false)
{
    layoutdata::PolylineFile track;
    std::vector<Line> lines{ellipseLine(320, 240, 200, 150, count)};
    if (siding)
        lines.push_back(straightLine({305, 396}, {200, 450}, 30));
    for (const Line& l : lines) {
        track.vertexCounts.push_back(int32_t(l.size()));
        track.vertices.insert(track.vertices.end(), l.begin(), l.end());
    }
    m.setTrack(track);
    layoutdata::PointFile points;
    if (siding) {
        points.count = coupledSecondPoint ? 2 : 1;
        points.records[0] = {1, 0, uint8_t(coupledSecondPoint ? 1 : 0), 1, 320, 390};
        points.records[1] = {0, 0, 0, 2, 120, 240};
    }
    m.setPoints(points);
    m.findJunctions();
    m.buildLinks();
    m.computeHomePositions("/nonexistent/VARDO.ini", "/nonexistent/option.ini");
}

// Program building: commands appended in slot order, chained as asked.
class ProgramBuilder {
public:
    ProgramBuilder() { program.reset(); }

    // Appends a command after `after` (-1: a new chain head); its slot.
    int add(vardo::CommandKind kind, int option, int value1, int value2, int after)
    {
        const int slot = program.count++;
        vardo::ProgramCommand& c = program.commands[size_t(slot)];
        c = {};
        c.kind = uint8_t(kind);
        c.option = uint8_t(option);
        c.value1 = int16_t(value1);
        c.value2 = int16_t(value2);
        c.prev = int16_t(after);
        c.next = -1;
        c.link = -1;
        if (after >= 0)
            program.commands[size_t(after)].next = int16_t(slot);
        return slot;
    }
    // Appends to the chain that ends with `last`.
    int then(vardo::CommandKind kind, int option = 0, int value1 = 0, int value2 = 0)
    {
        last = add(kind, option, value1, value2, last);
        return last;
    }
    void link(int from, int to) { program.commands[size_t(from)].link = int16_t(to); }

    vardo::Program program;
    int last = 0;
};

struct Trace {
    struct Command {
        int index, kind, option, value1, value2;
        int angle;
        Point position;
    };
    std::vector<Command> commands;
    std::vector<std::pair<int, bool>> actions;
    std::vector<std::tuple<int, bool, bool>> relays;
    std::vector<std::string> sounds;
    std::vector<int> controlPoints;
    int positions = 0;
};

// Records everything operation reports, from any thread.
class RecordingObserver : public vardo::OperationObserver {
public:
    explicit RecordingObserver(vardo::TrainState& trains) : trains_(trains) {}

    void commandExecuted(int index, int kind, int option, int value1, int value2) override
    {
        const auto p = trains_.position(0);
        std::lock_guard lock(mutex_);
        trace_.commands.push_back(
            {index, kind, option, value1, value2, trains_.accumulatedAngle.load(), {p.x, p.y}});
    }
    void actionPerformed(int code, bool sent) override
    {
        std::lock_guard lock(mutex_);
        trace_.actions.push_back({code, sent});
    }
    void relaySet(int relay, bool on, bool sent) override
    {
        std::lock_guard lock(mutex_);
        trace_.relays.push_back({relay, on, sent});
    }
    void soundCalled(const char* call, int number, bool loop) override
    {
        std::lock_guard lock(mutex_);
        trace_.sounds.push_back(std::string(call) + " " + std::to_string(number) +
                                (loop ? " loop" : ""));
    }
    void positionChanged(int, int, int, int) override
    {
        std::lock_guard lock(mutex_);
        ++trace_.positions;
    }
    void controlPointFired(int index) override
    {
        std::lock_guard lock(mutex_);
        trace_.controlPoints.push_back(index);
    }

    Trace trace() const
    {
        std::lock_guard lock(mutex_);
        return trace_;
    }
    std::vector<int> commandIndexes() const
    {
        std::vector<int> out;
        for (const auto& c : trace().commands)
            out.push_back(c.index);
        return out;
    }
    std::vector<int> actionCodes() const
    {
        std::vector<int> out;
        for (const auto& a : trace().actions)
            out.push_back(a.first);
        return out;
    }
    void clear()
    {
        std::lock_guard lock(mutex_);
        trace_ = {};
    }

private:
    vardo::TrainState& trains_;
    mutable std::mutex mutex_;
    Trace trace_;
};

class RecordingDevices : public vardo::ControllerDevices {
public:
    bool connected() const override { return true; }
    bool sendAction(int code) override
    {
        std::lock_guard lock(mutex);
        actions.push_back(code);
        return true;
    }
    bool setRelay(int relay, bool on) override
    {
        std::lock_guard lock(mutex);
        relays.push_back(on ? relay : -relay);
        return true;
    }
    bool pointBusy(int k) const override { return k == busyPoint; }

    mutable std::mutex mutex;
    std::vector<int> actions;
    std::vector<int> relays; // negative: off
    int busyPoint = -1;
};

class RecordingSound : public vardo::SoundPort {
public:
    int prepareSound(int number) override
    {
        std::lock_guard lock(mutex);
        calls.push_back("prepare " + std::to_string(number));
        return number == failingNumber ? -1 : 0;
    }
    int playSound(int number, bool loop) override
    {
        std::lock_guard lock(mutex);
        calls.push_back("play " + std::to_string(number) + (loop ? " loop" : ""));
        return 0;
    }
    void stopSound(int number) override
    {
        std::lock_guard lock(mutex);
        calls.push_back("stop " + std::to_string(number));
    }
    void stopAllSounds() override
    {
        std::lock_guard lock(mutex);
        calls.push_back("stopAll");
    }
    std::vector<std::string> taken()
    {
        std::lock_guard lock(mutex);
        return calls;
    }

    std::mutex mutex;
    std::vector<std::string> calls;
    int failingNumber = -1;
};

class RecordingExtended : public vardo::ExtendedPort {
public:
    bool isOpen() const override { return open; }
    bool drivesSpeed() const override { return speedOutput; }
    void setSpeed(double fraction, int direction) override
    {
        std::lock_guard lock(mutex);
        speeds.push_back(int(std::lround(fraction * 100)) * direction);
    }
    bool beginSensorWait(int sensor, int timeoutSeconds) override
    {
        std::lock_guard lock(mutex);
        sensorWaits.push_back(sensor * 10000 + timeoutSeconds);
        return true;
    }
    bool sensorAnswered() override
    {
        std::lock_guard lock(mutex);
        ++polls;
        return answerAfterPolls >= 0 && polls > answerAfterPolls;
    }
    void turnTable(int track, bool reversed) override
    {
        std::lock_guard lock(mutex);
        turns.push_back(reversed ? -track : track);
    }
    std::vector<int> turnsTaken()
    {
        std::lock_guard lock(mutex);
        return turns;
    }

    bool open = true;
    bool speedOutput = false;
    int answerAfterPolls = -1;
    std::mutex mutex;
    std::vector<int> speeds;
    std::vector<int> sensorWaits;
    std::vector<int> turns;
    int polls = 0;
};

// Everything operation needs, wired as the application wires it.
struct Rig {
    explicit Rig(int loopPositions = 200, bool siding = false, bool coupled = false)
    {
        buildLayout(model, loopPositions, siding, coupled);
        controller.setDevices(&devices);
        controller.setObserver(&observer);
        sounds.setPort(&sound);
        sounds.setObserver(&observer);
        operation.setObserver(&observer);
        operation.setExtended(&ext);
        speed.setExtended(&ext);
        ext.open = false;
        controlPoints.setDevices(&devices);
        controller.setTrainStartHook([this](bool backward) {
            if (prePass)
                controlPoints.prePass(backward);
        });
        simulation.setStepTime(1);
        frontend.setTimerHandler([this](int id) {
            if (!operation.onTimer(id))
                speed.onTimer(id);
        });
    }
    ~Rig()
    {
        operation.shutdown();
        controlPoints.stopWatcher();
        simulation.stop();
    }

    // Sets a train position and waits until a waiter has taken the event.
    void feed(int x, int y)
    {
        trains.setPosition(0, x, y);
        trains.updateLapAngle(x, y, controller.backward());
        trains.positionEvent.set();
        for (int i = 0; i < 2000 && trains.positionEvent.isSet(); ++i)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }

    // Feeds a position that must not end the wait, and proves the waiter
    // dealt with it: the same position once more is taken only by a waiter
    // that went back to waiting. False when nobody took it (the wait ended).
    bool feedStillWaiting(int x, int y)
    {
        feed(x, y);
        trains.positionEvent.set();
        return eventually([this] { return !trains.positionEvent.isSet(); });
    }

    // A point's setting as the loop's thread left it.
    bool branch(int k)
    {
        std::lock_guard lock(controller.trackMutex());
        return model.isBranch(k);
    }

    // Waits until the condition holds (true) or the time runs out.
    static bool eventually(const std::function<bool()>& condition, int timeoutMs = 3000)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            if (condition())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return condition();
    }

    vardo::testing::RecordingFrontend frontend;
    vardo::layout::LayoutModel model;
    vardo::TrainState trains;
    RecordingObserver observer{trains};
    RecordingDevices devices;
    RecordingSound sound;
    RecordingExtended ext;
    vardo::SoundCalls sounds;
    vardo::Controller controller{frontend, &model};
    vardo::SpeedControl speed{frontend, controller};
    vardo::Operation operation{frontend, controller, speed, trains, sounds, &model};
    vardo::Simulation simulation{controller, speed, trains};
    vardo::ControlPoints controlPoints{controller, trains, sounds};
    bool prePass = false;
};

} // namespace optest
