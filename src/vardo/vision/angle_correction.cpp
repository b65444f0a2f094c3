#include "vardo/vision/angle_correction.h"

namespace vardo::vision {

bool AngleCorrection::enabled(bool programRunning) const
{
    return calibration_.calibrated() && !open_ && !programRunning;
}

bool AngleCorrection::OpenAngleCorrection(bool programRunning)
{
    if (!enabled(programRunning))
        return false;
    CalibrationRecord r = calibration_.record();
    if (!r.markerSet()) {
        r.markerX = calibration_.currentWidth() / 2;
        r.markerY = calibration_.currentHeight();
        calibration_.setMarker(r.markerX, r.markerY);
    }
    marker_ = {r.markerX, r.markerY};
    openedMarker_ = marker_;
    preview_ = r.angle;
    open_ = true;
    dragging_ = false;
    return true;
}

float AngleCorrection::angleOf(Point p) const
{
    return markerAngle(p.x, p.y, calibration_.currentWidth(), calibration_.currentHeight());
}

void AngleCorrection::AngleCorrectionMouse(MouseKind kind, Point p)
{
    if (!open_)
        return;
    switch (kind) {
    case MouseKind::LeftDown:
        dragging_ = true;
        [[fallthrough]];
    case MouseKind::Move:
        if (!dragging_)
            return;
        marker_ = p;
        preview_ = angleOf(p);
        calibration_.previewAngle(preview_);
        break;
    case MouseKind::LeftUp:
        // The outline stays as of the last move.
        marker_ = p;
        dragging_ = false;
        break;
    }
}

void AngleCorrection::AngleCorrectionOk()
{
    if (!open_)
        return;
    calibration_.setMarker(marker_.x, marker_.y);
    calibration_.setAngle(angleOf(marker_));
    open_ = false;
    dragging_ = false;
}

void AngleCorrection::AngleCorrectionCancel()
{
    if (!open_)
        return;
    // The outline goes back to the angle kept, and the marker to where it
    // was: the window shows the dragged marker through the calibration, and
    // a later save must not store it.
    calibration_.previewAngle(calibration_.record().angle);
    calibration_.setMarker(openedMarker_.x, openedMarker_.y);
    marker_ = openedMarker_;
    open_ = false;
    dragging_ = false;
}

} // namespace vardo::vision
