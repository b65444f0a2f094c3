// The PWM driver's commands: their order, how many, and that every pulse
// ends. How long the pulses last depends on the scheduler and is measured
// by the benchmark, never here.
#include "usb_rig.h"
#include "wait_until.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace vardo::testing {
namespace {

using Strings = std::vector<std::string>;

int countOf(const Strings& list, const std::string& text)
{
    return static_cast<int>(std::count(list.begin(), list.end(), text));
}

Strings received(const PtyRig& rig)
{
    return rig.received();
}

TEST(PwmDriverPty, HalfSpeedAlternatesOnAndOffAndEndsWithTheStop)
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
    // Twenty periods, however long the machine takes for them.
    ASSERT_TRUE(waitUntil([&] { return countOf(received(rig), "PCR81") >= 20; }));
    ASSERT_TRUE(rig.usb->sendAction(0));
    ASSERT_TRUE(waitUntil([&] { return !rig.usb->pwmActive(); }));
    // The stop is written last; the board may not have read it yet.
    ASSERT_TRUE(waitUntil([&] {
        const Strings s = received(rig);
        return !s.empty() && s.back() == "PCR80R90";
    }));

    // Start-up sends only the hello: the stop goes to the idle driver.
    const Strings sent = received(rig);
    ASSERT_GE(sent.size(), 4u);
    EXPECT_EQ(sent[0], "AT");
    EXPECT_EQ(sent[1], "PCR81");
    EXPECT_EQ(sent[2], "PCR80");
    EXPECT_EQ(sent[3], "PCR81R90"); // direction after the first pass
    EXPECT_EQ(sent.back(), "PCR80R90");
    // Every pulse ends: on and off alternate, and the last one before the
    // stop is an off (or the stop itself ends it).
    int pulses = 0;
    for (size_t i = 4; i + 1 < sent.size(); ++i) {
        if (sent[i] != "PCR81")
            continue;
        ++pulses;
        EXPECT_TRUE(sent[i + 1] == "PCR80" || sent[i + 1] == "PCR80R90")
            << i << ": " << sent[i + 1];
    }
    EXPECT_GE(pulses, 19);
    EXPECT_EQ(countOf(sent, "PCR81R90"), 1);
    // One fade step a finished period.
    EXPECT_GE(fadeSteps, pulses);

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
    ASSERT_TRUE(waitUntil([&] { return countOf(rig.board->sent(), "PCR81\r") >= 8; }));
    // Nearly full speed: the relay is switched on every period, never off.
    const Strings fast = rig.board->sent();
    rig.usb->setSpeed(0.05);
    // The first off after the change marks the slow periods' start.
    auto slowPart = [&] {
        Strings all = rig.board->sent();
        auto first = std::find(all.begin() + long(fast.size()), all.end(), "PCR80\r");
        return Strings(first, all.end());
    };
    ASSERT_TRUE(waitUntil([&] { return countOf(slowPart(), "PCR80\r") >= 8; }));
    const Strings slow = slowPart();
    ASSERT_TRUE(rig.usb->sendAction(0));
    ASSERT_TRUE(waitUntil([&] { return !rig.usb->pwmActive(); }));
    EXPECT_EQ(countOf(fast, "PCR80\r"), 0);
    EXPECT_EQ(countOf(slow, "PCR81\r"), 0);
    EXPECT_EQ(rig.board->sent().back(), "PCR80R90\r");
}

TEST(PwmDriverMemory, BackwardUsesSecondRelayAndDirectionChangeRestarts)
{
    MemoryRig rig("COM_NO=1\nPWM_CONTROL=1\nPWM_INTERVAL=10\nPWM_RELAY=AB\n");
    ASSERT_TRUE(rig.usb->initController());
    rig.usb->setSpeed(0.5);
    ASSERT_TRUE(rig.usb->sendAction(1));
    ASSERT_TRUE(waitUntil([&] { return countOf(rig.board->sent(), "PCRA1\r") >= 2; }));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(rig.usb->sendAction(2));
    // The pause before turning round is a lower bound: a busy machine only
    // makes it longer.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
    EXPECT_EQ(rig.usb->pwmDirection(), -1);
    ASSERT_TRUE(waitUntil([&] { return countOf(rig.board->sent(), "PCRB1\r") >= 2; }));
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
