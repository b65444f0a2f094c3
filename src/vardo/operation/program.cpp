#include "vardo/operation/program.h"

#include "common/text_encoding.h"

#include <algorithm>

namespace vardo {

namespace {

bool isCp932LeadByte(uint8_t b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

} // namespace

std::string cutCp932(std::string_view bytes, size_t maxBytes)
{
    size_t end = 0;
    while (end < bytes.size()) {
        size_t width = isCp932LeadByte(static_cast<uint8_t>(bytes[end])) ? 2 : 1;
        if (end + width > maxBytes || end + width > bytes.size())
            break;
        end += width;
    }
    return std::string(bytes.substr(0, end));
}

void Program::reset()
{
    commands.fill(ProgramCommand{});
    commands[0].kind = static_cast<uint8_t>(CommandKind::Start);
    commands[0].boxX = kBoxMargin;
    commands[0].boxY = kBoxMargin;
    count = 1;
    selected = -1;
    linkSource = -1;
    positionSource = -1;
    virtualTime = -1;
    modified = false;
    undoCount = -1;
    title_.clear();
}

bool Program::isCommand(int index) const
{
    return index >= 0 && index < count && index < kProgramSlots && !commands[index].isEmpty();
}

int Program::lastOfChain(int index) const
{
    if (!isCommand(index))
        return -1;
    // Bounded: a damaged table must not hang the walk.
    for (int steps = 0; steps < kProgramSlots && isCommand(commands[index].next); ++steps)
        index = commands[index].next;
    return index;
}

int Program::headOfChain(int index) const
{
    if (!isCommand(index))
        return -1;
    for (int steps = 0; steps < kProgramSlots && isCommand(commands[index].prev); ++steps)
        index = commands[index].prev;
    return index;
}

bool Program::reaches(int from, int to) const
{
    for (int i = from, steps = 0; isCommand(i) && steps <= kProgramSlots; ++steps) {
        if (i == to)
            return true;
        i = commands[i].next;
    }
    return false;
}

bool Program::walkTakesTime(int from, int to) const
{
    for (int i = from, steps = 0; isCommand(i) && steps <= kProgramSlots; ++steps) {
        if (isTimeConsuming(commands[i]))
            return true;
        if (i == to)
            break;
        i = commands[i].next;
    }
    return false;
}

LinkCheck Program::checkLink(int source, int target) const
{
    if (!isCommand(source) || !isCommand(target))
        return LinkCheck::Invalid;
    if (isChainHead(target))
        return LinkCheck::ToChainHead;
    if (!reaches(target, source))
        return LinkCheck::NotBackwards;
    if (!walkTakesTime(target, source))
        return LinkCheck::NoTimeConsuming;
    return LinkCheck::Ok;
}

int Program::layoutBottom() const
{
    Program laidOut = *this;
    laidOut.layoutBoxes();
    int bottom = 0;
    for (int i = 0; i < count; ++i) {
        if (laidOut.isCommand(i))
            bottom = std::max(bottom, laidOut.commands[i].boxY + kBoxSize);
    }
    return bottom;
}

bool Program::canInsert() const
{
    if (count >= kInsertLimit)
        return false;
    // Lay the program out with the new command in place: an insertion in
    // an upper chain can wrap its row and push every later chain down.
    Program trial = *this;
    ProgramCommand probe;
    probe.kind = static_cast<uint8_t>(CommandKind::EndOfOperation);
    if (!trial.insertCommand(probe))
        return false;
    return trial.layoutBottom() <= kProgramViewHeight;
}

bool Program::insertCommand(const ProgramCommand& record)
{
    if (count >= kProgramSlots)
        return false;
    if (record.is(CommandKind::AlarmTime))
        selected = -1; // an alarm always heads its own chain
    if (selected != -1 && !isCommand(selected))
        return false;
    const int index = count;
    ProgramCommand c = record;
    c.next = -1;
    c.prev = -1;
    c.link = -1;
    if (selected != -1) {
        ProgramCommand& s = commands[selected];
        if (s.next == -1) {
            // The continuation moves to the new last command; a repeat
            // keeps its loop.
            if (!s.is(CommandKind::Repeat)) {
                c.link = s.link;
                s.link = -1;
            }
        } else {
            commands[s.next].prev = static_cast<int16_t>(index);
            c.next = s.next;
        }
        c.prev = static_cast<int16_t>(selected);
        s.next = static_cast<int16_t>(index);
    }
    commands[index] = c;
    selected = index;
    ++count;
    return true;
}

bool Program::setCommandValues(int index, const ProgramCommand& edited)
{
    if (!isCommand(index))
        return false;
    ProgramCommand& c = commands[index];
    c.option = edited.option;
    c.value1 = edited.value1;
    c.value2 = edited.value2;
    if (c.is(CommandKind::Turntable) && c.option <= 1) {
        c.value1 = 0;
        c.value2 = 0;
    }
    return true;
}

void Program::clearLinksTo(int target, int replacement)
{
    for (int i = 0; i < count; ++i) {
        if (i != target && commands[i].link == target)
            commands[i].link = static_cast<int16_t>(replacement);
    }
}

bool Program::deleteChain(int head)
{
    if (head == 0 || !isChainHead(head))
        return false;
    bool member[kProgramSlots] = {};
    for (int i = head, steps = 0; isCommand(i) && !member[i] && steps < kProgramSlots; ++steps) {
        member[i] = true;
        i = commands[i].next;
    }
    for (int i = 0; i < count; ++i) {
        int link = commands[i].link;
        if (link >= 0 && link < kProgramSlots && member[link])
            commands[i].link = -1;
    }
    for (int i = 0; i < count; ++i) {
        if (member[i])
            commands[i] = ProgramCommand{};
    }
    auto forget = [&](int& index) {
        if (index >= 0 && index < kProgramSlots && member[index])
            index = -1;
    };
    forget(linkSource);
    forget(positionSource);
    selected = -1;
    return true;
}

bool Program::deleteInnerCommand(int index)
{
    if (!isCommand(index) || isChainHead(index) || !isCommand(commands[index].prev))
        return false;
    const ProgramCommand gone = commands[index];
    const int prev = gone.prev;
    clearLinksTo(index, gone.next);
    commands[prev].next = gone.next;
    if (gone.next == -1) {
        // A continuation moves to the new last command, unless that one is
        // a repeat (its link is its own loop) or a chain head.
        ProgramCommand& last = commands[prev];
        if (gone.link != -1 && gone.link != index && !gone.is(CommandKind::Repeat) &&
            !last.is(CommandKind::Repeat) && last.prev != -1)
            last.link = gone.link;
    } else if (isCommand(gone.next)) {
        commands[gone.next].prev = static_cast<int16_t>(prev);
    }
    commands[index] = ProgramCommand{};
    if (linkSource == index)
        linkSource = -1;
    if (positionSource == index)
        positionSource = -1;
    selected = prev;
    return true;
}

bool Program::canMove(int direction) const
{
    const int s = selected;
    if (s == 0 || !isCommand(s))
        return false;
    const ProgramCommand& c = commands[s];
    if (c.is(CommandKind::EndOfOperation))
        return false;
    if (direction > 0) {
        int other = c.next;
        return !c.is(CommandKind::AlarmTime) && isCommand(other) &&
               !commands[other].is(CommandKind::EndOfOperation);
    }
    if (direction < 0)
        return isCommand(c.prev) && !isChainHead(c.prev);
    return false;
}

bool Program::moveCommand(int direction)
{
    if (!canMove(direction))
        return false;
    const int a = selected;
    const int b = direction > 0 ? commands[a].next : commands[a].prev;
    ProgramCommand& x = commands[a];
    ProgramCommand& y = commands[b];
    const bool repeatMoves = x.is(CommandKind::Repeat) || y.is(CommandKind::Repeat);
    std::swap(x.kind, y.kind);
    std::swap(x.option, y.option);
    std::swap(x.value1, y.value1);
    std::swap(x.value2, y.value2);
    if (repeatMoves)
        std::swap(x.link, y.link);
    for (int i : {a, b}) {
        ProgramCommand& c = commands[i];
        if (!c.is(CommandKind::Repeat) && c.next != -1)
            c.link = -1;
        // A repeat moved before its own loop start would jump to itself.
        if (c.is(CommandKind::Repeat) && c.link == i)
            c.link = -1;
    }
    return true;
}

bool Program::setLink(int source, int target)
{
    if (checkLink(source, target) != LinkCheck::Ok)
        return false;
    commands[source].link = static_cast<int16_t>(target);
    return true;
}

bool Program::removeLink(int index)
{
    if (!isCommand(index))
        return false;
    commands[index].link = -1;
    return true;
}

void Program::takeUndoCopy()
{
    undoCommands = commands;
    undoCount = count;
}

bool Program::undo()
{
    if (undoCount < 0)
        return false;
    commands = undoCommands;
    count = undoCount;
    undoCount = -1;
    selected = -1;
    linkSource = -1;
    positionSource = -1;
    // The table differs from what was saved or loaded.
    modified = true;
    return true;
}

void Program::compact()
{
    CommandTable out;
    out.fill(ProgramCommand{});
    int newIndex[kProgramSlots];
    std::fill(std::begin(newIndex), std::end(newIndex), -1);
    int n = 0;
    for (int head = 0; head < count; ++head) {
        if (!isChainHead(head))
            continue;
        int previous = -1;
        for (int i = head; isCommand(i) && newIndex[i] == -1; i = commands[i].next) {
            ProgramCommand c = commands[i];
            c.scratch = static_cast<int16_t>(i);
            c.prev = static_cast<int16_t>(previous);
            c.next = -1;
            if (previous != -1)
                out[previous].next = static_cast<int16_t>(n);
            newIndex[i] = n;
            previous = n;
            out[n++] = c;
        }
    }
    for (int k = 0; k < n; ++k) {
        int link = out[k].link;
        out[k].link = static_cast<int16_t>(
            (link >= 0 && link < kProgramSlots) ? newIndex[out[k].link] : -1);
    }
    auto renumber = [&](int& index) {
        index = (index >= 0 && index < kProgramSlots) ? newIndex[index] : -1;
    };
    renumber(selected);
    renumber(linkSource);
    renumber(positionSource);
    commands = out;
    count = n;
}

void Program::layoutBoxes()
{
    int y = kBoxMargin - kBoxStep;
    for (int head = 0; head < count; ++head) {
        if (!isChainHead(head))
            continue;
        y += kBoxStep;
        int x = kBoxMargin;
        int i = head;
        for (int steps = 0; steps < kProgramSlots; ++steps) {
            commands[i].boxX = static_cast<int16_t>(x);
            commands[i].boxY = static_cast<int16_t>(y);
            i = commands[i].next;
            if (!isCommand(i))
                break;
            x += kBoxStep;
            if (x + kRowWrapReserve > kProgramViewWidth) {
                x = kBoxMargin;
                y += kBoxStep;
            }
        }
    }
}

void Program::setTitle(const std::string& utf8)
{
    title_ = common::cp932ToUtf8(cutCp932(common::utf8ToCp932(utf8), kMaxTitleBytes));
}

} // namespace vardo
