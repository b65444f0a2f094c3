#include "common/string_table.h"

#include <map>

namespace common {

namespace {

const std::map<int, const char*>& table()
{
    static const std::map<int, const char*> texts = {
        {msg::FileNotFound, "ファイル[%1]が見つかりません"},
        {msg::CaptureInitFailed, "キャプチャーの初期化に失敗しました"},
        {msg::DirectXInitFailed, "DirectXの初期化に失敗しました"},
        {msg::DirectShowError, "Direct Show Error:%1\n%2"},
        {msg::NoCameraFound,
         "接続されたカメラが見つかりません。\nカメラを接続するか画像ファイルを開いてください。\n"
         "本プログラムはシミュレーションモードで起動されます。"},
        {msg::LayoutClassInitFailed, "レイアウトクラスの初期化に失敗しました"},
        {msg::ControlClassInitFailed, "コントロールクラスの初期化に失敗しました"},
        {msg::UsbNoReply,
         "USBインタフェイスからの応答がありません。\n設定コマンドのCOMポート選択を行ってください。"},
        {msg::UsbInitFailed,
         "USBインタフェイスの初期化に失敗しました。\n接続を確認して本プログラムを立ち上げ直してください"},
        {msg::CalibrationSaveFailed, "キャリブレーションの保存に失敗しました"},
        {msg::CalibrationLoadFailed, "キャリブレーションの読込みに失敗しました"},
        {msg::NotCalibrationFile, "このファイルはキャリブレーションファイルではありません"},
        {msg::TooManyCommands, "これ以上コマンドを定義できません"},
        {msg::ProgramSaveFailed, "プログラムの保存に失敗しました"},
        {msg::ProgramLoadFailed, "プログラムの読込みに失敗しました"},
        {msg::NotProgramFile, "このファイルはプログラムファイルではありません"},
        {msg::ChooseLinkTarget, "リンク先のコマンドをクリックしてください"},
        {msg::ProgramModifiedSave, "プログラムが編集されています。プログラムを保存しますか？"},
        {msg::DeleteSelectedCommand, "選択しているコマンドを削除しますか？"},
        {msg::DeleteChainHead,
         "先頭のコマンドを削除するとこのコマンドにリンクされている全てのコマンドが削除されます。\n削除しますか？"},
        {msg::DiscardProgram, "現在のプログラムを破棄してもよろしいですか？"},
        {msg::CameraResolutionFailed,
         "カメラの解像度の設定に失敗しました。現在設定されている解像度をそのまま使用します。"},
        {msg::CalibrationSizeMismatch,
         "キャリブレーションファイルのビディオ解像度とカメラのビディオ解像度が一致しません。\n"
         "キャリブレーションファイルを読み直すかキャリブレーションをやり直してください。\n"
         "このキャリブレーションファイルをそのまま使いますか？"},
        {msg::CameraSizeLarge,
         "カメラの画面サイズが320x240より大きく設定されました。\n"
         "画像解析処理に時間がかかりますがこの設定でよろしいですか？"},
        {msg::LinkToChainHead, "先頭のコマンドにはリンクできません\nリンク先を変更してください"},
        {msg::LinkOnlyBackwards,
         "自分より前のコマンドしかリンクする事はできません\nリンク先を変更してください"},
        {msg::RepeatNeedsWait,
         "繰返しにはタイマー等の時間のかかる処理が含まれていなければいけません\nリンク先を変更してください"},
        {msg::EventToolbarCaption, "ｲﾍﾞﾝﾄ"},
        {msg::AlarmHourRange, "アラームの設定時刻は23時までです"},
        {msg::TimerAtLeastOneSecond, "タイマーの値は１秒以上です"},
        {msg::LapCountRange, "周回数は99周までです"},
        {msg::LayoutRangeExceeded, "レイアウトの範囲(640x480)を越えています"},
        {msg::RepeatCountRange, "繰返し回数は1～99の範囲です"},
        {msg::RelayNumberRange, "定義できるリレー番号は7～10です"},
        {msg::SoundNumberRange, "定義できるサウンド番号は1～%1です"},
        {msg::PointNotDefined, "指定されたポイントが定義されていません。"},
        {msg::SuppressDistanceWrong, "切替抑制距離の指定が間違っています。"},
        {msg::DistanceRange, "距離の指定は639以下です。"},
        {msg::TrainSpeedRange, "定義できる列車速度の範囲は0～100です"},
        {msg::FadeTimeRange, "定義できるフェード時間の範囲は0～60秒です"},
        {msg::SensorValueWrong, "センサーの設定値が間違っています"},
        {msg::EnterIntegerBetween, "Please enter an integer between %1 and %2."},
        {msg::EnterAtMostChars, "Please enter no more than %1 characters."},
        {msg::SoundClassInitFailed, "サウンドクラスの初期化に失敗しました"},
        {msg::DirectXAudioError, "DirectX Audio Error:%1\n%2"},
        {msg::SoundFileMissing,
         "%1番のサウンドファイル[%2]が存在しません。\nサウンド設定をやり直してください。"},
        {msg::CameraSelected, "カメラが設定されました。ライブ画像に切り替えます。"},
        {msg::ApiClassInitFailed, "APIクラスの初期化に失敗しました"},
        {msg::SharedMemoryFailed,
         "共有メモリの作成に失敗しました\nVARDOアプリケーションプログラムが動いていないか確認してください"},
        {msg::NotCalibratedForSdk,
         "キャリブレーションされていないため位置情報が取得できません。\n"
         "キャリブレーションを行ってからアプリケーションプログラムを起動してください。"},
        {msg::CalibrationModified,
         "キャリブレーションデータが更新されています。キャリブレーションデータを保存しますか？"},
        {msg::FolderHasNoPrograms,
         "フォルダ[%1]にはプログラムが含まれていません。\n連続実行の設定を行ってください。"},
        {msg::FolderNotSet,
         "プログラムの連続実行のフォルダが設定されていません。\n連続実行の設定をしてください。"},
        {msg::EndFolderRun,
         "プログラムの連続実行を終了しますか？\nいいえの場合次のプログラムを実行します。"},
        {msg::SdkControlCaption, "VARDO SDK制御中"},
        {msg::SdkProgramFailed, "SDKプログラム実行に失敗しました。"},
        {msg::SoundRestartNeeded,
         "これ以上サウンドファイルを追加する場合はサウンドファイルの設定を更新した後、"
         "VARDOを一度終了してください。"},
        {msg::SoundCapacityFull, "これ以上サウンドファイルを追加する事はできません。"},
        {msg::SoundNotDefined, "サウンド番号[%1]が定義されていません"},
        {msg::SpeechInitFailed,
         "音声認識の初期化に失敗しました\nコントロールパネルの音声認識が正しくセットアップされているか確認してください"},
        {msg::ExtInitFailed,
         "拡張インタフェイスの初期化に失敗しました。\n接続を確認して本プログラムを立ち上げ直してください"},
        {msg::ServoAngleRange, "サーボ角度の設定可能範囲は-150～150です。"},
        {msg::ServoIdOneGroup,
         "サーボIDの変更は、対象のサーボをひとつだけ接続してチェックはそのサーボだけにしてください。"},
        {msg::ServoIdRange, "設定できるサーボIDは1～8です。"},
        {msg::ServoIdConfirm,
         "サーボIDを変更するサーボをひとつだけ接続しておいてください。\n"
         "他のサーボも接続されているとそのサーボのIDも変更されてしまいます。\n"
         "サーボIDを%1に変更しますか?"},
        {msg::FactoryResetConfirm,
         "チェックに関係なく接続されている全てのサーボが工場出荷時に戻されます。\n"
         "サーボIDを変えたくないサーボは接続を外しておいてください。\n"
         "工場出荷時に戻しますか?"},
        {msg::SaveTurnPoint, "現在の転車台の角度の値を保存しますか？"},
        {msg::ServoIdMax, "設定できるサーボIDは8までです"},
        {msg::AlreadyUsbConnected,
         "既に標準インタフェイスで接続されています。\n拡張インタフェイスも接続します。"},
        {msg::TurnServoIdZero, "転車台のサーボＩＤに0は指定できません"},
        {msg::ServoIdChanged,
         "サーボIDが変更されました。\n元のサーボIDに戻す時は工場出荷時に戻すボタンを押してください。"},
        {msg::FactoryReset, "工場出荷状態に戻しました"},
        {msg::AlreadyExtConnected,
         "既に拡張インタフェイスで接続されています。\n標準インタフェイスも接続します。"},
        {msg::UsbBaudChanged,
         "標準インタフェイスの通信速度が変更されました。\n有効にするには本プログラムを再起動してください。"},

        {msg::AppTitle, "VARDO Nゲージ自動列車運転システム"},
        {msg::AppName, "VARDO"},
        {msg::IniSettingError, "INIファイル設定エラー:Section = \"%1\" Key = \"%2\""},
        {msg::DisclaimerTitle, "免責事項"},
        {msg::DisclaimerText,
         "本ソフトウェアの使用により生じたいかなる損失・損害についても、作者は一切の責任を負いません。\n"
         "内容に同意される場合のみ本ソフトウェアをご使用ください。"},
        {msg::DisclaimerWarning,
         "特にＩ/Ｏコントローラの接続ミスにより電動ポイントが破損する事がありますので十分注意してください。"},
        {msg::DisclaimerAgree, "同意します"},
        {msg::DisclaimerDisagree, "同意しません"},
        {msg::NoticeDoNotShowAgain, "今後このメッセージを表示しない"},
        {msg::NoticeSetComPort,
         "レイアウトの列車をコントロールするにはパラメータ設定のCOM番号または拡張インタフェイス設定の"
         "COM番号を設定してください"},
        {msg::NoticeSidingLayout,
         "レイアウトをdivedareに切り替える時は\"divedare切替.bat\"を実行(ダブルクリック)してください。"},
        {msg::HelpDisplayFailed, "ヘルプドキュメントの表示に失敗しました。"},
        {msg::DocumentationMissing,
         "ドキュメントがインストールされていません。\nインターネットでドキュメントを参照しますか？"},
        {msg::DocumentationUrl, "https://vardo.example.org/doc/"},
        {msg::LayoutReadFailed, "レイアウトファイルの読み込みに失敗しました。"},
        {msg::NotPolygonData, "このファイルはポリゴンデータではありません"},
        {msg::NotControlData, "このファイルは制御領域データファイルではありません"},
        {msg::ControlVersionUnsupported,
         "制御領域はサポートされていません。レイアウトエディタで制御ポイントを作り直してください。"},
        {msg::NotSensorData,
         "このファイルはセンサーデータではありません。レイアウトエディタでセンサーを作り直してください。"},
        {msg::NotCrossingData, "このファイルは踏切データではありません"},
        {msg::NotPointData, "このファイルはポイントデータではありません"},
        {msg::TrainPictureMissing, "列車画像が見つかりません。列車表示設定をやり直してください。"},
        {msg::TrainTooLargeForTurntable, "車両の大きさが転車台を越えているためこの画像は使えません"},
        {msg::ProgramFileFilter, "VARDOﾌｧｲﾙ (*.vpr)|*.vpr||"},
        {msg::CameraNone, "なし"},
        {msg::CameraMenu, "カメラの選択"},
        {msg::VideoFileFilter, "画像ﾌｧｲﾙ (*.avi)|*.avi||"},
        {msg::VideoFileFilterAll,
         "画像ﾌｧｲﾙ (*.avi)|*.avi|"
         "動画ﾌｧｲﾙ (*.avi;*.mp4;*.m4v;*.mov;*.mkv;*.webm;*.mpg;*.mpeg;*.wmv;*.ogv)|"
         "*.avi;*.mp4;*.m4v;*.mov;*.mkv;*.webm;*.mpg;*.mpeg;*.wmv;*.ogv|"
         "すべてのﾌｧｲﾙ (*.*)|*.*||"},
        {msg::OperationNotCalibrated, "キャリブレーションがされていませんので自動運転ができません"},
        {msg::ControlSetupFailed, "制御クラスの初期化に失敗しました"},
        {msg::CalibrationProgressTitle, "キャリブレーション進捗"},
        {msg::AbortButton, "中止"},
        {msg::AngleCorrectionTitle, "角度補整"},
        {msg::AngleCorrectionClick, "カメラ画像のレイアウト正面(レイアウト図中央下)の位置をマウス左ボタンでクリックまたはドラッグしてください。"},
        {msg::AngleCorrectionConfirm, "線路の表示(赤線)が実際の画像に近づいたらOKボタンで決定してください。"},
        {msg::EmergencyStopTitle, "緊急停止"},
        {msg::EmergencyStopText, "列車が停止しましたので運転を中止しました。\n車止め以外で止まった場合はキャリブレーションをやり直すか設定コマンドで自動停止機能を解除してください。"},
        {msg::TrainDisplayTitle, "列車表示設定"},
        {msg::TrainTypePhoto, "写真表示\n(処理に時間がかかり、PCに負荷をかけます)"},
        {msg::TrainTypeGraphic, "グラフィック表示\n(処理に時間をかけず、PCに負荷をかけません)"},
        {msg::TrainCountGroup, "シミュレーション車両数"},
        {msg::TrainCount1, "１両"},
        {msg::TrainCount2, "２両"},
        {msg::TrainCount3, "３両"},
        {msg::TrainConnect, "連結編成"},
        {msg::TrainPictureButton, "画像設定"},
        {msg::TrainColourButton, "表示色設定"},
        {msg::WhichCarPicture, "どの車両の画像を読み込みますか？"},
        {msg::WhichCarColour, "どの車両の色を変更しますか？"},
        {msg::Car1, "1両目"},
        {msg::Car2, "２両目"},
        {msg::Car3, "３両目"},
        {msg::BitmapFileFilter, "ﾋﾞｯﾄﾏｯﾌﾟﾌｧｲﾙ (*.bmp)|*.bmp||"},
        {msg::CalibrationFileFilter, "ｷｬﾚﾌﾞﾚｰｼｮﾝﾌｧｲﾙ (*.clb)|*.clb||"},
        {msg::AboutTitle, "VARDOのバージョン情報"},
        {msg::AboutText, "VARDO Nゲージ自動列車運転システム\nバージョン %1"},
        {msg::StatusReady, "レディ"},
        {msg::CameraFormatTitle, "カメラ(画面サイズ)の設定"},
        {msg::CameraFormatNone, "このカメラは画面サイズの一覧を返しませんでした。"},
        {msg::SoundDialogTitle, "サウンドファイルの設定"},
        {msg::SoundFileFilter,
         "ｻｳﾝﾄﾞﾌｧｲﾙ (*.wav,*.mid)|*.wav;*.mid|WAVEﾌｧｲﾙ (*.wav)|*.wav|MIDIﾌｧｲﾙ (*.mid)|*.mid||"},
        {msg::SoundAddButton, "追加"},
        {msg::SoundDeleteButton, "削除"},
        {msg::SoundUpButton, "上に移動"},
        {msg::SoundDownButton, "下に移動"},
        {msg::SoundTestPlayButton, "テスト再生"},
        {msg::SoundStopButton, "停止"},
        {msg::CancelButton, "キャンセル"},
        {msg::SkinLoadFailed, "コントローラー画像の読み込みに失敗しました。"},
        {msg::PwmControlWarning, "列車速度を制御するにはI/Oコントローラのケーブルの差し替えが必要です。また高速でリレーを制御するためリレーの寿命を縮める可能性があります。自己責任において行ってください。列車速度の制御を行いますか？"},
    };
    return texts;
}

} // namespace

const char* messageText(int id)
{
    auto it = table().find(id);
    return it == table().end() ? "" : it->second;
}

Icon messageIcon(int id)
{
    switch (id) {
    case msg::FileNotFound:
    case msg::CaptureInitFailed:
    case msg::DirectXInitFailed:
    case msg::LayoutClassInitFailed:
    case msg::ControlClassInitFailed:
    case msg::SoundClassInitFailed:
    case msg::ApiClassInitFailed:
    case msg::LayoutReadFailed:
        return Icon::Stop;
    case msg::IniSettingError:
        return Icon::Warning;
    default:
        return Icon::Information;
    }
}

std::string formatText(const std::string& text, std::initializer_list<std::string> args)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            size_t index = size_t(text[i + 1] - '1');
            if (index < args.size()) {
                out += *(args.begin() + index);
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string formatMessage(int id, std::initializer_list<std::string> args)
{
    return formatText(messageText(id), args);
}

} // namespace common
