#pragma once
// The Frontend of vardo-run: messages go to stderr, questions are answered
// from the command line (--yes / --no), the disclaimer is accepted only with
// --agree, and timers and posted commands run on an event-loop thread of
// its own. Set the timer and command handlers before starting timers or
// posting commands: they are called on the event-loop thread.
#include "vardo/base/frontend.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vardo {

class ConsoleFrontend : public Frontend {
public:
    struct Options {
        std::optional<Answer> answer; // --yes / --no; without one: Cancel, or No for yes/no
        bool agree = false;           // --agree
        bool quiet = false;           // collect messages without printing them
    };

    explicit ConsoleFrontend(Options options);
    ~ConsoleFrontend() override;

    void showMessage(const std::string& text, Icon icon) override;
    using Frontend::showMessage;
    using Frontend::ask;
    Answer ask(const std::string& text, Buttons buttons, Icon icon) override;
    bool showNotice(const std::string& text) override;
    bool showDisclaimer() override;
    void postCommand(int commandId) override;
    void startTimer(int timerId, int intervalMs) override;
    void killTimer(int timerId) override;
    void requestQuit() override;
    void redrawPanel() override {}
    void refreshProgram() override {}
    void setCaption(const std::string& caption) override;
    // Printed as "[status] text"; there is no status bar to keep it in.
    void setStatusText(const std::string& text) override;

    // Every message shown, in order (for --json reports).
    std::vector<std::string> messages() const;
    bool quitRequested() const;
    // Waits until a quit is requested or timeoutMs passes; true on a quit.
    bool waitForQuit(int timeoutMs) const;
    // Called for each message as it is shown (for example to print a JSON trace line).
    void setMessageObserver(std::function<void(const std::string&)> observer);
    // Called for each status text as it is set.
    void setStatusObserver(std::function<void(const std::string&)> observer);

    // Parses and removes --yes, --no, --agree from args.
    static Options takeOptions(std::vector<std::string>& args);

private:
    void loop();
    void print(const std::string& line) const;
    // The next timer that is due now, rescheduled for its next round.
    std::optional<int> takeDueTimer(std::chrono::steady_clock::time_point now);

    Options options_;
    mutable std::mutex mutex_;
    mutable std::condition_variable wake_;
    std::vector<std::string> messages_;
    std::function<void(const std::string&)> observer_;
    std::function<void(const std::string&)> statusObserver_;
    struct Timer {
        int intervalMs;
        std::chrono::steady_clock::time_point due;
    };
    std::map<int, Timer> timers_;
    std::vector<int> posted_;
    bool quit_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace vardo
