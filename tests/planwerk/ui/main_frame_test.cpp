// The real frame window on the offscreen platform: its menus against the
// editor's state, pop-ups, the undo keys, and the close box against Exit.
#include "frame_fixture.h"

#include "planwerk/editor_texts.h"
#include "planwerk/ui/layout_view.h"
#include "planwerk/ui/main_frame.h"
#include "planwerk/ui/toolbar_icons.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

namespace planwerk::ui {
namespace {

using planwerk::testing::TempFolder;

class MainFrameTest : public testing::FrameFixture {
protected:
    void open(bool picture = true) { FrameFixture::open(picture); }

    void click(int x, int y) { QTest::mouseClick(frame->view(), Qt::LeftButton, {}, QPoint(x, y)); }
};

TEST_F(MainFrameTest, FrameTitleSizeBarsAndIdleText)
{
    open(false);
    EXPECT_EQ(frame->windowTitle().toStdString(), "VARDOレイアウトデータ作成プログラム");
    EXPECT_EQ(frame->size(), QSize(659, 583));
    EXPECT_EQ(frame->statusBar()->currentMessage().toStdString(), "レディ");
    QStringList menus;
    for (QAction* a : frame->menuBar()->actions())
        menus << a->text();
    EXPECT_EQ(menus, QStringList(
                         {"ファイル(&F)", "編集(&E)", "オプション(&O)", "表示(&V)", "ヘルプ(&H)"}));
    // The toolbar: its buttons in order, separators where they belong.
    QStringList buttons;
    for (QAction* a : frame->toolBar()->actions())
        buttons << (a->isSeparator() ? QStringLiteral("|") : a->toolTip());
    EXPECT_EQ(buttons.join(','),
              QStringLiteral("新規作成,|,画像ファイルを開く,保存,|,リサイズ,|,"
                             "外周の作成,引込み線の作成,マスクの作成,|,元に戻す"));
    for (const auto& slot : toolbarLayout()) {
        if (slot) {
            EXPECT_FALSE(frame->action(*slot)->icon().isNull());
        }
    }
    // A highlighted item's prompt, then the idle text again.
    frame->action(MenuId::Rotate)->showStatusText(frame.get());
    EXPECT_EQ(frame->statusBar()->currentMessage().toStdString(), "画像を180°回転");
    frame->statusBar()->clearMessage();
    EXPECT_EQ(frame->statusBar()->currentMessage().toStdString(), "レディ");
}

TEST_F(MainFrameTest, WithoutAPictureOnlyTheAlwaysCommands)
{
    open(false);
    EXPECT_EQ(enabledActions(),
              (std::set<MenuId>{MenuId::OpenPicture, MenuId::LoadLayout, MenuId::OpenTrainPicture,
                                MenuId::Settings, MenuId::ToolBar, MenuId::StatusBar, MenuId::About,
                                MenuId::Documentation, MenuId::Exit}));
    // A disabled command does nothing even when called directly.
    frame->runCommand(MenuId::OuterLoopMode);
    EXPECT_EQ(frame->editor().mode(), EditMode::None);
}

TEST_F(MainFrameTest, ModesFromTheMenuAndClicksIntoTheView)
{
    open();
    EXPECT_TRUE(frame->action(MenuId::Resize)->isChecked());
    EXPECT_FALSE(frame->action(MenuId::Resize)->isEnabled());
    // Without a mode the clicks reach nobody.
    click(100, 100);
    EXPECT_EQ(frame->editor().row(0).count(), 0);

    frame->action(MenuId::OuterLoopMode)->trigger();
    EXPECT_EQ(frame->editor().mode(), EditMode::OuterLoop);
    EXPECT_TRUE(frame->action(MenuId::OuterLoopMode)->isChecked());
    EXPECT_FALSE(frame->action(MenuId::SidingsMode)->isChecked());
    click(100, 240);
    click(540, 240);
    EXPECT_EQ(frame->editor().row(0).count(), 2);
    EXPECT_TRUE(frame->action(MenuId::Undo)->isEnabled());
    EXPECT_TRUE(frame->action(MenuId::New)->isEnabled());

    // Both undo keys restore the snapshot.
    QTest::keyClick(frame.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(frame->editor().row(0).count(), 1);
    EXPECT_FALSE(frame->action(MenuId::Undo)->isEnabled());
    click(540, 240);
    ASSERT_EQ(frame->editor().row(0).count(), 2);
    QTest::keyClick(frame.get(), Qt::Key_Backspace, Qt::AltModifier);
    EXPECT_EQ(frame->editor().row(0).count(), 1);
}

TEST_F(MainFrameTest, PopupGreysCommandsTheRulesRefuse)
{
    open();
    frame->runCommand(MenuId::SidingsMode);
    std::vector<std::pair<std::string, bool>> shown;
    frame->hooks.popup = [&](QMenu& menu) -> QAction* {
        for (QAction* a : menu.actions())
            shown.emplace_back(a->text().toStdString(), a->isEnabled());
        return nullptr;
    };
    QTest::mouseClick(frame->view(), Qt::RightButton, {}, QPoint(300, 300));
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown[0], std::make_pair(std::string(text::kMenuCreateTurnout), true));

    // The editor's items are judged again by the frame: with the editor
    // refusing turnouts the same item comes greyed.
    QMenu menu;
    std::vector<MenuItem> items{{"ポイント作成", Command::CreateTurnout, true, false},
                                {"プラットホーム設定", Command::Platform, true, false}};
    fillPopup(menu, items, frame->editor());
    ASSERT_EQ(menu.actions().size(), 2);
    EXPECT_TRUE(menu.actions()[0]->isEnabled());
    EXPECT_FALSE(menu.actions()[1]->isEnabled()); // platform: outer loop only
    frame->runCommand(MenuId::MaskMode);
    QMenu again;
    fillPopup(again, items, frame->editor());
    EXPECT_FALSE(again.actions()[0]->isEnabled());
}

TEST_F(MainFrameTest, TheCloseBoxEndsWithoutAskingOnlyExitAsks)
{
    open();
    frame->runCommand(MenuId::OuterLoopMode);
    click(100, 240);
    ASSERT_TRUE(frame->editor().modified().any());
    EXPECT_TRUE(frame->close());
    EXPECT_TRUE(questions.empty());

    frame->show();
    frame->runCommand(MenuId::Exit);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], text::kAskToSave);
    EXPECT_FALSE(frame->isVisible());
}

TEST_F(MainFrameTest, BarsHideAndShowWithTheirChecks)
{
    open();
    frame->action(MenuId::ToolBar)->trigger();
    EXPECT_FALSE(frame->toolBar()->isVisible());
    EXPECT_FALSE(frame->action(MenuId::ToolBar)->isChecked());
    frame->action(MenuId::StatusBar)->trigger();
    EXPECT_FALSE(frame->statusBar()->isVisible());
    EXPECT_FALSE(frame->action(MenuId::StatusBar)->isChecked());
    frame->action(MenuId::ToolBar)->trigger();
    EXPECT_TRUE(frame->toolBar()->isVisible());
    EXPECT_TRUE(frame->action(MenuId::ToolBar)->isChecked());
}

TEST_F(MainFrameTest, MissingGuideIsReported)
{
    open(false);
    frame->runCommand(MenuId::Documentation);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "ヘルプドキュメントの表示に失敗しました。");
}

TEST_F(MainFrameTest, WithoutSettingsFileTheWindowDoesNotStart)
{
    frame = std::make_unique<MainFrame>(dir.path());
    frame->hooks.message = [this](const std::string& text, common::Icon) {
        messages.push_back(text);
    };
    frame->show();
    EXPECT_FALSE(frame->start());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("Planwerk.ini]が見つかりません"), std::string::npos);
    EXPECT_FALSE(frame->isVisible());
}

TEST_F(MainFrameTest, InvertingMarkersComeAndGoWithoutTraces)
{
    open();
    LayoutView* view = frame->view();
    QImage before = view->grab().toImage();
    frame->invertCircle(200, 200, 6);
    ASSERT_EQ(view->markers().size(), 1u);
    QImage with = view->grab().toImage();
    EXPECT_NE(with.pixel(206, 200), before.pixel(206, 200));
    frame->invertCircle(200, 200, 6);
    EXPECT_TRUE(view->markers().empty());
    EXPECT_EQ(view->grab().toImage(), before);
}

} // namespace
} // namespace planwerk::ui
