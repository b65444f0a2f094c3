#pragma once
// Every key of VARDO.ini and option.ini in one table: which file, section,
// key name and default. Code reads settings by id through Settings, so a
// default is written down once and every reader agrees on it.
#include "common/message_sink.h"

#include <cstdint>
#include <span>
#include <string>
#include <utility>

namespace vardo {

enum class IniFile { Vardo, Option };
enum class ValueKind { Int, String, Colour };

// How an absent key gets its value when that is not a plain constant.
enum class DefaultRule {
    Fixed,
    ByUsbBaudRate, // defaultValue at 9600 baud, altDefault at any other [USB] BAUD_RATE
};

enum class SettingId : int {
    // VARDO.ini
    LayoutBgColor,
    LayoutPenColor,
    LayoutPenWidth,
    LayoutTrainSize,
    EventHomePositionRatio,
    EventEventColor,
    EventLinkColor,
    EventSelectColor,
    EventLinkWidth,
    EventSelectWidth,
    AutoEmergencyCount,
    AutoEmergencyRange,
    CaptureLoop,
    VectorPenColor,
    VectorPenWidth,
    SimulationSpeed,
    ServoComplianceSlope,
    ServoPunchRatio,
    ServoTorqueInterval,
    ApiCommInterval,
    DebugMenu,
    CalibrationDimensionCount,
    SpeechWord, // WORD1..WORD3

    // option.ini
    Agreement,
    LayoutSuppressMessage,
    LayoutTrainType,
    LayoutTrainCount,
    LayoutTrainConnect,
    LayoutTrainFile,   // TRAIN_FILE1..3
    LayoutTrainColor,  // TRAIN_COLOR1..3
    LayoutPointPosition, // POINT1_POSITION..POINT8_POSITION
    UsbSuppressMessage,
    UsbComNo,
    UsbBaudRate,
    UsbWaitResponse,
    UsbWaitOpen,
    UsbPwmControl,
    UsbPwmInterval,
    UsbPwmRelay,
    UsbRelayId,
    UsbPointTime, // POINT_TIME1..8
    UsbCrossTime,
    UsbAutoReconnect,
    CaptureSuppressMessage,
    CaptureDevice,
    CaptureResolution,
    ViewDiffLevel,
    ViewCompareFrame,
    ViewEnableExcept,
    ViewFocusRange,
    EventPositionRange,
    EventHomeOffset,
    EventFileName,
    EventProgramFolder,
    EventFolderSort,
    EventFolderLoop,
    AutoEmergencyStop,
    AutoCheckControl,
    AutoControlRegion,
    CalibrationFilePath,
    CalibrationLoopCount,
    ControlSkin,
    SoundFile, // SOUND_FILE1..
    SpeechEnable,
    SpeechCommand, // COMMAND0..COMMAND24
    ServoComNo,
    ServoBaudRate,
    ServoSpeedServo,
    ServoTrainServo,
    ServoPointServo,
    ServoPoint2Servo,
    ServoPoint3Servo,
    ServoTurnServo,
    ServoTableServo,
    ServoMinSpeed,
    ServoMaxSpeed,
    ServoForwardTrain,
    ServoBackwardTrain,
    ServoStopTrain,
    ServoBranchPoint,
    ServoThroughPoint,
    ServoBranchPoint2,
    ServoThroughPoint2,
    ServoBranchPoint3,
    ServoThroughPoint3,
    ServoTableOn,
    ServoTableOff,
    ServoLinkTable,
    ServoAutoStop,
    ServoTurnSpeed,
    ServoTorqueOff,
    ServoTurnPoint, // TURN_POINT1..4
    DebugLogPosition,
    DebugCapture,
    DebugUsb,
    SerialDevice, // COM1..COM256: the device a COM number opens

    Count
};

struct SettingKey {
    SettingId id;
    IniFile file;
    const char* section;
    const char* key; // a numbered family holds one "%d"
    ValueKind kind;
    const char* defaultValue;
    // Numbered families: the numbers that exist. Both 0 for a plain key.
    int firstNumber = 0;
    int lastNumber = 0;
    DefaultRule rule = DefaultRule::Fixed;
    const char* altDefault = nullptr; // see DefaultRule
    // The value a settings dialog falls back to when it rereads the file,
    // where that differs from the start-up default; nullptr otherwise.
    const char* dialogDefault = nullptr;

    bool numbered() const { return lastNumber != 0; }
};

// The whole table, in SettingId order.
std::span<const SettingKey> allSettings();
const SettingKey& settingKey(SettingId id);

// The key name: "PEN_WIDTH", or for a family the name with its number
// ("POINT3_POSITION"). Empty when the number does not fit the key (a plain
// key wants 0, a family a number in its range).
std::string settingName(SettingId id, int number = 0);

// Typed access by id over the two files. Reads go to the file on every call;
// absent keys take the table's default. VARDO.ini is never written.
class Settings {
public:
    Settings(std::string vardoIniPath, std::string optionIniPath);
    // For parts that are handed only option.ini: VARDO.ini keys read as
    // their defaults.
    static Settings ofOption(std::string optionIniPath)
    {
        return Settings({}, std::move(optionIniPath));
    }

    const std::string& path(IniFile file) const;

    int getInt(SettingId id, int number = 0) const;
    std::string getString(SettingId id, int number = 0) const;
    // The value a settings dialog shows: absent keys take the dialog default
    // where the table has one.
    std::string getDialogString(SettingId id, int number = 0) const;
    // A bad colour text is reported to the sink (warning) and gives -1.
    int32_t getColour(common::MessageSink& sink, SettingId id, int number = 0) const;

    // The default an absent key takes now (rules may read other keys).
    std::string defaultString(SettingId id) const;
    int defaultInt(SettingId id) const;

    // Writes one key of option.ini. False for VARDO.ini keys, for a number
    // outside the family, and when the file cannot be written.
    bool write(SettingId id, const std::string& value, int number = 0) const;
    bool writeInt(SettingId id, int value, int number = 0) const;
    bool writeBool(SettingId id, bool value, int number = 0) const { return writeInt(id, value ? 1 : 0, number); }

    // The number a settings dialog shows: the dialog default when absent.
    int getDialogInt(SettingId id, int number = 0) const;

    // Sound files: [SOUND] SOUND_FILE<n> of option.ini, n from 1.
    std::string soundFile(int number) const;
    bool setSoundFile(int number, const std::string& value) const;

private:
    std::string vardoIni_;
    std::string optionIni_;
};

} // namespace vardo
