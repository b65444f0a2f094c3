// Control points, level crossings and sensors: mouse, pop-up menus, add,
// delete and the settings dialogs. Crossing selections are crossing index
// x 100 + part (0..3 barrier points, 4..7 lights, 99 the whole crossing).
#include "common/paths.h"
#include "planwerk/editor_texts.h"
#include "planwerk/layout_editor.h"
#include "planwerk/marker_dialogs.h"
#include "planwerk/rail_geometry.h"

#include <algorithm>

namespace planwerk {

namespace {

constexpr int kWholeCrossing = 99;
constexpr int kCrossingParts = 8;
constexpr Point kCentre{320, 240};

Point& crossingPoint(layoutdata::CrossingRecord& r, int part)
{
    if (part < 2)
        return r.arm1[size_t(part)];
    if (part < 4)
        return r.arm2[size_t(part - 2)];
    return r.lamp[size_t(part - 4)];
}

Point crossingPoint(const layoutdata::CrossingRecord& r, int part)
{
    return crossingPoint(const_cast<layoutdata::CrossingRecord&>(r), part);
}

bool inBox(const layoutdata::CrossingRecord& r, Point p)
{
    return p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom;
}

template <class Set> void removeAt(Set& set, int index)
{
    auto& items = set.items();
    std::copy(items.begin() + index + 1, items.begin() + set.count(), items.begin() + index);
    set[set.count() - 1] = {};
    set.setCount(set.count() - 1);
}

template <class Set> int hitPoint(const Set& set, Point p, int64_t radius)
{
    for (int i = 0; i < set.count(); ++i) {
        if (squaredDistance(p, {set[i].x, set[i].y}) < radius * radius)
            return i;
    }
    return -1;
}

} // namespace

int LayoutEditor::hitMarker(Point p) const
{
    int64_t s = settings_.pointSize;
    switch (mode_) {
    case EditMode::ControlPoints:
        return hitPoint(controls_, p, s);
    case EditMode::Sensors:
        return hitPoint(sensors_, p, s);
    case EditMode::Crossings:
        for (int i = 0; i < crossings_.count(); ++i) {
            const layoutdata::CrossingRecord& r = crossings_[i];
            if (!inBox(r, p))
                continue;
            // Points of a group that is switched off still answer.
            for (int part = 0; part < kCrossingParts; ++part) {
                if (squaredDistance(p, crossingPoint(r, part)) < s * s)
                    return i * 100 + part;
            }
            return i * 100 + kWholeCrossing;
        }
        return -1;
    default:
        return -1;
    }
}

// The point the grab offset is taken from.
Point LayoutEditor::markerPosition(int selection) const
{
    switch (mode_) {
    case EditMode::ControlPoints:
        return {controls_[selection].x, controls_[selection].y};
    case EditMode::Sensors:
        return {sensors_[selection].x, sensors_[selection].y};
    case EditMode::Crossings: {
        const layoutdata::CrossingRecord& r = crossings_[selection / 100];
        int part = selection % 100;
        return part == kWholeCrossing ? Point{r.left, r.top} : crossingPoint(r, part);
    }
    default:
        return {};
    }
}

void LayoutEditor::pressMarker(Point p)
{
    int hit = hitMarker(p);
    if (hit < 0) {
        selection_ = -1;
        dragCounter_ = -1;
        frontend_.repaint();
        return;
    }
    selection_ = hit;
    dragCounter_ = 0;
    Point at = markerPosition(hit);
    grab_ = {p.x - at.x, p.y - at.y};
    takeSnapshot();
}

void LayoutEditor::moveMarker(Point p)
{
    if (dragCounter_ < 0 || selection_ < 0)
        return;
    Point at{p.x - grab_.x, p.y - grab_.y};
    if (mode_ != EditMode::Crossings || selection_ % 100 != kWholeCrossing)
        return dragMarker(at);
    const layoutdata::CrossingRecord& r = crossings_[selection_ / 100];
    int w = r.right - r.left, h = r.bottom - r.top;
    ++dragCounter_;
    if (dragCounter_ >= 2)
        frontend_.invertRectangle(marker_.x, marker_.y, w, h);
    marker_ = at;
    frontend_.invertRectangle(marker_.x, marker_.y, w, h);
}

void LayoutEditor::releaseMarker(Point p)
{
    if (dragCounter_ < 0 || selection_ < 0)
        return;
    Point at{p.x - grab_.x, p.y - grab_.y};
    switch (mode_) {
    case EditMode::ControlPoints:
        controls_[selection_].x = at.x;
        controls_[selection_].y = at.y;
        break;
    case EditMode::Sensors:
        sensors_[selection_].x = at.x;
        sensors_[selection_].y = at.y;
        break;
    case EditMode::Crossings: {
        layoutdata::CrossingRecord& r = crossings_[selection_ / 100];
        int part = selection_ % 100;
        if (part == kWholeCrossing) {
            int dx = at.x - r.left, dy = at.y - r.top;
            for (int i = 0; i < kCrossingParts; ++i) {
                crossingPoint(r, i).x += dx;
                crossingPoint(r, i).y += dy;
            }
        } else {
            crossingPoint(r, part) = at;
        }
        layoutdata::updateCrossingRect(r);
        break;
    }
    default:
        break;
    }
    dragCounter_ = -1;
    frontend_.repaint();
}

void LayoutEditor::markerMenu(Point p)
{
    int hit = hitMarker(p);
    if (hit >= 0)
        selection_ = hit;
    frontend_.repaint();
    if (mode_ != EditMode::Crossings)
        lastPopup_ = p;
    std::vector<MenuItem> items;
    auto add = [&](const char* label, Command command) {
        items.push_back({label, command, isEnabled(command)});
    };
    bool selected = selection_ >= 0;
    switch (mode_) {
    case EditMode::ControlPoints:
        if (controls_.count() == 1 || selected)
            add(text::kMenuControlSettings, Command::ControlSettings);
        add(text::kMenuAddControl, Command::AddControl);
        if (selected)
            add(text::kMenuDeleteControl, Command::DeleteMarker);
        break;
    case EditMode::Crossings:
        if (crossings_.count() == 1 || selected) {
            add(text::kMenuCrossingSettings, Command::CrossingSettings);
            add(text::kMenuDeleteCrossing, Command::DeleteMarker);
        }
        add(text::kMenuAddCrossing, Command::AddCrossing);
        break;
    case EditMode::Sensors:
        if (sensors_.count() == 1 || selected)
            add(text::kMenuSensorSettings, Command::SensorSettings);
        add(text::kMenuAddSensor, Command::AddSensor);
        if (selected)
            add(text::kMenuDeleteSensor, Command::DeleteMarker);
        break;
    default:
        return;
    }
    frontend_.popupMenu(items, p.x, p.y);
}

Point LayoutEditor::placementForNewMarker() const
{
    Point c = lastPopup_;
    bool inside = c.x > 4 && c.x < 636 && c.y > 4 && c.y < 476;
    return inside ? c : kCentre;
}

void LayoutEditor::addControlPoint()
{
    if (mode_ != EditMode::ControlPoints)
        return;
    if (controls_.count() >= ControlPointSet::kCapacity) {
        message(text::kControlsFull);
        return;
    }
    takeSnapshot();
    layoutdata::ControlPointRecord r{};
    Point at = placementForNewMarker();
    r.x = at.x;
    r.y = at.y;
    int index = controls_.count();
    controls_[index] = r;
    controls_.setCount(index + 1);
    frontend_.repaint();
    selection_ = index;
    controlSettings();
}

void LayoutEditor::addCrossing()
{
    if (mode_ != EditMode::Crossings)
        return;
    if (crossings_.count() >= CrossingSet::kCapacity) {
        message(text::kCrossingsFull);
        return;
    }
    takeSnapshot();
    int index = crossings_.count();
    crossings_[index] = layoutdata::defaultCrossing();
    crossings_.setCount(index + 1);
    frontend_.repaint();
}

void LayoutEditor::addSensor()
{
    if (mode_ != EditMode::Sensors)
        return;
    if (sensors_.count() >= SensorSet::kCapacity) {
        message(text::kSensorsFull);
        return;
    }
    takeSnapshot();
    layoutdata::SensorRecord r;
    Point at = placementForNewMarker();
    r.x = at.x;
    r.y = at.y;
    r.sensitivity = 75;
    int index = sensors_.count();
    sensors_[index] = r;
    sensors_.setCount(index + 1);
    frontend_.repaint();
    selection_ = index;
    sensorSettings();
}

void LayoutEditor::deleteMarker()
{
    switch (mode_) {
    case EditMode::ControlPoints:
        if (selection_ < 0 || selection_ >= controls_.count() || !askYesNo(text::kDeleteControl))
            return;
        takeSnapshot();
        removeAt(controls_, selection_);
        break;
    case EditMode::Crossings: {
        // With a single crossing the pop-up offers delete without a selection.
        int index = settingsTarget(crossings_.count());
        if (selection_ < 0 && crossings_.count() != 1)
            return;
        if (index < 0 || !askYesNo(text::kDeleteCrossing))
            return;
        takeSnapshot();
        removeAt(crossings_, index);
        break;
    }
    case EditMode::Sensors:
        if (selection_ < 0 || selection_ >= sensors_.count() || !askYesNo(text::kDeleteSensor))
            return;
        takeSnapshot();
        removeAt(sensors_, selection_);
        break;
    default:
        return;
    }
    selection_ = -1;
    frontend_.repaint();
}

// The record a settings command edits: the selected one, else record 0;
// -1 when the list is empty.
int LayoutEditor::settingsTarget(int count) const
{
    if (count <= 0)
        return -1;
    int index = selection_ < 0 ? 0 : (mode_ == EditMode::Crossings ? selection_ / 100 : selection_);
    return index < count ? index : -1;
}

void LayoutEditor::controlSettings()
{
    int index = mode_ == EditMode::ControlPoints ? settingsTarget(controls_.count()) : -1;
    if (index < 0)
        return;
    std::string ini = common::joinPath(programFolder_, "option.ini");
    ControlDialogState state = ControlDialogState::fromRecord(controls_[index], readSoundList(ini));
    if (!frontend_.controlDialog(state))
        return;
    state.store(controls_[index]);
    modified_.control = true;
    frontend_.repaint();
}

void LayoutEditor::crossingSettings()
{
    int index = mode_ == EditMode::Crossings ? settingsTarget(crossings_.count()) : -1;
    if (index < 0)
        return;
    CrossingDialogState state = CrossingDialogState::fromRecord(crossings_[index]);
    if (!frontend_.crossingDialog(state))
        return;
    layoutdata::CrossingRecord& r = crossings_[index];
    // The box stays as it is: it is recomputed when a point moves.
    state.store(r);
    int part = selection_ >= 0 ? selection_ % 100 : -1;
    bool barrierPoint = part >= 0 && part < 4;
    bool lightPoint = part >= 4 && part < kCrossingParts;
    if ((barrierPoint && !r.barrier) || (lightPoint && !r.lights))
        selection_ = -1;
    modified_.crossing = true;
    frontend_.repaint();
}

void LayoutEditor::sensorSettings()
{
    int index = mode_ == EditMode::Sensors ? settingsTarget(sensors_.count()) : -1;
    if (index < 0)
        return;
    SensorDialogState state{sensors_[index].sensitivity};
    if (!frontend_.sensorDialog(state) || !state.valid())
        return;
    // A changed sensitivity marks the sensors modified, so that saving keeps
    // it (otherwise an edit made only here would be lost on save).
    if (sensors_[index].sensitivity != state.sensitivity)
        modified_.sensor = true;
    sensors_[index].sensitivity = state.sensitivity;
    frontend_.repaint();
}

} // namespace planwerk
