#pragma once
// Gives each test its own set of shared-memory names (through
// VARDO_SDK_PREFIX), so that tests running at once and a real Vardo on the
// same machine never meet, and removes what a test left behind.
#include "vardo_sdk.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace vardo::sdk_test {

class SdkNamespace : public ::testing::Test {
protected:
    void SetUp() override
    {
        static std::atomic<int> counter{0};
        prefix_ = "vardo-sdk-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
        setenv("VARDO_SDK_PREFIX", prefix_.c_str(), 1);
    }
    void TearDown() override
    {
        vardo_registry_close();
        for (const std::string& name : leftovers()) {
            shm_unlink(("/" + name).c_str());
        }
        unsetenv("VARDO_SDK_PREFIX");
    }
    // Whether the object NAME of this test exists.
    bool objectExists(const std::string& name) const
    {
        return access(("/dev/shm/" + prefix_ + "." + name).c_str(), F_OK) == 0;
    }
    std::vector<std::string> leftovers() const
    {
        std::vector<std::string> names;
        if (DIR* dir = opendir("/dev/shm")) {
            while (dirent* entry = readdir(dir)) {
                std::string name = entry->d_name;
                if (name.rfind(prefix_ + ".", 0) == 0) {
                    names.push_back(name);
                }
            }
            closedir(dir);
        }
        return names;
    }

    std::string prefix_;
};

// A one-byte pipe between parent and child.
struct Pipe {
    int fds[2] = {-1, -1};
    Pipe() { EXPECT_EQ(pipe(fds), 0); }
    ~Pipe()
    {
        ::close(fds[0]);
        ::close(fds[1]);
    }
    void signal(char c = 'x') { EXPECT_EQ(::write(fds[1], &c, 1), 1); }
    char wait()
    {
        char c = 0;
        return ::read(fds[0], &c, 1) == 1 ? c : '\0';
    }
};

} // namespace vardo::sdk_test
