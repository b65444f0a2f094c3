#include "servo_bus.h"

#include <cstdio>

namespace boardsim {

namespace {

constexpr int kHeader = 7;
constexpr int kLongest = 64;
constexpr int kTorqueRegister = 0x24;
constexpr int kPositionRegister = 0x1E;

// A received text as a JSON string: it may hold any byte the line carried.
std::string jsonText(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c >= 0x7f) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

int signed16(uint8_t lo, uint8_t hi)
{
    return int(int16_t(uint16_t(lo | (hi << 8))));
}

} // namespace

int packetSize(const uint8_t* bytes, int available)
{
    if ((available >= 1 && bytes[0] != 0xFA) || (available >= 2 && bytes[1] != 0xAF))
        return -1;
    if (available < kHeader)
        return 0;
    const int size = kHeader + bytes[5] * bytes[6] + 1;
    return size <= kLongest ? size : -1;
}

ServoRecord decodePacket(const uint8_t* b, int size, std::array<ServoState, kServoIds>& servos)
{
    ServoRecord r;
    r.packet = true;
    char part[4];
    for (int i = 0; i < size; ++i) {
        std::snprintf(part, sizeof part, i ? " %02X" : "%02X", b[i]);
        r.hex += part;
    }
    uint8_t sum = 0;
    for (int i = 2; i < size - 1; ++i)
        sum ^= b[i];
    r.checksumOk = sum == b[size - 1];
    r.servo = b[2];
    r.flag = b[3];
    r.reg = b[4];
    const int length = b[5];
    const uint8_t* data = b + kHeader;
    if (r.flag == 0 && r.reg == kTorqueRegister && length >= 1) {
        r.torque = data[0] ? 1 : 0;
    } else if (r.flag == 0 && r.reg == kPositionRegister && length >= 2) {
        r.hasPosition = true;
        r.position = signed16(data[0], data[1]);
        if (length >= 4) {
            r.hasTime = true;
            r.time = signed16(data[2], data[3]);
        }
    }
    // A servo ignores a packet whose checksum is wrong.
    if (!r.checksumOk)
        return r;
    auto apply = [&](ServoState& s) {
        ++s.writes;
        if (r.torque >= 0)
            s.torque = r.torque == 1;
        if (r.hasPosition) {
            s.position = r.position;
            s.time = r.hasTime ? r.time : 0;
        }
    };
    if (r.servo == 0xFF) {
        for (auto& s : servos)
            apply(s);
    } else {
        apply(servos[size_t(r.servo)]);
    }
    return r;
}

std::string formatServoRecord(const ServoRecord& r, bool json)
{
    char buf[256];
    if (!r.packet) {
        if (json) {
            std::snprintf(buf, sizeof buf, "{\"t_ms\":%ld,\"text\":", r.tMs);
            return buf + jsonText(r.text) + "}";
        }
        std::snprintf(buf, sizeof buf, "%8ld ms  %s", r.tMs, r.text.c_str());
        return buf;
    }
    std::string extra;
    if (r.torque >= 0)
        extra += json ? ",\"torque\":" + std::to_string(r.torque)
                      : "  torque " + std::to_string(r.torque);
    if (r.hasPosition)
        extra += json ? ",\"position\":" + std::to_string(r.position)
                      : "  position " + std::to_string(r.position);
    if (r.hasTime)
        extra += json ? ",\"time\":" + std::to_string(r.time) : "  time " + std::to_string(r.time);
    if (json) {
        std::snprintf(buf, sizeof buf,
                      "{\"t_ms\":%ld,\"servo\":%d,\"flag\":%d,\"register\":%d,\"bytes\":\"%s\"",
                      r.tMs, r.servo, r.flag, r.reg, r.hex.c_str());
        return buf + extra + ",\"checksumOk\":" + (r.checksumOk ? "true" : "false") + "}";
    }
    std::snprintf(buf, sizeof buf, "%8ld ms  servo %d flag 0x%02X register 0x%02X", r.tMs, r.servo,
                  r.flag, r.reg);
    return buf + extra + "  [" + r.hex + "]" + (r.checksumOk ? "" : "  BAD CHECKSUM");
}

} // namespace boardsim
