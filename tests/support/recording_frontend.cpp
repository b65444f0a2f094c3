#include "recording_frontend.h"

namespace vardo::testing {

void RecordingFrontend::showMessage(const std::string& text, Icon icon)
{
    std::lock_guard lock(mutex_);
    messages_.push_back({text, icon});
}

Answer RecordingFrontend::ask(const std::string& text, Buttons, Icon)
{
    std::lock_guard lock(mutex_);
    questions_.push_back(text);
    if (answers_.empty())
        return defaultAnswer;
    Answer a = answers_.front();
    answers_.pop_front();
    return a;
}

bool RecordingFrontend::showNotice(const std::string& text)
{
    std::lock_guard lock(mutex_);
    notices_.push_back(text);
    return noticeTicksBox;
}

bool RecordingFrontend::showDisclaimer()
{
    std::lock_guard lock(mutex_);
    ++disclaimers_;
    return disclaimerAnswer;
}

void RecordingFrontend::postCommand(int commandId)
{
    std::lock_guard lock(mutex_);
    posted_.push_back(commandId);
    pending_.push_back(commandId);
}

void RecordingFrontend::startTimer(int timerId, int intervalMs)
{
    std::lock_guard lock(mutex_);
    timers_[timerId] = intervalMs;
}

void RecordingFrontend::killTimer(int timerId)
{
    std::lock_guard lock(mutex_);
    timers_.erase(timerId);
}

void RecordingFrontend::requestQuit()
{
    std::lock_guard lock(mutex_);
    ++quits_;
}

void RecordingFrontend::redrawPanel()
{
    std::lock_guard lock(mutex_);
    ++panelRedraws_;
}

void RecordingFrontend::refreshProgram()
{
    std::lock_guard lock(mutex_);
    ++programRefreshes_;
}

void RecordingFrontend::setCaption(const std::string& caption)
{
    std::lock_guard lock(mutex_);
    captions_.push_back(caption);
}

void RecordingFrontend::setStatusText(const std::string& text)
{
    std::lock_guard lock(mutex_);
    statusTexts_.push_back(text);
}

std::vector<std::string> RecordingFrontend::statusTexts() const
{
    std::lock_guard lock(mutex_);
    return statusTexts_;
}

void RecordingFrontend::queueAnswer(Answer answer)
{
    std::lock_guard lock(mutex_);
    answers_.push_back(answer);
}

void RecordingFrontend::deliverPostedCommands()
{
    std::vector<int> pending;
    {
        std::lock_guard lock(mutex_);
        pending.swap(pending_);
    }
    for (int id : pending)
        deliverCommand(id);
}

std::vector<RecordingFrontend::Message> RecordingFrontend::messages() const
{
    std::lock_guard lock(mutex_);
    return messages_;
}

std::vector<std::string> RecordingFrontend::messageTexts() const
{
    std::lock_guard lock(mutex_);
    std::vector<std::string> texts;
    for (const auto& m : messages_)
        texts.push_back(m.text);
    return texts;
}

std::vector<std::string> RecordingFrontend::questions() const
{
    std::lock_guard lock(mutex_);
    return questions_;
}

std::vector<std::string> RecordingFrontend::notices() const
{
    std::lock_guard lock(mutex_);
    return notices_;
}

std::vector<int> RecordingFrontend::postedCommands() const
{
    std::lock_guard lock(mutex_);
    return posted_;
}

std::map<int, int> RecordingFrontend::runningTimers() const
{
    std::lock_guard lock(mutex_);
    return timers_;
}

std::vector<std::string> RecordingFrontend::captions() const
{
    std::lock_guard lock(mutex_);
    return captions_;
}

int RecordingFrontend::disclaimerCount() const
{
    std::lock_guard lock(mutex_);
    return disclaimers_;
}

int RecordingFrontend::quitRequests() const
{
    std::lock_guard lock(mutex_);
    return quits_;
}

int RecordingFrontend::panelRedraws() const
{
    std::lock_guard lock(mutex_);
    return panelRedraws_;
}

int RecordingFrontend::programRefreshes() const
{
    std::lock_guard lock(mutex_);
    return programRefreshes_;
}

} // namespace vardo::testing
