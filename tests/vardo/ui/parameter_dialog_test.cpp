#include "qt_app.h"

#include "common/profile.h"
#include "recording_frontend.h"
#include "temp_dir.h"
#include "vardo/ui/number_field.h"
#include "vardo/ui/parameter_dialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace vardo;
using vardo::testing::TempDir;

namespace {

struct DialogRig {
    DialogRig()
    {
        ui_fixtures::qtApp();
        dir.write("option.ini", "[VIEW]\nDIFF_LEVEL=70\n");
        links.settings = &settings;
        links.frontend = &frontend;
        links.passCounter = &counter;
        links.layout.crossings = true;
        links.apply = [this](const panel::ParameterValues& v) { applied.push_back(v); };
        links.commit = [this](const panel::ParameterValues& v) { committed.push_back(v); };
        dialog = std::make_unique<ui::ParameterDialog>(links);
        dialog->show();
    }
    QLineEdit* edit(const char* name) { return dialog->findChild<ui::NumberField*>(name)->edit(); }
    void type(const char* name, const QString& text)
    {
        QLineEdit* e = edit(name);
        e->selectAll();
        QTest::keyClicks(e, text);
    }
    QString key(const char* section, const char* name)
    {
        return QString::fromStdString(
            common::Profile::getString(dir.file("option.ini"), section, name, "<absent>"));
    }
    template <class T> T* child(const char* name) { return dialog->findChild<T*>(name); }

    TempDir dir;
    Settings settings{dir.file("VARDO.ini"), dir.file("option.ini")};
    vardo::testing::RecordingFrontend frontend;
    panel::PassCounter counter;
    std::vector<panel::ParameterValues> applied;
    std::vector<panel::ParameterValues> committed; // OK only
    ui::ParameterDialogLinks links;
    std::unique_ptr<ui::ParameterDialog> dialog;
};

} // namespace

TEST(ParameterDialog, TypedValuesOutsideTheRangeGiveTheLastOneBack)
{
    DialogRig r;
    EXPECT_EQ(r.dialog->values().diffLevel, 70);
    r.type("diffLevel", "0");
    EXPECT_EQ(r.edit("diffLevel")->text(), "70");
    r.type("diffLevel", "100");
    EXPECT_EQ(r.edit("diffLevel")->text(), "10"); // the third digit was refused
    EXPECT_EQ(r.dialog->values().diffLevel, 10);
    r.type("diffLevel", "99");
    EXPECT_EQ(r.dialog->values().diffLevel, 99);
    r.type("homeOffset", "0");
    EXPECT_EQ(r.dialog->values().homeOffset, 0);
    r.type("positionRange", "0");
    EXPECT_EQ(r.dialog->values().positionRange, 32);
    r.type("compareFrame", "x");
    EXPECT_EQ(r.dialog->values().compareFrame, 1);
    // The interval's arrows stop at 9 though 99 may be typed.
    r.type("compareFrame", "9");
    QTest::mouseClick(
        r.dialog->findChild<ui::NumberField*>("compareFrame")->findChild<QWidget*>("up"),
        Qt::LeftButton);
    EXPECT_EQ(r.dialog->values().compareFrame, 9);
}

TEST(ParameterDialog, DefaultsThenOkWritesTheKeys)
{
    DialogRig r;
    r.type("homeOffset", "5");
    r.child<QPushButton>("defaults")->click();
    const auto v = r.dialog->values();
    EXPECT_EQ(v.diffLevel, 85);
    EXPECT_EQ(v.homeOffset, 16);
    EXPECT_EQ(v.baudRate, 9600);
    EXPECT_EQ(r.key("VIEW", "DIFF_LEVEL"), "70"); // nothing written yet
    r.child<QPushButton>("ok")->click();
    EXPECT_EQ(r.key("VIEW", "DIFF_LEVEL"), "85");
    EXPECT_EQ(r.key("VIEW", "COMPARE_FRAME"), "1");
    EXPECT_EQ(r.key("VIEW", "ENABLE_EXCEPT"), "1");
    EXPECT_EQ(r.key("USB", "PWM_CONTROL"), "0");
    EXPECT_EQ(r.key("EVENT", "POSITION_RANGE"), "32");
    EXPECT_EQ(r.key("USB", "CROSS_TIME"), "8");
    EXPECT_EQ(r.key("EVENT", "HOME_OFFSET"), "16");
    EXPECT_EQ(r.key("AUTO", "CHECK_CONTROL"), "1");
    // Untouched: no baud rate, no reply waiting, no turntable stop, no message.
    EXPECT_EQ(r.key("USB", "BAUD_RATE"), "<absent>");
    EXPECT_EQ(r.key("USB", "WAIT_RESPONSE"), "<absent>");
    EXPECT_EQ(r.key("SERVO", "AUTO_STOP"), "<absent>");
    EXPECT_TRUE(r.frontend.messageTexts().empty());
}

TEST(ParameterDialog, BaudRateOnlyWhenEditedWithTheRestartMessage)
{
    DialogRig r;
    QLineEdit* baud = r.child<QLineEdit>("baudRate");
    baud->selectAll();
    QTest::keyClicks(baud, "19200");
    r.child<QCheckBox>("waitResponse")->click();
    r.child<QPushButton>("ok")->click();
    EXPECT_EQ(r.key("USB", "BAUD_RATE"), "19200");
    EXPECT_EQ(r.key("USB", "WAIT_RESPONSE"), "0");
    ASSERT_EQ(r.frontend.messageTexts().size(), 1u);
    EXPECT_EQ(r.frontend.messageTexts()[0], "標準インタフェイスの通信速度が変更されました。\n有効に"
                                            "するには本プログラムを再起動してください。");
}

TEST(ParameterDialog, PulseWidthAnsweredNoStaysOffAndUnwritten)
{
    DialogRig r;
    r.frontend.queueAnswer(Answer::No);
    r.child<QCheckBox>("pwmControl")->click();
    r.child<QPushButton>("ok")->click();
    ASSERT_EQ(r.frontend.questions().size(), 1u);
    EXPECT_TRUE(r.frontend.questions()[0].starts_with(
        "列車速度を制御するにはI/Oコントローラのケーブルの差し替えが必要です。"));
    EXPECT_EQ(r.key("USB", "PWM_CONTROL"), "<absent>");
    // Edits are in force at once, but pulse-width control only after OK.
    EXPECT_TRUE(r.applied.back().pwmControl);
    ASSERT_EQ(r.committed.size(), 1u);
    EXPECT_FALSE(r.committed.back().pwmControl);
    // Answered yes it is written.
    DialogRig yes;
    yes.frontend.queueAnswer(Answer::Yes);
    yes.child<QCheckBox>("pwmControl")->click();
    yes.child<QPushButton>("ok")->click();
    EXPECT_EQ(yes.key("USB", "PWM_CONTROL"), "1");
    ASSERT_EQ(yes.committed.size(), 1u);
    EXPECT_TRUE(yes.committed.back().pwmControl);
}

TEST(ParameterDialog, CancelGivesTheOpeningValuesBackAndCountsPasses)
{
    DialogRig r;
    EXPECT_TRUE(r.counter.isOpen());
    r.counter.frameAnalysed(100, 100, 110, 100, 32);
    r.counter.frameAnalysed(100, 100, 200, 100, 32);
    EXPECT_EQ(r.counter.count(), 1);
    // The count reaches the label on the dialog's own refresh.
    EXPECT_TRUE(QTest::qWaitFor([&] { return r.child<QLabel>("passCount")->text() == "1"; }))
        << r.child<QLabel>("passCount")->text().toStdString();
    r.type("diffLevel", "50");
    r.child<QCheckBox>("autoStop")->click();
    EXPECT_EQ(r.applied.back().diffLevel, 50);
    r.child<QPushButton>("cancel")->click();
    EXPECT_EQ(r.applied.back().diffLevel, 70);
    EXPECT_TRUE(r.applied.back().autoStop); // AUTO_STOP 2 when the dialog opened
    EXPECT_TRUE(r.applied.back().autoStart);
    EXPECT_EQ(r.key("VIEW", "DIFF_LEVEL"), "70");
    EXPECT_TRUE(r.committed.empty());
    r.dialog.reset();
    EXPECT_FALSE(r.counter.isOpen());
}
