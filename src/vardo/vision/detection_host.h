#pragma once
// What detection and the calibration run need from the control side: the
// controller state, whether a program runs, the stop paths, the outside-
// program interface, the extended interface's turntable settings and the
// panel's turntable latch and buttons. The control object implements it;
// every call may come from the streaming thread or the calibration thread.
#include "vardo/base/controller_codes.h"

namespace vardo::vision {

// Display modes of the view, as detection needs to know them.
enum class DisplayMode { Live = 0, Difference = 1, Layout = 2, ProgramEditor = 3 };
enum class DisplaySubMode { Centroid = 0, Vector = 1, Polygon = 2, TrainFigure = 3 };

class DetectionHost {
public:
    virtual ~DetectionHost() = default;

    // ---- what the frame callback checks first
    virtual bool videoRunning() const = 0;
    virtual bool simulationMode() const = 0;
    virtual DisplayMode displayMode() const = 0;
    virtual DisplaySubMode displaySubMode() const = 0;

    // ---- control
    virtual int controllerState() const = 0;
    virtual bool programRunning() const = 0;
    // Ends automatic operation: sounds stopped, both control-loop events set.
    virtual void stopOperation() = 0;
    // Performs a controller action and sends it to the layout.
    virtual void performAction(int action) = 0;
    // Train speed control: whether it is on, and setting the speed (0..1).
    virtual bool speedControlEnabled() const = 0;
    virtual void setSpeed(double fraction) = 0;
    // Whether the extended interface drives a point entry in mode 1 (then
    // the calibration run leaves point 1 alone).
    virtual bool extendedPointMode1() const = 0;

    // ---- outside-program interface
    virtual bool sdkActive() const = 0;
    virtual bool sdkWindowAttached() const = 0;
    virtual bool sdkBoundingBoxMode() const = 0;
    // The records hold each value as 16 bits.
    virtual void publishPosition(int x, int y, int laps, int remainder) = 0;
    virtual void publishBoundingBox(int minX, int minY, int maxX, int maxY) = 0;

    // ---- turntable (extended interface settings and panel state)
    virtual int autoStopSetting() const = 0;   // AUTO_STOP: 0, 1 or 2
    virtual int turnServoSetting() const = 0;  // TURN_SERVO setting byte
    virtual int autoStopLatch() const = 0;
    virtual void setAutoStopLatch(int latch) = 0;
    virtual bool turntableTrackSelected(int button) const = 0; // 1..5

    // ---- parameter dialog pass-point check
    virtual bool parameterDialogOpen() const = 0;
    virtual void showPassPointCount(int count) = 0;
};

// Calibration progress, shown by a dialog with a bar and an abort button.
// Called from the calibration thread.
class CalibrationProgress {
public:
    virtual ~CalibrationProgress() = default;
    virtual void open() = 0;
    virtual void setRange(int maximum) = 0;
    virtual void setPosition(int position) = 0;
    virtual void close() = 0;
};

} // namespace vardo::vision
