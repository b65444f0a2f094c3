// The registry across processes: create, open, close, slots, names and the
// takeover of a set whose creator was killed.
#include "sdk/named_mutex.h"
#include "sdk_namespace.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>

namespace vardo::sdk_test {
namespace {

using Registry = SdkNamespace;

int waitExit(pid_t pid)
{
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

vardo_command_record command(int code, int value)
{
    vardo_command_record record{};
    record.flag = VARDO_SDK_FLAG_NEW;
    record.code = code;
    record.value = value;
    return record;
}

TEST_F(Registry, StoresEntriesByteForByte)
{
    ASSERT_EQ(vardo_registry_init(), 0);
    ASSERT_EQ(vardo_create_record_set("Position", "POS", 12, 1), 0);
    ASSERT_EQ(vardo_create_record_set("Ball", "", 12, 3), 1);
    // The stored table, read straight from the registry object.
    int fd = shm_open(("/" + prefix_ + "." VARDO_SDK_REGISTRY_NAME).c_str(), O_RDONLY, 0);
    ASSERT_GE(fd, 0);
    unsigned char bytes[VARDO_SDK_REGISTRY_BYTES] = {};
    ASSERT_EQ(pread(fd, bytes, sizeof bytes, 0), static_cast<ssize_t>(sizeof bytes));
    ::close(fd);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes)), "Position");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes + 32)), "POS");
    EXPECT_EQ(bytes[64] | bytes[65] << 8, 1); // has mutex
    EXPECT_EQ(bytes[66] | bytes[67] << 8, 1); // in use
    EXPECT_EQ(bytes[68], 12);                 // record size
    EXPECT_EQ(bytes[72], 1);                  // count
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes + 76)), "Ball");
    EXPECT_EQ(bytes[76 + 32], 0); // no mutex name
    EXPECT_EQ(bytes[76 + 64], 0);
    EXPECT_EQ(bytes[76 + 72], 3);
    EXPECT_TRUE(objectExists("Position"));
    EXPECT_TRUE(objectExists("POS"));
}

TEST_F(Registry, OpenedInAnotherProcessAndReleasedByTheLastClose)
{
    ASSERT_EQ(vardo_registry_init(), 0);
    int16_t slot = vardo_create_record_set("Command", "CMD", 12, 1);
    ASSERT_EQ(slot, 0);
    vardo_command_record sent = command(1, 7);
    ASSERT_EQ(vardo_write_record(slot, &sent, 1, VARDO_SDK_LOCK, 1000), 0);

    Pipe opened;
    Pipe mayClose;
    pid_t child = fork();
    if (child == 0) {
        int16_t childSlot = vardo_open_record_set("Command");
        vardo_command_record seen{};
        bool same = childSlot == 0 &&
                    vardo_read_record(childSlot, &seen, 1, VARDO_SDK_LOCK, 1000) == 0 &&
                    seen.code == 1 && seen.value == 7;
        vardo_command_record answer = command(2, 9);
        same = same && vardo_write_record(childSlot, &answer, 1, VARDO_SDK_LOCK, 1000) == 0;
        opened.signal();
        mayClose.wait();
        same = same && vardo_close_record_set(childSlot) == 0;
        _exit(same ? 0 : 1);
    }
    opened.wait();
    int32_t creator = 0;
    int32_t holders = 0;
    ASSERT_EQ(vardo_registry_holders(slot, &creator, &holders), 0);
    EXPECT_EQ(creator, getpid());
    EXPECT_EQ(holders, 2);
    vardo_command_record seen{};
    ASSERT_EQ(vardo_read_record(slot, &seen, 1, VARDO_SDK_NO_LOCK, 0), 0);
    EXPECT_EQ(seen.code, 2);
    EXPECT_EQ(seen.value, 9);

    // The creator closes first: the child still holds the set.
    ASSERT_EQ(vardo_close_record_set(slot), 0);
    vardo_registry_entry entry{};
    ASSERT_EQ(vardo_registry_entry_get(slot, &entry), 0);
    EXPECT_EQ(entry.inUse, 1);
    EXPECT_TRUE(objectExists("Command"));

    mayClose.signal();
    EXPECT_EQ(waitExit(child), 0);
    ASSERT_EQ(vardo_registry_entry_get(slot, &entry), 0);
    EXPECT_EQ(entry.inUse, 0);
    EXPECT_EQ(entry.mappingName[0], '\0');
    EXPECT_FALSE(objectExists("Command"));
    EXPECT_FALSE(objectExists("CMD"));
    EXPECT_EQ(vardo_close_record_set(slot), VARDO_SDK_BAD_ARGUMENT);
}

TEST_F(Registry, SixSlotsThenNoneUntilOneIsClosed)
{
    ASSERT_EQ(vardo_registry_init(), 0);
    for (int i = 0; i < VARDO_SDK_SLOTS; ++i) {
        std::string name = "Set" + std::to_string(i);
        std::string mutex = "M" + std::to_string(i);
        EXPECT_EQ(vardo_create_record_set(name.c_str(), mutex.c_str(), 12, 1), i);
    }
    EXPECT_EQ(vardo_create_record_set("Seventh", "M7", 12, 1), VARDO_SDK_NO_SLOT);
    ASSERT_EQ(vardo_close_record_set(3), 0);
    EXPECT_EQ(vardo_create_record_set("Seventh", "M7", 12, 1), 3);
}

TEST_F(Registry, RefusesBadAndTakenNames)
{
    ASSERT_EQ(vardo_registry_init(), 0);
    const std::string longest(31, 'n');
    const std::string tooLong(32, 'n');
    EXPECT_EQ(vardo_create_record_set("", "A", 12, 1), VARDO_SDK_BAD_ARGUMENT);
    EXPECT_EQ(vardo_create_record_set(nullptr, "A", 12, 1), VARDO_SDK_BAD_ARGUMENT);
    EXPECT_EQ(vardo_create_record_set(tooLong.c_str(), "A", 12, 1), VARDO_SDK_BAD_ARGUMENT);
    EXPECT_EQ(vardo_create_record_set("A", tooLong.c_str(), 12, 1), VARDO_SDK_BAD_ARGUMENT);
    EXPECT_EQ(vardo_create_record_set("a/b", "A", 12, 1), VARDO_SDK_BAD_ARGUMENT);
    EXPECT_EQ(vardo_create_record_set("Same", "Same", 12, 1), VARDO_SDK_BAD_ARGUMENT);
    EXPECT_EQ(vardo_create_record_set("Zero", "Z", 0, 1), VARDO_SDK_BAD_ARGUMENT);
    EXPECT_EQ(vardo_create_record_set("Zero", "Z", 12, 0), VARDO_SDK_BAD_ARGUMENT);
    EXPECT_EQ(vardo_create_record_set("Zero", "Z", -12, 1), VARDO_SDK_BAD_ARGUMENT);
    EXPECT_EQ(vardo_create_record_set("Huge", "H", 0x7fffffff, 0x7fffffff), VARDO_SDK_BAD_ARGUMENT);

    EXPECT_EQ(vardo_create_record_set(longest.c_str(), "CMD", 12, 1), 0);
    // Taken as a mapping name or as a mutex name, either way round.
    EXPECT_EQ(vardo_create_record_set(longest.c_str(), "X", 12, 1), VARDO_SDK_BAD_ARGUMENT);
    EXPECT_EQ(vardo_create_record_set("CMD", "Y", 12, 1), VARDO_SDK_BAD_ARGUMENT);
    EXPECT_EQ(vardo_create_record_set("Other", longest.c_str(), 12, 1), VARDO_SDK_BAD_ARGUMENT);
    EXPECT_EQ(vardo_create_record_set("Other", "CMD", 12, 1), VARDO_SDK_BAD_ARGUMENT);
    EXPECT_EQ(vardo_create_record_set("Other", "", 12, 1), 1);

    EXPECT_EQ(vardo_open_record_set("Missing"), VARDO_SDK_BAD_ARGUMENT);
    EXPECT_EQ(vardo_open_record_set(""), VARDO_SDK_BAD_ARGUMENT);
    EXPECT_EQ(vardo_open_record_set(longest.c_str()), 0);
    EXPECT_EQ(vardo_close_record_set(6), VARDO_SDK_BAD_ARGUMENT);
    EXPECT_EQ(vardo_close_record_set(-1), VARDO_SDK_BAD_ARGUMENT);
}

TEST_F(Registry, SetOfAKilledCreatorIsTakenOver)
{
    ASSERT_EQ(vardo_registry_init(), 0);
    Pipe created;
    pid_t creator = fork();
    if (creator == 0) {
        int16_t slot = vardo_create_record_set("Command", "CMD", 12, 1);
        created.signal(slot == 0 ? 'y' : 'n');
        pause();
        _exit(0);
    }
    ASSERT_EQ(created.wait(), 'y');
    // Alive: the name is taken.
    EXPECT_EQ(vardo_create_record_set("Command", "CMD", 12, 1), VARDO_SDK_BAD_ARGUMENT);
    int16_t held = vardo_open_record_set("Command");
    ASSERT_EQ(held, 0);

    kill(creator, SIGKILL);
    EXPECT_EQ(waitExit(creator), 100 + SIGKILL);

    // Another process takes the set over and exits; our old handle is then
    // no longer the set in the registry.
    pid_t taker = fork();
    if (taker == 0) {
        _exit(vardo_create_record_set("Command", "CMD", 12, 1) == 0 ? 0 : 1);
    }
    ASSERT_EQ(waitExit(taker), 0);
    vardo_command_record seen{};
    EXPECT_EQ(vardo_read_record(held, &seen, 1, VARDO_SDK_NO_LOCK, 0), VARDO_SDK_NOT_IN_USE);

    // Its creator is gone too: the next creator takes the set again.
    int16_t slot = vardo_create_record_set("Command", "CMD", 12, 1);
    ASSERT_EQ(slot, 0);
    int32_t pid = 0;
    int32_t holders = 0;
    ASSERT_EQ(vardo_registry_holders(slot, &pid, &holders), 0);
    EXPECT_EQ(pid, getpid());
    EXPECT_EQ(holders, 1);
    vardo_command_record fresh{};
    ASSERT_EQ(vardo_read_record(slot, &fresh, 1, VARDO_SDK_LOCK, 1000), 0);
    EXPECT_EQ(fresh.flag, 0); // a new, zeroed record
}

TEST_F(Registry, ProcessesStartingTogetherShareOneRegistry)
{
    constexpr int kProcesses = 5;
    Pipe go;
    Pipe results;
    Pipe finish;
    pid_t children[kProcesses];
    for (int i = 0; i < kProcesses; ++i) {
        children[i] = fork();
        if (children[i] == 0) {
            go.wait();
            std::string name = "Set" + std::to_string(i);
            int16_t slot = vardo_registry_init() == 0
                               ? vardo_create_record_set(name.c_str(), nullptr, 12, 1)
                               : int16_t{-100};
            results.signal(static_cast<char>('0' + slot));
            finish.wait(); // the set lives until the parent looked
            _exit(0);
        }
    }
    for (int i = 0; i < kProcesses; ++i) {
        go.signal();
    }
    int seen = 0;
    for (int i = 0; i < kProcesses; ++i) {
        int slot = results.wait() - '0';
        EXPECT_GE(slot, 0);
        EXPECT_LT(slot, VARDO_SDK_SLOTS);
        if (slot >= 0 && slot < VARDO_SDK_SLOTS) {
            seen |= 1 << slot;
        }
    }
    EXPECT_EQ(seen, (1 << kProcesses) - 1); // five different slots
    for (int i = 0; i < kProcesses; ++i) {
        finish.signal();
    }
    for (pid_t child : children) {
        EXPECT_EQ(waitExit(child), 0);
    }
}

TEST_F(Registry, AKilledHolderOfTheRegistryLockBlocksOnlyUntilItIsGone)
{
    ASSERT_EQ(vardo_registry_init(), 0);
    Pipe locked;
    pid_t holder = fork();
    if (holder == 0) {
        sdk::NamedMutex mutex;
        bool ok = mutex.open(VARDO_SDK_REGISTRY_MUTEX, sdk::SharedObject::Mode::OpenExisting) &&
                  mutex.lock(1000) == sdk::LockResult::Locked;
        locked.signal(ok ? 'y' : 'n');
        pause();
        _exit(0);
    }
    ASSERT_EQ(locked.wait(), 'y');
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(vardo_create_record_set("Command", "CMD", 12, 1), VARDO_SDK_FAILED);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(4900));
    kill(holder, SIGKILL);
    waitExit(holder);
    EXPECT_EQ(vardo_create_record_set("Command", "CMD", 12, 1), 0);
}

} // namespace
} // namespace vardo::sdk_test
