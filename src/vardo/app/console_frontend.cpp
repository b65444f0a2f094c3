#include "vardo/app/console_frontend.h"

#include <algorithm>
#include <cstdio>

namespace vardo {

namespace {

using Clock = std::chrono::steady_clock;

const char* iconName(Icon icon)
{
    switch (icon) {
    case Icon::None:
        return "message";
    case Icon::Information:
        return "info";
    case Icon::Warning:
        return "warning";
    case Icon::Stop:
        return "stop";
    case Icon::Question:
        return "question";
    }
    return "message";
}

const char* answerName(Answer answer)
{
    switch (answer) {
    case Answer::Ok:
        return "ok";
    case Answer::Cancel:
        return "cancel";
    case Answer::Yes:
        return "yes";
    case Answer::No:
        return "no";
    }
    return "?";
}

// The button of the offered set that the option stands for.
Answer pickAnswer(std::optional<Answer> wanted, Buttons buttons)
{
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    bool positive = wanted && (*wanted == Answer::Yes || *wanted == Answer::Ok);
    bool negative = wanted && (*wanted == Answer::No || *wanted == Answer::Cancel);
    switch (buttons) {
    case Buttons::YesNo:
        return positive ? Answer::Yes : Answer::No;
    case Buttons::YesNoCancel:
        if (positive)
            return Answer::Yes;
        return negative && *wanted == Answer::No ? Answer::No : Answer::Cancel;
    case Buttons::OkCancel:
        return positive ? Answer::Ok : Answer::Cancel;
    case Buttons::Ok:
        break;
    }
    return Answer::Ok;
}

} // namespace

ConsoleFrontend::ConsoleFrontend(Options options) : options_(options)
{
    thread_ = std::thread([this] { loop(); });
}

ConsoleFrontend::~ConsoleFrontend()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void ConsoleFrontend::print(const std::string& line) const
{
    if (!options_.quiet)
        std::fprintf(stderr, "%s\n", line.c_str());
}

void ConsoleFrontend::showMessage(const std::string& text, Icon icon)
{
    std::function<void(const std::string&)> observer;
    {
        std::lock_guard lock(mutex_);
        messages_.push_back(text);
        observer = observer_;
    }
    print(std::string("[") + iconName(icon) + "] " + text);
    if (observer)
        observer(text);
}

Answer ConsoleFrontend::ask(const std::string& text, Buttons buttons, Icon icon)
{
    Answer answer = pickAnswer(options_.answer, buttons);
    print(std::string("[") + iconName(icon) + "] " + text + "\n  -> " + answerName(answer));
    return answer;
}

bool ConsoleFrontend::showNotice(const std::string& text)
{
    showMessage(text, Icon::Information);
    return false;
}

bool ConsoleFrontend::showDisclaimer()
{
    if (options_.agree) {
        print("[disclaimer] accepted with --agree");
        return true;
    }
    print(std::string("[disclaimer] ") + common::messageText(common::msg::DisclaimerTitle) + "\n" +
          common::messageText(common::msg::DisclaimerText) + "\n" +
          common::messageText(common::msg::DisclaimerWarning) + "\n  -> " +
          common::messageText(common::msg::DisclaimerDisagree) + " (run with --agree to accept)");
    return false;
}

void ConsoleFrontend::postCommand(int commandId)
{
    {
        std::lock_guard lock(mutex_);
        posted_.push_back(commandId);
    }
    wake_.notify_all();
}

void ConsoleFrontend::startTimer(int timerId, int intervalMs)
{
    {
        std::lock_guard lock(mutex_);
        int interval = std::max(1, intervalMs);
        timers_[timerId] = Timer{interval, Clock::now() + std::chrono::milliseconds(interval)};
    }
    wake_.notify_all();
}

void ConsoleFrontend::killTimer(int timerId)
{
    std::lock_guard lock(mutex_);
    timers_.erase(timerId);
}

void ConsoleFrontend::requestQuit()
{
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    print("[quit] requested");
}

void ConsoleFrontend::setCaption(const std::string& caption)
{
    print("[caption] " + caption);
}

std::vector<std::string> ConsoleFrontend::messages() const
{
    std::lock_guard lock(mutex_);
    return messages_;
}

bool ConsoleFrontend::quitRequested() const
{
    std::lock_guard lock(mutex_);
    return quit_;
}

bool ConsoleFrontend::waitForQuit(int timeoutMs) const
{
    std::unique_lock lock(mutex_);
    return wake_.wait_for(lock, std::chrono::milliseconds(std::max(0, timeoutMs)),
                          [this] { return quit_; });
}

void ConsoleFrontend::setMessageObserver(std::function<void(const std::string&)> observer)
{
    std::lock_guard lock(mutex_);
    observer_ = std::move(observer);
}

void ConsoleFrontend::setStatusText(const std::string& text)
{
    std::function<void(const std::string&)> observer;
    {
        std::lock_guard lock(mutex_);
        observer = statusObserver_;
    }
    print("[status] " + text);
    if (observer)
        observer(text);
}

void ConsoleFrontend::setStatusObserver(std::function<void(const std::string&)> observer)
{
    std::lock_guard lock(mutex_);
    statusObserver_ = std::move(observer);
}

ConsoleFrontend::Options ConsoleFrontend::takeOptions(std::vector<std::string>& args)
{
    Options options;
    std::vector<std::string> rest;
    for (std::string& arg : args) {
        if (arg == "--yes")
            options.answer = Answer::Yes;
        else if (arg == "--no")
            options.answer = Answer::No;
        else if (arg == "--agree")
            options.agree = true;
        else
            rest.push_back(std::move(arg));
    }
    args = std::move(rest);
    return options;
}

std::optional<int> ConsoleFrontend::takeDueTimer(Clock::time_point now)
{
    auto due = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (it->second.due <= now && (due == timers_.end() || it->second.due < due->second.due))
            due = it;
    }
    if (due == timers_.end())
        return std::nullopt;
    Timer& t = due->second;
    t.due += std::chrono::milliseconds(t.intervalMs);
    if (t.due <= now) // fell behind: no burst of catch-up rounds
        t.due = now + std::chrono::milliseconds(t.intervalMs);
    return due->first;
}

void ConsoleFrontend::loop()
{
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (!posted_.empty()) {
            std::vector<int> commands;
            commands.swap(posted_);
            lock.unlock();
            for (int id : commands)
                deliverCommand(id);
            lock.lock();
            continue;
        }
        if (std::optional<int> id = takeDueTimer(Clock::now())) {
            lock.unlock();
            deliverTimer(*id);
            lock.lock();
            continue;
        }
        if (timers_.empty()) {
            wake_.wait(lock);
            continue;
        }
        auto next = std::min_element(timers_.begin(), timers_.end(), [](const auto& a, const auto& b) {
            return a.second.due < b.second.due;
        });
        // A copy: the timer may be killed while we wait.
        const Clock::time_point due = next->second.due;
        wake_.wait_until(lock, due);
    }
}

} // namespace vardo
