#pragma once
// The clipboard's text for a thread other than the window's: the read runs
// on the window's thread, and the caller waits for it a limited time, so a
// window that is busy (or waits for the caller) never holds it for ever.
#include <functional>
#include <string>

namespace vardo::ui {

// False when there is no text or the window did not answer in time.
std::function<bool(std::string& text)> clipboardReader(int timeoutMs = 2000);

} // namespace vardo::ui
