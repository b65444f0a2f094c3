#pragma once
// Renders the view's picture on the streaming thread: the camera frame or
// the difference image with detection, calibration and angle-correction
// overlays, or the layout with the train as detection or the simulation
// places it. Hands each picture over through the frame swap.
#include "vardo/app/assembly.h"
#include "vardo/ui/display_state.h"
#include "vardo/ui/focus_meter.h"
#include "vardo/ui/frame_swap.h"
#include "vardo/ui/view_drawing.h"

#include <atomic>
#include <functional>

class QPainter;

namespace vardo::ui {

struct RendererState {
    const DisplayState& display;
    FocusMeter& focus;
    FrameSwap& frames;
    const std::atomic<bool>& angleOpen;
    std::function<void()> frameReady; // any thread
};

class ViewRenderer {
public:
    ViewRenderer(VardoAssembly& assembly, RendererState state);

    // Pens, focus range and exception regions from the settings.
    void readSettings();
    // One frame of the source, after detection.
    void frame(std::span<const uint8_t> frame, int width, int height);
    // The layout display in simulation: the display picture redrawn with
    // the simulated cars. True when it was drawn.
    bool drawSimulation();

private:
    void drawCameraFrame(std::span<const uint8_t> frame, int width, int height);
    void drawCameraOverlays(QPainter& painter, int width, int height);
    void drawLayoutFrame();
    void drawCars(const int* positions, int count);
    void ready();

    VardoAssembly& assembly_;
    RendererState state_;
    ViewPens pens_;
    int focusRange_ = 10000;
    bool enableExcept_ = true;
    uint64_t layoutAnalyses_ = 0; // streaming thread: analyses drawn in the layout display
};

} // namespace vardo::ui
