#pragma once
// Work the outside-program interface's polling thread hands to the
// frontend's thread: message boxes, the clipboard and everything that
// touches the program, which the editor changes on that thread. The poller
// waits for each call, but never past the interface's stop: a window that
// is closing does not run its queue any more, and must not be waited for.
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace vardo {

class SdkFrontendCalls {
public:
    // post asks the frontend's thread to call runPending (once per call).
    explicit SdkFrontendCalls(std::function<void()> post) : post_(std::move(post)) {}

    // The polling thread: from now on its calls go to the frontend's
    // thread, and they may wait again.
    void servePollingThread(std::thread::id poller);
    // Runs call on the frontend's thread and waits for it. Called on any
    // other thread than the poller, call runs at once. False when the
    // interface stopped first; the call then does not run at all, or runs
    // later without anyone waiting for it, so it must own what it uses.
    bool run(std::function<void()> call);
    // The frontend's thread: runs every call that is waited for.
    void runPending();
    // Ends every wait now; until the poller is served again, its calls
    // return false at once.
    void stop();

private:
    struct Call {
        std::function<void()> work;
        bool done = false;
        bool dropped = false;
    };

    std::function<void()> post_;
    std::mutex mutex_;
    std::condition_variable doneCv_;
    std::deque<std::shared_ptr<Call>> queue_;
    std::thread::id poller_;
    bool stopped_ = true;
};

} // namespace vardo
