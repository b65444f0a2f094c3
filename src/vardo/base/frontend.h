#pragma once
// Everything the core asks of the user interface. The Qt window implements
// it; the headless runner has a console version; tests record the calls.
// Timer expiries and posted commands come back through the handlers on the
// frontend's own thread, never on the caller's.
#include "common/message_sink.h"
#include "common/string_table.h"

#include <functional>
#include <initializer_list>
#include <string>

namespace vardo {

using common::Icon;

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

class Frontend : public common::MessageSink {
public:
    using Handler = std::function<void(int id)>;

    // A modal message box.
    void showMessage(const std::string& text, Icon icon) override = 0;
    // A question; the answer is one of the buttons offered.
    virtual Answer ask(const std::string& text, Buttons buttons, Icon icon) = 0;
    // The notice dialog: one text, OK, and the "do not show again" box.
    // True when the box was ticked.
    virtual bool showNotice(const std::string& text) = 0;
    // The disclaimer dialog. True only when the user chose to agree.
    virtual bool showDisclaimer() = 0;

    // A command id handed to the main window (delivered to the command handler).
    virtual void postCommand(int commandId) = 0;
    // A repeating timer; starting an id that runs restarts it.
    virtual void startTimer(int timerId, int intervalMs) = 0;
    virtual void killTimer(int timerId) = 0;
    // Asks the program to end through its normal shutdown.
    virtual void requestQuit() = 0;

    virtual void redrawPanel() = 0;
    virtual void refreshProgram() = 0;
    virtual void setCaption(const std::string& caption) = 0;
    // The state line of the status bar (a board's link, for example). Any
    // thread may call it; a frontend without a status bar ignores it.
    virtual void setStatusText(const std::string& /*text*/) {}

    void setTimerHandler(Handler handler) { timerHandler_ = std::move(handler); }
    void setCommandHandler(Handler handler) { commandHandler_ = std::move(handler); }

    // Conveniences over the string table.
    void showMessage(int messageId, std::initializer_list<std::string> args = {});
    void showMessage(int messageId, Icon icon, std::initializer_list<std::string> args = {});
    Answer ask(int messageId, Buttons buttons, std::initializer_list<std::string> args = {});

protected:
    void deliverTimer(int timerId);
    void deliverCommand(int commandId);

private:
    Handler timerHandler_;
    Handler commandHandler_;
};

} // namespace vardo
