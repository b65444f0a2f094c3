#pragma once
// Short packets of the serial-bus servos and the extended interface
// board's two text commands. A packet is FA AF, servo ID, flag, register,
// length per servo, count, the data, and an XOR checksum of everything from
// the ID up to the byte before it. Values are little-endian.
#include <array>
#include <cstdint>
#include <string>

namespace vardo::devices {

struct ServoPacket {
    static constexpr int kCapacity = 16;
    std::array<uint8_t, kCapacity> bytes{};
    int size = 0;

    std::string text() const
    {
        return std::string(reinterpret_cast<const char*>(bytes.data()), size_t(size));
    }
    // "FA AF 03 ..." for a person to read.
    std::string hex() const;
};

inline constexpr uint8_t kAllServos = 0xFF;

namespace servo_register {
inline constexpr uint8_t NewId = 0x04;
inline constexpr uint8_t Compliance = 0x18;
inline constexpr uint8_t GoalPosition = 0x1E;
inline constexpr uint8_t Torque = 0x24;
inline constexpr uint8_t Rom = 0xFF;
} // namespace servo_register

namespace servo_flag {
inline constexpr uint8_t WriteRom = 0x40;
inline constexpr uint8_t FactoryReset = 0x10;
} // namespace servo_flag

// XOR of bytes 2 .. n-1 of the first n bytes.
uint8_t servoChecksum(const uint8_t* bytes, int n);

ServoPacket torquePacket(int id, bool on);
// position in 0.1 degree (angle x 10).
ServoPacket goalPositionPacket(int id, int position);
// time in 10 ms units.
ServoPacket goalPositionTimePacket(int id, int position, int time);
ServoPacket compliancePacket(int id, int slope, int punch);
ServoPacket setIdPacket(int newId);
ServoPacket writeRomPacket(int id);
ServoPacket factoryResetPacket();

// "PCP%d\n": trunc(fraction x 100) x direction.
std::string speedOutputCommand(double fraction, int direction);
// "PCS%c%02d%d\n": sensor character '0' + index, ratio, timeout in s.
std::string sensorWaitCommand(int index, int ratio, int timeoutSeconds);

// One packet as read off the line.
struct DecodedPacket {
    int servo = 0;
    int flag = 0;
    int reg = 0;
    int length = 0;
    int count = 0;
    std::array<uint8_t, ServoPacket::kCapacity> data{};
    int dataSize = 0;
    bool checksumOk = false;
};

// The size of the packet that starts at bytes (FA AF), from its header;
// 0 while fewer than 7 bytes are there, -1 when it is no packet or longer
// than any packet this system sends.
int servoPacketSize(const uint8_t* bytes, int available);
// Decodes a whole packet of servoPacketSize bytes.
DecodedPacket decodeServoPacket(const uint8_t* bytes, int size);

} // namespace vardo::devices
