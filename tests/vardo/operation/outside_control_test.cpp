// What an outside program asks of operation: the operating flag without a
// program, a sensor wait on its own thread, and the turntable.
#include "operation_rig.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using optest::Rig;

TEST(OutsideControl, ASensorWaitRunsOnlyUnderOutsideControlAndEndsWhenItIsCleared)
{
    Rig rig;
    rig.ext.open = true;
    // Without the flag nothing would end the wait but its timeout: refused.
    rig.operation.outsideSensorWait(3, 30);
    EXPECT_TRUE(rig.ext.sensorWaits.empty());

    rig.operation.setOutsideControl(true);
    EXPECT_TRUE(rig.operation.operating());
    std::atomic<bool> ended{false};
    std::thread waiter([&] {
        rig.operation.outsideSensorWait(3, 30); // the board never answers
        ended = true;
    });
    ASSERT_TRUE(Rig::eventually([&] {
        std::lock_guard lock(rig.ext.mutex);
        return rig.ext.polls > 0;
    }));
    EXPECT_FALSE(ended.load());
    {
        std::lock_guard lock(rig.ext.mutex);
        EXPECT_EQ(rig.ext.sensorWaits, std::vector<int>{3 * 10000 + 30});
    }
    rig.operation.setOutsideControl(false);
    EXPECT_TRUE(Rig::eventually([&] { return ended.load(); }, 2000));
    waiter.join();
    EXPECT_FALSE(rig.operation.operating());
}

TEST(OutsideControl, TheBoardTurnsTheBridgeWithoutHoldingTheCaller)
{
    Rig rig;
    rig.ext.open = true;
    rig.operation.outsideTurntable(3, true); // nothing reports the arrival
    EXPECT_EQ(rig.ext.turnsTaken(), std::vector<int>{-3});
    EXPECT_EQ(rig.operation.turntableTrack.load(), 2);
    EXPECT_TRUE(rig.operation.turntableReversed.load());
    rig.operation.outsideTurntable(6, false); // no such track
    EXPECT_EQ(rig.ext.turnsTaken(), std::vector<int>{-3});
}

TEST(OutsideControl, AProgramStartsWhileOutsideControlHoldsTheFlag)
{
    Rig rig;
    rig.operation.setOutsideControl(true);
    optest::ProgramBuilder program;
    program.then(vardo::CommandKind::EndOfOperation);
    EXPECT_TRUE(rig.operation.startOperation(program.program));
    EXPECT_TRUE(rig.operation.waitForEnd(5000));
    EXPECT_EQ(rig.operation.endReason(), vardo::EndReason::Program);
}
