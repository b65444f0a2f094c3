// Pictograms in one style: dark outlines of width 2 on a transparent ground,
// with one accent colour per family of commands.
#include "vardo/operation/program_icons.h"

#include "vardo/operation/program_command.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace vardo {

namespace {

const QColor kInk(40, 40, 40);
const QColor kGreen(30, 150, 60);
const QColor kRed(200, 40, 40);
const QColor kBlue(40, 90, 200);
const QColor kOrange(220, 130, 20);

QPen inkPen(const QColor& c = kInk, qreal width = 2.0)
{
    return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void drawStart(QPainter& p)
{
    p.setPen(inkPen());
    p.setBrush(kGreen);
    p.drawPolygon(QPolygonF({{9, 5}, {27, 16}, {9, 27}}));
}

void drawClock(QPainter& p)
{
    p.setPen(inkPen());
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(16, 17), 12, 12);
    p.drawLine(QPointF(16, 17), QPointF(16, 9));
    p.drawLine(QPointF(16, 17), QPointF(22, 20));
    p.setBrush(kInk);
    p.drawEllipse(QPointF(6, 5), 2.5, 2.5); // alarm bells
    p.drawEllipse(QPointF(26, 5), 2.5, 2.5);
}

void drawTimer(QPainter& p)
{
    p.setPen(inkPen());
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(16, 18), 11, 11);
    p.drawLine(QPointF(13, 4), QPointF(19, 4));
    p.drawLine(QPointF(16, 4), QPointF(16, 7));
    p.setPen(Qt::NoPen);
    p.setBrush(kOrange);
    p.drawPie(QRectF(7, 9, 18, 18), 90 * 16, -120 * 16);
}

void drawTrain(QPainter& p)
{
    p.setPen(inkPen());
    p.setBrush(kBlue);
    p.drawRoundedRect(QRectF(4, 8, 24, 14), 3, 3);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8, 11, 5, 4));
    p.drawRect(QRectF(17, 11, 5, 4));
    p.setBrush(kInk);
    p.drawEllipse(QPointF(10, 25), 2.5, 2.5);
    p.drawEllipse(QPointF(22, 25), 2.5, 2.5);
}

void drawPoint(QPainter& p)
{
    p.setPen(inkPen(kInk, 2.5));
    p.drawLine(QPointF(4, 26), QPointF(28, 26)); // through track
    QPainterPath branch;
    branch.moveTo(8, 26);
    branch.cubicTo(18, 26, 20, 8, 28, 6);
    p.setBrush(Qt::NoBrush);
    p.setPen(inkPen(kOrange, 2.5));
    p.drawPath(branch);
}

void drawBarrier(QPainter& p)
{
    p.setPen(inkPen());
    p.setBrush(kInk);
    p.drawRect(QRectF(4, 14, 4, 14)); // post
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6, 10, 23, 5));
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    for (int x = 10; x < 28; x += 8)
        p.drawRect(QRectF(x, 11, 4, 3));
}

void drawFlag(QPainter& p)
{
    p.setPen(inkPen());
    p.drawLine(QPointF(8, 4), QPointF(8, 28));
    p.setBrush(kGreen); // not red: the position cross is drawn over it
    p.drawPolygon(QPolygonF({{8, 5}, {26, 10}, {8, 16}}));
}

void drawRepeat(QPainter& p)
{
    p.setPen(inkPen(kBlue, 2.5));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(6, 6, 20, 20), 60 * 16, 280 * 16);
    p.setBrush(kBlue);
    p.drawPolygon(QPolygonF({{19, 3}, {25, 8}, {18, 11}}));
}

void drawSpeaker(QPainter& p)
{
    p.setPen(inkPen());
    p.setBrush(kInk);
    p.drawPolygon(QPolygonF({{4, 12}, {10, 12}, {17, 6}, {17, 26}, {10, 20}, {4, 20}}));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(14, 10, 10, 12), -50 * 16, 100 * 16);
    p.drawArc(QRectF(14, 6, 16, 20), -50 * 16, 100 * 16);
}

void drawEnd(QPainter& p)
{
    p.setPen(inkPen());
    p.setBrush(kRed);
    QPolygonF octagon;
    for (QPointF v :
         {QPointF(11, 4), {21, 4}, {28, 11}, {28, 21}, {21, 28}, {11, 28}, {4, 21}, {4, 11}})
        octagon << v;
    p.drawPolygon(octagon);
    p.setPen(inkPen(Qt::white, 3));
    p.drawLine(QPointF(10, 16), QPointF(22, 16));
}

void drawRelay(QPainter& p)
{
    p.setPen(inkPen());
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(3, 24), QPointF(10, 24));
    p.drawLine(QPointF(10, 24), QPointF(21, 15)); // open contact
    p.drawLine(QPointF(22, 24), QPointF(29, 24));
    p.setBrush(kInk);
    p.drawEllipse(QPointF(10, 24), 2, 2);
    p.drawEllipse(QPointF(22, 24), 2, 2);
    p.setBrush(kOrange);
    p.drawRect(QRectF(9, 3, 14, 8)); // coil
}

void drawSpeed(QPainter& p)
{
    p.setPen(inkPen());
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(4, 8, 24, 24), 0, 180 * 16);
    p.setPen(inkPen(kRed, 2.5));
    p.drawLine(QPointF(16, 20), QPointF(24, 12));
    p.setPen(inkPen());
    p.setBrush(kInk);
    p.drawEllipse(QPointF(16, 20), 2, 2);
}

void drawTurntable(QPainter& p)
{
    p.setPen(inkPen());
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(16, 16), 13, 13);
    p.setBrush(kBlue);
    p.drawRect(QRectF(5, 13, 22, 6)); // the bridge
    p.setBrush(kInk);
    p.drawEllipse(QPointF(16, 16), 2, 2);
}

void drawKind(QPainter& p, int kind, IconVariant variant)
{
    switch (static_cast<CommandKind>(kind)) {
    case CommandKind::Start:
        drawStart(p);
        break;
    case CommandKind::AlarmTime:
        drawClock(p);
        break;
    case CommandKind::Timer:
        drawTimer(p);
        break;
    case CommandKind::TrainControl:
        drawTrain(p);
        break;
    case CommandKind::SwitchPoint:
        variant == IconVariant::Barrier ? drawBarrier(p) : drawPoint(p);
        break;
    case CommandKind::PositionWait:
        drawFlag(p);
        break;
    case CommandKind::Repeat:
        drawRepeat(p);
        break;
    case CommandKind::SoundOutput:
        drawSpeaker(p);
        break;
    case CommandKind::EndOfOperation:
        drawEnd(p);
        break;
    case CommandKind::OptionOutput:
        drawRelay(p);
        break;
    case CommandKind::TrainSpeed:
        drawSpeed(p);
        break;
    case CommandKind::Turntable:
        drawTurntable(p);
        break;
    case CommandKind::Empty:
        break;
    }
}

} // namespace

QImage commandIconStrip(IconVariant variant)
{
    QImage strip(kLastCommandKind * kIconSize, kIconSize, QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing);
    for (int kind = 1; kind <= kLastCommandKind; ++kind) {
        p.save();
        p.translate((kind - 1) * kIconSize, 0);
        p.setClipRect(0, 0, kIconSize, kIconSize);
        drawKind(p, kind, variant);
        p.restore();
    }
    return strip;
}

QImage markStrip()
{
    QImage strip(88, kMarkSize, QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    p.setPen(Qt::NoPen);
    // Train: stop square, forward and backward triangles.
    p.setBrush(kRed);
    p.drawRect(1, 1, 6, 6);
    p.setBrush(kInk);
    p.drawPolygon(QPolygon({{9, 0}, {15, 4}, {9, 8}}));
    p.drawPolygon(QPolygon({{23, 0}, {17, 4}, {23, 8}}));
    // Sound: stopped square, playing note.
    p.setBrush(kRed);
    p.drawRect(25, 1, 6, 6);
    p.setBrush(kGreen);
    p.drawEllipse(QRect(33, 4, 4, 4));
    p.drawRect(36, 0, 2, 6);
    // Relay: hollow "off" lamp, filled "on" lamp, each 16 wide.
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::white);
    p.drawRect(41, 1, 13, 5);
    p.setBrush(kOrange);
    p.drawRect(57, 1, 13, 5);
    // Turntable power: hollow and filled circles.
    p.setBrush(Qt::white);
    p.drawEllipse(QRect(72, 1, 6, 6));
    p.setBrush(kGreen);
    p.drawEllipse(QRect(80, 1, 6, 6));
    return strip;
}

} // namespace vardo
