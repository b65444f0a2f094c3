#pragma once
// The picture area: the editor paints into it, and it passes the mouse on
// in picture pixels. The inverting markers and rectangles are drawn over the
// editor's paint, so moving them never leaves traces.
#include <QWidget>

class QPainter;

#include <array>
#include <vector>

namespace planwerk {
class LayoutEditor;
}

namespace planwerk::ui {

class LayoutView : public QWidget {
    Q_OBJECT
public:
    explicit LayoutView(QWidget* parent = nullptr);
    void setEditor(LayoutEditor* editor) { editor_ = editor; }

    // Drawing a circle that is shown already takes it away again.
    void toggleMarker(int x, int y, int radius);
    const std::vector<std::array<int, 3>>& markers() const { return markers_; }
    // The same for a rectangle outline (trim rectangle, a crossing dragged).
    void toggleRectangle(int x, int y, int width, int height);
    const std::vector<std::array<int, 4>>& rectangles() const { return rectangles_; }
    // Forgets every inverted mark: the next paint shows the pictures alone.
    void clearOverlay();
    bool captured() const { return captured_; }

signals:
    // After every event the editor heard, so the frame can update its bars.
    void edited();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    LayoutEditor* editor_ = nullptr;
    void paintOverlay(QPainter& painter) const;
    void paintCollageRails(QPainter& painter) const;

    std::vector<std::array<int, 3>> markers_;
    std::vector<std::array<int, 4>> rectangles_;
    bool captured_ = false;
};

} // namespace planwerk::ui
