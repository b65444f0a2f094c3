// Home, front and back positions of the layout model.
#include "vardo/base/settings.h"
#include "vardo/layout/layout_model.h"

namespace vardo::layout {

namespace {

Point positionOr(const Track& track, int i, Point fallback)
{
    return i >= 0 ? track.position(i) : fallback;
}

} // namespace

void LayoutModel::computeHomePositions(const std::string& vardoIni, const std::string& optionIni)
{
    const Settings settings(vardoIni, optionIni);
    Positions p;
    p.homeOffset = settings.getInt(SettingId::EventHomeOffset);
    p.positionRange = settings.getInt(SettingId::EventPositionRange);
    p.home = headerHome_;
    if (track_.positionCount() > 0 && headerHome_.x == 0) {
        bool sidingUsable = track_.polylineCount() > 1 && track_.polylineSize(1) > 0;
        if (!sidingUsable) {
            // One polyline (or an empty first siding): the first position.
            p.home = track_.position(0);
        } else {
            int r = settings.getInt(SettingId::EventHomePositionRatio);
            const Point& a = track_.position(track_.polylineStart(1));
            const Point& b = track_.position(track_.polylineStart(1) + track_.polylineSize(1) - 1);
            int x = a.x + r * (b.x - a.x) / 100;
            int y = a.y + (b.y - a.y) * r / 100;
            p.home = positionOr(track_, track_.nearest(x, y, 1), a);
        }
    }
    const Extent& e = track_.extent();
    int midX = (e.xmin + e.xmax) / 2;
    int midY = (e.ymin + e.ymax) / 2;
    if (turntable.present)
        p.front = positionOr(track_, track_.nearest(e.xmax, midY, 0), {});
    else
        p.front = positionOr(track_, track_.nearest(midX, e.ymax, 0), {});
    p.back = positionOr(track_, track_.nearest(midX, e.ymin, 0), {});
    p.homeIndex = track_.nearest(p.home.x, p.home.y, -1);
    positions_ = p;
}

} // namespace vardo::layout
