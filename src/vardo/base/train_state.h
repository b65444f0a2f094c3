#pragma once
// Where the train is: written by detection or the simulation (one writer
// thread at a time), read by the control loop, control points, calibration,
// the panel and the outside-program interface. Every value is atomic; a
// reader may see a position one frame old, never a torn one.
#include "common/event.h"

#include <atomic>

namespace vardo {

constexpr int kUnknownPosition = -999;

class TrainState {
public:
    static constexpr int kMaxTrains = 3;

    struct Position {
        int x = kUnknownPosition;
        int y = kUnknownPosition;
    };

    // x and y are stored together so that a reader never sees the x of one
    // frame with the y of another.
    void setPosition(int train, int x, int y);
    Position position(int train) const;
    void setAllUnknown();

    std::atomic<int> current{0};   // index of the controlled train
    std::atomic<int> nearest{-1};  // track position of the controlled train

    // Lap angle about the picture centre: current, previous and the running
    // sum in the running direction (laps = accumulated / 360).
    std::atomic<int> angle{0};
    std::atomic<int> previousAngle{0};
    std::atomic<int> accumulatedAngle{0};

    // Records a new layout position of the controlled train in the lap
    // angle. `backward` is the controller's running direction bit.
    void updateLapAngle(int x, int y, bool backward);

    // Set after every new position while a program runs or a calibration
    // is in progress, and by stopping.
    common::Event positionEvent;
    // Set after every new position while control points are loaded.
    common::Event controlPointEvent;

private:
    static int64_t pack(int x, int y);
    std::atomic<int64_t> positions_[kMaxTrains] = {pack(kUnknownPosition, kUnknownPosition),
                                                   pack(kUnknownPosition, kUnknownPosition),
                                                   pack(kUnknownPosition, kUnknownPosition)};
};

// The angle of a layout point about (320, 240) as the lap counter measures
// it: 0..359, with the program's own factor for 180/pi.
int lapAngleOf(int x, int y);

} // namespace vardo
