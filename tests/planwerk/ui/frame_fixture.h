#pragma once
// The real frame window on the offscreen platform, on a folder of its own
// with settings and, if asked, a working picture. Every message and
// question is recorded; questions are answered by `answer`.
#include "editor_fixture.h"
#include "qt_app.h"

#include "planwerk/ui/main_frame.h"

#include <QAction>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace planwerk::ui::testing {

class FrameFixture : public ::testing::Test {
protected:
    void SetUp() override { qtApp(); }

    void open(bool picture)
    {
        planwerk::testing::writeIni(dir.path());
        if (picture)
            planwerk::testing::writeWorkingPicture(dir.path());
        frame = std::make_unique<MainFrame>(dir.path());
        frame->hooks.message = [this](const std::string& text, common::Icon) {
            messages.push_back(text);
        };
        frame->hooks.ask = [this](const std::string& text, Buttons, Answer) {
            questions.push_back(text);
            return answer(text);
        };
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        ASSERT_TRUE(frame->start());
    }

    // The commands whose menu items can be chosen now.
    std::set<MenuId> enabledActions() const
    {
        std::set<MenuId> out;
        for (const CommandEntry& e : commandTable())
            if (frame->action(e.id)->isEnabled())
                out.insert(e.id);
        return out;
    }

    planwerk::testing::TempFolder dir;
    std::unique_ptr<MainFrame> frame;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::function<Answer(const std::string&)> answer = [](const std::string&) {
        return Answer::No;
    };
};

} // namespace planwerk::ui::testing
