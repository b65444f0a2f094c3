#pragma once
// Drawing a placed train figure: the graphic outline or a turned photograph.
#include "layoutdata/train_figure_file.h"
#include "vardo/layout/figure_placement.h"

#include <QImage>

class QPainter;

namespace vardo::layout {

// The first polygon filled with the car's colour, the others as lines.
void drawGraphicFigure(QPainter& painter, const layoutdata::TrainFigureOutline& outline,
                       const FigurePlacement& placement, const QColor& fill);

// The photograph turned into the work picture and copied through the
// turned rectangle, so that only the car covers the picture.
void drawPhotoFigure(QPainter& painter, const QImage& photo, const FigurePlacement& placement,
                     QImage& work);

} // namespace vardo::layout
