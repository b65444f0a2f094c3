#include "vardo/devices/link_reconnector.h"

#include <algorithm>

namespace vardo::devices {

LinkReconnector::LinkReconnector(ReconnectDelays delays, std::function<bool()> attempt,
                                 std::function<void(int delayMs)> waiting)
    : delays_{std::max(1, delays.firstMs), std::max(std::max(1, delays.firstMs), delays.maxMs)},
      attempt_(std::move(attempt)), waiting_(std::move(waiting))
{
}

LinkReconnector::~LinkReconnector()
{
    stop();
}

void LinkReconnector::begin()
{
    std::lock_guard start(startMutex_);
    std::unique_lock lock(mutex_);
    if (stopping_)
        return;
    wanted_ = true;
    if (running_)
        return; // the worker sees the request when its round ends
    lock.unlock();
    // A worker that has ended still has to be joined before the next one.
    if (thread_.joinable())
        thread_.join();
    lock.lock();
    running_ = true;
    thread_ = std::thread([this] { run(); });
}

void LinkReconnector::stop()
{
    std::lock_guard start(startMutex_);
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        wanted_ = false;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void LinkReconnector::resume()
{
    std::lock_guard start(startMutex_);
    std::lock_guard lock(mutex_);
    stopping_ = false;
}

bool LinkReconnector::active() const
{
    std::lock_guard lock(mutex_);
    return running_;
}

bool LinkReconnector::pause(int ms)
{
    std::unique_lock lock(mutex_);
    return !wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping_; });
}

void LinkReconnector::run()
{
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (!wanted_ || stopping_) {
                running_ = false;
                return;
            }
            wanted_ = false;
        }
        int delay = delays_.firstMs;
        for (;;) {
            if (waiting_)
                waiting_(delay);
            if (!pause(delay)) {
                std::lock_guard lock(mutex_);
                running_ = false;
                return;
            }
            if (attempt_())
                break;
            delay = std::min(delay * 2, delays_.maxMs);
        }
    }
}

} // namespace vardo::devices
