#include "usb_rig.h"

#include "common/profile.h"
#include "common/string_table.h"
#include "wait_until.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <sstream>

namespace vardo::testing {
namespace {

using devices::UsbLayoutInfo;
using Clock = std::chrono::steady_clock;
using Strings = std::vector<std::string>;

UsbLayoutInfo points(int count)
{
    UsbLayoutInfo info;
    info.pointCount = count;
    return info;
}

// ---- against the emulated board on a pseudo-terminal ----

TEST(UsbControllerPty, StartUpSendsHelloStopAndStraightPulsesSkippingCoupledPoints)
{
    PtyRig rig({});
    ASSERT_TRUE(rig.boardReady);
    UsbLayoutInfo layout = points(4);
    layout.coupledWithNext[1] = true; // point 3 moves with point 2
    rig.usb->setLayout(layout);
    ASSERT_TRUE(rig.usb->initController());
    EXPECT_TRUE(rig.usb->connected());
    EXPECT_EQ(rig.received(), (Strings{"AT", "PCR00R10", "PCT2002", "PCT4002", "PCT8002"}));
    EXPECT_TRUE(rig.frontend.messages().empty());
    // Each pulse marks its point output busy for a second.
    auto timers = rig.frontend.runningTimers();
    EXPECT_EQ(timers, (std::map<int, int>{{1, 1000}, {2, 1000}, {4, 1000}}));
    EXPECT_TRUE(rig.usb->pointBusy(0));
    EXPECT_FALSE(rig.usb->pointBusy(2));
}

TEST(UsbControllerPty, EveryActionSendsItsCommand)
{
    PtyRig rig({}, "POINT_TIME2=15\n");
    ASSERT_TRUE(rig.boardReady);
    UsbLayoutInfo layout = points(0);
    layout.drivesBarrier[2] = true; // point 3 drives a crossing barrier
    rig.usb->setLayout(layout);
    ASSERT_TRUE(rig.usb->initController());
    const Strings expected = {"PCR00R10", "PCR01R10", "PCR00R11", "PCT2002", "PCT3002", "PCT4015",
                              "PCT5015",  "PCT6008",  "PCT7008",  "PCT8002", "PCT9002"};
    for (int code = 0; code <= 10; ++code) {
        EXPECT_TRUE(rig.usb->sendAction(code)) << code;
        if (code >= 3)
            rig.frontend.fireTimer((code - 3) / 2 + 1);
        if (code == 1) {
            EXPECT_TRUE(rig.board.relays()[0]);
        }
    }
    Strings got = rig.received();
    ASSERT_EQ(got.size(), 13u);
    EXPECT_EQ(Strings(got.begin() + 2, got.end()), expected);
    EXPECT_TRUE(rig.frontend.runningTimers().empty());
}

TEST(UsbControllerPty, SkinFourDrivesRelayNine)
{
    PtyRig rig({});
    ASSERT_TRUE(rig.boardReady);
    ASSERT_TRUE(rig.usb->initController());
    rig.usb->setSkin(4);
    EXPECT_TRUE(rig.usb->sendAction(10));
    EXPECT_TRUE(rig.board.relays()[8]);
    EXPECT_TRUE(rig.usb->sendAction(9));
    EXPECT_FALSE(rig.board.relays()[8]);
    EXPECT_EQ(rig.received().back(), "PCR80");
    EXPECT_FALSE(rig.usb->pointBusy(3));
}

TEST(UsbControllerPty, SecondPulseWaitsForTheBusyTimer)
{
    PtyRig rig({});
    ASSERT_TRUE(rig.boardReady);
    ASSERT_TRUE(rig.usb->initController());
    ASSERT_TRUE(rig.usb->sendAction(4));
    EXPECT_TRUE(rig.usb->pointBusy(0));
    // Another point is not held up.
    EXPECT_TRUE(rig.usb->sendAction(5));

    // The window's timer fires a little later (well within the polls); the
    // pulse must wait for it, however long the machine takes to get there.
    std::atomic<bool> fired{false};
    std::thread window([&rig, &fired] {
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        fired = true;
        rig.frontend.fireTimer(1);
    });
    const auto start = Clock::now();
    EXPECT_TRUE(rig.usb->sendAction(4));
    const bool sentAfterTheTimer = fired;
    const long waited = msSince(start);
    window.join();
    EXPECT_TRUE(sentAfterTheTimer);
    EXPECT_GE(waited, 55);
    EXPECT_EQ(rig.received(), (Strings{"AT", "PCR00R10", "PCT3002", "PCT4002", "PCT3002"}));

    // Never cleared: the pulse is refused after the polls run out.
    const auto again = Clock::now();
    EXPECT_FALSE(rig.usb->sendAction(3));
    EXPECT_GE(msSince(again), 280);
    EXPECT_EQ(rig.received().size(), 5u);
}

TEST(UsbControllerPty, EchoBeforeOkIsAccepted)
{
    boardsim::Options options;
    options.echo = true;
    PtyRig rig(options);
    ASSERT_TRUE(rig.boardReady);
    ASSERT_TRUE(rig.usb->initController());
    EXPECT_TRUE(rig.usb->sendAction(1));
    EXPECT_TRUE(rig.usb->setRelay(7, true));
    EXPECT_EQ(rig.opener.opens, 1); // no reconnection was needed
}

TEST(UsbControllerPty, RelaysRecordedAndSwitchedOffAtShutdown)
{
    PtyRig rig({});
    ASSERT_TRUE(rig.boardReady);
    ASSERT_TRUE(rig.usb->initController());
    EXPECT_TRUE(rig.usb->setRelay(7, true));
    EXPECT_TRUE(rig.usb->setRelay(9, true));
    EXPECT_TRUE(rig.usb->setRelay(10, true));
    EXPECT_TRUE(rig.usb->setRelay(10, false));
    EXPECT_FALSE(rig.usb->setRelay(6, true));
    EXPECT_FALSE(rig.usb->setRelay(11, true));
    EXPECT_EQ(rig.usb->optionRelayBits(), 0b0101);
    rig.usb->shutdownController();
    EXPECT_FALSE(rig.usb->connected());
    EXPECT_EQ(rig.received(), (Strings{"AT", "PCR00R10", "PCR61", "PCR81", "PCR91", "PCR90",
                                       "PCR00R10", "PCR60", "PCR80"}));
    EXPECT_EQ(rig.usb->optionRelayBits(), 0);
    for (bool on : rig.board.relays())
        EXPECT_FALSE(on);
    // Closed: nothing more reaches the board.
    EXPECT_TRUE(rig.usb->sendAction(1));
    EXPECT_EQ(rig.received().size(), 9u);
}

TEST(UsbControllerPty, DroppedLineFailsFastWithOneReconnectAttempt)
{
    boardsim::Options options;
    options.dropAfter = 2;
    PtyRig rig(options, "", devices::UsbTiming{}); // the board's own timing
    ASSERT_TRUE(rig.boardReady);
    ASSERT_TRUE(rig.usb->initController());
    for (int i = 0; i < 200 && !rig.board.dropped(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(rig.board.dropped());
    const auto start = Clock::now();
    EXPECT_FALSE(rig.usb->sendAction(1));
    EXPECT_LT(msSince(start), 1000);
    EXPECT_EQ(rig.opener.opens, 2);
    EXPECT_FALSE(rig.usb->setRelay(7, true));
    EXPECT_EQ(rig.opener.opens, 3);
    rig.usb->shutdownController();
    EXPECT_FALSE(rig.usb->connected());
}

TEST(UsbControllerPty, SilentBoardAtStartUpGivesNoReplyAfterFiveSeconds)
{
    boardsim::Options options;
    options.silentAfter = 0;
    PtyRig rig(options, "", devices::UsbTiming{});
    ASSERT_TRUE(rig.boardReady);
    const auto start = Clock::now();
    EXPECT_FALSE(rig.usb->initController());
    const long waited = msSince(start);
    EXPECT_GE(waited, 4900);
    EXPECT_LT(waited, 6500);
    EXPECT_FALSE(rig.usb->connected());
    ASSERT_EQ(rig.frontend.messageTexts(), Strings{common::formatMessage(common::msg::UsbNoReply)});
    // No reconnection for the hello, and the port is free again.
    EXPECT_EQ(rig.opener.opens, 1);
    EXPECT_NE(devices::SerialPort::open(rig.board.devicePath(), 9600), nullptr);
}

TEST(UsbControllerPty, DebugLogLinesHoldTimeAndCommandAsSent)
{
    PtyRig rig({}, "", fastTiming(), "[DEBUG]\nUSB=1\n");
    ASSERT_TRUE(rig.boardReady);
    rig.dir.write("debug_usb.log", "999:left over\r\n");
    ASSERT_TRUE(rig.usb->initController());
    ASSERT_TRUE(rig.usb->sendAction(2));
    ASSERT_TRUE(rig.usb->setRelay(8, true));
    std::ifstream in(rig.dir.file("debug_usb.log"), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::regex line("(\\d+):([A-Z0-9]+)\r\n");
    std::vector<std::string> logged;
    long last = -1;
    std::string all = text.str();
    for (std::sregex_iterator it(all.begin(), all.end(), line), end; it != end; ++it) {
        long t = std::stol((*it)[1]);
        EXPECT_GE(t, last);
        last = t;
        logged.push_back((*it)[2]);
    }
    EXPECT_EQ(logged, (Strings{"AT", "PCR00R10", "PCR00R11", "PCR71"}));
    EXPECT_EQ(all.find("left over"), std::string::npos);
    size_t lineCount = static_cast<size_t>(std::count(all.begin(), all.end(), '\n'));
    EXPECT_EQ(lineCount, logged.size());
}

// ---- against the in-memory board ----

TEST(UsbControllerMemory, ComNumberZeroSendsNothingAndSucceeds)
{
    MemoryRig rig("COM_NO=0\n");
    EXPECT_TRUE(rig.usb->initController());
    EXPECT_FALSE(rig.usb->connected());
    for (int code = 0; code <= 12; ++code)
        EXPECT_TRUE(rig.usb->sendAction(code)) << code;
    EXPECT_TRUE(rig.usb->setRelay(7, true));
    rig.usb->shutdownController();
    EXPECT_TRUE(rig.board->openedNumbers.empty());
    EXPECT_TRUE(rig.board->sent().empty());
    EXPECT_TRUE(rig.frontend.messages().empty());
    EXPECT_TRUE(rig.frontend.runningTimers().empty());
}

TEST(UsbControllerMemory, WaitResponseOffNeverReads)
{
    MemoryRig rig("COM_NO=2\nBAUD_RATE=19200\nWAIT_OPEN=0\n");
    rig.usb->setLayout(points(2));
    ASSERT_TRUE(rig.usb->initController());
    EXPECT_TRUE(rig.usb->sendAction(1));
    EXPECT_TRUE(rig.usb->sendAction(4));
    EXPECT_TRUE(rig.usb->sendAction(4)); // no busy flag without answers
    EXPECT_TRUE(rig.usb->setRelay(7, true));
    rig.usb->shutdownController();
    EXPECT_EQ(rig.board->readCalls(), 0);
    EXPECT_EQ(rig.board->openedBauds, std::vector<int>{19200});
    EXPECT_EQ(rig.board->sent(),
              (Strings{"AT\r", "PCR00R10\r", "PCT2002\r", "PCT4002\r", "PCR01R10\r", "PCT3002\r",
                       "PCT3002\r", "PCR61\r", "PCR00R10\r", "PCR60\r"}));
    EXPECT_TRUE(rig.frontend.runningTimers().empty());
}

TEST(UsbControllerMemory, LampCodesSendNothing)
{
    MemoryRig rig;
    ASSERT_TRUE(rig.usb->initController());
    const size_t before = rig.board->sent().size();
    EXPECT_TRUE(rig.usb->sendAction(11));
    EXPECT_TRUE(rig.usb->sendAction(12));
    EXPECT_EQ(rig.board->sent().size(), before);
}

TEST(UsbControllerMemory, PortThatWillNotOpenShowsInitFailure)
{
    MemoryRig rig;
    rig.board->openable = false;
    EXPECT_FALSE(rig.usb->initController());
    EXPECT_FALSE(rig.usb->connected());
    auto messages = rig.frontend.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "USBインタフェイスの初期化に失敗しました。\n"
                                "接続を確認して本プログラムを立ち上げ直してください");
    EXPECT_EQ(messages[0].icon, Icon::Stop);
    EXPECT_TRUE(rig.usb->sendAction(1)); // nothing connected: nothing to do
}

TEST(UsbControllerMemory, NoAnswerToHelloShowsNoReply)
{
    MemoryRig rig;
    rig.board->answer = [](const std::string&) { return std::string("NG"); };
    EXPECT_FALSE(rig.usb->initController());
    EXPECT_FALSE(rig.usb->connected());
    EXPECT_EQ(rig.frontend.messageTexts(),
              Strings{"USBインタフェイスからの応答がありません。\n"
                      "設定コマンドのCOMポート選択を行ってください。"});
    EXPECT_EQ(rig.board->sent(), Strings{"AT\r"});
    rig.board->answer = [](const std::string&) { return std::string("OK"); };
    EXPECT_TRUE(rig.usb->initController());
    EXPECT_EQ(rig.board->opens, 2);
}

TEST(UsbControllerMemory, AnswerArrivingInPiecesCounts)
{
    MemoryRig rig;
    ASSERT_TRUE(rig.usb->initController());
    rig.board->pieceDelayMs = 5;
    rig.board->answer = [](const std::string& c) { return c.substr(0, 2) + "OK"; };
    EXPECT_TRUE(rig.usb->sendAction(1));
    rig.board->answer = [](const std::string&) { return std::string("xxxOK"); };
    EXPECT_FALSE(rig.usb->sendAction(2));
}

TEST(UsbControllerMemory, ReconnectsAfterSilenceAndSendsAgain)
{
    MemoryRig rig;
    ASSERT_TRUE(rig.usb->initController());
    auto silentOnce = std::make_shared<std::atomic<bool>>(true);
    rig.board->answer = [silentOnce](const std::string&) {
        return silentOnce->exchange(false) ? std::string() : std::string("OK");
    };
    EXPECT_TRUE(rig.usb->sendAction(1));
    EXPECT_EQ(rig.board->sent(),
              (Strings{"AT\r", "PCR00R10\r", "PCR01R10\r", "AT\r", "PCR01R10\r"}));
    EXPECT_EQ(rig.board->opens, 2);
    EXPECT_FALSE(rig.usb->reconnecting());
}

TEST(UsbControllerMemory, BoardThatStaysSilentFailsAfterOneReconnect)
{
    MemoryRig rig;
    ASSERT_TRUE(rig.usb->initController());
    rig.board->answer = [](const std::string&) { return std::string(); };
    const auto start = Clock::now();
    EXPECT_FALSE(rig.usb->sendAction(1));
    // One reply wait for the command, one for the hello after reopening.
    EXPECT_LT(msSince(start), 2 * 300 + 250);
    EXPECT_EQ(rig.board->opens, 2);
    EXPECT_EQ(rig.board->sent().back(), "AT\r");
    EXPECT_TRUE(rig.usb->connected());
}

TEST(UsbControllerMemory, VanishedLineIsReopenedWhenTheBoardReturns)
{
    MemoryRig rig("COM_NO=3\n", devices::UsbTiming{});
    ASSERT_TRUE(rig.usb->initController());
    {
        std::lock_guard lock(rig.board->mutex);
        rig.board->gone = true;
    }
    const auto start = Clock::now();
    EXPECT_TRUE(rig.usb->sendAction(2));
    EXPECT_LT(msSince(start), 500);
    EXPECT_EQ(rig.board->opens, 2);
    EXPECT_EQ(rig.board->sent().back(), "PCR00R11\r");
}

TEST(UsbControllerMemory, ConcurrentSendersNeverShareAnAnswer)
{
    MemoryRig rig;
    ASSERT_TRUE(rig.usb->initController());
    rig.board->replyDelayMs = 2;
    std::atomic<int> failures{0};
    auto sender = [&](int code) {
        for (int i = 0; i < 40; ++i) {
            if (!rig.usb->sendAction(code))
                ++failures;
        }
    };
    std::thread a(sender, 1);
    std::thread b(sender, 2);
    std::thread c([&] {
        for (int i = 0; i < 40; ++i) {
            if (!rig.usb->setRelay(7 + i % 4, i % 2 == 0))
                ++failures;
        }
    });
    a.join();
    b.join();
    c.join();
    EXPECT_EQ(failures, 0);
    // Every command was answered first time: no hello of a reconnection.
    EXPECT_EQ(rig.board->sent().size(), 2u + 120u);
    EXPECT_EQ(rig.board->opens, 1);
}

class FakeRouter : public devices::ActionRouter {
public:
    bool isOpen() const override { return open; }
    bool takeAction(int code, const std::string& command) override
    {
        seen.emplace_back(code, command);
        return code == 3;
    }
    bool open = true;
    std::vector<std::pair<int, std::string>> seen;
};

TEST(UsbControllerMemory, RouterSeamTakesActionsBeforeTheBoard)
{
    MemoryRig rig;
    FakeRouter router;
    rig.usb->setRouter(&router);
    ASSERT_TRUE(rig.usb->initController());
    const size_t before = rig.board->sent().size();
    EXPECT_TRUE(rig.usb->sendAction(3));
    EXPECT_EQ(rig.board->sent().size(), before);
    EXPECT_TRUE(rig.usb->sendAction(1));
    EXPECT_EQ(rig.board->sent().back(), "PCR01R10\r");
    ASSERT_GE(router.seen.size(), 2u);
    EXPECT_EQ(router.seen[router.seen.size() - 2], std::make_pair(3, std::string("PCT2002\r")));

    // With only the extended interface there, actions still reach it.
    MemoryRig none("COM_NO=0\n");
    FakeRouter only;
    none.usb->setRouter(&only);
    ASSERT_TRUE(none.usb->initController());
    EXPECT_TRUE(none.usb->sendAction(1));
    EXPECT_EQ(only.seen.size(), 1u);
    EXPECT_TRUE(none.board->sent().empty());
}

TEST(UsbControllerMemory, ComSelectionWritesNumberAndRestartsBoard)
{
    MemoryRig rig("COM_NO=0\n");
    const std::string ini = rig.dir.file("option.ini");
    ASSERT_TRUE(rig.usb->initController());

    rig.frontend.queueAnswer(Answer::Cancel);
    EXPECT_EQ(rig.usb->selectComPort(4, true), 0);
    EXPECT_EQ(rig.frontend.questions(),
              Strings{common::formatMessage(common::msg::AlreadyExtConnected)});
    EXPECT_EQ(common::Profile::getString(ini, "USB", "COM_NO", "x"), "0");
    EXPECT_TRUE(rig.board->openedNumbers.empty());

    rig.frontend.queueAnswer(Answer::Ok);
    EXPECT_EQ(rig.usb->selectComPort(5, true), 5);
    EXPECT_EQ(common::Profile::getString(ini, "USB", "COM_NO", "x"), "5");
    EXPECT_TRUE(rig.usb->connected());

    EXPECT_EQ(rig.usb->selectComPort(12, false), 12);
    EXPECT_EQ(rig.board->openedNumbers, (std::vector<int>{5, 12}));
    // The old board was stopped before the new one was greeted.
    EXPECT_EQ(rig.board->sent(),
              (Strings{"AT\r", "PCR00R10\r", "PCR00R10\r", "AT\r", "PCR00R10\r"}));
    EXPECT_EQ(rig.frontend.questions().size(), 2u);

    EXPECT_EQ(rig.usb->selectComPort(0, false), 0);
    EXPECT_FALSE(rig.usb->connected());
}

} // namespace
} // namespace vardo::testing
