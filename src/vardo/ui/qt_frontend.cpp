#include "vardo/ui/qt_frontend.h"

#include "vardo/ui/dialogs.h"
#include "vardo/ui/queued_call.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <condition_variable>

namespace vardo::ui {

namespace {

QMessageBox::Icon boxIcon(Icon icon)
{
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Stop:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons boxButtons(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok:
        return QMessageBox::Ok;
    case Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

Answer answerOf(int button)
{
    switch (button) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Ok:
        return Answer::Ok;
    default:
        return Answer::Cancel;
    }
}

} // namespace

QtFrontend::QtFrontend() = default;

QtFrontend::~QtFrontend()
{
    close();
    for (auto& [id, timer] : timers_)
        delete timer;
}

// One call from another thread: queued, then run, or given up by close().
struct QtFrontend::Pending {
    std::mutex mutex;
    std::condition_variable cv;
    bool running = false;
    bool done = false;
    bool abandoned = false;
};

bool QtFrontend::onGuiThread(const std::function<void()>& fn)
{
    if (QThread::currentThread() == thread()) {
        fn();
        return true;
    }
    auto call = std::make_shared<Pending>();
    {
        std::lock_guard lock(pendingMutex_);
        if (closed_)
            return false;
        pending_.insert(call);
    }
    postTo(
        this,
        [this, call, &fn] {
            {
                std::lock_guard lock(call->mutex);
                if (call->abandoned)
                    return; // the caller is gone: fn may not be touched
                call->running = true;
            }
            fn();
            {
                std::lock_guard lock(pendingMutex_);
                pending_.erase(call);
            }
            std::lock_guard lock(call->mutex);
            call->done = true;
            call->cv.notify_all();
        });
    std::unique_lock lock(call->mutex);
    call->cv.wait(lock, [&] { return call->done || call->abandoned; });
    return call->done;
}

void QtFrontend::close()
{
    std::lock_guard lock(pendingMutex_);
    closed_ = true;
    for (const std::shared_ptr<Pending>& call : pending_) {
        std::lock_guard callLock(call->mutex);
        // One that runs (a box open in a nested loop) ends as usual.
        if (!call->running) {
            call->abandoned = true;
            call->cv.notify_all();
        }
    }
    pending_.clear();
}

void QtFrontend::later(std::function<void()> fn)
{
    postTo(this, std::move(fn));
}

void QtFrontend::showMessage(const std::string& text, Icon icon)
{
    onGuiThread([&] {
        QMessageBox box(boxIcon(icon), QString::fromUtf8(common::messageText(common::msg::AppName)),
                        QString::fromStdString(text), QMessageBox::Ok, window_);
        box.exec();
    });
}

Answer QtFrontend::ask(const std::string& text, Buttons buttons, Icon icon)
{
    // Unanswered (the window closed): the button that changes nothing.
    Answer answer = buttons == Buttons::YesNo ? Answer::No
                    : buttons == Buttons::Ok  ? Answer::Ok
                                              : Answer::Cancel;
    onGuiThread([&] {
        QMessageBox box(boxIcon(icon), QString::fromUtf8(common::messageText(common::msg::AppName)),
                        QString::fromStdString(text), boxButtons(buttons), window_);
        answer = answerOf(box.exec());
    });
    return answer;
}

bool QtFrontend::showNotice(const std::string& text)
{
    bool ticked = false;
    onGuiThread([&] {
        NoticeDialog dialog(QString::fromStdString(text), window_);
        dialog.exec();
        ticked = dialog.doNotShowAgain();
    });
    return ticked;
}

bool QtFrontend::showDisclaimer()
{
    bool agreed = false;
    onGuiThread([&] {
        DisclaimerDialog dialog(window_);
        agreed = dialog.exec() == QDialog::Accepted && dialog.agreed();
    });
    return agreed;
}

void QtFrontend::postCommand(int commandId)
{
    later([this, commandId] { deliverCommand(commandId); });
}

void QtFrontend::startTimer(int timerId, int intervalMs)
{
    auto start = [this, timerId, intervalMs] {
        QTimer*& timer = timers_[timerId];
        if (!timer) {
            timer = new QTimer(this);
            connect(timer, &QTimer::timeout, this, [this, timerId] { deliverTimer(timerId); });
        }
        timer->start(intervalMs);
    };
    // In call order with killTimer on this thread.
    if (QThread::currentThread() == thread())
        start();
    else
        later(start);
}

void QtFrontend::killTimer(int timerId)
{
    // Stopped at once when on this thread, so no expiry follows the kill.
    auto kill = [this, timerId] {
        auto it = timers_.find(timerId);
        if (it != timers_.end())
            it->second->stop();
    };
    if (QThread::currentThread() == thread())
        kill();
    else
        later(kill);
}

bool QtFrontend::timerRunning(int timerId) const
{
    auto it = timers_.find(timerId);
    return it != timers_.end() && it->second->isActive();
}

int QtFrontend::timerInterval(int timerId) const
{
    auto it = timers_.find(timerId);
    return it == timers_.end() ? -1 : it->second->interval();
}

void QtFrontend::requestQuit()
{
    later([this] {
        if (quit_)
            quit_();
        else if (window_)
            window_->close();
    });
}

void QtFrontend::redrawPanel()
{
    later([this] {
        if (panelRedraw_)
            panelRedraw_();
    });
}

void QtFrontend::refreshProgram()
{
    later([this] {
        if (programRefresh_)
            programRefresh_();
    });
}

void QtFrontend::setCaption(const std::string& caption)
{
    later([this, caption] {
        if (window_)
            window_->setWindowTitle(QString::fromStdString(caption));
    });
}

void QtFrontend::setStatusText(const std::string& text)
{
    later([this, text] {
        if (statusSink_)
            statusSink_(QString::fromStdString(text));
    });
}

} // namespace vardo::ui
