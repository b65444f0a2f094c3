#include "common/profile.h"
#include "qt_app.h"
#include "recording_frontend.h"
#include "temp_dir.h"
#include "vardo/devices/serial_port.h"
#include "vardo/ui/servo_dialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

#include <cstdlib>

namespace vardo::testing {
namespace {

using ui::ServoDialog;
using Group = ServoDialog::Group;
using Angle = ServoDialog::Angle;

// The dialog over an interface with no port: the rules without a board.
struct DialogRig {
    explicit DialogRig(const std::string& keys) : opener(dir.file("option.ini"))
    {
        ui_fixtures::qtApp();
        dir.write("option.ini", "[SERVO]\nCOM_NO=0\n" + keys);
        ext = std::make_unique<devices::ExtendedInterface>(
            frontend, opener, Settings(dir.file("VARDO.ini"), dir.file("option.ini")));
        ext->initExtendedInterface();
        devices::ServoSettingsEditor::Hooks hooks;
        hooks.performAction = [this](int code) { performed.push_back(code); };
        editor = std::make_unique<devices::ServoSettingsEditor>(frontend, *ext, hooks);
        dialog = std::make_unique<ServoDialog>(*editor, nullptr);
    }
    static void type(QLineEdit* field, const QString& text)
    {
        field->setText(text);
        emit field->editingFinished();
    }
    std::string ini(const std::string& key)
    {
        return common::Profile::getString(dir.file("option.ini"), "SERVO", key, "(absent)");
    }

    TempDir dir;
    RecordingFrontend frontend;
    devices::SerialPortOpener opener;
    std::unique_ptr<devices::ExtendedInterface> ext;
    std::unique_ptr<devices::ServoSettingsEditor> editor;
    std::unique_ptr<ServoDialog> dialog;
    std::vector<int> performed;
};

TEST(ServoDialogTest, ShowsTheFileAndRefusedValuesSpringBack)
{
    DialogRig r("POINT_SERVO=131\nBRANCH_POINT=-45\n");
    EXPECT_EQ(r.dialog->windowTitle(), QString::fromUtf8("拡張インタフェイス設定"));
    EXPECT_TRUE(r.dialog->group(Group::Point1)->isChecked());
    EXPECT_FALSE(r.dialog->group(Group::Point2)->isChecked());
    EXPECT_EQ(r.dialog->idField(Group::Point1)->text(), "3");
    EXPECT_EQ(r.dialog->angleField(Angle::Branch1)->text(), "-45");
    EXPECT_EQ(r.dialog->comBox()->currentIndex(), 0);

    DialogRig::type(r.dialog->angleField(Angle::Branch1), "200");
    EXPECT_EQ(r.dialog->angleField(Angle::Branch1)->text(), "-45");
    DialogRig::type(r.dialog->idField(Group::Point1), "9");
    EXPECT_EQ(r.dialog->idField(Group::Point1)->text(), "3");
    DialogRig::type(r.dialog->idField(Group::Turn), "0");
    EXPECT_EQ(r.dialog->idField(Group::Turn)->text(), "1");
    EXPECT_EQ(r.frontend.messageTexts(),
              (std::vector<std::string>{"サーボ角度の設定可能範囲は-150～150です。",
                                        "設定できるサーボIDは8までです",
                                        "転車台のサーボＩＤに0は指定できません"}));
    DialogRig::type(r.dialog->angleField(Angle::Branch1), "30");
    EXPECT_EQ(r.editor->angle(Angle::Branch1), 30);
}

TEST(ServoDialogTest, ClearingTrainControlClearsLinkAndTurntablePower)
{
    DialogRig r("TRAIN_SERVO=130\nTABLE_SERVO=134\nLINK_TABLE=1\n");
    EXPECT_TRUE(r.dialog->group(Group::Table)->isChecked());
    r.dialog->group(Group::Train)->setChecked(false);
    EXPECT_FALSE(r.dialog->group(Group::Table)->isChecked());
    EXPECT_FALSE(r.editor->values().linkTable);
}

TEST(ServoDialogTest, RowSwitchAfterAnEditAsksAndCancelKeepsTheRow)
{
    DialogRig r("TURN_SERVO=129\n");
    DialogRig::type(r.dialog->turnField(3), "700");
    r.frontend.queueAnswer(Answer::Cancel);
    r.dialog->rowButtons()->button(2)->click();
    EXPECT_TRUE(r.dialog->rowButtons()->button(0)->isChecked());
    ASSERT_EQ(r.frontend.questions().size(), 1u);
    r.frontend.queueAnswer(Answer::Yes);
    r.dialog->rowButtons()->button(2)->click();
    EXPECT_TRUE(r.dialog->rowButtons()->button(2)->isChecked());
    EXPECT_EQ(r.ini("TURN_POINT1"), "0,0,700,0,0,");
}

TEST(ServoDialogTest, OkWritesEveryKeyAndCancelRereads)
{
    DialogRig r("POINT_SERVO=131\n");
    DialogRig::type(r.dialog->angleField(Angle::Through1), "12");
    r.dialog->okButton()->click();
    EXPECT_EQ(r.ini("THROUGH_POINT"), "12");
    EXPECT_EQ(r.ini("TURN_POINT3"), "0,0,0,0,0,");
    EXPECT_EQ(r.ini("TORQUE_OFF"), "1");
    EXPECT_EQ(r.ini("COM_NO"), "0");
    EXPECT_EQ(r.performed, (std::vector<int>{0, 3}));

    DialogRig c("POINT_SERVO=131\n");
    DialogRig::type(c.dialog->angleField(Angle::Through1), "12");
    c.dialog->cancelButton()->click();
    EXPECT_EQ(c.ini("THROUGH_POINT"), "(absent)");
    EXPECT_EQ(c.editor->angle(Angle::Through1), -90); // the dialog's own default
}

// Every group is laid out and visible; with SERVO_DIALOG_PNG set the
// picture is kept for a person to look at.
TEST(ServoDialogTest, LaysOutEveryGroup)
{
    DialogRig r("TURN_SERVO=129\nPOINT_SERVO=131\n");
    r.dialog->adjustSize();
    const QPixmap shot = r.dialog->grab();
    EXPECT_GT(shot.width(), 300);
    EXPECT_GT(shot.height(), 300);
    for (int g = 0; g < int(Group::Count); ++g)
        EXPECT_FALSE(r.dialog->group(Group(g))->geometry().isEmpty()) << g;
    if (const char* path = std::getenv("SERVO_DIALOG_PNG"))
        shot.save(QString::fromUtf8(path));
}

} // namespace
} // namespace vardo::testing
