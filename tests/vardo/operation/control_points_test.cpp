#include "operation_rig.h"

#include <gtest/gtest.h>

using namespace vardo;
using optest::Rig;
using Record = layoutdata::ControlPointRecord;

namespace {

Record controlPoint(int x, int y, int direction, int action, int point, int option = 0,
                    int relay = 0, int sound = 0, int number = 0)
{
    Record r;
    r.direction = int16_t(direction);
    r.x = x;
    r.y = y;
    r.trackAction = uint8_t(action);
    r.point = uint8_t(point);
    r.option = uint8_t(option);
    r.relay = uint8_t(relay);
    r.sound = uint8_t(sound);
    r.soundNumber = uint8_t(number);
    return r;
}

Record atTrack(const Rig& rig, int index, int direction, int action, int point, int option = 0,
               int relay = 0)
{
    const auto p = rig.model.track().position(index);
    return controlPoint(p.x, p.y, direction, action, point, option, relay);
}

struct ControlPointRig : Rig {
    ControlPointRig() : Rig(200, true)
    {
        controller.simulation = true;
        controller.performAction(ActionForward);
        observer.clear();
    }
    void at(int x, int y)
    {
        trains.setPosition(0, x, y);
        controlPoints.check();
    }
};

} // namespace

TEST(ControlPoints, FireOncePerApproachAndReArmAfterLeaving)
{
    ControlPointRig rig;
    rig.controlPoints.setRecords({controlPoint(100, 100, 0, 2, 0, 2, 1)});
    rig.at(110, 110);
    rig.at(105, 100);
    EXPECT_EQ(rig.observer.trace().controlPoints, std::vector<int>{0});
    EXPECT_EQ(rig.controlPoints.state(0), ControlPoints::Fired);
    EXPECT_TRUE(rig.model.isBranch(0));
    rig.at(200, 200); // left
    EXPECT_EQ(rig.controlPoints.state(0), ControlPoints::Idle);
    rig.at(100, 132); // exactly the range away: applies again
    EXPECT_EQ(rig.observer.trace().controlPoints, (std::vector<int>{0, 0}));
    // The relay (index 1 = relay 8) went on each time, the board untouched.
    EXPECT_EQ(rig.observer.trace().relays.size(), 2u);
    EXPECT_EQ(rig.controller.optionRelayBits(), 1 << 1);
    EXPECT_TRUE(rig.devices.relays.empty());
}

TEST(ControlPoints, DirectionFilterAndStandingTrain)
{
    ControlPointRig rig;
    rig.controlPoints.setRecords({controlPoint(100, 100, 2, 7, 0), controlPoint(100, 100, 1, 8, 0)});
    rig.at(100, 100);
    // Running forward: only the forward one applies, and it reverses.
    EXPECT_EQ(rig.observer.trace().controlPoints, std::vector<int>{1});
    EXPECT_TRUE(rig.controller.backward());
    rig.at(100, 100);
    // Now backward: the stop point applies.
    EXPECT_EQ(rig.observer.trace().controlPoints, (std::vector<int>{1, 0}));
    EXPECT_FALSE(rig.controller.running());
    rig.at(300, 300);
    EXPECT_EQ(rig.controlPoints.state(0), ControlPoints::Fired); // nothing looked at while standing
}

TEST(ControlPoints, NothingHappensWithoutTrustedPositions)
{
    ControlPointRig rig;
    rig.controller.simulation = false;
    bool calibrated = false;
    rig.controlPoints.setCalibrated([&] { return calibrated; });
    rig.controlPoints.setRecords({controlPoint(100, 100, 0, 0, 0, 2, 0)});
    rig.at(100, 100);
    EXPECT_TRUE(rig.observer.trace().controlPoints.empty());
    calibrated = true;
    rig.at(100, 100);
    EXPECT_EQ(rig.devices.relays, std::vector<int>{7});
}

TEST(ControlPoints, BusyPointOutputIsSkipped)
{
    ControlPointRig rig;
    rig.controller.simulation = false;
    rig.controlPoints.setCalibrated([] { return true; });
    rig.devices.busyPoint = 0;
    rig.controlPoints.setRecords({controlPoint(100, 100, 0, 2, 0)});
    rig.at(100, 100);
    EXPECT_EQ(rig.observer.trace().controlPoints, std::vector<int>{0});
    EXPECT_FALSE(rig.model.isBranch(0));
    EXPECT_TRUE(rig.devices.actions.empty());
    rig.devices.busyPoint = -1;
    rig.at(300, 300);
    rig.at(100, 100);
    EXPECT_EQ(rig.devices.actions, std::vector<int>{ActionPoint1Branch});
}

TEST(ControlPoints, SharedRepeatingSoundStartsOnceAndStopsWhenFree)
{
    ControlPointRig rig;
    rig.controlPoints.setRecords({controlPoint(100, 100, 0, 0, 0, 0, 0, 3, 5),
                                  controlPoint(110, 100, 0, 0, 0, 0, 0, 3, 5),
                                  controlPoint(300, 100, 0, 0, 0, 0, 0, 1, 5),
                                  controlPoint(160, 100, 0, 0, 0, 0, 0, 1, 5)});
    rig.at(105, 100); // both repeating points apply: one start
    rig.at(135, 100); // the first is left; the second still holds it: no stop
    rig.at(300, 100); // all others left: the stop happens
    const std::vector<std::string> expected{"play 5 loop", "stop 5"};
    EXPECT_EQ(rig.sound.taken(), expected);
}

TEST(ControlPoints, StopAllSoundsReleasesTheHolds)
{
    ControlPointRig rig;
    rig.sounds.setStopAllHook([&] { rig.controlPoints.clearSoundHolds(); });
    rig.controlPoints.setRecords({controlPoint(100, 100, 0, 0, 0, 0, 0, 3, 5),
                                  controlPoint(140, 100, 0, 0, 0, 0, 0, 3, 5)});
    rig.at(105, 100); // the first starts the sound
    rig.sounds.stopAll();
    rig.at(115, 100); // still within the first; the second finds the sound free
    const std::vector<std::string> expected{"play 5 loop", "stopAll", "play 5 loop"};
    EXPECT_EQ(rig.sound.taken(), expected);
}

TEST(ControlPoints, WatcherFiresOnTheControlPointEvent)
{
    ControlPointRig rig;
    rig.controlPoints.setRecords({controlPoint(100, 100, 0, 0, 0, 2, 2)});
    ASSERT_TRUE(rig.controlPoints.startWatcher());
    rig.trains.setPosition(0, 100, 100);
    rig.trains.controlPointEvent.set();
    EXPECT_TRUE(Rig::eventually([&] { return rig.controller.optionRelayBits() == (1 << 2); }));
    rig.controlPoints.stopWatcher();
    EXPECT_FALSE(rig.controlPoints.watching());
}

TEST(ControlPoints, SlotsOfTheRecords)
{
    EXPECT_EQ(ControlPoints::slotOf(controlPoint(0, 0, 0, 1, 3)), 3);
    EXPECT_EQ(ControlPoints::slotOf(controlPoint(0, 0, 0, 7, 0, 2, 1)), 0);
    EXPECT_EQ(ControlPoints::slotOf(controlPoint(0, 0, 0, 0, 5, 1, 2)), 10);
    EXPECT_EQ(ControlPoints::slotOf(controlPoint(0, 0, 0, 0, 0, 0, 0, 2, 1)), -1);
}

TEST(PrePass, KeepsTheClosestControlPointBehindTheTrainPerSlot)
{
    ControlPointRig rig;
    rig.trains.nearest = 100;
    rig.controlPoints.setRecords({
        atTrack(rig, 50, 0, 1, 0),       // 0: point 1, 50 behind
        atTrack(rig, 90, 1, 2, 0),       // 1: point 1, 10 behind: kept
        atTrack(rig, 95, 2, 1, 0),       // 2: point 1 but for backward running
        atTrack(rig, 120, 0, 1, 0),      // 3: point 1 ahead: 180 behind
        atTrack(rig, 20, 0, 0, 0, 2, 1), // 4: relay 8, 80 behind: kept
        atTrack(rig, 110, 0, 0, 0, 1, 1), // 5: relay 8 ahead: 190
        atTrack(rig, 120, 0, 0, 0, 2, 3), // 6: relay 10, the only one: kept
        atTrack(rig, 99, 0, 0, 0),       // 7: nothing to set
    });
    rig.controlPoints.prePass(false);
    const std::vector<int> expected{0, 2, 0, 0, 2, 0, 2, 0};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(rig.controlPoints.state(i), expected[size_t(i)]) << i;
    // The next look fires them wherever the train is.
    rig.at(500, 470);
    EXPECT_EQ(rig.observer.trace().controlPoints, (std::vector<int>{1, 4, 6}));
    EXPECT_TRUE(rig.model.isBranch(0));
    EXPECT_EQ(rig.controller.optionRelayBits(), (1 << 1) | (1 << 3));
}

TEST(PrePass, BackwardRunningMeasuresTheOtherWay)
{
    ControlPointRig rig;
    rig.trains.nearest = 100;
    rig.controlPoints.setRecords({atTrack(rig, 90, 0, 1, 0), atTrack(rig, 130, 0, 2, 0),
                                  atTrack(rig, 140, 2, 8, 0)});
    rig.controlPoints.prePass(true);
    EXPECT_EQ(rig.controlPoints.state(0), ControlPoints::Idle);
    EXPECT_EQ(rig.controlPoints.state(1), ControlPoints::FireNow);
    EXPECT_EQ(rig.controlPoints.state(2), ControlPoints::Idle);
    // Reverse and stop are not done by the pre-pass.
    rig.controlPoints.setRecords({atTrack(rig, 130, 0, 8, 0)});
    rig.controlPoints.prePass(false);
    ASSERT_EQ(rig.controlPoints.state(0), ControlPoints::FireNow);
    rig.at(500, 470);
    EXPECT_FALSE(rig.controller.backward());
    EXPECT_EQ(rig.controlPoints.state(0), ControlPoints::Fired);
}

TEST(PrePass, RunsWhenTheTrainStarts)
{
    ControlPointRig rig;
    rig.prePass = true;
    rig.controller.performAction(ActionStop);
    rig.trains.nearest = 10;
    rig.controlPoints.setRecords({atTrack(rig, 5, 0, 2, 0)});
    rig.controller.performAction(ActionForward);
    EXPECT_EQ(rig.controlPoints.state(0), ControlPoints::FireNow);
}

TEST(PrePass, SkippedWhileACalibrationRuns)
{
    ControlPointRig rig;
    rig.prePass = true;
    bool calibrating = true;
    rig.controlPoints.setCalibrationRunning([&calibrating] { return calibrating; });
    rig.controller.performAction(ActionStop);
    rig.trains.nearest = 10;
    rig.controlPoints.setRecords({atTrack(rig, 5, 0, 2, 0)});
    rig.controller.performAction(ActionForward);
    EXPECT_EQ(rig.controlPoints.state(0), ControlPoints::Idle);
    // Once the calibration is over the next start marks it again.
    calibrating = false;
    rig.controller.performAction(ActionStop);
    rig.controller.performAction(ActionForward);
    EXPECT_EQ(rig.controlPoints.state(0), ControlPoints::FireNow);
}
