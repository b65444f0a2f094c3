#pragma once
// A host for the outside-program interface that records every call as a
// line of text, with scripted answers to its questions.
#include "vardo/devices/sdk_host.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace vardo::devices::test {

class FakeSdkHost : public SdkHost {
public:
    std::atomic<bool> calibrated{true};
    std::atomic<bool> simulation{false};
    std::atomic<bool> connected{true};
    std::atomic<int> programCommands{3};
    std::atomic<int> state{0};
    std::array<bool, 8> coupled{}; // coupled[k]: point k + 1 with the next
    // A sensor wait blocks until releaseSensor().
    std::atomic<bool> sensorBlocks{false};

    std::vector<std::string> calls()
    {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    void clear()
    {
        std::lock_guard lock(mutex_);
        calls_.clear();
    }
    // Waits until `line` was recorded (at most 5 s).
    bool waitFor(const std::string& line)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(5), [&] {
            for (const std::string& call : calls_) {
                if (call == line) {
                    return true;
                }
            }
            return false;
        });
    }
    void setClipboard(const std::string& text, bool readable = true)
    {
        std::lock_guard lock(mutex_);
        clipboard_ = text;
        clipboardReadable_ = readable;
    }
    void releaseSensor()
    {
        std::lock_guard lock(mutex_);
        sensorReleased_ = true;
        changed_.notify_all();
    }

    void showMessage(int id) override { record("message " + std::to_string(id)); }
    void setCaption(const std::string& text) override { record("caption " + text); }
    bool isCalibrated() const override { return calibrated; }
    bool isSimulation() const override { return simulation; }
    bool controllerConnected() const override { return connected; }
    int programCommandCount() const override { return programCommands; }
    int controllerState() const override { return state; }
    bool pointCoupledWithNext(int point) const override
    {
        return point >= 1 && point <= 8 && coupled[static_cast<size_t>(point - 1)];
    }
    void performAction(int code, bool send) override
    {
        record("action " + std::to_string(code) + (send ? " send" : " panel"));
    }
    void playSound(int n, bool repeat) override
    {
        record("play " + std::to_string(n) + (repeat ? " repeat" : " once"));
    }
    void prepareSound(int n) override { record("prepare " + std::to_string(n)); }
    void stopSound(int n) override { record("stop " + std::to_string(n)); }
    void stopAllSounds() override { record("stop all"); }
    void setRelay(int relay, bool on) override
    {
        record("relay " + std::to_string(relay) + (on ? " on" : " off"));
    }
    void changeSpeed(int percent, int fade) override
    {
        record("speed " + std::to_string(percent) + " fade " + std::to_string(fade));
    }
    void turnTurntable(int track, bool reversed) override
    {
        record("turntable " + std::to_string(track) + (reversed ? " reversed" : " straight"));
    }
    void waitForSensor(int sensor, int timeout) override
    {
        record("sensor " + std::to_string(sensor) + " timeout " + std::to_string(timeout));
        if (sensorBlocks) {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return sensorReleased_; });
        }
    }
    bool clipboardText(std::string& text) override
    {
        std::lock_guard lock(mutex_);
        text = clipboard_;
        return clipboardReadable_;
    }
    void runProgramFile(const std::string& path) override { record("run " + path); }
    void setOperating(bool on) override { record(std::string("operating ") + (on ? "on" : "off")); }
    void startOperation() override { record("start operation"); }
    void stopOperation() override { record("stop operation"); }
    void attachWindow(std::uint32_t window) override { record("window " + std::to_string(window)); }

private:
    void record(const std::string& line)
    {
        std::lock_guard lock(mutex_);
        calls_.push_back(line);
        changed_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> calls_;
    bool sensorReleased_ = false;
    std::string clipboard_ = "/programs/run.vpr";
    bool clipboardReadable_ = true;
};

} // namespace vardo::devices::test
