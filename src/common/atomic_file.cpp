#include "common/atomic_file.h"

#include "common/byte_io.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace common {

namespace {

std::atomic<WriteStepHook> stepHook{nullptr};

void step(WriteStep s)
{
    if (WriteStepHook hook = stepHook.load(std::memory_order_acquire))
        hook(s);
}

bool writeAll(int fd, const uint8_t* data, size_t size)
{
    while (size > 0) {
        step(WriteStep::WriteChunk);
        const size_t want = size < kWriteChunkSize ? size : kWriteChunkSize;
        ssize_t n = ::write(fd, data, want);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// The file a path names once symbolic links are followed; the path itself
// when it is no link (or a dangling one, which the save then replaces).
std::string resolvedTarget(const std::string& path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char buffer[PATH_MAX];
    if (!::realpath(path.c_str(), buffer))
        return path;
    return buffer;
}

std::string folderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes the rename durable. Some file systems refuse fsync on a folder;
// the file itself is already on disk then, so that is no failure.
void flushFolder(const std::string& path)
{
    step(WriteStep::FlushFolder);
    int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    [[maybe_unused]] int ignored = ::fsync(fd);
    ::close(fd);
}

std::string baseNameOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A temporary of this target that a killed save left: the name mkostemp
// gives it, a plain file, and old enough that no save still running in
// another process can own it.
bool isStaleTemporary(const std::string& folder, const std::string& name,
                      const std::string& prefix, std::time_t now)
{
    if (name.size() != prefix.size() + kTemporarySuffixLength || name.rfind(prefix, 0) != 0)
        return false;
    struct stat st;
    if (::lstat((folder + "/" + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    return now - st.st_mtime > kStaleTemporarySeconds;
}

// Leftovers of earlier saves of the same target would otherwise stay for
// ever; nothing else in the folder is touched.
void removeStaleTemporaries(const std::string& target)
{
    const std::string folder = folderOf(target);
    DIR* d = ::opendir(folder.c_str());
    if (!d)
        return;
    const std::string prefix = baseNameOf(target) + ".tmp";
    const std::time_t now = std::time(nullptr);
    std::vector<std::string> stale;
    while (const dirent* entry = ::readdir(d)) {
        if (isStaleTemporary(folder, entry->d_name, prefix, now))
            stale.emplace_back(entry->d_name);
    }
    ::closedir(d);
    for (const auto& name : stale)
        ::unlink((folder + "/" + name).c_str());
}

mode_t modeFor(const std::string& target)
{
    struct stat st;
    if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        return st.st_mode & 07777;
    return 0644;
}

} // namespace

void setWriteStepHook(WriteStepHook hook)
{
    stepHook.store(hook, std::memory_order_release);
}

bool writeFileAtomic(const std::string& path, std::span<const uint8_t> bytes)
{
    const std::string target = resolvedTarget(path);
    removeStaleTemporaries(target);
    std::string temp = target + ".tmpXXXXXX";
    step(WriteStep::CreateTemporary);
    // Close-on-exec: a child started meanwhile must not hold the file open.
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, bytes.data(), bytes.size());
    if (ok) {
        step(WriteStep::Flush);
        ok = ::fsync(fd) == 0;
    }
    ok = (::fchmod(fd, modeFor(target)) == 0) && ok;
    ok = (::close(fd) == 0) && ok;
    if (ok) {
        step(WriteStep::Rename);
        ok = ::rename(temp.c_str(), target.c_str()) == 0;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    flushFolder(target);
    return true;
}

bool writeFileAtomic(const std::string& path, const std::string& text)
{
    return writeFileAtomic(
        path, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

bool copyFileAtomic(const std::string& source, const std::string& target)
{
    std::vector<uint8_t> bytes;
    // Layout pictures are the largest files copied; 256 MiB is far beyond them.
    return readWholeFile(source, bytes, size_t(256) << 20) && writeFileAtomic(target, bytes);
}

} // namespace common
