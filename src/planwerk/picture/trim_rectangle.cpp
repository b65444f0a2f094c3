#include "planwerk/picture/trim_rectangle.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace planwerk {

namespace {

PictureRect normalised(PicturePoint a, PicturePoint b)
{
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::abs(b.x - a.x), std::abs(b.y - a.y)};
}

} // namespace

PictureRect TrimRectangle::shown() const
{
    return normalised(start_, end_);
}

TrimRectangle::Redraw TrimRectangle::press(int x, int y)
{
    Redraw r;
    r.repaint = state_ == Finished;
    start_ = end_ = {x, y};
    state_ = Started;
    return r;
}

TrimRectangle::Redraw TrimRectangle::move(int x, int y)
{
    return follow(x, y, Dragging);
}

TrimRectangle::Redraw TrimRectangle::release(int x, int y)
{
    return follow(x, y, Finished);
}

// The end corner follows the mouse, corrected to 4:3: a rectangle wider
// than 4:3 takes its width from its height, a narrower one its height from
// its width.
TrimRectangle::Redraw TrimRectangle::follow(int x, int y, State next)
{
    Redraw r;
    if (state_ != Started && state_ != Dragging)
        return r;
    if (state_ == Dragging) {
        r.erasePrevious = true;
        r.previous = shown();
    }
    // Dragged up or to the left, the same rule holds for the magnitudes.
    int64_t dx = int64_t(x) - start_.x;
    int64_t dy = int64_t(y) - start_.y;
    int64_t w = std::abs(dx);
    int64_t h = std::abs(dy);
    if (h > 0) {
        if (w * 100 / h > 133)
            w = h * 640 / 480;
        else if (w * 100 / h < 133)
            h = w * 480 / 640;
    }
    end_ = {int(start_.x + (dx < 0 ? -w : w)), int(start_.y + (dy < 0 ? -h : h))};
    r.drawCurrent = true;
    r.current = shown();
    state_ = next;
    return r;
}

PictureRect trimToSource(const TrimRectangle& trim, int scale)
{
    if (scale <= 0)
        return {};
    PictureRect s = trim.shown();
    return {int(int64_t(s.x) * 100 / scale), int(int64_t(s.y) * 100 / scale),
            int(int64_t(s.width) * 100 / scale), int(int64_t(s.height) * 100 / scale)};
}

} // namespace planwerk
