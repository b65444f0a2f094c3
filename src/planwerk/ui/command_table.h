#pragma once
// Every menu command of the window with its text, its status bar prompt
// and its enable and check rules. The rules are plain functions over a
// small picture of the editor's state, so they are tested without widgets.
#include "planwerk/editor_frontend.h"

#include <optional>
#include <span>

namespace planwerk {
class LayoutEditor;
enum class EditMode;
} // namespace planwerk

namespace planwerk::ui {

enum class MenuId {
    OpenPicture,
    LoadLayout,
    New,
    Save,
    Export,
    Exit,
    Resize,
    Rotate,
    OuterLoopMode,
    SidingsMode,
    ToggleCurve,
    AppendSwitch,
    MaskMode,
    AddRectangle,
    AddBand,
    DeleteRegion,
    CreateTurnout,
    DeleteVertex,
    Platform,
    ControlSettings,
    CrossingSettings,
    Undo,
    ExceptionMode,
    ControlPointsMode,
    CrossingsMode,
    SensorsMode,
    OpenCollage,
    Compose,
    OpenTrainPicture,
    TrainPictureMode,
    Settings,
    ToolBar,
    StatusBar,
    About,
    Documentation,
};

// What the rules look at.
struct EditorState {
    EditMode mode{};
    bool layoutPicture = false;
    bool sourceWaiting = false;
    bool collagePicture = false;
    bool trainEditPicture = false;
    bool selection = false;
    bool snapshot = false;
    bool appendSwitch = false;
    int sortPoint = 1;
    int outerLoopVertices = 0;
    int controlPoints = 0;
    int crossings = 0;
    int sensors = 0;
    bool toolBarVisible = true;
    bool statusBarVisible = true;
};

struct CommandEntry {
    MenuId id;
    const char* menu;    // top-level menu
    const char* submenu; // or nullptr
    const char* text;
    const char* prompt; // status bar text while the item is highlighted
    bool separatorBefore;
};

std::span<const CommandEntry> commandTable();
const CommandEntry& commandEntry(MenuId id);

bool commandEnabled(MenuId id, const EditorState& state);
bool commandChecked(MenuId id, const EditorState& state);
// Items that carry a check mark at all.
bool commandCheckable(MenuId id);

// The editor's own command behind a menu item, when it has one.
std::optional<Command> editorCommand(MenuId id);
// The menu item behind an editor command (pop-up items), when there is one.
std::optional<MenuId> menuItemOf(Command command);

// The rules' view of a live editor; the bars are filled in by the caller.
EditorState stateOf(const LayoutEditor& editor);

} // namespace planwerk::ui
