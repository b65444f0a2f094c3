#include "extended_rig.h"
#include "vardo/base/controller_codes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>

namespace vardo::testing {
namespace {

using devices::ExtendedInterface;

constexpr const char* kTorqueOn3 = "FA AF 03 00 24 01 01 01 26";
constexpr const char* kTorqueOff3 = "FA AF 03 00 24 01 01 00 27";

TEST(ExtendedInterfaceTest, NoPortNumberMeansNoInterfaceAndNoMessage)
{
    TempDir dir;
    dir.write("option.ini", "[SERVO]\nCOM_NO=0\n");
    RecordingFrontend frontend;
    devices::SerialPortOpener opener(dir.file("option.ini"));
    ExtendedInterface ext(frontend, opener,
                          Settings(dir.file("VARDO.ini"), dir.file("option.ini")));
    EXPECT_TRUE(ext.initExtendedInterface());
    EXPECT_FALSE(ext.isOpen());
    EXPECT_FALSE(ext.beginSensorWait(0, 1));
    EXPECT_TRUE(frontend.messages().empty());
}

TEST(ExtendedInterfaceTest, PortThatCannotOpenGivesMessage221)
{
    TempDir dir;
    dir.write("option.ini",
              "[SERIAL]\nCOM5=" + dir.file("no-such-device") + "\n[SERVO]\nCOM_NO=5\n");
    RecordingFrontend frontend;
    devices::SerialPortOpener opener(dir.file("option.ini"));
    ExtendedInterface ext(frontend, opener,
                          Settings(dir.file("VARDO.ini"), dir.file("option.ini")));
    EXPECT_FALSE(ext.initExtendedInterface());
    EXPECT_FALSE(ext.isOpen());
    ASSERT_EQ(frontend.messageTexts().size(), 1u);
    EXPECT_EQ(frontend.messageTexts()[0], "拡張インタフェイスの初期化に失敗しました。\n接続を確認し"
                                          "て本プログラムを立ち上げ直してください");
}

TEST(ExtendedInterfaceTest, StartUpSendsSpeedTorqueStopAndPointsAndTurntableCompliance)
{
    ExtendedRig rig("SPEED_SERVO=134\nTRAIN_SERVO=130\nPOINT_SERVO=131\nTURN_SERVO=129\n"
                    "TORQUE_OFF=0\nTHROUGH_POINT=45\n",
                    ExtendedRig::servoBoard(), fastExtendedTiming(),
                    "COMPLIANCE_SLOPE=3\nPUNCH_RETIO=256\n");
    ASSERT_TRUE(rig.boardReady);
    ASSERT_TRUE(rig.ext->initExtendedInterface());
    EXPECT_TRUE(rig.ext->isOpen());
    const auto got = rig.hexes(7);
    ASSERT_EQ(got.size(), 7u);
    EXPECT_EQ(got[0], "FA AF 06 00 24 01 01 01 23"); // speed servo torque on
    EXPECT_EQ(got[1], "FA AF 02 00 24 01 01 01 27"); // action 0: stop angle 0
    EXPECT_EQ(got[2], "FA AF 02 00 1E 02 01 00 00 1F");
    EXPECT_EQ(got[3], kTorqueOn3); // action 3: point 1 straight, 45 degrees
    EXPECT_EQ(got[4], "FA AF 03 00 1E 02 01 C2 01 DD");
    EXPECT_EQ(got[5].substr(0, 36), "FA AF 01 00 18 06 01 01 01 03 03 00 ");
    EXPECT_EQ(got[6], "FA AF 01 00 24 01 01 01 24"); // torque kept on: TORQUE_OFF 0
    const auto timers = rig.frontend.runningTimers();
    EXPECT_EQ(timers.count(ExtendedInterface::kFirstTimer + 2), 1u);
    EXPECT_EQ(timers.count(ExtendedInterface::kFirstTimer + 3), 1u);
}

TEST(ExtendedInterfaceTest, PointBranchMovesServoThreeTorqueOnThenGoalThenTorqueOffBySecondTimer)
{
    ExtendedRig rig("TRAIN_SERVO=2\nSPEED_SERVO=6\nPOINT_SERVO=131\nBRANCH_POINT=-90\n");
    ASSERT_TRUE(rig.boardReady);
    ASSERT_TRUE(rig.ext->initExtendedInterface());
    const size_t m = rig.mark(); // after start-up's point 1 straight
    ASSERT_TRUE(rig.ext->takeAction(ActionPoint1Branch, "PCT3002\r"));
    auto got = rig.since(m, 2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].hex, kTorqueOn3);
    EXPECT_EQ(got[1].hex, "FA AF 03 00 1E 02 01 7C FC 9E");
    EXPECT_EQ(got[1].position, -900);
    EXPECT_GE(got[1].tMs - got[0].tMs, 90); // the servo settles 100 ms first
    EXPECT_TRUE(rig.board.servo(3).torque);
    EXPECT_EQ(rig.frontend.runningTimers().at(105), 1000);

    EXPECT_TRUE(rig.ext->onTimer(105));
    got = rig.since(m, 3);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[2].hex, kTorqueOff3);
    EXPECT_FALSE(rig.board.servo(3).torque);
    EXPECT_EQ(rig.frontend.runningTimers().count(105), 0u);
    EXPECT_FALSE(rig.ext->onTimer(101)); // the fade timer is not ours
}

TEST(ExtendedInterfaceTest, NewerMoveKeepsTheTorqueOn)
{
    devices::ExtendedTiming timing = fastExtendedTiming();
    timing.torqueSettleMs = 400;
    ExtendedRig rig("POINT_SERVO=131\n", ExtendedRig::servoBoard(), timing);
    ASSERT_TRUE(rig.boardReady);
    ASSERT_TRUE(rig.ext->initExtendedInterface());
    const size_t m = rig.mark(); // start-up moved point 1: its timer runs
    // The first move's timer fires while the second move is under way.
    auto second = std::async(std::launch::async, [&] { rig.ext->moveServo(3, 30); });
    ASSERT_EQ(rig.since(m, 1).size(), 1u); // torque on of the second move is out
    EXPECT_TRUE(rig.ext->onTimer(105));
    second.get();
    const auto got = rig.since(m, 2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].hex, kTorqueOn3);
    EXPECT_EQ(got[1].position, 300);                       // no torque off came between
    EXPECT_EQ(rig.frontend.runningTimers().at(105), 1000); // the new move's timer
}

TEST(ExtendedInterfaceTest, SpeedOutputAsBoardTextOrServoAngle)
{
    ExtendedRig rig("SPEED_SERVO=128\nTRAIN_SERVO=2\n");
    ASSERT_TRUE(rig.boardReady);
    std::atomic<bool> fadeEnded{false};
    devices::ExtendedHooks hooks;
    hooks.presentSpeed = [] { return 0.5; };
    hooks.endSpeedFade = [&] { fadeEnded = true; };
    rig.ext->setHooks(hooks);
    ASSERT_TRUE(rig.ext->initExtendedInterface());
    EXPECT_TRUE(rig.ext->drivesSpeed());
    rig.ext->setSpeed(0.5, -1);
    // With the train servo off the speed output carries the direction.
    EXPECT_TRUE(rig.ext->takeAction(ActionForward, "PCR01R10\r"));
    EXPECT_TRUE(rig.ext->takeAction(ActionStop, "PCR00R10\r"));
    // Start-up sent action 0 as PCP0 first.
    EXPECT_EQ(rig.hexes(4), (std::vector<std::string>{"PCP0", "PCP-50", "PCP50", "PCP0"}));
    EXPECT_TRUE(fadeEnded);
    EXPECT_FALSE(rig.ext->takeAction(ActionLampOn, ""));

    ExtendedRig servo("SPEED_SERVO=134\nTRAIN_SERVO=2\nMIN_SPEED=-40\nMAX_SPEED=-100\n");
    ASSERT_TRUE(servo.boardReady);
    ASSERT_TRUE(servo.ext->initExtendedInterface());
    const size_t m = servo.mark();
    servo.ext->setSpeed(0.5, 1); // (-100 - -40) x 0.5 - 40 = -70 degrees, no torque packet
    servo.mark();
    const auto got = servo.since(m, 2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].servo, 6);
    EXPECT_EQ(got[0].position, -700);
}

TEST(ExtendedInterfaceTest, OutputWithServoIdZeroGetsTheRelayCommandText)
{
    ExtendedRig rig("POINT2_SERVO=128\n");
    ASSERT_TRUE(rig.boardReady);
    ASSERT_TRUE(rig.ext->initExtendedInterface());
    EXPECT_TRUE(rig.ext->takeAction(ActionPoint2Branch, "PCT6002\r"));
    EXPECT_FALSE(
        rig.ext->takeAction(ActionPoint1Branch, "PCT3002\r")); // point 1 stays on the relays
    rig.mark();
    const auto relays = rig.board.commands();
    ASSERT_EQ(relays.size(), 2u);
    EXPECT_EQ(relays[0].command, "PCT4002"); // start-up: relay 5 is named "4"
    EXPECT_EQ(relays[1].command, "PCT6002");
}

TEST(ExtendedInterfaceTest, LinkedTurntablePowerFollowsTheTrain)
{
    ExtendedRig rig("TRAIN_SERVO=130\nTABLE_SERVO=132\nLINK_TABLE=1\nTABLE_ON=80\nTABLE_OFF=10\n"
                    "FORWARD_TRAIN=70\nBACKWARD_TRAIN=-70\nSTOP_TRAIN=5\n",
                    ExtendedRig::servoBoard(), [] {
                        auto t = fastExtendedTiming();
                        t.torqueSettleMs = 1;
                        return t;
                    }());
    ASSERT_TRUE(rig.boardReady);
    std::atomic<int> state{0};
    devices::ExtendedHooks hooks;
    hooks.controllerState = [&] { return state.load(); };
    rig.ext->setHooks(hooks);
    ASSERT_TRUE(rig.ext->initExtendedInterface()); // stop: 2 packets
    struct Case {
        int state;
        int code;
        int servo;
        int angle;
    } cases[] = {
        {state::Running | state::Backward, ActionPoint4Branch, 4, 10},
        {state::Running, ActionPoint4Branch, 4, 80},
        {0, ActionPoint4Branch, 4, 5},
        {state::Running | state::Backward, ActionPoint4Straight, 4, -70},
        {state::Running, ActionPoint4Straight, 4, 70},
        {0, ActionPoint4Straight, 4, 5},
        {state::Point4, ActionForward, 2, 80},
        {state::Point4, ActionBackward, 2, 10},
        {0, ActionForward, 2, 70},
    };
    size_t n = 2;
    for (const Case& c : cases) {
        state = c.state;
        rig.ext->servoAction(c.code);
        n += 2;
        const auto got = rig.received(n);
        ASSERT_EQ(got.size(), n);
        EXPECT_EQ(got[n - 1].servo, c.servo) << c.code << " state " << c.state;
        EXPECT_EQ(got[n - 1].position, c.angle * 10) << c.code << " state " << c.state;
    }
}

} // namespace
} // namespace vardo::testing
