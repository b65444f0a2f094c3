#include "vardo/ui/panel_cursors.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace vardo::ui {

namespace {

constexpr int kSide = 32;

QPixmap blank()
{
    QPixmap pm(kSide, kSide);
    pm.fill(Qt::transparent);
    return pm;
}

void outlined(QPainter& p, const QPainterPath& path)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(Qt::white);
    p.drawPath(path);
}

// A hand with the index finger up.
QCursor hand(bool grabbing)
{
    QPixmap pm = blank();
    QPainter p(&pm);
    QPainterPath path;
    if (grabbing) {
        path.addRoundedRect(QRectF(7, 11, 18, 15), 5, 5);
        for (int f = 0; f < 4; ++f)
            path.addRoundedRect(QRectF(8 + f * 4.2, 7, 4.2, 7), 2, 2);
    } else {
        path.addRoundedRect(QRectF(10, 2, 5, 14), 2.5, 2.5);
        path.addRoundedRect(QRectF(8, 13, 17, 14), 5, 5);
        path.addRoundedRect(QRectF(4, 14, 6, 8), 3, 3);
    }
    outlined(p, path.simplified());
    p.end();
    return QCursor(pm, grabbing ? 16 : 12, grabbing ? 16 : 2);
}

QPainterPath arrowHead(QPointF tip, QPointF dir)
{
    const QPointF side(-dir.y(), dir.x());
    QPainterPath path;
    path.moveTo(tip);
    path.lineTo(tip - dir * 6 + side * 5);
    path.lineTo(tip - dir * 6 - side * 5);
    path.closeSubpath();
    return path;
}

QCursor arrows(bool fourWay)
{
    QPixmap pm = blank();
    QPainter p(&pm);
    const QPointF c(16, 16);
    QPainterPath path;
    path.addRect(QRectF(14.5, 5, 3, 22));
    if (fourWay)
        path.addRect(QRectF(5, 14.5, 22, 3));
    path.addPath(arrowHead(QPointF(16, 1), QPointF(0, -1)));
    path.addPath(arrowHead(QPointF(16, 31), QPointF(0, 1)));
    if (fourWay) {
        path.addPath(arrowHead(QPointF(1, 16), QPointF(-1, 0)));
        path.addPath(arrowHead(QPointF(31, 16), QPointF(1, 0)));
    }
    outlined(p, path.simplified());
    p.end();
    return QCursor(pm, int(c.x()), int(c.y()));
}

} // namespace

QCursor panelCursor(panel::PanelCursor shape)
{
    using panel::PanelCursor;
    static const QCursor handCursor = hand(false);
    static const QCursor grabCursor = hand(true);
    static const QCursor moveCursor = arrows(true);
    static const QCursor leverCursor = arrows(false);
    switch (shape) {
    case PanelCursor::Hand:
        return handCursor;
    case PanelCursor::JogGrab:
        return grabCursor;
    case PanelCursor::Move:
        return moveCursor;
    case PanelCursor::Lever:
        return leverCursor;
    case PanelCursor::None:
        break;
    }
    return QCursor(Qt::ArrowCursor);
}

} // namespace vardo::ui
