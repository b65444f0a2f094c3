#include "qt_app.h"

#include "usb_rig.h"
#include "vardo/operation/controller_action.h"
#include "vardo/operation/usb_devices.h"
#include "vardo/ui/option_output_dialog.h"

#include <QPushButton>
#include <QTest>
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
