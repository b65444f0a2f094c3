#pragma once
// Where the editor draws the helpers laid over pictures: the traced rails
// inside a collage's trim rectangle, and the train picture preview.
#include "common/bmp.h"
#include "planwerk/picture/picture_geometry.h"
#include "planwerk/picture/trim_rectangle.h"

#include <QImage>
#include <QTransform>

#include <optional>

namespace planwerk {

// While a collage is trimmed with a rectangle wider than 100 shown pixels,
// the rails (in 640 x 480 layout pixels) are drawn inverted into it so that
// the collage can be aligned with the layout: the mapping of layout pixels
// into the shown rectangle. Nothing otherwise.
std::optional<QTransform> railOverlayTransform(const TrimRectangle& trim, SourceKind kind);
// The same for a rectangle as shown (one drawn earlier, to be erased).
std::optional<QTransform> railOverlayTransform(const PictureRect& shown, SourceKind kind);

// The preview of the train picture: its centre and its turn in degrees
// (clockwise on screen, as QPainter::rotate takes it).
struct PreviewPlacement {
    double centreX = 0;
    double centreY = 0;
    double degrees = 0;
};

// Without a siding (`sidingStart` empty) the picture stands upright in the
// middle of the layout picture; otherwise it lies midway between the first
// vertex of the first siding and the last vertex of that siding, turned to
// the direction from that last vertex to the first.
PreviewPlacement previewPlacement(std::optional<PicturePoint> sidingStart,
                                  std::optional<PicturePoint> sidingEnd);

// The picture as a QImage for drawing (a copy, rows top-down).
QImage toQImage(const common::Bitmap& picture);
// A QImage as a 24-bit picture (any format is converted).
common::Bitmap fromQImage(const QImage& image);

} // namespace planwerk
