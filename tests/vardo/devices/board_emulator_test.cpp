#include "board_emulator.h"

#include "temp_dir.h"
#include "vardo/devices/serial_port.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

namespace boardsim {
namespace {

using vardo::devices::SerialPort;

std::string exchange(SerialPort& port, const std::string& command, int waitMs = 300)
{
    port.writeBytes(command.data(), static_cast<int>(command.size()));
    std::string got;
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (std::chrono::steady_clock::now() < until) {
        port.waitReadable(10);
        char buffer[64];
        got.append(buffer, static_cast<size_t>(port.readBytes(buffer, sizeof buffer)));
        if (got.size() >= 2 && got.substr(got.size() - 2) == "\r\n")
            break;
    }
    return got;
}

TEST(BoardEmulatorTest, ParsesOptions)
{
    const char* args[] = {"boardsim", "--echo", "--silent-after", "3", "--drop-after", "7",
                          "--json", "--relay-id", "ABCDEFGHIJ"};
    Options o;
    std::string error;
    ASSERT_TRUE(parseOptions(9, const_cast<char**>(args), o, error)) << error;
    EXPECT_TRUE(o.echo);
    EXPECT_TRUE(o.json);
    EXPECT_EQ(o.silentAfter, 3);
    EXPECT_EQ(o.dropAfter, 7);
    EXPECT_EQ(o.relayId, "ABCDEFGHIJ");

    const char* bad[][3] = {{"boardsim", "--silent-after", "x"},
                            {"boardsim", "--drop-after", "-2"},
                            {"boardsim", "--loud", ""}};
    for (auto& args3 : bad) {
        Options other;
        EXPECT_FALSE(parseOptions(args3[2][0] ? 3 : 2, const_cast<char**>(args3), other, error))
            << args3[1];
    }
    const char* incomplete[] = {"boardsim", "--drop-after"};
    EXPECT_FALSE(parseOptions(2, const_cast<char**>(incomplete), o, error));
}

TEST(BoardEmulatorTest, ReturningLineNeedsADropAndALink)
{
    const char* good[] = {"boardsim", "--drop-after", "3", "--link", "/tmp/x", "--return-after", "50"};
    Options o;
    std::string error;
    ASSERT_TRUE(parseOptions(7, const_cast<char**>(good), o, error)) << error;
    EXPECT_EQ(o.returnAfterMs, 50);
    EXPECT_EQ(o.linkPath, "/tmp/x");
    // A new pseudo-terminal has a new name: without a link nobody finds it.
    const char* noLink[] = {"boardsim", "--drop-after", "3", "--return-after", "50"};
    Options other;
    EXPECT_FALSE(parseOptions(5, const_cast<char**>(noLink), other, error));
    const char* noDrop[] = {"boardsim", "--link", "/tmp/x", "--return-after", "50"};
    Options third;
    EXPECT_FALSE(parseOptions(5, const_cast<char**>(noDrop), third, error));
}

// Waits for a condition the serving thread brings about.
template <typename Condition> bool eventually(Condition done, int timeoutMs = 3000)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

TEST(BoardEmulatorTest, PulledLineVanishesFromItsLinkAndComesBackThere)
{
    vardo::testing::TempDir dir;
    Options o;
    o.dropAfter = 2;
    o.returnAfterMs = 100;
    o.linkPath = dir.file("ttyBoard");
    BoardEmulator board(o);
    ASSERT_TRUE(board.open());
    EXPECT_EQ(board.devicePath(), o.linkPath);
    ASSERT_TRUE(board.start());
    auto port = SerialPort::open(board.devicePath(), 9600);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(exchange(*port, "AT\r"), "OK\r\n");
    EXPECT_EQ(exchange(*port, "PCR01R10\r"), "OK\r\n");
    ASSERT_TRUE(eventually([&] { return board.dropped(); }));
    EXPECT_EQ(port->bytesWaiting(), -1);
    const char kProbe[] = "AT\r";
    EXPECT_EQ(port->writeBytes(kProbe, 3), 0);
    // Back at the same name, and served for good: the drop happens once.
    ASSERT_TRUE(eventually([&] { return board.returns() == 1; }));
    port.reset();
    auto again = SerialPort::open(board.devicePath(), 9600);
    ASSERT_NE(again, nullptr);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(exchange(*again, "PCR61\r"), "OK\r\n") << i;
    EXPECT_EQ(board.commandCount(), 6);
    board.stop();
}

TEST(BoardEmulatorTest, LinkIsGoneWhileTheLineIsDropped)
{
    vardo::testing::TempDir dir;
    Options o;
    o.dropAfter = 1;
    o.linkPath = dir.file("ttyBoard");
    BoardEmulator board(o);
    ASSERT_TRUE(board.open());
    ASSERT_TRUE(board.start());
    auto port = SerialPort::open(board.devicePath(), 9600);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(exchange(*port, "AT\r"), "OK\r\n");
    ASSERT_TRUE(eventually([&] { return board.dropped(); }));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(o.linkPath)));
    EXPECT_EQ(SerialPort::open(board.devicePath(), 9600), nullptr);
    EXPECT_EQ(board.returns(), 0);
}

TEST(BoardEmulatorTest, ServoSideCountsPacketsAndTextsTowardsTheDrop)
{
    Options o;
    o.servo = true;
    o.dropAfter = 3;
    BoardEmulator board(o);
    ASSERT_TRUE(board.open());
    ASSERT_TRUE(board.start());
    auto port = SerialPort::open(board.devicePath(), 115200);
    ASSERT_NE(port, nullptr);
    // Torque on to servo 1, then a speed text: two messages, still there.
    const unsigned char torque[] = {0xFA, 0xAF, 0x01, 0x00, 0x24, 0x01, 0x01, 0x01, 0x24};
    EXPECT_EQ(port->writeBytes(torque, sizeof torque), int(sizeof torque));
    EXPECT_EQ(port->writeBytes("PCP50\n", 6), 6);
    ASSERT_TRUE(eventually([&] { return board.servoRecords().size() == 2; }));
    EXPECT_FALSE(board.dropped());
    EXPECT_EQ(port->writeBytes(torque, sizeof torque), int(sizeof torque));
    ASSERT_TRUE(eventually([&] { return board.dropped(); }));
    EXPECT_EQ(board.servoRecords().size(), 3u);
}

TEST(BoardEmulatorTest, KeepsRelayStateAndRecordsPulses)
{
    BoardEmulator board({});
    ASSERT_TRUE(board.open());
    ASSERT_TRUE(board.start());
    auto port = SerialPort::open(board.devicePath(), 9600);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(exchange(*port, "PCR01R10\r"), "OK\r\n");
    EXPECT_EQ(exchange(*port, "PCR61\r"), "OK\r\n");
    EXPECT_EQ(exchange(*port, "PCT3012\r"), "OK\r\n");
    EXPECT_EQ(exchange(*port, "PCR00R11\r"), "OK\r\n");
    auto relays = board.relays();
    EXPECT_FALSE(relays[0]);
    EXPECT_TRUE(relays[1]);
    EXPECT_TRUE(relays[6]);
    for (int i : {2, 3, 4, 5, 7, 8, 9})
        EXPECT_FALSE(relays[static_cast<size_t>(i)]) << "relay " << i + 1;
    auto records = board.commands();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_TRUE(records[0].relays[0]);
    EXPECT_EQ(records[2].pulseRelay, 4);
    EXPECT_EQ(records[2].pulseTenths, 12);
    EXPECT_EQ(records[1].pulseRelay, 0);
}

TEST(BoardEmulatorTest, EchoesTwoBytesBeforeOk)
{
    Options o;
    o.echo = true;
    BoardEmulator board(o);
    ASSERT_TRUE(board.open());
    ASSERT_TRUE(board.start());
    auto port = SerialPort::open(board.devicePath(), 9600);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(exchange(*port, "AT\r"), "ATOK\r\n");
    EXPECT_EQ(exchange(*port, "PCT2002\r"), "PCOK\r\n");
}

TEST(BoardEmulatorTest, FallsSilentAfterCount)
{
    Options o;
    o.silentAfter = 2;
    BoardEmulator board(o);
    ASSERT_TRUE(board.open());
    ASSERT_TRUE(board.start());
    auto port = SerialPort::open(board.devicePath(), 9600);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(exchange(*port, "AT\r"), "OK\r\n");
    EXPECT_EQ(exchange(*port, "AT\r"), "OK\r\n");
    EXPECT_EQ(exchange(*port, "AT\r", 150), "");
    auto records = board.commands();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_TRUE(records[1].answered);
    EXPECT_FALSE(records[2].answered);
}

TEST(BoardEmulatorTest, DropsLineAfterCount)
{
    Options o;
    o.dropAfter = 1;
    BoardEmulator board(o);
    ASSERT_TRUE(board.open());
    ASSERT_TRUE(board.start());
    auto port = SerialPort::open(board.devicePath(), 9600);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(exchange(*port, "AT\r"), "OK\r\n");
    for (int i = 0; i < 100 && !board.dropped(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(board.dropped());
    EXPECT_EQ(port->bytesWaiting(), -1);
}

TEST(BoardEmulatorTest, LogLinesPlainAndJson)
{
    CommandRecord r;
    r.tMs = 1234;
    r.command = "PCT3002";
    r.relays[0] = true;
    r.relays[9] = true;
    r.pulseRelay = 4;
    r.pulseTenths = 2;
    r.answered = true;
    EXPECT_EQ(formatRecord(r, true),
              "{\"t_ms\":1234,\"command\":\"PCT3002\",\"relays\":[1,0,0,0,0,0,0,0,0,1],"
              "\"pulse\":{\"relay\":4,\"ms\":200},\"answered\":true}");
    EXPECT_EQ(formatRecord(r, false),
              "    1234 ms  PCT3002  relays 1-10: 1000000001  pulse relay 4 for 200 ms");
    CommandRecord odd;
    odd.command = "A\"\\\x01";
    EXPECT_EQ(formatRecord(odd, true),
              "{\"t_ms\":0,\"command\":\"A\\\"\\\\\\u0001\",\"relays\":[0,0,0,0,0,0,0,0,0,0],"
              "\"answered\":false}");
}

} // namespace
} // namespace boardsim
