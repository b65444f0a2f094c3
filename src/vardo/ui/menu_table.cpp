#include "vardo/ui/menu_table.h"

#include "vardo/base/command_ids.h"
#include "vardo/ui/menu_rules.h"

#include <array>

namespace vardo::ui {

namespace {

const MenuItem fileItems[] = {
    {cmd::OpenProgram, "プログラムファイルを開く(&O)..."},
    {cmd::SaveProgram, "プログラムの保存(&S)..."},
    {cmd::NewProgram, "プログラムの新規作成(&N)"},
    {cmd::SampleProgram, "サンプルプログラムを開く(&T)..."},
    {cmd::FolderRun, "プログラムの連続実行(&P)..."},
    {kSeparator, nullptr},
    {cmd::CalibrationSave, "キャリブレーションの保存(&C)..."},
    {cmd::OpenVideoFile, "映像ファイルを開く(&A)..."},
    {kSeparator, nullptr},
    {cmd::Exit, "アプリケーションの終了(&X)"},
};

const MenuItem editItems[] = {
    {cmd::Undo, "元に戻す(&U)"},
    {kSeparator, nullptr},
    {cmd::EditCommand, "編集(&E)..."},
    {cmd::DeleteCommand, "削除(&D)"},
    {cmd::MoveNext, "次に移動(&N)"},
    {cmd::MovePrevious, "前に移動(&P)"},
    {cmd::Link, "リンク(&L)"},
    {cmd::Unlink, "リンク削除(&C)"},
};

const MenuItem settingItems[] = {
    {kCameraSubmenu, "カメラの選択"},
    {cmd::CameraFormat, "カメラ(画面サイズ)の設定..."},
    {kSeparator, nullptr},
    {cmd::CalibrationStart, "キャリブレーション(&C)..."},
    {cmd::AngleCorrection, "角度補正(&R)..."},
    {kSeparator, nullptr},
    {cmd::SoundSettings, "サウンド設定(&S)..."},
    {cmd::TrainDisplaySettings, "列車表示設定..."},
    {cmd::ParameterSettings, "パラメータ設定(&P)..."},
    {cmd::ExtendedInterfaceSettings, "拡張インタフェイス設定..."},
    {kSkinSubmenu, "コントローラ"},
    {kSeparator, nullptr},
    {cmd::ProgramTitle, "表示タイトル設定..."},
    {cmd::FolderRunSettings, "連続実行設定..."},
    {cmd::CurrentTime, "現在時刻設定(&T)..."},
    {kSeparator, nullptr},
    {cmd::EmergencyStopToggle, "自動停止機能"},
    {cmd::ControlPointsToggle, "制御ポイント機能"},
};

const MenuItem viewItems[] = {
    {cmd::LiveImage, "ライブ画像(&L)"},
    {cmd::DifferenceImage, "差分画像"},
    {cmd::LayoutDisplay, "レイアウト(&O)"},
    {cmd::ShowProgram, "プログラム(&P)"},
    {kSeparator, nullptr},
    {cmd::Centroid, "重心点(&C)"},
    {cmd::VectorImage, "ベクトル画像"},
    {cmd::PolygonImage, "ポリゴン画像"},
    {cmd::TrainFigure, "列車図形(&T)"},
    {kSeparator, nullptr},
    {cmd::FocusAdjustment, "フォーカス調整(&F)"},
    {kSeparator, nullptr},
    {cmd::ToolBar, "ツール バー(&T)"},
    {cmd::StatusBar, "ステータス バー(&S)"},
};

const MenuItem runItems[] = {
    {cmd::Simulation, "シミュレーション(&M)"},
    {kSeparator, nullptr},
    {cmd::OptionOutput, "オプション出力"},
    {cmd::SpeechRecognition, "音声認識"},
};

const MenuItem helpItems[] = {
    {cmd::Documentation, "ドキュメントの表示(&D)..."},
    {cmd::About, "VARDOのバージョン情報(&A)..."},
};

const MenuDefinition menus[] = {
    {"ファイル(&F)", fileItems}, {"編集(&E)", editItems}, {"設定(&D)", settingItems},
    {"表示(&V)", viewItems},     {"運転(&R)", runItems},  {"ヘルプ(&H)", helpItems},
};

const MenuItem skins[] = {
    {cmd::Skin1, "標準コントローラ"},
    {cmd::Skin2, "運転台(キハ75)"},
    {cmd::Skin3, "divedare"},
    {cmd::Skin4, "ＳＬ鉄道模型"},
};

const MenuItem popup[] = {
    {cmd::LiveImage, "ライブ画像"},     {cmd::DifferenceImage, "差分画像"},
    {cmd::LayoutDisplay, "レイアウト"}, {kSeparator, nullptr},
    {cmd::Centroid, "重心点"},          {cmd::VectorImage, "ベクトル画像"},
    {cmd::PolygonImage, "ポリゴン画像"}, {cmd::TrainFigure, "列車図形"},
};

const int toolbar[] = {
    cmd::NewProgram,   kSeparator,         cmd::OpenProgram, cmd::SaveProgram,
    cmd::CalibrationStart, kSeparator,     cmd::LiveImage,   cmd::LayoutDisplay,
    cmd::ShowProgram,  kSeparator,         cmd::Centroid,    cmd::TrainFigure,
    cmd::FocusAdjustment, cmd::SpeechRecognition, kSeparator, cmd::Undo,
};

} // namespace

std::span<const MenuDefinition> mainMenus() { return menus; }
std::span<const MenuItem> skinItems() { return skins; }
std::span<const MenuItem> displayPopupItems() { return popup; }
std::span<const int> toolbarCommands() { return toolbar; }

const char* menuText(int id)
{
    for (const MenuDefinition& menu : menus)
        for (const MenuItem& item : menu.items)
            if (item.id == id)
                return item.text;
    for (const MenuItem& item : skins)
        if (item.id == id)
            return item.text;
    return nullptr;
}

} // namespace vardo::ui
