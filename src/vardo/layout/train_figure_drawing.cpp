#include "vardo/layout/train_figure_drawing.h"

#include "vardo/layout/layout_pictures.h"
#include "vardo/layout/photo_rotation.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>

namespace vardo::layout {

void drawGraphicFigure(QPainter& painter, const layoutdata::TrainFigureOutline& outline,
                       const FigurePlacement& placement, const QColor& fill)
{
    const int w = outline.width(), h = outline.height();
    int at = 0;
    for (int k = 0; k < outline.polygonCount; ++k) {
        QPolygon polygon;
        for (int i = 0; i < outline.pointCounts[size_t(k)]; ++i, ++at) {
            Point p = placeFigurePoint(placement, w, h, outline.points[size_t(at)]);
            polygon << QPoint(p.x, p.y);
        }
        painter.setPen(QPen(Qt::black, 1));
        if (k == 0) {
            painter.setBrush(fill);
            painter.drawPolygon(polygon);
        } else {
            painter.drawPolyline(polygon);
        }
    }
}

void drawPhotoFigure(QPainter& painter, const QImage& photo, const FigurePlacement& placement,
                     QImage& work)
{
    if (photo.isNull() || work.isNull())
        return;
    const int w = photo.width(), h = photo.height();
    QPolygon corners;
    for (Point c : {Point{0, 0}, Point{w, 0}, Point{w, h}, Point{0, h}}) {
        Point p = placeFigurePoint(placement, w, h, c);
        corners << QPoint(std::clamp(p.x, 0, kPictureWidth - 1),
                          std::clamp(p.y, 0, kPictureHeight - 1));
    }
    work.fill(Qt::black);
    rotatePhoto(photo, placement.angle, work);
    const int half = work.width() / 2;
    painter.save();
    painter.setClipRegion(QRegion(corners), Qt::IntersectClip);
    painter.drawImage(QPoint(placement.centre.x - half, placement.centre.y - half), work);
    painter.restore();
}

} // namespace vardo::layout
