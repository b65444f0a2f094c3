#pragma once
// The angle-correction step: the user drags a marker to where the layout's
// front shows in the camera image; the angle follows the marker, and OK
// takes it into the calibration. Runs on the user-interface thread.
#include "vardo/vision/calibration.h"

namespace vardo::vision {

enum class MouseKind { LeftDown, Move, LeftUp };

class AngleCorrection {
public:
    explicit AngleCorrection(Calibration& calibration) : calibration_(calibration) {}

    // Whether the command may open now.
    bool enabled(bool programRunning) const;
    // Opens the step (the caller shows the dialog and live display). The
    // marker starts below the image centre when it was never set.
    bool OpenAngleCorrection(bool programRunning);
    void AngleCorrectionMouse(MouseKind kind, Point p);
    void AngleCorrectionOk();
    void AngleCorrectionCancel();

    bool isOpen() const { return open_; }
    bool dragging() const { return dragging_; }
    Point marker() const { return marker_; }
    // The angle the outline shows now.
    float previewAngle() const { return preview_; }

private:
    float angleOf(Point p) const;

    Calibration& calibration_;
    bool open_ = false;
    bool dragging_ = false;
    Point marker_{-1, -1};
    Point openedMarker_{-1, -1}; // what Cancel puts back
    float preview_ = 0.0f;
};

} // namespace vardo::vision
