#pragma once
// When the program display's editing commands are offered: the context
// menu of a command, the 編集 menu and the command insertion buttons, as
// plain functions of the program and the operating state.
#include "vardo/operation/program.h"
#include "vardo/operation/program_dialogs.h"

namespace vardo {

struct EditOffer {
    bool edit = false;
    bool remove = false;
    bool moveNext = false;
    bool movePrevious = false;
    bool link = false;         // リンク先指定 / リンク先変更
    bool linkIsChange = false; // the command has a link already
    bool removeLink = false;
    bool undo = false;

    bool any() const { return edit || remove || moveNext || movePrevious || link || removeLink; }
};

// The context menu of the selected command: nothing for no selection or
// the start command; only 削除 for an end of operation.
EditOffer contextMenuOffer(const Program& program, bool operating);

// The 編集 menu: the context menu's rules, only in the program display and
// only while not operating; 元に戻す while an undo copy exists.
EditOffer editMenuOffer(const Program& program, bool operating, bool programDisplay);

// Whether the insertion button of a kind is enabled for the selection.
bool canInsertKind(const Program& program, CommandKind kind, const ProgramLayoutFacts& layout,
                   bool operating);

} // namespace vardo
