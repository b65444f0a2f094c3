#include "usb_rig.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>

namespace vardo::testing {
namespace {

using Clock = std::chrono::steady_clock;
using Strings = std::vector<std::string>;

double msBetween(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

bool waitIdle(devices::UsbController& usb)
{
    for (int i = 0; i < 300 && usb.pwmActive(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return !usb.pwmActive();
}

int countOf(const Strings& list, const std::string& text)
{
    return static_cast<int>(std::count(list.begin(), list.end(), text));
}

TEST(PwmDriverPty, HalfSpeedIsTwentyMillisecondsOnPerFortyMillisecondPeriod)
{
    PtyRig rig({}, "PWM_CONTROL=1\nPWM_INTERVAL=40\n", fastTiming(), "[DEBUG]\nUSB=1\n");
    ASSERT_TRUE(rig.boardReady);
    ASSERT_TRUE(rig.usb->initController());
    std::atomic<int> fadeSteps{0};
    rig.usb->setFadeStep([&fadeSteps] { ++fadeSteps; });
    rig.usb->setSpeed(0.5);
    ASSERT_TRUE(rig.usb->sendAction(1));
    EXPECT_TRUE(rig.usb->pwmActive());
    EXPECT_EQ(rig.usb->pwmDirection(), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(2700));
    ASSERT_TRUE(rig.usb->sendAction(0));
    ASSERT_TRUE(waitIdle(*rig.usb));

    // Start-up sends only the hello: the stop goes to the idle driver.
    const auto records = rig.board.commands();
    ASSERT_GE(records.size(), 4u);
    EXPECT_EQ(records[0].command, "AT");
    EXPECT_EQ(records[1].command, "PCR81");
    EXPECT_EQ(records[2].command, "PCR80");
    EXPECT_EQ(records[3].command, "PCR81R90"); // direction after the first pass
    EXPECT_EQ(records.back().command, "PCR80R90");

    // Average over the steady periods, never a single one.
    double onSum = 0, periodSum = 0;
    int onCount = 0, periodCount = 0;
    const Clock::time_point* lastOn = nullptr;
    for (size_t i = 4; i + 1 < records.size(); ++i) {
        if (records[i].command != "PCR81")
            continue;
        if (records[i + 1].command == "PCR80") {
            onSum += msBetween(records[i].time, records[i + 1].time);
            ++onCount;
        }
        if (lastOn) {
            periodSum += msBetween(*lastOn, records[i].time);
            ++periodCount;
        }
        lastOn = &records[i].time;
    }
    ASSERT_GE(onCount, 50);
    ASSERT_GE(periodCount, 50);
    EXPECT_NEAR(onSum / onCount, 20.0, 4.0);
    EXPECT_NEAR(periodSum / periodCount, 40.0, 8.0);
    EXPECT_GE(fadeSteps, periodCount);

    // The pulses are neither logged nor answered for; the direction commands are.
    std::ifstream in(rig.dir.file("debug_usb.log"), std::ios::binary);
    std::stringstream log;
    log << in.rdbuf();
    EXPECT_NE(log.str().find(":PCR81R90\r\n"), std::string::npos);
    EXPECT_NE(log.str().find(":PCR80R90\r\n"), std::string::npos);
    EXPECT_EQ(log.str().find(":PCR81\r\n"), std::string::npos);
    EXPECT_EQ(log.str().find(":PCR80\r\n"), std::string::npos);
    // Left-over answers of the pulses never count for a later command.
    EXPECT_EQ(rig.opener.opens, 1);
}

TEST(PwmDriverMemory, FullAndZeroSpeedHoldTheRelay)
{
    MemoryRig rig("COM_NO=1\nPWM_CONTROL=1\nPWM_INTERVAL=10\n");
    ASSERT_TRUE(rig.usb->initController());
    rig.usb->setSpeed(0.95);
    ASSERT_TRUE(rig.usb->sendAction(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    rig.usb->setSpeed(0.05);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const size_t switchover = rig.board->sent().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    ASSERT_TRUE(rig.usb->sendAction(0));
    ASSERT_TRUE(waitIdle(*rig.usb));
    Strings sent = rig.board->sent();
    Strings fast(sent.begin(), sent.begin() + static_cast<long>(switchover) - 2);
    Strings slow(sent.begin() + static_cast<long>(switchover), sent.end());
    EXPECT_GE(countOf(fast, "PCR81\r"), 8);
    EXPECT_EQ(countOf(fast, "PCR80\r"), 0);
    EXPECT_GE(countOf(slow, "PCR80\r"), 8);
    EXPECT_EQ(countOf(slow, "PCR81\r"), 0);
}

TEST(PwmDriverMemory, BackwardUsesSecondRelayAndDirectionChangeRestarts)
{
    MemoryRig rig("COM_NO=1\nPWM_CONTROL=1\nPWM_INTERVAL=10\nPWM_RELAY=AB\n");
    ASSERT_TRUE(rig.usb->initController());
    rig.usb->setSpeed(0.5);
    ASSERT_TRUE(rig.usb->sendAction(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    const auto start = Clock::now();
    ASSERT_TRUE(rig.usb->sendAction(2));
    EXPECT_GE(msBetween(start, Clock::now()), 45.0); // the pause before turning round
    EXPECT_EQ(rig.usb->pwmDirection(), -1);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    rig.usb->shutdownController();
    EXPECT_FALSE(rig.usb->pwmActive());
    EXPECT_FALSE(rig.usb->connected());

    Strings sent = rig.board->sent();
    auto at = [&](const std::string& c) {
        return std::find(sent.begin(), sent.end(), c) - sent.begin();
    };
    const long forwardOn = at("PCRA1RB0\r");
    const long firstStop = at("PCRA0RB0\r");
    const long backwardOn = at("PCRA0RB1\r");
    ASSERT_LT(forwardOn, static_cast<long>(sent.size()));
    ASSERT_LT(backwardOn, static_cast<long>(sent.size()));
    EXPECT_LT(forwardOn, firstStop);
    EXPECT_LT(firstStop, backwardOn);
    EXPECT_EQ(sent.back(), "PCRA0RB0\r");
    EXPECT_GE(countOf(Strings(sent.begin(), sent.begin() + firstStop), "PCRA1\r"), 2);
    EXPECT_EQ(countOf(Strings(sent.begin(), sent.begin() + firstStop), "PCRB1\r"), 0);
    EXPECT_GE(countOf(Strings(sent.begin() + firstStop, sent.end()), "PCRB1\r"), 2);
    EXPECT_EQ(countOf(Strings(sent.begin() + firstStop, sent.end()), "PCRA1\r"), 0);
    // PWM mode: the shutdown leaves the stop to the driver.
    EXPECT_EQ(countOf(sent, "PCR00R10\r"), 0);
}

} // namespace
} // namespace vardo::testing
