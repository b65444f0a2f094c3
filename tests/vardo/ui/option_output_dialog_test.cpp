#include "qt_app.h"

#include "usb_rig.h"
#include "vardo/operation/controller_action.h"
#include "vardo/operation/usb_devices.h"
#include "vardo/ui/dialog_command_editor.h"
#include "vardo/ui/event_dialog.h"
#include "vardo/ui/option_output_dialog.h"

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

using namespace vardo;

TEST(OptionOutputDialog, TogglesSwitchRelaySevenOnTheBoard)
{
    ui_fixtures::qtApp();
    vardo::testing::PtyRig board({});
    ASSERT_TRUE(board.boardReady);
    ASSERT_TRUE(board.usb->initController());
    UsbDevices devices(*board.usb);
    vardo::testing::RecordingFrontend frontend;
    Controller controller(frontend, nullptr);
    controller.setDevices(&devices);
    std::vector<int> crossings, ticks;
    controller.setRelayHook([&](int relay, bool on) { crossings.push_back(on ? relay : -relay); });
    auto* dialog = ui::OptionOutputDialog::open(
        controller, [&](int relay, bool on) { ticks.push_back(on ? relay : -relay); }, nullptr);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->windowTitle(), "オプション出力チェックダイアログ");
    EXPECT_EQ(dialog->toggle(0)->text(), "オプション出力１（リレー７）");
    QTest::mouseClick(dialog->toggle(0), Qt::LeftButton);
    EXPECT_TRUE(board.board.relays()[6]);
    EXPECT_TRUE(dialog->toggle(0)->isChecked());
    QTest::mouseClick(dialog->toggle(0), Qt::LeftButton);
    EXPECT_FALSE(board.board.relays()[6]);
    EXPECT_FALSE(dialog->toggle(0)->isChecked());
    EXPECT_EQ(crossings, (std::vector<int>{7, -7}));
    EXPECT_EQ(ticks, (std::vector<int>{7, -7}));

    // In simulation the board is left alone; the word still changes.
    controller.simulation = true;
    QTest::mouseClick(dialog->toggle(3), Qt::LeftButton);
    EXPECT_FALSE(board.board.relays()[9]);
    EXPECT_EQ(controller.optionRelayBits(), 8);

    // A second opening closes the first; the new one shows the word.
    QPointer<ui::OptionOutputDialog> first = dialog;
    auto* second = ui::OptionOutputDialog::open(controller, {}, nullptr);
    // The first is deleted later, by the event loop.
    EXPECT_TRUE(QTest::qWaitFor([&] { return first.isNull(); }));
    EXPECT_TRUE(second->toggle(3)->isChecked());
    EXPECT_FALSE(second->toggle(0)->isChecked());
    second->close();
}

namespace {

// Clicks a widget through its window, as the window system delivers a
// click: a window blocked by a modal dialog does not get it.
void clickThroughWindow(QWidget* w)
{
    QWidget* top = w->window();
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, w->mapTo(top, w->rect().center()));
}

} // namespace

TEST(OptionOutputDialog, TogglesFillInTheRelayOfAnOpenCommandDialog)
{
    ui_fixtures::qtApp();
    vardo::testing::RecordingFrontend frontend;
    Controller controller(frontend, nullptr);
    controller.simulation = true;
    QWidget window; // the main window both dialogs belong to
    window.resize(200, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto* toggles = ui::OptionOutputDialog::open(controller, ui::tickOpenRelayBoxes, &window);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(toggles));

    ui::DialogCommandEditor editor(&window);
    ProgramCommand command = defaultCommand(CommandKind::OptionOutput, 0, true);
    const ProgramLayoutFacts layout{true, 3, false, 4};
    std::vector<int> seen;
    QTimer::singleShot(0, [&] {
        ui::EventDialog* dialog = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<ui::EventDialog*>(w); d && d->isVisible())
                dialog = d;
        ASSERT_TRUE(dialog); // exec shows the dialog before its loop runs
        // Relay shown, negative while オフ is chosen.
        const auto shown = [dialog] {
            const int relay = dialog->field1()->value();
            return dialog->radio(1)->isChecked() ? relay : -relay;
        };
        // The toggles stay usable while the command dialog is open.
        clickThroughWindow(toggles->toggle(2));
        seen.push_back(shown());
        clickThroughWindow(toggles->toggle(1));
        seen.push_back(shown());
        clickThroughWindow(toggles->toggle(1));
        seen.push_back(shown());
        dialog->accept();
    });
    ASSERT_TRUE(editor.editCommand(command, layout));
    EXPECT_EQ(seen, (std::vector<int>{9, 8, -8}));
    EXPECT_EQ(controller.optionRelayBits(), 0b0100);
    // The dialog's OK stored what the toggles filled in.
    EXPECT_EQ(command.option, 0);
    EXPECT_EQ(command.value1, 8);
    toggles->close();
}

TEST(OptionOutputDialog, CommandDialogsOfOtherKindsAreLeftAlone)
{
    ui_fixtures::qtApp();
    const ProgramLayoutFacts layout{true, 3, false, 4};
    ui::EventDialog speed(CommandForm(CommandKind::TrainSpeed, layout), {0, 50, 0});
    ui::EventDialog relay(CommandForm(CommandKind::OptionOutput, layout), {0, 7, 0});
    speed.show();
    relay.show();
    ui::tickOpenRelayBoxes(10, true);
    EXPECT_EQ(speed.values().value1, 50);
    EXPECT_EQ(speed.values().option, 0);
    EXPECT_EQ(relay.values().value1, 10);
    EXPECT_EQ(relay.values().option, 1);
    // A closed dialog is no longer ticked.
    relay.hide();
    ui::tickOpenRelayBoxes(7, false);
    EXPECT_EQ(relay.values().value1, 10);
}
