#pragma once
// What detection and the calibration run need from the rest of Vardo,
// split by role: the view's state, the control side, the outside-program
// interface, the turntable and the parameter dialog.
#include "vardo/base/controller_codes.h"

namespace vardo::vision {

// Display modes of the view, as detection needs to know them.
enum class DisplayMode { Live = 0, Difference = 1, Layout = 2, ProgramEditor = 3 };
enum class DisplaySubMode { Centroid = 0, Vector = 1, Polygon = 2, TrainFigure = 3 };

// What the frame callback checks first.
class FrameGate {
public:
    virtual ~FrameGate() = default;
    virtual bool videoRunning() const = 0;
    virtual bool simulationMode() const = 0;
    virtual DisplayMode displayMode() const = 0;
    virtual DisplaySubMode displaySubMode() const = 0;
};

// The controller and the running program, as detection and the
// calibration run drive them.
class ControlSide {
public:
    virtual ~ControlSide() = default;
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
};

// The outside-program interface while it is open.
class PositionOutput {
public:
    virtual ~PositionOutput() = default;
    virtual bool windowAttached() const = 0;
    virtual bool boundingBoxMode() const = 0;
    // The records hold each value as 16 bits.
    virtual void publishPosition(int x, int y, int laps, int remainder) = 0;
    virtual void publishBoundingBox(int minX, int minY, int maxX, int maxY) = 0;
};

// The extended interface's turntable settings and the panel's latch and
// track buttons.
class TurntableSide {
public:
    virtual ~TurntableSide() = default;
    virtual int autoStopSetting() const = 0;  // AUTO_STOP: 0, 1 or 2
    virtual int turnServoSetting() const = 0; // TURN_SERVO setting byte
    virtual int autoStopLatch() const = 0;
    virtual void setAutoStopLatch(int latch) = 0;
    virtual bool turntableTrackSelected(int button) const = 0; // 1..5
};

// The parameter dialog's pass-point check.
class PassPointDisplay {
public:
    virtual ~PassPointDisplay() = default;
    virtual bool dialogOpen() const = 0;
    virtual void showPassPointCount(int count) = 0;
};

// Everything detection needs of the rest, by role. Every call may come
// from the streaming thread. A null role is absent: no outside program
// listens, no turntable stops the train, no dialog counts pass points.
struct DetectionHost {
    FrameGate& frames;
    ControlSide& control;
    PositionOutput* positions = nullptr;
    TurntableSide* turntable = nullptr;
    PassPointDisplay* passPoints = nullptr;
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
