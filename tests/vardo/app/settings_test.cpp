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
