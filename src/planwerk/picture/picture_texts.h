#pragma once
// The texts the picture commands show or ask, exactly as users know them.

namespace planwerk::texts {

inline constexpr const char* kReadFailed = "画像ファイルの読み込みに失敗しました。";
inline constexpr const char* kSaveFailed = "画像ファイルの保存に失敗しました";
inline constexpr const char* kCutQuestion = "レイアウトと縦横比が異なるため画像をカットします";
inline constexpr const char* kReuseCollage =
    "トリミングされた合成画像があります。この画像を使用しますか？";
inline constexpr const char* kReuseTrainEdit =
    "トリミングされた列車編集画像があります。この画像を使用しますか？";
inline constexpr const char* kOpenFilter =
    "JPEGﾌｧｲﾙ(*.jpg,*.jpeg)|*.jpg;*.jpeg|ﾋﾞｯﾄﾏｯﾌﾟﾌｧｲﾙ (*.bmp)|*.bmp||";

} // namespace planwerk::texts
