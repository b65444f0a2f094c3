// Detection driving operation end to end: a program folder and a video of
// a car going round the layout's oval, both made here; vardo-run calibrate
// makes the calibration from the video, vardo-run run -i runs a program
// that waits for the car at a track position.
#include "board_emulator.h"
#include "oval_video.h"
#include "program_description.h"
#include "run_program.h"
#include "temp_dir.h"

#include "common/byte_io.h"
#include "layoutdata/layout_files.h"
#include "vardo/operation/program_file.h"
#include "vardo/vision/calibration_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

using vardo::testing::OvalVideo;
using vardo::testing::TempDir;

namespace {

// The layout's oval, in layout coordinates.
constexpr int kCentreX = 320, kCentreY = 240, kRadiusX = 200, kRadiusY = 150;

OvalVideo slowLap()
{
    OvalVideo v;
    // 8 s a lap: the car moves little between trace lines, yet far enough
    // between frames for detection to see it.
    v.frames = 96;
    v.lapFrames = 96;
    v.fps = 12;
    return v;
}

// The relay board on a pseudo-terminal: the real layout needs one.
struct Board {
    Board()
    {
        EXPECT_TRUE(emulator.open());
        EXPECT_TRUE(emulator.start());
    }
    ~Board() { emulator.requestStop(); }
    boardsim::BoardEmulator emulator{{}};
};

void makeProgramFolder(const TempDir& dir, const std::string& program, bool loop,
                       const std::string& usbPort = "")
{
    dir.write("VARDO.ini", std::string("[SIMULATION]\nSPEED=1\n[CAPTURE]\nLOOP=") + (loop ? "1" : "0") +
                               "\n");
    dir.write("option.ini", std::string("[AGREEMENT]\nAGREEMENT=1\n[CAPTURE]\nDEVICE=0") +
                                "\n[LAYOUT]\nSURPRESS_MESSAGE=1\n[AUTO]\nCONTROL_REGION=0\n" +
                                (usbPort.empty() ? "" : "[USB]\nCOM_NO=1\n[SERIAL]\nCOM1=" + usbPort + "\n"));
    layoutdata::PolylineFile track;
    const int count = 200;
    for (int i = 0; i < count; ++i) {
        const double a = 2 * 3.141592653589793 * i / count;
        track.vertices.push_back({int(std::lround(kCentreX + kRadiusX * std::cos(a))),
                                  int(std::lround(kCentreY + kRadiusY * std::sin(a)))});
    }
    track.vertexCounts.push_back(count);
    dir.write("layout/.keep", "");
    ASSERT_TRUE(layoutdata::writePolylineFile(dir.file("layout/layout.dat"), track));
    vardo::Program p;
    const auto parsed = mkprogram::parseDescription(program, p);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    p.compact();
    ASSERT_TRUE(common::writeFileAtomic(dir.file("test.vpr"), vardo::serialiseProgram(p)));
}

void makeVideo(const TempDir& dir, const OvalVideo& video)
{
    std::string error;
    ASSERT_TRUE(vardo::testing::writeOvalVideo(dir.file("oval.avi"), video, error)) << error;
}

// Runs vardo-run with the folder as its program folder; stdout to `out`.
// The exit status, or -1.
int runTool(const TempDir& dir, const std::vector<std::string>& args, const std::string& out)
{
    const vardo::testing::ProgramResult run =
        vardo::testing::runProgram(VARDO_RUN_PATH, args, vardo::testing::inProgramFolder(dir.path()));
    std::ofstream(out, std::ios::binary) << run.out;
    // What the tool said, for a failing test's log.
    std::istringstream said(run.err);
    for (std::string line; std::getline(said, line);)
        std::fprintf(stderr, "  vardo-run: %s\n", line.c_str());
    return run.exitCode;
}

std::vector<std::string> lines(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string all;
    for (const auto& l : lines)
        all += l + "\n";
    return all;
}

bool isType(const std::string& line, const std::string& type)
{
    return line.rfind("{\"type\":\"" + type + "\",\"t\":", 0) == 0;
}

struct XY {
    int x = 0, y = 0;
};

bool positionOf(const std::string& line, XY& p)
{
    const size_t at = line.find("\"x\":");
    return at != std::string::npos && std::sscanf(line.c_str() + at, "\"x\":%d,\"y\":%d", &p.x, &p.y) == 2;
}

double distance(XY a, XY b) { return std::hypot(a.x - b.x, a.y - b.y); }

bool readCalibration(const std::string& path, vardo::vision::CalibrationRecord& record)
{
    std::vector<uint8_t> bytes;
    return common::readWholeFile(path, bytes) &&
           vardo::vision::parseCalibrationFile(bytes, record) == vardo::vision::ClbStatus::Ok;
}

// Calibrates on the folder's video; the record written.
void calibrate(const TempDir& dir, std::vector<std::string> extra,
               vardo::vision::CalibrationRecord& record)
{
    std::vector<std::string> args{"calibrate", "-i", dir.file("oval.avi"), "--out",
                                  dir.file("oval.clb"), "--seconds", "40"};
    args.insert(args.end(), extra.begin(), extra.end());
    const int status = runTool(dir, args, dir.file("calibrate.txt"));
    const auto out = lines(dir.file("calibrate.txt"));
    ASSERT_EQ(status, 0) << joined(out);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.front(), "calibration started");
    EXPECT_NE(std::find(out.begin(), out.end(), "progress 40/40"), out.end());
    ASSERT_TRUE(readCalibration(dir.file("oval.clb"), record));
}

} // namespace

TEST(VideoOperation, CalibratesThenWaitsForTheCarAtATrackPosition)
{
    Board board;
    TempDir dir;
    // The far left end of the oval; the car starts at the right.
    const XY target{kCentreX - kRadiusX, kCentreY};
    makeProgramFolder(dir,
                      "Start\nTrainControl 1 0 0\nPositionWait 3 " + std::to_string(target.x) +
                          " " + std::to_string(target.y) + "\nEndOfOperation\n",
                      true, board.emulator.devicePath());
    const OvalVideo video = slowLap();
    makeVideo(dir, video);

    vardo::vision::CalibrationRecord r;
    calibrate(dir, {}, r);
    // The rectangle is what the car's centre swept, a little inside the
    // oval because a moving car's centre lies between two frames' places.
    EXPECT_EQ(r.frameWidth, video.width);
    EXPECT_EQ(r.frameHeight, video.height);
    EXPECT_NEAR(r.right - r.left, 2 * video.radiusX(), 20);
    EXPECT_NEAR(r.bottom - r.top, 2 * video.radiusY(), 20);
    EXPECT_NEAR((r.left + r.right) / 2.0, video.centreX(), 8);
    EXPECT_FLOAT_EQ(r.angle, 0.0f);

    ASSERT_EQ(runTool(dir,
                      {"run", "--json", "--program", dir.file("test.vpr"), "-i",
                       dir.file("oval.avi"), "--calibration", dir.file("oval.clb"), "--seconds",
                       "30"},
                      dir.file("trace.jsonl")),
              0);
    const auto trace = lines(dir.file("trace.jsonl"));
    ASSERT_FALSE(trace.empty());
    EXPECT_NE(trace.back().find("\"reason\":\"program\""), std::string::npos) << joined(trace);

    // The last position shown before the program's end is at the target;
    // earlier the car was elsewhere, so the wait really waited.
    bool ended = false, farAway = false;
    XY last{-1000, -1000};
    for (const std::string& line : trace) {
        if (isType(line, "command") && line.find("EndOfOperation") != std::string::npos) {
            ended = true;
            break;
        }
        XY p;
        if (isType(line, "position") && positionOf(line, p)) {
            last = p;
            farAway = farAway || distance(p, target) > 150;
        }
    }
    EXPECT_TRUE(ended);
    EXPECT_TRUE(farAway);
    // Running against the real layout: the start reached the relay board.
    bool forwardSent = false;
    for (const std::string& line : trace)
        forwardSent = forwardSent || (isType(line, "device") && line.find("PCR01R10") != std::string::npos);
    EXPECT_TRUE(forwardSent);
    // The wait's range plus what the car moves between two trace lines.
    EXPECT_LT(distance(last, target), 32 + 25) << last.x << "," << last.y;
}

TEST(VideoOperation, AngleMarkerSetsTheAngle)
{
    TempDir dir;
    makeProgramFolder(dir, "Start\n", true);
    OvalVideo video;
    video.frames = video.lapFrames = 90;
    makeVideo(dir, video);
    // A marker outside the picture is refused, and nothing is written.
    EXPECT_EQ(runTool(dir,
                      {"calibrate", "-i", dir.file("oval.avi"), "--out", dir.file("oval.clb"),
                       "--angle-marker", "320,40"},
                      dir.file("outside.txt")),
              1);
    EXPECT_FALSE(common::fileExists(dir.file("oval.clb")));
    vardo::vision::CalibrationRecord r;
    calibrate(dir, {"--angle-marker", "200,40"}, r);
    EXPECT_EQ(r.markerX, 200);
    EXPECT_EQ(r.markerY, 40);
    EXPECT_FLOAT_EQ(r.angle, vardo::vision::markerAngle(200, 40, video.width, video.height));
    EXPECT_NE(r.angle, 0.0f);
}

TEST(VideoOperation, RunEndsWhenAFileThatDoesNotLoopEnds)
{
    Board board;
    TempDir dir;
    // The centre of the oval is never on the track: only the file's end
    // can end this run.
    makeProgramFolder(dir, "Start\nTrainControl 1 0 0\nPositionWait 3 320 240\nEndOfOperation\n",
                      false, board.emulator.devicePath());
    OvalVideo video;
    video.frames = video.lapFrames = 60;
    makeVideo(dir, video);
    vardo::vision::CalibrationRecord record;
    record.frameWidth = video.width;
    record.frameHeight = video.height;
    record.left = 60;
    record.top = 45;
    record.right = 260;
    record.bottom = 195;
    ASSERT_TRUE(common::writeFileAtomic(dir.file("given.clb"),
                                        vardo::vision::encodeCalibrationFile(record)));
    // A calibration that does not load stops the run before the program.
    dir.write("bad.clb", "not a calibration");
    EXPECT_EQ(runTool(dir,
                      {"run", "--json", "--program", dir.file("test.vpr"), "-i",
                       dir.file("oval.avi"), "--calibration", dir.file("bad.clb")},
                      dir.file("bad.jsonl")),
              1);
    const auto refused = lines(dir.file("bad.jsonl"));
    ASSERT_FALSE(refused.empty());
    EXPECT_NE(refused.back().find("\"reason\":\"startup\""), std::string::npos) << joined(refused);
    for (const std::string& line : refused)
        EXPECT_FALSE(isType(line, "command")) << line;

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(runTool(dir,
                      {"run", "--json", "--program", dir.file("test.vpr"), "-i",
                       dir.file("oval.avi"), "--calibration", dir.file("given.clb"), "--seconds",
                       "30"},
                      dir.file("trace.jsonl")),
              0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    const auto trace = lines(dir.file("trace.jsonl"));
    ASSERT_FALSE(trace.empty());
    EXPECT_NE(trace.back().find("\"reason\":\"video\""), std::string::npos) << joined(trace);
    bool detected = false;
    for (const std::string& line : trace)
        detected = detected || isType(line, "position");
    EXPECT_TRUE(detected);
}

TEST(VideoOperation, RunRefusesAMissingVideo)
{
    TempDir dir;
    makeProgramFolder(dir, "Start\n", true);
    EXPECT_EQ(runTool(dir, {"run", "--program", dir.file("test.vpr"), "-i", dir.file("none.avi")},
                      dir.file("trace.txt")),
              1);
    EXPECT_EQ(runTool(dir, {"run", "-i", dir.file("none.avi"), "--simulate"}, dir.file("t2.txt")), 2);
    EXPECT_EQ(runTool(dir, {"calibrate", "-i", dir.file("none.avi")}, dir.file("t3.txt")), 2);
    EXPECT_EQ(runTool(dir, {"calibrate", "-i", dir.file("none.avi"), "--out", dir.file("x.clb")},
                      dir.file("t4.txt")),
              1);
    EXPECT_FALSE(common::fileExists(dir.file("x.clb")));
}
