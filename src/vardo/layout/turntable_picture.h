#pragma once
// The turntable picture: 4R wide and 2R high; the left square is the
// layout around the centre, the right square is where the bridge is drawn
// before it is copied back onto the layout.
#include "vardo/layout/layout_pictures.h"

#include <QImage>

namespace vardo::layout {

QImage makeTurntablePicture(const QImage& layout, Point centre, int radius);

// Copies the left square to the right one and draws the bridge in it,
// turned by the angle in degrees.
void drawTurntableBridge(QImage& picture, int radius, double degrees);

// The bridge corner or rail point (x, y) turned by the angle about (3R, R).
QPoint turntablePoint(int radius, double degrees, int x, int y);

} // namespace vardo::layout
