#include "vardo/ui/focus_meter.h"

#include <QPainter>
#include <cstdlib>

namespace vardo::ui {

namespace {

int luminance(const uint8_t* bgr) { return 299 * bgr[2] + 587 * bgr[1] + 114 * bgr[0]; }

} // namespace

int64_t frameSharpness(std::span<const uint8_t> frame, int width, int height, int range)
{
    if (width <= 2 * kFocusMargin || height <= 2 * kFocusMargin ||
        frame.size() < size_t(width) * size_t(height) * 3)
        return 0;
    const size_t stride = size_t(width) * 3;
    int64_t across = 0;
    int64_t down = 0;
    for (int y = kFocusMargin; y <= height - kFocusMargin - 1; ++y) {
        const uint8_t* row = frame.data() + size_t(y) * stride;
        const uint8_t* next = row + stride;
        for (int x = kFocusMargin; x <= width - kFocusMargin - 1; ++x) {
            const int here = luminance(row + size_t(x) * 3);
            if (std::abs(luminance(row + size_t(x + 1) * 3) - here) > range)
                ++across;
            if (std::abs(luminance(next + size_t(x) * 3) - here) > range)
                ++down;
        }
    }
    return across + down;
}

FocusBand focusBand(int width, int height, int64_t peak, int64_t sharpness)
{
    FocusBand b;
    b.left = 16;
    b.right = width - 16;
    b.top = height / 2 - 16;
    b.bottom = height / 2 + 16;
    int64_t e = 100;
    // A band too narrow for any bar would never settle on a scale.
    while (b.right > b.left && b.left + peak / e > b.right)
        e *= 2;
    b.scale = int(e > INT32_MAX ? INT32_MAX : e);
    b.peakX = int(b.left + peak / e);
    b.barRight = int(b.left + sharpness / e);
    return b;
}

void FocusMeter::toggle()
{
    counter_.store(-kFocusSettleFrames);
    on_.store(!on_.load());
}

bool FocusMeter::frame(std::span<const uint8_t> frame, int width, int height, int range)
{
    if (!on_.load())
        return false;
    // The count is tested before it moves on: frames 1..32 show nothing.
    const int64_t before = counter_.fetch_add(1);
    if (before < 0)
        return false;
    const int64_t sharpness = frameSharpness(frame, width, height, range);
    int64_t peak = before + 1;
    if (peak < sharpness)
        peak = sharpness;
    counter_.store(peak);
    band_ = focusBand(width, height, peak, sharpness);
    return true;
}

void FocusMeter::draw(QPainter& painter, const FocusBand& b)
{
    const QColor green(0, 255, 0);
    painter.setPen(QPen(green, 1));
    painter.drawLine(b.left, b.top, b.right, b.top);
    painter.drawLine(b.right, b.top, b.right, b.bottom);
    painter.drawLine(b.left, b.bottom, b.right, b.bottom);
    painter.drawLine(b.peakX, b.top, b.peakX, b.bottom);
    painter.setBrush(green);
    painter.drawRect(QRect(QPoint(b.left, b.top), QPoint(b.barRight, b.bottom)));
    painter.setBrush(Qt::NoBrush);
}

} // namespace vardo::ui
