#include "vardo/devices/servo_packet.h"

#include <gtest/gtest.h>

namespace vardo::devices {
namespace {

std::vector<int> bytesOf(const ServoPacket& p)
{
    return std::vector<int>(p.bytes.begin(), p.bytes.begin() + p.size);
}

// Checksum worked out by hand: XOR from the ID to the last data byte.
TEST(ServoPacketTest, EveryPacketKindHasItsBytes)
{
    EXPECT_EQ(bytesOf(torquePacket(3, true)),
              (std::vector<int>{0xFA, 0xAF, 0x03, 0x00, 0x24, 0x01, 0x01, 0x01, 0x26}));
    EXPECT_EQ(bytesOf(torquePacket(3, false)),
              (std::vector<int>{0xFA, 0xAF, 0x03, 0x00, 0x24, 0x01, 0x01, 0x00, 0x27}));
    // Point 1 branch at -90 degrees on servo 3.
    EXPECT_EQ(bytesOf(goalPositionPacket(3, -900)),
              (std::vector<int>{0xFA, 0xAF, 0x03, 0x00, 0x1E, 0x02, 0x01, 0x7C, 0xFC, 0x9E}));
    // 90.0 degrees in 5 s.
    EXPECT_EQ(bytesOf(goalPositionTimePacket(1, 900, 500)),
              (std::vector<int>{0xFA, 0xAF, 0x01, 0x00, 0x1E, 0x04, 0x01, 0x84, 0x03, 0xF4, 0x01,
                                0x01 ^ 0x1E ^ 0x04 ^ 0x01 ^ 0x84 ^ 0x03 ^ 0xF4 ^ 0x01}));
    const ServoPacket c = compliancePacket(1, 2, 3000);
    ASSERT_EQ(c.size, 14);
    EXPECT_EQ(bytesOf(c),
              (std::vector<int>{
                  0xFA, 0xAF, 0x01, 0x00, 0x18, 0x06, 0x01, 0x01, 0x01, 0x02, 0x02, 0xB8, 0x0B,
                  0x01 ^ 0x18 ^ 0x06 ^ 0x01 ^ 0x01 ^ 0x01 ^ 0x02 ^ 0x02 ^ 0xB8 ^ 0x0B}));
    EXPECT_EQ(bytesOf(setIdPacket(5)), (std::vector<int>{0xFA, 0xAF, 0xFF, 0x00, 0x04, 0x01, 0x01,
                                                         0x05, 0xFF ^ 0x04 ^ 0x01 ^ 0x01 ^ 0x05}));
    EXPECT_EQ(bytesOf(writeRomPacket(5)),
              (std::vector<int>{0xFA, 0xAF, 0x05, 0x40, 0xFF, 0x00, 0x00, 0x05 ^ 0x40 ^ 0xFF}));
    EXPECT_EQ(bytesOf(factoryResetPacket()),
              (std::vector<int>{0xFA, 0xAF, 0xFF, 0x10, 0xFF, 0xFF, 0x00, 0xEF}));
}

TEST(ServoPacketTest, PositionsAreSigned16BitLittleEndian)
{
    const ServoPacket p = goalPositionPacket(2, 1500);
    EXPECT_EQ(p.bytes[7], 0xDC);
    EXPECT_EQ(p.bytes[8], 0x05);
    const ServoPacket n = goalPositionPacket(2, -1500);
    EXPECT_EQ(n.bytes[7], 0x24);
    EXPECT_EQ(n.bytes[8], 0xFA);
    EXPECT_EQ(goalPositionPacket(3, -900).hex(), "FA AF 03 00 1E 02 01 7C FC 9E");
}

TEST(ServoPacketTest, BoardTextCommands)
{
    EXPECT_EQ(speedOutputCommand(0.5, -1), "PCP-50\n");
    EXPECT_EQ(speedOutputCommand(0.999, 1), "PCP99\n");
    EXPECT_EQ(speedOutputCommand(1.0, 0), "PCP0\n");
    EXPECT_EQ(sensorWaitCommand(2, 75, 10), "PCS27510\n");
    EXPECT_EQ(sensorWaitCommand(0, 5, 3), "PCS0053\n");
}

TEST(ServoPacketTest, DecodesWhatItBuildsAndSeesABadChecksum)
{
    ServoPacket p = goalPositionTimePacket(4, -300, 120);
    const uint8_t* b = p.bytes.data();
    EXPECT_EQ(servoPacketSize(b, 3), 0);
    ASSERT_EQ(servoPacketSize(b, p.size), 12);
    DecodedPacket d = decodeServoPacket(b, p.size);
    EXPECT_TRUE(d.checksumOk);
    EXPECT_EQ(d.servo, 4);
    EXPECT_EQ(d.reg, 0x1E);
    EXPECT_EQ(d.dataSize, 4);
    p.bytes[8] ^= 1;
    EXPECT_FALSE(decodeServoPacket(b, p.size).checksumOk);
    const uint8_t noise[] = {0x41, 0x54};
    EXPECT_EQ(servoPacketSize(noise, 2), -1);
    // A header promising more than any packet holds is refused, not awaited.
    const uint8_t huge[] = {0xFA, 0xAF, 1, 0, 0x1E, 0x40, 0x40};
    EXPECT_EQ(servoPacketSize(huge, 7), -1);
}

} // namespace
} // namespace vardo::devices
