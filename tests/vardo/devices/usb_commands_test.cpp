#include "vardo/devices/usb_commands.h"
#include "vardo/devices/usb_settings.h"

#include "temp_dir.h"

#include <gtest/gtest.h>

namespace vardo::devices {
namespace {

TEST(UsbCommands, ActionTableWithDefaultRelays)
{
    UsbSettings s;
    const struct {
        int code;
        const char* text;
        int point;
    } table[] = {
        {0, "PCR00R10\r", -1}, {1, "PCR01R10\r", -1}, {2, "PCR00R11\r", -1},
        {3, "PCT2002\r", 0},   {4, "PCT3002\r", 0},   {5, "PCT4002\r", 1},
        {6, "PCT5002\r", 1},   {7, "PCT6002\r", 2},   {8, "PCT7002\r", 2},
        {9, "PCT8002\r", 3},   {10, "PCT9002\r", 3},
    };
    for (const auto& row : table) {
        ActionCommand c = actionCommand(row.code, s, 1, false);
        EXPECT_EQ(c.text, row.text) << "code " << row.code;
        EXPECT_EQ(c.point, row.point) << "code " << row.code;
    }
    EXPECT_TRUE(actionCommand(11, s, 1, false).text.empty());
    EXPECT_TRUE(actionCommand(12, s, 1, false).text.empty());
    EXPECT_TRUE(actionCommand(-1, s, 1, false).text.empty());
}

TEST(UsbCommands, SkinFourSwitchesRelayNineForLastPair)
{
    UsbSettings s;
    EXPECT_EQ(actionCommand(10, s, 4, false).text, "PCR81\r");
    EXPECT_EQ(actionCommand(9, s, 4, false).text, "PCR80\r");
    EXPECT_EQ(actionCommand(9, s, 4, false).point, -1);
    // Other point codes still pulse with skin 4.
    EXPECT_EQ(actionCommand(7, s, 4, false).text, "PCT6002\r");
}

TEST(UsbCommands, PulseLengthsFromPointTimeAndCrossTime)
{
    UsbSettings s;
    s.pointTime = {5, 12, 3, 999, 2, 2, 2, 2};
    s.crossTime = 27;
    EXPECT_EQ(actionCommand(4, s, 0, false).text, "PCT3005\r");
    EXPECT_EQ(actionCommand(5, s, 0, false).text, "PCT4012\r");
    EXPECT_EQ(actionCommand(10, s, 0, false).text, "PCT9999\r");
    // A point that drives a barrier pulses for the crossing time.
    EXPECT_EQ(actionCommand(6, s, 0, true).text, "PCT5027\r");
}

TEST(UsbCommands, RelayCharactersComeFromRelayId)
{
    UsbSettings s;
    const std::string id = "ABCDEFGHIJ";
    std::copy(id.begin(), id.end(), s.relayId.begin());
    EXPECT_EQ(actionCommand(1, s, 0, false).text, "PCRA1RB0\r");
    EXPECT_EQ(actionCommand(3, s, 0, false).text, "PCTC002\r");
    EXPECT_EQ(relayCommand(s.relayChar(7), true), "PCRG1\r");
    EXPECT_EQ(relayCommand(s.relayChar(10), false), "PCRJ0\r");
}

TEST(UsbCommands, OkReplyAtStartOrAfterTwoEchoBytes)
{
    EXPECT_TRUE(isOkReply("OK"));
    EXPECT_TRUE(isOkReply("OK\r\n"));
    EXPECT_TRUE(isOkReply("PCOK"));
    EXPECT_TRUE(isOkReply("\r\nOK"));
    EXPECT_FALSE(isOkReply(""));
    EXPECT_FALSE(isOkReply("O"));
    EXPECT_FALSE(isOkReply("xOK"));
    EXPECT_FALSE(isOkReply("abcOK"));
    EXPECT_FALSE(isOkReply("NG\r\n"));
    EXPECT_FALSE(isOkReply("ok"));
}

TEST(UsbSettingsTest, DefaultsDependOnBaudRate)
{
    testing::TempDir dir;
    const std::string ini = dir.file("option.ini");
    UsbSettings slow = UsbSettings::load(ini);
    EXPECT_EQ(slow.comNo, 0);
    EXPECT_EQ(slow.baudRate, 9600);
    EXPECT_TRUE(slow.waitResponse);
    EXPECT_EQ(slow.waitOpenMs, 0);
    EXPECT_EQ(slow.pointTime[0], 2);
    EXPECT_EQ(slow.crossTime, 8);
    EXPECT_EQ(slow.pwmIntervalMs, 40);
    EXPECT_EQ(slow.pwmForward, '8');
    EXPECT_EQ(slow.pwmBackward, '9');
    EXPECT_FALSE(slow.pwmControl);
    EXPECT_FALSE(slow.debugLog);

    dir.write("option.ini", "[USB]\nBAUD_RATE=115200\n");
    UsbSettings fast = UsbSettings::load(ini);
    EXPECT_FALSE(fast.waitResponse);
    EXPECT_EQ(fast.waitOpenMs, 2000);

    dir.write("option.ini", "[USB]\nBAUD_RATE=115200\nWAIT_RESPONSE=1\nWAIT_OPEN=5\n");
    UsbSettings chosen = UsbSettings::load(ini);
    EXPECT_TRUE(chosen.waitResponse);
    EXPECT_EQ(chosen.waitOpenMs, 5);
}

TEST(UsbSettingsTest, OutOfRangeValuesAreMadeSafe)
{
    testing::TempDir dir;
    dir.write("option.ini", "[USB]\nPWM_INTERVAL=3\nPOINT_TIME1=5000\nPOINT_TIME2=-4\n"
                            "POINT_TIME3=7\nRELAY_ID=XY\nPWM_RELAY=Q\nCROSS_TIME=1234\n"
                            "[DEBUG]\nUSB=1\n");
    UsbSettings s = UsbSettings::load(dir.file("option.ini"));
    EXPECT_EQ(s.pwmIntervalMs, 10);
    EXPECT_EQ(s.pointTime[0], 999);
    EXPECT_EQ(s.pointTime[1], 0);
    EXPECT_EQ(s.pointTime[2], 7);
    EXPECT_EQ(s.crossTime, 999);
    // A short RELAY_ID names only the first relays; the rest keep defaults.
    EXPECT_EQ(s.relayChar(1), 'X');
    EXPECT_EQ(s.relayChar(2), 'Y');
    EXPECT_EQ(s.relayChar(3), '2');
    EXPECT_EQ(s.relayChar(10), '9');
    EXPECT_EQ(s.pwmForward, 'Q');
    EXPECT_EQ(s.pwmBackward, '9');
    EXPECT_TRUE(s.debugLog);
}

} // namespace
} // namespace vardo::devices
