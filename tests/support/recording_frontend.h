#pragma once
// A Frontend for tests: records every call and answers questions from a
// script. Timers and posted commands are kept for the test to fire by hand.
#include "vardo/base/frontend.h"

#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace vardo::testing {

class RecordingFrontend : public Frontend {
public:
    struct Message {
        std::string text;
        Icon icon;
    };

    void showMessage(const std::string& text, Icon icon) override;
    using Frontend::showMessage;
    Answer ask(const std::string& text, Buttons buttons, Icon icon) override;
    bool showNotice(const std::string& text) override;
    bool showDisclaimer() override;
    void postCommand(int commandId) override;
    void startTimer(int timerId, int intervalMs) override;
    void killTimer(int timerId) override;
    void requestQuit() override;
    void redrawPanel() override;
    void refreshProgram() override;
    void setCaption(const std::string& caption) override;
    void setStatusText(const std::string& text) override;

    // Scripted answers, taken in order; with none left a question is
    // answered with defaultAnswer.
    void queueAnswer(Answer answer);
    Answer defaultAnswer = Answer::Cancel;
    bool disclaimerAnswer = true;
    bool noticeTicksBox = false;

    // Fires a running timer or delivers the posted commands, as the
    // window's event loop would.
    void fireTimer(int timerId) { deliverTimer(timerId); }
    void deliverPostedCommands();

    // Everything recorded so far (copies, safe while workers run).
    std::vector<Message> messages() const;
    std::vector<std::string> messageTexts() const;
    std::vector<std::string> questions() const;
    std::vector<std::string> notices() const;
    std::vector<int> postedCommands() const;
    std::map<int, int> runningTimers() const; // id -> interval
    std::vector<std::string> captions() const;
    std::vector<std::string> statusTexts() const;
    int disclaimerCount() const;
    int quitRequests() const;
    int panelRedraws() const;
    int programRefreshes() const;

private:
    mutable std::mutex mutex_;
    std::vector<Message> messages_;
    std::vector<std::string> questions_;
    std::vector<std::string> notices_;
    std::vector<int> posted_;
    std::vector<int> pending_;
    std::map<int, int> timers_;
    std::vector<std::string> captions_;
    std::vector<std::string> statusTexts_;
    std::deque<Answer> answers_;
    int disclaimers_ = 0;
    int quits_ = 0;
    int panelRedraws_ = 0;
    int programRefreshes_ = 0;
};

} // namespace vardo::testing
