#include "planwerk/marker_drawing.h"

#include "planwerk/qt_colour.h"

#include <QPainter>

namespace planwerk {

namespace {

QPoint q(layoutdata::Point p)
{
    return {p.x, p.y};
}

struct Tools {
    explicit Tools(const EditorSettings& s)
        : line(toQColor(s.lineColour), s.lineWidth),
          select(toQColor(s.selectColour), s.selectWidth), mask(toQColor(s.maskColour)),
          radius(s.pointSize)
    {
    }
    QPen line;
    QPen select;
    QBrush mask;
    int radius;
};

const QColor kBarrierColour(0xCD, 0xB2, 0x60);

void handle(QPainter& p, const Tools& t, layoutdata::Point at, bool selected, const QBrush& fill)
{
    p.setPen(selected ? t.select : t.line);
    p.setBrush(fill);
    p.drawEllipse(q(at), t.radius, t.radius);
}

QColor directionColour(int direction)
{
    switch (direction) {
    case 1:
        return QColor(0, 255, 255);
    case 2:
        return QColor(255, 255, 0);
    default:
        return QColor(255, 0, 255);
    }
}

} // namespace

void drawRegions(QPainter& p, const RegionSet& set, int selection, const EditorSettings& s)
{
    Tools t(s);
    for (int i = 0; i < set.count(); ++i) {
        const layoutdata::MaskRecord& r = set[i];
        bool band = r.width > 0;
        p.setBrush(Qt::NoBrush);
        if (band) {
            QPen pen(t.line.color(), r.width);
            p.setPen(pen);
            p.drawLine(q(r.corners[0]), q(r.corners[1]));
        } else {
            p.setPen(t.line);
            const QPoint outline[] = {q(r.corners[3]), q(r.corners[0]), q(r.corners[1]),
                                      q(r.corners[2]), q(r.corners[3])};
            p.drawPolyline(outline, 5);
        }
        for (int c = 0; c < (band ? 2 : 4); ++c)
            handle(p, t, r.corners[size_t(c)], selection == i * 4 + c, t.mask);
    }
}

void drawControlPoints(QPainter& p, const ControlPointSet& set, int selection,
                       const EditorSettings& s)
{
    Tools t(s);
    for (int i = 0; i < set.count(); ++i)
        handle(p, t, {set[i].x, set[i].y}, selection == i,
               QBrush(directionColour(set[i].direction)));
}

void drawCrossings(QPainter& p, const CrossingSet& set, int selection, const EditorSettings& s)
{
    Tools t(s);
    QPen barrierPen(kBarrierColour, 2);
    for (int i = 0; i < set.count(); ++i) {
        const layoutdata::CrossingRecord& r = set[i];
        bool selected = selection >= 0 && selection / 100 == i;
        p.setBrush(Qt::NoBrush);
        p.setPen(selected ? t.select : t.line);
        p.drawRect(QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom)));
        if (r.barrier) {
            p.setPen(barrierPen);
            p.drawLine(q(r.arm1[0]), q(r.arm1[1]));
            p.drawLine(q(r.arm2[0]), q(r.arm2[1]));
        }
        if (r.lights) {
            p.setPen(t.select);
            p.drawLine(q(r.lamp[0]), q(r.lamp[1]));
            p.drawLine(q(r.lamp[2]), q(r.lamp[3]));
        }
        int part = selected ? selection % 100 : -1;
        if (r.barrier) {
            const layoutdata::Point arms[] = {r.arm1[0], r.arm1[1], r.arm2[0], r.arm2[1]};
            for (int k = 0; k < 4; ++k) {
                bool pivot = k % 2 == 0;
                handle(p, t, arms[k], part == k, pivot ? t.mask : QBrush(Qt::NoBrush));
            }
        }
        if (r.lights) {
            for (int k = 0; k < 4; ++k)
                handle(p, t, r.lamp[size_t(k)], part == 4 + k, QBrush(Qt::NoBrush));
        }
    }
}

void drawTrainRectangle(QPainter& p, const TrainRect& r, int selection, const EditorSettings& s)
{
    Tools t(s);
    p.setPen(t.line);
    p.setBrush(Qt::NoBrush);
    const QPoint outline[] = {q(r[3]), q(r[4]), q(r[1]), q(r[0]), q(r[3])};
    p.drawPolyline(outline, 5);
    for (int i = 0; i < 3; ++i) {
        p.setPen(i == selection ? t.select : QPen(Qt::black));
        p.setBrush(i == 2 ? QBrush(toQColor(s.pointColour)) : t.mask);
        p.drawEllipse(q(r[size_t(i)]), t.radius, t.radius);
    }
}

void drawSensors(QPainter& p, const SensorSet& set, int selection, const EditorSettings& s)
{
    Tools t(s);
    for (int i = 0; i < set.count(); ++i) {
        handle(p, t, {set[i].x, set[i].y}, selection == i, QBrush(Qt::NoBrush));
        p.setPen(t.line);
        p.drawText(set[i].x + 8, set[i].y + 8, QString::number(i));
    }
}

} // namespace planwerk
