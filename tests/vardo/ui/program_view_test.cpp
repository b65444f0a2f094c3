// The program display on the offscreen platform: clicks select by box,
// a right click between boxes opens no menu, the start command offers
// nothing, the context menu's items, link-target choosing, undo from the
// menu restoring the picture, and the position pick mode.
#include "../operation/program_test_support.h"
#include "qt_app.h"
#include "recording_frontend.h"
#include "temp_dir.h"
#include "vardo/ui/program_actions.h"
#include "vardo/ui/program_menu_commands.h"
#include "vardo/ui/program_view.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QStringList>
#include <QToolBar>
#include <QWidget>
#include <atomic>
#include <gtest/gtest.h>

namespace vardo::ui {
namespace {

using vardo::testing::addCommand;

void send(QWidget* w, QEvent::Type type, Qt::MouseButton button, QPoint at)
{
    QMouseEvent event(type, QPointF(at), QPointF(w->mapToGlobal(at)), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button),
                      Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

void click(QWidget* w, Qt::MouseButton button, QPoint at)
{
    send(w, QEvent::MouseButtonPress, button, at);
    send(w, QEvent::MouseButtonRelease, button, at);
}

QStringList actionTexts(QMenu& menu)
{
    QStringList texts;
    for (QAction* a : menu.actions())
        texts << a->text();
    return texts;
}

class ProgramViewTest : public ::testing::Test {
protected:
    ProgramViewTest()
        : editor(program, frontend, dialogs, files, dir.file("option.ini"), dir.path())
    {
        ui_fixtures::qtApp();
        editor.setLayoutFacts({true, 2, false, 4});
        timer = addCommand(program, CommandKind::Timer, 0, 10);
        train = addCommand(program, CommandKind::TrainControl, timer, 0, 0, 1);
        program.selected = -1;
        view = std::make_unique<ProgramView>(editor);
        view->setMenuRunner([this](QMenu& menu, QPoint) { menus << actionTexts(menu).join("|"); });
    }
    QPoint centre(int index) const
    {
        const ProgramCommand& c = program.commands[size_t(index)];
        return {c.boxX + 20, c.boxY + 20};
    }
    QAction* action(const QString& text)
    {
        menu = std::make_unique<QMenu>();
        view->fillContextMenu(*menu);
        for (QAction* a : menu->actions())
            if (a->text() == text)
                return a;
        return nullptr;
    }

    vardo::testing::TempDir dir;
    vardo::testing::RecordingFrontend frontend;
    vardo::testing::ScriptedCommandEditor dialogs;
    vardo::testing::ScriptedFileChooser files;
    Program program;
    ProgramEditor editor;
    std::unique_ptr<ProgramView> view;
    std::unique_ptr<QMenu> menu;
    QStringList menus;
    int timer = -1, train = -1;
};

TEST_F(ProgramViewTest, ClickSelectsABoxAndClickBetweenBoxesClearsIt)
{
    click(view.get(), Qt::LeftButton, centre(train));
    EXPECT_EQ(program.selected, train);
    const QPoint between(program.commands[size_t(train)].boxX - 8, centre(train).y());
    click(view.get(), Qt::LeftButton, between);
    EXPECT_EQ(program.selected, -1);
    send(view.get(), QEvent::MouseButtonPress, Qt::RightButton, between);
    EXPECT_TRUE(menus.isEmpty());
}

TEST_F(ProgramViewTest, StartCommandIsSelectedButOffersNoMenu)
{
    send(view.get(), QEvent::MouseButtonPress, Qt::RightButton, centre(0));
    EXPECT_EQ(program.selected, 0);
    EXPECT_TRUE(menus.isEmpty());
    send(view.get(), QEvent::MouseButtonPress, Qt::RightButton, centre(train));
    ASSERT_EQ(menus.size(), 1);
    EXPECT_EQ(menus[0], "編集|削除|前に移動|リンク先指定");
    view->setOperating(true);
    send(view.get(), QEvent::MouseButtonPress, Qt::RightButton, centre(train));
    EXPECT_EQ(menus.last(), "編集|削除");
}

TEST_F(ProgramViewTest, LinkChosenByClickAndUndoFromTheMenuRestoresThePicture)
{
    program.selected = train;
    const QImage before = view->shownPicture();
    QAction* link = action("リンク先指定");
    ASSERT_NE(link, nullptr);
    link->trigger();
    EXPECT_EQ(program.linkSource, train);
    click(view.get(), Qt::LeftButton, centre(timer));
    EXPECT_EQ(program.commands[size_t(train)].link, timer);
    program.selected = train;
    EXPECT_NE(view->shownPicture(), before);
    ASSERT_NE(action("リンク削除"), nullptr);
    ASSERT_TRUE(editor.undo());
    program.selected = train;
    EXPECT_EQ(program.commands[size_t(train)].link, -1);
    EXPECT_EQ(view->shownPicture(), before);
}

TEST_F(ProgramViewTest, MoveFromTheMenuAndUndoRestoresThePicture)
{
    program.selected = train;
    const QImage before = view->shownPicture();
    frontend.queueAnswer(Answer::Yes);
    QAction* previous = action("前に移動");
    ASSERT_NE(previous, nullptr);
    previous->trigger();
    EXPECT_NE(view->shownPicture(), before);
    ASSERT_TRUE(editor.undo());
    program.selected = train;
    EXPECT_EQ(view->shownPicture(), before);
}

TEST_F(ProgramViewTest, PositionPickMovesTheCrossAndStoresOnOk)
{
    const int wait = addCommand(program, CommandKind::PositionWait, train, 100, 200, 0);
    bool toolbarHidden = false;
    QObject::connect(view.get(), &ProgramView::pickModeChanged,
                     [&](bool picking) { toolbarHidden = picking; });
    view->beginPositionPick(wait);
    ASSERT_TRUE(view->picking());
    EXPECT_TRUE(toolbarHidden);
    ASSERT_NE(view->pickWindow(), nullptr);
    EXPECT_EQ(view->pickWindow()->windowTitle(), "列車位置定義");
    EXPECT_EQ(view->pickPoint(), QPoint(100, 200));
    QImage shown = view->shownPicture();
    EXPECT_EQ(QColor(shown.pixel(108, 200)), QColor(Qt::red));
    click(view.get(), Qt::LeftButton, QPoint(300, 250));
    EXPECT_EQ(view->pickPoint(), QPoint(300, 250));
    EXPECT_EQ(program.commands[size_t(wait)].value1, 100) << "nothing stored before OK";
    view->pickWindow()->accept();
    EXPECT_FALSE(view->picking());
    EXPECT_FALSE(toolbarHidden);
    EXPECT_EQ(program.commands[size_t(wait)].option, 3);
    EXPECT_EQ(program.commands[size_t(wait)].value1, 300);
    EXPECT_EQ(program.commands[size_t(wait)].value2, 250);

    view->beginPositionPick(wait);
    click(view.get(), Qt::LeftButton, QPoint(10, 10));
    view->pickWindow()->reject();
    EXPECT_EQ(program.commands[size_t(wait)].value1, 300) << "Cancel leaves the command";
}

TEST_F(ProgramViewTest, EditMenuAndToolbarFollowTheRulesAndUndoRestoresThePicture)
{
    QWidget window;
    ProgramActions actions(editor, *view, &window);
    actions.setLayoutFacts({true, 2, false, 4}, IconVariant::Plain);
    using A = ProgramActions;
    EXPECT_EQ(actions.toolbar()->windowTitle(), "ｲﾍﾞﾝﾄ");
    EXPECT_EQ(actions.edit(A::Undo)->shortcuts(),
              (QList<QKeySequence>{QKeySequence("Ctrl+Z"), QKeySequence("Alt+Backspace")}));
    EXPECT_EQ(actions.edit(A::RemoveLink)->shortcuts(),
              (QList<QKeySequence>{QKeySequence("Ctrl+X"), QKeySequence("Shift+Delete")}));

    program.selected = 0; // the start command: selectable, never edited
    actions.update(false, true);
    for (int e = 0; e < A::Undo; ++e)
        EXPECT_FALSE(actions.edit(A::Edit(e))->isEnabled()) << e;
    EXPECT_TRUE(actions.insert(CommandKind::Timer)->isEnabled());
    EXPECT_FALSE(actions.insert(CommandKind::Turntable)->isVisible());

    program.selected = train;
    actions.update(false, false);
    EXPECT_FALSE(actions.edit(A::EditCommand)->isEnabled()) << "only in the program display";
    EXPECT_FALSE(actions.insert(CommandKind::Timer)->isEnabled());
    actions.update(true, true);
    EXPECT_FALSE(actions.edit(A::EditCommand)->isEnabled()) << "not while operating";
    actions.update(false, true);
    EXPECT_TRUE(actions.edit(A::EditCommand)->isEnabled());
    EXPECT_TRUE(actions.edit(A::Link)->isEnabled());
    EXPECT_FALSE(actions.edit(A::Undo)->isEnabled());

    // Insert from the toolbar (the scripted dialog says OK), undo from the menu.
    const QImage before = view->shownPicture();
    actions.insert(CommandKind::TrainSpeed)->trigger();
    ASSERT_EQ(program.commands[size_t(train)].next, 3);
    actions.update(false, true);
    ASSERT_TRUE(actions.edit(A::Undo)->isEnabled());
    actions.edit(A::Undo)->trigger();
    program.selected = train;
    EXPECT_EQ(view->shownPicture(), before);

    // Remove a link from the menu, and undo that.
    ASSERT_TRUE(program.setLink(train, timer));
    const QImage linked = view->shownPicture();
    actions.update(false, true);
    ASSERT_TRUE(actions.edit(A::RemoveLink)->isEnabled());
    actions.edit(A::RemoveLink)->trigger();
    EXPECT_NE(view->shownPicture(), linked);
    actions.update(false, true); // a disabled action does nothing when triggered
    actions.edit(A::Undo)->trigger();
    program.selected = train;
    EXPECT_EQ(program.commands[size_t(train)].link, timer);
    EXPECT_EQ(view->shownPicture(), linked);
}

TEST_F(ProgramViewTest, WhileOperatingTheFrameFollowsTheExecutingCommand)
{
    std::atomic<int> current{timer};
    view->setExecutingSource([&] { return current.load(); });
    program.selected = train;
    auto framed = [&](int index) {
        const ProgramCommand& c = program.commands[size_t(index)];
        return QColor(view->shownPicture().pixel(c.boxX - 2, c.boxY + 20)) == QColor(0, 255, 0);
    };
    EXPECT_TRUE(framed(train));
    view->setOperating(true);
    EXPECT_TRUE(framed(timer));
    EXPECT_FALSE(framed(train));
    current = train;
    EXPECT_TRUE(framed(train));
    EXPECT_EQ(program.selected, train) << "the selection itself is left alone";
}

TEST_F(ProgramViewTest, TitleAndVirtualTimeCommands)
{
    program.modified = false;
    EXPECT_FALSE(
        editProgramTitle(editor, nullptr, [](TitleDialog&) { return int(QDialog::Rejected); }));
    EXPECT_FALSE(program.modified);
    EXPECT_TRUE(editProgramTitle(editor, nullptr, [](TitleDialog& d) {
        d.field()->setText("夕方の運転");
        d.accept();
        return d.result();
    }));
    EXPECT_EQ(program.title(), "夕方の運転");
    EXPECT_TRUE(program.modified);

    // The clock: the dialog opens checked with the present time.
    ASSERT_EQ(program.virtualTime, -1);
    EXPECT_TRUE(editVirtualTime(editor, nullptr, QTime(7, 45), [](TimeDialog& d) {
        EXPECT_TRUE(d.realClockBox()->isChecked());
        EXPECT_EQ(d.first(), 7);
        EXPECT_EQ(d.second(), 45);
        d.realClockBox()->setChecked(false);
        d.field1()->setValue(9);
        d.field2()->setValue(30);
        d.accept();
        return d.result();
    }));
    EXPECT_EQ(program.virtualTime, 9 * 60 + 30);
    EXPECT_TRUE(editVirtualTime(editor, nullptr, QTime(7, 45), [](TimeDialog& d) {
        EXPECT_FALSE(d.realClockBox()->isChecked());
        EXPECT_EQ(d.first(), 9);
        d.realClockBox()->setChecked(true);
        d.accept();
        return d.result();
    }));
    EXPECT_EQ(program.virtualTime, -1);
}

} // namespace
} // namespace vardo::ui
