#pragma once
// A readable description of an automatic-operation program, turned into
// the program model. One command per line:
//
//   [@label] [new] Kind [option [value1 [value2]]] [-> label]
//
// Kind is a command kind name (Start, Timer, TrainControl, ...). Commands
// follow each other in a chain; "new" (or an AlarmTime) starts a new chain.
// "-> label" links the command to an earlier one (a repeat's loop or a
// continue-link). Besides commands: "title TEXT" and "time HH:MM" (the
// virtual time of day). "#" starts a comment.
#include "vardo/operation/program.h"

#include <string>

namespace mkprogram {

struct ParseResult {
    bool ok = false;
    int line = 0; // the offending line when not ok
    std::string error;
};

ParseResult parseDescription(const std::string& text, vardo::Program& program);

} // namespace mkprogram
