#include "vardo/base/command_ids.h"
#include "vardo/ui/display_state.h"
#include "vardo/ui/frame_swap.h"

#include <gtest/gtest.h>

#include <thread>

using namespace vardo;
using namespace vardo::ui;

TEST(DisplayState, LiveResetsTheSubModeOthersKeepIt)
{
    DisplayState d;
    d.setSubMode(DisplaySubMode::Vector);
    d.setMode(DisplayMode::Difference);
    EXPECT_EQ(d.subMode(), DisplaySubMode::Vector);
    d.setMode(DisplayMode::Layout);
    EXPECT_EQ(d.subMode(), DisplaySubMode::Vector);
    d.setMode(DisplayMode::Live);
    EXPECT_EQ(d.subMode(), DisplaySubMode::Centroid);
}

TEST(DisplayState, EnteringOrLeavingTheProgramTogglesTheEditor)
{
    DisplayState d;
    EXPECT_FALSE(d.setMode(DisplayMode::Layout));
    EXPECT_TRUE(d.setMode(DisplayMode::ProgramEditor));
    EXPECT_FALSE(d.setMode(DisplayMode::ProgramEditor));
    EXPECT_TRUE(d.setMode(DisplayMode::Live));
}

TEST(DisplayState, CommandsMapToModes)
{
    DisplayMode m;
    DisplaySubMode s;
    ASSERT_TRUE(modeForCommand(cmd::DifferenceImage, m));
    EXPECT_EQ(m, DisplayMode::Difference);
    ASSERT_TRUE(modeForCommand(cmd::ShowProgram, m));
    EXPECT_EQ(m, DisplayMode::ProgramEditor);
    ASSERT_TRUE(subModeForCommand(cmd::PolygonImage, s));
    EXPECT_EQ(s, DisplaySubMode::Polygon);
    EXPECT_FALSE(modeForCommand(cmd::Centroid, m));
    EXPECT_FALSE(subModeForCommand(cmd::LiveImage, s));
}

TEST(ViewSize, LayoutIsAlways640x480CameraOtherwise)
{
    EXPECT_EQ(viewSizeFor(DisplayMode::Layout, {320, 240}), QSize(640, 480));
    EXPECT_EQ(viewSizeFor(DisplayMode::ProgramEditor, {320, 240}), QSize(640, 480));
    EXPECT_EQ(viewSizeFor(DisplayMode::Live, {320, 240}), QSize(320, 240));
    EXPECT_EQ(viewSizeFor(DisplayMode::Difference, {640, 480}), QSize(640, 480));
    EXPECT_EQ(viewSizeFor(DisplayMode::Live, {}), QSize(320, 240));
    EXPECT_EQ(frameSizeForView({320, 240}), QSize(339, 343));
    EXPECT_EQ(frameSizeForView({640, 480}), QSize(659, 583));
}

TEST(FrameSwap, PublishExchangesWithoutCopyingAndCoalescesRepaints)
{
    FrameSwap swap;
    QImage& first = swap.back(QSize(4, 2), QImage::Format_BGR888);
    first.fill(Qt::red);
    const uchar* firstBits = first.constBits();
    EXPECT_TRUE(swap.publish()); // the window is asked to repaint
    QImage& second = swap.back(QSize(4, 2), QImage::Format_BGR888);
    second.fill(Qt::blue);
    EXPECT_FALSE(swap.publish()); // a repaint is already pending
    swap.withFront(
        [&](const QImage& front) { EXPECT_EQ(front.pixelColor(0, 0), QColor(Qt::blue)); });
    // The picture drawn first is the back one again: same pixels, reused.
    EXPECT_EQ(swap.back(QSize(4, 2), QImage::Format_BGR888).constBits(), firstBits);
    EXPECT_TRUE(swap.publish());
    EXPECT_EQ(swap.published(), 3u);
}

TEST(FrameSwap, ProducerAndWindowOnTwoThreads)
{
    FrameSwap swap;
    std::atomic<bool> done{false};
    std::thread producer([&] {
        for (int i = 0; i < 500; ++i) {
            QImage& back = swap.back(QSize(32, 24), QImage::Format_BGR888);
            back.fill(QColor(i % 256, 0, 0));
            swap.publish();
        }
        done = true;
    });
    while (!done) {
        swap.withFront([&](const QImage& front) {
            if (!front.isNull()) {
                // A published picture is whole: every pixel of one frame.
                const QColor c = front.pixelColor(0, 0);
                EXPECT_EQ(front.pixelColor(31, 23), c);
            }
        });
    }
    producer.join();
    EXPECT_EQ(swap.published(), 500u);
    // The window ends on the last picture drawn, whole.
    swap.withFront([&](const QImage& front) {
        ASSERT_EQ(front.size(), QSize(32, 24));
        EXPECT_EQ(front.pixelColor(0, 0), QColor(499 % 256, 0, 0));
        EXPECT_EQ(front.pixelColor(31, 23), QColor(499 % 256, 0, 0));
    });
}
