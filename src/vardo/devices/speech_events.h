#pragma once
// What the recogniser reports: the start and end of sound, and each
// recognised phrase. The recogniser runs on its own thread; events wait in
// a queue until the user-interface thread takes them.
#include <deque>
#include <functional>
#include <mutex>
#include <string>

namespace vardo {

struct SpeechEvent {
    enum class Kind { SoundStart, SoundEnd, Recognition };
    Kind kind = Kind::SoundStart;
    std::string text;              // the phrase (Recognition only)
    bool textRead = true;          // false when the phrase's text could not be read
    double endOfSpeechSeconds = 0; // stream time at which the phrase ended
};

using SpeechEventSink = std::function<void(const SpeechEvent&)>;

class SpeechEventQueue {
public:
    // Called (on the pushing thread) after each push, e.g. to post a
    // command to the main window so that it drains the queue.
    void setNotifier(std::function<void()> notify);
    void push(SpeechEvent event);
    // Takes the oldest event; false when none is left.
    bool take(SpeechEvent& event);

private:
    std::mutex mutex_;
    std::deque<SpeechEvent> events_;
    std::function<void()> notify_;
};

} // namespace vardo
