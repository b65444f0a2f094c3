// The convenience layer against a stand-in for Vardo's side of the records.
#include "sdk/registry.h"
#include "sdk_namespace.h"

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace vardo::sdk_test {
namespace {

class Connection : public SdkNamespace {
protected:
    void SetUp() override
    {
        SdkNamespace::SetUp();
        ASSERT_EQ(vardo_registry_init(), 0);
        command_ = vardo_create_record_set(VARDO_SDK_COMMAND, VARDO_SDK_COMMAND_MUTEX, 12, 1);
        position_ = vardo_create_record_set(VARDO_SDK_POSITION, VARDO_SDK_POSITION_MUTEX, 12, 1);
        status_ = vardo_create_record_set(VARDO_SDK_STATUS, VARDO_SDK_STATUS_MUTEX, 12, 1);
        ASSERT_EQ(command_, 0);
        ASSERT_EQ(position_, 1);
        ASSERT_EQ(status_, 2);
    }
    // Takes one new command the way Vardo does; false when none was there.
    bool takeCommand(vardo_command_record& taken)
    {
        bool took = false;
        sdk::Registry::instance().update(command_, 1, 100, [&](unsigned char* record, int32_t) {
            std::memcpy(&taken, record, sizeof taken);
            if (taken.flag == VARDO_SDK_FLAG_NEW) {
                record[0] = VARDO_SDK_FLAG_TAKEN;
                took = true;
            }
        });
        return took;
    }

    int16_t command_ = -1;
    int16_t position_ = -1;
    int16_t status_ = -1;
};

TEST_F(Connection, ConnectFailsWithoutTheRecordSets)
{
    ASSERT_EQ(vardo_close_record_set(status_), 0);
    EXPECT_EQ(vardo_sdk_connect(), nullptr);
}

TEST_F(Connection, ClientInTheCreatingProcessKeepsTheCreatorsHandles)
{
    vardo_sdk* sdk = vardo_sdk_connect();
    ASSERT_NE(sdk, nullptr);
    vardo_sdk_disconnect(sdk);
    // The creator's own handle is still open and the sets are still there.
    vardo_command_record record{};
    EXPECT_EQ(vardo_read_record(command_, &record, 1, VARDO_SDK_LOCK, 100), 0);
    vardo_registry_entry entry{};
    ASSERT_EQ(vardo_registry_entry_get(status_, &entry), 0);
    EXPECT_EQ(entry.inUse, 1);
}

TEST_F(Connection, SendWaitsUntilTheCommandIsTaken)
{
    vardo_sdk* sdk = vardo_sdk_connect();
    ASSERT_NE(sdk, nullptr);
    std::atomic<bool> stop{false};
    std::vector<vardo_command_record> seen;
    std::thread vardo([&] {
        while (!stop) {
            vardo_command_record taken{};
            if (takeCommand(taken)) {
                seen.push_back(taken);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    EXPECT_EQ(vardo_sdk_send(sdk, 101, 0, 2000), 0);
    EXPECT_EQ(vardo_sdk_send(sdk, 11, 50 + 65536 * 10, 2000), 0);
    stop = true;
    vardo.join();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].code, 101);
    EXPECT_EQ(seen[1].code, 11);
    EXPECT_EQ(seen[1].value, 50 + 65536 * 10);
    vardo_sdk_disconnect(sdk);
}

TEST_F(Connection, SendTimesOutWhenNobodyTakesIt)
{
    vardo_sdk* sdk = vardo_sdk_connect();
    ASSERT_NE(sdk, nullptr);
    EXPECT_EQ(vardo_sdk_send(sdk, 1, 1, 50), VARDO_SDK_TIMEOUT);
    // The first command is still pending: a second one cannot overwrite it.
    EXPECT_EQ(vardo_sdk_send(sdk, 1, 0, 50), VARDO_SDK_TIMEOUT);
    vardo_command_record taken{};
    ASSERT_TRUE(takeCommand(taken));
    EXPECT_EQ(taken.value, 1);
    EXPECT_EQ(vardo_sdk_send(sdk, 2, 0, 0), VARDO_SDK_TIMEOUT);
    vardo_sdk_disconnect(sdk);
}

TEST_F(Connection, ReadsTellNewRecordsOnce)
{
    vardo_sdk* sdk = vardo_sdk_connect();
    ASSERT_NE(sdk, nullptr);
    vardo_position_record position{};
    EXPECT_EQ(vardo_sdk_read_position(sdk, &position), 0);
    vardo_position_record published{};
    published.flag = VARDO_SDK_FLAG_NEW;
    published.x = 100;
    published.laps = 2;
    ASSERT_EQ(vardo_write_record(position_, &published, 1, VARDO_SDK_LOCK, 100), 0);
    EXPECT_EQ(vardo_sdk_read_position(sdk, &position), 1);
    EXPECT_EQ(position.x, 100);
    EXPECT_EQ(position.laps, 2);
    EXPECT_EQ(vardo_sdk_read_position(sdk, &position), 0);
    EXPECT_EQ(position.x, 100);

    vardo_status_record status{};
    status.flag = VARDO_SDK_FLAG_NEW;
    status.state = 2 | 128;
    ASSERT_EQ(vardo_write_record(status_, &status, 1, VARDO_SDK_NO_LOCK, 0), 0);
    vardo_status_record read{};
    EXPECT_EQ(vardo_sdk_read_status(sdk, &read), 1);
    EXPECT_EQ(read.state, 130);
    EXPECT_EQ(vardo_sdk_read_status(sdk, nullptr), VARDO_SDK_BAD_ARGUMENT);
    EXPECT_EQ(vardo_sdk_read_status(sdk, reinterpret_cast<vardo_status_record*>(16)),
              VARDO_SDK_NO_MAPPING);
    vardo_sdk_disconnect(sdk);
}

} // namespace
} // namespace vardo::sdk_test
