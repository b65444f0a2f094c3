// The control point settings dialog: its start from a record, the boxes
// that switch their own controls, and the values OK would store.
#include "qt_app.h"

#include "planwerk/ui/control_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace planwerk::ui {
namespace {

const QStringList kSounds{"horn.wav", "bell.wav", "chime.wav"};

class ControlDialogTest : public ::testing::Test {
protected:
    void SetUp() override { testing::qtApp(); }
};

TEST_F(ControlDialogTest, PointActionStartsWithItsControlsAndComesBackUnchanged)
{
    ControlDialogValues in{2, 2, 3, 2, 1, 3, 2};
    ControlDialog dialog(in, kSounds);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "レイアウト制御設定");
    EXPECT_TRUE(dialog.directionButton(2)->isChecked());
    EXPECT_TRUE(dialog.pointBox()->isChecked());
    EXPECT_TRUE(dialog.branch()->isChecked());
    EXPECT_EQ(dialog.points()->currentText(), "4");
    EXPECT_FALSE(dialog.trainBox()->isChecked());
    EXPECT_FALSE(dialog.stop()->isEnabled());
    EXPECT_TRUE(dialog.relayOn()->isChecked());
    EXPECT_EQ(dialog.relays()->currentText(), "8");
    EXPECT_TRUE(dialog.soundButton(2)->isChecked());
    EXPECT_EQ(dialog.sounds()->currentText(), "bell.wav");

    ControlDialogValues out = dialog.values();
    EXPECT_EQ(out.direction, 2);
    EXPECT_EQ(out.trackAction, 2);
    EXPECT_EQ(out.pointIndex, 3);
    EXPECT_EQ(out.optionOutput, 2);
    EXPECT_EQ(out.relayIndex, 1);
    EXPECT_EQ(out.sound, 3);
    EXPECT_EQ(out.soundNumber, 2);
}

TEST_F(ControlDialogTest, EmptyRecordHasEveryGroupOff)
{
    ControlDialog dialog(ControlDialogValues{}, kSounds);
    EXPECT_TRUE(dialog.directionButton(0)->isChecked());
    EXPECT_FALSE(dialog.points()->isEnabled());
    EXPECT_FALSE(dialog.relays()->isEnabled());
    EXPECT_FALSE(dialog.sounds()->isEnabled());
    // The sound list points at a valid entry even with no number stored.
    EXPECT_GE(dialog.sounds()->currentIndex(), 0);
    ControlDialogValues out = dialog.values();
    EXPECT_EQ(out.trackAction, 0);
    EXPECT_EQ(out.optionOutput, 0);
    EXPECT_EQ(out.sound, 0);
}

TEST_F(ControlDialogTest, BoxesSwitchTheirControlsAndTrainWinsOverPoint)
{
    ControlDialog dialog(ControlDialogValues{}, kSounds);
    dialog.show();
    dialog.soundBox()->click();
    EXPECT_TRUE(dialog.sounds()->isEnabled());
    EXPECT_TRUE(dialog.soundButton(0)->isEnabled());
    dialog.trainBox()->click();
    EXPECT_TRUE(dialog.stop()->isEnabled());
    dialog.pointBox()->click();
    EXPECT_TRUE(dialog.points()->isEnabled());
    EXPECT_FALSE(dialog.stop()->isEnabled());

    dialog.reverse()->setChecked(true);
    ControlDialogValues out = dialog.values();
    EXPECT_EQ(out.trackAction, 8); // both boxes checked: the train action is stored
    EXPECT_EQ(out.sound, 1);
    EXPECT_EQ(out.soundNumber, 1);
}

} // namespace
} // namespace planwerk::ui
