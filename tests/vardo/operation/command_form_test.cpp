// The command definition forms without a window: captions per kind and
// layout, the enabling that follows the option, the OK checks in order with
// their exact messages and focus, and the storing rules.
#include "common/string_table.h"
#include "vardo/operation/command_form.h"

#include <gtest/gtest.h>

namespace vardo {
namespace {

ProgramLayoutFacts facts(bool sidings, int points = 3, bool turntable = false, int sounds = 4)
{
    ProgramLayoutFacts f;
    f.hasSidings = sidings;
    f.pointCount = points;
    f.turntable = turntable;
    f.soundCount = sounds;
    return f;
}

void expectRefused(const FormRefusal& r, int id, const char* text, FormField focus)
{
    EXPECT_EQ(r.messageId, id);
    EXPECT_EQ(r.text, text);
    EXPECT_EQ(r.focus, focus);
}

TEST(TimeFormTest, TimerNeedsAtLeastOneMillisecond)
{
    TimeForm timer(TimeFormKind::Timer);
    EXPECT_EQ(timer.title(), "タイマー設定");
    EXPECT_EQ(timer.first().label, "秒");
    EXPECT_EQ(timer.second().label, "ﾐﾘ秒");
    expectRefused(timer.check(0, 0), 173, "タイマーの値は１秒以上です", FormField::Value1);
    EXPECT_FALSE(timer.check(0, 1).refused());
    EXPECT_FALSE(timer.check(3600, 999).refused());
    expectRefused(timer.check(3601, 0), common::msg::EnterIntegerBetween,
                  "Please enter an integer between 0 and 3600.", FormField::Value1);
    expectRefused(timer.check(5, 1000), common::msg::EnterIntegerBetween,
                  "Please enter an integer between 0 and 999.", FormField::Value2);
}

TEST(TimeFormTest, AlarmChecksTheGeneralRangeThenTheHourThenTheMinute)
{
    TimeForm alarm(TimeFormKind::Alarm);
    EXPECT_EQ(alarm.title(), "アラーム設定");
    EXPECT_FALSE(alarm.showsRealClock());
    EXPECT_FALSE(alarm.check(23, 59).refused());
    // Both fields wrong: the first field's general range comes first.
    expectRefused(alarm.check(4000, 5000), common::msg::EnterIntegerBetween,
                  "Please enter an integer between 0 and 3600.", FormField::Value1);
    expectRefused(alarm.check(24, 0), 172, "アラームの設定時刻は23時までです", FormField::Value1);
    expectRefused(alarm.check(24, 75), 172, "アラームの設定時刻は23時までです", FormField::Value1);
    expectRefused(alarm.check(10, 60), common::msg::EnterIntegerBetween,
                  "Please enter an integer between 0 and 59.", FormField::Value2);
}

TEST(TimeFormTest, VirtualTimeRealClockDisablesTheFieldsAndStoresMinusOne)
{
    TimeForm form(TimeFormKind::VirtualTime);
    EXPECT_EQ(form.title(), "現在時刻設定");
    ASSERT_TRUE(form.showsRealClock());
    form.setRealClock(true);
    EXPECT_FALSE(form.first().enabled);
    EXPECT_FALSE(form.second().enabled);
    EXPECT_FALSE(form.check(99, 99).refused());
    form.setRealClock(false);
    EXPECT_TRUE(form.first().enabled);
    EXPECT_TRUE(form.check(24, 0).refused());

    VirtualTimeValues shown = virtualTimeShown(-1, 14, 5);
    EXPECT_TRUE(shown.realClock);
    EXPECT_EQ(shown.hour, 14);
    EXPECT_EQ(virtualTimeStored(shown), -1);
    shown = virtualTimeShown(9 * 60 + 30, 14, 5);
    EXPECT_FALSE(shown.realClock);
    EXPECT_EQ(shown.hour, 9);
    EXPECT_EQ(shown.minute, 30);
    EXPECT_EQ(virtualTimeStored(shown), 570);
}

TEST(CommandFormTest, PositionWaitRelabelsForTheSensorAndChecksInOrder)
{
    CommandForm form(CommandKind::PositionWait, facts(true));
    EXPECT_EQ(form.title(), "列車位置定義");
    ASSERT_EQ(form.radios().size(), 5u);
    EXPECT_EQ(form.radios()[1], "正面(ﾚｲｱｳﾄ下部)");
    EXPECT_EQ(form.button(), FormButton::LayoutPick);
    EXPECT_FALSE(form.value1().enabled);
    EXPECT_FALSE(form.buttonEnabled());

    form.setOption(3);
    EXPECT_TRUE(form.value1().enabled);
    EXPECT_TRUE(form.buttonEnabled());
    EXPECT_EQ(form.value1().label, "X座標");
    EXPECT_EQ(form.value2().maximum, 479);
    EXPECT_FALSE(form.check(640, 480).refused());
    expectRefused(form.check(641, 0), 175, "レイアウトの範囲(640x480)を越えています",
                  FormField::Value1);
    expectRefused(form.check(10, 481), 175, "レイアウトの範囲(640x480)を越えています",
                  FormField::Value2);

    form.setOption(4);
    EXPECT_EQ(form.value1().label, "ｾﾝｻｰ番号");
    EXPECT_EQ(form.value1().maximum, 5);
    EXPECT_EQ(form.value2().label, "ﾀｲﾑｱｳﾄ");
    EXPECT_EQ(form.value2().maximum, 3600);
    EXPECT_FALSE(form.buttonEnabled());
    expectRefused(form.check(6, 10), 239, "センサーの設定値が間違っています", FormField::Value1);
    expectRefused(form.check(5, 3601), 239, "センサーの設定値が間違っています", FormField::Value2);
    EXPECT_FALSE(form.check(5, 3600).refused());

    form.setOption(1);
    EXPECT_EQ(form.value1().label, "X座標");
    EXPECT_FALSE(form.value2().enabled);

    CommandForm turntable(CommandKind::PositionWait, facts(true, 3, true));
    EXPECT_EQ(turntable.radios()[1], "本線(ﾚｲｱｳﾄ右側)");
}

TEST(CommandFormTest, PointFormFollowsTheLayoutAndRefusesPointZero)
{
    CommandForm outer(CommandKind::SwitchPoint, facts(false, 1));
    EXPECT_EQ(outer.title(), "遮断機(ポイント)制御定義");
    EXPECT_EQ(outer.radios(), (std::vector<std::string>{"開く", "閉じる"}));
    EXPECT_FALSE(outer.value2().visible);
    EXPECT_FALSE(outer.check(100, 1).refused());

    CommandForm form(CommandKind::SwitchPoint, facts(true, 3));
    EXPECT_EQ(form.title(), "ポイント制御定義");
    EXPECT_EQ(form.radios()[1], "分岐側");
    EXPECT_TRUE(form.value2().visible);
    EXPECT_EQ(form.value2().maximum, 3);
    expectRefused(form.check(641, 0), 198, "切替抑制距離の指定が間違っています。",
                  FormField::Value1);
    expectRefused(form.check(100, 4), 197, "指定されたポイントが定義されていません。",
                  FormField::Value2);
    expectRefused(form.check(100, 0), 197, "指定されたポイントが定義されていません。",
                  FormField::Value2);
    EXPECT_FALSE(form.check(640, 3).refused());
}

TEST(CommandFormTest, TrainControlEnablingAndChecks)
{
    CommandForm form(CommandKind::TrainControl, facts(true));
    EXPECT_EQ(form.radios()[1], "時計回り(駅出発)");
    EXPECT_FALSE(form.value1().enabled);
    form.setOption(2);
    EXPECT_TRUE(form.value2().enabled);
    EXPECT_EQ(form.value2().label, "＋　　距離");
    expectRefused(form.check(100, 640), 174, "周回数は99周までです", FormField::Value1);
    expectRefused(form.check(99, 640), 199, "距離の指定は639以下です。", FormField::Value2);
    EXPECT_FALSE(form.check(99, 639).refused());
    EXPECT_EQ(CommandForm(CommandKind::TrainControl, facts(false)).radios()[2], "反時計回り");
}

TEST(CommandFormTest, CountsRelaysSpeedsAndSounds)
{
    CommandForm repeat(CommandKind::Repeat, facts(true));
    expectRefused(repeat.check(0, 0), 176, "繰返し回数は1～99の範囲です", FormField::Value1);
    EXPECT_FALSE(repeat.value2().visible);
    CommandForm relay(CommandKind::OptionOutput, facts(true));
    expectRefused(relay.check(6, 0), 180, "定義できるリレー番号は7～10です", FormField::Value1);
    EXPECT_FALSE(relay.check(10, 0).refused());
    CommandForm speed(CommandKind::TrainSpeed, facts(true));
    expectRefused(speed.check(101, 61), 202, "定義できる列車速度の範囲は0～100です",
                  FormField::Value1);
    expectRefused(speed.check(100, 61), 204, "定義できるフェード時間の範囲は0～60秒です",
                  FormField::Value2);
    CommandForm sound(CommandKind::SoundOutput, facts(true, 3, false, 4));
    EXPECT_EQ(sound.button(), FormButton::SoundSettings);
    expectRefused(sound.check(5, 0), 182, "定義できるサウンド番号は1～4です", FormField::Value1);
    sound.setSoundCount(6);
    EXPECT_EQ(sound.value1().maximum, 6);
    EXPECT_FALSE(sound.check(5, 0).refused());
}

TEST(CommandFormTest, StoringRules)
{
    ProgramCommand point = defaultCommand(CommandKind::SwitchPoint, 0, true);
    storeValues(point, {1, 200, 3});
    EXPECT_EQ(point.value2, 2);
    EXPECT_EQ(shownValues(point).value2, 3);

    ProgramCommand turn = defaultCommand(CommandKind::Turntable, 0, true);
    storeValues(turn, {1, 1, 1});
    EXPECT_EQ(turn.option, 1);
    EXPECT_EQ(turn.value1, 0);
    EXPECT_EQ(turn.value2, 0);
    storeValues(turn, {4, 1, 1});
    EXPECT_EQ(turn.value1, 1);
    EXPECT_EQ(turn.value2, 1);
    EXPECT_FALSE(TurnForm::flagsEnabled(1));
    EXPECT_TRUE(TurnForm::flagsEnabled(6));
    EXPECT_STREQ(TurnForm::choice(2), "1番線");

    ProgramCommand wait = defaultCommand(CommandKind::PositionWait, 0, true);
    storeValues(wait, {3, 640, 480});
    EXPECT_EQ(wait.option, 3);
    EXPECT_EQ(wait.value1, 640);
    EXPECT_EQ(wait.value2, 480);
}

TEST(TitleFormTest, LimitCountsTheStoredBytes)
{
    EXPECT_FALSE(TitleForm::check(std::string(64, 'a')).refused());
    expectRefused(TitleForm::check(std::string(65, 'a')), common::msg::EnterAtMostChars,
                  "Please enter no more than 64 characters.", FormField::Text);
    std::string kana;
    for (int i = 0; i < 33; ++i)
        kana += "あ";
    EXPECT_TRUE(TitleForm::check(kana).refused()) << "66 bytes when stored";
}

} // namespace
} // namespace vardo
