#pragma once
// The automatic-operation program in memory: 100 command slots joined into
// chains by next/prev, with links for loops and continuations, and the
// model operations that keep the chains and links consistent. Questions,
// dialogs and messages around these operations are in ProgramEditor.
#include "vardo/operation/program_command.h"

#include <array>
#include <string>
#include <string_view>

namespace vardo {

inline constexpr int kProgramSlots = 100;
// Insertion is refused once this many slots are in use.
inline constexpr int kInsertLimit = 99;
inline constexpr int kBoxSize = 40;
inline constexpr int kBoxStep = 56;
inline constexpr int kBoxMargin = 16;
inline constexpr int kProgramViewWidth = 640;
inline constexpr int kProgramViewHeight = 480;
// A row wraps when less than this is left to the right edge.
inline constexpr int kRowWrapReserve = 136;
// The title is stored as at most this many bytes of code page 932.
inline constexpr size_t kMaxTitleBytes = 64;

enum class LinkCheck {
    Ok,
    ToChainHead,     // the target heads a chain
    NotBackwards,    // the target does not lead to the source
    NoTimeConsuming, // nothing between target and source takes time
    Invalid,         // no such source or target
};

using CommandTable = std::array<ProgramCommand, kProgramSlots>;

// Code page 932 text cut to at most maxBytes without splitting a
// double-byte character.
std::string cutCp932(std::string_view bytes, size_t maxBytes);

class Program {
public:
    Program() { reset(); }

    // The start command alone in slot 0, no title, the real clock, nothing
    // to undo, nothing selected, not modified.
    void reset();

    // --- queries -------------------------------------------------------
    // A slot in use that holds a command.
    bool isCommand(int index) const;
    bool isChainHead(int index) const { return isCommand(index) && commands[index].prev == -1; }
    // The last command of the chain that holds index (-1 when index is not a command).
    int lastOfChain(int index) const;
    int headOfChain(int index) const;
    bool isLastOfChain(int index) const { return isCommand(index) && commands[index].next == -1; }
    // Whether walking from `from` along next reaches `to` (from == to counts).
    bool reaches(int from, int to) const;
    // Whether the walk from `from` to `to` holds a time-consuming command.
    bool walkTakesTime(int from, int to) const;
    // The link rules for a source and a picked target, checked in order.
    LinkCheck checkLink(int source, int target) const;
    // Whether one more command fits: below the slot limit, and after
    // chaining it in (after `selected`, or as a new chain) every box still
    // lies inside the view.
    bool canInsert() const;
    // The largest box bottom of all commands after laying them out.
    int layoutBottom() const;

    // --- model changes (callers take the undo copy first) --------------
    // Chains a filled record in after `selected` (or as a new chain when
    // nothing is selected) and selects it. False when the table is full or
    // the selection is not a command.
    bool insertCommand(const ProgramCommand& record);
    // Takes option and values from the edited record.
    bool setCommandValues(int index, const ProgramCommand& edited);
    // Empties every command of the chain headed by `head` and clears the
    // links into it. The start command is never deleted.
    bool deleteChain(int head);
    // Takes one command that is not a chain head out of its chain.
    bool deleteInnerCommand(int index);
    // Exchanges the selected command with its next (+1) or previous (-1).
    bool canMove(int direction) const;
    bool moveCommand(int direction);
    bool setLink(int source, int target);
    bool removeLink(int index);
    // Restores the undo copy; false when there is none.
    bool undo();
    void takeUndoCopy();
    bool canUndo() const { return undoCount >= 0; }
    // Rewrites the table in chain order without empty slots.
    void compact();
    // Places every box: one row per chain, wrapping at the right edge.
    void layoutBoxes();

    const std::string& title() const { return title_; }
    // UTF-8; cut to what fits in kMaxTitleBytes of code page 932 on a
    // character boundary, so the title reads back as it was saved.
    void setTitle(const std::string& utf8);

    CommandTable commands{};
    int count = 1;
    int selected = -1;
    int linkSource = -1;
    int positionSource = -1;
    int virtualTime = -1; // minutes after midnight, -1 = the real clock
    bool modified = false;
    CommandTable undoCommands{};
    int undoCount = -1;
    std::string fileName;

private:
    void clearLinksTo(int target, int replacement);
    std::string title_;
};

} // namespace vardo
