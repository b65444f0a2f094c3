#pragma once
// The focus meter of the live display: a bar of the frame's sharpness (how
// many neighbouring pixels differ strongly in brightness) and a peak line
// that climbs one step per frame and jumps up to a sharper frame. Nothing
// shows for the first 32 frames after it is switched on.
#include <atomic>
#include <cstdint>
#include <span>

class QPainter;

namespace vardo::ui {

constexpr int kFocusSettleFrames = 32;
constexpr int kFocusMargin = 8;

// Pixels of the frame (bottom-up blue-green-red rows) whose brightness
// differs from the right neighbour by more than range, plus those that
// differ from the next row's, over the frame less an 8-pixel border.
int64_t frameSharpness(std::span<const uint8_t> frame, int width, int height, int range);

struct FocusBand {
    int left = 0, right = 0, top = 0, bottom = 0;
    int scale = 100; // divisor of sharpness values on the bar
    int peakX = 0;   // the peak line
    int barRight = 0;
};

// The band on a frame of the width and height for the peak and sharpness.
FocusBand focusBand(int width, int height, int64_t peak, int64_t sharpness);

class FocusMeter {
public:
    // The menu command: switches it over and restarts the settling count.
    void toggle();
    void switchOff() { on_.store(false); }
    bool on() const { return on_.load(); }

    // One live frame (streaming thread). True when the meter is to be
    // drawn for this frame; band() then holds where.
    bool frame(std::span<const uint8_t> frame, int width, int height, int range);
    const FocusBand& band() const { return band_; }
    int64_t counter() const { return counter_.load(); }

    static void draw(QPainter& painter, const FocusBand& band);

private:
    std::atomic<bool> on_{false};
    std::atomic<int64_t> counter_{-kFocusSettleFrames};
    FocusBand band_;
};

} // namespace vardo::ui
