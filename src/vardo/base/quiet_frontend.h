#pragma once
// A frontend with no one in front of it: messages go nowhere, questions
// are declined (Cancel to an OK box, No to a Yes/No one), timers and
// redraws are ignored. For reports and measurements that run the core
// without a user; they override what they want to keep.
#include "vardo/base/frontend.h"

namespace vardo {

class QuietFrontend : public Frontend {
public:
    using Frontend::showMessage;
    void showMessage(const std::string&, Icon) override {}
    Answer ask(const std::string&, Buttons buttons, Icon) override
    {
        return buttons == Buttons::Ok || buttons == Buttons::OkCancel ? Answer::Cancel : Answer::No;
    }
    bool showNotice(const std::string&) override { return false; }
    bool showDisclaimer() override { return false; }
    void postCommand(int) override {}
    void startTimer(int, int) override {}
    void killTimer(int) override {}
    void requestQuit() override {}
    void redrawPanel() override {}
    void refreshProgram() override {}
    void setCaption(const std::string&) override {}
};

} // namespace vardo
