// vardo-run as a user starts it with the extended interface: the wiring
// test against the emulated board in servo mode, and the turntable sample
// program in simulation on the turntable sample layout.
#include "board_emulator.h"
#include "run_program.h"
#include "temp_dir.h"
#include "wait_until.h"

#include "layoutdata/layout_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using vardo::testing::ProgramResult;
using vardo::testing::runProgram;
using vardo::testing::TempDir;
using vardo::testing::withEnv;

// Runs vardo-run with the folder as its program folder.
ProgramResult runTool(const TempDir& dir, const std::vector<std::string>& args,
                      std::vector<std::string> env = {})
{
    env.push_back("VARDO_HOME=" + dir.path());
    return runProgram(VARDO_RUN_PATH, args, withEnv(env));
}

// Start-up needs a layout: a plain square of track.
void writeLayout(const TempDir& dir)
{
    dir.write("layout/.keep", "");
    layoutdata::PolylineFile track;
    for (int i = 0; i < 40; ++i) {
        const int side = i / 10, step = (i % 10) * 30;
        const int x = side == 0 ? 100 + step : side == 1 ? 400 : side == 2 ? 400 - step : 100;
        const int y = side == 0 ? 100 : side == 1 ? 100 + step : side == 2 ? 400 : 400 - step;
        track.vertices.push_back({x, y});
    }
    track.vertexCounts.push_back(40);
    ASSERT_TRUE(layoutdata::writePolylineFile(dir.file("layout/layout.dat"), track));
}

std::string readText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(ExtendedCli, ActionsPrintEveryPacketAndDriveTheEmulatedServos)
{
    boardsim::Options o;
    o.servo = true;
    o.sensorAfterMs = 50;
    boardsim::BoardEmulator board(o);
    ASSERT_TRUE(board.open());
    ASSERT_TRUE(board.start());
    TempDir dir;
    dir.write("VARDO.ini", "[SERVO]\nTORQUE_INTERVAL=100\n");
    writeLayout(dir);
    dir.write("option.ini", "[AGREEMENT]\nAGREEMENT=1\n[SERIAL]\nCOM4=" + board.devicePath() +
                                "\n[SERVO]\nCOM_NO=4\nPOINT_SERVO=131\nBRANCH_POINT=-90\n"
                                "TURN_SERVO=129\nTURN_SPEED=20\nTURN_POINT2=0,-600,0,0,0,\n");
    const ProgramResult run = runTool(dir, {"actions", "4", "--turntable", "2", "--sensor", "1",
                                            "3", "--yes", "--servo-id", "5"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::string& out = run.out;
    // Point 1 branch on servo 3 at -90 degrees.
    EXPECT_NE(out.find("action 4:"), std::string::npos) << out;
    EXPECT_NE(out.find("  extended: FA AF 03 00 1E 02 01 7C FC 9E\n"), std::string::npos) << out;
    EXPECT_NE(out.find("turntable 2: arrived"), std::string::npos) << out;
    EXPECT_NE(out.find("  extended: PCS1753\n"), std::string::npos) << out;
    EXPECT_NE(out.find("sensor 1: OK"), std::string::npos) << out;
    EXPECT_NE(out.find("  extended: FA AF FF 00 04 01 01 05 FE\n"), std::string::npos) << out;
    EXPECT_NE(run.err.find("サーボIDが変更されました。"), std::string::npos);
    // The board reads the line on its own thread: wait for the last packet.
    EXPECT_TRUE(vardo::testing::waitUntil([&] { return board.servo(5).writes > 0; }));
    EXPECT_EQ(board.servo(1).position, -600); // below 150.0 degrees: row 2
    board.stop();
}

TEST(ExtendedCli, ActionsExitOneWhenTheInterfaceCannotStart)
{
    TempDir dir;
    dir.write("VARDO.ini", "");
    writeLayout(dir);
    dir.write("option.ini", "[AGREEMENT]\nAGREEMENT=1\n[SERIAL]\nCOM4=" + dir.file("no-device") +
                                "\n[SERVO]\nCOM_NO=4\n");
    const ProgramResult run = runTool(dir, {"actions", "--turntable", "1"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("拡張インタフェイスの初期化に失敗しました。"), std::string::npos);
    // Items that need the interface when none is set up.
    dir.write("option.ini", "[SERVO]\nCOM_NO=0\n");
    EXPECT_EQ(runTool(dir, {"actions", "--reverse"}).exitCode, 1);
    EXPECT_EQ(runTool(dir, {"actions", "--turntable", "9"}).exitCode, 2);
}

TEST(ExtendedCli, TurntableSampleProgramRunsToItsEndInSimulation)
{
    const char* data = std::getenv("VARDO_TEST_DATA");
    ASSERT_NE(data, nullptr);
    TempDir dir;
    namespace fs = std::filesystem;
    fs::copy(std::string(data) + "/sample/layout_turntable", dir.file("layout"));
    dir.write("VARDO.ini", "[SIMULATION]\nSPEED=1\n");
    // A quick turntable, so that the test does not wait for slow turns.
    dir.write("option.ini", "[AGREEMENT]\nAGREEMENT=1\n[CAPTURE]\nDEVICE=0\n[LAYOUT]\n"
                            "SURPRESS_MESSAGE=1\n[SERVO]\nTURN_SPEED=100\n");
    const ProgramResult run =
        runTool(dir, {"run", "--json", "--simulate", "--seconds", "60", "--program",
                      std::string(data) + "/sample/program/4_turntable.vpr"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string& out = run.out;
    EXPECT_NE(out.find("\"kind\":\"Turntable\",\"option\":4,\"value1\":1"), std::string::npos)
        << out;
    const auto last = out.rfind("{\"type\":\"end\"");
    ASSERT_NE(last, std::string::npos) << out;
    EXPECT_NE(out.find("\"reason\":\"program\"", last), std::string::npos) << out.substr(last);
}

// The crossing-bell sample run by vardo-run with the real sound engine on
// the disk audio driver: the bell's command runs and sound reaches the file.
TEST(RunCli, CrossingBellSampleIsAudibleThroughTheDiskDriver)
{
    const char* data = std::getenv("VARDO_TEST_DATA");
    ASSERT_NE(data, nullptr);
    TempDir dir;
    namespace fs = std::filesystem;
    fs::copy(std::string(data) + "/layout", dir.file("layout"));
    const std::string sounds = std::string(data) + "/sample/sound/";
    dir.write("VARDO.ini", "[SIMULATION]\nSPEED=1\n");
    dir.write("option.ini", "[AGREEMENT]\nAGREEMENT=1\n[CAPTURE]\nDEVICE=0\n[LAYOUT]\n"
                            "SURPRESS_MESSAGE=1\n[SOUND]\nSOUND_FILE1=" +
                                sounds + "crossing_bell.wav\nSOUND_FILE2=" + sounds +
                                "train_horn.wav\nSOUND_FILE3=" + sounds + "station_chime.wav\n");
    const ProgramResult run =
        runTool(dir,
                {"run", "--json", "--simulate", "--seconds", "90", "--program",
                 std::string(data) + "/sample/program/4_crossing_bell.vpr"},
                {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + dir.file("out.raw")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string& out = run.out;
    // The bell's command (repeating, number 1) ran, and the program ended.
    EXPECT_NE(out.find("\"kind\":\"SoundOutput\",\"option\":2,\"value1\":1"), std::string::npos)
        << out;
    const auto last = out.rfind("{\"type\":\"end\"");
    ASSERT_NE(last, std::string::npos) << out;
    EXPECT_NE(out.find("\"reason\":\"program\"", last), std::string::npos) << out.substr(last);
    const std::string raw = readText(dir.file("out.raw"));
    const auto* samples = reinterpret_cast<const int16_t*>(raw.data());
    long loud = 0;
    for (size_t i = 0; i < raw.size() / 2; ++i)
        loud += std::abs(samples[i]) > 4000;
    // More than a second of the sounds in stereo at 44.1 kHz.
    EXPECT_GT(loud, 44100 * 2) << raw.size();
}

} // namespace
