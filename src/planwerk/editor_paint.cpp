// What the view shows: the picture, then the traced rows on it.
#include "planwerk/layout_editor.h"
#include "planwerk/marker_drawing.h"
#include "planwerk/rail_drawing.h"
#include "planwerk/rail_geometry.h"

#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace planwerk {

// The train picture over the normal view: upright in the middle, or along
// the first siding from its last vertex back to its first.
void LayoutEditor::paintTrainPreview(QPainter& painter) const
{
    if (trainPicture_.isNull())
        return;
    const VertexRow& sidings = rows_[1];
    painter.save();
    if (sidings.count() < 2) {
        painter.translate(pictureWidth_ / 2.0, pictureHeight_ / 2.0);
    } else {
        Range group = groupFrom(sidings, 0);
        Point first = position(sidings[0]);
        Point last = position(sidings[std::clamp(group.last, 0, sidings.count() - 1)]);
        painter.translate((first.x + last.x) / 2.0, (first.y + last.y) / 2.0);
        double angle = std::atan2(double(first.y - last.y), double(first.x - last.x));
        painter.rotate(angle * 180.0 / 3.14159265358979);
    }
    int w = trainPicture_.width(), h = trainPicture_.height();
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
    paintTrainPreview(painter);
}

} // namespace planwerk
