#include "vardo/devices/serial_port.h"

#include "board_emulator.h"
#include "temp_dir.h"
#include "wait_until.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace vardo::devices {
namespace {

using Clock = std::chrono::steady_clock;
using vardo::testing::msSince;

std::string readAll(SerialPort& port, int expected)
{
    std::string got;
    for (int i = 0; i < 100 && static_cast<int>(got.size()) < expected; ++i) {
        port.waitReadable(20);
        char buffer[64];
        int n = port.readBytes(buffer, sizeof buffer);
        got.append(buffer, static_cast<size_t>(n));
    }
    return got;
}

TEST(SerialPortTest, DevicePathFromOptionsOrTtyS)
{
    testing::TempDir dir;
    dir.write("option.ini", "[SERIAL]\nCOM3=/dev/ttyUSB0\ncom12=/dev/pts/9\n");
    const std::string ini = dir.file("option.ini");
    EXPECT_EQ(serialDevicePath(ini, 3), "/dev/ttyUSB0");
    EXPECT_EQ(serialDevicePath(ini, 12), "/dev/pts/9");
    EXPECT_EQ(serialDevicePath(ini, 1), "/dev/ttyS0");
    EXPECT_EQ(serialDevicePath(ini, 10), "/dev/ttyS9");
    EXPECT_EQ(serialDevicePath(ini, 0), "");
}

TEST(SerialPortTest, RefusesMissingDeviceAndUnknownSpeed)
{
    EXPECT_EQ(SerialPort::open("/dev/does-not-exist-vardo", 9600), nullptr);
    EXPECT_EQ(SerialPort::open("", 9600), nullptr);
    boardsim::BoardEmulator board({});
    ASSERT_TRUE(board.open());
    EXPECT_EQ(SerialPort::open(board.devicePath(), 12345), nullptr);
    EXPECT_NE(SerialPort::open(board.devicePath(), 9600), nullptr);
}

TEST(SerialPortTest, ReadWithNothingArrivedReturnsAtOnce)
{
    boardsim::BoardEmulator board({});
    ASSERT_TRUE(board.open());
    auto port = SerialPort::open(board.devicePath(), 9600);
    ASSERT_NE(port, nullptr);
    char buffer[16];
    const auto start = Clock::now();
    EXPECT_EQ(port->bytesWaiting(), 0);
    EXPECT_EQ(port->readBytes(buffer, sizeof buffer), 0);
    EXPECT_LT(msSince(start), 50);
}

TEST(SerialPortTest, OpenIsExclusive)
{
    boardsim::BoardEmulator board({});
    ASSERT_TRUE(board.open());
    auto first = SerialPort::open(board.devicePath(), 9600);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(SerialPort::open(board.devicePath(), 9600), nullptr);
    first.reset();
    EXPECT_NE(SerialPort::open(board.devicePath(), 9600), nullptr);
}

TEST(SerialPortTest, WholeMessageOutAndAnswerIn)
{
    boardsim::BoardEmulator board({});
    ASSERT_TRUE(board.open());
    ASSERT_TRUE(board.start());
    auto port = SerialPort::open(board.devicePath(), 9600);
    ASSERT_NE(port, nullptr);
    port->setRts(true);
    port->setDtr(true);
    const std::string command = "PCR01R10\r";
    EXPECT_EQ(port->writeBytes(command.data(), static_cast<int>(command.size())), 9);
    EXPECT_EQ(readAll(*port, 4), "OK\r\n");
    ASSERT_EQ(board.commandCount(), 1);
    EXPECT_EQ(board.commands()[0].command, "PCR01R10");
}

TEST(SerialPortTest, ClosedOtherEndReportsLineGone)
{
    boardsim::BoardEmulator board({});
    ASSERT_TRUE(board.open());
    auto port = SerialPort::open(board.devicePath(), 9600);
    ASSERT_NE(port, nullptr);
    board.dropLine();
    EXPECT_EQ(port->bytesWaiting(), -1);
    const auto start = Clock::now();
    port->waitReadable(2000);
    EXPECT_LT(msSince(start), 500);
    const std::string command = "AT\r";
    EXPECT_LT(port->writeBytes(command.data(), 3), 3);
}

} // namespace
} // namespace vardo::devices
