#include "vardo/layout/point_symbol.h"

#include <QPainter>

namespace vardo::layout {

namespace {

const QColor kKey(255, 0, 255);
const QColor kRing(40, 40, 40);
const QColor kFace(255, 255, 255);
const QColor kStraight(0, 120, 255);
const QColor kBranch(230, 40, 20);

void drawHalf(QPainter& painter, int left, bool branch)
{
    painter.setPen(QPen(kRing, 2));
    painter.setBrush(kFace);
    painter.drawEllipse(QRect(left + 5, 5, 22, 22));
    QPointF from(left + 9, 16);
    QPointF to = branch ? QPointF(left + 22, 9) : QPointF(left + 23, 16);
    painter.setPen(QPen(branch ? kBranch : kStraight, 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(from, to);
}

} // namespace

QImage makePointSymbolBitmap()
{
    QImage symbol(2 * kSymbolSide, kSymbolSide, QImage::Format_RGB888);
    symbol.fill(kKey);
    QPainter painter(&symbol);
    drawHalf(painter, 0, false);
    drawHalf(painter, kSymbolSide, true);
    return symbol;
}

QImage composePointSymbol(const QImage& symbol, const QImage& layout, Point centre)
{
    QImage out = symbol.convertToFormat(QImage::Format_RGB888);
    const QRgb key = out.pixel(0, 0);
    const int half = kSymbolSide / 2;
    for (int y = 0; y < out.height(); ++y) {
        for (int x = 0; x < out.width(); ++x) {
            if (out.pixel(x, y) != key)
                continue;
            int lx = centre.x - half + x % kSymbolSide;
            int ly = centre.y - half + y;
            if (layout.valid(lx, ly))
                out.setPixel(x, y, layout.pixel(lx, ly));
        }
    }
    return out;
}

void drawPointSymbol(LayoutPictures& pictures, const QImage& composed, Point centre, bool branch)
{
    std::lock_guard lock(pictures.mutex());
    const int half = kSymbolSide / 2;
    QRect target(centre.x - half, centre.y - half, kSymbolSide, kSymbolSide);
    {
        QPainter painter(&pictures.layout());
        painter.drawImage(target.topLeft(), composed,
                          QRect(branch ? kSymbolSide : 0, 0, kSymbolSide, kSymbolSide));
    }
    pictures.copyToDisplay(target);
}

} // namespace vardo::layout
