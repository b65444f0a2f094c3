#pragma once
// The status-bar texts of a board's link while it is lost and brought back.
#include <string>

namespace vardo::devices {

enum class Board { Usb, Extended };

// The link is gone; the next try comes after delayMs.
std::string linkLostText(Board board, int delayMs);
// A try is under way.
std::string linkRetryingText(Board board);
// The board answers again.
std::string linkBackText(Board board);

} // namespace vardo::devices
