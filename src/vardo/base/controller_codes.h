#pragma once
// The codes every source of control shares: the controller actions that
// drive the train, the points and the turntable power, and the bits of the
// controller state as the panel draws them.
namespace vardo {

enum ControllerAction : int {
    ActionStop = 0,
    ActionForward = 1,  // clockwise
    ActionBackward = 2, // anticlockwise
    ActionPoint1Straight = 3,
    ActionPoint1Branch = 4,
    ActionPoint2Straight = 5,
    ActionPoint2Branch = 6,
    ActionPoint3Straight = 7,
    ActionPoint3Branch = 8,
    ActionPoint4Straight = 9, // turntable power off on a turntable layout
    ActionPoint4Branch = 10,  // turntable power on
    ActionLampOff = 11,
    ActionLampOn = 12,
};
inline constexpr int kLastAction = 12;
// Points that have an action code of their own.
inline constexpr int kActionPoints = 4;

namespace state {
enum : int {
    Running = 2,
    Backward = 4,
    Point1 = 8,
    Point2 = 16,
    Point3 = 32,
    Point4 = 64,
    AutoLamp = 128,
};
}

} // namespace vardo
