#include "board_emulator.h"

#include "vardo/devices/serial_port.h"

#include <gtest/gtest.h>

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
