#pragma once
// Reading the files of the layout data folder with the messages and
// fallbacks Vardo gives each one. The layout model calls these one by one in
// its loading order; check-layout calls loadLayoutFolder for all of them.
#include "layoutdata/layout_files.h"
#include "vardo/base/frontend.h"

#include <string>

namespace vardo {

// layout.dat. False when it cannot be read: the wrong-tag message (when the
// tag is wrong) and "レイアウトファイルの読み込みに失敗しました。" are shown.
bool readLayoutTrack(const std::string& folder, Frontend& frontend, layoutdata::PolylineFile& out);

// point.dat. When missing or wrong (a wrong file is also reported), the
// single default point: direction 2, number 1, not linked, at the first
// vertex of polyline 1 (of polyline 0 when there is no siding).
void readPointsOrDefault(const std::string& folder, Frontend& frontend,
                         const layoutdata::PolylineFile& track, layoutdata::PointFile& out);

// mask.dat / except.dat: empty when missing; a wrong file is reported and
// taken as missing.
void readRegions(const std::string& path, Frontend& frontend, layoutdata::PolylineFile& out);

// control.dat, sensor.dat, cross.dat: empty when missing or refused, with
// the message each wrong file gives.
void readControlPoints(const std::string& folder, Frontend& frontend,
                       layoutdata::ControlPointFile& out);
void readSensors(const std::string& folder, Frontend& frontend, layoutdata::SensorFile& out);
void readCrossings(const std::string& folder, Frontend& frontend, layoutdata::CrossingFile& out);

// Everything of the folder, read in the loader's order.
struct LayoutFolder {
    bool trackRead = false;
    layoutdata::PolylineFile track;
    bool pictureRead = false; // layout.bmp present and 640 x 480
    layoutdata::TurntableSettings turntable;
    layoutdata::PointFile points;
    layoutdata::PolylineFile masks;
    layoutdata::PolylineFile exceptions;
    layoutdata::ControlPointFile controlPoints;
    layoutdata::SensorFile sensors;
    layoutdata::CrossingFile crossings;
};

// False when layout.dat cannot be read; the other files are then not read.
bool loadLayoutFolder(const std::string& folder, Frontend& frontend, LayoutFolder& out);

} // namespace vardo
