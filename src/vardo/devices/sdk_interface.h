#pragma once
// The outside-program interface: Vardo's record sets, the polling thread
// that takes commands every COMM_INTERVAL ms, and the publication of the
// train position and the controller state.
//
// sdkStart at start-up (with -s), sdkStop at exit. The publish functions
// may be called from any thread; they do nothing while the interface is off.
#include "common/event.h"
#include "vardo/devices/sdk_commands.h"
#include "vardo/devices/sdk_host.h"
#include "vardo/devices/sdk_records.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

namespace vardo::devices {

struct SdkSettings {
    int commIntervalMs = 100; // [API] COMM_INTERVAL
    // How long Vardo waits for a record's mutex that an outside program holds.
    int recordLockMs = 20;
    // When set, read after every poll instead of commIntervalMs, so that a
    // changed setting takes effect with the next wait.
    std::function<int()> commInterval = {};
};

class SdkInterface {
public:
    SdkInterface(SdkHost& host, SdkSettings settings);
    ~SdkInterface();
    SdkInterface(const SdkInterface&) = delete;
    SdkInterface& operator=(const SdkInterface&) = delete;

    // Creates the records and starts polling. On failure shows message 188
    // and returns false; the caller then reports its start-up step (187).
    bool sdkStart();
    // Stops polling, closes the records, releases an attached window.
    void sdkStop();
    bool isOpen() const { return started_; }

    void publishStatus(int controllerState);
    // The controlled train (layout pixels, laps and the angle within the
    // lap). Ignored in bounding-box mode.
    void publishPosition(int x, int y, int laps, int angle);
    // The box of every polygon vertex of a frame (camera pixels), in
    // bounding-box mode only. Nothing is published for an empty box
    // (min > max: nothing was detected).
    void publishBoundingBox(int minX, int minY, int maxX, int maxY);

    bool connectionOpen() const { return commands_.connectionOpen(); }
    bool boundingBoxMode() const { return commands_.boundingBoxMode(); }
    // Once an outside program asked for the display (command 102), the
    // automatic stops at the buffer stops and before the turntable are off.
    bool outsideDisplayMode() const { return commands_.outsideDisplayMode(); }
    bool windowAttached() const { return commands_.windowAttached(); }

    // Counters for tests and benchmarks: commands taken, polls done.
    std::uint64_t commandsTaken() const { return taken_; }
    std::uint64_t polls() const { return polls_; }

private:
    void poll();
    void pollOnce();
    int interval() const;

    SdkHost& host_;
    SdkSettings settings_;
    SdkRecords records_;
    SdkCommands commands_;
    common::Event stopEvent_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> started_{false};
    std::atomic<std::uint64_t> taken_{0};
    std::atomic<std::uint64_t> polls_{0};
    std::thread thread_;
};

} // namespace vardo::devices
