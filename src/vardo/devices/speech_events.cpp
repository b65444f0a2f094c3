#include "vardo/devices/speech_events.h"

namespace vardo {

void SpeechEventQueue::setNotifier(std::function<void()> notify)
{
    std::lock_guard lock(mutex_);
    notify_ = std::move(notify);
}

void SpeechEventQueue::push(SpeechEvent event)
{
    std::function<void()> notify;
    {
        std::lock_guard lock(mutex_);
        events_.push_back(std::move(event));
        notify = notify_;
    }
    if (notify)
        notify();
}

bool SpeechEventQueue::take(SpeechEvent& event)
{
    std::lock_guard lock(mutex_);
    if (events_.empty())
        return false;
    event = std::move(events_.front());
    events_.pop_front();
    return true;
}

} // namespace vardo
