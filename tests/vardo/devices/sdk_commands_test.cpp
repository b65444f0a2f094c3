// Every command of the outside-program interface, through the shared
// records, against a fake host.
#include "sdk_fixture.h"

#include <climits>

namespace vardo::devices::test {
namespace {

TEST_F(SdkInterfaceTest, CommandsBeforeOpeningAreTakenWithoutEffect)
{
    for (auto [code, value] : {std::pair{1, 1}, {2, 3}, {10, 7}, {100, 1}, {13, 203}, {12, 0}}) {
        EXPECT_EQ(run(code, value), Calls{});
        EXPECT_EQ(commandRecord().flag, VARDO_SDK_FLAG_TAKEN);
    }
    vardo_status_record status{};
    EXPECT_EQ(vardo_sdk_read_status(client_, &status), 0); // nothing processed

    // Not calibrated and no simulation: the connection stays closed.
    host_.calibrated = false;
    EXPECT_EQ(run(101, 0), Calls{"message 190"});
    EXPECT_FALSE(sdk_->connectionOpen());
    EXPECT_EQ(run(1, 1), Calls{});

    host_.simulation = true;
    host_.state = 2 | 8;
    EXPECT_EQ(run(101, 12345), Calls{}); // the value means nothing
    EXPECT_TRUE(sdk_->connectionOpen());
    ASSERT_EQ(vardo_sdk_read_status(client_, &status), 1);
    EXPECT_EQ(status.state, 10);
    EXPECT_EQ(run(1, 1), Calls{"action 1 send"});
}

TEST_F(SdkInterfaceTest, TakenOrOtherFlagsAreNotExecuted)
{
    openConnection();
    EXPECT_EQ(run(1, 2), Calls{"action 2 send"});
    host_.clear();
    for (int flag : {static_cast<int>(VARDO_SDK_FLAG_TAKEN), 0, 3, 255}) {
        writeCommand(flag, 1, 1);
        std::uint64_t taken = sdk_->commandsTaken();
        settle();
        settle();
        EXPECT_EQ(sdk_->commandsTaken(), taken);
        EXPECT_EQ(commandRecord().flag, flag);
    }
    EXPECT_EQ(host_.calls(), Calls{});
}

TEST_F(SdkInterfaceTest, StatusIsPublishedAfterEveryProcessedCommand)
{
    openConnection();
    vardo_status_record status{};
    for (int state : {2, 2 | 4, 128}) {
        host_.state = state;
        run(8, 0);
        ASSERT_EQ(vardo_sdk_read_status(client_, &status), 1);
        EXPECT_EQ(status.state, state);
    }
    host_.state = 64;
    run(999, 0); // unknown code: taken, nothing done, status still told
    ASSERT_EQ(vardo_sdk_read_status(client_, &status), 1);
    EXPECT_EQ(status.state, 64);
}

TEST_F(SdkInterfaceTest, ControllerActionsMoveCoupledPointsOnThePanel)
{
    openConnection();
    host_.coupled[1] = true; // point 2 with point 3
    host_.coupled[2] = true; // point 3 with point 4
    host_.coupled[3] = true; // point 4: no partner action from here
    EXPECT_EQ(run(1, 0), Calls{"action 0 send"});
    EXPECT_EQ(run(1, 4), Calls{"action 4 send"});
    EXPECT_EQ(run(1, 5), (Calls{"action 5 send", "action 7 panel"}));
    EXPECT_EQ(run(1, 6), (Calls{"action 6 send", "action 8 panel"}));
    EXPECT_EQ(run(1, 8), (Calls{"action 8 send", "action 10 panel"}));
    EXPECT_EQ(run(1, 9), Calls{"action 9 send"});
    EXPECT_EQ(run(1, 12), Calls{"action 12 send"});
    EXPECT_EQ(run(1, 13), Calls{});
    EXPECT_EQ(run(1, -1), Calls{});
}

TEST_F(SdkInterfaceTest, SoundsAndRelays)
{
    openConnection();
    EXPECT_EQ(run(2, 3), Calls{"play 3 repeat"});
    EXPECT_EQ(run(3, 4), Calls{"prepare 4"});
    EXPECT_EQ(run(8, 5), Calls{"play 5 once"});
    EXPECT_EQ(run(8, -5), Calls{"stop 5"});
    EXPECT_EQ(run(8, INT_MIN), Calls{});
    EXPECT_EQ(run(2, 0), Calls{});
    EXPECT_EQ(run(10, 7), Calls{"relay 7 on"});
    EXPECT_EQ(run(10, -8), Calls{"relay 8 off"});
    EXPECT_EQ(run(10, 0), Calls{});
    EXPECT_EQ(run(10, INT_MIN), Calls{});
}

TEST_F(SdkInterfaceTest, SpeedCarriesTheFadeInTheHighBits)
{
    openConnection();
    EXPECT_EQ(run(11, 50 + 65536 * 10), Calls{"speed 50 fade 10"});
    EXPECT_EQ(run(11, 100), Calls{"speed 100 fade 0"});
    EXPECT_EQ(run(11, 250), Calls{"speed 100 fade 0"});
    EXPECT_EQ(run(11, 0 + 65536 * 3), Calls{"speed 0 fade 3"});
}

TEST_F(SdkInterfaceTest, ProgramFileNamedByTheClipboard)
{
    openConnection();
    EXPECT_EQ(run(12, 0), Calls{"run /programs/run.vpr"});
    host_.setClipboard("  /programs/my program.vpr\r\n");
    EXPECT_EQ(run(12, 0), Calls{"run /programs/my program.vpr"});
    host_.setClipboard(" \n");
    EXPECT_EQ(run(12, 0), Calls{"message 216"});
    host_.setClipboard("/programs/run.vpr", false);
    EXPECT_EQ(run(12, 0), Calls{"message 216"});
    host_.setClipboard("");
    EXPECT_EQ(run(12, 0), Calls{"message 216"});
}

TEST_F(SdkInterfaceTest, TurntablePowerAndTracks)
{
    openConnection();
    EXPECT_EQ(run(13, 50), Calls{"action 9 send"});
    EXPECT_EQ(run(13, 100), Calls{"action 10 send"});
    EXPECT_EQ(run(13, 200), Calls{"action 10 send"});
    EXPECT_EQ(run(13, 203), Calls{"turntable 3 straight"});
    EXPECT_EQ(run(13, 303), Calls{"turntable 3 reversed"});
    EXPECT_EQ(run(13, 301), Calls{"turntable 1 reversed"});
    EXPECT_EQ(run(13, 205), Calls{"turntable 5 straight"});
    EXPECT_EQ(run(13, 206), Calls{});
    EXPECT_EQ(run(13, 300), Calls{});
}

TEST_F(SdkInterfaceTest, SensorWaitHoldsThePolling)
{
    openConnection();
    host_.sensorBlocks = true;
    ASSERT_EQ(vardo_sdk_send(client_, 14, 5 * 100 + 2, 5000), 0);
    ASSERT_TRUE(host_.waitFor("sensor 2 timeout 5"));
    // While the wait runs, the next command is not taken.
    EXPECT_EQ(vardo_sdk_send(client_, 1, 1, 50), VARDO_SDK_TIMEOUT);
    host_.releaseSensor();
    ASSERT_TRUE(host_.waitFor("action 1 send"));
    EXPECT_EQ(commandRecord().flag, VARDO_SDK_FLAG_TAKEN);
    EXPECT_EQ(run(14, -1), Calls{});
}

TEST_F(SdkInterfaceTest, OutsideControlOnAndOff)
{
    openConnection();
    EXPECT_EQ(run(100, 1), (Calls{"operating on", "caption VARDO SDK制御中", "action 0 send",
                                  "action 3 send", "action 12 send"}));
    EXPECT_EQ(run(100, 0), (Calls{"operating off", "stop all", "action 0 send", "action 11 send",
                                  "caption VARDO Nゲージ自動列車運転システム"}));
    EXPECT_EQ(run(100, 2), Calls{});
}

TEST_F(SdkInterfaceTest, AutomaticOperationOnlyWhenItMayRun)
{
    openConnection();
    EXPECT_EQ(run(100, 11), (Calls{"start operation", "action 12 send"}));
    EXPECT_EQ(run(100, 10), (Calls{"stop operation", "action 11 send"}));
    host_.programCommands = 1; // only the start command
    EXPECT_EQ(run(100, 11), Calls{});
    host_.programCommands = 3;
    host_.connected = false;
    EXPECT_EQ(run(100, 11), Calls{});
    EXPECT_EQ(run(100, 10), Calls{});
    host_.simulation = true; // the simulation needs neither board nor program
    host_.programCommands = 1;
    EXPECT_EQ(run(100, 11), (Calls{"start operation", "action 12 send"}));
}

TEST_F(SdkInterfaceTest, AttachedWindowAndOutsideDisplayMode)
{
    openConnection();
    EXPECT_FALSE(sdk_->outsideDisplayMode());
    EXPECT_EQ(run(102, 0), Calls{});
    EXPECT_TRUE(sdk_->outsideDisplayMode()); // also for 0
    EXPECT_EQ(run(102, 0x1234), Calls{"window 4660"});
    EXPECT_TRUE(sdk_->windowAttached());
    EXPECT_EQ(run(102, 0x5678), (Calls{"window 0", "window 22136"}));
    EXPECT_EQ(run(102, 0), Calls{"window 0"});
    EXPECT_FALSE(sdk_->windowAttached());
    EXPECT_TRUE(sdk_->outsideDisplayMode());
    run(102, 77);
    host_.clear();
    sdk_->sdkStop(); // releases the window
    EXPECT_EQ(host_.calls(), Calls{"window 0"});
}

} // namespace
} // namespace vardo::devices::test
