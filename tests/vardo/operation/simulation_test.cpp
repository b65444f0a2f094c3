#include "operation_rig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace vardo;
using optest::ProgramBuilder;
using optest::Rig;
using Kind = CommandKind;

TEST(LapAngle, PassesTheSeamAsOneDegree)
{
    TrainState t;
    // Left of the centre (320, 240): just below the centre line is 359, on it 0.
    ASSERT_EQ(lapAngleOf(120, 243), 359);
    ASSERT_EQ(lapAngleOf(100, 240), 0);
    t.updateLapAngle(120, 243, false);
    const int before = t.accumulatedAngle.load();
    t.updateLapAngle(100, 240, false);
    EXPECT_EQ(t.accumulatedAngle.load() - before, 1);
    t.updateLapAngle(120, 243, true);
    const int back = t.accumulatedAngle.load();
    t.updateLapAngle(100, 240, true);
    EXPECT_EQ(t.accumulatedAngle.load() - back, -1);
}

TEST(LapAngle, OutOfRangeAngleCountsAsZero)
{
    // Straight left of the centre atan2 gives pi: 180 + 180 x (pi / 3.14159) > 359.
    EXPECT_EQ(lapAngleOf(100, 240), 0);
    // Above the centre (y down): atan2 = -pi/2, 180 - 90 = 90.
    EXPECT_EQ(lapAngleOf(320, 100), 90);
}

TEST(Simulation, StepTimeFollowsTheSpeed)
{
    Rig rig;
    rig.simulation.setStepTime(2);
    EXPECT_EQ(rig.simulation.plannedStepMs(), Simulation::kIdleStepMs);
    rig.controller.performAction(ActionForward);
    rig.speed.set(0.5);
    EXPECT_DOUBLE_EQ(rig.simulation.plannedStepMs(), 4.0);
    rig.speed.set(0.001);
    EXPECT_DOUBLE_EQ(rig.simulation.plannedStepMs(), Simulation::kLongestStepMs);
    rig.speed.set(0.0);
    EXPECT_DOUBLE_EQ(rig.simulation.plannedStepMs(), Simulation::kLongestStepMs);
}

TEST(Simulation, CarsFollowTheRunningDirectionAndStandWhenStopped)
{
    Rig rig;
    rig.simulation.setCarCount(3);
    ASSERT_TRUE(rig.simulation.start(50));
    rig.simulation.stop();
    EXPECT_EQ(rig.simulation.carPosition(0), 50);
    const int second = rig.simulation.carPosition(1);
    EXPECT_LT(second, 50);
    EXPECT_LT(rig.simulation.carPosition(2), second);
    rig.simulation.step(); // standing: nothing moves
    EXPECT_EQ(rig.simulation.carPosition(0), 50);
    rig.controller.performAction(ActionForward);
    rig.simulation.step();
    rig.simulation.step();
    EXPECT_EQ(rig.simulation.carPosition(0), 52);
    EXPECT_EQ(rig.simulation.carPosition(1), second + 2);
    EXPECT_EQ(rig.trains.nearest.load(), 52);
    const auto p = rig.model.track().position(52);
    EXPECT_EQ(rig.trains.position(0).x, p.x);
    EXPECT_TRUE(rig.trains.positionEvent.isSet());
    EXPECT_TRUE(rig.trains.controlPointEvent.isSet());
    rig.controller.performAction(ActionBackward);
    rig.simulation.step();
    EXPECT_EQ(rig.simulation.carPosition(0), 51);
}

namespace {

// Pixels between the positions of two cars.
double carDistance(const Rig& rig, int a, int b)
{
    const auto p = rig.model.track().position(rig.simulation.carPosition(a));
    const auto q = rig.model.track().position(rig.simulation.carPosition(b));
    return std::hypot(double(p.x - q.x), double(p.y - q.y));
}

} // namespace

TEST(Simulation, CarSpacingFollowsTheCouplingFlag)
{
    // 1,000 positions on an ellipse of about 1,100 pixels: about one pixel
    // apart, so the spacing shows to within a pixel or two.
    Rig rig(1000);
    rig.simulation.setCarCount(3);
    rig.simulation.setCarLength(40);

    rig.model.trainConnect = 1;
    ASSERT_TRUE(rig.simulation.start(500));
    rig.simulation.stop();
    EXPECT_EQ(rig.simulation.carSpacing(), 40);
    EXPECT_GT(carDistance(rig, 0, 1), 40);
    EXPECT_LT(carDistance(rig, 0, 1), 43);
    EXPECT_GT(carDistance(rig, 1, 2), 40);
    EXPECT_LT(carDistance(rig, 1, 2), 43);

    // Uncoupled cars stand apart: half a car more between them.
    rig.model.trainConnect = 0;
    ASSERT_TRUE(rig.simulation.start(500));
    rig.simulation.stop();
    EXPECT_EQ(rig.simulation.carSpacing(), 60);
    EXPECT_GT(carDistance(rig, 0, 1), 60);
    EXPECT_LT(carDistance(rig, 0, 1), 63);
    EXPECT_GT(carDistance(rig, 1, 2), 60);
}

TEST(Simulation, TrainTakesTheSidingAndStandsAtItsEnd)
{
    Rig rig(200, true);
    const auto& point = rig.model.point(0);
    rig.controller.performAction(ActionPoint1Branch);
    ASSERT_TRUE(rig.simulation.start(point.junction - 3));
    rig.simulation.stop();
    rig.controller.performAction(ActionForward);
    for (int i = 0; i < 60; ++i)
        rig.simulation.step();
    const int end = rig.model.track().polylineStart(1) + rig.model.track().polylineSize(1) - 1;
    EXPECT_EQ(rig.simulation.carPosition(0), end);
}

TEST(Simulation, TrainWaitsInFrontOfAnUnalignedTurntable)
{
    Rig rig(200);
    rig.model.turntable.present = true;
    rig.model.turntable.approachForward = 60;
    rig.model.turntable.approachBackward = 40;
    int track = 0;
    rig.simulation.setTurntableQuery([&] { return track; });
    ASSERT_TRUE(rig.simulation.start(55));
    rig.simulation.stop();
    rig.controller.performAction(ActionForward);
    for (int i = 0; i < 10; ++i)
        rig.simulation.step();
    EXPECT_EQ(rig.simulation.carPosition(0), 60);
    track = 4; // aligned for forward running: it goes on
    rig.simulation.step();
    EXPECT_EQ(rig.simulation.carPosition(0), 61);
    // Backward, the first track is the one that lets it pass.
    rig.controller.performAction(ActionBackward);
    for (int i = 0; i < 30; ++i)
        rig.simulation.step();
    EXPECT_EQ(rig.simulation.carPosition(0), 40);
    track = 0;
    rig.simulation.step();
    EXPECT_EQ(rig.simulation.carPosition(0), 39);
}

TEST(Simulation, LapsAccumulateWhileRunning)
{
    Rig rig(200);
    ASSERT_TRUE(rig.simulation.start(0));
    rig.simulation.stop();
    rig.controller.performAction(ActionForward);
    for (int i = 0; i < 400; ++i)
        rig.simulation.step();
    EXPECT_NEAR(rig.trains.accumulatedAngle.load(), 720, 2);
    // Laps count in the running direction, whichever it is.
    rig.controller.performAction(ActionBackward);
    for (int i = 0; i < 200; ++i)
        rig.simulation.step();
    EXPECT_NEAR(rig.trains.accumulatedAngle.load(), 1080, 2);
    EXPECT_EQ(rig.simulation.carPosition(0), 0);
}

TEST(SimulatedRun, LapCountThenPlatformStop)
{
    Rig rig(200, false);
    rig.controller.simulation = true;
    ASSERT_TRUE(rig.simulation.start(100));
    ProgramBuilder b;
    b.then(Kind::TrainControl, 1, 1, 0);
    const int wait = b.then(Kind::PositionWait, 0);
    b.then(Kind::TrainControl, 0);
    b.then(Kind::EndOfOperation);
    ASSERT_TRUE(rig.operation.startOperation(b.program));
    ASSERT_TRUE(rig.operation.waitForEnd(5000));
    EXPECT_EQ(rig.operation.endReason(), EndReason::Program);
    const auto trace = rig.observer.trace();
    ASSERT_EQ(trace.commands.size(), 4u);
    // The platform wait ended within range of the home point.
    const auto at = trace.commands[2].position;
    const auto home = rig.model.positions().home;
    EXPECT_LE((at.x - home.x) * (at.x - home.x) + (at.y - home.y) * (at.y - home.y), 32 * 32);
    EXPECT_GT(trace.commands[size_t(wait - 1)].angle, 360);
    // Simulation drives no devices.
    EXPECT_TRUE(rig.devices.actions.empty());
    std::vector<int> codes = rig.observer.actionCodes();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), ActionForward), 1);
    EXPECT_FALSE(rig.controller.running());
}

TEST(SimulatedRun, SidingVisitWithPointsAndARepeat)
{
    Rig rig(200, true);
    rig.controller.simulation = true;
    ASSERT_TRUE(rig.simulation.start(150));
    const auto& track = rig.model.track();
    const auto sidingEnd = track.position(track.polylineStart(1) + 25);
    ProgramBuilder b;
    const int forward = b.then(Kind::TrainControl, 1);
    b.then(Kind::SwitchPoint, 1, 0, 0);
    b.then(Kind::PositionWait, 3, sidingEnd.x, sidingEnd.y);
    b.then(Kind::TrainControl, 2);
    b.then(Kind::PositionWait, 3, 520, 240);
    b.then(Kind::SwitchPoint, 0, 0, 0);
    const int repeat = b.then(Kind::Repeat, 0, 2);
    b.link(repeat, forward);
    b.then(Kind::TrainControl, 0);
    b.then(Kind::EndOfOperation);
    ASSERT_TRUE(rig.operation.startOperation(b.program));
    ASSERT_TRUE(rig.operation.waitForEnd(8000));
    std::vector<int> codes = rig.observer.actionCodes();
    // Start: stop, point straight; then twice forward, branch, backward, straight.
    const std::vector<int> expected{ActionStop,     ActionPoint1Straight, ActionForward,
                                    ActionPoint1Branch, ActionBackward, ActionPoint1Straight,
                                    ActionForward,  ActionPoint1Branch,  ActionBackward,
                                    ActionPoint1Straight, ActionStop,    ActionStop};
    EXPECT_EQ(codes, expected);
    EXPECT_TRUE(rig.devices.actions.empty());
}
