// What the view shows: the picture, then the traced rows on it.
#include "planwerk/layout_editor.h"
#include "planwerk/marker_drawing.h"
#include "planwerk/picture/picture_overlays.h"
#include "planwerk/rail_drawing.h"
#include "planwerk/rail_geometry.h"

#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <optional>

namespace planwerk {

// The train picture over the normal view: upright in the middle, or along
// the first siding from its last vertex back to its first.
void LayoutEditor::paintTrainPreview(QPainter& painter) const
{
    if (trainPicture_.isNull())
        return;
    const VertexRow& sidings = rows_[1];
    std::optional<PicturePoint> first, last;
    if (sidings.count() >= 2) {
        Range group = groupFrom(sidings, 0);
        Point a = position(sidings[0]);
        Point b = position(sidings[std::clamp(group.last, 0, sidings.count() - 1)]);
        first = PicturePoint{a.x, a.y};
        last = PicturePoint{b.x, b.y};
    }
    const PreviewPlacement place = previewPlacement(first, last);
    painter.save();
    painter.translate(place.centreX, place.centreY);
    painter.rotate(place.degrees);
    int w = trainPicture_.width(), h = trainPicture_.height();
    // Clipped to its own rectangle, so the layout around it stays visible.
    painter.setClipRect(QRect(-w / 2, -h / 2, w, h));
    painter.drawImage(QPoint(-w / 2, -h / 2), trainPicture_);
    painter.restore();
}

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
    // The composite stands alone until the next Open or Resize.
    if (!sourcePicture_.isNull()) {
        painter.drawImage(0, 0, sourcePicture_);
        return;
    }
    const QImage& picture = collagePicture_.isNull() ? layoutPicture_ : collagePicture_;
    if (!picture.isNull())
        painter.drawImage(0, 0, picture);
    paintTrainPreview(painter);
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
