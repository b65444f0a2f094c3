#include "vardo/operation/program_edit_rules.h"

namespace vardo {

namespace {

const ProgramCommand* selectedCommand(const Program& program)
{
    return program.isCommand(program.selected) ? &program.commands[size_t(program.selected)]
                                               : nullptr;
}

} // namespace

EditOffer contextMenuOffer(const Program& program, bool operating)
{
    EditOffer offer;
    const ProgramCommand* c = selectedCommand(program);
    if (!c || c->is(CommandKind::Start))
        return offer;
    offer.remove = true;
    if (c->is(CommandKind::EndOfOperation))
        return offer;
    offer.edit = true;
    if (operating)
        return offer;
    const int index = program.selected;
    const bool head = program.isChainHead(index);
    offer.moveNext = program.isCommand(c->next) &&
                     !program.commands[size_t(c->next)].is(CommandKind::EndOfOperation) &&
                     !c->is(CommandKind::AlarmTime);
    offer.movePrevious = !head && !program.isChainHead(c->prev);
    offer.link = !head && (c->is(CommandKind::Repeat) || program.isLastOfChain(index));
    offer.linkIsChange = c->link >= 0;
    offer.removeLink = !head && c->link >= 0;
    return offer;
}

EditOffer editMenuOffer(const Program& program, bool operating, bool programDisplay)
{
    if (!programDisplay || operating)
        return {};
    EditOffer offer = contextMenuOffer(program, operating);
    offer.undo = program.canUndo();
    return offer;
}

bool canInsertKind(const Program& program, CommandKind kind, const ProgramLayoutFacts& layout,
                   bool operating)
{
    if (operating)
        return false;
    const ProgramCommand* c = selectedCommand(program);
    const bool atEnd = c && c->is(CommandKind::EndOfOperation);
    switch (kind) {
    case CommandKind::AlarmTime:
        return true;
    case CommandKind::Timer:
        return !atEnd;
    case CommandKind::SwitchPoint:
        return c && !atEnd && layout.pointCount >= 1;
    case CommandKind::EndOfOperation:
        return c && !atEnd && program.isLastOfChain(program.selected) &&
               (c->link < 0 || c->is(CommandKind::Repeat));
    case CommandKind::Turntable:
        return c && !atEnd && layout.turntable;
    case CommandKind::Start:
    case CommandKind::Empty:
        return false;
    default:
        return c && !atEnd;
    }
}

} // namespace vardo
