#pragma once
// The extended interface's settings: option.ini [SERVO] and VARDO.ini
// [SERVO]. A servo setting byte has bit 7 set when the extended interface
// drives that output; its low seven bits are the servo ID.
#include "vardo/base/settings.h"

#include <array>
#include <string>

namespace vardo::devices {

inline constexpr int kServoEnabled = 0x80;
inline constexpr int kMaxServoId = 8;
inline constexpr int kServoPoints = 3;
inline constexpr int kTurnTracks = 5;
inline constexpr int kTurnRows = 4;
inline constexpr int kMinServoAngle = -150;
inline constexpr int kMaxServoAngle = 150;
inline constexpr int kMinTurnPoint = -1500; // 0.1 degree
inline constexpr int kMaxTurnPoint = 1500;

inline bool servoEnabled(int setting)
{
    return (setting & kServoEnabled) != 0;
}
inline int servoId(int setting)
{
    return setting & 0x7F;
}
// Enabled with a servo ID: a servo moves (ID 0 means the board's own output).
inline bool servoDriven(int setting)
{
    return servoEnabled(setting) && servoId(setting) != 0;
}

struct ServoSettings {
    using TurnRow = std::array<int, kTurnTracks>;

    int comNo = 0;
    int baudRate = 115200;
    int speedServo = 6;
    int trainServo = 2;
    std::array<int, kServoPoints> pointServo{3, 4, 5};
    int turnServo = 1;
    int tableServo = 6;
    int minSpeed = 100;
    int maxSpeed = -100;
    int forwardTrain = 90;
    int backwardTrain = -90;
    int stopTrain = 0;
    std::array<int, kServoPoints> branchPoint{-90, -90, -90};
    std::array<int, kServoPoints> throughPoint{90, 90, 90};
    int tableOn = 90;
    int tableOff = 0;
    bool linkTable = false;
    int autoStop = 2;
    int turnSpeed = 2000; // 10 ms units for a full turn
    bool torqueOff = true;
    // Rows 1..4: forward/reverse rotation, front/back; tracks 1..5.
    std::array<TurnRow, kTurnRows> turnPoint{};
    // VARDO.ini
    int complianceSlope = 2;
    int punchRatio = 3000;
    int torqueIntervalMs = 1000;

    // Start-up defaults, or the settings dialog's where they differ.
    static ServoSettings load(const Settings& settings, bool dialogDefaults = false);
    // Writes every option.ini key the settings dialog owns.
    bool save(const Settings& settings) const;
};

// "a,b,c,d,e," into five values within -1500..1500; missing ones are 0.
ServoSettings::TurnRow parseTurnRow(const std::string& text);
// Five values each as "%d,".
std::string formatTurnRow(const ServoSettings::TurnRow& row);

} // namespace vardo::devices
