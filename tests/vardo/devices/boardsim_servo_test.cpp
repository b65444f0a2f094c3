#include "board_emulator.h"

#include "vardo/devices/serial_port.h"
#include "vardo/devices/servo_packet.h"

#include <gtest/gtest.h>

#include <thread>

namespace boardsim {
namespace {

using vardo::devices::SerialPort;

std::vector<ServoRecord> waitRecords(const BoardEmulator& board, size_t n)
{
    auto records = board.servoRecords();
    for (int i = 0; i < 300 && records.size() < n; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        records = board.servoRecords();
    }
    return records;
}

TEST(BoardsimServoTest, ParsesServoOptions)
{
    const char* args[] = {"boardsim", "--servo", "--sensor-after", "250", "--json"};
    Options o;
    std::string error;
    ASSERT_TRUE(parseOptions(5, const_cast<char**>(args), o, error)) << error;
    EXPECT_TRUE(o.servo);
    EXPECT_EQ(o.sensorAfterMs, 250);
    const char* never[] = {"boardsim", "--servo", "--sensor-never"};
    ASSERT_TRUE(parseOptions(3, const_cast<char**>(never), o, error));
    EXPECT_TRUE(o.sensorNever);
    const char* bad[] = {"boardsim", "--sensor-after", "soon"};
    EXPECT_FALSE(parseOptions(3, const_cast<char**>(bad), o, error));
}

TEST(BoardsimServoTest, DecodesPacketsKeepsServoStateAndLogsBadChecksums)
{
    Options o;
    o.servo = true;
    // Declared before the board, so they outlive its thread: it may still
    // be logging the last command when the checks below are done.
    std::vector<std::string> lines;
    std::mutex linesMutex;
    BoardEmulator board(o);
    board.setLogSink([&](const std::string& line) {
        std::lock_guard lock(linesMutex);
        lines.push_back(line);
    });
    ASSERT_TRUE(board.open());
    ASSERT_TRUE(board.start());
    auto port = SerialPort::open(board.devicePath(), 115200);
    ASSERT_NE(port, nullptr);
    auto send = [&](const std::string& bytes) {
        port->writeBytes(bytes.data(), int(bytes.size()));
    };
    send(vardo::devices::torquePacket(3, true).text());
    send(vardo::devices::goalPositionTimePacket(3, -450, 120).text());
    auto bad = vardo::devices::goalPositionPacket(4, 100);
    bad.bytes[size_t(bad.size - 1)] ^= 0x55;
    send(bad.text());
    send("PCP-50\n");
    send("PCR61\r"); // relay commands still work, answered "OK"
    const auto records = waitRecords(board, 4);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].torque, 1);
    EXPECT_EQ(records[1].position, -450);
    EXPECT_EQ(records[1].time, 120);
    EXPECT_FALSE(records[2].checksumOk);
    EXPECT_EQ(records[3].text, "PCP-50");
    EXPECT_TRUE(board.servo(3).torque);
    EXPECT_EQ(board.servo(3).position, -450);
    EXPECT_EQ(board.servo(4).writes, 0); // a bad packet moves nothing
    for (int i = 0; i < 300 && board.commandCount() < 1; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(board.relays()[6]);

    std::lock_guard lock(linesMutex);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_NE(lines[2].find("BAD CHECKSUM"), std::string::npos) << lines[2];
}

TEST(BoardsimServoTest, JsonRecordsCarryTheDecodedFields)
{
    ServoRecord r;
    r.tMs = 12;
    r.packet = true;
    r.servo = 3;
    r.reg = 0x1E;
    r.hasPosition = true;
    r.position = -900;
    r.checksumOk = true;
    r.hex = "FA AF";
    const std::string line = formatServoRecord(r, true);
    EXPECT_EQ(line, "{\"t_ms\":12,\"servo\":3,\"flag\":0,\"register\":30,\"bytes\":\"FA AF\","
                    "\"position\":-900,\"checksumOk\":true}");
    ServoRecord text;
    text.tMs = 5;
    text.text = "PCS07510";
    EXPECT_EQ(formatServoRecord(text, true), "{\"t_ms\":5,\"text\":\"PCS07510\"}");
    text.text = "P\"C\x01";
    EXPECT_EQ(formatServoRecord(text, true), "{\"t_ms\":5,\"text\":\"P\\\"C\\u0001\"}");
}

} // namespace
} // namespace boardsim
