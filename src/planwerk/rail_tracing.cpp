// Tracing the rails: the mouse and the vertex commands in the outer-loop
// and siding modes.
#include "planwerk/editor_texts.h"
#include "planwerk/layout_editor.h"
#include "planwerk/rail_geometry.h"

namespace planwerk {

namespace {

// The smallest squared distance between two vertices of a row.
constexpr int64_t kMinSpacingSquared = 16 * 16;
constexpr int kMaxTurnouts = layoutdata::kMaxPoints;

} // namespace

int LayoutEditor::hitVertex(int x, int y) const
{
    const VertexRow& row = currentRow();
    int64_t radius = settings_.pointSize;
    for (int i = 0; i < row.count(); ++i) {
        if (squaredDistance({x, y}, position(row[i])) < radius * radius)
            return i;
    }
    return -1;
}

void LayoutEditor::recomputeCurves()
{
    updateCurveCentres(currentRow(), pictureWidth_);
}

void LayoutEditor::press(int x, int y)
{
    if (trimming())
        return showTrim(waiting_.trim().press(x, y));
    if (mode_ == EditMode::TrainPicture)
        return pressTrainHandle(clampToPicture(x, y));
    if (regionMode())
        return pressRegion(clampToPicture(x, y));
    if (markerMode())
        return pressMarker(clampToPicture(x, y));
    if (!railMode())
        return;
    int hit = hitVertex(x, y);
    if (hit < 0)
        return;
    selection_ = hit;
    dragCounter_ = 0;
    grab_ = {x - currentRow()[hit].x, y - currentRow()[hit].y};
    takeSnapshot();
    frontend_.repaint();
}

void LayoutEditor::move(int x, int y)
{
    if (trimming())
        return showTrim(waiting_.trim().move(x, y));
    if ((regionMode() || mode_ == EditMode::TrainPicture) && dragCounter_ >= 0 && selection_ >= 0) {
        Point p = clampToPicture(x, y);
        return dragMarker({p.x - grab_.x, p.y - grab_.y});
    }
    if (markerMode())
        return moveMarker(clampToPicture(x, y));
    if (!railMode() || dragCounter_ < 0 || selection_ < 0)
        return;
    ++dragCounter_;
    int radius = settings_.pointSize;
    if (dragCounter_ >= 2)
        frontend_.invertCircle(marker_.x, marker_.y, radius);
    VertexRecord& v = currentRow()[selection_];
    v.x = x - grab_.x;
    v.y = y - grab_.y;
    marker_ = position(v);
    frontend_.invertCircle(marker_.x, marker_.y, radius);
}

void LayoutEditor::release(int x, int y)
{
    if (trimming())
        return showTrim(waiting_.trim().release(x, y));
    if (mode_ == EditMode::TrainPicture)
        return releaseTrainHandle(clampToPicture(x, y));
    if (regionMode())
        return releaseRegion(clampToPicture(x, y));
    if (markerMode())
        return releaseMarker(clampToPicture(x, y));
    if (!railMode())
        return;
    if (dragCounter_ >= 0 && selection_ >= 0) {
        VertexRecord& v = currentRow()[selection_];
        v.x = x - grab_.x;
        v.y = y - grab_.y;
        v.angle = sortKey(v.x, v.y, pictureWidth_, pictureHeight_);
        dragCounter_ = -1;
    } else if (mode_ == EditMode::OuterLoop || selection_ >= 0) {
        addVertex({x, y});
    } else if (currentRow().empty()) {
        message(text::kConnectToLoop, common::Icon::Information);
        lastPopup_ = {x, y};
        createTurnout();
    }
    recomputeCurves();
    frontend_.repaint();
}

void LayoutEditor::addVertex(Point p)
{
    VertexRow& row = currentRow();
    if (row.full()) {
        message(text::kRowFull);
        return;
    }
    for (int i = 0; i < row.count(); ++i) {
        if (squaredDistance(p, position(row[i])) < kMinSpacingSquared) {
            message(text::kTooClose);
            return;
        }
    }
    takeSnapshot();
    bool sorted = settings_.sortPoint == 1;
    int count = row.count();
    Range group =
        mode_ == EditMode::OuterLoop ? Range{0, count - 1} : sidingRange(row, count, selection_);
    int index = count;
    if (!sorted && count >= 2 && !(mode_ == EditMode::OuterLoop && appendSwitch_))
        index = nearestSegmentIndex(row, group, p);

    VertexRecord record;
    record.x = p.x;
    record.y = p.y;
    record.angle = sortKey(p.x, p.y, pictureWidth_, pictureHeight_);
    record.curveX = -1;
    record.curveY = -1;
    row.insert(index, record);
    // The selected vertex keeps its selection when records move.
    if (selection_ >= index)
        ++selection_;

    if (!sorted)
        return;
    if (mode_ == EditMode::OuterLoop) {
        sortByKey(row, &selection_);
    } else {
        int target = sidingPositionByX(row, group);
        row.move(row.count() - 1, target);
        selection_ = target;
    }
}

void LayoutEditor::menu(int x, int y)
{
    if (regionMode())
        return regionMenu(clampToPicture(x, y));
    if (markerMode())
        return markerMenu(clampToPicture(x, y));
    if (!railMode())
        return;
    int hit = hitVertex(x, y);
    if (hit >= 0)
        selection_ = hit;
    bool outer = mode_ == EditMode::OuterLoop;
    if (outer && selection_ < 0 && settings_.sortPoint == 1)
        return;
    frontend_.repaint();
    lastPopup_ = {x, y};

    std::vector<MenuItem> items;
    auto add = [&](const char* label, Command command, bool checked = false) {
        items.push_back({label, command, isEnabled(command), checked});
    };
    const VertexRow& row = currentRow();
    bool selected = selection_ >= 0 && selection_ < row.count();
    if (selected) {
        add(text::kMenuDeleteVertex, Command::DeleteVertex);
        add(hasCurve(row[selection_]) ? text::kMenuClearCurve : text::kMenuSetCurve,
            Command::ToggleCurve);
    }
    if (outer && settings_.sortPoint == 0)
        add(text::kMenuAppend, Command::AppendSwitch, appendSwitch_);
    if (!outer) {
        add(text::kMenuCreateTurnout, Command::CreateTurnout);
        if (selected) {
            bool last = selection_ == row.count() - 1;
            if (row[selection_].pointMark != 0)
                add(text::kMenuPointSettings, Command::PointSettings);
            else if (last || isGroupStart(row[selection_ + 1]))
                add(text::kMenuTerminalSettings, Command::PointSettings);
        }
    }
    if (outer && selected)
        add(text::kMenuPlatform, Command::Platform);
    frontend_.popupMenu(items, x, y);
}

void LayoutEditor::deleteVertex()
{
    VertexRow& row = currentRow();
    if (!railMode() || row.empty() || selection_ < 0 || selection_ >= row.count())
        return;
    // Only the siding line is cut into groups; an outer-loop platform mark
    // starts nothing.
    Range removed{selection_, selection_};
    if (onSidingLine() && isGroupStart(row[selection_])) {
        if (!askYesNo(text::kDeleteSiding))
            return;
        removed = groupFrom(row, selection_);
    }
    takeSnapshot();
    row.remove(removed.first, removed.last - removed.first + 1);
    selection_ -= 1;
    recomputeCurves();
    frontend_.repaint();
}

void LayoutEditor::toggleCurve()
{
    VertexRow& row = currentRow();
    if (!railMode() || selection_ < 0 || selection_ >= row.count())
        return;
    takeSnapshot();
    int n = row.count();
    VertexRecord& v = row[selection_];
    if (!hasCurve(v)) {
        const VertexRecord& before = row[(selection_ + n - 1) % n];
        const VertexRecord& after = row[(selection_ + 1) % n];
        if (hasCurve(before) || hasCurve(after)) {
            message(text::kNeighbourCurved);
            return;
        }
        v.curveX = 0;
    } else {
        v.curveX = -1;
    }
    recomputeCurves();
    frontend_.repaint();
}

void LayoutEditor::setPlatform()
{
    VertexRow& row = currentRow();
    if (mode_ != EditMode::OuterLoop || selection_ < 0 || selection_ >= row.count())
        return;
    takeSnapshot();
    for (int i = 0; i < row.count(); ++i)
        row[i].pointMark = i == selection_ ? 1 : 0;
    frontend_.repaint();
}

void LayoutEditor::createTurnout()
{
    if (mode_ != EditMode::Sidings)
        return;
    VertexRow& row = currentRow();
    int marked = markedCount(row);
    if (marked >= kMaxTurnouts) {
        message(text::kTooManyTurnouts);
        return;
    }
    // A full row has no room for the turnout's record.
    if (row.full()) {
        message(text::kRowFull);
        return;
    }
    if (marked == kMaxTurnouts - 1)
        message(text::kEighthTurnout);

    VertexRecord record;
    record.x = lastPopup_.x;
    record.y = lastPopup_.y;
    record.angle = 0;
    record.pointMark = 2;
    record.curveX = -1;
    record.curveY = -1;
    selection_ = row.count();
    PointDialogValues values{record.pointMark - 1, record.terminal != 0, record.linked != 0};
    if (!frontend_.pointDialog(values)) {
        selection_ = -1;
        return;
    }
    takeSnapshot();
    record.pointMark = uint8_t(values.direction + 1);
    record.linked = values.linked ? 1 : 0;
    row.insert(row.count(), record);
    recomputeCurves();
    frontend_.repaint();
}

void LayoutEditor::pointSettings()
{
    VertexRow& row = currentRow();
    if (mode_ != EditMode::Sidings || selection_ < 0 || selection_ >= row.count())
        return;
    VertexRecord& v = row[selection_];
    PointDialogValues values;
    if (v.pointMark != 0) {
        values.direction = v.pointMark - 1;
        values.terminal = v.terminal != 0;
    } else {
        values.direction = 1;
        values.terminal = true;
    }
    values.linked = v.linked != 0;
    bool terminal = values.terminal;
    if (!frontend_.pointDialog(values))
        return;
    takeSnapshot();
    v.pointMark = uint8_t(values.direction == 0 ? 1 : 2);
    // The terminal box cannot be changed in the dialog.
    v.terminal = terminal ? 1 : 0;
    v.linked = values.linked ? 1 : 0;
    frontend_.repaint();
}

} // namespace planwerk
