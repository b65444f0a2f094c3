#include "extended_rig.h"
#include "wait_until.h"

#include <gtest/gtest.h>

namespace vardo::testing {
namespace {

using Clock = std::chrono::steady_clock;

TEST(ExtendedSensorTest, OkEndsTheWaitEarly)
{
    boardsim::Options o = ExtendedRig::servoBoard();
    o.sensorAfterMs = 150;
    ExtendedRig rig("", o);
    ASSERT_TRUE(rig.boardReady);
    devices::ExtendedHooks hooks;
    hooks.sensorRatio = [](int index) { return index == 2 ? 40 : 75; };
    rig.ext->setHooks(hooks);
    ASSERT_TRUE(rig.ext->initExtendedInterface());
    const auto start = Clock::now();
    EXPECT_TRUE(rig.ext->waitSensor(2, 5));
    const long elapsed = msSince(start);
    EXPECT_GE(elapsed, 140);
    EXPECT_LT(elapsed, 3000);
    EXPECT_EQ(rig.hexes(1), std::vector<std::string>{"PCS2405"});
}

TEST(ExtendedSensorTest, SilentBoardTimesOutAfterTimeoutPlusOneSecondsOfPolls)
{
    boardsim::Options o = ExtendedRig::servoBoard();
    o.sensorNever = true;
    ExtendedRig rig("", o); // polls of 10 ms: (2 + 1) x 10 polls = 300 ms
    ASSERT_TRUE(rig.boardReady);
    ASSERT_TRUE(rig.ext->initExtendedInterface());
    const auto start = Clock::now();
    EXPECT_FALSE(rig.ext->waitSensor(0, 2));
    const long elapsed = msSince(start);
    EXPECT_GE(elapsed, 300);
    EXPECT_LT(elapsed, 2000);
    EXPECT_EQ(rig.hexes(1), std::vector<std::string>{"PCS0752"});
}

TEST(ExtendedSensorTest, AnswerLeftFromAnEarlierWaitDoesNotCount)
{
    boardsim::Options o = ExtendedRig::servoBoard();
    o.sensorAfterMs = 0;
    ExtendedRig rig("", o);
    ASSERT_TRUE(rig.boardReady);
    ASSERT_TRUE(rig.ext->initExtendedInterface());
    ASSERT_TRUE(rig.ext->waitSensor(1, 1));
    // A fresh wait on a board that now stays silent must not take a stale OK.
    rig.board.stop();
    EXPECT_TRUE(rig.ext->beginSensorWait(1, 1));
    EXPECT_FALSE(rig.ext->sensorAnswered());
}

} // namespace
} // namespace vardo::testing
