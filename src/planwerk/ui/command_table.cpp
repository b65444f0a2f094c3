#include "planwerk/ui/command_table.h"

#include "planwerk/layout_editor.h"

#include <array>
#include <utility>

namespace planwerk::ui {

namespace {

constexpr char kFile[] = "ファイル(&F)";
constexpr char kEdit[] = "編集(&E)";
constexpr char kOption[] = "オプション(&O)";
constexpr char kView[] = "表示(&V)";
constexpr char kHelp[] = "ヘルプ(&H)";
constexpr char kCreate[] = "レイアウトの作成";
constexpr char kAddRegion[] = "領域追加";

constexpr std::array kTable{
    // File
    CommandEntry{MenuId::OpenPicture, kFile, nullptr, "画像ファイルを開く(&P)",
                 "レイアウトの写真を開く", false},
    CommandEntry{MenuId::LoadLayout, kFile, nullptr, "レイアウトデータの読込み",
                 "VARDOのレイアウトデータを作業フォルダへ読み込む", false},
    CommandEntry{MenuId::New, kFile, nullptr, "新規作成(&N)", "編集中のデータを消去して作り直す",
                 true},
    CommandEntry{MenuId::Save, kFile, nullptr, "保存(&S)", "作業フォルダへデータを保存", false},
    CommandEntry{MenuId::Export, kFile, nullptr, "レイアウトデータの出力(&O)",
                 "VARDOのレイアウトデータを出力", false},
    CommandEntry{MenuId::OpenCollage, kFile, nullptr, "合成画像読込み(&F)...", "合成する画像を開く",
                 true},
    CommandEntry{MenuId::OpenTrainPicture, kFile, nullptr, "列車画像読み込み...",
                 "列車の写真を開く", false},
    CommandEntry{MenuId::Exit, kFile, nullptr, "アプリケーションの終了(&X)",
                 "データを保存してアプリケーションを終了", true},
    // Edit
    CommandEntry{MenuId::Undo, kEdit, nullptr, "元に戻す(&U)", "直前の操作を元に戻す", false},
    CommandEntry{MenuId::Resize, kEdit, nullptr, "リサイズ(&S)", "画像を640×480に切り出す", true},
    CommandEntry{MenuId::Rotate, kEdit, nullptr, "画像回転(&R)", "画像を180°回転", false},
    CommandEntry{MenuId::Compose, kEdit, nullptr, "画像合成(&C)",
                 "合成画像をレイアウト画像に重ねる", false},
    CommandEntry{MenuId::OuterLoopMode, kEdit, kCreate, "外周の作成(&L)", "外周の線路をなぞる",
                 true},
    CommandEntry{MenuId::SidingsMode, kEdit, kCreate, "引込み線の作成(&H)",
                 "引込み線の線路をなぞる", false},
    CommandEntry{MenuId::MaskMode, kEdit, nullptr, "マスクの作成(&M)", "マスク領域の作成", false},
    CommandEntry{MenuId::ExceptionMode, kEdit, nullptr, "除外領域の作成", "除外領域の作成", false},
    CommandEntry{MenuId::ControlPointsMode, kEdit, nullptr, "制御ポイントの作成",
                 "レイアウト制御ポイントの作成", false},
    CommandEntry{MenuId::CrossingsMode, kEdit, nullptr, "踏切の作成", "踏切の作成", false},
    CommandEntry{MenuId::SensorsMode, kEdit, nullptr, "センサーの作成", "センサーの作成", false},
    CommandEntry{MenuId::TrainPictureMode, kEdit, nullptr, "列車画像の編集",
                 "列車画像の切り出し点の編集", false},
    CommandEntry{MenuId::ToggleCurve, kEdit, nullptr, "曲線設定/解除(&C)",
                 "選択した座標点を曲線にする/元に戻す", true},
    CommandEntry{MenuId::AppendSwitch, kEdit, nullptr, "座標点追加", "座標点を末尾に追加する",
                 false},
    CommandEntry{MenuId::DeleteVertex, kEdit, nullptr, "座標点削除(&D)", "選択した座標点を削除",
                 false},
    CommandEntry{MenuId::CreateTurnout, kEdit, nullptr, "ポイント作成(&P)",
                 "引込み線の分岐ポイントを作成", false},
    CommandEntry{MenuId::Platform, kEdit, nullptr, "プラットホーム設定(&H)",
                 "選択した座標点をプラットホームにする", false},
    CommandEntry{MenuId::AddRectangle, kEdit, kAddRegion, "矩形(&M)", "矩形の領域を追加", true},
    CommandEntry{MenuId::AddBand, kEdit, kAddRegion, "線形(&L)", "線形のマスクを追加", false},
    CommandEntry{MenuId::DeleteRegion, kEdit, nullptr, "領域削除(&A)", "選択した領域を削除", false},
    CommandEntry{MenuId::ControlSettings, kEdit, nullptr, "レイアウト制御設定",
                 "制御ポイントの動作を設定", true},
    CommandEntry{MenuId::CrossingSettings, kEdit, nullptr, "踏切設定", "踏切の信号と区間を設定",
                 false},
    // Options, view, help
    CommandEntry{MenuId::Settings, kOption, nullptr, "エディタ設定(&P)...",
                 "座標点や線の大きさを設定", false},
    CommandEntry{MenuId::ToolBar, kView, nullptr, "ツール バー(&T)", "ツール バーの表示/非表示",
                 false},
    CommandEntry{MenuId::StatusBar, kView, nullptr, "ステータス バー(&S)",
                 "ステータス バーの表示/非表示", false},
    CommandEntry{MenuId::Documentation, kHelp, nullptr, "ドキュメントの表示(&D)",
                 "使い方の説明を表示", false},
    CommandEntry{MenuId::About, kHelp, nullptr, "バージョン情報 Planwerk(&A)...",
                 "プログラム情報とバージョンを表示", true},
};

bool inMode(const EditorState& s, EditMode mode)
{
    return s.mode == mode;
}

bool regionMode(const EditorState& s)
{
    switch (s.mode) {
    case EditMode::Mask:
    case EditMode::Exception:
    case EditMode::ControlPoints:
    case EditMode::Crossings:
    case EditMode::Sensors:
        return true;
    default:
        return false;
    }
}

} // namespace

std::span<const CommandEntry> commandTable()
{
    return kTable;
}

const CommandEntry& commandEntry(MenuId id)
{
    for (const CommandEntry& e : kTable)
        if (e.id == id)
            return e;
    return kTable[0]; // every id is in the table; the test walks them all
}

bool commandEnabled(MenuId id, const EditorState& s)
{
    const bool active = s.mode != EditMode::None;
    switch (id) {
    case MenuId::OpenPicture:
    case MenuId::LoadLayout:
    case MenuId::Exit:
    case MenuId::OpenTrainPicture:
    case MenuId::Settings:
    case MenuId::ToolBar:
    case MenuId::StatusBar:
    case MenuId::About:
    case MenuId::Documentation:
        return true;
    case MenuId::New:
        return active;
    case MenuId::Save:
    case MenuId::Export:
    case MenuId::OuterLoopMode:
    case MenuId::SidingsMode:
    case MenuId::MaskMode:
    case MenuId::ExceptionMode:
    case MenuId::ControlPointsMode:
    case MenuId::CrossingsMode:
    case MenuId::SensorsMode:
        return s.layoutPicture;
    case MenuId::Resize:
        return s.sourceWaiting;
    case MenuId::Rotate:
        return (s.layoutPicture && !active) || inMode(s, EditMode::TrainPicture);
    case MenuId::ToggleCurve:
    case MenuId::DeleteRegion:
    case MenuId::DeleteVertex:
        return active && s.selection;
    case MenuId::AppendSwitch:
        return inMode(s, EditMode::OuterLoop) && s.sortPoint == 0;
    case MenuId::AddRectangle:
        return regionMode(s);
    case MenuId::AddBand:
        return inMode(s, EditMode::Mask);
    case MenuId::CreateTurnout:
        return inMode(s, EditMode::Sidings);
    case MenuId::Platform:
        return inMode(s, EditMode::OuterLoop) && s.selection;
    case MenuId::ControlSettings:
        return inMode(s, EditMode::ControlPoints) && (s.controlPoints == 1 || s.selection);
    case MenuId::CrossingSettings:
        return inMode(s, EditMode::Crossings) && (s.crossings == 1 || s.selection);
    case MenuId::Undo:
        return s.snapshot;
    case MenuId::OpenCollage:
        return s.layoutPicture && s.outerLoopVertices > 0;
    case MenuId::Compose:
        return s.collagePicture;
    case MenuId::TrainPictureMode:
        return s.trainEditPicture;
    }
    return false;
}

bool commandChecked(MenuId id, const EditorState& s)
{
    switch (id) {
    case MenuId::Resize:
        // Checked whenever a layout picture exists, enabled or not.
        return s.layoutPicture;
    case MenuId::OuterLoopMode:
        return inMode(s, EditMode::OuterLoop);
    case MenuId::SidingsMode:
        return inMode(s, EditMode::Sidings);
    case MenuId::MaskMode:
        return inMode(s, EditMode::Mask);
    case MenuId::ExceptionMode:
        return inMode(s, EditMode::Exception);
    case MenuId::ControlPointsMode:
        return inMode(s, EditMode::ControlPoints);
    case MenuId::CrossingsMode:
        return inMode(s, EditMode::Crossings);
    case MenuId::SensorsMode:
        return inMode(s, EditMode::Sensors);
    case MenuId::TrainPictureMode:
        return inMode(s, EditMode::TrainPicture);
    case MenuId::AppendSwitch:
        return s.appendSwitch;
    case MenuId::ToolBar:
        return s.toolBarVisible;
    case MenuId::StatusBar:
        return s.statusBarVisible;
    default:
        return false;
    }
}

bool commandCheckable(MenuId id)
{
    switch (id) {
    case MenuId::Resize:
    case MenuId::OuterLoopMode:
    case MenuId::SidingsMode:
    case MenuId::MaskMode:
    case MenuId::ExceptionMode:
    case MenuId::ControlPointsMode:
    case MenuId::CrossingsMode:
    case MenuId::SensorsMode:
    case MenuId::TrainPictureMode:
    case MenuId::AppendSwitch:
    case MenuId::ToolBar:
    case MenuId::StatusBar:
        return true;
    default:
        return false;
    }
}

namespace {

// Menu items that the editor carries out itself.
constexpr std::pair<MenuId, Command> kEditorCommands[] = {
    {MenuId::OpenPicture, Command::OpenLayoutPicture},
    {MenuId::LoadLayout, Command::LoadLayout},
    {MenuId::New, Command::New},
    {MenuId::Save, Command::Save},
    {MenuId::Export, Command::Export},
    {MenuId::Exit, Command::Exit},
    {MenuId::Resize, Command::Resize},
    {MenuId::Rotate, Command::Rotate},
    {MenuId::OuterLoopMode, Command::OuterLoopMode},
    {MenuId::SidingsMode, Command::SidingsMode},
    {MenuId::ToggleCurve, Command::ToggleCurve},
    {MenuId::AppendSwitch, Command::AppendSwitch},
    {MenuId::MaskMode, Command::MaskMode},
    {MenuId::AddRectangle, Command::AddRect},
    {MenuId::AddBand, Command::AddBand},
    {MenuId::DeleteRegion, Command::DeleteRegion},
    {MenuId::CreateTurnout, Command::CreateTurnout},
    {MenuId::DeleteVertex, Command::DeleteVertex},
    {MenuId::Platform, Command::Platform},
    {MenuId::ControlSettings, Command::ControlSettings},
    {MenuId::CrossingSettings, Command::CrossingSettings},
    {MenuId::Undo, Command::Undo},
    {MenuId::ExceptionMode, Command::ExceptionMode},
    {MenuId::ControlPointsMode, Command::ControlPointsMode},
    {MenuId::CrossingsMode, Command::CrossingsMode},
    {MenuId::SensorsMode, Command::SensorsMode},
    {MenuId::OpenCollage, Command::OpenCollagePicture},
    {MenuId::Compose, Command::Compose},
    {MenuId::OpenTrainPicture, Command::OpenTrainPicture},
    {MenuId::TrainPictureMode, Command::TrainPictureMode},
};

} // namespace

std::optional<Command> editorCommand(MenuId id)
{
    for (const auto& [item, command] : kEditorCommands)
        if (item == id)
            return command;
    return std::nullopt;
}

std::optional<MenuId> menuItemOf(Command command)
{
    for (const auto& [item, c] : kEditorCommands)
        if (c == command)
            return item;
    return std::nullopt;
}

EditorState stateOf(const LayoutEditor& editor)
{
    EditorState s;
    s.mode = editor.mode();
    s.layoutPicture = editor.hasLayoutPicture();
    s.selection = editor.selection() >= 0;
    s.snapshot = editor.snapshotCount() != -1;
    s.appendSwitch = editor.appendSwitch();
    s.sortPoint = editor.settings().sortPoint;
    s.outerLoopVertices = editor.row(0).count();
    s.controlPoints = editor.controlPoints().count();
    s.crossings = editor.crossings().count();
    s.sensors = editor.sensors().count();
    s.sourceWaiting = editor.sourceWaiting();
    s.collagePicture = !editor.collagePicture().isNull();
    s.trainEditPicture = !editor.trainEditPicture().isNull();
    return s;
}

} // namespace planwerk::ui
