// vardo-run run --speech-wav: a phrase synthesised now is fed into the
// running simulation as if spoken, and its command is carried out.
#include "program_description.h"
#include "run_program.h"
#include "temp_dir.h"

#include "common/byte_io.h"
#include "layoutdata/layout_files.h"
#include "vardo/operation/program_file.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace vardo;
using vardo::testing::TempDir;

namespace {

void makeFolder(const TempDir& dir)
{
    dir.write("VARDO.ini", "[SIMULATION]\nSPEED=1\n");
    dir.write("option.ini", "[AGREEMENT]\nAGREEMENT=1\n[CAPTURE]\nDEVICE=0\n[LAYOUT]\n"
                            "SURPRESS_MESSAGE=1\n[USB]\nSURPRESS_MESSAGE=1\n[SPEECH]\n"
                            "COMMAND0=stop\nCOMMAND1=go forward\nCOMMAND2=go back\n");
    layoutdata::PolylineFile track;
    for (int i = 0; i < 200; ++i) {
        const double a = 2 * 3.141592653589793 * i / 200;
        track.vertices.push_back(
            {int(std::lround(320 + 200 * std::cos(a))), int(std::lround(240 + 150 * std::sin(a)))});
    }
    track.vertexCounts.push_back(200);
    dir.write("layout/.keep", "");
    ASSERT_TRUE(layoutdata::writePolylineFile(dir.file("layout/layout.dat"), track));
    Program p;
    const auto parsed = mkprogram::parseDescription("Start\nTimer 0 1 0\nEndOfOperation\n", p);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    p.compact();
    ASSERT_TRUE(common::writeFileAtomic(dir.file("short.vpr"), serialiseProgram(p)));
}

// vardo-run run ARGS (a shell line) in the folder: its trace; the exit code
// in `status`.
std::string runVardo(const TempDir& dir, const std::string& args, int& status)
{
    const auto run = vardo::testing::runShell(VARDO_RUN_PATH " run " + args,
                                              vardo::testing::inProgramFolder(dir.path()));
    status = run.exitCode;
    return run.out + (run.exitCode == 0 ? "" : run.err);
}

} // namespace

TEST(SpeechRunCli, SpokenPhraseIsCarriedOutInTheRunningSimulation)
{
    TempDir dir;
    makeFolder(dir);
    const std::string wav = dir.file("go_forward.wav");
    ASSERT_EQ(std::system(("espeak-ng -v en-us -s 150 -w '" + dir.file("raw.wav") +
                           "' 'go forward' && sox -D '" + dir.file("raw.wav") +
                           "' -r 16000 -c 1 -b 16 '" + wav + "' pad 0.5 0.5")
                              .c_str()),
              0);
    int status = 0;
    const std::string out = runVardo(dir,
                                     "--json --simulate --seconds 60 --program '" +
                                         dir.file("short.vpr") + "' --speech-wav '" + wav + "'",
                                     status);
    EXPECT_EQ(status, 0) << out;
    // The phrase with the command it ran (1: forward).
    const auto phrase = out.find("\"type\":\"speech\"");
    ASSERT_NE(phrase, std::string::npos) << out;
    EXPECT_NE(out.find("\"command\":1", phrase), std::string::npos) << out.substr(phrase);
    EXPECT_NE(out.find("\"reason\":\"program\""), std::string::npos) << out;
}

TEST(SpeechRunCli, AMissingRecordingGives220AndTheRunGoesOn)
{
    TempDir dir;
    makeFolder(dir);
    int status = 0;
    const std::string out = runVardo(dir,
                                     "--json --simulate --seconds 60 --program '" +
                                         dir.file("short.vpr") + "' --speech-wav none.wav",
                                     status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("音声認識"), std::string::npos) << out; // message 220
    EXPECT_EQ(out.find("\"type\":\"speech\""), std::string::npos) << out;
    EXPECT_NE(out.find("\"reason\":\"program\""), std::string::npos) << out;
}
