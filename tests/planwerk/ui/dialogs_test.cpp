// The editor settings dialog and the point dialog as the user meets them.
#include "editor_fixture.h"
#include "qt_app.h"

#include "common/profile.h"
#include "planwerk/ui/marker_dialogs.h"
#include "planwerk/ui/point_dialog.h"
#include "planwerk/ui/settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include <fstream>

namespace planwerk::ui {
namespace {

using planwerk::testing::TempFolder;

class DialogsTest : public ::testing::Test {
protected:
    void SetUp() override { testing::qtApp(); }
};

TEST_F(DialogsTest, SettingsOpenWithTheCurrentValues)
{
    EditorSettings s;
    s.sortPoint = 0;
    s.pointSize = 7;
    s.railWidth = 55;
    SettingsDialog dialog(s);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "エディタ設定");
    EXPECT_FALSE(dialog.sortBox()->isChecked());
    EXPECT_EQ(dialog.field(0)->text(), "7");
    EXPECT_EQ(dialog.field(3)->text(), "55");
}

TEST_F(DialogsTest, EachFieldRefusesValuesOutsideItsRangeAndStaysOpen)
{
    const int lows[] = {1, 1, 1, 1, 10};
    const int highs[] = {10, 10, 20, 100, 100};
    for (int i = 0; i < 5; ++i) {
        for (int bad : {lows[i] - 1, highs[i] + 1}) {
            SettingsDialog dialog(EditorSettings{});
            std::vector<QString> warnings;
            dialog.warn = [&](const QString& text) { warnings.push_back(text); };
            dialog.show();
            dialog.field(i)->setText(QString::number(bad));
            dialog.accept();
            ASSERT_EQ(warnings.size(), 1u) << i << " " << bad;
            EXPECT_EQ(warnings[0], QStringLiteral("%1 から %2 までの整数を入力してください。")
                                       .arg(lows[i])
                                       .arg(highs[i]));
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(dialog.result(), QDialog::Rejected);
        }
    }
    SettingsDialog dialog(EditorSettings{});
    std::vector<QString> warnings;
    dialog.warn = [&](const QString& text) { warnings.push_back(text); };
    dialog.field(1)->setText("abc");
    dialog.accept();
    EXPECT_EQ(warnings.size(), 1u);
}

TEST_F(DialogsTest, OkTakesTheLimitsAndWritesEveryKeyInItsSection)
{
    TempFolder dir;
    std::string ini = dir.file("Planwerk.ini");
    std::ofstream(ini) << "[EDIT]\nMAX_POINT=64\nPOINT_SIZE=4\n[OPTION]\nRAIL_WIDTH=32\n";
    SettingsDialog dialog(EditorSettings{});
    dialog.warn = [](const QString& text) { ADD_FAILURE() << text.toStdString(); };
    dialog.sortBox()->setChecked(false);
    const char* values[] = {"10", "1", "20", "100", "10"};
    for (int i = 0; i < 5; ++i)
        dialog.field(i)->setText(values[i]);
    dialog.accept();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EditorSettings v = dialog.values();
    EXPECT_EQ(v.sortPoint, 0);
    EXPECT_EQ(v.pointSize, 10);
    EXPECT_EQ(v.lineWidth, 1);
    EXPECT_EQ(v.maskWidth, 20);
    EXPECT_EQ(v.railWidth, 100);
    EXPECT_EQ(v.trainSize, 10);
    ASSERT_TRUE(writeEditorSettings(ini, v));

    using common::Profile;
    EXPECT_EQ(Profile::getString(ini, "EDIT", "SORT_POINT", ""), "0");
    EXPECT_EQ(Profile::getString(ini, "EDIT", "POINT_SIZE", ""), "10");
    EXPECT_EQ(Profile::getString(ini, "EDIT", "LINE_WIDTH", ""), "1");
    EXPECT_EQ(Profile::getString(ini, "EDIT", "MASK_WIDTH", ""), "20");
    EXPECT_EQ(Profile::getString(ini, "OPTION", "RAIL_WIDTH", ""), "100");
    EXPECT_EQ(Profile::getString(ini, "OPTION", "TRAIN_SIZE", ""), "10");
    // Nothing lands in the wrong section, and other keys stay.
    EXPECT_FALSE(Profile::hasKey(ini, "OPTION", "POINT_SIZE"));
    EXPECT_FALSE(Profile::hasKey(ini, "EDIT", "RAIL_WIDTH"));
    EXPECT_EQ(Profile::getInt(ini, "EDIT", "MAX_POINT", 0), 64);
}

TEST_F(DialogsTest, CancelChangesNothing)
{
    EditorSettings s;
    SettingsDialog dialog(s);
    dialog.field(0)->setText("9");
    dialog.reject();
    EXPECT_EQ(dialog.values().pointSize, s.pointSize);
}

TEST_F(DialogsTest, PointDialogKeepsTerminalFixed)
{
    PointDialog dialog(PointDialogValues{0, true, false});
    EXPECT_EQ(dialog.windowTitle().toStdString(), "ポイント設定ダイアログ");
    EXPECT_TRUE(dialog.forward()->isChecked());
    EXPECT_TRUE(dialog.terminal()->isChecked());
    EXPECT_FALSE(dialog.terminal()->isEnabled());
    dialog.backward()->setChecked(true);
    dialog.linked()->setChecked(true);
    PointDialogValues v = dialog.values();
    EXPECT_EQ(v.direction, 1);
    EXPECT_TRUE(v.terminal);
    EXPECT_TRUE(v.linked);
}

TEST_F(DialogsTest, CrossingKeepsOneGroupOnAndDrivesByPointOrRelay)
{
    CrossingDialog dialog(CrossingDialogValues{true, false, 9});
    EXPECT_EQ(dialog.windowTitle().toStdString(), "踏切設定");
    EXPECT_TRUE(dialog.relayDrive()->isChecked());
    EXPECT_EQ(dialog.relays()->currentText(), "9");
    EXPECT_FALSE(dialog.points()->isEnabled());
    EXPECT_TRUE(dialog.relays()->isEnabled());
    // Switching the barrier off while the light is off turns the light on.
    dialog.barrier()->setChecked(false);
    EXPECT_TRUE(dialog.light()->isChecked());
    dialog.light()->setChecked(false);
    EXPECT_TRUE(dialog.barrier()->isChecked());

    dialog.pointDrive()->setChecked(true);
    EXPECT_TRUE(dialog.points()->isEnabled());
    EXPECT_FALSE(dialog.relays()->isEnabled());
    dialog.points()->setCurrentIndex(2);
    CrossingDialogValues v = dialog.values();
    EXPECT_EQ(v.drive, 3);
    EXPECT_TRUE(v.barrier);
    EXPECT_FALSE(v.light);

    CrossingDialog byPoint(CrossingDialogValues{true, true, 4});
    EXPECT_TRUE(byPoint.pointDrive()->isChecked());
    EXPECT_EQ(byPoint.points()->currentText(), "4");
    EXPECT_EQ(byPoint.relays()->currentIndex(), 0);
}

TEST_F(DialogsTest, SensorSensitivityZeroToNinetyNine)
{
    for (const char* bad : {"-1", "100", "x"}) {
        SensorDialog dialog(50);
        std::vector<QString> warnings;
        dialog.warn = [&](const QString& text) { warnings.push_back(text); };
        dialog.field()->setText(bad);
        dialog.accept();
        ASSERT_EQ(warnings.size(), 1u) << bad;
        EXPECT_EQ(warnings[0], QStringLiteral("0 から 99 までの整数を入力してください。"));
        EXPECT_EQ(dialog.sensitivity(), 50);
    }
    SensorDialog dialog(50);
    dialog.field()->setText("0");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.sensitivity(), 0);
}

} // namespace
} // namespace planwerk::ui
