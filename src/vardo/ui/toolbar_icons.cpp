#include "vardo/ui/toolbar_icons.h"

#include "vardo/base/command_ids.h"

#include <QPainter>
#include <QPainterPath>

namespace vardo::ui {

namespace {

void page(QPainter& p)
{
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygon({{3, 1}, {10, 1}, {13, 4}, {13, 13}, {3, 13}}));
    p.drawLine(10, 1, 10, 4);
    p.drawLine(10, 4, 13, 4);
}

void folder(QPainter& p)
{
    p.setPen(Qt::black);
    p.setBrush(QColor(255, 220, 90));
    p.drawPolygon(QPolygon({{1, 3}, {6, 3}, {7, 5}, {14, 5}, {14, 13}, {1, 13}}));
}

void disk(QPainter& p)
{
    p.setPen(Qt::black);
    p.setBrush(QColor(40, 60, 160));
    p.drawRect(1, 1, 13, 12);
    p.setBrush(Qt::white);
    p.drawRect(4, 1, 7, 5);
    p.setBrush(QColor(180, 180, 180));
    p.drawRect(4, 9, 7, 4);
}

void target(QPainter& p)
{
    p.setPen(QPen(QColor(200, 0, 0), 1));
    p.drawRect(1, 2, 13, 10);
    p.drawLine(7, 0, 7, 14);
    p.drawLine(0, 7, 15, 7);
}

void camera(QPainter& p)
{
    p.setPen(Qt::black);
    p.setBrush(QColor(70, 70, 70));
    p.drawRect(1, 4, 10, 8);
    p.drawPolygon(QPolygon({{11, 7}, {15, 4}, {15, 12}, {11, 9}}));
    p.setBrush(QColor(120, 200, 255));
    p.drawEllipse(4, 6, 4, 4);
}

void track(QPainter& p)
{
    p.setPen(QPen(QColor(0, 0, 255), 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(2, 2, 12, 10);
}

void boxes(QPainter& p)
{
    p.setPen(Qt::black);
    p.setBrush(QColor(255, 249, 189));
    p.drawRect(1, 1, 5, 5);
    p.drawRect(9, 8, 5, 5);
    p.drawLine(6, 4, 11, 8);
}

void cross(QPainter& p)
{
    p.setPen(QPen(QColor(255, 0, 0), 2));
    p.drawLine(2, 7, 14, 7);
    p.drawLine(8, 1, 8, 13);
}

void train(QPainter& p)
{
    p.setPen(Qt::black);
    p.setBrush(QColor(0, 140, 60));
    p.drawRoundedRect(1, 4, 14, 7, 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(3, 6, 2, 2);
    p.drawRect(7, 6, 2, 2);
    p.drawRect(11, 6, 2, 2);
}

void focus(QPainter& p)
{
    p.setPen(QColor(0, 160, 0));
    p.drawRect(1, 4, 13, 6);
    p.setBrush(QColor(0, 255, 0));
    p.drawRect(1, 4, 8, 6);
    p.drawLine(11, 2, 11, 12);
}

void microphone(QPainter& p)
{
    p.setPen(Qt::black);
    p.setBrush(QColor(150, 150, 150));
    p.drawRoundedRect(5, 1, 5, 8, 2, 2);
    p.setBrush(Qt::NoBrush);
    p.drawArc(3, 3, 9, 9, 180 * 16, 180 * 16);
    p.drawLine(7, 12, 7, 14);
}

void undo(QPainter& p)
{
    p.setPen(QPen(QColor(0, 0, 160), 2));
    QPainterPath path;
    path.moveTo(4, 6);
    path.cubicTo(8, 1, 15, 4, 12, 12);
    p.drawPath(path);
    p.setBrush(QColor(0, 0, 160));
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygon({{1, 3}, {7, 3}, {4, 9}}));
}

} // namespace

QImage toolbarIcon(int commandId)
{
    void (*draw)(QPainter&) = nullptr;
    switch (commandId) {
    case cmd::NewProgram: draw = page; break;
    case cmd::OpenProgram: draw = folder; break;
    case cmd::SaveProgram: draw = disk; break;
    case cmd::CalibrationStart: draw = target; break;
    case cmd::LiveImage: draw = camera; break;
    case cmd::LayoutDisplay: draw = track; break;
    case cmd::ShowProgram: draw = boxes; break;
    case cmd::Centroid: draw = cross; break;
    case cmd::TrainFigure: draw = train; break;
    case cmd::FocusAdjustment: draw = focus; break;
    case cmd::SpeechRecognition: draw = microphone; break;
    case cmd::Undo: draw = undo; break;
    default: return QImage();
    }
    QImage icon(kIconWidth, kIconHeight, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    draw(painter);
    return icon;
}

} // namespace vardo::ui
