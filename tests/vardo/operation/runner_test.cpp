// vardo-run run as a user starts it: a program folder built in code, the
// relay board emulated on a pseudo-terminal, the JSON trace read back.
#include "board_emulator.h"
#include "operation_rig.h"
#include "program_description.h"
#include "run_program.h"
#include "temp_dir.h"
#include "wait_until.h"
#include "vardo/operation/program_file.h"
#include "vardo/operation/trace_printer.h"

#include "common/byte_io.h"

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <sstream>

using vardo::testing::ChildProgram;
using vardo::testing::ProgramResult;
using vardo::testing::TempDir;

namespace {

// A program folder: VARDO.ini, option.ini, a loop layout and a program.
void makeProgramFolder(const TempDir& dir, const std::string& program, const std::string& usbPort)
{
    dir.write("VARDO.ini", "[SIMULATION]\nSPEED=1\n");
    std::string option = "[AGREEMENT]\nAGREEMENT=1\n[CAPTURE]\nDEVICE=0\n[LAYOUT]\n"
                         "SURPRESS_MESSAGE=1\n[AUTO]\nCONTROL_REGION=0\n";
    if (!usbPort.empty())
        option += "[USB]\nCOM_NO=1\n[SERIAL]\nCOM1=" + usbPort + "\n";
    dir.write("option.ini", option);
    layoutdata::PolylineFile track;
    const auto loop = optest::ellipseLine(320, 240, 200, 150, 200);
    track.vertexCounts.push_back(int32_t(loop.size()));
    track.vertices = loop;
    dir.write("layout/.keep", "");
    ASSERT_TRUE(layoutdata::writePolylineFile(dir.file("layout/layout.dat"), track));
    vardo::Program p;
    const auto parsed = mkprogram::parseDescription(program, p);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    p.compact();
    ASSERT_TRUE(common::writeFileAtomic(dir.file("test.vpr"), vardo::serialiseProgram(p)));
}

// Starts vardo-run run on the folder's test program, the folder as its
// program folder.
std::unique_ptr<ChildProgram> startRunner(const TempDir& dir, std::vector<std::string> args)
{
    args.insert(args.begin(), {"run", "--json", "--program", dir.file("test.vpr")});
    return std::make_unique<ChildProgram>(VARDO_RUN_PATH, args,
                                          vardo::testing::inProgramFolder(dir.path()));
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> ofType(const std::vector<std::string>& lines, const std::string& type)
{
    std::vector<std::string> out;
    for (const auto& l : lines) {
        if (l.find("{\"type\":\"" + type + "\",\"t\":") == 0)
            out.push_back(l);
    }
    return out;
}

const char* const kLapProgram = R"(
title test
Start
TrainSpeed 0 100 0
TrainControl 1 1 0
OptionOutput 1 7 0
TrainControl 0
EndOfOperation
)";

} // namespace

TEST(Runner, RunsAProgramToItsEndWithAJsonTrace)
{
    boardsim::BoardEmulator board({});
    ASSERT_TRUE(board.open());
    ASSERT_TRUE(board.start());
    TempDir dir;
    makeProgramFolder(dir, kLapProgram, board.devicePath());
    const auto runner = startRunner(dir, {"--simulate", "--seconds", "20"});
    ASSERT_TRUE(runner->started());
    const ProgramResult run = runner->finish();
    EXPECT_EQ(run.exitCode, 0);
    board.requestStop();
    const auto lines = linesOf(run.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind("{\"type\":\"end\",\"t\":", 0), 0u);
    EXPECT_NE(lines.back().find("\"reason\":\"program\""), std::string::npos);
    const auto commands = ofType(lines, "command");
    ASSERT_EQ(commands.size(), 5u);
    EXPECT_NE(commands[1].find("\"index\":2,\"kind\":\"TrainControl\",\"option\":1,\"value1\":1,"
                               "\"value2\":0"),
              std::string::npos);
    // The board is greeted, told to stop, and stopped again at the end; in
    // simulation nothing else reaches it.
    const auto devices = ofType(lines, "device");
    ASSERT_GE(devices.size(), 3u);
    EXPECT_NE(devices[0].find("\"port\":\"usb\",\"text\":\"AT\\r\""), std::string::npos);
    EXPECT_NE(devices[1].find("\"text\":\"PCR00R10\\r\""), std::string::npos);
    EXPECT_NE(devices.back().find("\"text\":\"PCR00R10\\r\""), std::string::npos);
    const auto actions = ofType(lines, "action");
    ASSERT_FALSE(actions.empty());
    EXPECT_NE(actions[0].find("\"code\":12,\"sent\":false"), std::string::npos);
    EXPECT_FALSE(ofType(lines, "position").empty());
    EXPECT_NE(ofType(lines, "sound")[0].find("\"call\":\"stopAll\""), std::string::npos);
}

TEST(Runner, EndsWhenTheTimeIsUp)
{
    TempDir dir;
    makeProgramFolder(dir, "Start\nTimer 0 60 0\n", "");
    const auto start = std::chrono::steady_clock::now();
    const ProgramResult run = startRunner(dir, {"--seconds", "1"})->finish();
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    ASSERT_FALSE(linesOf(run.out).empty());
    EXPECT_NE(linesOf(run.out).back().find("\"reason\":\"time\""), std::string::npos);
}

TEST(Runner, InterruptShutsDownCleanly)
{
    TempDir dir;
    makeProgramFolder(dir, "Start\nTimer 0 60 0\n", "");
    const auto runner = startRunner(dir, {});
    ASSERT_TRUE(runner->started());
    ASSERT_TRUE(vardo::testing::waitUntil(
        [&] { return !ofType(linesOf(runner->outSoFar()), "command").empty(); }));
    ASSERT_TRUE(runner->sendSignal(SIGINT));
    const ProgramResult run = runner->finish();
    EXPECT_EQ(run.exitCode, 130);
    ASSERT_FALSE(linesOf(run.out).empty());
    EXPECT_NE(linesOf(run.out).back().find("\"reason\":\"interrupt\""), std::string::npos);
}

TEST(Runner, StartupFailureEndsWithStatusOne)
{
    TempDir dir;
    makeProgramFolder(dir, "Start\n", "");
    dir.write("test.vpr", "not a program");
    const ProgramResult run = startRunner(dir, {})->finish();
    EXPECT_EQ(run.exitCode, 1);
    const auto lines = linesOf(run.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find("\"reason\":\"startup\""), std::string::npos);
    EXPECT_FALSE(ofType(lines, "message").empty());
}

TEST(TracePrinter, EscapesControlCharacters)
{
    EXPECT_EQ(vardo::TracePrinter::escaped("PCR01R10\r"), "PCR01R10\\r");
    EXPECT_EQ(vardo::TracePrinter::escaped("a\x01\"b"), "a\\u0001\\\"b");
}

TEST(ProgramDescription, ChainsLinksAndErrors)
{
    vardo::Program p;
    auto r = mkprogram::parseDescription(
        "title 試験\ntime 09:30\nStart\n@a Timer 0 0 500\nRepeat 0 3 -> a\nnew Timer 0 5\n"
        "OptionOutput 1 7\nAlarmTime 0 10 0\nEndOfOperation\n",
        p);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(p.title(), "試験");
    EXPECT_EQ(p.virtualTime, 9 * 60 + 30);
    EXPECT_EQ(p.count, 7);
    EXPECT_EQ(p.commands[2].link, 1);
    EXPECT_EQ(p.commands[1].prev, 0);
    EXPECT_EQ(p.commands[3].prev, -1); // "new" heads a chain
    EXPECT_EQ(p.commands[4].prev, 3);
    EXPECT_EQ(p.commands[5].prev, -1); // an alarm always does
    EXPECT_EQ(p.commands[6].prev, 5);

    EXPECT_FALSE(mkprogram::parseDescription("Timer 0 1\n", p).ok);
    r = mkprogram::parseDescription("Start\nFly 1\n", p);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.line, 2);
    // A repeat around nothing that takes time breaks the link rules.
    EXPECT_FALSE(mkprogram::parseDescription("Start\n@a OptionOutput 1 7\nRepeat 0 2 -> a\n", p).ok);
    EXPECT_FALSE(mkprogram::parseDescription("Start\nRepeat 0 2 -> nowhere\n", p).ok);
    EXPECT_FALSE(mkprogram::parseDescription("time 25:00\nStart\n", p).ok);
}
