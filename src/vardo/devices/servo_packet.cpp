#include "vardo/devices/servo_packet.h"

#include <cmath>
#include <cstdio>

namespace vardo::devices {

namespace {

constexpr uint8_t kHeader0 = 0xFA;
constexpr uint8_t kHeader1 = 0xAF;
constexpr int kHeaderSize = 7;

// Header, data and checksum of a packet to one servo (or all).
ServoPacket makePacket(int id, uint8_t flag, uint8_t reg, uint8_t length, uint8_t count,
                       std::initializer_list<uint8_t> data)
{
    ServoPacket p;
    const uint8_t head[kHeaderSize] = {kHeader0, kHeader1, uint8_t(id), flag, reg, length, count};
    for (uint8_t b : head)
        p.bytes[size_t(p.size++)] = b;
    for (uint8_t b : data)
        p.bytes[size_t(p.size++)] = b;
    p.bytes[size_t(p.size)] = servoChecksum(p.bytes.data(), p.size);
    ++p.size;
    return p;
}

uint8_t lo(int v)
{
    return uint8_t(uint16_t(int16_t(v)) & 0xFF);
}
uint8_t hi(int v)
{
    return uint8_t(uint16_t(int16_t(v)) >> 8);
}

} // namespace

std::string ServoPacket::hex() const
{
    std::string out;
    char part[4];
    for (int i = 0; i < size; ++i) {
        std::snprintf(part, sizeof part, i ? " %02X" : "%02X", bytes[size_t(i)]);
        out += part;
    }
    return out;
}

uint8_t servoChecksum(const uint8_t* bytes, int n)
{
    uint8_t sum = 0;
    for (int i = 2; i < n; ++i)
        sum ^= bytes[i];
    return sum;
}

ServoPacket torquePacket(int id, bool on)
{
    return makePacket(id, 0, servo_register::Torque, 1, 1, {uint8_t(on ? 1 : 0)});
}

ServoPacket goalPositionPacket(int id, int position)
{
    return makePacket(id, 0, servo_register::GoalPosition, 2, 1, {lo(position), hi(position)});
}

ServoPacket goalPositionTimePacket(int id, int position, int time)
{
    return makePacket(id, 0, servo_register::GoalPosition, 4, 1,
                      {lo(position), hi(position), lo(time), hi(time)});
}

ServoPacket compliancePacket(int id, int slope, int punch)
{
    return makePacket(id, 0, servo_register::Compliance, 6, 1,
                      {1, 1, uint8_t(slope), uint8_t(slope), lo(punch), hi(punch)});
}

ServoPacket setIdPacket(int newId)
{
    return makePacket(kAllServos, 0, servo_register::NewId, 1, 1, {uint8_t(newId)});
}

ServoPacket writeRomPacket(int id)
{
    return makePacket(id, servo_flag::WriteRom, servo_register::Rom, 0, 0, {});
}

ServoPacket factoryResetPacket()
{
    return makePacket(kAllServos, servo_flag::FactoryReset, servo_register::Rom, 0xFF, 0, {});
}

std::string speedOutputCommand(double fraction, int direction)
{
    const int value = int(std::trunc(fraction * 100)) * direction;
    return "PCP" + std::to_string(value) + "\n";
}

std::string sensorWaitCommand(int index, int ratio, int timeoutSeconds)
{
    char text[48];
    std::snprintf(text, sizeof text, "PCS%c%02d%d\n", char('0' + index), ratio, timeoutSeconds);
    return text;
}

int servoPacketSize(const uint8_t* bytes, int available)
{
    if (available >= 1 && bytes[0] != kHeader0)
        return -1;
    if (available >= 2 && bytes[1] != kHeader1)
        return -1;
    if (available < kHeaderSize)
        return 0;
    const int size = kHeaderSize + bytes[5] * bytes[6] + 1;
    return size <= ServoPacket::kCapacity ? size : -1;
}

DecodedPacket decodeServoPacket(const uint8_t* bytes, int size)
{
    DecodedPacket d;
    d.servo = bytes[2];
    d.flag = bytes[3];
    d.reg = bytes[4];
    d.length = bytes[5];
    d.count = bytes[6];
    d.dataSize = size - kHeaderSize - 1;
    for (int i = 0; i < d.dataSize; ++i)
        d.data[size_t(i)] = bytes[kHeaderSize + i];
    d.checksumOk = servoChecksum(bytes, size - 1) == bytes[size - 1];
    return d;
}

} // namespace vardo::devices
