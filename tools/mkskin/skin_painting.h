#pragma once
// Drawing pieces of the controller skins: bevelled bodies, push buttons,
// lamps, dials and knobs, all with QPainter on 24-bit pictures.
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

namespace mkskin {

// See-through on screen; used nowhere else in a skin.
inline const QColor kKey(0, 0, 255);

struct Palette {
    QColor bodyTop, bodyBottom, rim;
    QColor button, buttonText;
    QColor lit, litText;
    QColor dialFace, dialMark;
    QColor knob;
    QString font;
};

// A rounded body with a light top edge and a dark bottom edge.
void drawBody(QPainter& p, const QRect& r, const Palette& c, int radius);
// A recessed panel (for groups of buttons).
void drawWell(QPainter& p, const QRect& r, const Palette& c, const QString& caption);
// A push button, up or pressed/lit, with its label.
void drawButton(QPainter& p, const QRect& r, const Palette& c, const QString& label, bool lit);
// A round lamp with a label under it.
void drawLamp(QPainter& p, const QRect& r, const Palette& c, const QString& label, bool lit);
// A dial face with a scale from the rest angle clockwise over sweep
// (radians, y upwards).
void drawDial(QPainter& p, QPointF centre, double radius, double rest, double sweep,
              const Palette& c, const QString& caption);
// A knob on black (black is left out when the panel draws it).
QImage makeKnob(int side, const QColor& colour);
// A lever handle on black.
QImage makeLeverHandle(QSize size, const QColor& colour);

void setFont(QPainter& p, const Palette& c, int pixelSize, bool bold = true);

} // namespace mkskin
