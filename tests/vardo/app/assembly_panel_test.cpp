// The controller panel as the assembly wires it: its skin from option.ini,
// the skin commands, the dial following speed changes from any thread, and
// the pass counter fed by detection's pass-point role.
#include "board_emulator.h"
#include "recording_frontend.h"
#include "temp_dir.h"

#include "common/profile.h"
#include "common/string_table.h"
#include "layoutdata/layout_files.h"
#include "vardo/app/assembly.h"
#include "vardo/base/command_ids.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <thread>

using namespace vardo;
using vardo::testing::RecordingFrontend;
using vardo::testing::TempDir;

namespace {

// A program folder with an oval layout and the built skins 1 and 2 (skin 3
// is left out to be missing).
void makeFolder(const TempDir& dir, const std::string& options = "")
{
    dir.write("VARDO.ini", "[SIMULATION]\nSPEED=1\n");
    dir.write("option.ini", "[AGREEMENT]\nAGREEMENT=1\n[LAYOUT]\nSURPRESS_MESSAGE=1\n"
                            "[USB]\nSURPRESS_MESSAGE=1\n" +
                                options);
    layoutdata::PolylineFile track;
    for (int i = 0; i < 200; ++i) {
        const double a = 2 * 3.141592653589793 * i / 200;
        track.vertices.push_back(
            {int(std::lround(320 + 200 * std::cos(a))), int(std::lround(240 + 150 * std::sin(a)))});
    }
    track.vertexCounts.push_back(200);
    dir.write("layout/.keep", "");
    ASSERT_TRUE(layoutdata::writePolylineFile(dir.file("layout/layout.dat"), track));
    const char* data = std::getenv("VARDO_TEST_DATA");
    ASSERT_NE(data, nullptr);
    for (const char* skin : {"control1", "control2"})
        std::filesystem::copy(std::string(data) + "/" + skin, dir.file(skin),
                              std::filesystem::copy_options::recursive);
}

int storedSkin(const TempDir& dir)
{
    return common::Profile::getInt(dir.file("option.ini"), "CONTROL", "SKIN", 0);
}

} // namespace

TEST(AssemblyPanel, LoadsTheSkinOfOptionIni)
{
    TempDir dir;
    ASSERT_NO_FATAL_FAILURE(makeFolder(dir, "[CONTROL]\nSKIN=2\n"));
    RecordingFrontend frontend;
    VardoAssembly rail(frontend, dir.path(), {});
    ASSERT_EQ(rail.start(), StartupOutcome::Started);
    ASSERT_TRUE(rail.loadPanel());
    EXPECT_EQ(rail.panel().skin().number, 2);
    EXPECT_TRUE(rail.panel().loaded());
}

TEST(AssemblyPanel, ASkinThatDoesNotLoadKeepsThePanelAndTheChoice)
{
    TempDir dir;
    ASSERT_NO_FATAL_FAILURE(makeFolder(dir));
    RecordingFrontend frontend;
    VardoAssembly rail(frontend, dir.path(), {});
    ASSERT_EQ(rail.start(), StartupOutcome::Started);
    ASSERT_TRUE(rail.loadPanel());
    const size_t before = frontend.messageTexts().size();
    EXPECT_TRUE(rail.handleCommand(cmd::Skin3)); // no control3 folder
    ASSERT_EQ(frontend.messageTexts().size(), before + 1);
    EXPECT_EQ(frontend.messageTexts().back(), common::messageText(common::msg::SkinLoadFailed));
    EXPECT_EQ(rail.panel().skin().number, 1);
    EXPECT_EQ(rail.skin(), 1);
    EXPECT_EQ(storedSkin(dir), 0); // nothing written
    EXPECT_TRUE(rail.handleCommand(cmd::Skin2));
    EXPECT_EQ(rail.panel().skin().number, 2);
    EXPECT_EQ(rail.skin(), 2);
    EXPECT_EQ(storedSkin(dir), 2);
}

TEST(AssemblyPanel, TheDialFollowsSpeedChangesFromAnotherThread)
{
    TempDir dir;
    ASSERT_NO_FATAL_FAILURE(makeFolder(dir));
    RecordingFrontend frontend;
    VardoAssembly rail(frontend, dir.path(), {});
    ASSERT_EQ(rail.start(), StartupOutcome::Started);
    ASSERT_TRUE(rail.loadPanel());
    rail.speed().set(0.0);
    const double still = rail.panel().jogAngle();
    std::thread worker([&] { rail.speed().change(0.8, 0); });
    worker.join();
    EXPECT_NE(rail.panel().jogAngle(), still);
    rail.speed().set(0.0);
    EXPECT_DOUBLE_EQ(rail.panel().jogAngle(), still);
}

TEST(AssemblyPanel, ShowingTheSpeedWhileASkinLoadsIsSafe)
{
    TempDir dir;
    ASSERT_NO_FATAL_FAILURE(makeFolder(dir));
    RecordingFrontend frontend;
    VardoAssembly rail(frontend, dir.path(), {});
    ASSERT_EQ(rail.start(), StartupOutcome::Started);
    std::atomic<bool> stop{false};
    std::thread worker([&] {
        for (int i = 0; !stop.load(); ++i)
            rail.speed().set((i % 10) / 10.0);
    });
    int loaded = 0;
    for (int i = 0; i < 20; ++i)
        loaded += rail.panel().load(dir.path(), 1 + i % 2, 6) ? 1 : 0;
    stop = true;
    worker.join();
    EXPECT_EQ(loaded, 20);
    EXPECT_EQ(rail.panel().skin().number, 2);
}

TEST(AssemblyPanel, ThePassCounterCountsOnlyWhileOpen)
{
    TempDir dir;
    ASSERT_NO_FATAL_FAILURE(makeFolder(dir));
    RecordingFrontend frontend;
    VardoAssembly rail(frontend, dir.path(), {});
    panel::PassCounter& counter = rail.passCounter();
    counter.passed();
    EXPECT_EQ(counter.count(), 0);
    counter.open();
    counter.passed();
    counter.passed();
    EXPECT_EQ(counter.count(), 2);
    counter.close();
    counter.passed();
    EXPECT_EQ(counter.count(), 2);
}

TEST(AssemblyPanel, TheParameterDialogsOkPutsPulseWidthAndHomeOffsetInForce)
{
    boardsim::BoardEmulator board({});
    ASSERT_TRUE(board.open());
    ASSERT_TRUE(board.start());
    TempDir dir;
    ASSERT_NO_FATAL_FAILURE(
        makeFolder(dir, "COM_NO=1\n[SERIAL]\nCOM1=" + board.devicePath() + "\n"));
    RecordingFrontend frontend;
    VardoAssembly rail(frontend, dir.path(), {});
    ASSERT_EQ(rail.start(), StartupOutcome::Started);
    ASSERT_TRUE(rail.usb().connected());
    std::mutex mutex;
    std::vector<std::string> sent;
    rail.usb().setTrafficObserver([&](const std::string& command) {
        std::lock_guard lock(mutex);
        sent.push_back(command.substr(0, command.find('\r')));
    });
    const auto lastSent = [&] {
        std::lock_guard lock(mutex);
        return sent.empty() ? std::string() : sent.back();
    };
    // The relays' own run command, to recognise it later.
    ASSERT_TRUE(rail.usb().sendAction(1));
    const std::string relayRun = lastSent();
    ASSERT_FALSE(relayRun.empty());
    ASSERT_TRUE(rail.usb().sendAction(0));

    panel::ParameterValues v = panel::readParameters(rail.settings());
    v.homeOffset = 40;
    v.positionRange = 20;
    v.crossTime = 12;
    v.pwmControl = true;
    // While the dialog is edited the values are in force, the pulses not yet.
    rail.applyParameters(v);
    EXPECT_EQ(rail.operation().settings().homeOffset, 40);
    EXPECT_EQ(rail.operation().settings().positionRange, 20);
    EXPECT_EQ(rail.usb().settings().crossTime, 12);
    EXPECT_FALSE(rail.usb().settings().pwmControl);

    rail.commitParameters(v);
    ASSERT_TRUE(rail.usb().sendAction(1));
    EXPECT_TRUE(rail.usb().pwmActive());
    // Turned off while the pulses drive the train: the relays take over.
    v.pwmControl = false;
    rail.commitParameters(v);
    EXPECT_FALSE(rail.usb().pwmActive());
    EXPECT_EQ(lastSent(), relayRun);
    // Cancel of a later dialog gives the opening values back.
    v.homeOffset = 16;
    rail.applyParameters(v);
    EXPECT_EQ(rail.operation().settings().homeOffset, 16);
    rail.shutdown();
    board.requestStop();
}
