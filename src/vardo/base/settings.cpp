#include "vardo/base/settings.h"

#include "common/colour.h"
#include "common/profile.h"

#include <array>
#include <cstdio>
#include <cstdlib>

namespace vardo {

namespace {

using enum SettingId;
constexpr IniFile V = IniFile::Vardo;
constexpr IniFile O = IniFile::Option;
constexpr ValueKind I = ValueKind::Int;
constexpr ValueKind S = ValueKind::String;
constexpr ValueKind C = ValueKind::Colour;

constexpr SettingKey key(SettingId id, IniFile f, const char* section, const char* name, ValueKind kind,
                         const char* def)
{
    return SettingKey{id, f, section, name, kind, def};
}

constexpr SettingKey family(SettingId id, IniFile f, const char* section, const char* name,
                            ValueKind kind, const char* def, int first, int last)
{
    return SettingKey{id, f, section, name, kind, def, first, last};
}

// A servo key whose settings dialog rereads it with another default.
constexpr SettingKey servo(SettingId id, const char* name, const char* def, const char* dialog)
{
    return SettingKey{id, O, "SERVO", name, I, def, 0, 0, DefaultRule::Fixed, nullptr, dialog};
}

constexpr SettingKey byBaud(SettingId id, const char* name, const char* at9600, const char* other)
{
    return SettingKey{id, O, "USB", name, I, at9600, 0, 0, DefaultRule::ByUsbBaudRate, other};
}

constexpr std::array<SettingKey, size_t(Count)> kTable = {{
    key(LayoutBgColor, V, "LAYOUT", "BG_COLOR", C, "#FFF9BD"),
    key(LayoutPenColor, V, "LAYOUT", "PEN_COLOR", C, "#0000FF"),
    key(LayoutPenWidth, V, "LAYOUT", "PEN_WIDTH", I, "2"),
    key(LayoutTrainSize, V, "LAYOUT", "TRAIN_SIZE", S, "100,20"),
    key(EventHomePositionRatio, V, "EVENT", "HOME_POSITION_RATIO", I, "75"),
    key(EventEventColor, V, "EVENT", "EVENT_COLOR", C, "#FFF9BD"),
    key(EventLinkColor, V, "EVENT", "LINK_COLOR", C, "#0000FF"),
    key(EventSelectColor, V, "EVENT", "SELECT_COLOR", C, "#00FF00"),
    key(EventLinkWidth, V, "EVENT", "LINK_WIDTH", I, "1"),
    key(EventSelectWidth, V, "EVENT", "SELECT_WIDTH", I, "2"),
    key(AutoEmergencyCount, V, "AUTO", "EMERGENCY_COUNT", I, "15"),
    key(AutoEmergencyRange, V, "AUTO", "EMERGENCY_RANGE", I, "100"),
    key(CaptureLoop, V, "CAPTURE", "LOOP", I, "1"),
    key(VectorPenColor, V, "VECTOR", "PEN_COLOR", C, "#FF0000"),
    key(VectorPenWidth, V, "VECTOR", "PEN_WIDTH", I, "2"),
    key(SimulationSpeed, V, "SIMULATION", "SPEED", I, "2"),
    key(ServoComplianceSlope, V, "SERVO", "COMPLIANCE_SLOPE", I, "2"),
    key(ServoPunchRatio, V, "SERVO", "PUNCH_RETIO", I, "3000"),
    key(ServoTorqueInterval, V, "SERVO", "TORQUE_INTERVAL", I, "1000"),
    key(ApiCommInterval, V, "API", "COMM_INTERVAL", I, "100"),
    key(DebugMenu, V, "DEBUG", "MENU", I, "0"),
    key(CalibrationDimensionCount, V, "CALIBRATION", "DIMENSION_COUNT", I, "10"),
    family(SpeechWord, V, "SPEECH", "WORD%d", S, "", 1, 3),

    key(Agreement, O, "AGREEMENT", "AGREEMENT", I, "0"),
    key(LayoutSuppressMessage, O, "LAYOUT", "SURPRESS_MESSAGE", I, "0"),
    key(LayoutTrainType, O, "LAYOUT", "TRAIN_TYPE", I, "0"),
    key(LayoutTrainCount, O, "LAYOUT", "TRAIN_COUNT", I, "1"),
    key(LayoutTrainConnect, O, "LAYOUT", "TRAIN_CONNECT", I, "1"),
    family(LayoutTrainFile, O, "LAYOUT", "TRAIN_FILE%d", S, "", 1, 3),
    // The colour chooser starts from a lighter grey when the key is absent.
    SettingKey{LayoutTrainColor, O, "LAYOUT", "TRAIN_COLOR%d", C, "#808080", 1, 3,
               DefaultRule::Fixed, nullptr, "#A0A0A0"},
    family(LayoutPointPosition, O, "LAYOUT", "POINT%d_POSITION", S, "", 1, 8),
    key(UsbSuppressMessage, O, "USB", "SURPRESS_MESSAGE", I, "0"),
    key(UsbComNo, O, "USB", "COM_NO", I, "0"),
    key(UsbBaudRate, O, "USB", "BAUD_RATE", I, "9600"),
    byBaud(UsbWaitResponse, "WAIT_RESPONSE", "1", "0"),
    byBaud(UsbWaitOpen, "WAIT_OPEN", "0", "2000"),
    key(UsbPwmControl, O, "USB", "PWM_CONTROL", I, "0"),
    key(UsbPwmInterval, O, "USB", "PWM_INTERVAL", I, "40"),
    key(UsbPwmRelay, O, "USB", "PWM_RELAY", S, "89"),
    key(UsbRelayId, O, "USB", "RELAY_ID", S, "0123456789"),
    family(UsbPointTime, O, "USB", "POINT_TIME%d", I, "2", 1, 8),
    key(UsbCrossTime, O, "USB", "CROSS_TIME", I, "8"),
    // Off keeps a lost board lost until the next reconnection attempt of an action.
    key(UsbAutoReconnect, O, "USB", "AUTO_RECONNECT", I, "0"),
    key(CaptureSuppressMessage, O, "CAPTURE", "SURPRESS_MESSAGE", I, "0"),
    key(CaptureDevice, O, "CAPTURE", "DEVICE", I, "-1"),
    key(CaptureResolution, O, "CAPTURE", "RESOLUTION", S, "320,240"),
    key(ViewDiffLevel, O, "VIEW", "DIFF_LEVEL", I, "85"),
    key(ViewCompareFrame, O, "VIEW", "COMPARE_FRAME", I, "1"),
    key(ViewEnableExcept, O, "VIEW", "ENABLE_EXCEPT", I, "1"),
    key(ViewFocusRange, O, "VIEW", "FOCUS_RANGE", I, "10000"),
    key(EventPositionRange, O, "EVENT", "POSITION_RANGE", I, "32"),
    key(EventHomeOffset, O, "EVENT", "HOME_OFFSET", I, "16"),
    key(EventFileName, O, "EVENT", "FILE_NAME", S, ""),
    key(EventProgramFolder, O, "EVENT", "PROGRAM_FOLDER", S, ""),
    key(EventFolderSort, O, "EVENT", "FOLDER_SORT", I, "0"),
    key(EventFolderLoop, O, "EVENT", "FOLDER_LOOP", I, "0"),
    key(AutoEmergencyStop, O, "AUTO", "EMERGENCY_STOP", I, "1"),
    key(AutoCheckControl, O, "AUTO", "CHECK_CONTROL", I, "1"),
    key(AutoControlRegion, O, "AUTO", "CONTROL_REGION", I, "1"),
    key(CalibrationFilePath, O, "CALIBRATION", "FILE_PATH", S, ""),
    key(CalibrationLoopCount, O, "CALIBRATION", "LOOP_COUNT", I, "1"),
    key(ControlSkin, O, "CONTROL", "SKIN", I, "1"),
    family(SoundFile, O, "SOUND", "SOUND_FILE%d", S, "", 1, 1024),
    key(SpeechEnable, O, "SPEECH", "ENABLE", I, "0"),
    family(SpeechCommand, O, "SPEECH", "COMMAND%d", S, "", 0, 24),
    key(ServoComNo, O, "SERVO", "COM_NO", I, "0"),
    key(ServoBaudRate, O, "SERVO", "BAUD_RATE", I, "115200"),
    servo(ServoSpeedServo, "SPEED_SERVO", "6", nullptr),
    servo(ServoTrainServo, "TRAIN_SERVO", "2", nullptr),
    servo(ServoPointServo, "POINT_SERVO", "3", nullptr),
    servo(ServoPoint2Servo, "POINT2_SERVO", "4", nullptr),
    servo(ServoPoint3Servo, "POINT3_SERVO", "5", nullptr),
    servo(ServoTurnServo, "TURN_SERVO", "1", nullptr),
    servo(ServoTableServo, "TABLE_SERVO", "6", nullptr),
    servo(ServoMinSpeed, "MIN_SPEED", "100", "-40"),
    servo(ServoMaxSpeed, "MAX_SPEED", "-100", nullptr),
    servo(ServoForwardTrain, "FORWARD_TRAIN", "90", nullptr),
    servo(ServoBackwardTrain, "BACKWARD_TRAIN", "-90", nullptr),
    servo(ServoStopTrain, "STOP_TRAIN", "0", nullptr),
    servo(ServoBranchPoint, "BRANCH_POINT", "-90", "90"),
    servo(ServoThroughPoint, "THROUGH_POINT", "90", "-90"),
    servo(ServoBranchPoint2, "BRANCH_POINT2", "-90", "90"),
    servo(ServoThroughPoint2, "THROUGH_POINT2", "90", "-90"),
    servo(ServoBranchPoint3, "BRANCH_POINT3", "-90", "90"),
    servo(ServoThroughPoint3, "THROUGH_POINT3", "90", "-90"),
    servo(ServoTableOn, "TABLE_ON", "90", nullptr),
    servo(ServoTableOff, "TABLE_OFF", "0", nullptr),
    servo(ServoLinkTable, "LINK_TABLE", "0", nullptr),
    servo(ServoAutoStop, "AUTO_STOP", "2", nullptr),
    servo(ServoTurnSpeed, "TURN_SPEED", "2000", "0"),
    servo(ServoTorqueOff, "TORQUE_OFF", "1", nullptr),
    family(ServoTurnPoint, O, "SERVO", "TURN_POINT%d", S, "0,0,0,0,0,", 1, 4),
    key(DebugLogPosition, O, "DEBUG", "LOG_POSITION", I, "0"),
    key(DebugCapture, O, "DEBUG", "CAPTURE", S, ""),
    key(DebugUsb, O, "DEBUG", "USB", I, "0"),
    family(SerialDevice, O, "SERIAL", "COM%d", S, "", 1, 256),
}};

// The table is indexed by id; a row out of place would give a wrong key.
constexpr bool tableInOrder()
{
    for (size_t i = 0; i < kTable.size(); ++i) {
        if (size_t(kTable[i].id) != i)
            return false;
    }
    return true;
}
static_assert(tableInOrder(), "settings table rows must follow SettingId order");

} // namespace

std::span<const SettingKey> allSettings()
{
    return kTable;
}

const SettingKey& settingKey(SettingId id)
{
    return kTable[size_t(id)];
}

std::string settingName(SettingId id, int number)
{
    const SettingKey& k = settingKey(id);
    if (!k.numbered())
        return number == 0 ? std::string(k.key) : std::string();
    if (number < k.firstNumber || number > k.lastNumber)
        return {};
    std::string name = k.key;
    size_t at = name.find("%d");
    return name.replace(at, 2, std::to_string(number));
}

Settings::Settings(std::string vardoIniPath, std::string optionIniPath)
    : vardoIni_(std::move(vardoIniPath)), optionIni_(std::move(optionIniPath))
{
}

const std::string& Settings::path(IniFile file) const
{
    return file == IniFile::Vardo ? vardoIni_ : optionIni_;
}

std::string Settings::defaultString(SettingId id) const
{
    const SettingKey& k = settingKey(id);
    if (k.rule == DefaultRule::ByUsbBaudRate && getInt(UsbBaudRate) != 9600)
        return k.altDefault;
    return k.defaultValue;
}

int Settings::defaultInt(SettingId id) const
{
    return std::atoi(defaultString(id).c_str());
}

int Settings::getInt(SettingId id, int number) const
{
    const SettingKey& k = settingKey(id);
    std::string name = settingName(id, number);
    if (name.empty())
        return defaultInt(id);
    // Only a present key is read, so a rule's other key is read only when needed.
    if (!common::Profile::hasKey(path(k.file), k.section, name))
        return defaultInt(id);
    return common::Profile::getInt(path(k.file), k.section, name, 0);
}

std::string Settings::getString(SettingId id, int number) const
{
    const SettingKey& k = settingKey(id);
    std::string name = settingName(id, number);
    if (name.empty())
        return defaultString(id);
    return common::Profile::getString(path(k.file), k.section, name, defaultString(id));
}

int32_t Settings::getColour(common::MessageSink& sink, SettingId id, int number) const
{
    const SettingKey& k = settingKey(id);
    std::string name = settingName(id, number);
    if (name.empty())
        return common::parseColour(k.defaultValue);
    return common::readColour(sink, path(k.file), k.section, name, k.defaultValue);
}

std::string Settings::getDialogString(SettingId id, int number) const
{
    const SettingKey& k = settingKey(id);
    if (!k.dialogDefault)
        return getString(id, number);
    std::string name = settingName(id, number);
    if (name.empty())
        return k.dialogDefault;
    return common::Profile::getString(path(k.file), k.section, name, k.dialogDefault);
}

bool Settings::write(SettingId id, const std::string& value, int number) const
{
    const SettingKey& k = settingKey(id);
    std::string name = settingName(id, number);
    if (k.file != IniFile::Option || name.empty())
        return false;
    return common::Profile::writeString(optionIni_, k.section, name, value);
}

bool Settings::writeInt(SettingId id, int value, int number) const
{
    return write(id, std::to_string(value), number);
}

int Settings::getDialogInt(SettingId id, int number) const
{
    const SettingKey& k = settingKey(id);
    if (!k.dialogDefault)
        return getInt(id, number);
    std::string name = settingName(id, number);
    if (name.empty() || !common::Profile::hasKey(path(k.file), k.section, name))
        return std::atoi(k.dialogDefault);
    return common::Profile::getInt(path(k.file), k.section, name, 0);
}


std::string Settings::soundFile(int number) const
{
    return getString(SettingId::SoundFile, number);
}

bool Settings::setSoundFile(int number, const std::string& value) const
{
    return write(SettingId::SoundFile, value, number);
}

} // namespace vardo
