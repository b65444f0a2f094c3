#pragma once
// When each menu item and toolbar button is enabled and when it carries a
// check mark, as plain functions over a snapshot of the window's state, so
// the rules are testable without widgets.
#include "vardo/base/command_ids.h"
#include "vardo/vision/detection_host.h"

namespace vardo::ui {

using vision::DisplayMode;
using vision::DisplaySubMode;

struct UiState {
    bool layoutLoaded = false;
    bool simulation = false;     // the simulation worker runs
    bool calibrated = false;
    bool calibrating = false;    // a calibration run is in progress
    bool angleCorrecting = false;
    bool operating = false;      // automatic operation runs
    bool captureRunning = false; // frames flow from a camera or a file
    bool focusOn = false;
    bool speechRunning = false;
    bool toolBarShown = true;
    bool statusBarShown = true;
    bool emergencyStopOn = true;
    bool controlPointsOn = true;
    int controlPointCount = 0;
    int cameraDevice = -1; // 0 none, n camera n, -1 a file or nothing chosen
    int cameraCount = 0;
    int skin = 1;
    DisplayMode mode = DisplayMode::Live;
    DisplaySubMode subMode = DisplaySubMode::Centroid;
    // Program and editor.
    int programCount = 1;
    bool canUndo = false;
    int selected = -1;
    bool canMoveNext = false;
    bool canMovePrevious = false;
};

bool commandEnabled(int id, const UiState& s);
bool commandChecked(int id, const UiState& s);
// Whether the item can carry a check mark at all.
bool commandCheckable(int id);

} // namespace vardo::ui
