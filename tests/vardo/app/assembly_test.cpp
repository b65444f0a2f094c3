// The whole assembly brought up and down headless: in simulation, on a
// video made here, with the board on a pseudo-terminal, and running the
// programs of a folder one after the other.
#include "board_emulator.h"
#include "oval_track.h"
#include "oval_video.h"
#include "program_description.h"
#include "recording_frontend.h"
#include "temp_dir.h"
#include "wait_until.h"

#include "common/byte_io.h"
#include "common/event.h"
#include "layoutdata/layout_files.h"
#include "vardo/app/assembly.h"
#include "vardo/base/command_ids.h"
#include "vardo/operation/program_file.h"
#include "vardo/vision/video_gst_backend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>

using namespace vardo;
using vardo::testing::RecordingFrontend;
using vardo::testing::TempDir;

namespace {

using vardo::testing::ovalTrack;

void writeProgram(const TempDir& dir, const std::string& name, const std::string& description)
{
    Program p;
    const auto parsed = mkprogram::parseDescription(description, p);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    p.compact();
    ASSERT_TRUE(common::writeFileAtomic(dir.file(name), serialiseProgram(p)));
}

// A program folder with the oval layout; extra lines go into option.ini,
// after its [USB] section has begun.
void makeFolder(const TempDir& dir, const std::string& options = "")
{
    dir.write("VARDO.ini", "[SIMULATION]\nSPEED=1\n[CAPTURE]\nLOOP=0\n");
    dir.write("option.ini", "[AGREEMENT]\nAGREEMENT=1\n[CAPTURE]\nDEVICE=0\n"
                            "[LAYOUT]\nSURPRESS_MESSAGE=1\n[USB]\nSURPRESS_MESSAGE=1\n" +
                                options);
    dir.write("layout/.keep", "");
    ASSERT_TRUE(layoutdata::writePolylineFile(dir.file("layout/layout.dat"), ovalTrack()));
}

// Waits for a condition that another thread makes true.
template <typename Condition> bool waitFor(Condition done, int timeoutMs = 10000)
{
    return vardo::testing::waitUntil(done, std::chrono::milliseconds(timeoutMs));
}

} // namespace

TEST(Assembly, ComesUpInSimulationWithoutAPictureSourceAndGoesDownInOrder)
{
    TempDir dir;
    makeFolder(dir);
    RecordingFrontend frontend;
    VardoAssembly rail(frontend, dir.path(), AssemblyParts{});
    ASSERT_EQ(rail.start(), StartupOutcome::Started);
    EXPECT_TRUE(rail.started());
    EXPECT_TRUE(rail.layoutLoaded());
    EXPECT_EQ(rail.video(), nullptr);
    // Without a source the core asks for the simulation; the assembly runs it.
    ASSERT_EQ(frontend.postedCommands(), std::vector<int>{cmd::Simulation});
    frontend.deliverPostedCommands();
    EXPECT_TRUE(rail.simulation().running());
    // A second start is only a repaint.
    EXPECT_EQ(rail.start(), StartupOutcome::AlreadyRun);

    rail.shutdown();
    EXPECT_FALSE(rail.simulation().running());
    // Nothing starts once it is down.
    EXPECT_FALSE(rail.handleCommand(cmd::Simulation));
    EXPECT_FALSE(rail.startSimulation());
    EXPECT_FALSE(rail.simulation().running());
}

TEST(Assembly, TheAutomaticOperationCommandRunsTheProgramInSimulation)
{
    TempDir dir;
    makeFolder(dir);
    writeProgram(dir, "lap.vpr", "Start\nTrainSpeed 0 100 0\nTrainControl 1 1 0\nEndOfOperation\n");
    RecordingFrontend frontend;
    AssemblyParts parts;
    parts.programPath = dir.file("lap.vpr");
    VardoAssembly rail(frontend, dir.path(), std::move(parts));
    ASSERT_EQ(rail.start(), StartupOutcome::Started);
    ASSERT_TRUE(rail.programLoaded());
    // Outside simulation and uncalibrated it is refused with a message.
    rail.autoOperationCommand();
    EXPECT_FALSE(rail.operation().operating());
    ASSERT_EQ(frontend.messageTexts().size(), 1u);
    frontend.deliverPostedCommands(); // the simulation
    ASSERT_TRUE(rail.simulation().running());
    rail.autoOperationCommand();
    ASSERT_TRUE(rail.operation().waitForEnd(10000));
    EXPECT_EQ(rail.operation().endReason(), EndReason::Program);
}

TEST(Assembly, TheFolderRunStartsEachProgramThatTheControlLoopAsksFor)
{
    TempDir dir;
    dir.write("programs/.keep", "");
    writeProgram(dir, "programs/a.vpr", "Start\nEndOfOperation\n");
    writeProgram(dir, "programs/b.vpr", "Start\nEndOfOperation\n");
    makeFolder(dir, "[EVENT]\nPROGRAM_FOLDER=" + dir.file("programs") + "\nFOLDER_LOOP=0\n");
    RecordingFrontend frontend;
    VardoAssembly rail(frontend, dir.path(), AssemblyParts{});
    ASSERT_EQ(rail.start(), StartupOutcome::Started);
    frontend.deliverPostedCommands();

    // The loop posts the next program of the folder once a program ended.
    auto folderRunPosts = [&] {
        const std::vector<int> posted = frontend.postedCommands();
        return std::count(posted.begin(), posted.end(), int(cmd::FolderRun));
    };
    ASSERT_TRUE(rail.handleCommand(cmd::FolderRun));
    EXPECT_EQ(rail.folderRun().runningIndex(), 0);
    ASSERT_TRUE(waitFor([&] { return folderRunPosts() == 1; }));
    // Delivered, the next one runs.
    frontend.deliverPostedCommands();
    EXPECT_EQ(rail.folderRun().runningIndex(), 1);
    ASSERT_TRUE(waitFor([&] { return folderRunPosts() == 2; }));
    frontend.deliverPostedCommands();
    // The last one has run and the run does not loop.
    EXPECT_FALSE(rail.folderRun().active());
    EXPECT_FALSE(rail.operation().operating());
}

TEST(Assembly, TheBoardStartsWithTheStopAndTheStraightPulseOfEachUncoupledPoint)
{
    boardsim::BoardEmulator board({});
    ASSERT_TRUE(board.open());
    ASSERT_TRUE(board.start());
    TempDir dir;
    makeFolder(dir, "COM_NO=1\n[SERIAL]\nCOM1=" + board.devicePath() + "\n");
    // Three points; the first switches together with the second.
    layoutdata::PointFile points;
    points.count = 3;
    for (int k = 0; k < 3; ++k) {
        points.records[size_t(k)].direction = 1;
        points.records[size_t(k)].number = uint8_t(k + 1);
        points.records[size_t(k)].x = 120 + 200 * k;
        points.records[size_t(k)].y = 90;
    }
    points.records[0].linked = 1;
    ASSERT_TRUE(layoutdata::writePointFile(dir.file("layout/point.dat"), points));

    RecordingFrontend frontend;
    VardoAssembly rail(frontend, dir.path(), AssemblyParts{});
    std::mutex mutex;
    std::vector<std::string> sent;
    rail.usb().setTrafficObserver([&](const std::string& command) {
        std::lock_guard lock(mutex);
        sent.push_back(command.substr(0, command.find('\r')));
    });
    ASSERT_EQ(rail.start(), StartupOutcome::Started);
    EXPECT_TRUE(rail.usb().connected());
    {
        std::lock_guard lock(mutex);
        const std::vector<std::string> start(sent.begin() + (sent.empty() ? 0 : 1), sent.end());
        EXPECT_EQ(start, (std::vector<std::string>{"PCR00R10", "PCT2002", "PCT6002"}));
    }
    rail.shutdown();
    board.requestStop();
}

TEST(Assembly, ComesUpOnAGeneratedVideoAndStopsItsCaptureOnShutdown)
{
    TempDir dir;
    makeFolder(dir);
    vardo::testing::OvalVideo video;
    video.frames = 60;
    video.fps = 30;
    std::string error;
    ASSERT_TRUE(vardo::testing::writeOvalVideo(dir.file("oval.avi"), video, error)) << error;

    RecordingFrontend frontend;
    std::atomic<int> frames{0};
    std::atomic<int> width{0};
    AssemblyParts parts;
    parts.videoBackend = std::make_unique<vision::GstVideoBackend>();
    parts.videoPath = dir.file("oval.avi");
    parts.hooks.frame = [&](std::span<const uint8_t>, int w, int, bool) {
        width.store(w);
        ++frames;
    };
    VardoAssembly rail(frontend, dir.path(), std::move(parts));
    ASSERT_EQ(rail.start(), StartupOutcome::Started);
    EXPECT_TRUE(rail.videoOpened());
    EXPECT_TRUE(frontend.postedCommands().empty()); // no simulation with a picture
    ASSERT_TRUE(waitFor([&] { return frames.load() >= 5; }));
    EXPECT_EQ(width.load(), video.width);
    EXPECT_GT(rail.detector().analysisCount(), 0u);

    rail.shutdown();
    EXPECT_FALSE(rail.videoOpened());
    // The capture has stopped when shutdown returns.
    EXPECT_FALSE(rail.captureRunning());
}

TEST(Assembly, TheProgramLoadsBeforeTheCalibrationAtStart)
{
    TempDir dir;
    makeFolder(dir, "[EVENT]\nFILE_NAME=" + dir.file("missing.vpr") +
                        "\n[CALIBRATION]\nFILE_PATH=" + dir.file("missing.clb") + "\n");
    RecordingFrontend frontend;
    VardoAssembly rail(frontend, dir.path(), AssemblyParts{});
    ASSERT_EQ(rail.start(), StartupOutcome::Started);
    const std::vector<std::string> said = frontend.messageTexts();
    // Both report their problem and neither stops the start; the program's comes first.
    ASSERT_EQ(said.size(), 2u);
    EXPECT_EQ(said[1], common::messageText(common::msg::CalibrationLoadFailed));
    EXPECT_NE(said[0], said[1]);
}

TEST(Assembly, TheTurntableBridgeIsDrawnAtStartAndTurnedByItsCommandInSimulation)
{
    TempDir dir;
    makeFolder(dir);
    dir.write("layout/turntable.ini", "[LAYOUT]\nTABLE_SIZE=40\nTABLE_RANGE=1600\n"
                                      "TABLE_POSITION=320,100\nLINE_ANGLE=0,45,90\n");
    writeProgram(dir, "turn.vpr", "Start\nTurntable 3 0 0\nEndOfOperation\n");
    RecordingFrontend frontend;
    std::mutex mutex;
    std::vector<int> turns;
    AssemblyParts parts;
    parts.programPath = dir.file("turn.vpr");
    parts.hooks.turntableTurned = [&](int track, bool) {
        std::lock_guard lock(mutex);
        turns.push_back(track);
    };
    VardoAssembly rail(frontend, dir.path(), std::move(parts));
    ASSERT_EQ(rail.start(), StartupOutcome::Started);
    const layout::TurntableData& table = rail.layout().model().turntable;
    ASSERT_TRUE(table.present);
    EXPECT_EQ(table.trackIndex, 0); // the bridge shows from the start
    frontend.deliverPostedCommands();
    ASSERT_TRUE(rail.simulation().running());
    rail.autoOperationCommand();
    ASSERT_TRUE(rail.operation().waitForEnd(10000));
    EXPECT_EQ(table.trackIndex, 1);
    std::lock_guard lock(mutex);
    EXPECT_EQ(turns, std::vector<int>{1});
}
