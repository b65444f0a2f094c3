#pragma once
// The outside-program interface running against a fake host, with a client
// of the C library on the same shared records.
#include "fake_sdk_host.h"
#include "sdk/sdk_namespace.h"
#include "vardo/devices/sdk_interface.h"

#include <chrono>
#include <memory>
#include <thread>

namespace vardo::devices::test {

class SdkInterfaceTest : public sdk_test::SdkNamespace {
protected:
    static constexpr int kIntervalMs = 2;

    void SetUp() override
    {
        SdkNamespace::SetUp();
        sdk_ = std::make_unique<SdkInterface>(host_, SdkSettings{kIntervalMs, 20});
        ASSERT_TRUE(sdk_->sdkStart());
        client_ = vardo_sdk_connect();
        ASSERT_NE(client_, nullptr);
    }
    void TearDown() override
    {
        sdk_->sdkStop();
        vardo_sdk_disconnect(client_);
        SdkNamespace::TearDown();
    }

    // Waits until the poll that is under way (or the next one) is done.
    void settle()
    {
        std::uint64_t seen = sdk_->polls();
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (sdk_->polls() <= seen && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        ASSERT_GT(sdk_->polls(), seen);
    }
    // Sends a command, waits until it was taken and processed, and returns
    // what the host was asked to do.
    std::vector<std::string> run(int code, int value)
    {
        host_.clear();
        EXPECT_EQ(vardo_sdk_send(client_, code, value, 5000), 0) << code << "/" << value;
        settle();
        return host_.calls();
    }
    void openConnection()
    {
        run(101, 0);
        ASSERT_TRUE(sdk_->connectionOpen());
        vardo_status_record status{};
        vardo_sdk_read_status(client_, &status);
        host_.clear();
    }
    vardo_command_record commandRecord()
    {
        vardo_command_record record{};
        int16_t slot = vardo_open_record_set(VARDO_SDK_COMMAND);
        EXPECT_EQ(vardo_read_record(slot, &record, 1, VARDO_SDK_LOCK, 1000), 0);
        vardo_close_record_set(slot);
        return record;
    }
    void writeCommand(int flag, int code, int value)
    {
        vardo_command_record record{};
        record.flag = static_cast<uint8_t>(flag);
        record.code = code;
        record.value = value;
        int16_t slot = vardo_open_record_set(VARDO_SDK_COMMAND);
        EXPECT_EQ(vardo_write_record(slot, &record, 1, VARDO_SDK_LOCK, 1000), 0);
        vardo_close_record_set(slot);
    }

    FakeSdkHost host_;
    std::unique_ptr<SdkInterface> sdk_;
    vardo_sdk* client_ = nullptr;
};

using Calls = std::vector<std::string>;

} // namespace vardo::devices::test
