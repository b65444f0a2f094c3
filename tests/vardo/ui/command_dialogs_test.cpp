// The command definition dialogs on the offscreen platform: relabelling as
// the choice changes, the OK checks with their exact messages and the
// focus on the offending field, the pick request and the storing rules.
#include "qt_app.h"
#include "vardo/ui/dialog_command_editor.h"
#include "vardo/ui/event_dialog.h"
#include "vardo/ui/time_dialog.h"
#include "vardo/ui/title_dialog.h"
#include "vardo/ui/turn_dialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <gtest/gtest.h>

namespace vardo::ui {
namespace {

class CommandDialogsTest : public ::testing::Test {
protected:
    void SetUp() override { ui_fixtures::qtApp(); }
    template <class Dialog> void record(Dialog& dialog)
    {
        dialog.setRefusalSink([this](const QString& text) { messages << text; });
    }
    ProgramLayoutFacts layout{true, 3, false, 4};
    QStringList messages;
};

TEST_F(CommandDialogsTest, TimerRefusesZeroAndTakesOneMillisecond)
{
    TimeDialog dialog(TimeFormKind::Timer, 0, 0);
    record(dialog);
    EXPECT_EQ(dialog.windowTitle(), "タイマー設定");
    EXPECT_FALSE(dialog.realClockBox()->isVisibleTo(&dialog));
    dialog.accept();
    ASSERT_EQ(messages, QStringList{"タイマーの値は１秒以上です"});
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.focusWidget(), dialog.field1());
    dialog.field2()->setValue(1);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(messages.size(), 1);
}

TEST_F(CommandDialogsTest, SpinArrowsStayInTheKindsRangeWhileTypingIsJudgedOnOk)
{
    TimeDialog dialog(TimeFormKind::Alarm, 23, 59);
    record(dialog);
    dialog.field1()->stepBy(1);
    EXPECT_EQ(dialog.field1()->value(), 23);
    dialog.field1()->setValue(24);
    dialog.accept();
    EXPECT_EQ(messages, QStringList{"アラームの設定時刻は23時までです"});
    EXPECT_EQ(dialog.focusWidget(), dialog.field1());
}

TEST_F(CommandDialogsTest, VirtualTimeRealClockDisablesBothFields)
{
    TimeDialog dialog(TimeFormKind::VirtualTime, 10, 0, true);
    record(dialog);
    EXPECT_EQ(dialog.windowTitle(), "現在時刻設定");
    EXPECT_TRUE(dialog.realClockBox()->isChecked());
    EXPECT_FALSE(dialog.field1()->isEnabled());
    dialog.realClockBox()->setChecked(false);
    EXPECT_TRUE(dialog.field2()->isEnabled());
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.realClock());
}

TEST_F(CommandDialogsTest, PositionWaitSensorAndUserPointChecks)
{
    EventDialog dialog(CommandForm(CommandKind::PositionWait, layout), {4, 6, 60});
    record(dialog);
    EXPECT_EQ(dialog.windowTitle(), "列車位置定義");
    EXPECT_TRUE(dialog.radio(4)->isChecked());
    EXPECT_EQ(dialog.label1()->text(), "ｾﾝｻｰ番号");
    EXPECT_EQ(dialog.label2()->text(), "ﾀｲﾑｱｳﾄ");
    EXPECT_FALSE(dialog.button()->isEnabled());
    dialog.accept();
    EXPECT_EQ(messages, QStringList{"センサーの設定値が間違っています"});
    EXPECT_EQ(dialog.focusWidget(), dialog.field1());

    dialog.radio(3)->click();
    EXPECT_EQ(dialog.label1()->text(), "X座標");
    EXPECT_EQ(dialog.label2()->text(), "Y座標");
    EXPECT_TRUE(dialog.button()->isEnabled());
    dialog.field1()->setValue(641);
    dialog.field2()->setValue(100);
    dialog.accept();
    EXPECT_EQ(messages.last(), "レイアウトの範囲(640x480)を越えています");
    EXPECT_EQ(dialog.focusWidget(), dialog.field1());
    dialog.field1()->setValue(640);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.values().option, 3);
    EXPECT_EQ(dialog.values().value1, 640);
    EXPECT_FALSE(dialog.pickRequested());

    dialog.radio(0)->click();
    EXPECT_FALSE(dialog.field1()->isEnabled());
    EXPECT_FALSE(dialog.button()->isEnabled());
}

TEST_F(CommandDialogsTest, LayoutButtonClosesWithThePickRequest)
{
    EventDialog dialog(CommandForm(CommandKind::PositionWait, layout), {3, 100, 200});
    record(dialog);
    dialog.button()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.pickRequested());
    EXPECT_EQ(dialog.button()->text(), "ﾚｲｱｳﾄ参照");
}

TEST_F(CommandDialogsTest, PointNumberZeroIsRefusedAndStoredValuesCountFromZero)
{
    ProgramCommand point = defaultCommand(CommandKind::SwitchPoint, 0, true);
    point.value2 = 2; // the third point
    EventDialog dialog(CommandForm(CommandKind::SwitchPoint, layout), shownValues(point));
    record(dialog);
    EXPECT_EQ(dialog.field2()->value(), 3);
    EXPECT_EQ(dialog.label2()->text(), "ﾎﾟｲﾝﾄ番号");
    EXPECT_FALSE(dialog.button()->isVisibleTo(&dialog));
    dialog.field2()->setValue(0);
    dialog.accept();
    EXPECT_EQ(messages, QStringList{"指定されたポイントが定義されていません。"});
    EXPECT_EQ(dialog.focusWidget(), dialog.field2());
    dialog.field2()->setValue(1);
    dialog.radio(1)->click();
    dialog.accept();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    storeValues(point, dialog.values());
    EXPECT_EQ(point.option, 1);
    EXPECT_EQ(point.value2, 0);
}

TEST_F(CommandDialogsTest, SoundSettingsSetsTheNumberAndTheRange)
{
    EventDialog dialog(CommandForm(CommandKind::SoundOutput, layout), {1, 1, 0});
    record(dialog);
    dialog.setSoundSettings([](int& number, int& count) {
        number = 6;
        count = 6;
        return true;
    });
    EXPECT_EQ(dialog.button()->text(), "サウンド設定");
    dialog.button()->click();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.field1()->value(), 6);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(CommandDialogsTest, TurntableFlagsOnlyForTracks)
{
    TurnDialog dialog({0, 1, 1});
    EXPECT_EQ(dialog.windowTitle(), "転車台制御定義");
    EXPECT_FALSE(dialog.reverse()->isEnabled());
    dialog.choice(3)->click();
    EXPECT_TRUE(dialog.reverse()->isEnabled());
    EXPECT_TRUE(dialog.autoStart()->isEnabled());
    EXPECT_EQ(dialog.choice(3)->text(), "2番線");
    EXPECT_EQ(dialog.values().option, 3);
}

TEST_F(CommandDialogsTest, TitleRefusesMoreThanFitsInTheFile)
{
    TitleDialog dialog("旧タイトル");
    record(dialog);
    EXPECT_EQ(dialog.windowTitle(), "表示タイトル入力ダイアログ");
    dialog.field()->setText(QString(65, 'x'));
    dialog.accept();
    EXPECT_EQ(messages, QStringList{"Please enter no more than 64 characters."});
    dialog.field()->setText("周回運転");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.title(), "周回運転");
}

} // namespace
} // namespace vardo::ui
