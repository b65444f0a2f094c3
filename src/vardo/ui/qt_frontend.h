#pragma once
// The Frontend of the window: message boxes with the string table's texts,
// the notice and disclaimer dialogs, QTimer timers and posted commands
// delivered on the user-interface thread. Any thread may call it; calls
// from other threads are carried over to the user-interface thread.
#include "vardo/base/frontend.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>

class QTimer;
class QWidget;

namespace vardo::ui {

class QtFrontend : public QObject, public Frontend {
    Q_OBJECT
public:
    QtFrontend();
    ~QtFrontend() override;

    // Dialogs are owned by this window; the caption goes to it.
    void setWindow(QWidget* window) { window_ = window; }
    void setQuitHandler(std::function<void()> quit) { quit_ = std::move(quit); }
    void setPanelRedraw(std::function<void()> redraw) { panelRedraw_ = std::move(redraw); }
    void setProgramRefresh(std::function<void()> refresh) { programRefresh_ = std::move(refresh); }
    // Shows a status text (on the user-interface thread).
    void setStatusSink(std::function<void(const QString&)> sink) { statusSink_ = std::move(sink); }

    using Frontend::ask;
    using Frontend::showMessage;
    void showMessage(const std::string& text, Icon icon) override;
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

    bool timerRunning(int timerId) const;
    int timerInterval(int timerId) const;

    // The window closes: a message or question asked from another thread
    // that the window has not shown yet is answered with its default
    // (OK, Cancel or No; a dialog declined), now and from now on, so that
    // no worker the shutdown waits for waits for the window instead.
    void close();

private:
    struct Pending;
    // Runs fn on the user-interface thread and waits for it. False when
    // the window closed before fn ran; fn then never runs.
    bool onGuiThread(const std::function<void()>& fn);
    void later(std::function<void()> fn);

    QPointer<QWidget> window_;
    std::function<void()> quit_;
    std::function<void()> panelRedraw_;
    std::function<void()> programRefresh_;
    std::function<void(const QString&)> statusSink_;
    std::map<int, QTimer*> timers_;
    std::mutex pendingMutex_;
    std::set<std::shared_ptr<Pending>> pending_;
    bool closed_ = false;
};

} // namespace vardo::ui
