#pragma once
// Speed control by pulse-width modulation of a direction relay: while the
// train runs, a worker switches the relay on for period x speed and off
// for the rest of the period.
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace vardo::devices {

class PwmDriver {
public:
    struct Hooks {
        // Writes a command without waiting for the board's answer.
        std::function<void(const std::string&)> pulse;
        // Writes a command and waits for the answer.
        std::function<bool(const std::string&)> exchange;
        // The present speed fraction 0..1, read on every pass.
        std::function<double()> speed;
        // One step of a running speed fade, if any.
        std::function<void()> fadeStep;
    };

    PwmDriver(Hooks hooks, int restartPauseMs);
    ~PwmDriver();
    PwmDriver(const PwmDriver&) = delete;
    PwmDriver& operator=(const PwmDriver&) = delete;

    // Relay characters [0] forward, [1] backward, and the period.
    void configure(char forwardRelay, char backwardRelay, int periodMs);
    // Action 0 stops the driver, 1 runs it forward, 2 backward.
    void request(int action);
    // Ends the driver and waits for its last command.
    void stop();

    bool active() const { return active_; }
    int direction() const { return direction_; }

private:
    void run(int direction, char forward, char backward, int periodMs);
    void sleepUntil(std::chrono::steady_clock::time_point deadline);
    void endWorker();

    Hooks hooks_;
    const int restartPauseMs_;
    std::atomic<char> forward_{'8'};
    std::atomic<char> backward_{'9'};
    std::atomic<int> periodMs_{40};
    std::atomic<int> direction_{0};
    std::atomic<bool> active_{false};
    std::mutex requestMutex_; // one start or stop at a time
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    std::thread worker_;
};

} // namespace vardo::devices
