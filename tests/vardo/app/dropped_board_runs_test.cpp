// A pulled cable during a running program: vardo-run runs a program in
// simulation with the boards driven, the emulated board drops its line
// part-way (and in every other run comes back at once), and each run must
// end as the program ends, within its time, with the program having gone
// on past the failed action. Twenty runs per board, all twenty must pass.
#include "board_emulator.h"
#include "oval_track.h"
#include "program_description.h"
#include "temp_dir.h"

#include "common/byte_io.h"
#include "layoutdata/layout_files.h"
#include "vardo/operation/program_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <future>
#include <regex>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

using vardo::testing::TempDir;
using Clock = std::chrono::steady_clock;

constexpr int kRuns = 20;
constexpr int kRunLimitMs = 40000; // far beyond a normal run: reaching it is a hang
constexpr int kTimedOut = -2;

// vardo-run with the folder as its program folder; the exit code, or
// kTimedOut after the limit (the process is then killed).
int runTool(const TempDir& dir, std::vector<std::string> args)
{
    args.insert(args.begin(), VARDO_RUN_PATH);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env{"VARDO_HOME=" + dir.path(), "SDL_AUDIODRIVER=dummy"};
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (entry.rfind("VARDO_HOME=", 0) != 0 && entry.rfind("SDL_AUDIODRIVER=", 0) != 0)
            env.push_back(entry);
    }
    std::vector<char*> envp;
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string out = dir.file("out.txt");
    const std::string err = dir.file("err.txt");
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    const bool started =
        posix_spawn(&pid, VARDO_RUN_PATH, &actions, nullptr, argv.data(), envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (!started)
        return -1;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kRunLimitMs);
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (done < 0)
            return -1;
        if (Clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return kTimedOut;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

std::string readText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

int countOf(const std::string& text, const std::string& part)
{
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

using vardo::testing::ovalTrack;

// Runs the train, moves two points and an option relay, stops: a dozen
// actions for the board, spread over about a second.
const char* kProgram = "Start\n"
                       "TrainControl 1\n"
                       "Timer 0 0 100\n"
                       "SwitchPoint 1 0 0\n"
                       "Timer 0 0 100\n"
                       "OptionOutput 1 7\n"
                       "SwitchPoint 0 0 1\n"
                       "Timer 0 0 100\n"
                       "TrainControl 2\n"
                       "SwitchPoint 1 0 2\n"
                       "Timer 0 0 100\n"
                       "OptionOutput 0 7\n"
                       "TrainControl 0\n"
                       "EndOfOperation\n";

void makeFolder(const TempDir& dir, const std::string& boardKeys, const char* program = kProgram)
{
    dir.write("VARDO.ini", "[SIMULATION]\nSPEED=1\n");
    dir.write("option.ini", "[AGREEMENT]\nAGREEMENT=1\n[CAPTURE]\nDEVICE=0\n"
                            "[LAYOUT]\nSURPRESS_MESSAGE=1\n" +
                                boardKeys);
    dir.write("layout/.keep", "");
    ASSERT_TRUE(layoutdata::writePolylineFile(dir.file("layout/layout.dat"), ovalTrack()));
    vardo::Program p;
    const auto parsed = mkprogram::parseDescription(program, p);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    p.compact();
    ASSERT_TRUE(common::writeFileAtomic(dir.file("drop.vpr"), vardo::serialiseProgram(p)));
}

struct RunResult {
    bool passed = false;
    std::string why;
};

enum class Kind { Relay, Servo };

// Messages the board receives in a whole run without a drop.
int messagesOf(const boardsim::BoardEmulator& board, Kind kind)
{
    return kind == Kind::Relay ? board.commandCount()
                               : static_cast<int>(board.servoRecords().size());
}

std::string boardKeys(Kind kind, const std::string& device)
{
    if (kind == Kind::Relay)
        return "[SERIAL]\nCOM3=" + device + "\n[USB]\nCOM_NO=3\nSURPRESS_MESSAGE=1\n";
    // Direction and point 1 on servos; the relay board is not there.
    return "[SERIAL]\nCOM4=" + device +
           "\n[USB]\nCOM_NO=0\nSURPRESS_MESSAGE=1\n[SERVO]\nCOM_NO=4\nSPEED_SERVO=0\n"
           "TRAIN_SERVO=130\nPOINT_SERVO=131\nTURN_SERVO=0\n";
}

// One run; dropAfter < 0 runs without a drop.
RunResult runOnce(Kind kind, int dropAfter, bool comesBack, int* messages = nullptr)
{
    TempDir dir;
    boardsim::Options o;
    o.servo = kind == Kind::Servo;
    o.dropAfter = dropAfter;
    o.linkPath = dir.file("ttyBoard");
    if (comesBack)
        o.returnAfterMs = 0;
    boardsim::BoardEmulator board(o);
    if (!board.open() || !board.start())
        return {false, "no pseudo-terminal"};
    makeFolder(dir, boardKeys(kind, board.devicePath()));
    const int code = runTool(dir, {"run", "--simulate", "--boards", "--json", "--seconds", "30",
                                   "--program", dir.file("drop.vpr")});
    board.stop();
    const std::string out = readText(dir.file("out.txt"));
    const std::string context = "\nstdout:\n" + out + "\nstderr:\n" + readText(dir.file("err.txt"));
    if (messages)
        *messages = messagesOf(board, kind);
    if (code == kTimedOut)
        return {false, "hung" + context};
    if (code != 0)
        return {false, "exit " + std::to_string(code) + context};
    const auto last = out.rfind("{\"type\":\"end\"");
    if (last == std::string::npos || out.find("\"reason\":\"program\"", last) == std::string::npos)
        return {false, "the program did not reach its end" + context};
    if (dropAfter < 0)
        return {true, ""};
    if (!board.dropped())
        return {false, "the board never dropped its line" + context};
    const int received = messagesOf(board, kind);
    if (!comesBack) {
        // Nothing arrives after the drop, yet the program went on writing.
        const std::string port = kind == Kind::Relay ? "\"port\":\"usb\"" : "\"port\":\"ext\"";
        if (received != dropAfter || countOf(out, port) <= dropAfter)
            return {false, "the program did not go on past the drop" + context};
        return {true, ""};
    }
    if (board.returns() != 1 || received <= dropAfter)
        return {false, "nothing reached the board after it came back (returns " +
                           std::to_string(board.returns()) + ", messages " +
                           std::to_string(received) + ")" + context};
    // The relay board is probed before anything else on the new line.
    if (kind == Kind::Relay && board.commands()[size_t(dropAfter)].command != "AT")
        return {false, "no reconnection probe after the return" + context};
    return {true, ""};
}

// The code and the "sent" flag of every action line of a JSON trace.
std::vector<std::pair<int, bool>> tracedActions(const std::string& out)
{
    static const std::regex line(R"(\{"type":"action","t":\d+,"code":(\d+),"sent":(true|false)\})");
    std::vector<std::pair<int, bool>> actions;
    for (auto it = std::sregex_iterator(out.begin(), out.end(), line); it != std::sregex_iterator();
         ++it)
        actions.emplace_back(std::stoi((*it)[1]), (*it)[2] == "true");
    return actions;
}

void runTwenty(Kind kind)
{
    // A whole run without a drop tells how many messages there are to drop between.
    int total = 0;
    const RunResult clean = runOnce(kind, -1, false, &total);
    ASSERT_TRUE(clean.passed) << clean.why;
    ASSERT_GE(total, 8) << "too few messages to drop in between";
    // Early and late drops, each with and without the board returning; a few
    // messages are left after the drop so that the run goes on. The runs
    // mostly wait on the board and the program, so a few go at once.
    auto dropOf = [&](int i) { return 2 + (i / 2) % (total - 5); };
    int passed = 0;
    constexpr int kAtOnce = 4;
    for (int first = 0; first < kRuns; first += kAtOnce) {
        std::vector<std::future<RunResult>> batch;
        for (int i = first; i < std::min(kRuns, first + kAtOnce); ++i)
            batch.push_back(
                std::async(std::launch::async, runOnce, kind, dropOf(i), i % 2 == 1, nullptr));
        for (int i = first; i < std::min(kRuns, first + kAtOnce); ++i) {
            const RunResult r = batch[size_t(i - first)].get();
            if (r.passed)
                ++passed;
            else
                ADD_FAILURE() << "run " << i << " (drop after " << dropOf(i) << ", "
                              << (i % 2 ? "returns" : "stays away") << "): " << r.why;
        }
    }
    EXPECT_EQ(passed, kRuns);
}

TEST(DroppedBoardRuns, RelayBoardTwentyOfTwenty)
{
    runTwenty(Kind::Relay);
}

TEST(DroppedBoardRuns, ServoBoardTwentyOfTwenty)
{
    runTwenty(Kind::Servo);
}

} // namespace

// With [USB] AUTO_RECONNECT=1 the run goes on while the board is away, the
// status line tells so, and the board gets the later actions once it is
// back, without a restart.
TEST(DroppedBoardRuns, AutoReconnectResumesTheRelayBoardDuringTheRun)
{
    // The board drops its line after start-up and comes back 1.5 s later:
    // after the first action's own reconnection (about 1 s in, once the
    // start-up pulse's busy time is over) and around the background's first
    // try; the long pause outlasts its second try.
    const char* program = "Start\n"
                          "TrainControl 1\n"
                          "Timer 0 0 100\n"
                          "SwitchPoint 1 0 0\n"
                          "Timer 0 4 0\n"
                          "OptionOutput 1 7\n"
                          "TrainControl 0\n"
                          "EndOfOperation\n";
    TempDir dir;
    boardsim::Options o;
    o.dropAfter = 4;
    o.returnAfterMs = 1500;
    o.linkPath = dir.file("ttyBoard");
    boardsim::BoardEmulator board(o);
    ASSERT_TRUE(board.open() && board.start());
    makeFolder(dir, boardKeys(Kind::Relay, board.devicePath()) + "AUTO_RECONNECT=1\n", program);
    const int code = runTool(dir, {"run", "--simulate", "--boards", "--json", "--seconds", "30",
                                   "--program", dir.file("drop.vpr")});
    board.stop();
    const std::string out = readText(dir.file("out.txt"));
    ASSERT_EQ(code, 0) << out << readText(dir.file("err.txt"));
    const auto lost = out.find("\"port\":\"status\",\"text\":"
                               "\"標準インタフェイスとの接続が切れました。1秒後に再接続します\"");
    ASSERT_NE(lost, std::string::npos) << out;
    const auto back =
        out.find("\"port\":\"status\",\"text\":\"標準インタフェイスに再接続しました\"", lost);
    ASSERT_NE(back, std::string::npos) << out;
    EXPECT_NE(out.find("\"reason\":\"program\"", back), std::string::npos) << out;
    ASSERT_TRUE(board.dropped());
    EXPECT_EQ(board.returns(), 1);
    // After the return: the background's probe, then the relay of the program.
    const auto commands = board.commands();
    ASSERT_GT(commands.size(), 6u);
    EXPECT_EQ(commands[4].command, "AT");
    bool relayOn = false;
    for (size_t i = 5; i < commands.size(); ++i)
        relayOn = relayOn || commands[i].command == "PCR61";
    EXPECT_TRUE(relayOn);
}

// The trace tells which actions reached the board: once its line is gone
// (and stays away), no action counts as sent.
TEST(DroppedBoardRuns, TheTraceShowsActionsToAGoneBoardAsNotSent)
{
    const char* program = "Start\n"
                          "TrainControl 1\n"
                          "Timer 0 0 100\n"
                          "TrainControl 2\n"
                          "Timer 0 0 100\n"
                          "TrainControl 0\n"
                          "EndOfOperation\n";
    TempDir dir;
    boardsim::Options o;
    // The probe, the start-up stop and point pulse, and the stop of the
    // start of operation; then the line goes for good.
    o.dropAfter = 4;
    o.linkPath = dir.file("ttyBoard");
    boardsim::BoardEmulator board(o);
    ASSERT_TRUE(board.open() && board.start());
    makeFolder(dir, boardKeys(Kind::Relay, board.devicePath()), program);
    const int code = runTool(dir, {"run", "--simulate", "--boards", "--json", "--seconds", "30",
                                   "--program", dir.file("drop.vpr")});
    board.stop();
    const std::string out = readText(dir.file("out.txt"));
    ASSERT_EQ(code, 0) << out << readText(dir.file("err.txt"));
    ASSERT_TRUE(board.dropped());
    const auto commands = board.commands();
    ASSERT_EQ(commands.size(), 4u);
    EXPECT_EQ(commands[3].command, "PCR00R10");

    const auto actions = tracedActions(out);
    const auto stop = std::find_if(actions.begin(), actions.end(),
                                   [](const auto& action) { return action.first == 0; });
    ASSERT_NE(stop, actions.end()) << out;
    EXPECT_TRUE(stop->second) << out;
    // The point, forward, backward and the stops after it found no board.
    ASSERT_GE(actions.end() - stop, 5) << out;
    for (auto later = stop + 1; later != actions.end(); ++later)
        EXPECT_FALSE(later->second) << "action " << later->first << "\n" << out;
}
