#include "planwerk/ui/layout_view.h"

#include "planwerk/layout_editor.h"
#include "planwerk/picture/picture_overlays.h"
#include "planwerk/rail_drawing.h"
#include "planwerk/ui/view_routing.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace planwerk::ui {

namespace {

template <typename Mark> void toggle(std::vector<Mark>& marks, const Mark& m)
{
    auto it = std::find(marks.begin(), marks.end(), m);
    if (it != marks.end())
        marks.erase(it);
    else
        marks.push_back(m);
}

} // namespace

LayoutView::LayoutView(QWidget* parent) : QWidget(parent)
{
    setCursor(Qt::ArrowCursor);
    setAutoFillBackground(true);
    setMouseTracking(false);
}

void LayoutView::toggleMarker(int x, int y, int radius)
{
    toggle(markers_, std::array<int, 3>{x, y, radius});
    update();
}

void LayoutView::toggleRectangle(int x, int y, int width, int height)
{
    toggle(rectangles_, std::array<int, 4>{x, y, width, height});
    update();
}

void LayoutView::clearOverlay()
{
    markers_.clear();
    rectangles_.clear();
    update();
}

void LayoutView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (editor_)
        editor_->paint(painter);
    // White in difference mode inverts what lies below, as the marks always looked.
    painter.setCompositionMode(QPainter::CompositionMode_Difference);
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(Qt::NoBrush);
    paintOverlay(painter);
    paintCollageRails(painter);
}

void LayoutView::paintOverlay(QPainter& painter) const
{
    for (const auto& m : markers_)
        painter.drawEllipse(QPoint(m[0], m[1]), m[2], m[2]);
    // An outline of w x h covers the pixels from x to x + w - 1.
    for (const auto& r : rectangles_)
        if (r[2] > 0 && r[3] > 0)
            painter.drawRect(r[0], r[1], r[2] - 1, r[3] - 1);
}

// A collage being trimmed shows the traced rails inside its rectangle, so
// that it can be lined up with the layout picture.
void LayoutView::paintCollageRails(QPainter& painter) const
{
    if (!editor_ || !editor_->sourceWaiting())
        return;
    const SourcePicture& source = editor_->waitingPicture();
    std::optional<QTransform> t = railOverlayTransform(source.trim(), source.kind());
    if (!t)
        return;
    painter.save();
    painter.setTransform(*t, true);
    QPen pen(Qt::white, 1);
    pen.setCosmetic(true);
    drawRails(painter, editor_->row(0), false, pen);
    drawRails(painter, editor_->row(1), true, pen);
    painter.restore();
}

void LayoutView::mousePressEvent(QMouseEvent* event)
{
    if (!editor_)
        return;
    QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        captured_ = true; // Qt keeps sending moves here until the release
        if (passPress(editor_->mode(), editor_->sourceWaiting())) {
            editor_->press(p.x(), p.y());
            emit edited();
        }
    } else if (event->button() == Qt::RightButton && passMenu(editor_->mode())) {
        editor_->menu(p.x(), p.y());
        emit edited();
    }
}

void LayoutView::mouseMoveEvent(QMouseEvent* event)
{
    if (!editor_ || !passMoveOrRelease(editor_->mode(), editor_->trimState()))
        return;
    QPoint p = event->position().toPoint();
    editor_->move(p.x(), p.y());
}

void LayoutView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!editor_ || event->button() != Qt::LeftButton)
        return;
    captured_ = false;
    if (!passMoveOrRelease(editor_->mode(), editor_->trimState()))
        return;
    QPoint p = event->position().toPoint();
    editor_->release(p.x(), p.y());
    emit edited();
}

} // namespace planwerk::ui
