#pragma once
// Runs an edit script through the editor as the view would pass its
// events. One item per line:
//   mode outer|sidings|mask|exception|control|crossing|sensor|train|none
//   press X Y | move X Y | release X Y | click X Y | drag X1 Y1 X2 Y2 | menu X Y
//   command NAME [ARGS]      delete-vertex, toggle-curve, platform,
//                            create-turnout, point-settings DIRECTION TERMINAL
//                            LINKED, append, undo, new, save, export,
//                            load-layout DIR, exit,
//                            add-rect, add-band, delete-region, add-control,
//                            add-crossing, add-sensor, delete-marker,
//                            control-settings DIRECTION TRACK POINT OPTION
//                            SOUND [RELAY SOUND_NUMBER], crossing-settings
//                            BARRIER LIGHT DRIVE, sensor-settings SENSITIVITY
//   open-picture PATH [layout|collage|train]
//   trim X1 Y1 X2 Y2                  the trim rectangle over a waiting picture
//   resize | rotate | compose         (also as "command NAME")
//   add-rect, add-band, ... as below  (also without "command")
//   answer yes|no|ok|cancel [DIRECTION TERMINAL LINKED | PATH]
// Blank lines and lines starting with '#' are skipped.
#include "planwerk/cli/console_frontend.h"
#include "planwerk/layout_editor.h"

#include <string>

namespace planwerk::cli {

struct ScriptError {
    int line = 0; // 0: no error
    std::string text;
};

// Runs every line; stops at the first line that cannot be understood.
ScriptError runEditScript(const std::string& script, LayoutEditor& editor,
                          ConsoleFrontend& frontend, FILE* log);

} // namespace planwerk::cli
