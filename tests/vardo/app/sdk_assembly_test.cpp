// The outside-program interface inside the whole assembly: started with -s,
// driven through the C library while the simulation runs, and taken down
// with the rest.
#include "oval_track.h"
#include "program_description.h"
#include "recording_frontend.h"
#include "sdk/sdk_namespace.h"
#include "temp_dir.h"
#include "wait_until.h"

#include "common/byte_io.h"
#include "common/string_table.h"
#include "layoutdata/layout_files.h"
#include "vardo/app/assembly.h"
#include "vardo/base/command_ids.h"
#include "vardo/base/controller_codes.h"
#include "vardo/operation/program_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <future>
#include <iterator>
#include <mutex>
#include <random>
#include <thread>

using namespace vardo;
using vardo::testing::RecordingFrontend;
using vardo::testing::TempDir;

namespace {

using vardo::testing::ovalTrack;

// The test's thread plays the window's: while it waits it delivers the
// commands posted to the window, among them the interface's calls.
RecordingFrontend* windowThread = nullptr;

template <typename Condition> bool waitFor(Condition done, int timeoutMs = 10000)
{
    auto delivered = [&] {
        if (windowThread)
            windowThread->deliverPostedCommands();
        return done();
    };
    return vardo::testing::waitUntil(delivered, std::chrono::milliseconds(timeoutMs));
}

// The window's frontend as far as waiting goes: a message box asked for on
// another thread waits until the window's thread serves it, which a
// closing window never does.
class WindowFrontend : public RecordingFrontend {
public:
    using RecordingFrontend::showMessage;
    void showMessage(const std::string& text, Icon icon) override
    {
        {
            std::unique_lock lock(mutex_);
            if (std::this_thread::get_id() != windowThread_)
                served_.wait(lock, [&] { return !closing_; });
        }
        RecordingFrontend::showMessage(text, icon);
    }
    void setClosing(bool closing)
    {
        std::lock_guard lock(mutex_);
        closing_ = closing;
        served_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable served_;
    std::thread::id windowThread_ = std::this_thread::get_id();
    bool closing_ = false;
};

// Starts the train and ends; holdMs > 0 waits that long before the end, for
// a check made while the program runs.
Program lapProgram(int holdMs = 0)
{
    Program p;
    const std::string hold = holdMs > 0 ? "Timer 0 0 " + std::to_string(holdMs) + "\n" : "";
    const auto parsed = mkprogram::parseDescription(
        "Start\nTrainSpeed 0 100 0\nTrainControl 1 1 0\n" + hold + "EndOfOperation\n", p);
    EXPECT_TRUE(parsed.ok) << parsed.error;
    p.compact();
    return p;
}

class SdkAssembly : public sdk_test::SdkNamespace {
protected:
    void SetUp() override
    {
        SdkNamespace::SetUp();
        windowThread = &frontend_;
        dir_.write("VARDO.ini",
                   "[SIMULATION]\nSPEED=1\n[CAPTURE]\nLOOP=0\n[API]\nCOMM_INTERVAL=2\n");
        dir_.write("option.ini", "[AGREEMENT]\nAGREEMENT=1\n[CAPTURE]\nDEVICE=0\n"
                                 "[LAYOUT]\nSURPRESS_MESSAGE=1\n[USB]\nSURPRESS_MESSAGE=1\n");
        dir_.write("layout/.keep", "");
        ASSERT_TRUE(layoutdata::writePolylineFile(dir_.file("layout/layout.dat"), ovalTrack()));
    }
    void TearDown() override
    {
        vardo_sdk_disconnect(client_);
        if (rail_)
            rail_->shutdown();
        rail_.reset();
        windowThread = nullptr;
        SdkNamespace::TearDown();
    }

    // Brings Vardo up with -s in simulation and connects a client.
    void startWithSdk(AssemblyParts parts = {})
    {
        rail_ = std::make_unique<VardoAssembly>(frontend_, dir_.path(), std::move(parts));
        ASSERT_EQ(rail_->start("-s"), StartupOutcome::Started);
        frontend_.deliverPostedCommands();
        ASSERT_TRUE(rail_->simulation().running());
        ASSERT_TRUE(rail_->sdk().isOpen());
        client_ = vardo_sdk_connect();
        ASSERT_NE(client_, nullptr);
    }
    // Sends a command and returns once Vardo has processed it.
    void send(int code, int value)
    {
        ASSERT_EQ(vardo_sdk_send(client_, code, value, 5000), 0) << code << "/" << value;
        const std::uint64_t seen = rail_->sdk().sdk().polls();
        ASSERT_TRUE(waitFor([&] { return rail_->sdk().sdk().polls() > seen; }));
    }
    int status()
    {
        vardo_status_record record{};
        EXPECT_GE(vardo_sdk_read_status(client_, &record), 0);
        return record.state;
    }

    std::uint64_t polls() { return rail_->sdk().sdk().polls(); }

    TempDir dir_;
    WindowFrontend frontend_;
    std::unique_ptr<VardoAssembly> rail_;
    vardo_sdk* client_ = nullptr;
};

TEST_F(SdkAssembly, CommandsBeforeOpeningAreTakenWithoutEffectThenActionsRunAndStatusFollows)
{
    startWithSdk();
    send(1, ActionForward);
    EXPECT_FALSE(rail_->controller().running());
    EXPECT_FALSE(rail_->sdk().sdk().connectionOpen());

    send(101, 0); // allowed uncalibrated: the simulation makes positions
    ASSERT_TRUE(rail_->sdk().sdk().connectionOpen());
    send(1, ActionForward);
    EXPECT_TRUE(rail_->controller().running());
    EXPECT_NE(status() & state::Running, 0);
    send(1, ActionBackward);
    EXPECT_NE(status() & state::Backward, 0);
    send(1, ActionStop);
    EXPECT_EQ(status() & state::Running, 0);
}

TEST_F(SdkAssembly, ATakenRecordIsNotExecutedAgain)
{
    startWithSdk();
    send(101, 0);
    vardo_command_record record{};
    record.flag = 2;
    record.code = 1;
    record.value = ActionForward;
    const std::int16_t slot = vardo_open_record_set(VARDO_SDK_COMMAND);
    ASSERT_GE(slot, 0);
    ASSERT_EQ(vardo_write_record(slot, &record, 1, VARDO_SDK_LOCK, 1000), 0);
    vardo_close_record_set(slot);
    const std::uint64_t seen = rail_->sdk().sdk().polls();
    ASSERT_TRUE(waitFor([&] { return rail_->sdk().sdk().polls() > seen + 3; }));
    EXPECT_FALSE(rail_->controller().running());
}

TEST_F(SdkAssembly, PositionsArePublishedWhileTheSimulatedTrainMoves)
{
    startWithSdk();
    send(101, 0);
    send(1, ActionForward);
    vardo_position_record first{};
    ASSERT_TRUE(waitFor([&] { return vardo_sdk_read_position(client_, &first) == 1; }));
    vardo_position_record later = first;
    ASSERT_TRUE(waitFor([&] {
        return vardo_sdk_read_position(client_, &later) == 1 &&
               (later.x != first.x || later.y != first.y);
    }));
    // On the oval around (320, 240).
    EXPECT_NEAR(later.x, 320, 201);
    EXPECT_NEAR(later.y, 240, 151);
    EXPECT_GE(later.laps, 0);
    EXPECT_GE(later.angle, 0);
    EXPECT_LT(later.angle, 360);

    // In bounding-box mode the simulated train's place is no box: nothing comes.
    send(100, 103);
    ASSERT_TRUE(rail_->sdk().boundingBoxMode());
    vardo_sdk_read_position(client_, &later); // whatever was under way
    const std::uint64_t seen = rail_->sdk().sdk().polls();
    ASSERT_TRUE(waitFor([&] { return rail_->sdk().sdk().polls() > seen + 20; }));
    EXPECT_EQ(vardo_sdk_read_position(client_, &later), 0);
    // The detection's box arrives through the same output.
    static_cast<vision::PositionOutput&>(rail_->sdk()).publishBoundingBox(10, 20, 30, 40);
    ASSERT_EQ(vardo_sdk_read_position(client_, &later), 1);
    EXPECT_EQ(later.x, 10);
    EXPECT_EQ(later.y, 20);
    EXPECT_EQ(later.laps, 30);
    EXPECT_EQ(later.angle, 40);
}

TEST_F(SdkAssembly, OutsideControlSetsTheOperatingFlagAndTheCaption)
{
    startWithSdk();
    send(101, 0);
    send(100, 1);
    EXPECT_TRUE(rail_->operation().operating());
    ASSERT_FALSE(frontend_.captions().empty());
    EXPECT_EQ(frontend_.captions().back(), "VARDO SDK制御中");
    EXPECT_NE(status() & state::AutoLamp, 0);
    send(100, 0);
    EXPECT_FALSE(rail_->operation().operating());
    EXPECT_EQ(frontend_.captions().back(), common::messageText(common::msg::AppTitle));
    EXPECT_EQ(status() & state::AutoLamp, 0);
}

TEST_F(SdkAssembly, SpeedTurntableAndRelayReachTheirComponents)
{
    startWithSdk();
    send(101, 0);
    send(11, 50 + 65536 * 10);
    EXPECT_TRUE(rail_->speed().fading());
    send(11, 30);
    EXPECT_FALSE(rail_->speed().fading());
    EXPECT_DOUBLE_EQ(rail_->speed().present(), 0.3);

    send(13, 203);
    EXPECT_EQ(rail_->operation().turntableTrack.load(), 2);
    EXPECT_FALSE(rail_->operation().turntableReversed.load());
    send(13, 303);
    EXPECT_EQ(rail_->operation().turntableTrack.load(), 2);
    EXPECT_TRUE(rail_->operation().turntableReversed.load());

    send(10, 8);
    EXPECT_EQ(rail_->controller().optionRelayBits(), 1 << 1);
    send(10, -8);
    EXPECT_EQ(rail_->controller().optionRelayBits(), 0);
}

TEST_F(SdkAssembly, RunProgramFileLoadsTheClipboardsFileAndStartsIt)
{
    Program p;
    const auto parsed = mkprogram::parseDescription(
        "Start\nTrainSpeed 0 100 0\nTrainControl 1 1 0\nEndOfOperation\n", p);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    p.compact();
    ASSERT_TRUE(common::writeFileAtomic(dir_.file("lap.vpr"), serialiseProgram(p)));
    AssemblyParts parts;
    const std::string path = dir_.file("lap.vpr");
    parts.sdk.clipboardText = [path](std::string& text) {
        text = path + "\n";
        return true;
    };
    startWithSdk(std::move(parts));
    send(101, 0);
    send(12, 0);
    EXPECT_EQ(rail_->program().count, p.count);
    EXPECT_FALSE(rail_->program().modified);
    ASSERT_TRUE(rail_->operation().waitForEnd(10000));
    EXPECT_EQ(rail_->operation().endReason(), EndReason::Program);
    // The end of the control loop is published: stopped, lamp off.
    EXPECT_EQ(status() & (state::Running | state::AutoLamp), 0);
}

TEST_F(SdkAssembly, RunProgramFileWithoutClipboardTextShowsMessage216)
{
    startWithSdk();
    send(101, 0);
    send(12, 0);
    ASSERT_FALSE(frontend_.messageTexts().empty());
    EXPECT_EQ(frontend_.messageTexts().back(), "SDKプログラム実行に失敗しました。");
    EXPECT_FALSE(rail_->operation().operating());
}

TEST_F(SdkAssembly, AFullRegistryStopsStartUpWith188Then187)
{
    // Six sets of another program fill the registry.
    ASSERT_EQ(vardo_registry_init(), 0);
    for (int i = 0; i < 6; ++i)
        ASSERT_EQ(vardo_create_record_set(("Other" + std::to_string(i)).c_str(), "", 4, 1), i);
    VardoAssembly rail(frontend_, dir_.path(), AssemblyParts{});
    EXPECT_EQ(rail.start("-s"), StartupOutcome::ComponentFailed);
    const auto messages = frontend_.messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, common::messageText(common::msg::SharedMemoryFailed));
    EXPECT_EQ(messages[1].text, "APIクラスの初期化に失敗しました");
    EXPECT_EQ(messages[1].icon, Icon::Stop);
    EXPECT_EQ(frontend_.quitRequests(), 1);
    rail.shutdown();
}

TEST_F(SdkAssembly, WithoutTheSwitchNoRecordsAreCreated)
{
    VardoAssembly rail(frontend_, dir_.path(), AssemblyParts{});
    ASSERT_EQ(rail.start(), StartupOutcome::Started);
    EXPECT_FALSE(rail.sdk().isOpen());
    EXPECT_EQ(vardo_sdk_connect(), nullptr);
    rail.shutdown();
}

TEST_F(SdkAssembly, RandomCommandRecordsNeitherCrashNorHangAndEveryNewOneIsTaken)
{
    startWithSdk();
    send(101, 0);
    const std::int16_t slot = vardo_open_record_set(VARDO_SDK_COMMAND);
    ASSERT_GE(slot, 0);
    std::mt19937 random(17);
    const int codes[] = {1, 2, 3, 8, 10, 11, 12, 13, 14, 100, 101, 102};
    const std::uint8_t flags[] = {1, 1, 1, 0, 2, 3, 255};
    const std::uint64_t takenBefore = rail_->sdk().sdk().commandsTaken();
    int newRecords = 0;
    for (int i = 0; i < 10000; ++i) {
        vardo_command_record record{};
        record.flag = flags[random() % std::size(flags)];
        record.code =
            random() % 4 == 0 ? std::int32_t(random()) : codes[random() % std::size(codes)];
        record.value =
            random() % 2 == 0 ? std::int32_t(random()) : std::int32_t(random() % 400) - 100;
        // A sensor wait lasts as long as its value says: keep it short.
        if (record.code == 14)
            record.value = std::abs(record.value % 100);
        ASSERT_EQ(vardo_write_record(slot, &record, 1, VARDO_SDK_LOCK, 5000), 0);
        if (record.flag != 1)
            continue;
        ++newRecords;
        vardo_command_record seen{};
        ASSERT_TRUE(waitFor([&] {
            return vardo_read_record(slot, &seen, 1, VARDO_SDK_LOCK, 5000) == 0 && seen.flag == 2;
        })) << "record "
            << i << " code " << record.code << " value " << record.value;
    }
    vardo_close_record_set(slot);
    EXPECT_EQ(rail_->sdk().sdk().commandsTaken() - takenBefore, std::uint64_t(newRecords));
    // Still answering.
    send(100, 0);
    send(1, ActionStop);
    EXPECT_FALSE(rail_->controller().running());
}

TEST_F(SdkAssembly, AttachingAWindowSuspendsTheAutomaticStopsForGood)
{
    std::mutex mutex;
    std::vector<std::uint32_t> attached;
    AssemblyParts parts;
    parts.sdk.attachWindow = [&](std::uint32_t window) {
        std::lock_guard lock(mutex);
        attached.push_back(window);
    };
    startWithSdk(std::move(parts));
    vision::PositionOutput& output = rail_->sdk();
    send(101, 0);
    EXPECT_FALSE(output.windowAttached());
    send(102, 0x4a0001);
    EXPECT_TRUE(output.windowAttached());
    send(102, 0); // released, and the stops stay suspended
    EXPECT_TRUE(output.windowAttached());
    send(102, 0x4a0002);
    rail_->shutdown(); // releases the window still attached
    std::lock_guard lock(mutex);
    EXPECT_EQ(attached, (std::vector<std::uint32_t>{0x4a0001, 0, 0x4a0002, 0}));
}

TEST_F(SdkAssembly, ClosingWhileThePollerWaitsForAMessageBoxStillEnds)
{
    startWithSdk();
    send(101, 0);
    // The window begins to close: from now on it serves nothing.
    windowThread = nullptr;
    frontend_.setClosing(true);
    const std::uint64_t taken = rail_->sdk().sdk().commandsTaken();
    ASSERT_EQ(vardo_sdk_send(client_, 12, 0, 5000), 0); // no clipboard text: message 216
    ASSERT_TRUE(waitFor([&] { return rail_->sdk().sdk().commandsTaken() > taken; }));

    auto closing = std::async(std::launch::async, [this] { rail_->shutdown(); });
    const bool ended = closing.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    frontend_.setClosing(false); // a poller still waiting may go on now
    closing.wait();
    EXPECT_TRUE(ended) << "shutdown waited for a message box the closing window never shows";
    // Nobody was there to read it any more.
    const auto texts = frontend_.messageTexts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "SDKプログラム実行に失敗しました。"), 0);
}

TEST_F(SdkAssembly, AChangedPollingIntervalTakesEffectWithTheNextPoll)
{
    const auto ini = [](int ms) {
        return "[SIMULATION]\nSPEED=1\n[CAPTURE]\nLOOP=0\n[API]\nCOMM_INTERVAL=" +
               std::to_string(ms) + "\n";
    };
    dir_.write("VARDO.ini", ini(500));
    startWithSdk();
    const std::uint64_t first = polls();
    ASSERT_TRUE(waitFor([&] { return polls() > first; }));
    dir_.write("VARDO.ini", ini(1));
    // At 500 ms a hundred polls would take 50 s.
    const std::uint64_t before = polls();
    EXPECT_TRUE(waitFor([&] { return polls() > before + 100; }, 10000));
}

TEST_F(SdkAssembly, AProgramFileRunForTheOutsideProgramIsLoadedOnTheWindowsThread)
{
    const Program p = lapProgram();
    ASSERT_TRUE(common::writeFileAtomic(dir_.file("lap.vpr"), serialiseProgram(p)));
    AssemblyParts parts;
    const std::string path = dir_.file("lap.vpr");
    parts.sdk.clipboardText = [path](std::string& text) {
        text = path;
        return true;
    };
    startWithSdk(std::move(parts));
    send(101, 0);
    ASSERT_EQ(vardo_sdk_send(client_, 12, 0, 5000), 0);
    // The window keeps reading the program for its display meanwhile.
    int seen = 0;
    ASSERT_TRUE(waitFor([&] {
        const Program& program = rail_->program();
        seen = program.count;
        for (int i = 0; i < seen; ++i)
            (void)program.isCommand(i);
        return seen == p.count;
    }));
    ASSERT_TRUE(rail_->operation().waitForEnd(10000));
    EXPECT_EQ(rail_->operation().endReason(), EndReason::Program);
}

TEST_F(SdkAssembly, TheProgramsCommandCountIsReadOnTheWindowsThread)
{
    const Program p = lapProgram();
    ASSERT_GT(p.count, 1);
    ASSERT_TRUE(common::writeFileAtomic(dir_.file("lap.vpr"), serialiseProgram(p)));
    startWithSdk();
    std::atomic<int> posted{0};
    SdkFrontendCalls calls([&] { ++posted; });
    const AssemblySdkHooks hooks;
    AssemblySdkHost host(*rail_, hooks, calls);
    std::atomic<int> count{-1};
    std::thread poller([&] {
        host.pollingBegins();
        count = host.programCommandCount();
    });
    // The editor loads a program while the poller asks.
    ASSERT_TRUE(rail_->editor().load(dir_.file("lap.vpr")));
    const bool answered = waitFor([&] {
        calls.runPending();
        return count.load() >= 0;
    });
    if (!answered)
        host.pollingEnds();
    poller.join();
    ASSERT_TRUE(answered);
    EXPECT_GE(posted.load(), 1);
    EXPECT_EQ(count.load(), p.count);
}

TEST_F(SdkAssembly, AStoppedInterfaceDropsTheCallsItNoLongerWaitsFor)
{
    std::atomic<int> posted{0};
    SdkFrontendCalls calls([&] { ++posted; });
    std::atomic<int> ran{0};
    std::promise<bool> result;
    std::thread poller([&] {
        calls.servePollingThread(std::this_thread::get_id());
        result.set_value(calls.run([&] { ++ran; }));
    });
    ASSERT_TRUE(waitFor([&] { return posted.load() == 1; }));
    calls.stop();
    auto answer = result.get_future();
    ASSERT_EQ(answer.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_FALSE(answer.get());
    poller.join();
    calls.runPending(); // the window comes round to it later
    EXPECT_EQ(ran.load(), 0);
    // Called on the window's own thread, the call runs at once.
    EXPECT_TRUE(calls.run([&] { ++ran; }));
    EXPECT_EQ(ran.load(), 1);
}

// Sound calls as the engine gets them, with the thread each came on.
class ThreadRecordingSound : public SoundPort {
public:
    struct Call {
        std::string op;
        int number;
        std::thread::id thread;
    };
    int prepareSound(int number) override
    {
        add("prepare", number);
        return 0;
    }
    int playSound(int number, bool loop) override
    {
        add(loop ? "repeat" : "once", number);
        return 0;
    }
    void stopSound(int number) override { add("stop", number); }
    void stopAllSounds() override { add("stopAll", 0); }
    std::vector<Call> calls()
    {
        std::lock_guard lock(mutex_);
        return calls_;
    }

private:
    void add(const char* op, int number)
    {
        std::lock_guard lock(mutex_);
        calls_.push_back({op, number, std::this_thread::get_id()});
    }
    std::mutex mutex_;
    std::vector<Call> calls_;
};

TEST_F(SdkAssembly, SoundCommandsReachTheEngineOnTheWindowsThread)
{
    ThreadRecordingSound* sound = nullptr;
    AssemblyParts parts;
    parts.factories.sound = [&sound](const ComponentContext&) -> std::unique_ptr<SoundPort> {
        auto port = std::make_unique<ThreadRecordingSound>();
        sound = port.get();
        return port;
    };
    startWithSdk(std::move(parts));
    ASSERT_NE(sound, nullptr);
    send(101, 0);
    const size_t before = sound->calls().size();
    send(2, 5);
    send(3, 6);
    send(8, 7);
    send(8, -5);
    const auto calls = sound->calls();
    ASSERT_EQ(calls.size(), before + 4);
    const std::vector<std::pair<std::string, int>> expected = {
        {"repeat", 5}, {"prepare", 6}, {"once", 7}, {"stop", 5}};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(calls[before + i].op, expected[i].first);
        EXPECT_EQ(calls[before + i].number, expected[i].second);
        // A sound that cannot play is reported in a message box there.
        EXPECT_EQ(calls[before + i].thread, std::this_thread::get_id());
    }
}

TEST_F(SdkAssembly, AutomaticOperationStartsAndStopsInSimulation)
{
    // Held, so that the lamp is still on when the status is read, however
    // slowly the machine runs.
    const Program p = lapProgram(2000);
    ASSERT_TRUE(common::writeFileAtomic(dir_.file("lap.vpr"), serialiseProgram(p)));
    startWithSdk();
    ASSERT_TRUE(rail_->editor().load(dir_.file("lap.vpr")));
    send(101, 0);
    send(100, 11);
    EXPECT_NE(status() & state::AutoLamp, 0);
    ASSERT_TRUE(waitFor([&] { return rail_->operation().endReason() == EndReason::Program; }));

    send(100, 1); // the lamp goes on with outside control
    ASSERT_NE(status() & state::AutoLamp, 0);
    send(100, 10);
    EXPECT_EQ(status() & state::AutoLamp, 0);
}

} // namespace
