// Start and stop of the outside-program interface, position publication, a
// client in another process and a stream of random command records.
#include "sdk_fixture.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <random>
#include <sys/wait.h>

namespace vardo::devices::test {
namespace {

TEST_F(SdkInterfaceTest, StartCreatesTheFourSetsAndStopReleasesThem)
{
    const char* names[4][2] = {
        {"Command", "CMD"}, {"Position", "POS"}, {"Status", "STS"}, {"Ball", "BAL"}};
    for (int16_t slot = 0; slot < 4; ++slot) {
        vardo_registry_entry entry{};
        ASSERT_EQ(vardo_registry_entry_get(slot, &entry), 0);
        EXPECT_STREQ(entry.mappingName, names[slot][0]);
        EXPECT_STREQ(entry.mutexName, names[slot][1]);
        EXPECT_EQ(entry.recordSize, 12);
        EXPECT_EQ(entry.recordCount, 1);
    }
    sdk_->sdkStop();
    // The client still holds three of the sets; its close releases them.
    vardo_registry_entry entry{};
    ASSERT_EQ(vardo_registry_entry_get(0, &entry), 0);
    EXPECT_EQ(entry.inUse, 1);
    ASSERT_EQ(vardo_registry_entry_get(3, &entry), 0);
    EXPECT_EQ(entry.inUse, 0);
    vardo_sdk_disconnect(client_);
    client_ = nullptr;
    for (int16_t slot = 0; slot < 4; ++slot) {
        ASSERT_EQ(vardo_registry_entry_get(slot, &entry), 0);
        EXPECT_EQ(entry.inUse, 0);
    }
    EXPECT_FALSE(objectExists("Command"));
    // Publishing after the stop does nothing and does not fail.
    sdk_->publishStatus(2);
    sdk_->publishPosition(1, 2, 3, 4);
    EXPECT_TRUE(sdk_->sdkStart());
}

TEST_F(SdkInterfaceTest, StartFailsWhenTheNamesAreTaken)
{
    FakeSdkHost other;
    SdkInterface second(other, SdkSettings{kIntervalMs, 20});
    EXPECT_FALSE(second.sdkStart());
    EXPECT_EQ(other.calls(), Calls{"message 188"});
    EXPECT_FALSE(second.isOpen());
    // The first one is untouched by the failed start.
    EXPECT_EQ(run(101, 0), Calls{});
    EXPECT_TRUE(sdk_->connectionOpen());
}

TEST_F(SdkInterfaceTest, AKilledVardoDoesNotBlockTheNextStart)
{
    sdk_->sdkStop();
    vardo_sdk_disconnect(client_);
    client_ = nullptr;
    sdk_test::Pipe started;
    pid_t vardo = fork();
    if (vardo == 0) {
        FakeSdkHost host;
        SdkInterface killed(host, SdkSettings{kIntervalMs, 20});
        started.signal(killed.sdkStart() ? 'y' : 'n');
        pause();
        _exit(0);
    }
    ASSERT_EQ(started.wait(), 'y');
    EXPECT_FALSE(sdk_->sdkStart());
    host_.clear();
    kill(vardo, SIGKILL);
    int status = 0;
    waitpid(vardo, &status, 0);
    EXPECT_TRUE(sdk_->sdkStart());
    client_ = vardo_sdk_connect();
    ASSERT_NE(client_, nullptr);
    EXPECT_EQ(run(101, 0), Calls{});
    EXPECT_TRUE(sdk_->connectionOpen());
}

// Polls come no faster than the interval, and an interval of zero does not
// spin.
TEST_F(SdkInterfaceTest, PollsAtTheConfiguredInterval)
{
    sdk_->sdkStop();
    vardo_sdk_disconnect(client_);
    client_ = nullptr;
    for (int interval : {40, 0}) {
        SdkInterface timed(host_, SdkSettings{interval, 20});
        // Timed from before the start: the first poll may come at once.
        auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(timed.sdkStart());
        auto deadline = start + std::chrono::seconds(5);
        while (timed.polls() < 4 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        auto elapsed = std::chrono::steady_clock::now() - start;
        ASSERT_GE(timed.polls(), 4u);
        EXPECT_GE(elapsed, std::chrono::milliseconds(3 * std::max(interval, 1)));
        timed.sdkStop();
    }
}

// The interval is asked for after every poll: a changed setting holds from
// the next wait on.
TEST_F(SdkInterfaceTest, AChangedIntervalHoldsFromTheNextPoll)
{
    sdk_->sdkStop();
    vardo_sdk_disconnect(client_);
    client_ = nullptr;
    std::atomic<int> interval{400};
    SdkSettings settings{kIntervalMs, 20};
    settings.commInterval = [&] { return interval.load(); };
    SdkInterface timed(host_, settings);
    ASSERT_TRUE(timed.sdkStart());
    auto waitPolls = [&](std::uint64_t count, int seconds) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (timed.polls() < count && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return timed.polls() >= count;
    };
    ASSERT_TRUE(waitPolls(1, 5));
    interval = 1;
    // At 400 ms, fifty polls would take twenty seconds.
    EXPECT_TRUE(waitPolls(timed.polls() + 50, 5));
    timed.sdkStop();
}

TEST_F(SdkInterfaceTest, PositionsAndBoundingBoxes)
{
    vardo_position_record position{};
    sdk_->publishPosition(320, 240, 2, 45);
    ASSERT_EQ(vardo_sdk_read_position(client_, &position), 1);
    EXPECT_EQ(position.x, 320);
    EXPECT_EQ(position.y, 240);
    EXPECT_EQ(position.laps, 2);
    EXPECT_EQ(position.angle, 45);
    sdk_->publishPosition(-999, 40000, -3, -90);
    ASSERT_EQ(vardo_sdk_read_position(client_, &position), 1);
    EXPECT_EQ(position.x, -999);
    EXPECT_EQ(position.y, 32767); // saturated, not wrapped
    EXPECT_EQ(position.laps, -3);
    EXPECT_EQ(position.angle, -90);
    // Nothing in bounding-box form before the mode is asked for.
    sdk_->publishBoundingBox(1, 2, 3, 4);
    EXPECT_EQ(vardo_sdk_read_position(client_, &position), 0);

    openConnection();
    run(100, 103);
    EXPECT_TRUE(sdk_->boundingBoxMode());
    sdk_->publishPosition(100, 100, 0, 0); // the train is not published now
    EXPECT_EQ(vardo_sdk_read_position(client_, &position), 0);
    sdk_->publishBoundingBox(10, 20, 150, 110);
    ASSERT_EQ(vardo_sdk_read_position(client_, &position), 1);
    EXPECT_EQ(position.x, 10);
    EXPECT_EQ(position.y, 20);
    EXPECT_EQ(position.laps, 150);
    EXPECT_EQ(position.angle, 110);
    // Nothing detected: nothing published.
    sdk_->publishBoundingBox(INT_MAX, INT_MAX, INT_MIN, INT_MIN);
    EXPECT_EQ(vardo_sdk_read_position(client_, &position), 0);
    EXPECT_EQ(position.x, 10);
}

TEST_F(SdkInterfaceTest, ClientInAnotherProcess)
{
    host_.state = 2;
    pid_t client = fork();
    if (client == 0) {
        vardo_sdk* sdk = vardo_sdk_connect();
        bool ok = sdk != nullptr && vardo_sdk_send(sdk, 101, 0, 5000) == 0 &&
                  vardo_sdk_send(sdk, 1, 2, 5000) == 0 &&
                  vardo_sdk_send(sdk, 11, 50 + 65536 * 10, 5000) == 0;
        vardo_status_record status{};
        for (int i = 0; ok && i < 5000 && status.state != 2; ++i) {
            vardo_sdk_read_status(sdk, &status);
            usleep(1000);
        }
        vardo_sdk_disconnect(sdk);
        _exit(ok && status.state == 2 ? 0 : 1);
    }
    int status = 0;
    waitpid(client, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    ASSERT_TRUE(host_.waitFor("speed 50 fade 10"));
    EXPECT_EQ(host_.calls(), (Calls{"action 2 send", "speed 50 fade 10"}));
    // The client's close left the sets to Vardo.
    int32_t holders = 0;
    int32_t creator = 0;
    ASSERT_EQ(vardo_registry_holders(0, &creator, &holders), 0);
    EXPECT_EQ(creator, getpid());
    EXPECT_EQ(holders, 1);
}

// Random records, as a careless or hostile client might write them: every
// record with flag 1 is taken, no other is, and the poller never stops.
TEST_F(SdkInterfaceTest, TenThousandRandomCommandRecords)
{
    host_.simulation = true;
    std::mt19937 random(20261208);
    const int codes[] = {1, 2, 3, 8, 10, 11, 12, 13, 14, 100, 101, 102, 0, -1, 7, 65535};
    std::uniform_int_distribution<int> pickCode(0, 2 * static_cast<int>(std::size(codes)) - 1);
    std::uniform_int_distribution<int> pickFlag(0, 5);
    std::uniform_int_distribution<std::int64_t> pickValue(INT32_MIN, INT32_MAX);
    int written = 0;
    int withFlag1 = 0;
    std::uint64_t takenBefore = sdk_->commandsTaken();
    for (int i = 0; i < 10000; ++i) {
        int pick = pickCode(random);
        int code = pick < static_cast<int>(std::size(codes)) ? codes[pick]
                                                             : static_cast<int>(pickValue(random));
        auto value = static_cast<int>(pickValue(random));
        if (code == 100 && (i & 1) != 0) {
            value = std::array{0, 1, 10, 11, 103}[static_cast<size_t>(i) % 5];
        }
        int flagPick = pickFlag(random);
        int flag = flagPick < 4 ? VARDO_SDK_FLAG_NEW : (flagPick == 4 ? 2 : (i & 0xff));
        if (flag == VARDO_SDK_FLAG_NEW) {
            ASSERT_EQ(vardo_sdk_send(client_, code, value, 5000), 0) << i;
            ++withFlag1;
        } else {
            writeCommand(flag, code, value);
            settle();
            ASSERT_EQ(commandRecord().flag, flag) << i;
        }
        ++written;
    }
    settle();
    EXPECT_EQ(written, 10000);
    EXPECT_EQ(sdk_->commandsTaken() - takenBefore, static_cast<std::uint64_t>(withFlag1));
    // Still answering.
    EXPECT_EQ(vardo_sdk_send(client_, 101, 0, 5000), 0);
}

} // namespace
} // namespace vardo::devices::test
