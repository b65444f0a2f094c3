#pragma once
// The extended interface side of the emulated board: serial-bus servo
// packets and the board's two text commands. Decodes packets on its own
// (checking the checksum) and keeps each servo's torque, goal position and
// move time.
#include <array>
#include <cstdint>
#include <string>

namespace boardsim {

constexpr int kServoIds = 256;

struct ServoRecord {
    long tMs = 0;
    bool packet = false;
    std::string text; // a text command without its newline
    std::string hex;  // a packet's bytes
    int servo = 0;
    int flag = 0;
    int reg = 0;
    int torque = -1; // 0/1 for a torque packet
    bool hasPosition = false;
    int position = 0; // 0.1 degree, signed
    bool hasTime = false;
    int time = 0; // 10 ms units
    bool checksumOk = false;
};

struct ServoState {
    bool torque = false;
    int position = 0;
    int time = 0;
    int writes = 0; // packets addressed to it
};

// Size of the packet at bytes: 0 while the header is incomplete, -1 when
// no packet can start here or it is longer than any servo packet.
int packetSize(const uint8_t* bytes, int available);
// Decodes a whole packet into a record and applies it to the servos.
ServoRecord decodePacket(const uint8_t* bytes, int size, std::array<ServoState, kServoIds>& servos);

std::string formatServoRecord(const ServoRecord& record, bool json);

} // namespace boardsim
