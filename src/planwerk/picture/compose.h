#pragma once
// The exported layout picture: the photograph along the traced rails, the
// collage everywhere else and inside the mask regions.
#include "common/bmp.h"

#include <QImage>
#include <QPolygon>

#include <functional>
#include <vector>

class QPainter;

namespace planwerk {

// Draws both rows of traced rails with the painter's pen, which is set to
// white of the rail width with round caps and joins.
using DrawRails = std::function<void(QPainter&)>;

// A 640 x 480 8-bit mask: 255 where the photograph shows, 0 elsewhere.
// Every mask quadrilateral is filled black after the rails.
QImage makeComposeMask(int railWidth, const DrawRails& drawRails,
                       const std::vector<QPolygon>& maskQuads);

// Rails given as polylines in picture pixels (each a row of straight lines).
DrawRails railPolylines(std::vector<QPolygon> rows);

// (layout AND mask) OR (collage AND NOT mask) per pixel. The three must be
// 640 x 480; an empty picture is returned otherwise.
common::Bitmap composePicture(const common::Bitmap& layout, const common::Bitmap& collage,
                              const QImage& mask);

} // namespace planwerk
