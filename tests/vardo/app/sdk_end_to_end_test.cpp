// End to end: vardo-run in simulation with -s, and outside programs in other
// processes: vardo-sdk send and watch, and the Python example.
#include "oval_video.h"
#include "run_program.h"
#include "sdk/sdk_namespace.h"
#include "temp_dir.h"

#include "common/byte_io.h"
#include "layoutdata/layout_files.h"
#include "vardo/vision/calibration_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <memory>
#include <sstream>
#include <thread>

namespace {

using vardo::testing::ChildProgram;
using vardo::testing::ProgramOptions;
using vardo::testing::ProgramResult;
using vardo::testing::runProgram;
using vardo::testing::TempDir;

// Starts a program: args[0] with the rest of args.
std::unique_ptr<ChildProgram> start(const std::vector<std::string>& args,
                                    const ProgramOptions& options = {})
{
    return std::make_unique<ChildProgram>(
        args[0], std::vector<std::string>(args.begin() + 1, args.end()), options);
}

std::vector<std::string> linesWith(const std::string& text, const std::string& part)
{
    std::vector<std::string> found;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.find(part) != std::string::npos)
            found.push_back(line);
    return found;
}

int field(const std::string& line, const std::string& key)
{
    const size_t at = line.find("\"" + key + "\":");
    return at == std::string::npos ? -99999 : std::atoi(line.c_str() + at + key.size() + 3);
}

class SdkEndToEnd : public vardo::sdk_test::SdkNamespace {
protected:
    void SetUp() override
    {
        SdkNamespace::SetUp();
        dir_.write("VARDO.ini", "[SIMULATION]\nSPEED=10\n[API]\nCOMM_INTERVAL=5\n");
        dir_.write("option.ini", "[AGREEMENT]\nAGREEMENT=1\n[CAPTURE]\nDEVICE=0\n"
                                 "[LAYOUT]\nSURPRESS_MESSAGE=1\n[USB]\nSURPRESS_MESSAGE=1\n");
        dir_.write("layout/.keep", "");
        layoutdata::PolylineFile track;
        for (int i = 0; i < 200; ++i) {
            const double a = 2 * 3.141592653589793 * i / 200;
            track.vertices.push_back({int(std::lround(320 + 200 * std::cos(a))),
                                      int(std::lround(240 + 150 * std::sin(a)))});
        }
        track.vertexCounts.push_back(200);
        ASSERT_TRUE(layoutdata::writePolylineFile(dir_.file("layout/layout.dat"), track));
        setenv("VARDO_HOME", dir_.path().c_str(), 1);
    }
    void TearDown() override
    {
        vardo_.reset(); // a runner still running is killed
        unsetenv("VARDO_HOME");
        SdkNamespace::TearDown();
    }
    // Sends a command with the command-line client; its exit code.
    int send(const std::string& code, const std::string& value)
    {
        return runProgram(VARDO_SDK_TOOL, {"send", code, value, "--timeout", "3000"}).exitCode;
    }

    // Sends 101 with the command-line client until the connection is open:
    // the records exist once start-up reached the interface, and an open
    // connection answers with a status (before the simulation runs, or
    // without a calibration, it stays closed).
    bool openConnection()
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            if (send("101", "0") == 0) {
                vardo_sdk* client = vardo_sdk_connect();
                vardo_status_record status{};
                bool open = false;
                for (int i = 0; client && i < 50 && !open; ++i) {
                    open = vardo_sdk_read_status(client, &status) == 1;
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                }
                vardo_sdk_disconnect(client);
                if (open)
                    return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    TempDir dir_;
    std::unique_ptr<ChildProgram> vardo_;
};

TEST_F(SdkEndToEnd, ClientsInOtherProcessesDriveTheSimulatedTrain)
{
    vardo_ = start({VARDO_RUN_PATH, "run", "--simulate", "-s", "--seconds", "120", "--json"});
    ASSERT_TRUE(vardo_->started());
    ASSERT_TRUE(openConnection()) << vardo_->outSoFar() << vardo_->errSoFar();

    const auto watcher = start({VARDO_SDK_TOOL, "watch", "--json", "--seconds", "3"});
    ASSERT_TRUE(watcher->started());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(send("1", "1"), 0); // forward
    const ProgramResult watch = watcher->finish();
    ASSERT_EQ(watch.exitCode, 0) << watch.err;
    const std::string& watched = watch.out;
    const auto positions = linesWith(watched, "\"kind\":\"position\"");
    ASSERT_GE(positions.size(), 2u) << watched;
    EXPECT_NE(field(positions.front(), "x") * 1000 + field(positions.front(), "y"),
              field(positions.back(), "x") * 1000 + field(positions.back(), "y"));
    for (const std::string& p : positions) {
        EXPECT_LE(std::abs(field(p, "x") - 320), 201) << p;
        EXPECT_LE(std::abs(field(p, "y") - 240), 151) << p;
    }
    const auto statuses = linesWith(watched, "\"kind\":\"status\"");
    ASSERT_FALSE(statuses.empty()) << watched;
    EXPECT_EQ(field(statuses.back(), "state") & 2, 2); // running

#ifdef SDK_PYTHON
    // The Python example: start, wait for the place at the right of the oval, stop.
    const std::string example = std::string(SDK_PYTHON_DIR) + "/run_to_place.py";
    const ProgramResult python =
        runProgram(SDK_PYTHON, {example, "520", "240", "--radius", "40", "--timeout", "30"},
                   vardo::testing::withEnv({std::string("VARDO_SDK_LIB=") + VARDO_SDK_LIB,
                                            std::string("PYTHONPATH=") + SDK_PYTHON_DIR}));
    EXPECT_EQ(python.exitCode, 0) << python.err;
    EXPECT_NE(python.out.find("train stopped"), std::string::npos);
#endif

    // Ctrl+C ends the runner; it leaves no record set behind (only the
    // registry, which the next program opens).
    ASSERT_TRUE(vardo_->sendSignal(SIGINT));
    const ProgramResult runner = vardo_->finish();
    EXPECT_EQ(runner.exitCode, 130) << runner.err;
    for (const std::string& name : leftovers())
        EXPECT_NE(name.find("SMemoryDllManagementSystem"), std::string::npos) << name;
    EXPECT_NE(send("101", "0"), 0);
}

TEST_F(SdkEndToEnd, BoundingBoxModeReportsTheBoxOfWhatDetectionFoundInAVideo)
{
    dir_.write("VARDO.ini", "[CAPTURE]\nLOOP=1\n[API]\nCOMM_INTERVAL=5\n");
    vardo::testing::OvalVideo video;
    video.frames = video.lapFrames = 96;
    video.fps = 12;
    std::string error;
    ASSERT_TRUE(vardo::testing::writeOvalVideo(dir_.file("oval.avi"), video, error)) << error;
    vardo::vision::CalibrationRecord record;
    record.frameWidth = video.width;
    record.frameHeight = video.height;
    record.left = 60;
    record.top = 45;
    record.right = 260;
    record.bottom = 195;
    ASSERT_TRUE(common::writeFileAtomic(dir_.file("oval.clb"),
                                        vardo::vision::encodeCalibrationFile(record)));
    vardo_ = start({VARDO_RUN_PATH, "run", "-s", "-i", dir_.file("oval.avi"), "--calibration",
                    dir_.file("oval.clb"), "--seconds", "120"});
    ASSERT_TRUE(vardo_->started());
    ASSERT_TRUE(openConnection()) << vardo_->errSoFar(); // calibrated
    ASSERT_EQ(send("100", "103"), 0);

    vardo_sdk* client = vardo_sdk_connect();
    ASSERT_NE(client, nullptr);
    vardo_position_record box{};
    vardo_sdk_read_position(client, &box); // what came before the mode
    int boxes = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (boxes < 3 && std::chrono::steady_clock::now() < until) {
        if (vardo_sdk_read_position(client, &box) != 1) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        ++boxes;
        // Camera pixels of the moving car: a box inside the frame.
        EXPECT_GE(box.x, 0);
        EXPECT_GE(box.y, 0);
        EXPECT_LE(box.x, box.laps);
        EXPECT_LE(box.y, box.angle);
        EXPECT_LT(box.laps, video.width);
        EXPECT_LT(box.angle, video.height);
    }
    vardo_sdk_disconnect(client);
    EXPECT_EQ(boxes, 3) << vardo_->outSoFar();
}

} // namespace
