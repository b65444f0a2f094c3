// The window's frontend when it closes while workers ask it for message
// boxes: they get the default answer instead of waiting for a window that
// no longer serves them.
#include "qt_app.h"

#include <QWidget> // the frontend keeps a pointer to the window

#include "vardo/ui/qt_frontend.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <future>
#include <thread>

using namespace vardo;
using namespace vardo::ui;

TEST(QtFrontend, WorkersAskingWhileTheWindowClosesGetTheDefaultAnswer)
{
    ui_fixtures::qtApp();
    QtFrontend frontend;
    std::promise<Answer> asked;
    std::thread worker(
        [&] { asked.set_value(frontend.ask("続けますか", Buttons::YesNo, Icon::Question)); });
    // The question is on its way to the window, which is busy closing.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    frontend.close();
    auto answer = asked.get_future();
    const bool returned = answer.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    if (!returned)
        QCoreApplication::processEvents(); // lets a wrongly waiting worker go
    worker.join();
    ASSERT_TRUE(returned) << "the worker waited for a closing window";
    EXPECT_EQ(answer.get(), Answer::No);

    // Later calls from other threads return at once with their defaults.
    std::async(std::launch::async, [&] {
        EXPECT_EQ(frontend.ask("?", Buttons::OkCancel, Icon::Question), Answer::Cancel);
        EXPECT_EQ(frontend.ask("?", Buttons::Ok, Icon::Information), Answer::Ok);
        EXPECT_FALSE(frontend.showNotice("notice"));
        EXPECT_FALSE(frontend.showDisclaimer());
        frontend.showMessage("gone", Icon::Information);
    }).get();
    // What was queued for the window shows no box when its turn comes (a
    // box would block here for ever).
    QCoreApplication::processEvents();
}
