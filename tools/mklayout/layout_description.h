#pragma once
// The text description of a layout that mklayout turns into a layout data
// folder. One item per line, '#' starts a comment:
//
//   outer ellipse CX CY RX RY STEP      the outer loop, a vertex every STEP px
//   home X Y                            platform, snapped to the outer loop
//   siding DIR FROM TO OFFSET END [linked]
//       a siding beside the outer loop from ellipse angle FROM to TO
//       (degrees, clockwise from the right), OFFSET px outside the loop
//       (negative: inside). DIR 1 runs with the loop's vertex order (FROM <
//       TO), DIR 2 against it (FROM > TO). END is "dead" (buffer stop) or
//       "rejoin" (it meets the loop again at a terminal point).
//   crossing CX CY DRIVE                the editor's default crossing moved to CX,CY
//   sensor X Y SENSITIVITY
//   control X Y DIRECTION ACTION POINT OPTION RELAY SOUND SOUND_NUMBER
//   spur DIR FROM X Y                   a straight siding from the loop vertex at
//                                       ellipse angle FROM to X,Y (dead end)
//   radial X1 Y1 X2 Y2                  a track of its own (a turntable track), not
//                                       joined to the loop by a point
//   turntable CX CY R RANGE A1 [.. A5]  turntable.ini: centre, radius, range, track angles
//   mask X1 Y1 .. X4 Y4 [WIDTH]         a mask region (four corners, or a band of
//   except X1 Y1 .. X4 Y4 [WIDTH]       WIDTH along corner 1 -> 2); except: a region
//                                       that detection leaves out
#include "layoutdata/layout_files.h"

#include <optional>
#include <string>
#include <vector>

namespace mklayout {

struct Ellipse {
    int cx = 0, cy = 0, rx = 0, ry = 0, step = 0;
};

struct SidingSpec {
    enum class Shape { Beside, Spur, Radial } shape = Shape::Beside;
    int direction = 1;
    layoutdata::Point start; // radial
    layoutdata::Point end;   // spur, radial
    double from = 0, to = 0; // ellipse angles in degrees
    int offset = 0;
    bool rejoin = false;
    bool linked = false;
    int line = 0; // where it was described, for error messages
};

struct CrossingSpec {
    layoutdata::Point centre;
    int drive = 1;
};

struct Description {
    std::optional<Ellipse> outer;
    std::optional<layoutdata::Point> home;
    std::vector<SidingSpec> sidings;
    std::vector<CrossingSpec> crossings;
    std::vector<layoutdata::SensorRecord> sensors;
    std::vector<layoutdata::ControlPointRecord> controls;
    std::optional<layoutdata::TurntableSettings> turntable;
    layoutdata::MaskFile masks;
    layoutdata::MaskFile excepts;
};

// False with "line N: ..." in error when a line cannot be understood or a
// value is out of its range.
bool parseDescription(const std::string& text, Description& out, std::string& error);

} // namespace mklayout
