#include "vardo/devices/link_status.h"

namespace vardo::devices {

namespace {

const char* boardName(Board board)
{
    return board == Board::Usb ? "標準インタフェイス" : "拡張インタフェイス";
}

} // namespace

std::string linkLostText(Board board, int delayMs)
{
    // Whole seconds, rounded up: "0 seconds" would read as "now".
    const int seconds = (delayMs + 999) / 1000;
    return std::string(boardName(board)) + "との接続が切れました。" + std::to_string(seconds) +
           "秒後に再接続します";
}

std::string linkRetryingText(Board board)
{
    return std::string(boardName(board)) + "に再接続しています";
}

std::string linkBackText(Board board)
{
    return std::string(boardName(board)) + "に再接続しました";
}

} // namespace vardo::devices
