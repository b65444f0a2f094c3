#include "planwerk/ui/layout_view.h"

#include "planwerk/layout_editor.h"
#include "planwerk/ui/view_routing.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace planwerk::ui {

namespace {

// The editor does not report a waiting source picture or the trim state
// yet; until it does, neither counts.
constexpr bool kSourceWaiting = false;
constexpr int kTrimState = 0;

} // namespace

LayoutView::LayoutView(QWidget* parent) : QWidget(parent)
{
    setCursor(Qt::ArrowCursor);
    setAutoFillBackground(true);
    setMouseTracking(false);
}

void LayoutView::toggleMarker(int x, int y, int radius)
{
    std::array<int, 3> m{x, y, radius};
    auto it = std::find(markers_.begin(), markers_.end(), m);
    if (it != markers_.end())
        markers_.erase(it);
    else
        markers_.push_back(m);
    update();
}

void LayoutView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (editor_)
        editor_->paint(painter);
    if (markers_.empty())
        return;
    // White in difference mode inverts what lies below, as the marker always looked.
    painter.setCompositionMode(QPainter::CompositionMode_Difference);
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(Qt::NoBrush);
    for (const auto& m : markers_)
        painter.drawEllipse(QPoint(m[0], m[1]), m[2], m[2]);
}

void LayoutView::mousePressEvent(QMouseEvent* event)
{
    if (!editor_)
        return;
    QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        captured_ = true; // Qt keeps sending moves here until the release
        if (passPress(editor_->mode(), kSourceWaiting)) {
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
    if (!editor_ || !passMoveOrRelease(editor_->mode(), kTrimState))
        return;
    QPoint p = event->position().toPoint();
    editor_->move(p.x(), p.y());
}

void LayoutView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!editor_ || event->button() != Qt::LeftButton)
        return;
    captured_ = false;
    if (!passMoveOrRelease(editor_->mode(), kTrimState))
        return;
    QPoint p = event->position().toPoint();
    editor_->release(p.x(), p.y());
    emit edited();
}

} // namespace planwerk::ui
