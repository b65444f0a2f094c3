// vardo-run run as a user starts it: a program folder built in code, the
// relay board emulated on a pseudo-terminal, the JSON trace read back.
#include "board_emulator.h"
#include "operation_rig.h"
#include "program_description.h"
#include "temp_dir.h"
#include "vardo/operation/program_file.h"
#include "vardo/operation/trace_printer.h"

#include "common/byte_io.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

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

// Starts vardo-run with the folder as its program folder; stdout to a file.
pid_t startRunner(const TempDir& dir, std::vector<std::string> args)
{
    args.insert(args.begin(), {VARDO_RUN_PATH, "run", "--json", "--program", dir.file("test.vpr")});
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env{"VARDO_HOME=" + dir.path()};
    for (char** e = environ; *e; ++e) {
        if (std::string(*e).rfind("VARDO_HOME=", 0) != 0)
            env.push_back(*e);
    }
    std::vector<char*> envp;
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string out = dir.file("trace.jsonl");
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, VARDO_RUN_PATH, &actions, nullptr, argv.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int exitCode(pid_t pid)
{
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

std::vector<std::string> traceLines(const TempDir& dir)
{
    std::ifstream in(dir.file("trace.jsonl"));
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
    const pid_t pid = startRunner(dir, {"--simulate", "--seconds", "20"});
    ASSERT_GT(pid, 0);
    EXPECT_EQ(exitCode(pid), 0);
    board.requestStop();
    const auto lines = traceLines(dir);
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
    const pid_t pid = startRunner(dir, {"--seconds", "1"});
    ASSERT_GT(pid, 0);
    EXPECT_EQ(exitCode(pid), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_NE(traceLines(dir).back().find("\"reason\":\"time\""), std::string::npos);
}

TEST(Runner, InterruptShutsDownCleanly)
{
    TempDir dir;
    makeProgramFolder(dir, "Start\nTimer 0 60 0\n", "");
    const pid_t pid = startRunner(dir, {});
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(optest::Rig::eventually([&] { return !ofType(traceLines(dir), "command").empty(); },
                                        10000));
    kill(pid, SIGINT);
    EXPECT_EQ(exitCode(pid), 130);
    EXPECT_NE(traceLines(dir).back().find("\"reason\":\"interrupt\""), std::string::npos);
}

TEST(Runner, StartupFailureEndsWithStatusOne)
{
    TempDir dir;
    makeProgramFolder(dir, "Start\n", "");
    dir.write("test.vpr", "not a program");
    const pid_t pid = startRunner(dir, {});
    ASSERT_GT(pid, 0);
    EXPECT_EQ(exitCode(pid), 1);
    const auto lines = traceLines(dir);
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
