#include "common/profile.h"
#include "extended_rig.h"
#include "vardo/base/controller_codes.h"
#include "vardo/devices/extended_settings_editor.h"

#include <gtest/gtest.h>

namespace vardo::testing {
namespace {

using devices::ServoSettingsEditor;
using Group = ServoSettingsEditor::Group;
using Angle = ServoSettingsEditor::Angle;

struct EditorRig {
    explicit EditorRig(const std::string& keys) : rig(keys)
    {
        ready = rig.boardReady && rig.ext->initExtendedInterface();
        ServoSettingsEditor::Hooks hooks;
        hooks.controllerState = [this] { return state; };
        hooks.performAction = [this](int code) { performed.push_back(code); };
        hooks.usbConnected = [this] { return usbConnected; };
        editor = std::make_unique<ServoSettingsEditor>(rig.frontend, *rig.ext, hooks);
        base = ready ? rig.mark() : 0;
    }
    std::string ini(const std::string& key)
    {
        return common::Profile::getString(rig.dir.file("option.ini"), "SERVO", key, "(absent)");
    }
    ExtendedRig rig;
    bool ready = false;
    size_t base = 0;
    int state = 0;
    bool usbConnected = false;
    std::vector<int> performed;
    std::unique_ptr<ServoSettingsEditor> editor;
};

TEST(ServoSettingsEditorTest, RangesRefuseWithTheirMessagesAndKeepTheOldValue)
{
    EditorRig e("POINT_SERVO=131\nBRANCH_POINT=-90\n");
    ASSERT_TRUE(e.ready);
    EXPECT_FALSE(e.editor->setAngle(Angle::Branch1, 151));
    EXPECT_FALSE(e.editor->setAngle(Angle::Forward, -151));
    EXPECT_EQ(e.editor->angle(Angle::Branch1), -90);
    EXPECT_FALSE(e.editor->setGroupId(Group::Point1, 9));
    EXPECT_EQ(e.editor->groupId(Group::Point1), 3);
    EXPECT_FALSE(e.editor->setGroupId(Group::Turn, 0));
    EXPECT_FALSE(e.editor->setTurnAngle(2, 1501));
    EXPECT_TRUE(e.editor->setTurnAngle(2, -1500));
    EXPECT_EQ(e.rig.frontend.messageTexts(),
              (std::vector<std::string>{"サーボ角度の設定可能範囲は-150～150です。",
                                        "サーボ角度の設定可能範囲は-150～150です。",
                                        "設定できるサーボIDは8までです",
                                        "転車台のサーボＩＤに0は指定できません",
                                        "サーボ角度の設定可能範囲は-150～150です。"}));
}

TEST(ServoSettingsEditorTest, TypedAngleMovesTheServoAtOnce)
{
    EditorRig e("POINT2_SERVO=132\nSPEED_SERVO=134\nMIN_SPEED=-40\n");
    ASSERT_TRUE(e.ready);
    EXPECT_TRUE(e.editor->setAngle(Angle::Branch2, 60));
    EXPECT_TRUE(e.editor->setAngle(Angle::MaxSpeed, -120)); // full speed: -120 degrees
    const auto got = e.rig.since(e.base, 3);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].servo, 4);
    EXPECT_EQ(got[0].torque, 1);
    EXPECT_EQ(got[1].position, 600);
    EXPECT_EQ(got[2].servo, 6);
    EXPECT_EQ(got[2].position, -1200);
    EXPECT_EQ(e.rig.frontend.runningTimers().count(106), 1u);
}

TEST(ServoSettingsEditorTest, CheckBoxesFollowTheirRules)
{
    EditorRig e("TRAIN_SERVO=130\nTABLE_SERVO=133\nLINK_TABLE=1\nTURN_SERVO=1\n");
    ASSERT_TRUE(e.ready);
    EXPECT_TRUE(e.editor->values().linkTable);
    e.editor->setGroupEnabled(Group::Train, false);
    EXPECT_FALSE(e.editor->values().linkTable);
    EXPECT_FALSE(e.editor->groupEnabled(Group::Table));
    e.editor->setGroupEnabled(Group::Turn, true);       // sends the compliance packet
    EXPECT_TRUE(e.editor->setGroupId(Group::Speed, 7)); // speed servo: torque on
    const auto got = e.rig.since(e.base, 2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].reg, 0x18);
    EXPECT_EQ(got[0].servo, 1);
    EXPECT_EQ(got[1].servo, 7);
    EXPECT_EQ(got[1].torque, 1);

    e.editor->testRun(true, true);
    e.editor->testRun(false, true); // the other button is released
    EXPECT_FALSE(e.editor->testForward());
    EXPECT_TRUE(e.editor->testBackward());
    e.editor->testRun(false, false);
    EXPECT_EQ(e.performed, (std::vector<int>{ActionForward, ActionBackward, ActionStop}));
}

TEST(ServoSettingsEditorTest, RowSwitchAfterAnEditAsksWhetherToSave)
{
    EditorRig e("TURN_SERVO=129\nTURN_POINT1=0,0,0,0,0,\nTURN_POINT2=10,20,30,40,50,\n");
    ASSERT_TRUE(e.ready);
    EXPECT_TRUE(e.editor->selectRow(1)); // nothing edited: no question
    EXPECT_EQ(e.editor->turnAngle(3), 30);
    EXPECT_TRUE(e.editor->setTurnAngle(2, 450));
    e.rig.frontend.queueAnswer(Answer::Cancel);
    EXPECT_FALSE(e.editor->selectRow(0));
    EXPECT_EQ(e.editor->turnRow(), 1);
    e.rig.frontend.queueAnswer(Answer::Yes);
    EXPECT_TRUE(e.editor->selectRow(0));
    EXPECT_EQ(e.ini("TURN_POINT2"), "10,450,30,40,50,");
    EXPECT_TRUE(e.editor->setTurnAngle(1, -700));
    e.rig.frontend.queueAnswer(Answer::No);
    EXPECT_TRUE(e.editor->selectRow(2));
    EXPECT_EQ(e.ini("TURN_POINT1"), "0,0,0,0,0,");
    ASSERT_EQ(e.rig.frontend.questions().size(), 3u);
    EXPECT_EQ(e.rig.frontend.questions()[0], "現在の転車台の角度の値を保存しますか？");
}

TEST(ServoSettingsEditorTest, ServoIdChangeNeedsExactlyOneGroupAndConfirmation)
{
    EditorRig e("TRAIN_SERVO=2\nSPEED_SERVO=6\nPOINT_SERVO=3\nPOINT2_SERVO=4\nPOINT3_SERVO=5\n"
                "TURN_SERVO=1\nTABLE_SERVO=6\n");
    ASSERT_TRUE(e.ready);
    EXPECT_FALSE(e.editor->changeServoId()); // none checked
    ASSERT_EQ(e.rig.frontend.messages().size(), 1u);
    EXPECT_EQ(e.rig.frontend.messages()[0].icon, Icon::Stop);
    e.editor->setGroupEnabled(Group::Point3, true);
    EXPECT_TRUE(e.editor->setGroupId(Group::Point3, 0));
    EXPECT_FALSE(e.editor->changeServoId()); // 225: ID 0
    EXPECT_EQ(e.rig.frontend.messageTexts().back(), "設定できるサーボIDは1～8です。");
    EXPECT_TRUE(e.editor->setGroupId(Group::Point3, 5));
    e.rig.frontend.queueAnswer(Answer::No);
    EXPECT_FALSE(e.editor->changeServoId());
    e.rig.frontend.queueAnswer(Answer::Yes);
    EXPECT_TRUE(e.editor->changeServoId());
    EXPECT_NE(e.rig.frontend.questions().back().find("サーボIDを5に変更しますか?"),
              std::string::npos);
    e.rig.mark();
    std::vector<std::string> hex;
    for (const auto& r : e.rig.since(e.base, 5))
        hex.push_back(r.hex);
    ASSERT_GE(hex.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(hex.begin(), hex.begin() + 4),
              (std::vector<std::string>{"FA AF FF 10 FF FF 00 EF", "FA AF FF 00 04 01 01 05 FE",
                                        "FA AF 05 40 FF 00 00 BA", "FA AF 05 00 24 01 01 01 20"}));
}

TEST(ServoSettingsEditorTest, FactoryResetGoesToAllServosEvenWithNoGroupChecked)
{
    EditorRig e("TRAIN_SERVO=2\nSPEED_SERVO=6\n");
    ASSERT_TRUE(e.ready);
    e.rig.frontend.queueAnswer(Answer::Yes);
    EXPECT_TRUE(e.editor->factoryReset());
    const auto got = e.rig.since(e.base, 2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].servo, 0xFF);
    EXPECT_EQ(got[0].hex, "FA AF FF 10 FF FF 00 EF");
    EXPECT_EQ(got[1].hex, "FA AF 01 40 FF 00 00 BE");
    EXPECT_EQ(e.rig.frontend.messageTexts().back(), "工場出荷状態に戻しました");
}

TEST(ServoSettingsEditorTest, OkWritesEveryKeyAndEndsWithTheClosingSequence)
{
    EditorRig e("POINT_SERVO=131\nPOINT2_SERVO=132\nTABLE_SERVO=134\nTRAIN_SERVO=130\n");
    ASSERT_TRUE(e.ready);
    e.state = state::Point2;
    e.editor->setLinkTable(true);
    e.editor->setTorqueOff(false);
    e.editor->setTurnSpeed(1500);
    EXPECT_TRUE(e.editor->setTurnAngle(4, 1234));
    EXPECT_TRUE(e.editor->accept());
    EXPECT_EQ(e.ini("COM_NO"), "4");
    EXPECT_EQ(e.ini("POINT_SERVO"), "131");
    EXPECT_EQ(e.ini("SPEED_SERVO"), "6");
    EXPECT_EQ(e.ini("BRANCH_POINT3"), "-90");
    EXPECT_EQ(e.ini("LINK_TABLE"), "1");
    EXPECT_EQ(e.ini("TORQUE_OFF"), "0");
    EXPECT_EQ(e.ini("TURN_SPEED"), "1500");
    EXPECT_EQ(e.ini("TURN_POINT1"), "0,0,0,1234,0,");
    EXPECT_EQ(e.ini("TURN_POINT4"), "0,0,0,0,0,");
    // Stop, point 1 straight, point 2 branch as the panel shows, power off.
    EXPECT_EQ(e.performed, (std::vector<int>{ActionStop, ActionPoint1Straight, ActionPoint2Branch,
                                             ActionPoint4Straight}));
}

TEST(ServoSettingsEditorTest, CancelShowsDialogDefaultsButKeepsTheRunningValues)
{
    EditorRig e("POINT_SERVO=131\n");
    ASSERT_TRUE(e.ready);
    EXPECT_EQ(e.editor->angle(Angle::Branch1), -90); // start-up default on opening
    EXPECT_TRUE(e.editor->setAngle(Angle::Branch1, 33));
    e.editor->cancel();
    EXPECT_EQ(e.editor->angle(Angle::Branch1), 90); // the dialog's default
    EXPECT_EQ(e.editor->angle(Angle::MinSpeed), -40);
    EXPECT_EQ(e.editor->values().turnSpeed, 0);
    EXPECT_EQ(e.rig.ext->settings().branchPoint[0], -90);
    EXPECT_EQ(e.ini("BRANCH_POINT"), "(absent)");
}

TEST(ServoSettingsEditorTest, ComChoiceWhileRelayBoardIsConnectedAsks236)
{
    EditorRig e("");
    ASSERT_TRUE(e.ready);
    e.usbConnected = true;
    e.rig.frontend.queueAnswer(Answer::Cancel);
    EXPECT_EQ(e.editor->selectComPort(4), 0);
    EXPECT_FALSE(e.rig.ext->isOpen());
    EXPECT_EQ(e.ini("COM_NO"), "0");
    EXPECT_EQ(e.rig.frontend.questions().back(),
              "既に標準インタフェイスで接続されています。\n拡張インタフェイスも接続します。");
    e.rig.frontend.queueAnswer(Answer::Ok);
    EXPECT_EQ(e.editor->selectComPort(4), 4);
    EXPECT_TRUE(e.rig.ext->isOpen());
}

} // namespace
} // namespace vardo::testing
