// A program built through the widgets as a user builds it: insertion from
// the toolbar, values typed into the real dialogs, a link chosen by
// clicking, saved, and read back from the file unchanged.
#include "../operation/program_test_support.h"
#include "common/byte_io.h"
#include "qt_app.h"
#include "recording_frontend.h"
#include "temp_dir.h"
#include "vardo/operation/program_file.h"
#include "vardo/ui/dialog_command_editor.h"
#include "vardo/ui/event_dialog.h"
#include "vardo/ui/program_actions.h"
#include "vardo/ui/program_view.h"
#include "vardo/ui/time_dialog.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace vardo::ui {
namespace {

// Fills the dialog that the next action opens, then presses OK.
template <class Dialog> void whenOpened(std::function<void(Dialog&)> fill, bool* seen)
{
    QTimer::singleShot(0, [fill, seen] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        *seen = true;
        fill(*dialog);
        dialog->accept();
        if (dialog->result() != QDialog::Accepted)
            dialog->reject(); // refused: leave the modal loop all the same
    });
}

void click(QWidget* w, QPoint at)
{
    for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                      Qt::NoModifier);
        QCoreApplication::sendEvent(w, &e);
    }
}

TEST(ProgramBuildingTest, BuiltInTheWidgetsSavesAndReadsBackUnchanged)
{
    ui_fixtures::qtApp();
    vardo::testing::TempDir dir;
    vardo::testing::RecordingFrontend frontend;
    vardo::testing::ScriptedFileChooser files;
    files.savePath = dir.file("built.vpr");
    Program program;
    QWidget window;
    DialogCommandEditor dialogs(&window);
    ProgramEditor editor(program, frontend, dialogs, files, dir.file("option.ini"), dir.path());
    const ProgramLayoutFacts facts{true, 2, false, 4};
    editor.setLayoutFacts(facts);
    ProgramView view(editor, &window);
    view.setLayoutFacts(facts);
    view.setDialogEditor(&dialogs);
    ProgramActions actions(editor, view, &window);
    actions.setLayoutFacts(facts, IconVariant::Plain);
    auto insert = [&](CommandKind kind) {
        actions.update(false, true);
        ASSERT_TRUE(actions.insert(kind)->isEnabled()) << int(kind);
        actions.insert(kind)->trigger();
    };

    program.selected = 0;
    bool seen = false;
    whenOpened<EventDialog>(
        [](EventDialog& d) {
            d.radio(1)->click();
            d.field1()->setValue(2);
        },
        &seen);
    insert(CommandKind::TrainControl);
    EXPECT_TRUE(seen);
    const int train = program.selected;

    seen = false;
    whenOpened<TimeDialog>(
        [](TimeDialog& d) {
            d.field1()->setValue(3);
            d.field2()->setValue(250);
        },
        &seen);
    insert(CommandKind::Timer);
    EXPECT_TRUE(seen);

    seen = false;
    whenOpened<EventDialog>([](EventDialog& d) { d.field1()->setValue(5); }, &seen);
    insert(CommandKind::Repeat);
    EXPECT_TRUE(seen);
    const int repeat = program.selected;

    // Link the repeat back to the train command by clicking it.
    actions.update(false, true);
    ASSERT_TRUE(actions.edit(ProgramActions::Link)->isEnabled());
    actions.edit(ProgramActions::Link)->trigger();
    const ProgramCommand& target = program.commands[size_t(train)];
    click(&view, QPoint(target.boxX + 20, target.boxY + 20));
    ASSERT_EQ(program.commands[size_t(repeat)].link, train);

    program.selected = repeat;
    insert(CommandKind::EndOfOperation);
    ASSERT_TRUE(editor.save());

    std::vector<uint8_t> bytes;
    ASSERT_TRUE(common::readWholeFile(files.savePath, bytes, 1u << 20));
    ProgramFileContents contents;
    ASSERT_EQ(parseProgramFile(bytes, files.savePath, contents), ProgramFileStatus::Ok);
    Program loaded;
    applyProgramFile(contents, loaded);
    ASSERT_EQ(loaded.count, program.count);
    ASSERT_EQ(loaded.count, 5);
    for (int i = 0; i < loaded.count; ++i) {
        const ProgramCommand& a = loaded.commands[size_t(i)];
        const ProgramCommand& b = program.commands[size_t(i)];
        EXPECT_EQ(a.kind, b.kind) << i;
        EXPECT_EQ(a.option, b.option) << i;
        EXPECT_EQ(a.value1, b.value1) << i;
        EXPECT_EQ(a.value2, b.value2) << i;
        EXPECT_EQ(a.next, b.next) << i;
        EXPECT_EQ(a.link, b.link) << i;
    }
    // What the dialogs stored.
    EXPECT_EQ(loaded.commands[1].option, 1);
    EXPECT_EQ(loaded.commands[1].value1, 2);
    EXPECT_EQ(loaded.commands[2].value1, 3);
    EXPECT_EQ(loaded.commands[2].value2, 250);
    EXPECT_EQ(loaded.commands[3].value1, 5);
    EXPECT_EQ(loaded.commands[3].link, 1);
}

} // namespace
} // namespace vardo::ui
