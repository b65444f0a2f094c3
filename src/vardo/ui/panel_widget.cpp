#include "vardo/ui/panel_widget.h"

#include "vardo/operation/controller_action.h"
#include "vardo/panel/panel_painter.h"
#include "vardo/ui/panel_cursors.h"
#include "vardo/ui/queued_call.h"

#include <QBitmap>
#include <QMouseEvent>
#include <QPainter>

namespace vardo::ui {

PanelWidget::PanelWidget(panel::ControllerPanel& panel, Controller& controller, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), panel_(panel), controller_(controller)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    refresh();
}

void PanelWidget::requestRedraw()
{
    postTo(this, [this] { update(); });
}

void PanelWidget::refresh()
{
    picture_ = panel::renderPanel(panel_, controller_.state());
    setFixedSize(picture_.size());
    setMask(QBitmap::fromImage(
        picture_.createMaskFromColor(panel::kTransparentKey.rgb(), Qt::MaskInColor)));
    update();
}

void PanelWidget::placeAtLowerRight(const QWidget& view)
{
    const QPoint corner = view.mapToGlobal(QPoint(view.width(), view.height()));
    move(corner - QPoint(width(), height()));
}

void PanelWidget::paintEvent(QPaintEvent*)
{
    const int state = controller_.state();
    picture_ = panel::renderPanel(panel_, state);
    QPainter p(this);
    p.drawImage(0, 0, picture_);
    paintedState_ = state;
    paints_.fetch_add(1);
}

void PanelWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    panel_.mouseDown(event->position().toPoint());
    if (panel_.dragging()) {
        dragStart_ = event->globalPosition().toPoint();
        windowStart_ = pos();
    }
    updateCursor();
    update();
}

void PanelWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (panel_.dragging()) {
        move(windowStart_ + event->globalPosition().toPoint() - dragStart_);
        return;
    }
    panel_.mouseMove(event->position().toPoint());
    updateCursor();
    if (panel_.jogGrabbed())
        update();
}

void PanelWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (panel_.dragging()) {
        move(windowStart_ + event->globalPosition().toPoint() - dragStart_);
        movedByUser_ = true;
    }
    panel_.mouseUp(event->position().toPoint());
    updateCursor();
    update();
}

void PanelWidget::updateCursor()
{
    setCursor(panelCursor(panel_.cursor()));
}

} // namespace vardo::ui
