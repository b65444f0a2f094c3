#pragma once
// Draws the controller panel into a picture: the background, the lamps and
// buttons the controller state lights, the jog (dial handle, rotated handle
// or lever) and the turntable buttons. Pure blue stays where the panel is
// see-through.
#include "vardo/panel/controller_panel.h"

#include <QColor>
#include <QImage>

namespace vardo::panel {

// The colour that is transparent on screen.
inline const QColor kTransparentKey(0, 0, 255);
// The lever line of skin 2.
inline const QColor kLeverPen(90, 90, 90);
inline constexpr int kLeverPenWidth = 2;

// The whole panel at its size after the width rules.
QImage renderPanel(const ControllerPanel& panel, int controllerState);

// A picture drawn with its black pixels left out (the mask and handle pair
// of the skins).
void drawKeyed(QPainter& painter, QPointF at, const QImage& picture);

} // namespace vardo::panel
