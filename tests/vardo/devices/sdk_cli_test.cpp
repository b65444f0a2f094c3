// The vardo-sdk command-line client against a running interface.
#include "run_program.h"
#include "sdk_fixture.h"

#include <cstdio>

namespace vardo::devices::test {
namespace {

struct Output {
    int exitCode = -1;
    std::string text;
};

// vardo-sdk ARGUMENTS (a shell line): the exit code, with stdout and
// stderr as one text.
Output runTool(const std::string& arguments)
{
    const auto run = vardo::testing::runShell(VARDO_SDK_TOOL, arguments + " 2>&1");
    return {run.exitCode, run.out};
}

using SdkTool = SdkInterfaceTest;

TEST_F(SdkTool, SendWaitsUntilTakenAndFailsWhenNot)
{
    EXPECT_EQ(runTool("send 101").exitCode, 0);
    EXPECT_TRUE(sdk_->connectionOpen());
    host_.clear();
    EXPECT_EQ(runTool("send 11 655410").exitCode, 0); // 50 + 65536 x 10
    EXPECT_EQ(runTool("send 1 -- 2").exitCode, 2);    // not a number
    EXPECT_EQ(runTool("send").exitCode, 2);
    ASSERT_TRUE(host_.waitFor("speed 50 fade 10"));

    // While a sensor wait holds the polling, a command is not taken.
    host_.sensorBlocks = true;
    EXPECT_EQ(runTool("send 14 502").exitCode, 0);
    ASSERT_TRUE(host_.waitFor("sensor 2 timeout 5"));
    Output late = runTool("send 1 1 --timeout 100");
    EXPECT_EQ(late.exitCode, 1);
    EXPECT_NE(late.text.find("not taken in time"), std::string::npos);
    host_.releaseSensor();
    ASSERT_TRUE(host_.waitFor("action 1 send"));
}

TEST_F(SdkTool, WatchPrintsNewRecordsAsJson)
{
    sdk_->publishPosition(100, 200, 1, 30);
    sdk_->publishStatus(130);
    Output out = runTool("watch --json --seconds 0.2");
    EXPECT_EQ(out.exitCode, 0);
    EXPECT_NE(out.text.find("\"kind\":\"position\",\"x\":100,\"y\":200,\"laps\":1,\"angle\":30}"),
              std::string::npos)
        << out.text;
    EXPECT_NE(out.text.find("\"kind\":\"status\",\"state\":130}"), std::string::npos) << out.text;
    EXPECT_EQ(out.text.rfind("{\"t_ms\":", 0), 0u) << out.text;
    // Nothing new since: nothing printed.
    EXPECT_EQ(runTool("watch --seconds 0.05").text, "");
}

TEST_F(SdkTool, RegistryListsTheSixEntries)
{
    Output out = runTool("registry");
    EXPECT_EQ(out.exitCode, 0);
    for (const char* name : {"Command", "CMD", "Position", "POS", "Status", "STS", "Ball", "BAL"}) {
        EXPECT_NE(out.text.find(name), std::string::npos) << name;
    }
    int lines = 0;
    for (char c : out.text) {
        lines += c == '\n' ? 1 : 0;
    }
    EXPECT_EQ(lines, 7); // heading and six entries
}

TEST_F(SdkTool, TellsWhenVardoIsNotRunning)
{
    sdk_->sdkStop();
    vardo_sdk_disconnect(client_);
    client_ = nullptr;
    Output out = runTool("send 101");
    EXPECT_EQ(out.exitCode, 2);
    EXPECT_NE(out.text.find("not running"), std::string::npos);
}

} // namespace
} // namespace vardo::devices::test
