#pragma once
// Which mouse events the view hands to the editor. A press always starts a
// capture; whether the editor hears of it depends on what is being edited.
#include "planwerk/layout_editor.h"

namespace planwerk::ui {

// Left press: while a source picture waits or an edit mode is active.
inline bool passPress(EditMode mode, bool sourceWaiting)
{
    return sourceWaiting || mode != EditMode::None;
}

// Moves and the left release: in an edit mode, or while the trim rectangle
// is being drawn (trim state 1 or 2).
inline bool passMoveOrRelease(EditMode mode, int trimState)
{
    return mode != EditMode::None || trimState == 1 || trimState == 2;
}

// Right press: a pop-up menu only in an edit mode.
inline bool passMenu(EditMode mode)
{
    return mode != EditMode::None;
}

} // namespace planwerk::ui
