#include "vardo/app/timer_dispatch.h"
#include "vardo/layout/crossing_animator.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

using namespace vardo;
using vardo::layout::kCrossingTimerBase;

namespace {

struct Targets : TimerTargets {
    std::set<int> crossingTimers; // running crossing light timers
    bool running = false;
    std::vector<std::string> calls;

    bool crossingTimer(int id) override
    {
        if (!crossingTimers.count(id))
            return false;
        calls.push_back("crossing " + std::to_string(id));
        return true;
    }
    void fadeStep() override { calls.push_back("fade"); }
    void servoMoveEnded(int servo) override { calls.push_back("servo " + std::to_string(servo)); }
    void killTimer(int id) override { calls.push_back("kill " + std::to_string(id)); }
    void clearPointBusy(int id) override { calls.push_back("busy " + std::to_string(id)); }
    bool operating() const override { return running; }
    void chainTimer(int id) override { calls.push_back("chain " + std::to_string(id)); }
};

using Calls = std::vector<std::string>;

} // namespace

TEST(TimerDispatch, IgnoredUntilStarted)
{
    Targets t;
    t.crossingTimers = {7};
    for (int id : {kPointTimerFirst, kCrossingTimerBase, kFadeTimer, kServoTimerBase + 3,
                   kChainTimerBase + 3})
        EXPECT_EQ(dispatchTimer(id, false, t), TimerRoute::Ignored);
    EXPECT_TRUE(t.calls.empty());
}

TEST(TimerDispatch, CrossingLightsTakePrecedenceOverPointBusy)
{
    Targets t;
    // The crossing lights share ids 7..10 with the last point outputs.
    const int first = kCrossingTimerBase, last = kCrossingTimerBase + 3;
    ASSERT_LE(last, kPointTimerLast + 2);
    t.crossingTimers = {first, last};
    EXPECT_EQ(dispatchTimer(first, true, t), TimerRoute::Crossing);
    EXPECT_EQ(dispatchTimer(last, true, t), TimerRoute::Crossing);
    // Timer 8 is no crossing's: a point output's busy flag, killed first.
    EXPECT_EQ(dispatchTimer(kPointTimerLast, true, t), TimerRoute::PointBusy);
    EXPECT_EQ(t.calls, (Calls{"crossing 7", "crossing 10", "kill 8", "busy 8"}));
}

TEST(TimerDispatch, FadeAndServosAreNotKilled)
{
    Targets t;
    EXPECT_EQ(dispatchTimer(kFadeTimer, true, t), TimerRoute::Fade);
    EXPECT_EQ(dispatchTimer(kServoTimerBase + 1, true, t), TimerRoute::Servo);
    EXPECT_EQ(dispatchTimer(kServoTimerLast, true, t), TimerRoute::Servo);
    EXPECT_EQ(t.calls, (Calls{"fade", "servo 1", "servo 8"}));
}

TEST(TimerDispatch, ChainHeadsOnlyWhileOperating)
{
    Targets t;
    const int chain = kChainTimerBase + 5;
    ASSERT_EQ(chain, 1005);
    EXPECT_EQ(dispatchTimer(chain, true, t), TimerRoute::Killed);
    t.running = true;
    EXPECT_EQ(dispatchTimer(chain, true, t), TimerRoute::Chain);
    EXPECT_EQ(dispatchTimer(kPointTimerFirst, true, t), TimerRoute::PointBusy);
    EXPECT_EQ(t.calls, (Calls{"kill 1005", "kill 1005", "chain 1005", "kill 1", "busy 1"}));
}
