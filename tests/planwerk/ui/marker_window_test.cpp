// Regions, control points, crossings and sensors from the window's menus
// and pop-ups, with the real settings dialogs answered on screen, and the
// editor settings taking effect without a restart.
#include "editor_fixture.h"
#include "qt_app.h"

#include "common/profile.h"
#include "planwerk/editor_texts.h"
#include "planwerk/ui/control_dialog.h"
#include "planwerk/ui/layout_view.h"
#include "planwerk/ui/main_frame.h"
#include "planwerk/ui/marker_dialogs.h"
#include "planwerk/ui/settings_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace planwerk::ui {
namespace {

using planwerk::testing::TempFolder;

// Runs `answer` on the next modal dialog once it is up; the dialog must
// be closed by it.
template <typename Dialog> void answerNextDialog(std::function<void(Dialog&)> answer, bool* seen)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, answer, seen] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        *seen = true;
        answer(*dialog);
    });
    timer->start();
}

class MarkerWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing::qtApp();
        planwerk::testing::writeIni(dir.path());
        planwerk::testing::writeWorkingPicture(dir.path());
        frame = std::make_unique<MainFrame>(dir.path());
        frame->hooks.message = [this](const std::string& text, common::Icon) {
            messages.push_back(text);
        };
        frame->hooks.ask = [](const std::string&, Buttons, Answer) { return Answer::No; };
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        ASSERT_TRUE(frame->start());
    }

    void click(QPoint p) { QTest::mouseClick(frame->view(), Qt::LeftButton, {}, p); }

    // Right click at `p` and choose the pop-up item with `text`.
    void choose(QPoint p, const std::string& text)
    {
        frame->hooks.popup = [text](QMenu& menu) -> QAction* {
            for (QAction* a : menu.actions())
                if (a->text().toStdString() == text)
                    return a;
            ADD_FAILURE() << "no pop-up item " << text;
            return nullptr;
        };
        QTest::mouseClick(frame->view(), Qt::RightButton, {}, p);
        frame->hooks.popup = nullptr;
    }

    TempFolder dir;
    std::unique_ptr<MainFrame> frame;
    std::vector<std::string> messages;
};

TEST_F(MarkerWindowTest, MaskRectangleBandAndDeleteFromTheMenu)
{
    frame->runCommand(MenuId::MaskMode);
    EXPECT_TRUE(frame->action(MenuId::AddBand)->isEnabled());
    EXPECT_FALSE(frame->action(MenuId::DeleteRegion)->isEnabled());
    frame->action(MenuId::AddRectangle)->trigger();
    frame->action(MenuId::AddBand)->trigger();
    ASSERT_EQ(frame->editor().masks().count(), 2);

    // Pressing a corner selects its region; then it can be deleted.
    layoutdata::Point corner = frame->editor().masks()[0].corners[0];
    click({corner.x, corner.y});
    ASSERT_TRUE(frame->action(MenuId::DeleteRegion)->isEnabled());
    frame->action(MenuId::DeleteRegion)->trigger();
    EXPECT_EQ(frame->editor().masks().count(), 1);
    EXPECT_TRUE(frame->editor().modified().mask);

    // Exclusion regions take rectangles only.
    frame->runCommand(MenuId::ExceptionMode);
    EXPECT_FALSE(frame->action(MenuId::AddBand)->isEnabled());
    frame->runCommand(MenuId::AddRectangle);
    EXPECT_EQ(frame->editor().exceptions().count(), 1);
}

TEST_F(MarkerWindowTest, ControlPointAddedThroughItsDialogAndSetAgainFromTheMenu)
{
    frame->runCommand(MenuId::ControlPointsMode);
    EXPECT_FALSE(frame->action(MenuId::ControlSettings)->isEnabled());
    // Adding opens the settings dialog; cancelling keeps the new point.
    bool seen = false;
    answerNextDialog<ControlDialog>([](ControlDialog& d) { d.reject(); }, &seen);
    frame->runCommand(MenuId::AddRectangle);
    EXPECT_TRUE(seen);
    ASSERT_EQ(frame->editor().controlPoints().count(), 1);
    EXPECT_EQ(frame->editor().controlPoints()[0].trackAction, 0);

    // Exactly one control point: the menu's settings item works on it.
    ASSERT_TRUE(frame->action(MenuId::ControlSettings)->isEnabled());
    seen = false;
    answerNextDialog<ControlDialog>(
        [](ControlDialog& d) {
            d.pointBox()->click();
            d.branch()->click();
            d.points()->setCurrentIndex(2);
            d.directionButton(1)->click();
            d.accept();
        },
        &seen);
    frame->runCommand(MenuId::ControlSettings);
    ASSERT_TRUE(seen);
    const layoutdata::ControlPointRecord& r = frame->editor().controlPoints()[0];
    EXPECT_EQ(r.trackAction, 2);
    EXPECT_EQ(r.point, 2);
    EXPECT_EQ(r.direction, 1);
    EXPECT_TRUE(frame->editor().modified().control);
}

TEST_F(MarkerWindowTest, CrossingDialogDrivesByRelayWithLightsOnly)
{
    frame->runCommand(MenuId::CrossingsMode);
    if (frame->editor().crossings().count() == 0)
        frame->runCommand(MenuId::AddRectangle);
    ASSERT_EQ(frame->editor().crossings().count(), 1);
    ASSERT_TRUE(frame->action(MenuId::CrossingSettings)->isEnabled());
    bool seen = false;
    answerNextDialog<CrossingDialog>(
        [](CrossingDialog& d) {
            if (!d.barrier()->isChecked())
                d.barrier()->click();
            if (!d.light()->isChecked())
                d.light()->click();
            d.barrier()->click(); // off: the lights stay
            d.relayDrive()->click();
            d.relays()->setCurrentIndex(2);
            d.accept();
        },
        &seen);
    frame->runCommand(MenuId::CrossingSettings);
    ASSERT_TRUE(seen);
    const layoutdata::CrossingRecord& r = frame->editor().crossings()[0];
    EXPECT_EQ(r.barrier, 0);
    EXPECT_EQ(r.lights, 1);
    EXPECT_EQ(r.drive, 9);
}

TEST_F(MarkerWindowTest, SensorSettingsOnlyFromThePopup)
{
    frame->runCommand(MenuId::SensorsMode);
    bool seen = false;
    answerNextDialog<SensorDialog>([](SensorDialog& d) { d.reject(); }, &seen);
    choose({200, 200}, text::kMenuAddSensor);
    ASSERT_EQ(frame->editor().sensors().count(), 1);
    const layoutdata::SensorRecord& s = frame->editor().sensors()[0];
    seen = false;
    answerNextDialog<SensorDialog>(
        [](SensorDialog& d) {
            d.field()->setText("42");
            d.accept();
        },
        &seen);
    choose({s.x, s.y}, text::kMenuSensorSettings);
    ASSERT_TRUE(seen);
    EXPECT_EQ(frame->editor().sensors()[0].sensitivity, 42);
    EXPECT_TRUE(frame->editor().modified().sensor);
}

TEST_F(MarkerWindowTest, PopupItemsAreJudgedByTheMenuRulesToo)
{
    // The editor would rotate the layout picture in any mode; the menu
    // allows it only without a mode, and a pop-up item follows the menu.
    std::vector<MenuItem> items{{"画像回転", Command::Rotate, true, false},
                                {"矩形", Command::AddRect, true, false}};
    frame->runCommand(MenuId::MaskMode);
    ASSERT_TRUE(frame->editor().isEnabled(Command::Rotate));
    QMenu menu;
    fillPopup(menu, items, frame->editor());
    EXPECT_FALSE(menu.actions()[0]->isEnabled());
    EXPECT_TRUE(menu.actions()[1]->isEnabled());
}

TEST_F(MarkerWindowTest, SettingsTakeEffectAtOnceAndAreWritten)
{
    frame->runCommand(MenuId::OuterLoopMode);
    click({100, 240});
    click({540, 240});
    ASSERT_EQ(frame->editor().row(0).count(), 2);
    EXPECT_FALSE(frame->action(MenuId::AppendSwitch)->isEnabled()); // sorted
    QColor before = frame->view()->grab().toImage().pixelColor(320, 244);

    frame->hooks.settingsDialog = [](QDialog& dialog) {
        auto& d = static_cast<SettingsDialog&>(dialog);
        d.sortBox()->setChecked(false);
        d.field(1)->setText("9");  // line width
        d.field(3)->setText("64"); // rail width
        d.accept();
        return dialog.result();
    };
    frame->runCommand(MenuId::Settings);
    const EditorSettings& s = frame->editor().settings();
    EXPECT_EQ(s.sortPoint, 0);
    EXPECT_EQ(s.lineWidth, 9);
    EXPECT_EQ(s.railWidth, 64);
    // Live: the append switch is offered now, and the line is drawn wider.
    EXPECT_TRUE(frame->action(MenuId::AppendSwitch)->isEnabled());
    QColor after = frame->view()->grab().toImage().pixelColor(320, 244);
    EXPECT_NE(after, before);
    std::string ini = dir.file("Planwerk.ini");
    EXPECT_EQ(common::Profile::getInt(ini, "EDIT", "SORT_POINT", -1), 0);
    EXPECT_EQ(common::Profile::getInt(ini, "EDIT", "LINE_WIDTH", -1), 9);
    EXPECT_EQ(common::Profile::getInt(ini, "OPTION", "RAIL_WIDTH", -1), 64);

    // Cancel leaves both the editor and the file alone.
    frame->hooks.settingsDialog = [](QDialog& dialog) {
        static_cast<SettingsDialog&>(dialog).field(1)->setText("3");
        return int(QDialog::Rejected);
    };
    frame->runCommand(MenuId::Settings);
    EXPECT_EQ(frame->editor().settings().lineWidth, 9);
    EXPECT_EQ(common::Profile::getInt(ini, "EDIT", "LINE_WIDTH", -1), 9);
}

TEST_F(MarkerWindowTest, SettingsFromElsewhereAreKeptInTheirRanges)
{
    EditorSettings wild = frame->editor().settings();
    wild.sortPoint = 5;
    wild.pointSize = 0;
    wild.lineWidth = 50;
    wild.maskWidth = -3;
    wild.railWidth = 1000;
    wild.trainSize = 1;
    wild.maxPoint = 7; // not a dialog value: stays as read
    int maxPoint = frame->editor().settings().maxPoint;
    frame->editor().setSettings(wild);
    const EditorSettings& s = frame->editor().settings();
    EXPECT_EQ(s.sortPoint, 1);
    EXPECT_EQ(s.pointSize, 1);
    EXPECT_EQ(s.lineWidth, 10);
    EXPECT_EQ(s.maskWidth, 1);
    EXPECT_EQ(s.railWidth, 100);
    EXPECT_EQ(s.trainSize, 10);
    EXPECT_EQ(s.maxPoint, maxPoint);
}

} // namespace
} // namespace planwerk::ui
