#pragma once
// Turns a layout description into the files of a layout data folder.
#include "layout_description.h"
#include "layoutdata/layout_files.h"

#include <optional>
#include <string>

namespace mklayout {

struct GeneratedLayout {
    layoutdata::PolylineFile track;
    layoutdata::PointFile points;
    layoutdata::ControlPointFile controls;
    layoutdata::SensorFile sensors;
    layoutdata::CrossingFile crossings;
    std::optional<layoutdata::TurntableSettings> turntable;
    layoutdata::PolylineFile masks;   // mask.dat, as exported
    layoutdata::PolylineFile excepts; // except.dat
};

// Vertices every `step` pixels along an outer ellipse, in increasing angle
// (clockwise on the picture), starting at angle 0, without closing vertex.
std::vector<layoutdata::Point> outerLoop(const Ellipse& e);

// The vertices of one siding beside the ellipse.
std::vector<layoutdata::Point> sidingVertices(const Ellipse& e, const SidingSpec& s);

// False with a reason when the description gives files that Vardo could not
// use as meant (too many points, a siding whose links would come from another
// siding's point record, ...).
bool buildLayout(const Description& d, GeneratedLayout& out, std::string& error);

// Writes the files into the folder (created when missing). Files of empty
// categories are removed, so the folder holds exactly the description.
bool writeLayout(const GeneratedLayout& layout, const std::string& folder, std::string& error);

} // namespace mklayout
