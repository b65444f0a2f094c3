#include "vardo/layout/layout_folder.h"

#include "common/bmp.h"
#include "common/paths.h"
#include "common/string_table.h"

namespace vardo {

using layoutdata::ReadStatus;
namespace msg = common::msg;

namespace {

// A file that is there but cannot be taken: wrong tag, wrong version or
// inconsistent contents. All of them are reported as a wrong file.
bool refused(ReadStatus status)
{
    return status != ReadStatus::Ok && status != ReadStatus::CannotOpen;
}

layoutdata::Point defaultPointPlace(const layoutdata::PolylineFile& track)
{
    const auto& counts = track.vertexCounts;
    if (counts.size() > 1 && counts[1] > 0 && size_t(counts[0]) < track.vertices.size())
        return track.vertices[size_t(counts[0])];
    if (!track.vertices.empty())
        return track.vertices.front();
    return {};
}

} // namespace

bool readLayoutTrack(const std::string& folder, Frontend& frontend, layoutdata::PolylineFile& out)
{
    ReadStatus status = layoutdata::readPolylineFile(common::joinPath(folder, "layout.dat"), out);
    if (status == ReadStatus::Ok)
        return true;
    if (refused(status))
        frontend.showMessage(msg::NotPolygonData);
    frontend.showMessage(msg::LayoutReadFailed);
    return false;
}

void readPointsOrDefault(const std::string& folder, Frontend& frontend,
                         const layoutdata::PolylineFile& track, layoutdata::PointFile& out)
{
    ReadStatus status = layoutdata::readPointFile(common::joinPath(folder, "point.dat"), out);
    if (status == ReadStatus::Ok)
        return;
    if (refused(status))
        frontend.showMessage(msg::NotPointData);
    out = layoutdata::PointFile{};
    out.count = 1;
    auto& point = out.records[0];
    point.direction = 2;
    point.number = 1;
    auto place = defaultPointPlace(track);
    point.x = place.x;
    point.y = place.y;
}

void readRegions(const std::string& path, Frontend& frontend, layoutdata::PolylineFile& out)
{
    ReadStatus status = layoutdata::readPolylineFile(path, out);
    if (status == ReadStatus::Ok)
        return;
    if (refused(status))
        frontend.showMessage(msg::NotPolygonData);
    out = layoutdata::PolylineFile{};
}

void readControlPoints(const std::string& folder, Frontend& frontend,
                       layoutdata::ControlPointFile& out)
{
    ReadStatus status =
        layoutdata::readControlPointFile(common::joinPath(folder, "control.dat"), out);
    if (status == ReadStatus::Ok)
        return;
    if (status == ReadStatus::WrongVersion)
        frontend.showMessage(msg::ControlVersionUnsupported);
    else if (refused(status))
        frontend.showMessage(msg::NotControlData);
    out = layoutdata::ControlPointFile{};
}

void readSensors(const std::string& folder, Frontend& frontend, layoutdata::SensorFile& out)
{
    ReadStatus status = layoutdata::readSensorFile(common::joinPath(folder, "sensor.dat"), out);
    if (status == ReadStatus::Ok)
        return;
    if (refused(status))
        frontend.showMessage(msg::NotSensorData);
    out = layoutdata::SensorFile{};
}

void readCrossings(const std::string& folder, Frontend& frontend, layoutdata::CrossingFile& out)
{
    ReadStatus status = layoutdata::readCrossingFile(common::joinPath(folder, "cross.dat"), out);
    if (status == ReadStatus::Ok)
        return;
    if (refused(status))
        frontend.showMessage(msg::NotCrossingData);
    out = layoutdata::CrossingFile{};
}

bool loadLayoutFolder(const std::string& folder, Frontend& frontend, LayoutFolder& out)
{
    out = LayoutFolder{};
    out.trackRead = readLayoutTrack(folder, frontend, out.track);
    if (!out.trackRead)
        return false;

    common::Bitmap picture;
    out.pictureRead = common::readBitmap(common::joinPath(folder, "layout.bmp"), picture) &&
                      picture.width == layoutdata::kPictureWidth &&
                      picture.height == layoutdata::kPictureHeight;
    out.turntable = layoutdata::readTurntableSettings(common::joinPath(folder, "turntable.ini"));
    readPointsOrDefault(folder, frontend, out.track, out.points);
    readRegions(common::joinPath(folder, "mask.dat"), frontend, out.masks);
    readRegions(common::joinPath(folder, "except.dat"), frontend, out.exceptions);
    readControlPoints(folder, frontend, out.controlPoints);
    readSensors(folder, frontend, out.sensors);
    readCrossings(folder, frontend, out.crossings);
    return true;
}

} // namespace vardo
