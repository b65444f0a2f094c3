// A board that is unplugged and plugged in again: the background
// reconnection of both boards ([USB] AUTO_RECONNECT) against the emulated
// board on a pseudo-terminal behind a link, with short delays.
#include "extended_rig.h"
#include "usb_rig.h"
#include "vardo/devices/link_reconnector.h"
#include "vardo/devices/link_status.h"

#include "common/string_table.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>

namespace vardo::testing {
namespace {

using devices::Board;
using Clock = std::chrono::steady_clock;

template <typename Condition> bool eventually(Condition done, int timeoutMs = 5000)
{
    const auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (Clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

bool contains(const std::vector<std::string>& texts, const std::string& text)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// ---- the worker on its own ----

TEST(LinkReconnector, PauseDoublesUpToTheCeilingUntilAnAttemptWorks)
{
    std::mutex mutex;
    std::vector<int> delays;
    std::atomic<int> attempts{0};
    devices::LinkReconnector worker(
        {5, 20}, [&] { return ++attempts == 5; },
        [&](int ms) {
            std::lock_guard lock(mutex);
            delays.push_back(ms);
        });
    worker.begin();
    ASSERT_TRUE(eventually([&] { return !worker.active(); }));
    EXPECT_EQ(attempts, 5);
    std::lock_guard lock(mutex);
    EXPECT_EQ(delays, (std::vector<int>{5, 10, 20, 20, 20}));
}

TEST(LinkReconnector, StopEndsALongPauseAndHoldsUntilResumed)
{
    std::atomic<int> attempts{0};
    devices::LinkReconnector worker({60000, 60000}, [&] { return ++attempts > 0; }, {});
    worker.begin();
    EXPECT_TRUE(worker.active());
    const auto start = Clock::now();
    worker.stop();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    EXPECT_FALSE(worker.active());
    EXPECT_EQ(attempts, 0);
    // A loss reported after the owner shut down starts nothing.
    worker.begin();
    EXPECT_FALSE(worker.active());
    worker.resume();
    worker.begin();
    EXPECT_TRUE(worker.active());
    worker.stop();
}

TEST(LinkReconnector, LossDuringARoundGivesAnotherRound)
{
    std::atomic<int> attempts{0};
    devices::LinkReconnector* self = nullptr;
    devices::LinkReconnector worker({1, 1},
                                    [&] {
                                        // The first success is lost again at once.
                                        if (++attempts == 1)
                                            self->begin();
                                        return true;
                                    },
                                    {});
    self = &worker;
    worker.begin();
    ASSERT_TRUE(eventually([&] { return attempts == 2 && !worker.active(); }));
    EXPECT_EQ(attempts, 2);
}

// ---- the relay board ----

struct ReturningBoard {
    explicit ReturningBoard(int dropAfter, int returnAfterMs, bool servo = false)
    {
        options.dropAfter = dropAfter;
        options.returnAfterMs = returnAfterMs;
        options.linkPath = links.file("ttyBoard");
        options.servo = servo;
    }
    TempDir links;
    boardsim::Options options;
};

devices::UsbTiming quickReconnect()
{
    devices::UsbTiming t = fastTiming();
    t.reconnect = {20, 80};
    return t;
}

TEST(UsbAutoReconnect, LostBoardIsBroughtBackInTheBackgroundAndTheStatusSaysSo)
{
    // AT and the stop of start-up, then one action: the cable goes.
    ReturningBoard setup(3, 300);
    PtyRig rig(setup.options, "AUTO_RECONNECT=1\n", quickReconnect());
    ASSERT_TRUE(rig.boardReady);
    ASSERT_TRUE(rig.usb->initController());
    EXPECT_TRUE(rig.usb->sendAction(1));
    ASSERT_TRUE(eventually([&] { return rig.board.dropped(); }));

    // The action fails after its one reconnection; the background takes over.
    EXPECT_FALSE(rig.usb->sendAction(2));
    EXPECT_TRUE(rig.usb->linkLost());
    ASSERT_TRUE(eventually([&] {
        return contains(rig.frontend.statusTexts(), devices::linkLostText(Board::Usb, 20));
    }));
    // While it tries, actions fail at once instead of waiting.
    const auto start = Clock::now();
    EXPECT_FALSE(rig.usb->sendAction(0));
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1000));

    // The board comes back: no restart, the next action goes through.
    ASSERT_TRUE(eventually([&] { return !rig.usb->linkLost(); }));
    EXPECT_EQ(rig.board.returns(), 1);
    const auto texts = rig.frontend.statusTexts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back(), devices::linkBackText(Board::Usb));
    EXPECT_TRUE(contains(texts, devices::linkRetryingText(Board::Usb)));
    EXPECT_TRUE(rig.usb->sendAction(2));
    const auto received = rig.received();
    ASSERT_GE(received.size(), 5u);
    // The background's probe on the new line, then the action.
    EXPECT_EQ(received[3], "AT");
    EXPECT_EQ(received.back(), "PCR00R11");
    rig.usb->shutdownController();
}

TEST(UsbAutoReconnect, OffByDefaultTheBoardIsOnlyRetriedByTheNextAction)
{
    ReturningBoard setup(3, 50);
    PtyRig rig(setup.options, "", quickReconnect());
    ASSERT_TRUE(rig.boardReady);
    ASSERT_TRUE(rig.usb->initController());
    EXPECT_TRUE(rig.usb->sendAction(1));
    ASSERT_TRUE(eventually([&] { return rig.board.dropped(); }));
    EXPECT_FALSE(rig.usb->sendAction(2));
    const int opens = rig.opener.opens;
    ASSERT_TRUE(eventually([&] { return rig.board.returns() == 1; }));
    // Nothing reopens the port on its own, and the status bar is left alone.
    EXPECT_EQ(rig.opener.opens, opens);
    EXPECT_TRUE(rig.usb->linkLost());
    EXPECT_TRUE(rig.frontend.statusTexts().empty());
    // The next action's own reconnection finds the board.
    EXPECT_TRUE(rig.usb->sendAction(2));
    EXPECT_FALSE(rig.usb->linkLost());
    EXPECT_EQ(rig.opener.opens, opens + 1);
    EXPECT_EQ(rig.received().back(), "PCR00R11");
    rig.usb->shutdownController();
}

TEST(UsbAutoReconnect, ShutdownWhileTryingEndsTheTries)
{
    ReturningBoard setup(3, -1); // never comes back
    devices::UsbTiming timing = quickReconnect();
    timing.reconnect = {10, 10};
    PtyRig rig(setup.options, "AUTO_RECONNECT=1\n", timing);
    ASSERT_TRUE(rig.boardReady);
    ASSERT_TRUE(rig.usb->initController());
    EXPECT_TRUE(rig.usb->sendAction(1));
    ASSERT_TRUE(eventually([&] { return rig.board.dropped(); }));
    EXPECT_FALSE(rig.usb->sendAction(2));
    const int opens = rig.opener.opens;
    ASSERT_TRUE(eventually([&] { return rig.opener.opens >= opens + 3; }));
    EXPECT_TRUE(rig.usb->reconnectingInBackground());
    rig.usb->shutdownController();
    // The worker has ended by the time shutdown returns.
    EXPECT_FALSE(rig.usb->reconnectingInBackground());
    EXPECT_FALSE(rig.usb->connected());
    EXPECT_FALSE(rig.usb->linkLost());
}

// ---- the extended interface ----

devices::ExtendedTiming quickExtended()
{
    devices::ExtendedTiming t = fastExtendedTiming();
    t.torqueSettleMs = 5;
    t.reconnect = {20, 80};
    return t;
}

TEST(ExtendedAutoReconnect, LostBoardIsBroughtBackAndServosMoveAgain)
{
    // Start-up of a point servo: torque on and goal; one more message and the cable goes.
    ReturningBoard setup(3, 300, true);
    ExtendedRig rig("POINT_SERVO=131\nSPEED_SERVO=0\nTRAIN_SERVO=0\nTURN_SERVO=0\n"
                    "[USB]\nAUTO_RECONNECT=1\n",
                    setup.options, quickExtended());
    ASSERT_TRUE(rig.boardReady);
    ASSERT_TRUE(rig.ext->initExtendedInterface());
    ASSERT_EQ(rig.received(2).size(), 2u);
    EXPECT_TRUE(rig.ext->takeAction(4, "")); // the third message, then the drop
    ASSERT_TRUE(eventually([&] { return rig.board.dropped(); }));
    EXPECT_FALSE(rig.ext->linkLost());
    rig.ext->servoAction(3);
    EXPECT_TRUE(rig.ext->linkLost());
    ASSERT_TRUE(eventually([&] {
        return contains(rig.frontend.statusTexts(), devices::linkLostText(Board::Extended, 20));
    }));
    ASSERT_TRUE(eventually([&] { return !rig.ext->linkLost(); }));
    EXPECT_EQ(rig.frontend.statusTexts().back(), devices::linkBackText(Board::Extended));
    const size_t before = rig.board.servoRecords().size();
    rig.ext->servoAction(4);
    const auto records = rig.received(before + 2);
    ASSERT_EQ(records.size(), before + 2);
    EXPECT_EQ(records.back().servo, 3);
    EXPECT_EQ(records.back().position, -900);
    rig.ext->closeExtendedInterface();
}

TEST(ExtendedAutoReconnect, WithoutTheOptionOneReopenPerFailedWriteAndNoStatus)
{
    ReturningBoard setup(3, 50, true);
    ExtendedRig rig("POINT_SERVO=131\nSPEED_SERVO=0\nTRAIN_SERVO=0\nTURN_SERVO=0\n", setup.options,
                    quickExtended());
    ASSERT_TRUE(rig.boardReady);
    ASSERT_TRUE(rig.ext->initExtendedInterface());
    ASSERT_EQ(rig.received(2).size(), 2u);
    rig.ext->servoAction(4);
    ASSERT_TRUE(eventually([&] { return rig.board.dropped(); }));
    ASSERT_TRUE(eventually([&] { return rig.board.returns() == 1; }));
    // The first write fails, the one reopening finds the board again and
    // the message goes out on the new line.
    const size_t before = rig.board.servoRecords().size();
    rig.ext->servoAction(3);
    EXPECT_FALSE(rig.ext->linkLost());
    const auto records = rig.received(before + 2);
    ASSERT_EQ(records.size(), before + 2);
    EXPECT_EQ(records.back().position, 900);
    EXPECT_TRUE(rig.frontend.statusTexts().empty());
    rig.ext->closeExtendedInterface();
}

// An extended interface whose board is not plugged in at start-up; the
// board appears later at the configured name.
struct AbsentExtended {
    explicit AbsentExtended(const std::string& usbKeys)
        : link(dir.file("ttyServo")), opener(dir.file("option.ini"))
    {
        dir.write("option.ini", "[SERIAL]\nCOM4=" + link +
                                    "\n[SERVO]\nCOM_NO=4\nPOINT_SERVO=131\nSPEED_SERVO=0\n"
                                    "TRAIN_SERVO=0\nTURN_SERVO=0\n[USB]\n" +
                                    usbKeys);
        dir.write("VARDO.ini", "[SERVO]\n");
        ext = std::make_unique<devices::ExtendedInterface>(
            frontend, opener, Settings(dir.file("VARDO.ini"), dir.file("option.ini")),
            quickExtended());
    }
    bool plugIn()
    {
        boardsim::Options o;
        o.servo = true;
        o.linkPath = link;
        board = std::make_unique<boardsim::BoardEmulator>(o);
        return board->open() && board->start();
    }

    TempDir dir;
    const std::string link;
    RecordingFrontend frontend;
    devices::SerialPortOpener opener;
    std::unique_ptr<boardsim::BoardEmulator> board;
    std::unique_ptr<devices::ExtendedInterface> ext;
};

TEST(ExtendedAutoReconnect, ABoardMissingAtStartUpIsPickedUpWhenItAppears)
{
    AbsentExtended rig("AUTO_RECONNECT=1\n");
    EXPECT_FALSE(rig.ext->initExtendedInterface());
    EXPECT_EQ(rig.frontend.messageTexts(),
              std::vector<std::string>{common::formatMessage(common::msg::ExtInitFailed)});
    EXPECT_FALSE(rig.ext->isOpen());
    EXPECT_TRUE(rig.ext->linkLost());
    ASSERT_TRUE(eventually([&] {
        return contains(rig.frontend.statusTexts(), devices::linkLostText(Board::Extended, 20));
    }));

    ASSERT_TRUE(rig.plugIn());
    ASSERT_TRUE(eventually([&] { return rig.ext->isOpen() && !rig.ext->linkLost(); }));
    EXPECT_EQ(rig.frontend.statusTexts().back(), devices::linkBackText(Board::Extended));
    EXPECT_TRUE(rig.ext->takeAction(4, ""));
    ASSERT_TRUE(eventually([&] { return rig.board->servoRecords().size() >= 2; }));
    const auto records = rig.board->servoRecords();
    EXPECT_EQ(records.back().servo, 3);
    EXPECT_EQ(records.back().position, -900);
    rig.ext->closeExtendedInterface();
    EXPECT_FALSE(rig.ext->isOpen());
}

TEST(ExtendedAutoReconnect, WithoutTheOptionAMissingBoardIsNotLookedFor)
{
    AbsentExtended rig("");
    EXPECT_FALSE(rig.ext->initExtendedInterface());
    EXPECT_EQ(rig.frontend.messageTexts(),
              std::vector<std::string>{common::formatMessage(common::msg::ExtInitFailed)});
    // A search would have begun before init returned.
    EXPECT_FALSE(rig.ext->linkLost());
    EXPECT_TRUE(rig.frontend.statusTexts().empty());
    EXPECT_FALSE(rig.ext->takeAction(4, ""));
}

} // namespace
} // namespace vardo::testing
