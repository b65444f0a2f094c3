#pragma once
// The display mode and sub-mode of the view, changed by menu commands on
// the user-interface thread and read by the streaming thread for the next
// frame; and the size rules of the view and the frame around it.
#include "vardo/vision/detection_host.h"
#include "vardo/vision/frame_source.h"

#include <QSize>
#include <atomic>

namespace vardo::ui {

using vision::DisplayMode;
using vision::DisplaySubMode;

// Frame, menu, toolbar and status bar around the view.
constexpr int kFrameExtraWidth = 19;
constexpr int kFrameExtraHeight = 103;
constexpr QSize kLayoutViewSize{640, 480};
constexpr QSize kDefaultCameraSize{320, 240};

// 640 x 480 for the layout and the program, the camera's frame otherwise.
QSize viewSizeFor(DisplayMode mode, vision::FrameSize frame);
// The main frame's outer size for a view size.
QSize frameSizeForView(QSize view);

class DisplayState {
public:
    DisplayMode mode() const { return mode_.load(); }
    DisplaySubMode subMode() const { return sub_.load(); }

    // Choosing the live display also goes back to the centroid sub-mode.
    // True when the program editor is shown or hidden by the change.
    bool setMode(DisplayMode mode);
    void setSubMode(DisplaySubMode sub) { sub_.store(sub); }

private:
    std::atomic<DisplayMode> mode_{DisplayMode::Live};
    std::atomic<DisplaySubMode> sub_{DisplaySubMode::Centroid};
};

// The display mode or sub-mode a view command selects; false for other ids.
bool modeForCommand(int id, DisplayMode& mode);
bool subModeForCommand(int id, DisplaySubMode& sub);

} // namespace vardo::ui
