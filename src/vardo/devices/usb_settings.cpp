#include "vardo/devices/usb_settings.h"

#include "common/profile.h"

#include <algorithm>

namespace vardo::devices {

namespace {

using common::Profile;

constexpr int kMaxPulse = 999;

// A short or empty text keeps the default characters for the missing places.
template <size_t N>
void takeChars(const std::string& text, std::array<char, N>& out)
{
    for (size_t i = 0; i < N && i < text.size(); ++i)
        out[i] = text[i];
}

int pulseLength(int value) { return std::clamp(value, 0, kMaxPulse); }

} // namespace

UsbSettings UsbSettings::load(const std::string& ini)
{
    UsbSettings s;
    s.comNo = Profile::getInt(ini, "USB", "COM_NO", 0);
    s.baudRate = Profile::getInt(ini, "USB", "BAUD_RATE", 9600);
    const bool slowLine = s.baudRate == 9600;
    s.waitResponse = Profile::getInt(ini, "USB", "WAIT_RESPONSE", slowLine ? 1 : 0) != 0;
    s.waitOpenMs = std::max(0, Profile::getInt(ini, "USB", "WAIT_OPEN", slowLine ? 0 : 2000));
    for (int k = 0; k < kMaxPoints; ++k) {
        std::string key = "POINT_TIME" + std::to_string(k + 1);
        s.pointTime[static_cast<size_t>(k)] = pulseLength(Profile::getInt(ini, "USB", key, 2));
    }
    s.crossTime = pulseLength(Profile::getInt(ini, "USB", "CROSS_TIME", 8));
    takeChars(Profile::getString(ini, "USB", "RELAY_ID", "0123456789"), s.relayId);
    s.pwmControl = Profile::getInt(ini, "USB", "PWM_CONTROL", 0) == 1;
    s.pwmIntervalMs = std::max(kMinPwmInterval, Profile::getInt(ini, "USB", "PWM_INTERVAL", 40));
    std::array<char, 2> pwm{'8', '9'};
    takeChars(Profile::getString(ini, "USB", "PWM_RELAY", "89"), pwm);
    s.pwmForward = pwm[0];
    s.pwmBackward = pwm[1];
    s.debugLog = Profile::getInt(ini, "DEBUG", "USB", 0) == 1;
    return s;
}

} // namespace vardo::devices
