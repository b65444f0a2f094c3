#include "vardo/layout/turntable_picture.h"

#include <QPainter>
#include <QPolygon>
#include <cmath>

namespace vardo::layout {

namespace {
const QColor kBridgeFill(150, 150, 150);
const QColor kBridgeEdge(60, 60, 60);
const QColor kRail(30, 30, 30);
constexpr double kDegree = 3.14159 / 180.0;
} // namespace

QImage makeTurntablePicture(const QImage& layout, Point centre, int radius)
{
    QImage picture(4 * radius, 2 * radius, QImage::Format_RGB888);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    painter.drawImage(QPoint(0, 0), layout,
                      QRect(centre.x - radius, centre.y - radius, 2 * radius, 2 * radius));
    return picture;
}

QPoint turntablePoint(int radius, double degrees, int x, int y)
{
    double a = degrees * kDegree;
    double c = std::cos(a), s = std::sin(a);
    return {3 * radius + int(x * c - y * s + 0.5), radius - int(y * c + x * s + 0.5)};
}

void drawTurntableBridge(QImage& picture, int radius, double degrees)
{
    const int side = 2 * radius;
    QPainter painter(&picture);
    painter.drawImage(QPoint(side, 0), picture.copy(0, 0, side, side));
    painter.setClipRect(QRect(side, 0, side, side));
    QPolygon bridge;
    for (auto [x, y] : {std::pair{-56, -15}, {56, -15}, {56, 15}, {-56, 15}})
        bridge << turntablePoint(radius, degrees, x, y);
    painter.setPen(QPen(kBridgeEdge, 1));
    painter.setBrush(kBridgeFill);
    painter.drawPolygon(bridge);
    painter.setPen(QPen(kRail, 1));
    for (int y : {-5, 5})
        painter.drawLine(turntablePoint(radius, degrees, -56, y),
                         turntablePoint(radius, degrees, 56, y));
}

} // namespace vardo::layout
