#include "run_program.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace vardo::testing {

namespace {

std::string nameOf(const std::string& entry)
{
    return entry.substr(0, entry.find('='));
}

// This process's environment with the given entries put in.
std::vector<std::string> environmentWith(const std::vector<std::string>& changes)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        bool replaced = false;
        for (const std::string& c : changes)
            replaced = replaced || nameOf(c) == nameOf(entry);
        if (!replaced)
            env.push_back(entry);
    }
    env.insert(env.end(), changes.begin(), changes.end());
    return env;
}

std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> out;
    for (std::string& s : strings)
        out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string privateFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vardo-child-XXXXXX").string();
    return mkdtemp(pattern.data()) ? pattern : std::string();
}

} // namespace

ChildProgram::ChildProgram(const std::string& program, const std::vector<std::string>& args,
                           const ProgramOptions& options)
    : folder_(privateFolder()), deadline_(std::chrono::steady_clock::now() + options.timeout)
{
    if (folder_.empty())
        return;
    std::vector<std::string> argvStrings{program};
    argvStrings.insert(argvStrings.end(), args.begin(), args.end());
    std::vector<std::string> envStrings = environmentWith(options.env);
    std::vector<char*> argv = pointers(argvStrings);
    std::vector<char*> envp = pointers(envStrings);
    const std::string out = folder_ + "/out", err = folder_ + "/err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, options.input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    // posix_spawnp: a bare name ("sh") is looked up on PATH.
    if (posix_spawnp(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0)
        pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
}

ChildProgram::~ChildProgram()
{
    if (started() && !finished_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

std::string ChildProgram::outSoFar() const
{
    return readAll(folder_ + "/out");
}

std::string ChildProgram::errSoFar() const
{
    return readAll(folder_ + "/err");
}

bool ChildProgram::sendSignal(int signal) const
{
    return started() && !finished_ && kill(pid_, signal) == 0;
}

ProgramResult ChildProgram::finish()
{
    if (!started() || finished_)
        return result_;
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_)
            break;
        if (done < 0) {
            status = -1;
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline_) {
            result_.timedOut = true;
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    finished_ = true;
    if (status != -1 && !result_.timedOut) {
        if (WIFEXITED(status))
            result_.exitCode = WEXITSTATUS(status);
        else if (WIFSIGNALED(status))
            result_.signal = WTERMSIG(status);
    }
    result_.out = outSoFar();
    result_.err = errSoFar();
    return result_;
}

ProgramResult runProgram(const std::string& program, const std::vector<std::string>& args,
                         const ProgramOptions& options)
{
    ChildProgram child(program, args, options);
    return child.finish();
}

ProgramResult runShell(const std::string& commandLine, const ProgramOptions& options)
{
    return runProgram("/bin/sh", {"-c", commandLine}, options);
}

ProgramResult runShell(const std::string& program, const std::string& arguments,
                       const ProgramOptions& options)
{
    std::string line = program;
    line.append(" ").append(arguments);
    return runShell(line, options);
}

} // namespace vardo::testing
