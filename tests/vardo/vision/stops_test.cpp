// The end-of-line emergency stop and the turntable approach stop.
#include "detector_rig.h"

#include <gtest/gtest.h>

using namespace vision_fixtures;
using namespace vardo::vision;

namespace {

// The siding of the oval layout ends at (600, 420); EMERGENCY_RANGE is 100.
struct EndOfLine : ::testing::Test {
    DetectorRig rig{true};
    Frame still{320, 240};

    void SetUp() override
    {
        ASSERT_TRUE(rig.calibrate());
        rig.host.state = vardo::state::Running | vardo::state::Backward;
        rig.feed(still);
    }
    void stillFrames(int n)
    {
        for (int i = 0; i < n; ++i)
            rig.feed(still);
    }
};

TEST_F(EndOfLine, StopsWithNoticeAfterEmergencyCountStillAnalyses)
{
    ASSERT_EQ(rig.layout.links().sidingEnds().back(), (Point{600, 420}));
    rig.train.setPosition(0, 501, 420);
    stillFrames(14);
    EXPECT_TRUE(rig.host.actionsSeen().empty());
    stillFrames(1);
    EXPECT_EQ(rig.host.actionsSeen(), std::vector<int>{vardo::ActionStop});
    EXPECT_EQ(rig.host.stopOperations, 0);
    EXPECT_EQ(rig.position(), (Point{0, 0}));
    EXPECT_EQ(rig.frontend.postedCommands(), std::vector<int>{vardo::cmd::EmergencyStopNotice});
    // Position (0,0) disables the check from now on.
    stillFrames(30);
    EXPECT_EQ(rig.host.actionsSeen().size(), 1u);
}

TEST_F(EndOfLine, RunningProgramIsStoppedAsAWhole)
{
    rig.host.program = true;
    rig.train.setPosition(0, 600, 321);
    stillFrames(15);
    EXPECT_EQ(rig.host.stopOperations, 1);
    EXPECT_TRUE(rig.host.actionsSeen().empty());
}

TEST_F(EndOfLine, PositionOnTheSquaresEdgeIsNotInside)
{
    rig.train.setPosition(0, 500, 420);
    stillFrames(45);
    rig.train.setPosition(0, 600, 320);
    stillFrames(45);
    EXPECT_TRUE(rig.host.actionsSeen().empty());
    EXPECT_TRUE(rig.frontend.postedCommands().empty());
}

TEST_F(EndOfLine, OnlyWhileRunningBackwardCalibratedAndEnabled)
{
    rig.train.setPosition(0, 590, 410);
    rig.host.state = vardo::state::Running;
    stillFrames(20);
    rig.host.state = vardo::state::Running | vardo::state::Backward;
    rig.host.sdkWindow = true;
    stillFrames(20);
    rig.host.sdkWindow = false;
    rig.configure([](DetectorSettings& s) { s.emergencyStop = false; });
    stillFrames(20);
    EXPECT_TRUE(rig.host.actionsSeen().empty());
}

TEST_F(EndOfLine, MovementReloadsTheCountdown)
{
    rig.train.setPosition(0, 590, 410);
    stillFrames(10);
    // Something moves, then the scene is still again (the block stays).
    Frame block(320, 240);
    block.fill(20, 20, 10, 10);
    rig.feed(block);
    rig.train.setPosition(0, 590, 410);
    for (int i = 0; i < 14; ++i)
        rig.feed(block);
    EXPECT_TRUE(rig.host.actionsSeen().empty());
    rig.feed(block);
    EXPECT_EQ(rig.host.actionsSeen(), std::vector<int>{vardo::ActionStop});
}

struct Turntable : ::testing::Test {
    DetectorRig rig;
    Frame blank{320, 240};
    int a = 200, b = 900; // approach positions (track indices)

    void SetUp() override
    {
        ASSERT_TRUE(rig.calibrate());
        rig.layout.turntable.present = true;
        rig.layout.turntable.approachForward = a;
        rig.layout.turntable.approachBackward = b;
        rig.host.autoStop = 2;
        rig.host.turnServo = 0x81;
        rig.host.state = vardo::state::Running;
    }
    void trainAt(int index)
    {
        rig.feed(blank);
        rig.feed(rig.trainAt(rig.layout.track().position(index)));
    }
};

TEST_F(Turntable, ForwardAtApproachAWithTrack5NotSetStopsWithoutNotice)
{
    trainAt(a);
    EXPECT_TRUE(rig.detector->autoStopFlag());
    EXPECT_EQ(rig.host.actionsSeen(), std::vector<int>{vardo::ActionStop});
    EXPECT_EQ(rig.host.latch, 2);
    EXPECT_EQ(rig.position(), (Point{0, 0}));
    EXPECT_TRUE(rig.frontend.postedCommands().empty());
}

TEST_F(Turntable, Track5SelectedLetsTheTrainOnUnlessTheTableIsTurning)
{
    rig.host.selectedTrack = 5;
    trainAt(a);
    EXPECT_TRUE(rig.detector->autoStopFlag());
    EXPECT_TRUE(rig.host.actionsSeen().empty());
    rig.host.latch = 1;
    trainAt(a);
    EXPECT_EQ(rig.host.actionsSeen(), std::vector<int>{vardo::ActionStop});
}

TEST_F(Turntable, BackwardUsesApproachBAndTrack1)
{
    rig.host.state = vardo::state::Running | vardo::state::Backward;
    trainAt(a); // A while backward clears the flag
    EXPECT_FALSE(rig.detector->autoStopFlag());
    EXPECT_TRUE(rig.host.actionsSeen().empty());
    trainAt(b);
    EXPECT_TRUE(rig.detector->autoStopFlag());
    EXPECT_EQ(rig.host.latch, 3);
    EXPECT_EQ(rig.host.actionsSeen(), std::vector<int>{vardo::ActionStop});
}

TEST_F(Turntable, FlagKeepsItsValueAwayFromBothPointsAndBlocksTheEndOfLineStop)
{
    rig.host.turnServo = 0x01; // servo not driven: flag only
    trainAt(a);
    EXPECT_TRUE(rig.detector->autoStopFlag());
    trainAt(600);
    EXPECT_TRUE(rig.detector->autoStopFlag());
    EXPECT_TRUE(rig.host.actionsSeen().empty());
    EXPECT_EQ(rig.host.latch, 0);
}

TEST_F(Turntable, NoCheckWithAutoStopOff)
{
    rig.host.autoStop = 0;
    trainAt(a);
    EXPECT_FALSE(rig.detector->autoStopFlag());
    EXPECT_TRUE(rig.host.actionsSeen().empty());
}

} // namespace
