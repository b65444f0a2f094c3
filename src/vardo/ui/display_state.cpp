#include "vardo/ui/display_state.h"

#include "vardo/base/command_ids.h"

namespace vardo::ui {

QSize viewSizeFor(DisplayMode mode, vision::FrameSize frame)
{
    if (mode == DisplayMode::Layout || mode == DisplayMode::ProgramEditor || frame.empty())
        return mode == DisplayMode::Layout || mode == DisplayMode::ProgramEditor
                   ? kLayoutViewSize
                   : kDefaultCameraSize;
    return QSize(frame.width, frame.height);
}

QSize frameSizeForView(QSize view)
{
    return QSize(view.width() + kFrameExtraWidth, view.height() + kFrameExtraHeight);
}

bool DisplayState::setMode(DisplayMode mode)
{
    const DisplayMode before = mode_.exchange(mode);
    if (mode == DisplayMode::Live)
        sub_.store(DisplaySubMode::Centroid);
    return (before == DisplayMode::ProgramEditor) != (mode == DisplayMode::ProgramEditor);
}

bool modeForCommand(int id, DisplayMode& mode)
{
    switch (id) {
    case cmd::LiveImage:
        mode = DisplayMode::Live;
        return true;
    case cmd::DifferenceImage:
        mode = DisplayMode::Difference;
        return true;
    case cmd::LayoutDisplay:
        mode = DisplayMode::Layout;
        return true;
    case cmd::ShowProgram:
        mode = DisplayMode::ProgramEditor;
        return true;
    }
    return false;
}

bool subModeForCommand(int id, DisplaySubMode& sub)
{
    switch (id) {
    case cmd::Centroid:
        sub = DisplaySubMode::Centroid;
        return true;
    case cmd::VectorImage:
        sub = DisplaySubMode::Vector;
        return true;
    case cmd::PolygonImage:
        sub = DisplaySubMode::Polygon;
        return true;
    case cmd::TrainFigure:
        sub = DisplaySubMode::TrainFigure;
        return true;
    }
    return false;
}

} // namespace vardo::ui
