#pragma once
// The speech recognition the user switches on: started once (menu command
// or start-up), then active until "終了"; recognitions that arrive while
// inactive are dropped. Events are handled on the user-interface thread:
// the input pushes them into the queue and the queue's notifier asks that
// thread to call handleEvents.
#include "vardo/devices/speech_events.h"
#include "vardo/devices/speech_input.h"
#include "vardo/operation/speech_commands.h"

#include <functional>
#include <string>

namespace vardo {

// The small window that shows the last phrase.
class SpeechWindow {
public:
    virtual ~SpeechWindow() = default;
    virtual void open() = 0;                              // (again) without blocking
    virtual void showPhrase(const std::string& text) = 0; // "" empties it
};

class SpeechSession {
public:
    static constexpr size_t kMaxPhraseBytes = 255; // the shown text, without its end
    static constexpr const char* kUnreadable = "<Unrecognized>";

    SpeechSession(const Settings& settings, Frontend& frontend);

    void setInput(SpeechInput* input) { input_ = input; }
    void setWindow(SpeechWindow* window) { window_ = window; }
    void setTargets(SpeechTargets targets) { targets_ = std::move(targets); }
    // Every phrase handled, with the command it ran (-1 for none).
    void setPhraseObserver(std::function<void(const std::string&, int)> observer)
    {
        phraseObserver_ = std::move(observer);
    }

    // Starts recognition the first time (message 220 and false when it
    // cannot); later calls only make it active again and reopen the window.
    bool start();
    // "終了": phrases are ignored until start is called again.
    void stop() { active_ = false; }
    bool active() const { return active_; }
    bool started() const { return started_; }

    SpeechEventQueue& queue() { return queue_; }
    // Takes every pending event (user-interface thread).
    void handleEvents();
    void handle(const SpeechEvent& event);

    SpeechKeywords& keywords() { return keywords_; }
    const std::string& lastPhrase() const { return shown_; }

private:
    void show(const std::string& text);
    void recognised(const SpeechEvent& event);

    const Settings& settings_;
    Frontend& frontend_;
    SpeechInput* input_ = nullptr;
    SpeechWindow* window_ = nullptr;
    SpeechTargets targets_;
    SpeechEventQueue queue_;
    SpeechKeywords keywords_;
    std::function<void(const std::string&, int)> phraseObserver_;
    std::string shown_;
    bool started_ = false;
    bool active_ = false;
    bool soundInProgress_ = false;
    bool recognisedSinceSound_ = false;
};

} // namespace vardo
