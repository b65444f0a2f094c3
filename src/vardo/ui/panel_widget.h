#pragma once
// The controller panel's window: a frameless tool window that shows the
// panel picture with pure blue cut away, turns mouse events into the
// panel's, and moves when dragged by its background. Redraws asked from
// any thread reach it through requestRedraw, which only queues.
#include "vardo/panel/controller_panel.h"

#include <QImage>
#include <QPoint>
#include <QWidget>

#include <atomic>

namespace vardo {
class Controller;
}

namespace vardo::ui {

class PanelWidget : public QWidget {
    Q_OBJECT
public:
    PanelWidget(panel::ControllerPanel& panel, Controller& controller, QWidget* parent = nullptr);

    // Safe from any thread: the repaint happens on the GUI thread.
    void requestRedraw();
    // Takes the panel's size and mask again (after a skin change).
    void refresh();
    // Puts the panel at the lower right of a view.
    void placeAtLowerRight(const QWidget& view);

    int paintCount() const { return paints_.load(); }
    // The controller state the last paint showed.
    int paintedState() const { return paintedState_.load(); }
    // The user has dragged the panel somewhere of their own choosing.
    bool movedByUser() const { return movedByUser_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void updateCursor();

    panel::ControllerPanel& panel_;
    Controller& controller_;
    QImage picture_;
    QPoint dragStart_;   // global position where the drag began
    QPoint windowStart_; // the window's position then
    std::atomic<int> paints_{0};
    std::atomic<int> paintedState_{0};
    bool movedByUser_ = false;
};

} // namespace vardo::ui
