// Mask and exception regions: one editor for both lists. The selection is
// region index x 4 + corner.
#include "planwerk/editor_texts.h"
#include "planwerk/layout_editor.h"
#include "planwerk/rail_geometry.h"

#include <algorithm>

namespace planwerk {

namespace {

constexpr int kRegionSide = 100;
constexpr int kBandPlaceholder = 999;

bool isBand(const layoutdata::MaskRecord& r)
{
    return r.width > 0;
}

// Bands have only their two centre-line ends as handles.
int handleCount(const layoutdata::MaskRecord& r)
{
    return isBand(r) ? 2 : 4;
}

} // namespace

Point LayoutEditor::clampToPicture(int x, int y) const
{
    return {std::clamp(x, 0, std::max(0, pictureWidth_ - 1)),
            std::clamp(y, 0, std::max(0, pictureHeight_ - 1))};
}

void LayoutEditor::dragMarker(Point p)
{
    ++dragCounter_;
    int radius = settings_.pointSize;
    if (dragCounter_ >= 2)
        frontend_.invertCircle(marker_.x, marker_.y, radius);
    marker_ = p;
    frontend_.invertCircle(marker_.x, marker_.y, radius);
}

int LayoutEditor::hitRegionCorner(Point p) const
{
    const RegionSet& set = currentRegions();
    int64_t s = settings_.pointSize;
    for (int r = 0; r < set.count(); ++r) {
        for (int c = 0; c < handleCount(set[r]); ++c) {
            if (squaredDistance(p, set[r].corners[size_t(c)]) < s * s)
                return r * 4 + c;
        }
    }
    return -1;
}

void LayoutEditor::pressRegion(Point p)
{
    int hit = hitRegionCorner(p);
    if (hit < 0) {
        selection_ = -1;
        dragCounter_ = -1;
        frontend_.repaint();
        return;
    }
    selection_ = hit;
    dragCounter_ = 0;
    Point corner = currentRegions()[hit / 4].corners[size_t(hit % 4)];
    grab_ = {p.x - corner.x, p.y - corner.y};
    takeSnapshot();
}

void LayoutEditor::releaseRegion(Point p)
{
    RegionSet& set = currentRegions();
    if (dragCounter_ < 0 || selection_ < 0 || selection_ / 4 >= set.count())
        return;
    // Corners keep their order: a dragged quadrilateral may turn over.
    set[selection_ / 4].corners[size_t(selection_ % 4)] = {p.x - grab_.x, p.y - grab_.y};
    dragCounter_ = -1;
    frontend_.repaint();
}

void LayoutEditor::regionMenu(Point p)
{
    int hit = hitRegionCorner(p);
    if (hit >= 0)
        selection_ = hit;
    frontend_.repaint();
    lastPopup_ = p;
    std::vector<MenuItem> items;
    items.push_back({text::kMenuAddRect, Command::AddRect, isEnabled(Command::AddRect)});
    if (mode_ == EditMode::Mask)
        items.push_back({text::kMenuAddBand, Command::AddBand, isEnabled(Command::AddBand)});
    if (selection_ >= 0)
        items.push_back(
            {text::kMenuDeleteRegion, Command::DeleteRegion, isEnabled(Command::DeleteRegion)});
    frontend_.popupMenu(items, p.x, p.y);
}

void LayoutEditor::addRegion(bool band)
{
    if (!regionMode() || (band && mode_ != EditMode::Mask))
        return;
    RegionSet& set = currentRegions();
    if (set.count() >= RegionSet::kCapacity) {
        message(text::kRegionsFull);
        return;
    }
    takeSnapshot();
    int s = settings_.pointSize;
    int w = pictureWidth_, h = pictureHeight_;
    Point c = lastPopup_;
    // Half a side left of and above the click, and s pixels inside the picture.
    int right = c.x - 50 < s ? s + kRegionSide : c.x + 50;
    int x = right > w - s - 1 ? w - s - kRegionSide - 1 : right - kRegionSide;
    int bottom = c.y - 50 >= s ? c.y + 50 : s + kRegionSide;
    int y = bottom > h - s - 1 ? h - s - kRegionSide - 1 : bottom - kRegionSide;

    layoutdata::MaskRecord r;
    r.corners[0] = {x, y};
    r.corners[1] = {x + kRegionSide, y};
    if (band) {
        r.corners[2] = r.corners[3] = {kBandPlaceholder, kBandPlaceholder};
        r.width = settings_.maskWidth;
    } else {
        r.corners[2] = {x + kRegionSide, y + kRegionSide};
        r.corners[3] = {x, y + kRegionSide};
        r.width = 0;
    }
    int index = set.count();
    set[index] = r;
    set.setCount(index + 1);
    selection_ = index * 4;
    frontend_.repaint();
}

void LayoutEditor::deleteRegion()
{
    RegionSet& set = currentRegions();
    if (!regionMode() || set.count() == 0 || selection_ < 0 || selection_ / 4 >= set.count())
        return;
    takeSnapshot();
    int index = selection_ / 4;
    auto& items = set.items();
    std::copy(items.begin() + index + 1, items.begin() + set.count(), items.begin() + index);
    set[set.count() - 1] = layoutdata::MaskRecord{};
    set.setCount(set.count() - 1);
    selection_ = -1;
    frontend_.repaint();
}

} // namespace planwerk
