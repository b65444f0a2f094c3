// The program editor inside the real main window: the program display in
// its mode, the 編集 menu and the context menu over the kinds and the
// operating state, and a program built through the widgets, saved through
// the file dialog, read back by vardo-run and run in simulation.
#include "../operation/program_test_support.h"
#include "common/profile.h"
#include "qt_app.h"
#include "run_program.h"
#include "ui_fixture.h"
#include "vardo/base/command_ids.h"
#include "vardo/operation/program_file.h"
#include "vardo/ui/dialog_command_editor.h"
#include "vardo/ui/event_dialog.h"
#include "vardo/ui/main_frame.h"
#include "vardo/ui/program_actions.h"
#include "vardo/ui/program_view.h"
#include "vardo/ui/sound_dialog.h"
#include "vardo/ui/time_dialog.h"
#include "vardo/ui/title_dialog.h"

#include "common/byte_io.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>

#include <cstdio>

using namespace vardo;
using namespace vardo::ui;

namespace {

std::unique_ptr<CMainFrame> startedFrame(const ui_fixtures::ProgramFolder& folder)
{
    ui_fixtures::qtApp();
    auto frame = std::make_unique<CMainFrame>(folder.path(), "",
                                              std::make_unique<ui_fixtures::FakeBackend>());
    frame->startUp();
    QCoreApplication::processEvents(); // the posted start of the simulation
    return frame;
}

void send(QWidget* w, QEvent::Type type, Qt::MouseButton button, QPoint at)
{
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

void click(QWidget* w, Qt::MouseButton button, QPoint at)
{
    send(w, QEvent::MouseButtonPress, button, at);
    send(w, QEvent::MouseButtonRelease, button, at);
}

QPoint centre(const Program& p, int index)
{
    const ProgramCommand& c = p.commands[size_t(index)];
    return {c.boxX + 20, c.boxY + 20};
}

// Fills the dialog that the next command opens, then presses OK.
template <class Dialog> void whenOpened(std::function<void(Dialog&)> fill, bool* seen)
{
    QTimer::singleShot(0, [fill, seen] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        *seen = true;
        fill(*dialog);
        static_cast<QDialog*>(dialog)->accept(); // the file dialog's own accept is protected
        if (dialog->result() != QDialog::Accepted)
            dialog->reject(); // refused: leave the modal loop all the same
    });
}

// Output and exit status of a vardo-run command run with the folder as
// its program folder.
struct ToolRun {
    int status = -1;
    std::string out;
};

ToolRun vardoRun(const std::string& folder, const std::string& args)
{
    const auto run = vardo::testing::runShell("'" VARDO_RUN_PATH "' " + args,
                                              vardo::testing::inProgramFolder(folder));
    return {run.exitCode, run.out};
}

class WindowProgramTest : public ::testing::Test {
protected:
    WindowProgramTest()
    {
        common::Profile::writeString(folder.dir.file("option.ini"), "CAPTURE", "DEVICE", "0");
        frame = startedFrame(folder);
        frame->programView().setMenuRunner(
            [this](QMenu& menu, QPoint) { menus << menuTexts(menu); });
    }
    ~WindowProgramTest() override
    {
        // The exit's questions (save the edited program?) are declined.
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [] {
            if (QWidget* w = QApplication::activeModalWidget())
                w->close();
        });
        closer.start(20);
        frame->onCommand(cmd::Exit);
    }

    static QString menuTexts(QMenu& menu)
    {
        QStringList texts;
        for (QAction* a : menu.actions())
            texts << a->text();
        return texts.join("|");
    }
    // The context menu of the command at this slot, opened by a right click.
    QString contextMenu(int index)
    {
        menus.clear();
        click(&frame->programView(), Qt::RightButton, centre(program(), index));
        return menus.isEmpty() ? QString() : menus.last();
    }
    // The 編集 menu as the window enables it, in its order.
    QString enabledEditItems()
    {
        frame->updateActions();
        QStringList on;
        for (int id : {cmd::EditCommand, cmd::DeleteCommand, cmd::MoveNext, cmd::MovePrevious,
                       cmd::Link, cmd::Unlink})
            if (frame->action(id)->isEnabled())
                on << QString::number(id);
        return on.join(",");
    }
    Program& program() { return frame->session().program(); }

    ui_fixtures::ProgramFolder folder;
    std::unique_ptr<CMainFrame> frame;
    QStringList menus;
};

TEST_F(WindowProgramTest, ProgramDisplayAndItsToolbarShowOnlyInTheProgramMode)
{
    ProgramView& view = frame->programView();
    QToolBar* events = frame->programActions().toolbar();
    frame->updateActions();
    EXPECT_TRUE(view.isHidden());
    EXPECT_TRUE(events->isHidden());
    EXPECT_FALSE(frame->action(cmd::InsertTimer)->isEnabled());

    frame->onCommand(cmd::ShowProgram);
    EXPECT_FALSE(view.isHidden());
    EXPECT_FALSE(events->isHidden());
    EXPECT_EQ(view.geometry(), QRect(0, 0, 640, 480));
    EXPECT_EQ(events->windowTitle(), "ｲﾍﾞﾝﾄ");
    // The menus and the main toolbar carry the editor's own actions.
    EXPECT_EQ(frame->action(cmd::Undo), frame->programActions().edit(ProgramActions::Undo));
    EXPECT_EQ(frame->action(cmd::Unlink)->shortcuts().size(), 2);
    EXPECT_EQ(frame->action(cmd::InsertTimer), frame->programActions().insert(CommandKind::Timer));
    EXPECT_TRUE(frame->action(cmd::InsertTimer)->isEnabled());

    frame->onCommand(cmd::LayoutDisplay);
    EXPECT_TRUE(view.isHidden());
    EXPECT_TRUE(events->isHidden());
}

TEST_F(WindowProgramTest, MenusFollowTheKindAndTheOperatingState)
{
    Program& p = program();
    const int timer = vardo::testing::addCommand(p, CommandKind::Timer, 0, 30);
    const int train = vardo::testing::addCommand(p, CommandKind::TrainControl, timer, 0, 0, 1);
    const int repeat = vardo::testing::addCommand(p, CommandKind::Repeat, train, 2);
    const int end = vardo::testing::addCommand(p, CommandKind::EndOfOperation, repeat);
    ASSERT_GT(end, 0);
    frame->onCommand(cmd::ShowProgram);
    ProgramView& view = frame->programView();

    // Between boxes: no selection, no menu.
    const QPoint between(p.commands[size_t(train)].boxX - 8, centre(p, train).y());
    click(&view, Qt::LeftButton, centre(p, train));
    ASSERT_EQ(p.selected, train);
    menus.clear();
    click(&view, Qt::RightButton, between);
    EXPECT_EQ(p.selected, -1);
    EXPECT_TRUE(menus.isEmpty());
    EXPECT_EQ(enabledEditItems(), "");

    // The start command is selected but offers nothing.
    EXPECT_EQ(contextMenu(0), QString());
    EXPECT_EQ(p.selected, 0);
    EXPECT_EQ(enabledEditItems(), "");
    EXPECT_TRUE(frame->action(cmd::InsertTimer)->isEnabled());

    const QString E = QString::number(cmd::EditCommand), D = QString::number(cmd::DeleteCommand),
                  N = QString::number(cmd::MoveNext), P = QString::number(cmd::MovePrevious),
                  L = QString::number(cmd::Link);
    EXPECT_EQ(contextMenu(timer), "編集|削除|次に移動");
    EXPECT_EQ(enabledEditItems(), QStringList({E, D, N}).join(","));
    EXPECT_EQ(contextMenu(train), "編集|削除|次に移動|前に移動");
    EXPECT_EQ(enabledEditItems(), QStringList({E, D, N, P}).join(","));
    EXPECT_EQ(contextMenu(repeat), "編集|削除|前に移動|リンク先指定");
    EXPECT_EQ(enabledEditItems(), QStringList({E, D, P, L}).join(","));
    EXPECT_FALSE(frame->action(cmd::InsertEnd)->isEnabled()) << "the repeat has a next command";
    EXPECT_EQ(contextMenu(end), "削除");
    EXPECT_EQ(enabledEditItems(), D);
    EXPECT_FALSE(frame->action(cmd::InsertTimer)->isEnabled()) << "nothing after the end";

    // Link from the 編集 menu by a click on the target; undo from the menu
    // brings the picture back.
    click(&view, Qt::LeftButton, centre(p, repeat));
    const QImage before = view.shownPicture();
    frame->onCommand(cmd::Link);
    click(&view, Qt::LeftButton, centre(p, timer));
    ASSERT_EQ(p.commands[size_t(repeat)].link, timer);
    EXPECT_EQ(contextMenu(repeat), "編集|削除|前に移動|リンク先変更|リンク削除");

    // Operating in simulation: only 編集 and 削除 in the context menu,
    // nothing in the 編集 menu or the toolbar. A question would be a fault
    // here: it is closed and fails the test.
    QStringList modals;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&modals] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            modals << w->metaObject()->className();
            w->close();
        }
    });
    closer.start(50);
    ASSERT_TRUE(frame->session().simulation().running());
    frame->session().assembly().autoOperationCommand(); // the panel's button 8
    ASSERT_TRUE(frame->session().operation().operating());
    frame->updateActions();
    EXPECT_TRUE(view.operating());
    EXPECT_EQ(contextMenu(train), "編集|削除");
    EXPECT_EQ(enabledEditItems(), "");
    EXPECT_FALSE(frame->action(cmd::InsertTimer)->isEnabled());
    EXPECT_FALSE(frame->action(cmd::Undo)->isEnabled());
    frame->session().assembly().autoOperationCommand(); // the panel's button 8
    EXPECT_FALSE(frame->session().operation().operating());
    closer.stop();
    EXPECT_TRUE(modals.isEmpty()) << modals.join(",").toStdString();
    frame->updateActions();
    EXPECT_FALSE(view.operating());
    EXPECT_EQ(contextMenu(train), "編集|削除|次に移動|前に移動");

    click(&view, Qt::LeftButton, centre(p, repeat));
    frame->updateActions();
    ASSERT_TRUE(frame->action(cmd::Undo)->isEnabled());
    frame->onCommand(cmd::Undo);
    EXPECT_EQ(p.commands[size_t(repeat)].link, -1);
    p.selected = repeat;
    EXPECT_EQ(view.shownPicture(), before);
}

TEST_F(WindowProgramTest, SoundButtonOpensTheSoundSettingsAndTakesTheChosenNumber)
{
    const std::string option = folder.dir.file("option.ini");
    common::Profile::writeString(option, "SOUND", "SOUND_FILE1", "one.wav");
    common::Profile::writeString(option, "SOUND", "SOUND_FILE2", "two.wav");
    frame->onCommand(cmd::ShowProgram);
    click(&frame->programView(), Qt::LeftButton, centre(program(), 0));
    bool seen = false;
    bool soundSeen = false;
    int chosen = 0;
    whenOpened<EventDialog>(
        [&](EventDialog& d) {
            whenOpened<SoundDialog>(
                [](SoundDialog& s) { s.findChild<QListWidget*>()->setCurrentRow(1); }, &soundSeen);
            d.button()->click();
            chosen = d.field1()->value();
        },
        &seen);
    frame->onCommand(cmd::InsertSound);
    ASSERT_TRUE(seen);
    EXPECT_TRUE(soundSeen);
    EXPECT_EQ(chosen, 2);
    const ProgramCommand& sound = program().commands[size_t(program().selected)];
    EXPECT_EQ(sound.commandKind(), CommandKind::SoundOutput);
    EXPECT_EQ(sound.value1, 2);
}

TEST_F(WindowProgramTest, ProgramBuiltInTheWindowSavesLoadsBackAndRuns)
{
    frame->onCommand(cmd::ShowProgram);
    ProgramView& view = frame->programView();
    Program& p = program();
    click(&view, Qt::LeftButton, centre(p, 0));

    bool seen = false;
    whenOpened<TimeDialog>(
        [](TimeDialog& d) {
            d.field1()->setValue(0);
            d.field2()->setValue(300);
        },
        &seen);
    frame->onCommand(cmd::InsertTimer);
    ASSERT_TRUE(seen);
    const int timer = p.selected;

    seen = false;
    whenOpened<EventDialog>(
        [](EventDialog& d) {
            d.radio(1)->click();
            d.field1()->setValue(1);
        },
        &seen);
    frame->onCommand(cmd::InsertTrainControl);
    ASSERT_TRUE(seen);

    seen = false;
    whenOpened<EventDialog>([](EventDialog& d) { d.field1()->setValue(1); }, &seen);
    frame->onCommand(cmd::InsertRepeat);
    ASSERT_TRUE(seen);
    const int repeat = p.selected;
    frame->onCommand(cmd::Link);
    click(&view, Qt::LeftButton, centre(p, timer));
    ASSERT_EQ(p.commands[size_t(repeat)].link, timer);

    click(&view, Qt::LeftButton, centre(p, repeat));
    seen = false;
    whenOpened<EventDialog>([](EventDialog& d) { d.radio(0)->click(); }, &seen);
    frame->onCommand(cmd::InsertTrainControl);
    ASSERT_TRUE(seen);
    frame->onCommand(cmd::InsertEnd);

    seen = false;
    whenOpened<TitleDialog>([](TitleDialog& d) { d.field()->setText("窓の運転"); }, &seen);
    frame->onCommand(cmd::ProgramTitle);
    ASSERT_TRUE(seen);

    // Saved through the file dialog.
    const std::string saved = folder.dir.file("built.vpr");
    seen = false;
    whenOpened<QFileDialog>([&](QFileDialog& d) { d.selectFile(QString::fromStdString(saved)); },
                            &seen);
    frame->onCommand(cmd::SaveProgram);
    ASSERT_TRUE(seen);
    const std::string reference = folder.dir.file("reference.vpr");
    ASSERT_TRUE(common::writeFileAtomic(reference, serialiseProgram(p)));

    const ToolRun built = vardoRun(folder.path(), "program --json '" + saved + "'");
    ASSERT_EQ(built.status, 0) << built.out;
    const ToolRun expected = vardoRun(folder.path(), "program --json '" + reference + "'");
    ASSERT_EQ(expected.status, 0);
    EXPECT_EQ(built.out, expected.out);
    EXPECT_NE(built.out.find("窓の運転"), std::string::npos) << built.out;
    for (const char* kind : {"Timer", "TrainControl", "Repeat", "EndOfOperation"})
        EXPECT_NE(built.out.find(std::string("\"") + kind + "\""), std::string::npos) << kind;

    // Opened again in the window through the open dialog.
    const ToolRun before = vardoRun(folder.path(), "program --json '" + reference + "'");
    // The new command asks before it discards the program: yes.
    QTimer closer;
    bool asked = false;
    QObject::connect(&closer, &QTimer::timeout, [&asked] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            asked = true;
            box->button(QMessageBox::Yes)->click();
        }
    });
    closer.start(20);
    frame->onCommand(cmd::NewProgram);
    closer.stop();
    EXPECT_TRUE(asked);
    EXPECT_EQ(p.count, 1);
    seen = false;
    whenOpened<QFileDialog>([&](QFileDialog& d) { d.selectFile(QString::fromStdString(saved)); },
                            &seen);
    frame->onCommand(cmd::OpenProgram);
    ASSERT_TRUE(seen);
    ASSERT_TRUE(common::writeFileAtomic(reference, serialiseProgram(p)));
    EXPECT_EQ(vardoRun(folder.path(), "program --json '" + reference + "'").out, before.out);

    // And it runs to its end in simulation.
    const ToolRun run =
        vardoRun(folder.path(), "run --json --simulate --seconds 20 --program '" + saved + "'");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("\"reason\":\"program\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"kind\":\"Repeat\""), std::string::npos) << run.out;
}

TEST(WindowProgramStart, TheProgramDisplayShowsItsToolbar)
{
    ui_fixtures::qtApp();
    ui_fixtures::ProgramFolder folder;
    common::Profile::writeString(folder.dir.file("option.ini"), "CAPTURE", "DEVICE", "0");
    CMainFrame frame(folder.path(), "-e", std::make_unique<ui_fixtures::FakeBackend>());
    frame.startUp();
    QCoreApplication::processEvents(); // the posted program, then the simulation
    EXPECT_TRUE(frame.programView().isHidden()) << "no camera: the layout display comes last";
    frame.onCommand(cmd::ShowProgram);
    EXPECT_FALSE(frame.programView().isHidden());
    EXPECT_FALSE(frame.programActions().toolbar()->isHidden());
    frame.onCommand(cmd::Exit);
}

} // namespace
