#include "operation_rig.h"
#include "vardo/operation/auto_button.h"
#include "vardo/operation/folder_run.h"
#include "vardo/operation/operation_toggles.h"

#include "temp_dir.h"

#include <gtest/gtest.h>

using namespace vardo;
using optest::Rig;
using Kind = CommandKind;

namespace {

class CountingPublisher : public StatusPublisher {
public:
    bool isOpen() const override { return open; }
    void publishStatus(int bits) override { statuses.push_back(bits); }
    void publishPosition(int, int, int, int) override { ++positions; }
    bool open = true;
    std::vector<int> statuses;
    int positions = 0;
};

} // namespace

TEST(ControllerAction, StateBitsFollowTheActions)
{
    Rig rig;
    Controller& c = rig.controller;
    c.performAction(ActionBackward);
    EXPECT_EQ(c.state(), state::Running | state::Backward);
    c.performAction(ActionForward);
    EXPECT_EQ(c.state(), state::Running);
    c.performAction(ActionPoint2Branch);
    c.performAction(ActionLampOn);
    EXPECT_EQ(c.state(), state::Running | state::Point2 | state::AutoLamp);
    c.performAction(ActionStop);
    c.performAction(ActionPoint2Straight);
    c.performAction(ActionLampOff);
    EXPECT_EQ(c.state(), 0);
    EXPECT_FALSE(c.performAction(13));
    EXPECT_FALSE(c.performAction(-1));
    EXPECT_EQ(rig.frontend.panelRedraws(), 7);
}

TEST(ControllerAction, PointCodesSwitchTheLayoutModel)
{
    Rig rig(200, true);
    const auto& point = rig.model.point(0);
    ASSERT_GE(point.junction, 0);
    rig.controller.performAction(ActionPoint1Branch);
    EXPECT_TRUE(rig.model.isBranch(0));
    EXPECT_EQ(rig.model.next(point.junction), point.sidingPosition);
    rig.controller.performAction(ActionPoint1Straight);
    EXPECT_FALSE(rig.model.isBranch(0));
    EXPECT_EQ(rig.model.next(point.junction), point.straight);
}

TEST(ControllerAction, TurntablePowerLeavesThePointAlone)
{
    Rig rig(200, true);
    rig.controller.turntableLayout = true;
    // Point 4 does not exist here; the bit still shows the power.
    rig.controller.performAction(ActionPoint4Branch);
    EXPECT_EQ(rig.controller.state() & state::Point4, state::Point4);
    EXPECT_FALSE(rig.model.isBranch(3));
}

TEST(ControllerAction, DevicesOnlyOutsideSimulation)
{
    Rig rig;
    rig.controller.performAction(ActionForward);
    rig.controller.performAction(ActionPoint1Branch, false);
    rig.controller.simulation = true;
    rig.controller.performAction(ActionStop);
    rig.controller.setRelay(8, true);
    rig.controller.simulation = false;
    rig.controller.setRelay(9, true);
    rig.controller.setRelay(9, false);
    EXPECT_EQ(rig.devices.actions, std::vector<int>{ActionForward});
    EXPECT_EQ(rig.devices.relays, (std::vector<int>{9, -9}));
    EXPECT_EQ(rig.controller.optionRelayBits(), 1 << 1); // relay 8 stays on
    const auto actions = rig.observer.trace().actions;
    ASSERT_EQ(actions.size(), 3u);
    EXPECT_TRUE(actions[0].second);
    EXPECT_FALSE(actions[1].second);
    EXPECT_FALSE(actions[2].second);
    EXPECT_FALSE(rig.controller.setRelay(6, true));
}

TEST(ControllerAction, BoardsInSimulationStillGetActionsAndRelays)
{
    Rig rig;
    rig.controller.simulation = true;
    rig.controller.boardsInSimulation = true;
    rig.controller.performAction(ActionBackward);
    rig.controller.performAction(ActionPoint1Branch, false); // not for the board in any mode
    rig.controller.setRelay(7, true);
    EXPECT_EQ(rig.devices.actions, std::vector<int>{ActionBackward});
    EXPECT_EQ(rig.devices.relays, std::vector<int>{7});
    const auto actions = rig.observer.trace().actions;
    ASSERT_EQ(actions.size(), 2u);
    EXPECT_TRUE(actions[0].second);
    EXPECT_FALSE(actions[1].second);
}

TEST(ControllerAction, StatusIsPublishedWhileTheInterfaceIsOpen)
{
    Rig rig;
    CountingPublisher publisher;
    rig.controller.setPublisher(&publisher);
    rig.controller.performAction(ActionForward);
    publisher.open = false;
    rig.controller.performAction(ActionStop);
    EXPECT_EQ(publisher.statuses, std::vector<int>{state::Running});
}

TEST(ControllerAction, StartingTheTrainRunsThePrePassHook)
{
    Rig rig;
    std::vector<bool> directions;
    rig.controller.setTrainStartHook([&](bool backward) { directions.push_back(backward); });
    rig.controller.performAction(ActionForward);
    rig.controller.performAction(ActionStop);
    rig.controller.performAction(ActionBackward);
    rig.controller.performAction(ActionPoint1Branch);
    EXPECT_EQ(directions, (std::vector<bool>{false, true}));
}

TEST(SpeedControl, FadeStepsTowardsTheTargetAndStaysInRange)
{
    Rig rig;
    rig.speed.set(0.2);
    rig.speed.change(1.0, 1); // five steps of 0.16
    EXPECT_TRUE(rig.speed.fading());
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(rig.speed.fadeStep(true));
    EXPECT_FALSE(rig.speed.fadeStep(true));
    EXPECT_NEAR(rig.speed.present(), 1.0, 1e-9);
    // Without force a step waits for its 200 ms.
    rig.speed.change(0.0, 2);
    EXPECT_FALSE(rig.speed.fadeStep());
    rig.speed.change(0.5, 0);
    EXPECT_FALSE(rig.speed.fading());
    EXPECT_DOUBLE_EQ(rig.speed.present(), 0.5);
}

TEST(SpeedControl, ExtendedSpeedOutputGetsTheFadeTimer)
{
    Rig rig;
    rig.ext.open = true;
    rig.ext.speedOutput = true;
    rig.controller.performAction(ActionBackward);
    rig.speed.set(0.0);
    rig.speed.change(0.4, 1);
    EXPECT_EQ(rig.frontend.runningTimers().count(SpeedControl::kFadeTimerId), 1u);
    for (int i = 0; i < 5; ++i)
        rig.frontend.fireTimer(SpeedControl::kFadeTimerId);
    EXPECT_EQ(rig.frontend.runningTimers().count(SpeedControl::kFadeTimerId), 0u);
    std::vector<int> expected{0, -8, -16, -24, -32, -40};
    EXPECT_EQ(rig.ext.speeds, expected);
}

TEST(AutoButton, RefusesWithoutCalibrationOrConnectionOrProgram)
{
    Rig rig;
    optest::ProgramBuilder b;
    b.then(CommandKind::Timer, 0, 5, 0);
    AutoButtonContext context;
    context.controllerConnected = true;
    EXPECT_EQ(pressAutoButton(rig.operation, rig.controller, rig.frontend, b.program, true, context),
              AutoButtonResult::Refused);
    context.calibrated = true;
    context.controllerConnected = false;
    EXPECT_EQ(pressAutoButton(rig.operation, rig.controller, rig.frontend, b.program, true, context),
              AutoButtonResult::Refused);
    optest::ProgramBuilder empty;
    context.controllerConnected = true;
    EXPECT_EQ(pressAutoButton(rig.operation, rig.controller, rig.frontend, empty.program, true,
                              context),
              AutoButtonResult::Refused);
    const auto texts = rig.frontend.messageTexts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], "キャリブレーションがされていませんので自動運転ができません");
    EXPECT_EQ(texts[1], "制御クラスの初期化に失敗しました");
    EXPECT_EQ(texts[2], "制御クラスの初期化に失敗しました");
    EXPECT_FALSE(rig.operation.operating());
    EXPECT_EQ(rig.controller.state() & state::AutoLamp, 0);
}

TEST(AutoButton, SimulationStartsAndStopsWithTheLamp)
{
    Rig rig;
    rig.controller.simulation = true;
    optest::ProgramBuilder b;
    b.then(CommandKind::Timer, 0, 60, 0);
    AutoButtonContext context;
    EXPECT_EQ(pressAutoButton(rig.operation, rig.controller, rig.frontend, b.program, true, context),
              AutoButtonResult::Started);
    EXPECT_TRUE(rig.operation.operating());
    EXPECT_EQ(rig.controller.state() & state::AutoLamp, state::AutoLamp);
    EXPECT_EQ(pressAutoButton(rig.operation, rig.controller, rig.frontend, b.program, false, context),
              AutoButtonResult::Stopped);
    EXPECT_TRUE(rig.operation.waitForEnd(2000));
    EXPECT_EQ(rig.controller.state() & state::AutoLamp, 0);
    EXPECT_EQ(rig.operation.endReason(), EndReason::Stopped);
    EXPECT_TRUE(rig.frontend.questions().empty());
}

TEST(AutoButton, StoppingNeedsNoConnection)
{
    Rig rig;
    rig.controller.simulation = true;
    optest::ProgramBuilder b;
    b.then(CommandKind::Timer, 0, 60, 0);
    ASSERT_TRUE(rig.operation.startOperation(b.program));
    rig.controller.simulation = false;
    AutoButtonContext none;
    EXPECT_EQ(pressAutoButton(rig.operation, rig.controller, rig.frontend, b.program, false, none),
              AutoButtonResult::Stopped);
    EXPECT_FALSE(rig.operation.operating());
}

TEST(AutomaticStop, EndsOperationOrStopsTheTrain)
{
    Rig rig;
    rig.controller.performAction(ActionForward);
    automaticStop(rig.operation, rig.controller);
    EXPECT_FALSE(rig.controller.running());
    EXPECT_EQ(rig.devices.actions, (std::vector<int>{ActionForward, ActionStop}));

    optest::ProgramBuilder b;
    b.then(Kind::Timer, 0, 60);
    ASSERT_TRUE(rig.operation.startOperation(b.program));
    automaticStop(rig.operation, rig.controller);
    ASSERT_TRUE(rig.operation.waitForEnd(1000));
    EXPECT_EQ(rig.operation.endReason(), EndReason::Emergency);
}

TEST(MenuToggles, FlipAndWriteTheSettings)
{
    vardo::testing::TempDir dir;
    Settings settings(dir.file("VARDO.ini"), dir.file("option.ini"));
    Rig rig;
    EXPECT_FALSE(toggleEmergencyStop(settings)); // default on
    EXPECT_EQ(settings.getInt(SettingId::AutoEmergencyStop), 0);
    EXPECT_TRUE(toggleEmergencyStop(settings));
    EXPECT_EQ(settings.getInt(SettingId::AutoEmergencyStop), 1);
    EXPECT_FALSE(toggleControlPoints(settings, rig.controlPoints));
    EXPECT_FALSE(rig.controlPoints.watching());
    EXPECT_TRUE(toggleControlPoints(settings, rig.controlPoints));
    EXPECT_TRUE(rig.controlPoints.watching());
    EXPECT_EQ(settings.getString(SettingId::AutoControlRegion), "1");
}
