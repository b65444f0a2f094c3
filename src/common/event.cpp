#include "common/event.h"

#include <chrono>

namespace common {

void Event::set()
{
    {
        std::lock_guard lock(mutex_);
        signalled_ = true;
    }
    cv_.notify_one();
}

void Event::reset()
{
    std::lock_guard lock(mutex_);
    signalled_ = false;
}

bool Event::wait(int timeoutMs)
{
    std::unique_lock lock(mutex_);
    if (timeoutMs < 0) {
        cv_.wait(lock, [this] { return signalled_; });
    } else if (!cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [this] { return signalled_; })) {
        return false;
    }
    signalled_ = false;
    return true;
}

bool Event::isSet() const
{
    std::lock_guard lock(mutex_);
    return signalled_;
}

} // namespace common
