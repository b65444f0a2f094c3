#pragma once
// The program commands of the menus that open a dialog of their own:
// 表示タイトル設定 and 現在時刻設定.
#include "vardo/ui/time_dialog.h"
#include "vardo/ui/title_dialog.h"

#include <QTime>
#include <functional>

namespace vardo {
class ProgramEditor;
}

namespace vardo::ui {

// Shows a dialog and returns its result; exec() unless a test drives it.
template <class Dialog> using DialogRunner = std::function<int(Dialog&)>;

// OK stores the title and marks the program modified. True on OK.
bool editProgramTitle(ProgramEditor& editor, QWidget* parent,
                      const DialogRunner<TitleDialog>& run = {});

// Opens with 実際の時刻で行う set and the present time when the program
// follows the clock; OK stores -1 for the clock, else hour x 60 + minute.
bool editVirtualTime(ProgramEditor& editor, QWidget* parent, QTime now = QTime::currentTime(),
                     const DialogRunner<TimeDialog>& run = {});

} // namespace vardo::ui
