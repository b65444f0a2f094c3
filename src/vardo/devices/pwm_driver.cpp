#include "vardo/devices/pwm_driver.h"

#include "vardo/devices/usb_commands.h"

#include <algorithm>

namespace vardo::devices {

namespace {

// At or above this speed the relay stays on; at or below the low one, off.
constexpr double kAlwaysOn = 0.9;
constexpr double kAlwaysOff = 0.1;

} // namespace

PwmDriver::PwmDriver(Hooks hooks, int restartPauseMs)
    : hooks_(std::move(hooks)), restartPauseMs_(restartPauseMs)
{
}

PwmDriver::~PwmDriver() { stop(); }

void PwmDriver::configure(char forwardRelay, char backwardRelay, int periodMs)
{
    forward_ = forwardRelay;
    backward_ = backwardRelay;
    periodMs_ = periodMs;
}

void PwmDriver::request(int action)
{
    std::lock_guard lock(requestMutex_);
    if (action == 0) {
        {
            std::lock_guard wakeLock(wakeMutex_);
            direction_ = 0;
        }
        wake_.notify_all();
        return;
    }
    if (worker_.joinable()) {
        const bool wasRunning = active_;
        {
            std::lock_guard wakeLock(wakeMutex_);
            direction_ = 0;
        }
        wake_.notify_all();
        if (wasRunning)
            std::this_thread::sleep_for(std::chrono::milliseconds(restartPauseMs_));
        worker_.join();
    }
    const int direction = action == 1 ? 1 : -1;
    direction_ = direction;
    active_ = true;
    worker_ = std::thread(&PwmDriver::run, this, direction, forward_.load(), backward_.load(),
                          periodMs_.load());
}

void PwmDriver::stop()
{
    std::lock_guard lock(requestMutex_);
    endWorker();
}

void PwmDriver::endWorker()
{
    {
        std::lock_guard wakeLock(wakeMutex_);
        direction_ = 0;
    }
    wake_.notify_all();
    if (worker_.joinable())
        worker_.join();
}

void PwmDriver::sleepUntil(std::chrono::steady_clock::time_point deadline)
{
    std::unique_lock lock(wakeMutex_);
    wake_.wait_until(lock, deadline, [this] { return direction_ == 0; });
}

void PwmDriver::run(int direction, char forward, char backward, int periodMs)
{
    using clock = std::chrono::steady_clock;
    const char relay = direction > 0 ? forward : backward;
    const auto period = std::chrono::microseconds(periodMs * 1000);
    bool firstPass = true;
    while (direction_ != 0) {
        const double s = std::clamp(hooks_.speed ? hooks_.speed() : 0.0, 0.0, 1.0);
        // Deadlines count from the start of each phase so that the time a
        // write takes does not stretch the period.
        if (s > kAlwaysOff) {
            const auto start = clock::now();
            hooks_.pulse(relayCommand(relay, true));
            sleepUntil(start + std::chrono::duration_cast<clock::duration>(period * s));
        }
        if (s < kAlwaysOn) {
            const auto start = clock::now();
            hooks_.pulse(relayCommand(relay, false));
            sleepUntil(start + std::chrono::duration_cast<clock::duration>(period * (1.0 - s)));
        }
        if (hooks_.fadeStep)
            hooks_.fadeStep();
        if (firstPass) {
            hooks_.exchange(relayPairCommand(forward, direction > 0, backward, direction < 0));
            firstPass = false;
        }
    }
    hooks_.exchange(relayPairCommand(forward, false, backward, false));
    active_ = false;
}

} // namespace vardo::devices
