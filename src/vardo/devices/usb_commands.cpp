#include "vardo/devices/usb_commands.h"

#include "vardo/devices/usb_settings.h"

#include <cstdio>

namespace vardo::devices {

namespace {

// Skin whose panel drives option relay 9 with the last pair of actions.
constexpr int kRelaySkin = 4;
constexpr int kSkinRelay = 9;

} // namespace

std::string relayPairCommand(char a, bool onA, char b, bool onB)
{
    std::string s = "PCR";
    s += a;
    s += onA ? '1' : '0';
    s += 'R';
    s += b;
    s += onB ? '1' : '0';
    s += '\r';
    return s;
}

std::string relayCommand(char relay, bool on)
{
    std::string s = "PCR";
    s += relay;
    s += on ? '1' : '0';
    s += '\r';
    return s;
}

std::string pulseCommand(char relay, int tenths)
{
    char digits[8];
    std::snprintf(digits, sizeof digits, "%03d", tenths < 0 ? 0 : tenths % 1000);
    return std::string("PCT") + relay + digits + '\r';
}

ActionCommand actionCommand(int code, const UsbSettings& s, int skin, bool drivesBarrier)
{
    const char forward = s.relayChar(1);
    const char backward = s.relayChar(2);
    switch (code) {
    case 0:
        return {relayPairCommand(forward, false, backward, false)};
    case 1:
        return {relayPairCommand(forward, true, backward, false)};
    case 2:
        return {relayPairCommand(forward, false, backward, true)};
    default:
        break;
    }
    if (code < 3 || code > 10)
        return {};
    if (const int relay = actionRelay(code, skin))
        return {relayCommand(s.relayChar(relay), code == 10)};
    const int k = pulsePoint(code);
    const int tenths = drivesBarrier ? s.crossTime : s.pointTime[static_cast<size_t>(k)];
    return {pulseCommand(s.relayChar(pulseRelay(code)), tenths), k};
}

int actionRelay(int code, int skin)
{
    return (code == 9 || code == 10) && skin == kRelaySkin ? kSkinRelay : 0;
}

bool isOkReply(const std::string& r)
{
    auto okAt = [&r](size_t i) { return r.size() >= i + 2 && r[i] == 'O' && r[i + 1] == 'K'; };
    return okAt(0) || okAt(2);
}

} // namespace vardo::devices
