// A relay board that comes back: after an unplugged cable, and one that was
// not there at all when Vardo started. Its relays must end up as the panel
// shows them, against the emulated board on a pseudo-terminal behind a link.
#include "usb_rig.h"
#include "wait_until.h"

#include "common/string_table.h"
#include "vardo/devices/link_status.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vardo::testing {
namespace {

using devices::Board;
using Strings = std::vector<std::string>;

// Relay n of the emulated board (1-based).
bool relayOn(const boardsim::BoardEmulator& board, int n)
{
    return board.relays()[static_cast<size_t>(n - 1)];
}

// What the board received from its first line again on, that is after the
// probe that found it.
Strings afterReturn(const PtyRig& rig, size_t receivedBeforeDrop)
{
    const Strings all = rig.received();
    return Strings(all.begin() + static_cast<long>(std::min(receivedBeforeDrop, all.size())),
                   all.end());
}

devices::UsbTiming quickReconnect()
{
    devices::UsbTiming t = fastTiming();
    t.reconnect = {20, 80};
    return t;
}

boardsim::Options returning(const TempDir& links, int dropAfter, int returnAfterMs)
{
    boardsim::Options o;
    o.dropAfter = dropAfter;
    o.returnAfterMs = returnAfterMs;
    o.linkPath = links.file("ttyBoard");
    return o;
}

TEST(BoardReturn, BackgroundReconnectionSendsTheStateInForceButNoPulse)
{
    TempDir links;
    // AT, the start-up stop, relay 7, a point pulse and forward: then the cable goes.
    PtyRig rig(returning(links, 5, 300), "AUTO_RECONNECT=1\n", quickReconnect());
    ASSERT_TRUE(rig.boardReady);
    ASSERT_TRUE(rig.usb->initController());
    EXPECT_TRUE(rig.usb->setRelay(7, true));
    EXPECT_TRUE(rig.usb->sendAction(3));
    EXPECT_TRUE(rig.usb->sendAction(1));
    ASSERT_TRUE(waitUntil([&] { return rig.board.dropped(); }));

    // While it is away the train is turned round and relay 8 switched on.
    EXPECT_FALSE(rig.usb->sendAction(2));
    EXPECT_FALSE(rig.usb->setRelay(8, true));
    ASSERT_TRUE(waitUntil([&] { return !rig.usb->linkLost(); }));
    EXPECT_EQ(rig.frontend.statusTexts().back(), devices::linkBackText(Board::Usb));

    // The board restarted with every relay off; it now holds the state again.
    EXPECT_EQ(afterReturn(rig, 5), (Strings{"AT", "PCR00R11", "PCR61", "PCR71"}));
    EXPECT_FALSE(relayOn(rig.board, 1));
    EXPECT_TRUE(relayOn(rig.board, 2));
    EXPECT_TRUE(relayOn(rig.board, 7));
    EXPECT_TRUE(relayOn(rig.board, 8));
    rig.usb->shutdownController();
}

TEST(BoardReturn, AnActionsOwnReconnectionSendsTheStateBeforeItself)
{
    TempDir links;
    // AT, the start-up stop, relay 9 on, forward: then the cable goes.
    PtyRig rig(returning(links, 4, 50), "", quickReconnect());
    ASSERT_TRUE(rig.boardReady);
    ASSERT_TRUE(rig.usb->initController());
    EXPECT_TRUE(rig.usb->setRelay(9, true));
    EXPECT_TRUE(rig.usb->sendAction(1));
    ASSERT_TRUE(waitUntil([&] { return rig.board.returns() == 1; }));

    // The point action finds the line gone, reopens it and brings the board
    // up to date before its own pulse.
    EXPECT_TRUE(rig.usb->sendAction(5));
    EXPECT_EQ(afterReturn(rig, 4), (Strings{"AT", "PCR01R10", "PCR81", "PCT4002"}));
    EXPECT_TRUE(relayOn(rig.board, 1));
    EXPECT_TRUE(relayOn(rig.board, 9));
    rig.usb->shutdownController();
}

TEST(BoardReturn, ADirectionChangeOnTheNewLineGoesOutOnce)
{
    TempDir links;
    PtyRig rig(returning(links, 3, 50), "", quickReconnect());
    ASSERT_TRUE(rig.boardReady);
    ASSERT_TRUE(rig.usb->initController());
    EXPECT_TRUE(rig.usb->sendAction(1));
    ASSERT_TRUE(waitUntil([&] { return rig.board.returns() == 1; }));
    // The new direction is the state in force: it is not sent a second time.
    EXPECT_TRUE(rig.usb->sendAction(2));
    EXPECT_EQ(afterReturn(rig, 3), (Strings{"AT", "PCR00R11"}));
    EXPECT_TRUE(relayOn(rig.board, 2));
    rig.usb->shutdownController();
}

// ---- a board that is not there at start-up ----

struct LateBoardRig {
    explicit LateBoardRig(const std::string& usbKeys)
        : link(dir.file("ttyBoard")), opener(dir.file("option.ini"))
    {
        dir.write("option.ini", "[SERIAL]\nCOM3=" + link + "\n[USB]\nCOM_NO=3\n" + usbKeys);
        usb = std::make_unique<devices::UsbController>(frontend, opener, dir.file("option.ini"),
                                                       dir.path(), quickReconnect());
    }
    // The board is plugged in: its line appears at the configured name.
    bool plugIn()
    {
        boardsim::Options o;
        o.linkPath = link;
        board = std::make_unique<boardsim::BoardEmulator>(o);
        return board->open() && board->start();
    }
    Strings received() const
    {
        Strings out;
        for (const auto& r : board->commands())
            out.push_back(r.command);
        return out;
    }

    TempDir dir;
    const std::string link;
    RecordingFrontend frontend;
    CountingOpener opener;
    std::unique_ptr<boardsim::BoardEmulator> board;
    std::unique_ptr<devices::UsbController> usb;
};

TEST(AbsentBoard, WithAutoReconnectItIsPickedUpWhenItAppears)
{
    LateBoardRig rig("AUTO_RECONNECT=1\n");
    EXPECT_FALSE(rig.usb->initController());
    // Start-up tells as before that the board is missing.
    EXPECT_EQ(rig.frontend.messageTexts(),
              Strings{common::formatMessage(common::msg::UsbInitFailed)});
    EXPECT_FALSE(rig.usb->connected());
    EXPECT_TRUE(rig.usb->reconnectingInBackground());
    ASSERT_TRUE(waitUntil([&] { return rig.opener.opens >= 3; }));
    const Strings status = rig.frontend.statusTexts();
    EXPECT_NE(std::find(status.begin(), status.end(), devices::linkLostText(Board::Usb, 20)),
              status.end());
    // Nothing reaches a board that is not there.
    EXPECT_FALSE(rig.usb->sendAction(1));
    EXPECT_FALSE(rig.usb->setRelay(10, true));

    ASSERT_TRUE(rig.plugIn());
    ASSERT_TRUE(waitUntil([&] { return rig.usb->connected() && !rig.usb->linkLost(); }));
    EXPECT_EQ(rig.frontend.statusTexts().back(), devices::linkBackText(Board::Usb));
    EXPECT_EQ(rig.received(), (Strings{"AT", "PCR01R10", "PCR91"}));
    EXPECT_TRUE(rig.usb->sendAction(2));
    EXPECT_EQ(rig.received().back(), "PCR00R11");
    ASSERT_TRUE(waitUntil([&] { return !rig.usb->reconnectingInBackground(); }));
    rig.usb->shutdownController();
    EXPECT_FALSE(rig.usb->connected());
}

TEST(AbsentBoard, ShutdownEndsTheSearch)
{
    LateBoardRig rig("AUTO_RECONNECT=1\n");
    EXPECT_FALSE(rig.usb->initController());
    ASSERT_TRUE(waitUntil([&] { return rig.opener.opens >= 2; }));
    rig.usb->shutdownController();
    EXPECT_FALSE(rig.usb->reconnectingInBackground());
    EXPECT_FALSE(rig.usb->linkLost());
    EXPECT_TRUE(rig.usb->sendAction(1)); // no board and none looked for
}

TEST(AbsentBoard, WithoutAutoReconnectNothingLooksForIt)
{
    LateBoardRig rig("");
    EXPECT_FALSE(rig.usb->initController());
    EXPECT_EQ(rig.frontend.messageTexts(),
              Strings{common::formatMessage(common::msg::UsbInitFailed)});
    // The background starts at once when it starts at all.
    EXPECT_FALSE(rig.usb->reconnectingInBackground());
    EXPECT_FALSE(rig.usb->linkLost());
    EXPECT_TRUE(rig.frontend.statusTexts().empty());
    EXPECT_TRUE(rig.usb->sendAction(1)); // nothing connected: nothing to do
    EXPECT_EQ(rig.opener.opens, 1);
}

} // namespace
} // namespace vardo::testing
