#include "extended_rig.h"
#include "usb_rig.h"

#include <gtest/gtest.h>

#include <thread>

namespace vardo::testing {
namespace {

// Both boards on one COM number: one open port, and three writers at once
// never mix their bytes on the line.
TEST(ExtendedSharingTest, OnePortAndNoInterleavedBytesUnderThreeWriters)
{
    boardsim::Options o = ExtendedRig::servoBoard();
    PtyRig usbRig(o, "WAIT_RESPONSE=1\n", fastTiming(),
                  "[SERVO]\nCOM_NO=3\nTRAIN_SERVO=2\nSPEED_SERVO=128\n");
    ASSERT_TRUE(usbRig.boardReady);
    ASSERT_TRUE(usbRig.usb->initController());
    devices::ExtendedInterface ext(
        usbRig.frontend, usbRig.opener,
        Settings(usbRig.dir.file("VARDO.ini"), usbRig.dir.file("option.ini")),
        fastExtendedTiming());
    ext.setUsb(usbRig.usb.get());
    ASSERT_TRUE(ext.initExtendedInterface());
    EXPECT_EQ(usbRig.opener.opens, 1); // the relay board's port is reused
    EXPECT_TRUE(ext.isOpen());

    constexpr int kRounds = 60;
    std::thread relays([&] {
        for (int i = 0; i < kRounds; ++i)
            usbRig.usb->setRelay(7 + i % 4, i % 2 == 0);
    });
    std::thread packets([&] {
        for (int i = 0; i < kRounds; ++i)
            ext.sendPacket(devices::goalPositionTimePacket(1, i * 10 - 300, i));
    });
    std::thread texts([&] {
        for (int i = 0; i < kRounds; ++i)
            ext.setSpeed(0.5, i % 2 ? 1 : -1);
    });
    relays.join();
    packets.join();
    texts.join();
    ext.sendPacket(devices::torquePacket(8, false)); // marks the end

    auto records = usbRig.board.servoRecords();
    for (int i = 0; i < 300 && (records.empty() || records.back().servo != 8); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        records = usbRig.board.servoRecords();
    }
    int packetCount = 0;
    int textCount = 0;
    for (const auto& r : records) {
        if (r.packet) {
            EXPECT_TRUE(r.checksumOk) << r.hex;
            ++packetCount;
        } else {
            EXPECT_TRUE(r.text == "PCP50" || r.text == "PCP-50" || r.text == "PCP0") << r.text;
            ++textCount;
        }
    }
    // Start-up's PCP0, the writers' messages and the end mark.
    EXPECT_EQ(packetCount, kRounds + 1);
    EXPECT_EQ(textCount, kRounds + 1);
    const auto relayCommands = usbRig.received();
    int relaySwitches = 0;
    for (const auto& c : relayCommands) {
        if (c.rfind("PCR", 0) == 0 && c.size() == 5)
            ++relaySwitches;
        else
            EXPECT_TRUE(c == "AT" || c == "PCR00R10") << c;
    }
    EXPECT_EQ(relaySwitches, kRounds);
}

// The relay board hands an action to the extended interface when the
// output's setting byte has bit 7: a servo moves, or with ID 0 the command
// text goes to the extended board; other outputs stay on the relays.
TEST(ExtendedSharingTest, RelayBoardRoutesOutputsWithBitSevenToTheExtendedInterface)
{
    boardsim::Options o = ExtendedRig::servoBoard();
    PtyRig usbRig(o, "WAIT_RESPONSE=1\n", fastTiming(),
                  "[SERVO]\nCOM_NO=3\nPOINT_SERVO=131\nPOINT2_SERVO=128\nBRANCH_POINT=-90\n");
    ASSERT_TRUE(usbRig.boardReady);
    ASSERT_TRUE(usbRig.usb->initController());
    devices::ExtendedInterface ext(
        usbRig.frontend, usbRig.opener,
        Settings(usbRig.dir.file("VARDO.ini"), usbRig.dir.file("option.ini")),
        fastExtendedTiming());
    ext.setUsb(usbRig.usb.get());
    ASSERT_TRUE(ext.initExtendedInterface());
    usbRig.usb->setRouter(&ext);
    // Start-up's moves are on the line before the count starts.
    ext.sendPacket(devices::torquePacket(7, false));
    auto settled = usbRig.board.servoRecords();
    for (int i = 0; i < 300 && (settled.empty() || settled.back().servo != 7); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        settled = usbRig.board.servoRecords();
    }
    const size_t before = settled.size();
    const size_t relayBefore = usbRig.received().size();

    EXPECT_TRUE(usbRig.usb->sendAction(4));          // point 1 branch: servo 3
    EXPECT_TRUE(usbRig.usb->sendAction(6));          // point 2 branch: text to the extended board
    EXPECT_TRUE(usbRig.usb->sendAction(8));          // point 3 branch: relay board as ever
    ext.sendPacket(devices::torquePacket(8, false)); // marks the end
    auto records = usbRig.board.servoRecords();
    for (int i = 0; i < 300 && (records.empty() || records.back().servo != 8); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        records = usbRig.board.servoRecords();
    }
    ASSERT_EQ(records.size(), before + 3);
    EXPECT_EQ(records[before].hex, "FA AF 03 00 24 01 01 01 26");
    EXPECT_EQ(records[before + 1].hex, "FA AF 03 00 1E 02 01 7C FC 9E");
    const auto relays = usbRig.received();
    ASSERT_EQ(relays.size(), relayBefore + 2);
    EXPECT_EQ(relays[relayBefore], "PCT5002");
    EXPECT_EQ(relays[relayBefore + 1], "PCT7002");
}

} // namespace
} // namespace vardo::testing
