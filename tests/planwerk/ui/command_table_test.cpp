// The menu rules as plain functions over the editor's state.
#include "planwerk/layout_editor.h"
#include "planwerk/ui/command_table.h"
#include "planwerk/ui/view_routing.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace planwerk::ui {
namespace {

std::set<MenuId> enabledIn(const EditorState& s)
{
    std::set<MenuId> out;
    for (const CommandEntry& e : commandTable())
        if (commandEnabled(e.id, s))
            out.insert(e.id);
    return out;
}

EditorState withPicture(EditMode mode)
{
    EditorState s;
    s.mode = mode;
    s.layoutPicture = true;
    return s;
}

const std::set<MenuId> kAlways{MenuId::OpenPicture, MenuId::LoadLayout,    MenuId::OpenTrainPicture,
                               MenuId::Settings,    MenuId::ToolBar,       MenuId::StatusBar,
                               MenuId::About,       MenuId::Documentation, MenuId::Exit};

TEST(CommandTable, EveryCommandOnceWithItsExactText)
{
    std::set<MenuId> seen;
    for (const CommandEntry& e : commandTable()) {
        EXPECT_TRUE(seen.insert(e.id).second) << e.text;
        EXPECT_STRNE(e.prompt, "") << e.text;
        EXPECT_EQ(&commandEntry(e.id), &e);
    }
    EXPECT_EQ(seen.size(), size_t(MenuId::Documentation) + 1);
    EXPECT_STREQ(commandEntry(MenuId::Rotate).prompt, "画像を180°回転");
    EXPECT_STREQ(commandEntry(MenuId::TrainPictureMode).prompt, "列車画像の切り出し点の編集");
    EXPECT_STREQ(commandEntry(MenuId::OuterLoopMode).submenu, "レイアウトの作成");
    EXPECT_STREQ(commandEntry(MenuId::AddBand).submenu, "領域追加");
    EXPECT_STREQ(commandEntry(MenuId::About).text, "バージョン情報 Planwerk(&A)...");
}

TEST(CommandTable, BeforeAPictureOnlyOpeningSettingsBarsHelpAndExit)
{
    EditorState s;
    s.mode = EditMode::None;
    EXPECT_EQ(enabledIn(s), kAlways);
    EXPECT_FALSE(commandChecked(MenuId::Resize, s));
    EXPECT_TRUE(commandChecked(MenuId::ToolBar, s));
    s.toolBarVisible = false;
    EXPECT_FALSE(commandChecked(MenuId::ToolBar, s));
}

TEST(CommandTable, WithAPictureAndNoModeTheModesSaveExportAndRotate)
{
    std::set<MenuId> expected = kAlways;
    expected.insert({MenuId::Save, MenuId::Export, MenuId::Rotate, MenuId::OuterLoopMode,
                     MenuId::SidingsMode, MenuId::MaskMode, MenuId::ExceptionMode,
                     MenuId::ControlPointsMode, MenuId::CrossingsMode, MenuId::SensorsMode});
    EXPECT_EQ(enabledIn(withPicture(EditMode::None)), expected);
}

TEST(CommandTable, EachModeChecksItselfAndEnablesItsTools)
{
    struct Case {
        EditMode mode;
        MenuId item;
        std::set<MenuId> extra; // beyond kAlways, picture commands and New
    };
    const std::vector<Case> cases{
        {EditMode::OuterLoop, MenuId::OuterLoopMode, {}},
        {EditMode::Sidings, MenuId::SidingsMode, {MenuId::CreateTurnout}},
        {EditMode::Mask, MenuId::MaskMode, {MenuId::AddRectangle, MenuId::AddBand}},
        {EditMode::Exception, MenuId::ExceptionMode, {MenuId::AddRectangle}},
        {EditMode::ControlPoints, MenuId::ControlPointsMode, {MenuId::AddRectangle}},
        {EditMode::Crossings, MenuId::CrossingsMode, {MenuId::AddRectangle}},
        {EditMode::Sensors, MenuId::SensorsMode, {MenuId::AddRectangle}},
    };
    for (const Case& c : cases) {
        EditorState s = withPicture(c.mode);
        std::set<MenuId> expected = kAlways;
        expected.insert({MenuId::New, MenuId::Save, MenuId::Export, MenuId::OuterLoopMode,
                         MenuId::SidingsMode, MenuId::MaskMode, MenuId::ExceptionMode,
                         MenuId::ControlPointsMode, MenuId::CrossingsMode, MenuId::SensorsMode});
        expected.insert(c.extra.begin(), c.extra.end());
        EXPECT_EQ(enabledIn(s), expected) << modeName(c.mode);
        for (const CommandEntry& e : commandTable()) {
            bool modeItem = e.id == c.item;
            if (e.id == MenuId::Resize || e.id == MenuId::ToolBar || e.id == MenuId::StatusBar)
                continue;
            EXPECT_EQ(commandChecked(e.id, s), modeItem) << e.text << " in " << modeName(c.mode);
        }
    }
}

TEST(CommandTable, SelectionDependentCommands)
{
    EditorState s = withPicture(EditMode::OuterLoop);
    EXPECT_FALSE(commandEnabled(MenuId::Platform, s));
    s.selection = true;
    EXPECT_TRUE(commandEnabled(MenuId::Platform, s));
    EXPECT_TRUE(commandEnabled(MenuId::ToggleCurve, s));
    EXPECT_TRUE(commandEnabled(MenuId::DeleteVertex, s));
    EXPECT_TRUE(commandEnabled(MenuId::DeleteRegion, s));

    s = withPicture(EditMode::ControlPoints);
    EXPECT_FALSE(commandEnabled(MenuId::ControlSettings, s));
    s.controlPoints = 1; // the only one needs no selection
    EXPECT_TRUE(commandEnabled(MenuId::ControlSettings, s));
    s.controlPoints = 2;
    EXPECT_FALSE(commandEnabled(MenuId::ControlSettings, s));
    s.selection = true;
    EXPECT_TRUE(commandEnabled(MenuId::ControlSettings, s));

    s = withPicture(EditMode::Crossings);
    s.crossings = 1;
    EXPECT_TRUE(commandEnabled(MenuId::CrossingSettings, s));
    EXPECT_FALSE(commandEnabled(MenuId::ControlSettings, s));
}

TEST(CommandTable, AppendSwitchOnlyUnsortedInTheOuterLoop)
{
    EditorState s = withPicture(EditMode::OuterLoop);
    EXPECT_FALSE(commandEnabled(MenuId::AppendSwitch, s));
    s.sortPoint = 0;
    EXPECT_TRUE(commandEnabled(MenuId::AppendSwitch, s));
    s.appendSwitch = true;
    EXPECT_TRUE(commandChecked(MenuId::AppendSwitch, s));
    s.mode = EditMode::Sidings;
    EXPECT_FALSE(commandEnabled(MenuId::AppendSwitch, s));
}

TEST(CommandTable, ResizeCheckedWithALayoutPictureEnabledOnlyWhileASourceWaits)
{
    EditorState s;
    s.mode = EditMode::None;
    s.sourceWaiting = true;
    EXPECT_TRUE(commandEnabled(MenuId::Resize, s));
    EXPECT_FALSE(commandChecked(MenuId::Resize, s));
    s.layoutPicture = true;
    EXPECT_TRUE(commandChecked(MenuId::Resize, s));
    s.sourceWaiting = false;
    EXPECT_FALSE(commandEnabled(MenuId::Resize, s));
    EXPECT_TRUE(commandChecked(MenuId::Resize, s));
}

TEST(CommandTable, PictureCommandsFollowTheirPictures)
{
    EditorState s = withPicture(EditMode::None);
    EXPECT_FALSE(commandEnabled(MenuId::OpenCollage, s));
    s.outerLoopVertices = 3;
    EXPECT_TRUE(commandEnabled(MenuId::OpenCollage, s));
    EXPECT_FALSE(commandEnabled(MenuId::Compose, s));
    s.collagePicture = true;
    EXPECT_TRUE(commandEnabled(MenuId::Compose, s));
    EXPECT_FALSE(commandEnabled(MenuId::TrainPictureMode, s));
    s.trainEditPicture = true;
    EXPECT_TRUE(commandEnabled(MenuId::TrainPictureMode, s));

    // Rotating: a picture without a mode, or the train picture in any case.
    s.mode = EditMode::Mask;
    EXPECT_FALSE(commandEnabled(MenuId::Rotate, s));
    EditorState train;
    train.mode = EditMode::TrainPicture;
    EXPECT_TRUE(commandEnabled(MenuId::Rotate, train));
    EXPECT_TRUE(commandChecked(MenuId::TrainPictureMode, train));
}

TEST(CommandTable, EveryItemButTheFramesOwnIsAnEditorCommandBothWays)
{
    const std::set<MenuId> frameOwn{MenuId::Settings, MenuId::ToolBar, MenuId::StatusBar,
                                    MenuId::About, MenuId::Documentation};
    std::set<Command> seen;
    for (const CommandEntry& e : commandTable()) {
        std::optional<Command> command = editorCommand(e.id);
        EXPECT_EQ(command.has_value(), !frameOwn.contains(e.id)) << e.text;
        if (!command)
            continue;
        EXPECT_TRUE(seen.insert(*command).second) << e.text << " shares its command";
        EXPECT_EQ(menuItemOf(*command), e.id) << e.text;
    }
    // Pop-up only commands have no menu item to be judged by.
    EXPECT_FALSE(menuItemOf(Command::SensorSettings).has_value());
    EXPECT_FALSE(menuItemOf(Command::PointSettings).has_value());
}

TEST(CommandTable, UndoFollowsTheSnapshot)
{
    EditorState s = withPicture(EditMode::OuterLoop);
    EXPECT_FALSE(commandEnabled(MenuId::Undo, s));
    s.snapshot = true;
    EXPECT_TRUE(commandEnabled(MenuId::Undo, s));
}

TEST(ViewRouting, PressesMovesAndMenusReachTheEditorOnlyWhenSomethingIsEdited)
{
    EXPECT_FALSE(passPress(EditMode::None, false));
    EXPECT_TRUE(passPress(EditMode::None, true)); // a source picture waits for its trim
    EXPECT_TRUE(passPress(EditMode::Mask, false));

    EXPECT_FALSE(passMoveOrRelease(EditMode::None, 0));
    EXPECT_TRUE(passMoveOrRelease(EditMode::None, 1));
    EXPECT_TRUE(passMoveOrRelease(EditMode::None, 2));
    EXPECT_FALSE(passMoveOrRelease(EditMode::None, 3));
    EXPECT_TRUE(passMoveOrRelease(EditMode::Sidings, 0));

    EXPECT_FALSE(passMenu(EditMode::None));
    EXPECT_TRUE(passMenu(EditMode::Sensors));
}

} // namespace
} // namespace planwerk::ui
