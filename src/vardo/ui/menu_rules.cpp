#include "vardo/ui/menu_rules.h"

#include "vardo/base/command_ids.h"

namespace vardo::ui {

namespace {

bool busyWithCalibration(const UiState& s) { return s.calibrating || s.angleCorrecting; }

bool editorCommandEnabled(int id, const UiState& s)
{
    if (s.mode != DisplayMode::ProgramEditor || s.operating)
        return false;
    switch (id) {
    case cmd::MoveNext:
        return s.canMoveNext;
    case cmd::MovePrevious:
        return s.canMovePrevious;
    default:
        return s.selected >= 0;
    }
}

bool displayEnabled(int id, const UiState& s)
{
    switch (id) {
    case cmd::LiveImage:
    case cmd::DifferenceImage:
        return !s.simulation;
    case cmd::LayoutDisplay:
        return (s.calibrated || s.simulation) && !busyWithCalibration(s);
    case cmd::ShowProgram:
        return !busyWithCalibration(s);
    case cmd::Centroid:
        return true;
    case cmd::VectorImage:
    case cmd::PolygonImage:
        return s.mode != DisplayMode::Layout;
    case cmd::TrainFigure:
        return s.mode == DisplayMode::Layout;
    case cmd::FocusAdjustment:
        // The meter measures the live picture; the things that switch it
        // off also keep it from being switched on.
        return s.mode == DisplayMode::Live && !s.simulation && !s.operating &&
               !busyWithCalibration(s);
    }
    return true;
}

} // namespace

bool commandEnabled(int id, const UiState& s)
{
    switch (id) {
    case cmd::SaveProgram:
        return s.programCount > 0;
    case cmd::NewProgram:
        return s.mode == DisplayMode::ProgramEditor && !s.operating && s.programCount > 0;
    case cmd::FolderRun:
        return !s.operating && !busyWithCalibration(s);
    case cmd::CalibrationSave:
        return s.calibrated;
    case cmd::CameraFormat:
        return s.cameraDevice >= 1;
    case cmd::CalibrationStart:
        return s.mode == DisplayMode::Live && s.captureRunning && !s.operating &&
               !busyWithCalibration(s);
    case cmd::AngleCorrection:
        return s.calibrated && !s.angleCorrecting && !s.operating;
    case cmd::TrainDisplaySettings:
        return s.layoutLoaded;
    case cmd::ControlPointsToggle:
        return s.controlPointCount > 0;
    case cmd::SpeechRecognition:
        return !s.speechRunning;
    case cmd::Undo:
        return s.canUndo;
    case cmd::EditCommand:
    case cmd::DeleteCommand:
    case cmd::MoveNext:
    case cmd::MovePrevious:
    case cmd::Link:
    case cmd::Unlink:
        return editorCommandEnabled(id, s);
    case cmd::LiveImage:
    case cmd::DifferenceImage:
    case cmd::LayoutDisplay:
    case cmd::ShowProgram:
    case cmd::Centroid:
    case cmd::VectorImage:
    case cmd::PolygonImage:
    case cmd::TrainFigure:
    case cmd::FocusAdjustment:
        return displayEnabled(id, s);
    }
    if (id > cmd::NoCamera && id <= cmd::LastCamera)
        return id - cmd::NoCamera <= s.cameraCount;
    return true;
}

bool commandChecked(int id, const UiState& s)
{
    switch (id) {
    case cmd::AngleCorrection:
        return s.angleCorrecting;
    case cmd::EmergencyStopToggle:
        return s.emergencyStopOn;
    case cmd::ControlPointsToggle:
        return s.controlPointsOn;
    case cmd::Skin1:
        return s.skin == 1;
    case cmd::Skin2:
        return s.skin == 2;
    case cmd::Skin3:
        return s.skin == 3;
    case cmd::Skin4:
        return s.skin == 4;
    case cmd::Simulation:
        return s.simulation;
    case cmd::ToolBar:
        return s.toolBarShown;
    case cmd::StatusBar:
        return s.statusBarShown;
    case cmd::LiveImage:
        return s.mode == DisplayMode::Live;
    case cmd::DifferenceImage:
        return s.mode == DisplayMode::Difference;
    case cmd::LayoutDisplay:
        return s.mode == DisplayMode::Layout;
    case cmd::ShowProgram:
        return s.mode == DisplayMode::ProgramEditor;
    case cmd::Centroid:
        return s.subMode == DisplaySubMode::Centroid;
    case cmd::VectorImage:
        return s.subMode == DisplaySubMode::Vector;
    case cmd::PolygonImage:
        return s.subMode == DisplaySubMode::Polygon;
    case cmd::TrainFigure:
        return s.subMode == DisplaySubMode::TrainFigure;
    case cmd::FocusAdjustment:
        return s.focusOn;
    }
    if (id >= cmd::NoCamera && id <= cmd::LastCamera)
        return s.cameraDevice == id - cmd::NoCamera;
    return false;
}

bool commandCheckable(int id)
{
    switch (id) {
    case cmd::AngleCorrection:
    case cmd::EmergencyStopToggle:
    case cmd::ControlPointsToggle:
    case cmd::Skin1:
    case cmd::Skin2:
    case cmd::Skin3:
    case cmd::Skin4:
    case cmd::Simulation:
    case cmd::ToolBar:
    case cmd::StatusBar:
    case cmd::LiveImage:
    case cmd::DifferenceImage:
    case cmd::LayoutDisplay:
    case cmd::ShowProgram:
    case cmd::Centroid:
    case cmd::VectorImage:
    case cmd::PolygonImage:
    case cmd::TrainFigure:
    case cmd::FocusAdjustment:
        return true;
    }
    return id >= cmd::NoCamera && id <= cmd::LastCamera;
}

} // namespace vardo::ui
