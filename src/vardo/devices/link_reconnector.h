#pragma once
// Brings a lost board back in the background: tries again and again, with
// a pause that starts short and doubles up to a ceiling, until an attempt
// works or the owner stops it. The owner's attempt does the reopening and
// reports the result itself.
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace vardo::devices {

struct ReconnectDelays {
    int firstMs = 1000;
    int maxMs = 30000;
};

class LinkReconnector {
public:
    // attempt: one try to reopen; true when the board is back.
    // waiting: told before each pause how long it will be.
    LinkReconnector(ReconnectDelays delays, std::function<bool()> attempt,
                    std::function<void(int delayMs)> waiting);
    ~LinkReconnector();
    LinkReconnector(const LinkReconnector&) = delete;
    LinkReconnector& operator=(const LinkReconnector&) = delete;

    // Starts trying unless it already does or it is stopped; a loss
    // reported while a round runs gives another round after it.
    void begin();
    // Ends the tries and waits for the worker. begin() does nothing until
    // resume(): a loss reported by a late action must not start it again
    // after its owner has shut down. The attempt must not call stop().
    void stop();
    void resume();
    bool active() const;

private:
    void run();
    // Sleeps ms unless stopped; false when stopped.
    bool pause(int ms);

    const ReconnectDelays delays_;
    const std::function<bool()> attempt_;
    const std::function<void(int)> waiting_;

    std::mutex startMutex_; // begin and stop, one at a time
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool wanted_ = false;
    bool running_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace vardo::devices
