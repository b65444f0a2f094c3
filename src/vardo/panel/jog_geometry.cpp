#include "vardo/panel/jog_geometry.h"

#include <algorithm>
#include <cmath>

namespace vardo::panel {

double angleAbout(QPointF centre, QPointF p)
{
    return std::atan2(-(p.y() - centre.y()), p.x() - centre.x());
}

namespace {

std::optional<double> directDialSpeed(const Skin& s, double angle)
{
    const double lo = std::min(s.restAngle, s.endAngle);
    const double hi = std::max(s.restAngle, s.endAngle);
    if (angle < lo || angle > hi || s.endAngle == s.restAngle)
        return std::nullopt;
    return (angle - s.restAngle) / (s.endAngle - s.restAngle);
}

// A dial turned clockwise from the rest angle through the top, its dead
// zone between the end angle and the rest angle.
std::optional<double> wrappedDialSpeed(const Skin& s, double angle)
{
    const double sweep = s.restAngle + kTwoPi - s.endAngle;
    if (sweep <= 0 || (angle >= s.restAngle && angle <= s.endAngle))
        return std::nullopt;
    double speed;
    if (angle < s.restAngle)
        speed = (s.restAngle - angle) / sweep;
    else if (angle > s.endAngle)
        speed = (s.restAngle + kTwoPi - angle) / sweep;
    else
        return std::nullopt;
    // Past either end the dial does not follow: no speed above full.
    if (speed < 0 || speed > 1)
        return std::nullopt;
    return speed;
}

} // namespace

std::optional<double> speedForAngle(const Skin& skin, double angle)
{
    return skin.isDirectDial() ? directDialSpeed(skin, angle) : wrappedDialSpeed(skin, angle);
}

double angleForSpeed(const Skin& skin, double speed)
{
    if (skin.isDirectDial())
        return skin.restAngle + speed * (skin.endAngle - skin.restAngle);
    double a = skin.restAngle - speed * kDialSweep;
    if (a < -kHalfTurn)
        a += kTwoPi;
    return a;
}

double leverSpeed(const Skin& skin, double handleTop)
{
    const double travel =
        skin.pictureSize(role::Jog).height() - skin.pictureSize(role::Handle).height();
    if (travel <= 0)
        return 1.0;
    const double s = (handleTop - skin.positions[role::Jog].y()) / travel;
    return std::clamp(s, kLeverMinSpeed, 1.0);
}

QPointF leverHandlePosition(const Skin& skin, double speed, bool running)
{
    QPointF p = skin.positions[role::Jog];
    if (running) {
        const double travel =
            skin.pictureSize(role::Jog).height() - skin.pictureSize(role::Handle).height();
        p += QPointF(-6.0 * std::min(speed, 0.5), speed * travel);
    }
    return p;
}

QLineF leverLine(const Skin& skin, double speed, bool running)
{
    const double a = running ? speed * kLeverAngleScale + kLeverRestAngle : kLeverRestAngle;
    const QPointF dir(std::cos(a), -std::sin(a));
    const QPointF c = skin.jogCentre;
    return QLineF(c + dir * (skin.jogRadius * 0.6), c + dir * skin.jogRadius);
}

QPointF handleCentre(const Skin& skin, double angle)
{
    return skin.jogCentre + QPointF(std::cos(angle), -std::sin(angle)) * skin.jogRadius;
}

QRect handleRect(const Skin& skin, double angle, double speed, bool running)
{
    QSize size = skin.pictureSize(role::Handle);
    if (size.isEmpty())
        size = skin.handle.size();
    if (skin.isLever())
        return QRect(leverHandlePosition(skin, speed, running).toPoint(), size);
    const QPointF c = handleCentre(skin, angle);
    return QRect(QPoint(int(c.x() - size.width() / 2.0), int(c.y() - size.height() / 2.0)), size);
}

} // namespace vardo::panel
