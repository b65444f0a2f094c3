#include "vardo/app/sdk_frontend_calls.h"

namespace vardo {

void SdkFrontendCalls::servePollingThread(std::thread::id poller)
{
    std::lock_guard lock(mutex_);
    poller_ = poller;
    stopped_ = false;
}

bool SdkFrontendCalls::run(std::function<void()> call)
{
    auto item = std::make_shared<Call>();
    {
        std::lock_guard lock(mutex_);
        if (std::this_thread::get_id() != poller_) {
            // Start-up and tests call from the frontend's own thread.
            item.reset();
        } else if (stopped_) {
            return false;
        } else {
            item->work = std::move(call);
            queue_.push_back(item);
        }
    }
    if (!item) {
        call();
        return true;
    }
    post_();
    std::unique_lock lock(mutex_);
    doneCv_.wait(lock, [&] { return item->done || stopped_; });
    if (!item->done)
        item->dropped = true;
    return item->done;
}

void SdkFrontendCalls::runPending()
{
    for (;;) {
        std::shared_ptr<Call> item;
        {
            std::lock_guard lock(mutex_);
            while (!queue_.empty() && !item) {
                item = queue_.front();
                queue_.pop_front();
                if (item->dropped)
                    item.reset();
            }
        }
        if (!item)
            return;
        item->work();
        std::lock_guard lock(mutex_);
        item->done = true;
        doneCv_.notify_all();
    }
}

void SdkFrontendCalls::stop()
{
    std::lock_guard lock(mutex_);
    stopped_ = true;
    // Nobody waits for what is still queued.
    for (auto& item : queue_)
        item->dropped = true;
    queue_.clear();
    doneCv_.notify_all();
}

} // namespace vardo
