#pragma once
// The 16 x 15 toolbar pictures, drawn in code.
#include <QImage>

namespace vardo::ui {

constexpr int kIconWidth = 16;
constexpr int kIconHeight = 15;

// A null image for a command without a picture.
QImage toolbarIcon(int commandId);

} // namespace vardo::ui
