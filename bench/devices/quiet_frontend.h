#pragma once
// A frontend for device benchmarks: messages to stderr, every question
// cancelled, timers and redraws ignored.
#include "vardo/base/frontend.h"

#include <cstdio>

namespace vardo::bench {

class QuietFrontend : public vardo::Frontend {
public:
    void showMessage(const std::string& text, vardo::Icon) override
    {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
    vardo::Answer ask(const std::string&, vardo::Buttons, vardo::Icon) override
    {
        return vardo::Answer::Cancel;
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

} // namespace vardo::bench
