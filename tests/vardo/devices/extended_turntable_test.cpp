#include "extended_rig.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

namespace vardo::testing {
namespace {

using devices::ExtendedInterface;
constexpr int kTurnTimer = ExtendedInterface::kFirstTimer + 1;

// A turntable on servo 1 and what the rest of the program hears from it.
struct TurntableRig {
    explicit TurntableRig(const std::string& extraKeys = "", bool operating = true)
        : rig("TURN_SERVO=129\nTURN_SPEED=2000\nTURN_POINT1=0,900,300,400,500,\n"
              "TURN_POINT2=0,-900,-300,-400,-500,\nTURN_POINT3=100,200,300,400,1000,\n"
              "TURN_POINT4=-100,-200,-300,-400,-1000,\n" +
              extraKeys)
    {
        devices::ExtendedHooks hooks;
        hooks.operationRunning = [this] { return running.load(); };
        hooks.turntableArrived = [this] { ++arrivals; };
        hooks.performAction = [this](int code) {
            std::lock_guard lock(mutex);
            performed.push_back(code);
        };
        running = operating;
        rig.ext->setHooks(hooks);
        ready = rig.boardReady && rig.ext->initExtendedInterface();
        // Start-up: the compliance packet for the turntable servo (and its
        // torque when kept on).
        base = ready ? rig.mark() : 0;
        ready = ready && base >= 2;
    }
    std::vector<int> actions()
    {
        std::lock_guard lock(mutex);
        return performed;
    }

    ExtendedRig rig;
    bool ready = false;
    size_t base = 0;
    std::atomic<bool> running{false};
    std::atomic<int> arrivals{0};
    std::mutex mutex;
    std::vector<int> performed;
};

TEST(ExtendedTurntableTest, TurnTimeFollowsTheAngleAndTorqueOffWaitsForTheTurn)
{
    TurntableRig t;
    ASSERT_TRUE(t.ready);
    EXPECT_EQ(t.rig.ext->turntablePosition(), 1500);
    // Track 1 at 0 lies below 150.0 degrees: the reverse-rotation row is used.
    t.rig.ext->selectTrack(1);
    auto got = t.rig.since(t.base, 2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].torque, 1);
    EXPECT_EQ(got[1].position, 0);
    EXPECT_EQ(got[1].time, 2000 * 1500 / 3600);
    EXPECT_EQ(t.rig.frontend.runningTimers().at(kTurnTimer), 1000 + 833 * 10);
    EXPECT_TRUE(t.rig.ext->onTimer(kTurnTimer));
    got = t.rig.since(t.base, 3);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[2].torque, 0);
    EXPECT_EQ(t.arrivals, 1);

    // From 0 to 90.0 degrees with TURN_SPEED 2000: 500 x 10 ms.
    t.rig.ext->selectTrack(2);
    got = t.rig.since(t.base, 5);
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[4].hex, "FA AF 01 00 1E 04 01 84 03 F4 01 68");
    EXPECT_EQ(t.rig.frontend.runningTimers().at(kTurnTimer), 1000 + 5000);
    EXPECT_EQ(t.rig.ext->turntablePosition(), 900);
    EXPECT_EQ(t.rig.ext->turntableState(), 1 << 2);
    EXPECT_EQ(t.rig.board.servo(1).position, 900);
    EXPECT_EQ(t.rig.board.servo(1).time, 500);
}

TEST(ExtendedTurntableTest, ReversedOrientationUsesRowsThreeAndFour)
{
    TurntableRig t;
    ASSERT_TRUE(t.ready);
    t.rig.ext->turnTable(5, true); // 100.0 degrees lies below 150.0: row 4
    auto got = t.rig.since(t.base, 2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[1].position, -1000);
    t.rig.ext->reverseTurntable(); // only flips the orientation
    EXPECT_EQ(t.rig.ext->turntableState(), 1 << 5);
    t.rig.ext->selectTrack(2); // not reversed now: 90.0 above -100.0 from row 1
    got = t.rig.since(t.base, 4);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[3].position, 900);
}

TEST(ExtendedTurntableTest, AutoStopLatchRestartsTheTrainAfterTheTurn)
{
    TurntableRig t("AUTO_STOP=2\n");
    ASSERT_TRUE(t.ready);
    // Stopped running forward before the turntable: restart after turning to 5.
    t.rig.ext->setAutoStopLatch(2);
    t.rig.ext->selectTrack(5);
    EXPECT_EQ(t.rig.ext->autoStopLatch(), 2);
    t.rig.ext->onTimer(kTurnTimer);
    EXPECT_EQ(t.actions(), std::vector<int>{1});
    EXPECT_EQ(t.rig.ext->autoStopLatch(), 0);

    // Backward, waiting for track 1, but another track is chosen: turning.
    t.rig.ext->setAutoStopLatch(3);
    t.rig.ext->selectTrack(3);
    EXPECT_EQ(t.rig.ext->autoStopLatch(), 1);
    t.rig.ext->onTimer(kTurnTimer);
    EXPECT_EQ(t.rig.ext->autoStopLatch(), 0);
    t.rig.ext->setAutoStopLatch(3);
    t.rig.ext->selectTrack(1);
    t.rig.ext->onTimer(kTurnTimer);
    EXPECT_EQ(t.actions(), (std::vector<int>{1, 2}));
}

TEST(ExtendedTurntableTest, StopOnlySettingDoesNotRestart)
{
    TurntableRig t("AUTO_STOP=1\n");
    ASSERT_TRUE(t.ready);
    t.rig.ext->setAutoStopLatch(2);
    t.rig.ext->selectTrack(5);
    t.rig.ext->onTimer(kTurnTimer);
    EXPECT_TRUE(t.actions().empty());
    EXPECT_EQ(t.rig.ext->autoStopLatch(), 0);
}

// With torque kept on, the turn still ends: the latch clears and the
// stopped train starts again, even outside automatic operation.
TEST(ExtendedTurntableTest, TurnWithTorqueKeptOnStillEndsTheLatch)
{
    TurntableRig t("TORQUE_OFF=0\n", false);
    ASSERT_TRUE(t.ready);
    t.rig.ext->setAutoStopLatch(2);
    t.rig.ext->selectTrack(5);
    ASSERT_EQ(t.rig.frontend.runningTimers().count(kTurnTimer), 1u);
    t.rig.ext->onTimer(kTurnTimer);
    EXPECT_EQ(t.actions(), std::vector<int>{1});
    EXPECT_EQ(t.arrivals, 0);                               // no automatic operation to wake
    t.rig.ext->sendPacket(devices::torquePacket(7, false)); // marks the end
    const auto got = t.rig.since(t.base, 2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].position, -500); // row 2: 50.0 lies below 150.0; no torque packet around it
    EXPECT_EQ(got[1].servo, 7);
}

TEST(ExtendedTurntableTest, WithoutTurntableServoTheTurnEndsAtOnce)
{
    ExtendedRig rig("TURN_SERVO=1\n");
    ASSERT_TRUE(rig.boardReady);
    std::atomic<int> arrivals{0};
    devices::ExtendedHooks hooks;
    hooks.operationRunning = [] { return true; };
    hooks.turntableArrived = [&] { ++arrivals; };
    rig.ext->setHooks(hooks);
    ASSERT_TRUE(rig.ext->initExtendedInterface());
    rig.ext->turnTable(3, false);
    EXPECT_EQ(arrivals, 1);
    EXPECT_EQ(rig.ext->autoStopLatch(), 0);
}

} // namespace
} // namespace vardo::testing
