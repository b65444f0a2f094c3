#include "vardo/base/settings.h"

#include "common/colour.h"
#include "common/profile.h"
#include "recording_frontend.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <tuple>

namespace vardo {
namespace {

using testing::RecordingFrontend;
using testing::TempDir;

TEST(SettingsTableTest, KeysAreUniqueAndDefaultsWellFormed)
{
    std::set<std::tuple<IniFile, std::string, std::string>> seen;
    for (const SettingKey& k : allSettings()) {
        std::string key = k.key;
        EXPECT_TRUE(seen.insert({k.file, k.section, key}).second) << k.section << " " << key;
        EXPECT_EQ(key.find("%d") != std::string::npos, k.numbered()) << key;
        if (k.kind == ValueKind::Colour) {
            EXPECT_GE(common::parseColour(k.defaultValue), 0) << key;
        }
        if (k.kind == ValueKind::Int) {
            char* end = nullptr;
            std::strtol(k.defaultValue, &end, 10);
            EXPECT_TRUE(*k.defaultValue && *end == '\0') << key << "=" << k.defaultValue;
        }
    }
}

TEST(SettingsTableTest, NumberedNamesStayInTheirRange)
{
    EXPECT_EQ(settingName(SettingId::LayoutPenWidth), "PEN_WIDTH");
    EXPECT_EQ(settingName(SettingId::LayoutPenWidth, 1), "");
    EXPECT_EQ(settingName(SettingId::LayoutPointPosition, 1), "POINT1_POSITION");
    EXPECT_EQ(settingName(SettingId::LayoutPointPosition, 8), "POINT8_POSITION");
    EXPECT_EQ(settingName(SettingId::LayoutPointPosition, 9), "");
    EXPECT_EQ(settingName(SettingId::LayoutPointPosition, 0), "");
    EXPECT_EQ(settingName(SettingId::LayoutTrainFile, 3), "TRAIN_FILE3");
    EXPECT_EQ(settingName(SettingId::LayoutTrainFile, 4), "");
    EXPECT_EQ(settingName(SettingId::SoundFile, 12), "SOUND_FILE12");
    EXPECT_EQ(settingName(SettingId::SpeechCommand, 0), "COMMAND0");
    EXPECT_EQ(settingName(SettingId::SpeechCommand, 25), "");
    EXPECT_EQ(settingName(SettingId::ServoTurnPoint, 4), "TURN_POINT4");
}

class SettingsTest : public ::testing::Test {
protected:
    TempDir dir;
    Settings settings{dir.file("VARDO.ini"), dir.file("option.ini")};
};

TEST_F(SettingsTest, AbsentFilesGiveTheDefaults)
{
    EXPECT_EQ(settings.getInt(SettingId::LayoutPenWidth), 2);
    EXPECT_EQ(settings.getInt(SettingId::CaptureDevice), -1);
    EXPECT_EQ(settings.getInt(SettingId::ViewFocusRange), 10000);
    EXPECT_EQ(settings.getInt(SettingId::ServoMaxSpeed), -100);
    EXPECT_EQ(settings.getInt(SettingId::UsbPointTime, 3), 2);
    EXPECT_EQ(settings.getString(SettingId::CaptureResolution), "320,240");
    EXPECT_EQ(settings.getString(SettingId::UsbRelayId), "0123456789");
    EXPECT_EQ(settings.getString(SettingId::ServoTurnPoint, 2), "0,0,0,0,0,");
    EXPECT_EQ(settings.getString(SettingId::LayoutTrainSize), "100,20");
    RecordingFrontend sink;
    EXPECT_EQ(settings.getColour(sink, SettingId::LayoutBgColor), common::makeColour(0xFF, 0xF9, 0xBD));
    EXPECT_EQ(settings.getColour(sink, SettingId::LayoutTrainColor, 2), common::makeColour(0x80, 0x80, 0x80));
    EXPECT_TRUE(sink.messages().empty());
}

TEST_F(SettingsTest, ValuesComeFromTheirOwnFileAndSection)
{
    dir.write("VARDO.ini", "[LAYOUT]\nPEN_WIDTH=5\n[VECTOR]\nPEN_COLOR=#00ff00\n");
    dir.write("option.ini", "[LAYOUT]\nPEN_WIDTH=9\nPOINT3_POSITION=120,44\n[SERVO]\nCOM_NO=3\n");
    EXPECT_EQ(settings.getInt(SettingId::LayoutPenWidth), 5);
    EXPECT_EQ(settings.getString(SettingId::LayoutPointPosition, 3), "120,44");
    EXPECT_EQ(settings.getString(SettingId::LayoutPointPosition, 2), "");
    EXPECT_EQ(settings.getInt(SettingId::ServoComNo), 3);
    EXPECT_EQ(settings.getInt(SettingId::UsbComNo), 0);
    RecordingFrontend sink;
    EXPECT_EQ(settings.getColour(sink, SettingId::VectorPenColor), common::makeColour(0, 0xFF, 0));
    EXPECT_EQ(settings.getColour(sink, SettingId::LayoutPenColor), common::makeColour(0, 0, 0xFF));
}

TEST_F(SettingsTest, BadColourIsReportedWithSectionAndKey)
{
    dir.write("option.ini", "[LAYOUT]\nTRAIN_COLOR2=grey\n");
    RecordingFrontend sink;
    EXPECT_EQ(settings.getColour(sink, SettingId::LayoutTrainColor, 2), -1);
    ASSERT_EQ(sink.messages().size(), 1u);
    EXPECT_EQ(sink.messages()[0].text,
              "INIファイル設定エラー:Section = \"LAYOUT\" Key = \"TRAIN_COLOR2\"");
    EXPECT_EQ(sink.messages()[0].icon, Icon::Warning);
}

TEST_F(SettingsTest, WaitDefaultsFollowTheBaudRate)
{
    EXPECT_EQ(settings.getInt(SettingId::UsbWaitResponse), 1);
    EXPECT_EQ(settings.getInt(SettingId::UsbWaitOpen), 0);
    dir.write("option.ini", "[USB]\nBAUD_RATE=115200\n");
    EXPECT_EQ(settings.getInt(SettingId::UsbWaitResponse), 0);
    EXPECT_EQ(settings.getInt(SettingId::UsbWaitOpen), 2000);
    dir.write("option.ini", "[USB]\nBAUD_RATE=115200\nWAIT_RESPONSE=1\nWAIT_OPEN=500\n");
    EXPECT_EQ(settings.getInt(SettingId::UsbWaitResponse), 1);
    EXPECT_EQ(settings.getInt(SettingId::UsbWaitOpen), 500);
}

TEST_F(SettingsTest, ServoDialogDefaultsDifferOnlyWhereStated)
{
    EXPECT_STREQ(settingKey(SettingId::ServoMinSpeed).dialogDefault, "-40");
    EXPECT_STREQ(settingKey(SettingId::ServoBranchPoint).dialogDefault, "90");
    EXPECT_STREQ(settingKey(SettingId::ServoThroughPoint3).dialogDefault, "-90");
    EXPECT_STREQ(settingKey(SettingId::ServoTurnSpeed).dialogDefault, "0");
    EXPECT_EQ(settingKey(SettingId::ServoMaxSpeed).dialogDefault, nullptr);
    EXPECT_EQ(settings.getInt(SettingId::ServoMinSpeed), 100);
    EXPECT_EQ(settings.getInt(SettingId::ServoTurnSpeed), 2000);
}

TEST_F(SettingsTest, WritesGoToOptionIniOnly)
{
    dir.write("VARDO.ini", "[LAYOUT]\nPEN_WIDTH=5\n");
    EXPECT_FALSE(settings.writeInt(SettingId::LayoutPenWidth, 7));
    EXPECT_EQ(settings.getInt(SettingId::LayoutPenWidth), 5);

    EXPECT_TRUE(settings.writeInt(SettingId::ControlSkin, 3));
    EXPECT_TRUE(settings.write(SettingId::SoundFile, "horn.wav", 2));
    EXPECT_TRUE(settings.writeBool(SettingId::AutoEmergencyStop, false));
    EXPECT_FALSE(settings.write(SettingId::SoundFile, "x.wav", 0));
    EXPECT_EQ(common::Profile::getString(dir.file("option.ini"), "CONTROL", "SKIN", ""), "3");
    EXPECT_EQ(common::Profile::getString(dir.file("option.ini"), "SOUND", "SOUND_FILE2", ""), "horn.wav");
    EXPECT_EQ(settings.getInt(SettingId::AutoEmergencyStop), 0);
    EXPECT_FALSE(common::Profile::hasKey(dir.file("option.ini"), "SOUND", "SOUND_FILE0"));
}

// The defaults every reader relies on, written down key by key from the key
// index: read through Settings with both files empty.
struct IndexedDefault {
    SettingId id;
    int number;
    const char* section;
    const char* key;
    const char* value;
};

const IndexedDefault kIndexedDefaults[] = {
    // VARDO.ini
    {SettingId::LayoutBgColor, 0, "LAYOUT", "BG_COLOR", "#FFF9BD"},
    {SettingId::LayoutPenColor, 0, "LAYOUT", "PEN_COLOR", "#0000FF"},
    {SettingId::LayoutPenWidth, 0, "LAYOUT", "PEN_WIDTH", "2"},
    {SettingId::LayoutTrainSize, 0, "LAYOUT", "TRAIN_SIZE", "100,20"},
    {SettingId::EventHomePositionRatio, 0, "EVENT", "HOME_POSITION_RATIO", "75"},
    {SettingId::EventEventColor, 0, "EVENT", "EVENT_COLOR", "#FFF9BD"},
    {SettingId::EventLinkColor, 0, "EVENT", "LINK_COLOR", "#0000FF"},
    {SettingId::EventSelectColor, 0, "EVENT", "SELECT_COLOR", "#00FF00"},
    {SettingId::EventLinkWidth, 0, "EVENT", "LINK_WIDTH", "1"},
    {SettingId::EventSelectWidth, 0, "EVENT", "SELECT_WIDTH", "2"},
    {SettingId::AutoEmergencyCount, 0, "AUTO", "EMERGENCY_COUNT", "15"},
    {SettingId::AutoEmergencyRange, 0, "AUTO", "EMERGENCY_RANGE", "100"},
    {SettingId::CaptureLoop, 0, "CAPTURE", "LOOP", "1"},
    {SettingId::VectorPenColor, 0, "VECTOR", "PEN_COLOR", "#FF0000"},
    {SettingId::SimulationSpeed, 0, "SIMULATION", "SPEED", "2"},
    {SettingId::ServoTorqueInterval, 0, "SERVO", "TORQUE_INTERVAL", "1000"},
    {SettingId::ApiCommInterval, 0, "API", "COMM_INTERVAL", "100"},
    {SettingId::DebugMenu, 0, "DEBUG", "MENU", "0"},
    // option.ini
    {SettingId::Agreement, 0, "AGREEMENT", "AGREEMENT", "0"},
    {SettingId::LayoutSuppressMessage, 0, "LAYOUT", "SURPRESS_MESSAGE", "0"},
    {SettingId::LayoutTrainType, 0, "LAYOUT", "TRAIN_TYPE", "0"},
    {SettingId::LayoutTrainCount, 0, "LAYOUT", "TRAIN_COUNT", "1"},
    {SettingId::LayoutTrainConnect, 0, "LAYOUT", "TRAIN_CONNECT", "1"},
    {SettingId::LayoutTrainFile, 1, "LAYOUT", "TRAIN_FILE1", ""},
    {SettingId::LayoutTrainFile, 3, "LAYOUT", "TRAIN_FILE3", ""},
    {SettingId::LayoutTrainColor, 1, "LAYOUT", "TRAIN_COLOR1", "#808080"},
    {SettingId::LayoutTrainColor, 3, "LAYOUT", "TRAIN_COLOR3", "#808080"},
    {SettingId::LayoutPointPosition, 1, "LAYOUT", "POINT1_POSITION", ""},
    {SettingId::LayoutPointPosition, 8, "LAYOUT", "POINT8_POSITION", ""},
    {SettingId::UsbSuppressMessage, 0, "USB", "SURPRESS_MESSAGE", "0"},
    {SettingId::UsbComNo, 0, "USB", "COM_NO", "0"},
    {SettingId::UsbBaudRate, 0, "USB", "BAUD_RATE", "9600"},
    {SettingId::UsbWaitResponse, 0, "USB", "WAIT_RESPONSE", "1"},
    {SettingId::UsbWaitOpen, 0, "USB", "WAIT_OPEN", "0"},
    {SettingId::UsbPwmControl, 0, "USB", "PWM_CONTROL", "0"},
    {SettingId::UsbPwmInterval, 0, "USB", "PWM_INTERVAL", "40"},
    {SettingId::UsbPwmRelay, 0, "USB", "PWM_RELAY", "89"},
    {SettingId::UsbRelayId, 0, "USB", "RELAY_ID", "0123456789"},
    {SettingId::UsbPointTime, 1, "USB", "POINT_TIME1", "2"},
    {SettingId::UsbCrossTime, 0, "USB", "CROSS_TIME", "8"},
    {SettingId::UsbAutoReconnect, 0, "USB", "AUTO_RECONNECT", "0"},
    {SettingId::CaptureSuppressMessage, 0, "CAPTURE", "SURPRESS_MESSAGE", "0"},
    {SettingId::CaptureDevice, 0, "CAPTURE", "DEVICE", "-1"},
    {SettingId::CaptureResolution, 0, "CAPTURE", "RESOLUTION", "320,240"},
    {SettingId::ViewDiffLevel, 0, "VIEW", "DIFF_LEVEL", "85"},
    {SettingId::ViewCompareFrame, 0, "VIEW", "COMPARE_FRAME", "1"},
    {SettingId::ViewEnableExcept, 0, "VIEW", "ENABLE_EXCEPT", "1"},
    {SettingId::ViewFocusRange, 0, "VIEW", "FOCUS_RANGE", "10000"},
    {SettingId::EventPositionRange, 0, "EVENT", "POSITION_RANGE", "32"},
    {SettingId::EventHomeOffset, 0, "EVENT", "HOME_OFFSET", "16"},
    {SettingId::EventFileName, 0, "EVENT", "FILE_NAME", ""},
    {SettingId::EventProgramFolder, 0, "EVENT", "PROGRAM_FOLDER", ""},
    {SettingId::EventFolderSort, 0, "EVENT", "FOLDER_SORT", "0"},
    {SettingId::EventFolderLoop, 0, "EVENT", "FOLDER_LOOP", "0"},
    {SettingId::AutoEmergencyStop, 0, "AUTO", "EMERGENCY_STOP", "1"},
    {SettingId::AutoCheckControl, 0, "AUTO", "CHECK_CONTROL", "1"},
    {SettingId::AutoControlRegion, 0, "AUTO", "CONTROL_REGION", "1"},
    {SettingId::CalibrationFilePath, 0, "CALIBRATION", "FILE_PATH", ""},
    {SettingId::CalibrationLoopCount, 0, "CALIBRATION", "LOOP_COUNT", "1"},
    {SettingId::ControlSkin, 0, "CONTROL", "SKIN", "1"},
    {SettingId::SoundFile, 1, "SOUND", "SOUND_FILE1", ""},
    {SettingId::SpeechEnable, 0, "SPEECH", "ENABLE", "0"},
    {SettingId::DebugLogPosition, 0, "DEBUG", "LOG_POSITION", "0"},
    {SettingId::DebugCapture, 0, "DEBUG", "CAPTURE", ""},
    {SettingId::DebugUsb, 0, "DEBUG", "USB", "0"},
};

TEST_F(SettingsTest, EveryIndexedKeyHasItsDefaultWhenAbsent)
{
    dir.write("VARDO.ini", "");
    dir.write("option.ini", "");
    RecordingFrontend sink;
    for (const IndexedDefault& d : kIndexedDefaults) {
        const SettingKey& k = settingKey(d.id);
        EXPECT_STREQ(k.section, d.section) << d.key;
        EXPECT_EQ(settingName(d.id, d.number), d.key);
        switch (k.kind) {
        case ValueKind::Int:
            EXPECT_EQ(settings.getInt(d.id, d.number), std::atoi(d.value)) << d.key;
            EXPECT_EQ(settings.getString(d.id, d.number), d.value) << d.key;
            break;
        case ValueKind::String:
            EXPECT_EQ(settings.getString(d.id, d.number), d.value) << d.key;
            break;
        case ValueKind::Colour:
            EXPECT_EQ(settings.getColour(sink, d.id, d.number), common::parseColour(d.value))
                << d.key;
            break;
        }
    }
    EXPECT_TRUE(sink.messages().empty());
}

TEST_F(SettingsTest, KeysTheProgramWritesGoThroughSettingsToOptionIni)
{
    // Written by the train display, folder run, program and camera commands.
    EXPECT_TRUE(settings.writeInt(SettingId::LayoutTrainType, 1));
    EXPECT_TRUE(settings.write(SettingId::LayoutTrainColor, "#102030", 2));
    EXPECT_TRUE(settings.write(SettingId::EventProgramFolder, "/data/programs"));
    EXPECT_TRUE(settings.writeBool(SettingId::EventFolderLoop, true));
    EXPECT_TRUE(settings.write(SettingId::CaptureResolution, "640,480"));
    const std::string option = dir.file("option.ini");
    EXPECT_EQ(common::Profile::getString(option, "LAYOUT", "TRAIN_TYPE", ""), "1");
    EXPECT_EQ(common::Profile::getString(option, "LAYOUT", "TRAIN_COLOR2", ""), "#102030");
    EXPECT_EQ(common::Profile::getString(option, "EVENT", "PROGRAM_FOLDER", ""), "/data/programs");
    EXPECT_EQ(common::Profile::getString(option, "EVENT", "FOLDER_LOOP", ""), "1");
    EXPECT_EQ(settings.getString(SettingId::CaptureResolution), "640,480");
    EXPECT_FALSE(common::Profile::hasKey(dir.file("VARDO.ini"), "LAYOUT", "TRAIN_TYPE"));
}

TEST_F(SettingsTest, OptionOnlySettingsAndDialogDefaults)
{
    // Parts handed only option.ini see VARDO.ini keys at their defaults.
    dir.write("VARDO.ini", "[LAYOUT]\nPEN_WIDTH=5\n");
    dir.write("option.ini", "[SERIAL]\nCOM3=/dev/ttyUSB1\n");
    Settings optionOnly = Settings::ofOption(dir.file("option.ini"));
    EXPECT_EQ(optionOnly.getInt(SettingId::LayoutPenWidth), 2);
    EXPECT_EQ(optionOnly.getString(SettingId::SerialDevice, 3), "/dev/ttyUSB1");
    EXPECT_EQ(optionOnly.getString(SettingId::SerialDevice, 4), "");
    // The colour chooser starts from its own grey; a stored colour wins.
    EXPECT_EQ(settings.getDialogString(SettingId::LayoutTrainColor, 1), "#A0A0A0");
    settings.write(SettingId::LayoutTrainColor, "#010203", 1);
    EXPECT_EQ(settings.getDialogString(SettingId::LayoutTrainColor, 1), "#010203");
    EXPECT_EQ(settings.getDialogString(SettingId::LayoutPenWidth), "5");
}

// The shipped VARDO.ini carries every one of its keys at the default.
TEST(ShippedVardoIniTest, HoldsEveryKeyAtItsDefault)
{
    const char* data = std::getenv("VARDO_TEST_DATA");
    ASSERT_NE(data, nullptr);
    const std::string path = std::string(data) + "/VARDO.ini";
    for (const SettingKey& k : allSettings()) {
        if (k.file != IniFile::Vardo)
            continue;
        for (int n = k.firstNumber; n <= k.lastNumber; ++n) {
            std::string name = settingName(k.id, n);
            ASSERT_TRUE(common::Profile::hasKey(path, k.section, name)) << k.section << " " << name;
            if (!k.numbered()) {
                EXPECT_EQ(common::Profile::getString(path, k.section, name, ""), k.defaultValue) << name;
            }
        }
    }
}

} // namespace
} // namespace vardo
