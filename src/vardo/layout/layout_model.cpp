#include "vardo/layout/layout_model.h"

#include <algorithm>

namespace vardo::layout {

void LayoutModel::setTrack(const layoutdata::PolylineFile& file)
{
    track_.assign(file);
    headerHome_ = file.home();
    positions_.home = headerHome_;
}

void LayoutModel::setPoints(const layoutdata::PointFile& file)
{
    int count = std::clamp(file.count, 0, kMaxPoints);
    points_ = {};
    for (int k = 0; k < count; ++k)
        points_[size_t(k)].record = file.records[size_t(k)];
    pointCount_ = count;
    pointRecords_ = count;
}

bool LayoutModel::addPoint(int x, int y)
{
    if (pointRecords_ >= kMaxPoints)
        return false;
    TrackPoint p;
    p.record.x = x;
    p.record.y = y;
    points_[size_t(pointRecords_++)] = p;
    pointCount_ = std::max(pointCount_, pointRecords_);
    return true;
}

void LayoutModel::findJunctions()
{
    for (int k = 0; k < pointRecords_; ++k)
        points_[size_t(k)].junction = TrackLinks::findJunction(track_, points_[size_t(k)]);
}

void LayoutModel::buildLinks()
{
    links_.build(track_, points_, pointRecords_, turntable.present);
    branch_ = {};
}

bool LayoutModel::setPointLinks(int k, bool branch)
{
    if (k < 0 || k >= pointCount_ || k >= kMaxPoints)
        return false;
    branch_[size_t(k)] = branch;
    // Points raised by crossings have no record, and direction 0 switches nothing.
    if (k < pointRecords_)
        links_.setPoint(points_[size_t(k)], branch);
    return true;
}

void LayoutModel::setTurntable(const layoutdata::TurntableSettings& settings)
{
    turntable = {};
    if (!settings.present())
        return;
    turntable.present = true;
    turntable.radius = settings.size;
    turntable.range = settings.range;
    turntable.centre = settings.position;
    turntable.lineAngles = settings.lineAngles;
    if (turntable.lineAngles.size() > 5)
        turntable.lineAngles.resize(5);
}

void LayoutModel::takeApproachPositions()
{
    if (!turntable.present)
        return;
    pointCount_ = 3;
    auto before = [&](int polyline, int count) {
        if (polyline >= track_.polylineCount())
            return -1;
        int i = track_.polylineStart(polyline) - count;
        return i >= 0 ? i : -1;
    };
    turntable.approachForward = before(3, 140);
    turntable.approachBackward = before(4, 110);
}

void LayoutModel::setCrossings(const layoutdata::CrossingFile& file)
{
    crossingCount_ = int(std::min<size_t>(file.records.size(), kMaxCrossings));
    for (int i = 0; i < crossingCount_; ++i) {
        crossings_[size_t(i)].record = file.records[size_t(i)];
        crossings_[size_t(i)].lightState = 0;
    }
}

void LayoutModel::raisePointCountForCrossings()
{
    for (int i = 0; i < crossingCount_; ++i) {
        int drive = crossings_[size_t(i)].record.drive;
        // Relay drives (7..10) and nonsense numbers name no point.
        if (drive >= 1 && drive <= kMaxPointDrive && drive > pointCount_)
            pointCount_ = drive;
    }
}

bool LayoutModel::crossingDrivenBy(int drive) const
{
    for (int i = 0; i < crossingCount_; ++i)
        if (crossings_[size_t(i)].record.drive == drive)
            return true;
    return false;
}

} // namespace vardo::layout
