#include "vardo/devices/usb_settings.h"

#include "vardo/base/settings.h"

#include <algorithm>

namespace vardo::devices {

namespace {

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
    const Settings settings = Settings::ofOption(ini);
    s.comNo = settings.getInt(SettingId::UsbComNo);
    s.baudRate = settings.getInt(SettingId::UsbBaudRate);
    // The wait defaults follow the baud rate (the table's rule).
    s.waitResponse = settings.getInt(SettingId::UsbWaitResponse) != 0;
    s.waitOpenMs = std::max(0, settings.getInt(SettingId::UsbWaitOpen));
    for (int k = 0; k < kMaxPoints; ++k)
        s.pointTime[static_cast<size_t>(k)] =
            pulseLength(settings.getInt(SettingId::UsbPointTime, k + 1));
    s.crossTime = pulseLength(settings.getInt(SettingId::UsbCrossTime));
    takeChars(settings.getString(SettingId::UsbRelayId), s.relayId);
    s.pwmControl = settings.getInt(SettingId::UsbPwmControl) == 1;
    s.pwmIntervalMs = std::max(kMinPwmInterval, settings.getInt(SettingId::UsbPwmInterval));
    std::array<char, 2> pwm{'8', '9'};
    takeChars(settings.getString(SettingId::UsbPwmRelay), pwm);
    s.pwmForward = pwm[0];
    s.pwmBackward = pwm[1];
    s.debugLog = settings.getInt(SettingId::DebugUsb) == 1;
    s.autoReconnect = settings.getInt(SettingId::UsbAutoReconnect) == 1;
    return s;
}

} // namespace vardo::devices
