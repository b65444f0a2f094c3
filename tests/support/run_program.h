#pragma once
// Runs a program of ours as a user runs it and collects what it did: the
// exit code, everything it wrote to stdout and stderr. Its output goes to
// files of a private folder, so a chatty child never blocks on a full pipe
// and a test can read what it has written so far while it runs.
#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vardo::testing {

struct ProgramOptions {
    // "NAME=VALUE" entries that replace or add to this process's environment.
    std::vector<std::string> env;
    // A child still running after this long is killed (exit code -1).
    std::chrono::milliseconds timeout{std::chrono::minutes(5)};
    // The child's stdin; /dev/null unless named.
    std::string input = "/dev/null";
};

// Options with these environment entries ("NAME=VALUE").
inline ProgramOptions withEnv(std::vector<std::string> env)
{
    ProgramOptions options;
    options.env = std::move(env);
    return options;
}

// vardo-run and planwerk-run with FOLDER as their program folder.
inline ProgramOptions inProgramFolder(const std::string& folder)
{
    return withEnv({"VARDO_HOME=" + folder});
}

struct ProgramResult {
    int exitCode = -1; // -1: did not start, ended by a signal or timed out
    int signal = 0;    // the signal that ended it, if one did
    bool timedOut = false;
    std::string out;
    std::string err;
};

// A child process started at construction; the destructor kills a child
// that is still running and waits for it.
class ChildProgram {
public:
    ChildProgram(const std::string& program, const std::vector<std::string>& args,
                 const ProgramOptions& options = {});
    ~ChildProgram();
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    // What the child has written so far.
    std::string outSoFar() const;
    std::string errSoFar() const;
    bool sendSignal(int signal) const;
    // Waits for the end (within the timeout) and collects the result.
    ProgramResult finish();

private:
    std::string folder_;
    pid_t pid_ = -1;
    std::chrono::steady_clock::time_point deadline_;
    bool finished_ = false;
    ProgramResult result_;
};

// Starts the program and waits for its end.
ProgramResult runProgram(const std::string& program, const std::vector<std::string>& args,
                         const ProgramOptions& options = {});

// Runs a shell command line (for tests that need quoting or pipes of their
// own); the exit code, with what it printed.
ProgramResult runShell(const std::string& commandLine, const ProgramOptions& options = {});

// The shell line "PROGRAM ARGUMENTS" (the arguments already quoted for the
// shell), joined here rather than in each test.
ProgramResult runShell(const std::string& program, const std::string& arguments,
                       const ProgramOptions& options = {});

} // namespace vardo::testing
