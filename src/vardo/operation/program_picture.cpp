#include "vardo/operation/program_picture.h"

#include <QPainter>
#include <QPolygon>

#include "common/colour.h"

#include <algorithm>

namespace vardo {

namespace {

QColor colourOr(int32_t value, const QColor& fallback)
{
    if (value < 0)
        return fallback;
    return QColor(common::colourRed(value), common::colourGreen(value), common::colourBlue(value));
}

QPen linePen(const QColor& colour, int width)
{
    // Square caps so every corner point and the end point are drawn.
    return QPen(colour, std::max(1, width), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
}

bool sameRow(const ProgramCommand& a, const ProgramCommand& b)
{
    return a.boxY == b.boxY;
}

} // namespace

ProgramPictureStyle ProgramPictureStyle::read(const Settings& settings, common::MessageSink& sink)
{
    ProgramPictureStyle s;
    s.box = colourOr(settings.getColour(sink, SettingId::EventEventColor), s.box);
    s.link = colourOr(settings.getColour(sink, SettingId::EventLinkColor), s.link);
    s.select = colourOr(settings.getColour(sink, SettingId::EventSelectColor), s.select);
    s.linkWidth = std::max(1, settings.getInt(SettingId::EventLinkWidth));
    s.selectWidth = std::max(1, settings.getInt(SettingId::EventSelectWidth));
    return s;
}

IconVariant ProgramPictureLayout::iconVariant() const
{
    if (turntable)
        return IconVariant::Turntable;
    return outerLoopOnly ? IconVariant::Barrier : IconVariant::Plain;
}

ProgramPicture::ProgramPicture(ProgramPictureLayout layout, ProgramPictureStyle style)
    : layout_(std::move(layout)), style_(style), icons_(commandIconStrip(layout_.iconVariant())),
      marks_(markStrip())
{
}

QImage ProgramPicture::draw(const Program& program) const
{
    QImage picture(kProgramViewWidth, kProgramViewHeight, QImage::Format_RGB888);
    picture.fill(Qt::white);
    QPainter p(&picture);
    p.setPen(linePen(style_.link, style_.linkWidth));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < program.count; ++i) {
        if (!program.isCommand(i))
            continue;
        drawLink(p, program, program.commands[size_t(i)]);
        drawNext(p, program, program.commands[size_t(i)]);
    }
    for (int i = 0; i < program.count; ++i) {
        if (program.isCommand(i))
            drawBox(p, program.commands[size_t(i)]);
    }
    for (int i = 0; i < program.count; ++i) {
        if (program.isCommand(i)) {
            drawMarks(p, program.commands[size_t(i)]);
            drawPositionCross(p, program.commands[size_t(i)]);
        }
    }
    return picture;
}

void ProgramPicture::drawLink(QPainter& p, const Program& program, const ProgramCommand& c) const
{
    if (!program.isCommand(c.link))
        return;
    const ProgramCommand& t = program.commands[size_t(c.link)];
    const int x = c.boxX, y = c.boxY, tx = t.boxX, ty = t.boxY;
    QPolygon line;
    line << QPoint(x + 20, y + 20);
    if (c.is(CommandKind::Repeat)) {
        if (sameRow(c, t))
            line << QPoint(x + 20, y + 42) << QPoint(tx - 6, y + 42) << QPoint(tx - 6, ty + 26)
                 << QPoint(tx + 1, ty + 26);
        else
            line << QPoint(x + 20, y - 11) << QPoint(tx - 8, y - 11) << QPoint(tx - 8, ty + 23)
                 << QPoint(tx + 1, ty + 23);
    } else if (sameRow(c, t)) {
        line << QPoint(x + 50, y + 20) << QPoint(x + 50, y + 51) << QPoint(tx - 10, y + 51)
             << QPoint(tx - 10, ty + 23) << QPoint(tx + 1, ty + 23);
    } else {
        if (x < tx)
            line << QPoint(tx - 8, y + 20);
        else
            line << QPoint(x + 48, y + 20) << QPoint(x + 48, ty + 51) << QPoint(tx - 8, ty + 51);
        line << QPoint(tx - 8, ty + 23) << QPoint(tx + 1, ty + 23);
    }
    p.drawPolyline(line);
}

void ProgramPicture::drawNext(QPainter& p, const Program& program, const ProgramCommand& c) const
{
    if (!program.isCommand(c.next))
        return;
    const ProgramCommand& n = program.commands[size_t(c.next)];
    const int x = c.boxX, y = c.boxY, nx = n.boxX, ny = n.boxY;
    QPolygon line;
    line << QPoint(x + 39, y + 20);
    if (ny > y) {
        // The chain wraps: down to the middle between the rows, then left.
        const int m = (ny + y) / 2 + 20;
        line << QPoint(x + 48, y + 20) << QPoint(x + 48, m) << QPoint(nx - 8, m)
             << QPoint(nx - 8, ny + 20);
    }
    line << QPoint(nx + 1, ny + 20);
    p.drawPolyline(line);
}

void ProgramPicture::drawBox(QPainter& p, const ProgramCommand& c) const
{
    p.setBrush(style_.box);
    p.drawRect(c.boxX, c.boxY, kBoxSize - 1, kBoxSize - 1);
    if (c.kind < 1 || c.kind > kLastCommandKind)
        return;
    QImage icon = icons_.copy((c.kind - 1) * kIconSize, 0, kIconSize, kIconSize);
    if (c.is(CommandKind::SwitchPoint) && c.option == 1) {
        // The branch side: flipped over, top to bottom for the barrier.
        const bool vertical = layout_.outerLoopOnly;
        icon = icon.mirrored(!vertical, vertical);
    }
    p.drawImage(c.boxX + 4, c.boxY + 4, icon);
}

void ProgramPicture::drawMark(QPainter& p, int x, int y, int column, int width) const
{
    p.drawImage(QPoint(x, y), marks_, QRect(column, 0, width, kMarkSize));
}

void ProgramPicture::drawMarks(QPainter& p, const ProgramCommand& c) const
{
    const int x = c.boxX, y = c.boxY;
    switch (c.commandKind()) {
    case CommandKind::TrainControl:
        if (c.option <= 2)
            drawMark(p, x + 16, y + 28, c.option * kMarkSize);
        break;
    case CommandKind::SoundOutput:
        drawMark(p, x + 16, y + 28, c.option == 0 ? kMarkSoundStop : kMarkSoundPlay);
        break;
    case CommandKind::OptionOutput:
        drawMark(p, x + 13, y + 15, kMarkRelay + (c.option ? 16 : 0), 16);
        break;
    case CommandKind::TrainSpeed: {
        const int speed = std::clamp<int>(c.value1, 0, 100);
        drawMark(p, x + 4, y + 4 + 24 * (100 - speed) / 100, kMarkForward);
        break;
    }
    case CommandKind::Turntable:
        if (c.option <= 1)
            drawMark(p, x + 17, y + 16, kMarkPower + c.option * kMarkSize);
        else if (c.value2 != 0)
            drawMark(p, x + 28, y + 28, kMarkForward);
        break;
    default:
        break;
    }
}

void ProgramPicture::drawPositionCross(QPainter& p, const ProgramCommand& c) const
{
    if (!c.is(CommandKind::PositionWait))
        return;
    p.setPen(QPen(Qt::red, 1));
    QPoint target;
    if (c.option == 3) {
        target = QPoint(c.value1, c.value2);
    } else if (c.option == 4) {
        if (c.value1 < 0 || size_t(c.value1) >= layout_.sensors.size()) {
            // No such sensor in the layout: a dot by the sensor number.
            p.setBrush(Qt::red);
            p.drawEllipse(c.boxX + 8 + 5 * c.value1, c.boxY + 33, 3, 3);
            p.setPen(linePen(style_.link, style_.linkWidth));
            return;
        }
        target = layout_.sensors[size_t(c.value1)];
    } else if (c.option <= 2) {
        target = layout_.positions[c.option];
    } else {
        p.setPen(linePen(style_.link, style_.linkWidth));
        return;
    }
    const int cx = c.boxX + 4 + target.x() / 20;
    const int cy = c.boxY + 8 + target.y() / 20;
    p.drawLine(cx - 3, cy, cx + 3, cy);
    p.drawLine(cx, cy - 3, cx, cy + 3);
    p.setPen(linePen(style_.link, style_.linkWidth));
}

void ProgramPicture::drawSelection(QImage& picture, const Program& program, int index) const
{
    if (!program.isCommand(index))
        return;
    const ProgramCommand& c = program.commands[size_t(index)];
    QPainter p(&picture);
    p.setPen(linePen(style_.select, style_.selectWidth));
    p.setBrush(Qt::NoBrush);
    p.drawRect(c.boxX - 2, c.boxY - 2, kBoxSize + 3, kBoxSize + 3);
}

} // namespace vardo
