// Reading and writing records: the lock and its timeout, an abandoned
// mutex, and buffers that are not memory of the caller.
#include "sdk/registry.h"
#include "sdk_namespace.h"

#include <csignal>
#include <cstring>
#include <sys/wait.h>

namespace vardo::sdk_test {
namespace {

using RecordIo = SdkNamespace;

vardo_position_record position(int x, int y)
{
    vardo_position_record record{};
    record.flag = VARDO_SDK_FLAG_NEW;
    record.x = static_cast<int16_t>(x);
    record.y = static_cast<int16_t>(y);
    return record;
}

// A child that takes the set's mutex and keeps it until it is killed.
pid_t holdMutexInChild(Pipe& held)
{
    pid_t child = fork();
    if (child == 0) {
        int16_t slot = vardo_open_record_set("Position");
        int16_t result =
            sdk::Registry::instance().update(slot, 1, 1000, [&](unsigned char*, int32_t) {
                held.signal();
                pause();
            });
        _exit(result == 0 ? 0 : 1);
    }
    return child;
}

TEST_F(RecordIo, CopiesRecordsByIndexWithAndWithoutLock)
{
    ASSERT_EQ(vardo_registry_init(), 0);
    int16_t slot = vardo_create_record_set("Position", "POS", 12, 3);
    ASSERT_EQ(slot, 0);
    vardo_position_record second = position(320, 240);
    vardo_position_record third = position(-5, 479);
    ASSERT_EQ(vardo_write_record(slot, &second, 2, VARDO_SDK_LOCK, 100), 0);
    ASSERT_EQ(vardo_write_record(slot, &third, 3, VARDO_SDK_NO_LOCK, 0), 0);
    vardo_position_record seen{};
    ASSERT_EQ(vardo_read_record(slot, &seen, 2, VARDO_SDK_NO_LOCK, 0), 0);
    EXPECT_EQ(seen.x, 320);
    EXPECT_EQ(seen.y, 240);
    ASSERT_EQ(vardo_read_record(slot, &seen, 3, VARDO_SDK_LOCK, -1), 0);
    EXPECT_EQ(seen.x, -5);
    ASSERT_EQ(vardo_read_record(slot, &seen, 1, VARDO_SDK_LOCK, 100), 0);
    EXPECT_EQ(seen.flag, 0);

    EXPECT_EQ(vardo_read_record(slot, &seen, 0, VARDO_SDK_NO_LOCK, 0), VARDO_SDK_BAD_ARGUMENT);
    EXPECT_EQ(vardo_read_record(slot, &seen, 4, VARDO_SDK_NO_LOCK, 0), VARDO_SDK_BAD_ARGUMENT);
    EXPECT_EQ(vardo_read_record(slot, &seen, 1, 5, 0), VARDO_SDK_BAD_ARGUMENT);
    EXPECT_EQ(vardo_read_record(7, &seen, 1, VARDO_SDK_NO_LOCK, 0), VARDO_SDK_BAD_ARGUMENT);
    EXPECT_EQ(vardo_read_record(1, &seen, 1, VARDO_SDK_NO_LOCK, 0), VARDO_SDK_FAILED);

    int16_t bare = vardo_create_record_set("Ball", nullptr, 12, 1);
    ASSERT_EQ(bare, 1);
    EXPECT_EQ(vardo_read_record(bare, &seen, 1, VARDO_SDK_LOCK, 100), VARDO_SDK_BAD_ARGUMENT);
    EXPECT_EQ(vardo_read_record(bare, &seen, 1, VARDO_SDK_NO_LOCK, 0), 0);
}

TEST_F(RecordIo, HeldMutexTimesOutThenIsAbandonedOnceWhenItsHolderDies)
{
    ASSERT_EQ(vardo_registry_init(), 0);
    int16_t slot = vardo_create_record_set("Position", "POS", 12, 1);
    ASSERT_EQ(slot, 0);
    Pipe held;
    pid_t holder = holdMutexInChild(held);
    held.wait();

    vardo_position_record seen{};
    vardo_position_record sent = position(1, 2);
    EXPECT_EQ(vardo_read_record(slot, &seen, 1, VARDO_SDK_LOCK, 50), VARDO_SDK_TIMEOUT);
    EXPECT_EQ(vardo_write_record(slot, &sent, 1, VARDO_SDK_LOCK, 0), VARDO_SDK_TIMEOUT);
    // Without the lock the record is still there to copy.
    EXPECT_EQ(vardo_read_record(slot, &seen, 1, VARDO_SDK_NO_LOCK, 0), 0);

    kill(holder, SIGKILL);
    int status = 0;
    waitpid(holder, &status, 0);
    EXPECT_EQ(vardo_write_record(slot, &sent, 1, VARDO_SDK_LOCK, 1000), VARDO_SDK_ABANDONED);
    ASSERT_EQ(vardo_read_record(slot, &seen, 1, VARDO_SDK_LOCK, 1000), 0);
    EXPECT_EQ(seen.x, 0); // the write told abandoned did not copy
    ASSERT_EQ(vardo_write_record(slot, &sent, 1, VARDO_SDK_LOCK, 1000), 0);
    ASSERT_EQ(vardo_read_record(slot, &seen, 1, VARDO_SDK_LOCK, 1000), 0);
    EXPECT_EQ(seen.x, 1);
}

TEST_F(RecordIo, BadBuffersFailWithoutTouchingTheRecord)
{
    ASSERT_EQ(vardo_registry_init(), 0);
    int16_t slot = vardo_create_record_set("Position", "POS", 12, 1);
    ASSERT_EQ(slot, 0);
    vardo_position_record sent = position(11, 22);
    ASSERT_EQ(vardo_write_record(slot, &sent, 1, VARDO_SDK_LOCK, 100), 0);

    void* unmapped = reinterpret_cast<void*>(16);
    EXPECT_EQ(vardo_read_record(slot, unmapped, 1, VARDO_SDK_LOCK, 100), VARDO_SDK_NO_MAPPING);
    EXPECT_EQ(vardo_write_record(slot, unmapped, 1, VARDO_SDK_LOCK, 100), VARDO_SDK_NO_MAPPING);
    EXPECT_EQ(vardo_read_record(slot, nullptr, 1, VARDO_SDK_NO_LOCK, 0), VARDO_SDK_NO_MAPPING);

    // A read-only page cannot take a record; a source that runs off the end
    // of its page is refused whole.
    long page = sysconf(_SC_PAGESIZE);
    auto* pages = static_cast<unsigned char*>(mmap(nullptr, static_cast<size_t>(2 * page),
                                                   PROT_READ | PROT_WRITE,
                                                   MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(pages, MAP_FAILED);
    ASSERT_EQ(mprotect(pages + page, static_cast<size_t>(page), PROT_NONE), 0);
    std::memset(pages, 0x7f, static_cast<size_t>(page));
    EXPECT_EQ(vardo_write_record(slot, pages + page - 6, 1, VARDO_SDK_LOCK, 100),
              VARDO_SDK_NO_MAPPING);
    ASSERT_EQ(mprotect(pages, static_cast<size_t>(page), PROT_READ), 0);
    EXPECT_EQ(vardo_read_record(slot, pages, 1, VARDO_SDK_LOCK, 100), VARDO_SDK_NO_MAPPING);
    munmap(pages, static_cast<size_t>(2 * page));

    vardo_position_record seen{};
    ASSERT_EQ(vardo_read_record(slot, &seen, 1, VARDO_SDK_LOCK, 100), 0);
    EXPECT_EQ(seen.x, 11);
    EXPECT_EQ(seen.y, 22);
}

} // namespace
} // namespace vardo::sdk_test
