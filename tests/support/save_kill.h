#pragma once
// Runs one save in forked children killed with SIGKILL at random steps of
// the atomic writer, and checks after each kill that every file the save
// touches is either the old one or the new one, whole and readable.
//
// The save runs only in children; the parent keeps the state before the
// save and puts the old files back before each run. The random steps come
// from a fixed seed, so a failing series repeats.
#include "common/atomic_file.h"
#include "common/byte_io.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <poll.h>
#include <random>
#include <string>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace savekill {

// Whether a file is complete and usable, as the program's own reader sees it.
using Reader = std::function<bool(const std::string& path)>;

struct WatchedFile {
    std::string path;
    Reader readable;
};

struct Series {
    int runs = 0;
    int killed = 0; // children that died of the kill
    int sound = 0;  // runs after which every file was old or new and readable
    int allOld = 0; // runs that left every file as it was
    int allNew = 0; // runs that left every file saved
    int totalSteps = 0;
    std::vector<std::string> faults;
};

namespace detail {

inline int killAt = 0;
inline int stepCount = 0;

inline void countAndKill(common::WriteStep)
{
    if (++stepCount == killAt)
        ::kill(::getpid(), SIGKILL);
}

using Snapshot = std::vector<std::optional<std::vector<uint8_t>>>;

inline Snapshot snapshot(const std::vector<WatchedFile>& files)
{
    Snapshot s;
    for (const auto& f : files) {
        std::vector<uint8_t> bytes;
        if (common::fileExists(f.path) && common::readWholeFile(f.path, bytes, size_t(1) << 30))
            s.emplace_back(std::move(bytes));
        else
            s.emplace_back(std::nullopt);
    }
    return s;
}

// Puts the files back as they were and removes temporaries a killed save
// left beside them.
inline void restore(const std::vector<WatchedFile>& files, const Snapshot& old)
{
    namespace fs = std::filesystem;
    for (size_t i = 0; i < files.size(); ++i) {
        const fs::path path(files[i].path);
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(path.parent_path(), error)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind(path.filename().string() + ".tmp", 0) == 0)
                fs::remove(entry.path(), error);
        }
        if (old[i])
            common::writeFileAtomic(files[i].path, *old[i]);
        else
            fs::remove(path, error);
    }
}

struct ChildResult {
    bool finished = false; // exited (or was killed) within the time limit
    bool killed = false;
    int exitCode = -1;
    int steps = 0;
};

// Forks, runs the save in the child with the kill set at step `at` (0: no
// kill) and waits for the child's end on its process descriptor.
inline ChildResult runChild(const std::function<bool()>& save, int at, int timeoutMs)
{
    ChildResult r;
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return r;
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        killAt = at;
        stepCount = 0;
        common::setWriteStepHook(&countAndKill);
        const bool ok = save();
        common::setWriteStepHook(nullptr);
        [[maybe_unused]] ssize_t n = ::write(pipeFds[1], &stepCount, sizeof stepCount);
        ::_exit(ok ? 0 : 3);
    }
    ::close(pipeFds[1]);
    if (pid < 0) {
        ::close(pipeFds[0]);
        return r;
    }
    // Without process descriptors (old kernels) the wait has no time limit.
    const int pidFd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    pollfd p{pidFd, POLLIN, 0};
    r.finished = pidFd < 0 || ::poll(&p, 1, timeoutMs) == 1;
    if (!r.finished)
        ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (pidFd >= 0)
        ::close(pidFd);
    r.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (::read(pipeFds[0], &r.steps, sizeof r.steps) != sizeof r.steps)
        r.steps = 0;
    ::close(pipeFds[0]);
    return r;
}

} // namespace detail

// Runs the save once whole to learn the new files and the number of writer
// steps, then `kills` times killed at a step drawn from [1, steps].
inline Series killSeries(const std::vector<WatchedFile>& files, const std::function<bool()>& save,
                         int kills, uint32_t seed, int timeoutMs = 20000)
{
    Series s;
    const detail::Snapshot old = detail::snapshot(files);
    const detail::ChildResult whole = detail::runChild(save, 0, timeoutMs);
    if (!whole.finished || whole.exitCode != 0 || whole.steps <= 0) {
        s.faults.push_back("the uninterrupted save failed (exit " + std::to_string(whole.exitCode) +
                           ", steps " + std::to_string(whole.steps) + ")");
        return s;
    }
    s.totalSteps = whole.steps;
    const detail::Snapshot fresh = detail::snapshot(files);
    if (fresh == old)
        s.faults.push_back("the save changed none of the watched files");
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> step(1, whole.steps);
    for (int run = 0; run < kills; ++run) {
        detail::restore(files, old);
        const int at = step(random);
        const detail::ChildResult r = detail::runChild(save, at, timeoutMs);
        ++s.runs;
        s.killed += r.killed ? 1 : 0;
        const std::string where = "seed " + std::to_string(seed) + ", kill at step " +
                                  std::to_string(at) + " of " + std::to_string(whole.steps);
        if (!r.finished)
            s.faults.push_back("the save hung (" + where + ")");
        const detail::Snapshot now = detail::snapshot(files);
        bool sound = true, allOld = true, allNew = true;
        for (size_t i = 0; i < files.size(); ++i) {
            const bool isOld = now[i] == old[i], isNew = now[i] == fresh[i];
            allOld = allOld && isOld;
            allNew = allNew && isNew;
            std::string fault;
            if (!isOld && !isNew)
                fault = now[i] ? "neither old nor new" : "missing";
            else if (now[i] && !files[i].readable(files[i].path))
                fault = "not readable";
            if (!fault.empty()) {
                sound = false;
                s.faults.push_back(files[i].path + " " + fault + " (" + where + ")");
            }
        }
        s.sound += sound ? 1 : 0;
        s.allOld += allOld ? 1 : 0;
        s.allNew += allNew ? 1 : 0;
    }
    detail::restore(files, old);
    return s;
}

// The checks every kind of save shares: every run killed, every run sound,
// and both outcomes seen (so the kills really fell before and after the
// moment the save took effect).
inline void expectSurvivesKills(const Series& s, int kills)
{
    EXPECT_EQ(s.runs, kills);
    EXPECT_EQ(s.killed, kills) << "a save ended before its drawn step";
    EXPECT_EQ(s.sound, kills) << "sound after " << s.sound << " of " << s.runs << " kills";
    EXPECT_GT(s.allOld, 0) << "no kill left the old files";
    EXPECT_GT(s.allNew + (s.runs - s.allOld), 0) << "no kill came after a file was replaced";
    for (size_t i = 0; i < s.faults.size() && i < 10; ++i)
        ADD_FAILURE() << s.faults[i];
    std::printf("[ kills    ] %d of %d sound, %d old, %d new, %d steps per save\n", s.sound, s.runs,
                s.allOld, s.allNew, s.totalSteps);
}

} // namespace savekill
