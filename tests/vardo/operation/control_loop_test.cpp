#include "operation_rig.h"
#include "program_test_support.h"
#include "temp_dir.h"
#include "vardo/base/command_ids.h"
#include "vardo/operation/auto_button.h"
#include "vardo/operation/folder_run.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace vardo;
using optest::ProgramBuilder;
using optest::Rig;
using Kind = CommandKind;
using Ms = std::chrono::milliseconds;

namespace {

int countOf(const std::vector<int>& v, int x) { return int(std::count(v.begin(), v.end(), x)); }

} // namespace

TEST(ControlLoop, StartPreparesTheLayoutAndTheSounds)
{
    Rig rig(200, true, true);
    rig.controller.performAction(ActionPoint1Branch);
    rig.trains.setPosition(0, 10, 10);
    ProgramBuilder b;
    b.program.setTitle("夜の運転");
    b.then(Kind::SoundOutput, 1, 3);
    b.then(Kind::Timer, 0, 60);
    rig.observer.clear();
    ASSERT_TRUE(rig.operation.startOperation(b.program));
    EXPECT_EQ(rig.frontend.captions().back(), "夜の運転");
    // Stop, then every point straight (two points here).
    const auto actions = rig.observer.actionCodes();
    ASSERT_GE(actions.size(), 3u);
    EXPECT_EQ(std::vector<int>(actions.begin(), actions.begin() + 3),
              (std::vector<int>{ActionStop, ActionPoint1Straight, ActionPoint2Straight}));
    EXPECT_FALSE(rig.model.isBranch(0));
    EXPECT_EQ(rig.trains.position(0).x, kUnknownPosition);
    const auto sounds = rig.sound.taken();
    ASSERT_GE(sounds.size(), 2u);
    EXPECT_EQ(sounds[0], "stopAll");
    EXPECT_EQ(sounds[1], "prepare 3");
    rig.operation.stopOperation();
    EXPECT_TRUE(rig.operation.waitForEnd(2000));
    EXPECT_EQ(rig.frontend.captions().back(), "VARDO Nゲージ自動列車運転システム");
}

TEST(ControlLoop, FailedSoundPreparationEndsOperationWithTheLampOff)
{
    Rig rig;
    rig.sound.failingNumber = 2;
    rig.controller.performAction(ActionLampOn);
    ProgramBuilder b;
    b.then(Kind::SoundOutput, 1, 2);
    EXPECT_FALSE(rig.operation.startOperation(b.program));
    EXPECT_FALSE(rig.operation.operating());
    EXPECT_EQ(rig.operation.endReason(), EndReason::SoundFailed);
    EXPECT_EQ(rig.observer.actionCodes().back(), ActionLampOff);
    EXPECT_EQ(rig.controller.state() & state::AutoLamp, 0);
}

TEST(ControlLoop, RepeatOfThreeRunsItsBodyThreeTimes)
{
    Rig rig;
    ProgramBuilder b;
    const int timer = b.then(Kind::Timer, 0, 0, 5);
    const int relay = b.then(Kind::OptionOutput, 1, 7);
    const int repeat = b.then(Kind::Repeat, 0, 3);
    b.link(repeat, timer);
    const int end = b.then(Kind::EndOfOperation);
    ASSERT_TRUE(rig.operation.startOperation(b.program));
    ASSERT_TRUE(rig.operation.waitForEnd(3000));
    const std::vector<int> expected{timer, relay, repeat, timer, relay, repeat,
                                    timer, relay, repeat, end};
    EXPECT_EQ(rig.observer.commandIndexes(), expected);
    EXPECT_EQ(rig.operation.endReason(), EndReason::Program);
}

TEST(ControlLoop, RepeatCounterIsNotResetByAnEnclosingLoop)
{
    Rig rig;
    ProgramBuilder b;
    const int outer = b.then(Kind::Timer, 0, 0, 5);
    const int inner = b.then(Kind::Timer, 0, 0, 2);
    const int repeat = b.then(Kind::Repeat, 0, 3);
    b.link(repeat, inner);
    const int relay = b.then(Kind::OptionOutput, 1, 7);
    b.link(relay, outer);
    ASSERT_TRUE(rig.operation.startOperation(b.program));
    ASSERT_TRUE(Rig::eventually([&] { return countOf(rig.observer.commandIndexes(), outer) >= 3; }));
    rig.operation.stopOperation();
    ASSERT_TRUE(rig.operation.waitForEnd(1000));
    const auto seen = rig.observer.commandIndexes();
    // First outer pass: the body three times; later passes: once each.
    const auto second = std::find(seen.begin() + 1, seen.end(), outer);
    const auto third = std::find(second + 1, seen.end(), outer);
    EXPECT_EQ(std::count(seen.begin(), second, inner), 3);
    EXPECT_EQ(std::count(second, third, inner), 1);
}

TEST(ControlLoop, ContinueLinkLoopsUntilStopped)
{
    Rig rig;
    ProgramBuilder b;
    const int timer = b.then(Kind::Timer, 0, 0, 10);
    const int relay = b.then(Kind::OptionOutput, 1, 8);
    b.link(relay, timer);
    ASSERT_TRUE(rig.operation.startOperation(b.program));
    EXPECT_TRUE(Rig::eventually([&] { return countOf(rig.observer.commandIndexes(), timer) >= 4; }));
    EXPECT_TRUE(rig.operation.operating());
    rig.operation.stopOperation();
    ASSERT_TRUE(rig.operation.waitForEnd(1000));
    EXPECT_TRUE(rig.frontend.postedCommands().empty());
    EXPECT_EQ(rig.operation.endReason(), EndReason::Stopped);
}

TEST(ControlLoop, ContinueLinkWithoutWaitsWaitsOneSecondFirst)
{
    Rig rig;
    ProgramBuilder b;
    const int relay = b.then(Kind::OptionOutput, 1, 8);
    const int relay2 = b.then(Kind::OptionOutput, 0, 8);
    b.link(relay2, relay);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(rig.operation.startOperation(b.program));
    EXPECT_TRUE(Rig::eventually([&] { return countOf(rig.observer.commandIndexes(), relay) >= 2; }));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, Ms(Operation::kGuardWaitMs - 50));
    rig.operation.stopOperation();
    EXPECT_TRUE(rig.operation.waitForEnd(1000));
}

TEST(ControlLoop, StopDuringALongTimerEndsTheLoopAtOnce)
{
    Rig rig;
    ProgramBuilder b;
    b.then(Kind::Timer, 0, 60);
    b.then(Kind::EndOfOperation);
    ASSERT_TRUE(rig.operation.startOperation(b.program));
    ASSERT_TRUE(Rig::eventually([&] { return rig.operation.current() == 1; }));
    std::this_thread::sleep_for(Ms(20));
    const auto stop = std::chrono::steady_clock::now();
    rig.operation.stopOperation();
    ASSERT_TRUE(rig.operation.waitForEnd(1000));
    EXPECT_LT(std::chrono::steady_clock::now() - stop, Ms(200));
    // The loop's last word: train stopped, lamp off.
    EXPECT_EQ(rig.observer.actionCodes().back(), ActionStop);
}

TEST(ControlLoop, StopEndsEveryKindOfWait)
{
    for (int option : {0, 3}) {
        Rig rig;
        ProgramBuilder b;
        if (option == 0)
            b.then(Kind::TrainControl, 1, 5, 0); // laps
        else
            b.then(Kind::PositionWait, 3, 100, 100);
        ASSERT_TRUE(rig.operation.startOperation(b.program));
        ASSERT_TRUE(Rig::eventually([&] { return rig.operation.current() == 1; }));
        rig.feed(500, 300);
        const auto stop = std::chrono::steady_clock::now();
        rig.operation.stopOperation();
        ASSERT_TRUE(rig.operation.waitForEnd(1000));
        EXPECT_LT(std::chrono::steady_clock::now() - stop, Ms(200));
    }
}

TEST(ControlLoop, LapsAndDistanceWaitNeedsMoreThanBoth)
{
    Rig rig;
    ProgramBuilder b;
    b.then(Kind::TrainControl, 1, 2, 100);
    const int after = b.then(Kind::OptionOutput, 1, 7);
    ASSERT_TRUE(rig.operation.startOperation(b.program));
    ASSERT_TRUE(Rig::eventually([&] { return rig.operation.current() == 1; }));
    const auto ran = [&] { return countOf(rig.observer.commandIndexes(), after) > 0; };
    // Around a circle in steps of 2 degrees: exactly two laps is not enough.
    auto onCircle = [&](int degrees) {
        const double a = degrees * 3.141592653589793 / 180;
        rig.feed(320 + int(std::lround(150 * std::cos(a))), 240 + int(std::lround(150 * std::sin(a))));
    };
    for (int d = 0; d < 720; d += 2)
        onCircle(d);
    const double a = 720 * 3.141592653589793 / 180;
    EXPECT_TRUE(rig.feedStillWaiting(320 + int(std::lround(150 * std::cos(a))),
                                     240 + int(std::lround(150 * std::sin(a)))));
    EXPECT_FALSE(ran());
    onCircle(724); // laps done; the distance counts from here
    const auto p0 = rig.trains.position(0);
    EXPECT_TRUE(rig.feedStillWaiting(p0.x + 60, p0.y + 80)); // exactly 100 pixels
    EXPECT_FALSE(ran());
    rig.feed(p0.x + 61, p0.y + 80);
    EXPECT_TRUE(Rig::eventually(ran));
    rig.operation.stopOperation();
}

TEST(ControlLoop, DistanceOnlyWaitCountsFromTheFirstPosition)
{
    Rig rig;
    ProgramBuilder b;
    b.then(Kind::TrainControl, 2, 0, 50);
    const int after = b.then(Kind::OptionOutput, 1, 7);
    ASSERT_TRUE(rig.operation.startOperation(b.program));
    ASSERT_TRUE(Rig::eventually([&] { return rig.controller.backward(); }));
    rig.feed(100, 100);
    EXPECT_TRUE(rig.feedStillWaiting(140, 100));
    EXPECT_EQ(countOf(rig.observer.commandIndexes(), after), 0);
    rig.feed(151, 100);
    EXPECT_TRUE(Rig::eventually([&] { return countOf(rig.observer.commandIndexes(), after) == 1; }));
}

TEST(ControlLoop, PositionWaitEndsWithinTheRange)
{
    Rig rig;
    ProgramBuilder b;
    b.then(Kind::PositionWait, 3, 200, 100);
    const int after = b.then(Kind::OptionOutput, 1, 7);
    ASSERT_TRUE(rig.operation.startOperation(b.program));
    ASSERT_TRUE(Rig::eventually([&] { return rig.operation.current() == 1; }));
    rig.feed(200, 140);
    EXPECT_TRUE(rig.feedStillWaiting(224, 122)); // 32.6 pixels
    EXPECT_EQ(countOf(rig.observer.commandIndexes(), after), 0);
    rig.feed(200, 132); // 32 pixels: counts
    EXPECT_TRUE(Rig::eventually([&] { return countOf(rig.observer.commandIndexes(), after) == 1; }));
}

TEST(ControlLoop, PlatformStopLiesHomeOffsetBeforeTheHome)
{
    Rig loopOnly(200, false);
    // Loop only, home at position 0: 16 positions before it running forward.
    loopOnly.controller.performAction(ActionForward);
    const auto& track = loopOnly.model.track();
    EXPECT_EQ(loopOnly.operation.positionTarget(0, 0, 0), track.position(200 - 16));
    loopOnly.controller.performAction(ActionBackward);
    EXPECT_EQ(loopOnly.operation.positionTarget(0, 0, 0), track.position(16));
    loopOnly.controller.simulation = true;
    EXPECT_EQ(loopOnly.operation.positionTarget(0, 0, 0), loopOnly.model.positions().home);

    Rig sidings(200, true);
    const int home = sidings.model.positions().homeIndex;
    ASSERT_GE(home, 200 + 16);
    EXPECT_EQ(sidings.operation.positionTarget(0, 0, 0), sidings.model.track().position(home - 16));
    EXPECT_EQ(sidings.operation.positionTarget(1, 0, 0), sidings.model.positions().front);
    EXPECT_EQ(sidings.operation.positionTarget(2, 0, 0), sidings.model.positions().back);
    EXPECT_EQ(sidings.operation.positionTarget(3, 7, 9), (layoutdata::Point{7, 9}));
}

TEST(ChainHeads, AlarmWithVirtualTimeIsArmedForTheDifference)
{
    Rig rig;
    ProgramBuilder b;
    b.program.virtualTime = 10 * 60;
    b.then(Kind::Timer, 0, 60);
    const int alarm = b.add(Kind::AlarmTime, 0, 10, 30, -1);
    b.add(Kind::OptionOutput, 1, 7, 0, alarm);
    const int past = b.add(Kind::AlarmTime, 0, 9, 59, -1);
    const int timer = b.add(Kind::Timer, 0, 45, 0, -1);
    ASSERT_TRUE(rig.operation.startOperation(b.program));
    ASSERT_TRUE(Rig::eventually([&] { return rig.frontend.runningTimers().size() == 2; }));
    const auto timers = rig.frontend.runningTimers();
    EXPECT_EQ(timers.at(Operation::kChainTimerBase + alarm), 1800 * 1000);
    EXPECT_EQ(timers.at(Operation::kChainTimerBase + timer), 45 * 1000);
    EXPECT_EQ(timers.count(Operation::kChainTimerBase + past), 0u);
    rig.operation.stopOperation();
    ASSERT_TRUE(rig.operation.waitForEnd(1000));
    EXPECT_TRUE(rig.frontend.runningTimers().empty());
}

TEST(ChainHeads, AlarmOnTheRealClockCountsTheSeconds)
{
    Rig rig;
    rig.operation.setClock([] { return TimeOfDay{10, 29, 15}; });
    ProgramBuilder b;
    const int alarm = b.add(Kind::AlarmTime, 0, 10, 30, -1);
    EXPECT_EQ(rig.operation.chainHeadDelay(b.program.commands[size_t(alarm)]), 45);
    b.program.commands[size_t(alarm)].value2 = 29;
    EXPECT_EQ(rig.operation.chainHeadDelay(b.program.commands[size_t(alarm)]), -15);
}

TEST(ChainHeads, AFiringTimerPreemptsTheRunningChain)
{
    Rig rig;
    ProgramBuilder b;
    const int longWait = b.then(Kind::Timer, 0, 60);
    const int abandoned = b.then(Kind::OptionOutput, 1, 10);
    const int head = b.add(Kind::Timer, 0, 30, 0, -1);
    const int relay = b.add(Kind::OptionOutput, 1, 9, 0, head);
    const int end = b.add(Kind::EndOfOperation, 0, 0, 0, relay);
    ASSERT_TRUE(rig.operation.startOperation(b.program));
    ASSERT_TRUE(Rig::eventually([&] { return rig.operation.current() == longWait; }));
    rig.frontend.fireTimer(Operation::kChainTimerBase + head);
    ASSERT_TRUE(rig.operation.waitForEnd(1000));
    EXPECT_EQ(rig.observer.commandIndexes(), (std::vector<int>{longWait, relay, end}));
    EXPECT_EQ(countOf(rig.observer.commandIndexes(), abandoned), 0);
    // One-shot: the fired timer is gone.
    EXPECT_EQ(rig.frontend.runningTimers().count(Operation::kChainTimerBase + head), 0u);
}

TEST(ChainHeads, APreemptionWakesAPositionWaitOfAStandingTrain)
{
    Rig rig;
    ProgramBuilder b;
    b.then(Kind::PositionWait, 3, 100, 100);
    const int head = b.add(Kind::Timer, 0, 30, 0, -1);
    const int end = b.add(Kind::EndOfOperation, 0, 0, 0, head);
    ASSERT_TRUE(rig.operation.startOperation(b.program));
    ASSERT_TRUE(Rig::eventually([&] { return rig.operation.current() == 1; }));
    rig.frontend.fireTimer(Operation::kChainTimerBase + head);
    ASSERT_TRUE(rig.operation.waitForEnd(1000));
    EXPECT_EQ(rig.observer.commandIndexes().back(), end);
}

TEST(Commands, SwitchPointWithPartnerSwitchesBoth)
{
    Rig rig(200, true, true);
    ProgramBuilder b;
    b.then(Kind::SwitchPoint, 1, 0, 0);
    b.then(Kind::EndOfOperation);
    ASSERT_TRUE(rig.operation.startOperation(b.program));
    ASSERT_TRUE(rig.operation.waitForEnd(1000));
    auto actions = rig.observer.actionCodes();
    // After the start's stop and straights: point 1 and its partner branch.
    auto at = std::find(actions.begin(), actions.end(), ActionPoint1Branch);
    ASSERT_NE(at, actions.end());
    ASSERT_NE(at + 1, actions.end());
    EXPECT_EQ(*(at + 1), ActionPoint2Branch);
    EXPECT_EQ(rig.devices.actions.back(), ActionStop);
}

TEST(Commands, SwitchPointWaitsUntilTheTrainHasPassed)
{
    Rig rig(200, true);
    ProgramBuilder b;
    b.then(Kind::TrainControl, 1);
    const int sw = b.then(Kind::SwitchPoint, 1, 50, 0);
    ASSERT_TRUE(rig.operation.startOperation(b.program));
    ASSERT_TRUE(Rig::eventually([&] { return rig.operation.current() == sw; }));
    EXPECT_TRUE(rig.feedStillWaiting(330, 380)); // near the point at (320, 390)
    EXPECT_FALSE(rig.branch(0));
    rig.feed(400, 380);
    EXPECT_TRUE(Rig::eventually([&] { return rig.branch(0); }));
}

TEST(Commands, SoundRelaySpeedAndEnd)
{
    Rig rig;
    ProgramBuilder b;
    b.then(Kind::SoundOutput, 2, 4);
    b.then(Kind::SoundOutput, 1, 5);
    b.then(Kind::SoundOutput, 0, 4);
    b.then(Kind::OptionOutput, 1, 10);
    b.then(Kind::TrainSpeed, 0, 40, 0);
    b.then(Kind::EndOfOperation);
    ASSERT_TRUE(rig.operation.startOperation(b.program));
    ASSERT_TRUE(rig.operation.waitForEnd(1000));
    const std::vector<std::string> expected{"stopAll", "prepare 4", "prepare 5", "prepare 4",
                                            "play 4 loop", "play 5", "stop 4", "stopAll"};
    EXPECT_EQ(rig.sound.taken(), expected);
    EXPECT_EQ(rig.devices.relays, std::vector<int>{10});
    EXPECT_DOUBLE_EQ(rig.speed.present(), 0.4);
}

TEST(Commands, SensorWaitAsksTheBoardAndTimesOut)
{
    Rig rig;
    rig.ext.open = true;
    rig.ext.answerAfterPolls = 2;
    ProgramBuilder b;
    b.then(Kind::PositionWait, 4, 3, 20);
    b.then(Kind::EndOfOperation);
    ASSERT_TRUE(rig.operation.startOperation(b.program));
    ASSERT_TRUE(rig.operation.waitForEnd(2000));
    EXPECT_EQ(rig.ext.sensorWaits, std::vector<int>{3 * 10000 + 20});
    EXPECT_EQ(rig.ext.polls, 3);

    Rig closed;
    ProgramBuilder c;
    c.then(Kind::PositionWait, 4, 1, 3600);
    c.then(Kind::EndOfOperation);
    ASSERT_TRUE(closed.operation.startOperation(c.program));
    // Without the board the wait returns at once.
    ASSERT_TRUE(closed.operation.waitForEnd(1000));
}

TEST(Commands, SimulatedTurntableTakesItsTurnTime)
{
    Rig rig;
    rig.controller.simulation = true;
    OperationSettings s;
    s.turnSpeed = 36; // ms per unit: (h x 15 + r x 180) ms
    rig.operation.setSettings(s);
    rig.operation.turntableTrack = 0;
    std::vector<int> moves;
    rig.operation.setTurntableHook([&](int track, bool reversed) {
        moves.push_back(reversed ? -track - 1 : track + 1);
    });
    ProgramBuilder b;
    b.then(Kind::Turntable, 5, 1, 1); // track 4, reversed, then power on
    b.then(Kind::EndOfOperation);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(rig.operation.startOperation(b.program));
    ASSERT_TRUE(rig.operation.waitForEnd(3000));
    // f = 0, c = 5: h = 3 + 1 = 4, turned: 4 x 15 + 180 = 240 ms.
    EXPECT_GE(std::chrono::steady_clock::now() - start, Ms(235));
    EXPECT_EQ(moves, std::vector<int>{-4});
    EXPECT_EQ(rig.operation.turntableTrack.load(), 3);
    EXPECT_EQ(countOf(rig.observer.actionCodes(), ActionPoint4Branch), 1);
}

TEST(Commands, TurntableOnTheBoardWaitsForArrival)
{
    Rig rig;
    rig.ext.open = true;
    ProgramBuilder b;
    b.then(Kind::Turntable, 3, 0, 0);
    const int end = b.then(Kind::EndOfOperation);
    ASSERT_TRUE(rig.operation.startOperation(b.program));
    ASSERT_TRUE(Rig::eventually([&] { return rig.ext.turnsTaken() == std::vector<int>{2}; }));
    // A position set now marks what comes after the arrival: the end
    // command records it only if it waited for the arrival.
    rig.trains.setPosition(0, 321, 123);
    rig.operation.onTurntableArrived();
    ASSERT_TRUE(rig.operation.waitForEnd(1000));
    const auto commands = rig.observer.trace().commands;
    ASSERT_EQ(commands.back().index, end);
    EXPECT_EQ(commands.back().position.x, 321);
    EXPECT_EQ(commands.back().position.y, 123);
}

class FolderRunOperation : public ::testing::Test {
protected:
    FolderRunOperation()
        : editor(program, rig.frontend, dialogs, files, dir.file("option.ini"), dir.path()),
          run(editor, rig.frontend, dir.file("option.ini"))
    {
        dir.write("progs/a.vpr", "");
        common::writeFileAtomic(dir.file("progs/a.vpr"),
                                vardo::testing::fileImage(3, {{1, 0, 0, 0, 1}, {3, 0, 1, 0, -1, 0}}));
        FolderRunSettings{dir.file("progs"), false, false}.write(dir.file("option.ini"));
        rig.operation.setFolderRunQuery([this] { return run.active(); });
        rig.controller.simulation = true;
    }

    vardo::testing::TempDir dir;
    Rig rig;
    vardo::testing::ScriptedCommandEditor dialogs;
    vardo::testing::ScriptedFileChooser files;
    Program program;
    ProgramEditor editor;
    FolderRun run;
};

TEST_F(FolderRunOperation, ContinueLinkHandsOverToTheNextProgram)
{
    ASSERT_EQ(run.runNextProgramOfFolder(), FolderRunStep::ProgramLoaded);
    ProgramBuilder b;
    const int timer = b.then(Kind::Timer, 0, 0, 5);
    const int relay = b.then(Kind::OptionOutput, 1, 7);
    b.link(relay, timer);
    ASSERT_TRUE(rig.operation.startOperation(b.program));
    ASSERT_TRUE(rig.operation.waitForEnd(1000));
    EXPECT_EQ(rig.observer.commandIndexes(), (std::vector<int>{timer, relay}));
    EXPECT_EQ(rig.operation.endReason(), EndReason::Program);
    // Posted right after the loop has finished.
    EXPECT_TRUE(Rig::eventually([&] { return !rig.frontend.postedCommands().empty(); }));
    EXPECT_EQ(rig.frontend.postedCommands(), std::vector<int>{cmd::FolderRun});
}

TEST_F(FolderRunOperation, StoppingAsksWhetherTheRunEnds)
{
    ASSERT_EQ(run.runNextProgramOfFolder(), FolderRunStep::ProgramLoaded);
    ProgramBuilder b;
    b.then(Kind::Timer, 0, 60);
    AutoButtonContext context;
    context.folderRun = &run;
    ASSERT_EQ(pressAutoButton(rig.operation, rig.controller, rig.frontend, b.program, true, context),
              AutoButtonResult::Started);
    rig.frontend.queueAnswer(Answer::Yes);
    pressAutoButton(rig.operation, rig.controller, rig.frontend, b.program, false, context);
    ASSERT_TRUE(rig.operation.waitForEnd(1000));
    ASSERT_EQ(rig.frontend.questions().size(), 1u);
    EXPECT_EQ(rig.frontend.questions()[0],
              "プログラムの連続実行を終了しますか？\nいいえの場合次のプログラムを実行します。");
    EXPECT_FALSE(run.active());
    EXPECT_TRUE(rig.frontend.postedCommands().empty());
}
