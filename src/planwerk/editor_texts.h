#pragma once
// Every text the editor shows, word for word as users know them.
namespace planwerk::text {

inline constexpr char kIniSettingError[] = "INIファイル設定エラー:Section = \"%1\" Key = \"%2\"";
inline constexpr char kFileNotFound[] = "ファイル[%1]が見つかりません";

// Reading the working folder.
inline constexpr char kNotVertexFile[] = "このファイルはレイアウトポイントファイルではありません";
inline constexpr char kNotMaskFile[] = "このファイルはマスクデータファイルではありません";
inline constexpr char kNotControlFile[] = "このファイルは制御ポイントデータファイルではありません";
inline constexpr char kControlVersion[] =
    "制御領域はサポートされていません。制御ポイントを作り直してください。";
inline constexpr char kNotCrossingFile[] = "このファイルは踏切定義ファイルではありません";
inline constexpr char kNotSensorFile[] = "このファイルはセンサーデータファイルではありません";

// Writing.
inline constexpr char kVertexSaveFailed[] = "レイアウトデータファイルの保存に失敗しました";
inline constexpr char kMaskSaveFailed[] = "マスクデータファイルの保存に失敗しました";
inline constexpr char kControlSaveFailed[] = "データ制御ポイントファイルの保存に失敗しました";
inline constexpr char kCrossingSaveFailed[] = "踏切定義データファイルの保存に失敗しました";
inline constexpr char kSensorSaveFailed[] = "センサーデータファイルの保存に失敗しました";
inline constexpr char kPointSaveFailed[] = "ポイントデータファイルの保存に失敗しました";
inline constexpr char kPictureSaveFailed[] = "画像ファイルの保存に失敗しました";
inline constexpr char kTrackExportFailed[] = "レイアウトデータの出力に失敗しました。";

// Save and export.
inline constexpr char kWriteTrainPicture[] = "列車画像ファイルを出力しますか？";
inline constexpr char kBitmapFilter[] = "ﾋﾞｯﾄﾏｯﾌﾟﾌｧｲﾙ(*.bmp)|*.bmp||";
inline constexpr char kConfirmExport[] = "VARDOのレイアウトデータを書き換えますがよろしいですか？";
inline constexpr char kStaleMask[] =
    "マスク領域データがレイアウトデータとして存在します。削除しますか?";
inline constexpr char kStaleException[] =
    "除外領域データがレイアウトデータとして存在します。削除しますか?";
inline constexpr char kStaleControl[] =
    "制御ポイントデータがレイアウトデータとして存在します。削除しますか?";
// The sensor question has always used the crossing text; users know it so.
inline constexpr char kStaleCrossing[] =
    "踏切定義データがレイアウトデータとして存在します。削除しますか?";

// Loading a saved working folder.
inline constexpr char kConfirmLoadLayout[] =
    "現在編集中のレイアウトデータ(planwerkフォルダー)が全て変更されます。\n"
    "このコマンドを実行する前に必要に応じてフォルダーごとバックアップを取って置いてください。\n"
    "バックアップしたフォルダーはこのコマンドで元に戻せます。\n"
    "このコマンドを実行しますか？";
inline constexpr char kChooseLayoutFolder[] =
    "レイアウトデータを読込むフォルダーを指定してください";
inline constexpr char kLoadLayoutMissing[] =
    "指定したレイアウトデータフォルダーにはレイアウト画像またはレイアウトデータが入っていませんので"
    "レイアウトデータの読み込みは中止します。";

// New, per mode.
inline constexpr char kNewOuterLoop[] =
    "現在の外周レイアウトのポイントを破棄して新規作成しますか？";
inline constexpr char kNewSidings[] =
    "現在の引込み線レイアウトのポイントを破棄して新規作成しますか？";
inline constexpr char kNewMask[] = "現在のマスクデータを破棄して新規作成しますか？";
inline constexpr char kNewException[] = "現在の除外領域データを破棄して新規作成しますか？";
inline constexpr char kNewControl[] = "現在の制御ポイントを破棄して新規作成しますか？";
inline constexpr char kNewCrossing[] = "全ての踏切の設定を破棄して新規作成しますか？";
inline constexpr char kNewSensor[] = "全てのセンサーの設定を破棄して新規作成しますか？";
inline constexpr char kAskToSave[] =
    "レイアウトデータが編集されています。レイアウトデータを保存しますか？";

// Mode hints.
inline constexpr char kControlHint[] =
    "マウス左ボタンでプルダウンメニュを表示して制御ポイントを追加してください。";
inline constexpr char kSensorHint[] =
    "マウス左ボタンでプルダウンメニュを表示してセンサーポイントを追加してください。";

// Rail tracing.
inline constexpr char kRowFull[] = "これ以上ポイントを増やすことはできません";
inline constexpr char kTooClose[] = "他のポイントに近い位置にはポイントは追加できません";
inline constexpr char kConnectToLoop[] = "外周に接続するポイントを定義してください";
inline constexpr char kDeleteSiding[] =
    "ポイントを削除するとこの引込み線の座標点が全て削除されます。\n削除しますか？";
inline constexpr char kNeighbourCurved[] =
    "両隣が既に曲線設定がされているのでこのポイントは曲線設定できません";
inline constexpr char kTooManyTurnouts[] = "これ以上ポイントを作成できません";
inline constexpr char kEighthTurnout[] = "このポイントは単独では制御できません。前のポイントに連動"
                                         "するか、前のポイントを削除してください。";

// Pop-up menu items.
inline constexpr char kMenuDeleteVertex[] = "座標点削除";
inline constexpr char kMenuSetCurve[] = "曲線設定";
inline constexpr char kMenuClearCurve[] = "曲線解除";
inline constexpr char kMenuAppend[] = "座標点追加";
inline constexpr char kMenuCreateTurnout[] = "ポイント作成";
inline constexpr char kMenuPointSettings[] = "ポイント設定";
inline constexpr char kMenuTerminalSettings[] = "終端ポイント設定";
inline constexpr char kMenuPlatform[] = "プラットホーム設定";

// Regions.
inline constexpr char kRegionsFull[] = "これ以上マスク領域を増やすことはできません";
inline constexpr char kMenuAddRect[] = "矩形領域追加";
inline constexpr char kMenuAddBand[] = "線形領域追加";
inline constexpr char kMenuDeleteRegion[] = "領域削除";

// Markers.
inline constexpr char kControlsFull[] = "これ以上制御ポイントを増やすことはできません";
inline constexpr char kCrossingsFull[] = "これ以上踏切を増やすことはできません";
inline constexpr char kSensorsFull[] = "これ以上センサーポイントを増やすことはできません";
inline constexpr char kDeleteControl[] = "制御ポイントを削除しますか？";
inline constexpr char kDeleteCrossing[] = "踏切を削除しますか？";
inline constexpr char kDeleteSensor[] = "センサーポイントを削除しますか？";
inline constexpr char kMenuControlSettings[] = "レイアウト制御設定";
inline constexpr char kMenuAddControl[] = "制御ポイント追加";
inline constexpr char kMenuDeleteControl[] = "制御ポイント削除";
inline constexpr char kMenuCrossingSettings[] = "踏切設定";
inline constexpr char kMenuDeleteCrossing[] = "踏切削除";
inline constexpr char kMenuAddCrossing[] = "踏切追加";
inline constexpr char kMenuSensorSettings[] = "センサー設定";
inline constexpr char kMenuAddSensor[] = "センサーポイント追加";
inline constexpr char kMenuDeleteSensor[] = "センサーポイント削除";

} // namespace planwerk::text
