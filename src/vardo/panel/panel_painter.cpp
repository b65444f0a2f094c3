#include "vardo/panel/panel_painter.h"

#include "vardo/base/controller_codes.h"
#include "vardo/panel/jog_geometry.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QTransform>

#include <cmath>

namespace vardo::panel {

namespace {

QImage withBlackTransparent(const QImage& picture)
{
    QImage out = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((row[x] & 0xffffff) == 0)
                row[x] = 0;
    }
    return out;
}

void drawPicture(QPainter& p, const Skin& skin, int i)
{
    if (skin.has(i))
        p.drawImage(skin.positions[size_t(i)], skin.pictures[size_t(i)]);
}

void drawRotatedHandle(QPainter& p, const Skin& skin, double angle)
{
    const QPointF c = handleCentre(skin, angle);
    p.save();
    if (skin.region.size() >= 3)
        p.setClipRegion(QRegion(QPolygon(QList<QPoint>(skin.region.begin(), skin.region.end()))));
    // Screen angles turn the other way than the dial's (y is downwards).
    QTransform t;
    t.translate(c.x(), c.y());
    t.rotateRadians(-angle);
    p.setTransform(t, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QImage keyed = withBlackTransparent(skin.handle);
    p.drawImage(QPointF(-keyed.width() / 2.0, -keyed.height() / 2.0), keyed);
    p.restore();
}

void drawLever(QPainter& p, const Skin& skin, double speed, bool running)
{
    drawPicture(p, skin, role::Jog);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kLeverPen, kLeverPenWidth));
    p.drawLine(leverLine(skin, speed, running));
    p.restore();
    if (skin.has(role::Handle))
        drawKeyed(p, leverHandlePosition(skin, speed, running), skin.pictures[role::Handle]);
}

void drawJog(QPainter& p, const ControllerPanel& panel, bool running)
{
    const Skin& skin = panel.skin();
    if (skin.isLever()) {
        drawLever(p, skin, panel.speed(), running);
        return;
    }
    if (!skin.handle.isNull()) {
        drawRotatedHandle(p, skin, panel.jogAngle());
        return;
    }
    if (skin.has(role::Handle)) {
        const QImage& h = skin.pictures[role::Handle];
        const QPointF c = handleCentre(skin, panel.jogAngle());
        drawKeyed(p, c - QPointF(h.width() / 2.0, h.height() / 2.0), h);
    }
}

void drawTurntable(QPainter& p, const ControllerPanel& panel)
{
    const int word = panel.turntableWord();
    if (word & 1)
        drawPicture(p, panel.skin(), role::TurntableReverse);
    for (int t = 0; t < 5; ++t)
        if (word & (2 << t))
            drawPicture(p, panel.skin(), role::Track1 + t);
}

} // namespace

void drawKeyed(QPainter& painter, QPointF at, const QImage& picture)
{
    painter.drawImage(at, withBlackTransparent(picture));
}

QImage renderPanel(const ControllerPanel& panel, int controllerState)
{
    const Skin& skin = panel.skin();
    const QSize size = panel.size();
    QImage out(size.isEmpty() ? QSize(1, 1) : size, QImage::Format_RGB888);
    out.fill(kTransparentKey);
    if (!panel.loaded())
        return out;
    QPainter p(&out);
    drawPicture(p, skin, role::Background);
    const int bits = controllerState | (panel.exitPressed() ? 1 : 0);
    for (int i = 1; i <= role::AutoLamp; ++i) {
        if (i == role::Jog)
            continue;
        if (bits & (1 << (i - 1)))
            drawPicture(p, skin, i);
    }
    drawJog(p, panel, controllerState & state::Running);
    if (panel.hasTurntable())
        drawTurntable(p, panel);
    return out;
}

} // namespace vardo::panel
