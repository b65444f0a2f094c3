#include "skin_painting.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace mkskin {

void setFont(QPainter& p, const Palette& c, int pixelSize, bool bold)
{
    QFont f(c.font);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    p.setFont(f);
}

void drawBody(QPainter& p, const QRect& r, const Palette& c, int radius)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false); // no blends into the key colour
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, c.bodyTop);
    g.setColorAt(1, c.bodyBottom);
    p.setPen(Qt::NoPen);
    p.setBrush(c.rim);
    p.drawRoundedRect(r, radius, radius);
    p.setBrush(g);
    p.drawRoundedRect(r.adjusted(3, 3, -3, -3), radius - 2, radius - 2);
    p.setPen(QPen(c.bodyTop.lighter(150), 1));
    p.setBrush(Qt::NoBrush);
    p.drawLine(r.left() + radius, r.top() + 4, r.right() - radius, r.top() + 4);
    p.restore();
}

void drawWell(QPainter& p, const QRect& r, const Palette& c, const QString& caption)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(c.bodyBottom.darker(160), 1));
    p.setBrush(c.bodyBottom.darker(115));
    p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
    p.setPen(c.bodyTop.lighter(130));
    p.drawLine(r.left() + 5, r.bottom(), r.right() - 5, r.bottom());
    if (!caption.isEmpty()) {
        setFont(p, c, 10, false);
        p.setPen(c.buttonText);
        p.drawText(QRect(r.left(), r.top() + 1, r.width(), 13), Qt::AlignCenter, caption);
    }
    p.restore();
}

void drawButton(QPainter& p, const QRect& r, const Palette& c, const QString& label, bool lit)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QColor face = lit ? c.lit : c.button;
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, lit ? face.darker(115) : face.lighter(135));
    g.setColorAt(1, lit ? face.lighter(120) : face.darker(125));
    const QRectF box = QRectF(r).adjusted(1.5, 1.5, -1.5, -1.5);
    p.setPen(QPen(QColor(20, 20, 20), 1));
    p.setBrush(g);
    p.drawRoundedRect(box, 4, 4);
    // Bevel: light on the top left when up, on the bottom right when pressed.
    QColor hi = face.lighter(170), lo = face.darker(190);
    if (lit)
        std::swap(hi, lo);
    p.setPen(QPen(hi, 1.2));
    p.drawLine(box.topLeft() + QPointF(3, 1.5), box.topRight() + QPointF(-3, 1.5));
    p.drawLine(box.topLeft() + QPointF(1.5, 3), box.bottomLeft() + QPointF(1.5, -3));
    p.setPen(QPen(lo, 1.2));
    p.drawLine(box.bottomLeft() + QPointF(3, -1.5), box.bottomRight() + QPointF(-3, -1.5));
    p.drawLine(box.topRight() + QPointF(-1.5, 3), box.bottomRight() + QPointF(-1.5, -3));
    p.setPen(lit ? c.litText : c.buttonText);
    const QRect text = r.translated(lit ? 1 : 0, lit ? 1 : 0);
    const QString word = "ポイント";
    if (label.startsWith(word) && r.height() > 40) {
        // A tall point button: the word small, the number large.
        setFont(p, c, 9);
        p.drawText(text.adjusted(0, 8, 0, 0), Qt::AlignHCenter | Qt::AlignTop, word);
        setFont(p, c, 22);
        p.drawText(text.adjusted(0, 18, 0, 0), Qt::AlignCenter, label.mid(word.size()));
    } else {
        setFont(p, c, label.size() > 3 || r.width() < 40 ? 10 : 12);
        p.drawText(text, Qt::AlignCenter | Qt::TextWordWrap, label);
    }
    p.restore();
}

void drawLamp(QPainter& p, const QRect& r, const Palette& c, const QString& label, bool lit)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(c.bodyBottom);
    p.drawRect(r);
    const int d = std::min(r.width(), r.height() - 14) - 4;
    const QRectF lamp(r.center().x() - d / 2.0, r.top() + 2, d, d);
    QRadialGradient g(lamp.center() - QPointF(d / 5.0, d / 5.0), d / 1.6);
    g.setColorAt(0, lit ? c.lit.lighter(180) : QColor(90, 90, 90));
    g.setColorAt(1, lit ? c.lit : QColor(30, 30, 30));
    p.setPen(QPen(QColor(15, 15, 15), 1.5));
    p.setBrush(g);
    p.drawEllipse(lamp);
    setFont(p, c, 10);
    p.setPen(c.buttonText);
    p.drawText(QRect(r.left() - 6, r.bottom() - 13, r.width() + 12, 13), Qt::AlignCenter, label);
    p.restore();
}

void drawDial(QPainter& p, QPointF centre, double radius, double rest, double sweep,
              const Palette& c, const QString& caption)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(centre - QPointF(radius / 3, radius / 3), radius * 1.4);
    g.setColorAt(0, c.dialFace.lighter(140));
    g.setColorAt(1, c.dialFace.darker(130));
    p.setPen(QPen(QColor(15, 15, 15), 2));
    p.setBrush(g);
    p.drawEllipse(centre, radius, radius);
    p.setPen(QPen(c.dialMark, 1.5));
    const int ticks = 10;
    for (int i = 0; i <= ticks; ++i) {
        const double a = rest - sweep * i / ticks;
        const QPointF dir(std::cos(a), -std::sin(a));
        p.drawLine(centre + dir * (radius * 0.82), centre + dir * (radius * (i % 5 ? 0.92 : 0.98)));
    }
    setFont(p, c, 10);
    p.drawText(QRectF(centre.x() - radius, centre.y() - 8, 2 * radius, 16), Qt::AlignCenter,
               caption);
    p.restore();
}

QImage makeKnob(int side, const QColor& colour)
{
    QImage img(side, side, QImage::Format_RGB888);
    img.fill(Qt::black);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false); // a hard edge against the black key
    QRadialGradient g(QPointF(side * 0.35, side * 0.35), side * 0.7);
    g.setColorAt(0, colour.lighter(170));
    g.setColorAt(1, colour.darker(150));
    p.setPen(QPen(colour.darker(250), 1));
    p.setBrush(g);
    p.drawEllipse(QRectF(1, 1, side - 3, side - 3));
    return img;
}

QImage makeLeverHandle(QSize size, const QColor& colour)
{
    QImage img(size, QImage::Format_RGB888);
    img.fill(Qt::black);
    QPainter p(&img);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, colour.lighter(160));
    g.setColorAt(0.5, colour);
    g.setColorAt(1, colour.darker(170));
    p.setPen(QPen(colour.darker(250), 1));
    p.setBrush(g);
    p.drawRect(QRect(2, 2, size.width() - 5, size.height() - 5));
    p.setPen(QPen(colour.lighter(200), 1));
    p.drawLine(4, size.height() / 2, size.width() - 5, size.height() / 2);
    return img;
}

} // namespace mkskin
