#pragma once
// The jog dial and the lever as numbers: the angle a cursor gives, the speed
// fraction an angle gives, the angle a speed shows, and where the handle
// sits. Angles are radians with y upwards, as atan2 gives them.
#include "vardo/panel/skin.h"

#include <QLineF>
#include <QPointF>
#include <QRect>

#include <optional>

namespace vardo::panel {

inline constexpr double kTwoPi = 6.28318; // the value the dials were laid out with
inline constexpr double kHalfTurn = 3.14159;
inline constexpr double kDialSweep = 4.712385; // three quarters of a turn
inline constexpr double kLeverAngleScale = 4.084067;
inline constexpr double kLeverRestAngle = -3.6128285;
inline constexpr double kLeverMinSpeed = 0.01;

// The angle of point p about centre, y upwards.
double angleAbout(QPointF centre, QPointF p);

// The speed fraction that jog angle a sets, or nothing when a lies in the
// dial's dead zone (the jog then stays where it was).
std::optional<double> speedForAngle(const Skin& skin, double angle);

// "Show speed": the jog angle that a speed fraction puts the dial at.
double angleForSpeed(const Skin& skin, double speed);

// The lever (skin 2): the speed fraction of a lever top at y, clamped to
// 0.01..1.
double leverSpeed(const Skin& skin, double handleTop);
// Top left of the lever handle at a speed while running (or at rest).
QPointF leverHandlePosition(const Skin& skin, double speed, bool running);
// The lever line: from the lever centre out at the running angle.
QLineF leverLine(const Skin& skin, double speed, bool running);

// Centre of the dial's handle at an angle.
QPointF handleCentre(const Skin& skin, double angle);
// The rectangle in which the handle can be grabbed.
QRect handleRect(const Skin& skin, double angle, double speed, bool running);

} // namespace vardo::panel
