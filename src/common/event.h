#pragma once
// An auto-reset event: set() wakes one waiter (or the next one to wait),
// and a successful wait resets it.
#include <condition_variable>
#include <mutex>

namespace common {

class Event {
public:
    void set();
    void reset();
    // Waits until the event is set or timeoutMs passes (a negative timeout
    // waits forever). True when the event was set; it is then reset.
    bool wait(int timeoutMs = -1);
    // Whether the event is set now, without resetting it.
    bool isSet() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    bool signalled_ = false;
};

} // namespace common
