#pragma once
// The controller panel's own cursors, drawn at start: a pointing hand over
// buttons, a four-way arrow while the panel is dragged, a grabbing hand on
// the jog and a double arrow on the lever.
#include "vardo/panel/controller_panel.h"

#include <QCursor>

namespace vardo::ui {

QCursor panelCursor(panel::PanelCursor shape);

} // namespace vardo::ui
