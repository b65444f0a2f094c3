#pragma once
// Point symbols: a 64 x 32 picture, the straight symbol in the left half and
// the branch symbol in the right half, on a key colour that is replaced by
// the layout underneath once at load, so that switching a point later is a
// single 32 x 32 copy.
#include "vardo/layout/layout_pictures.h"

#include <QImage>

namespace vardo::layout {

constexpr int kSymbolSide = 32;

// The symbol bitmap; its top-left pixel has the key colour.
QImage makePointSymbolBitmap();

// The symbol with every key-coloured pixel replaced by the layout picture
// pixel under it, the symbol centred on the point.
QImage composePointSymbol(const QImage& symbol, const QImage& layout, Point centre);

// Copies the straight or branch half onto the layout picture centred on the
// point, and that square on to the display picture. Holds the mutex.
void drawPointSymbol(LayoutPictures& pictures, const QImage& composed, Point centre, bool branch);

} // namespace vardo::layout
