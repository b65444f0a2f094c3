// The clipboard read for the outside-program interface's polling thread.
#include "qt_app.h"

#include "vardo/ui/clipboard_reader.h"

#include <QClipboard>
#include <QCoreApplication>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// Runs the reader on a thread of its own while this (the window's) thread
// handles events, as the window's loop would.
bool readFromWorker(const std::function<bool(std::string&)>& reader, std::string& text,
                    bool serveEvents)
{
    std::atomic<bool> done{false};
    bool result = false;
    std::thread worker([&] {
        result = reader(text);
        done = true;
    });
    while (!done) {
        if (serveEvents)
            QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    worker.join();
    return result;
}

} // namespace

TEST(ClipboardReader, AnotherThreadGetsTheTextThroughTheWindowsThread)
{
    ui_fixtures::qtApp();
    QGuiApplication::clipboard()->setText("/home/rail/programs/lap.vpr");
    std::string text;
    EXPECT_TRUE(readFromWorker(vardo::ui::clipboardReader(), text, true));
    EXPECT_EQ(text, "/home/rail/programs/lap.vpr");

    QGuiApplication::clipboard()->clear();
    EXPECT_FALSE(readFromWorker(vardo::ui::clipboardReader(), text, true));
}

TEST(ClipboardReader, AWindowThreadThatDoesNotAnswerEndsTheWaitInTime)
{
    ui_fixtures::qtApp();
    QGuiApplication::clipboard()->setText("x.vpr");
    std::string text;
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_FALSE(readFromWorker(vardo::ui::clipboardReader(100), text, false));
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(5));
    // The late call still runs, harmlessly, once events are handled.
    QCoreApplication::processEvents();
}
