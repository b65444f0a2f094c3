#pragma once
// The settings of the USB I/O controller, option.ini sections [USB] and
// [DEBUG]. Read at initialisation and again on reconnection.
#include <array>
#include <string>

namespace vardo::devices {

struct UsbSettings {
    static constexpr int kRelayCount = 10;
    static constexpr int kMaxPoints = 8;
    static constexpr int kMinPwmInterval = 10;

    int comNo = 0;
    int baudRate = 9600;
    bool waitResponse = true;
    int waitOpenMs = 0;
    // Tenths of a second per point, kept within the 3-digit command field.
    std::array<int, kMaxPoints> pointTime{2, 2, 2, 2, 2, 2, 2, 2};
    int crossTime = 8;
    // Character naming relay n is relayId[n - 1].
    std::array<char, kRelayCount> relayId{'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};
    bool pwmControl = false;
    int pwmIntervalMs = 40;
    char pwmForward = '8';
    char pwmBackward = '9';
    bool debugLog = false;
    // Keep trying in the background when the board is lost.
    bool autoReconnect = false;

    char relayChar(int relay) const { return relayId[static_cast<size_t>(relay - 1)]; }

    static UsbSettings load(const std::string& optionIni);
};

} // namespace vardo::devices
