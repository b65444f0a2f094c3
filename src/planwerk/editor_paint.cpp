// What the view shows: the picture, then the traced rows on it.
#include "planwerk/layout_editor.h"
#include "planwerk/marker_drawing.h"
#include "planwerk/rail_drawing.h"

#include <QPainter>

namespace planwerk {

void LayoutEditor::paint(QPainter& painter) const
{
    if (waiting_.waiting()) {
        // A freshly opened picture, shown at its display scale for trimming.
        const DisplayScale& d = waiting_.display();
        painter.drawImage(QRect(0, 0, d.width, d.height), sourcePicture_);
        return;
    }
    if (mode_ == EditMode::TrainPicture && !trainEditPicture_.isNull()) {
        painter.drawImage(0, 0, trainEditPicture_);
        drawTrainRectangle(painter, trainRect_, selection_, settings_);
        return;
    }
    const QImage& picture = sourcePicture_.isNull() ? layoutPicture_ : sourcePicture_;
    if (!picture.isNull())
        painter.drawImage(0, 0, picture);
    for (int i = 0; i < 2; ++i) {
        bool current = railMode() && currentRow_ == i;
        drawRow(painter, rows_[size_t(i)], i == 1, current ? selection_ : -1, settings_);
    }
    auto selectionIn = [this](EditMode mode) { return mode_ == mode ? selection_ : -1; };
    drawRegions(painter, masks_, selectionIn(EditMode::Mask), settings_);
    if (exceptions_.present())
        drawRegions(painter, exceptions_, selectionIn(EditMode::Exception), settings_);
    if (controls_.present())
        drawControlPoints(painter, controls_, selectionIn(EditMode::ControlPoints), settings_);
    if (crossings_.present())
        drawCrossings(painter, crossings_, selectionIn(EditMode::Crossings), settings_);
    if (sensors_.present())
        drawSensors(painter, sensors_, selectionIn(EditMode::Sensors), settings_);
}

} // namespace planwerk
