#include "sdk/shared_object.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace vardo::sdk {

namespace {

constexpr int kSizeWaitPolls = 200; // 1 ms each: a creator between open and truncate

int openObject(const std::string& path, SharedObject::Mode mode, bool& created)
{
    created = false;
    if (mode == SharedObject::Mode::CreateFresh) {
        shm_unlink(path.c_str());
    }
    if (mode != SharedObject::Mode::OpenExisting) {
        int fd = shm_open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            created = true;
            return fd;
        }
        if (errno != EEXIST || mode == SharedObject::Mode::CreateFresh) {
            return -1;
        }
    }
    return shm_open(path.c_str(), O_RDWR | O_CLOEXEC, 0);
}

// An object just created by another process may not have its size yet.
bool waitForSize(int fd, std::size_t bytes)
{
    for (int i = 0; i < kSizeWaitPolls; ++i) {
        struct stat st {};
        if (fstat(fd, &st) != 0) {
            return false;
        }
        if (static_cast<std::size_t>(st.st_size) >= bytes) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

} // namespace

std::string objectName(const std::string& name)
{
    const char* prefix = std::getenv("VARDO_SDK_PREFIX");
    std::string path = "/";
    path += (prefix != nullptr && *prefix != '\0') ? prefix : "vardo-sdk";
    path += '.';
    path += name;
    return path;
}

bool validName(const char* name)
{
    if (name == nullptr) {
        return false;
    }
    std::size_t length = strnlen(name, 32);
    return length >= 1 && length <= 31 && std::memchr(name, '/', length) == nullptr;
}

bool SharedObject::map(const std::string& name, std::size_t bytes, Mode mode)
{
    unmap();
    std::string path = objectName(name);
    int fd = openObject(path, mode, created_);
    if (fd < 0) {
        return false;
    }
    bool sized = created_ ? ftruncate(fd, static_cast<off_t>(bytes)) == 0 : waitForSize(fd, bytes);
    void* data =
        sized ? mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0) : MAP_FAILED;
    close(fd);
    if (data == MAP_FAILED) {
        if (created_) {
            shm_unlink(path.c_str());
        }
        created_ = false;
        return false;
    }
    data_ = data;
    size_ = bytes;
    return true;
}

void SharedObject::unmap()
{
    if (data_ != nullptr) {
        munmap(data_, size_);
    }
    forget();
}

void SharedObject::forget()
{
    data_ = nullptr;
    size_ = 0;
    created_ = false;
}

void SharedObject::remove(const std::string& name)
{
    shm_unlink(objectName(name).c_str());
}

} // namespace vardo::sdk
