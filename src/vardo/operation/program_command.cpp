#include "vardo/operation/program_command.h"

namespace vardo {

const char* commandKindName(int kind)
{
    static const char* const names[] = {
        "Empty",        "Start",      "AlarmTime",      "Timer",        "TrainControl",
        "SwitchPoint",  "PositionWait", "Repeat",       "SoundOutput",  "EndOfOperation",
        "OptionOutput", "TrainSpeed", "Turntable",
    };
    if (kind < 0 || kind > kLastCommandKind)
        return nullptr;
    return names[kind];
}

void writeCommand(common::ByteWriter& out, const ProgramCommand& c)
{
    out.putU8(c.kind);
    out.putU8(c.option);
    out.putZeros(2);
    out.putI16(c.value1);
    out.putI16(c.value2);
    out.putI16(c.boxX);
    out.putI16(c.boxY);
    out.putI16(c.next);
    out.putI16(c.prev);
    out.putI16(c.link);
    out.putI16(c.repeatLeft);
    // The compaction scratch means nothing outside this run; writing it
    // would make two saves of the same program differ.
    out.putZeros(2);
    out.putZeros(10);
}

bool readCommand(common::ByteReader& in, ProgramCommand& c)
{
    if (in.remaining() < kCommandRecordSize)
        return false;
    ProgramCommand r;
    bool ok = in.readU8(r.kind) && in.readU8(r.option) && in.skip(2) && in.readI16(r.value1) &&
              in.readI16(r.value2) && in.readI16(r.boxX) && in.readI16(r.boxY) &&
              in.readI16(r.next) && in.readI16(r.prev) && in.readI16(r.link) &&
              in.readI16(r.repeatLeft) && in.skip(2) && in.skip(10);
    if (ok)
        c = r;
    return ok;
}

bool isTimeConsuming(const ProgramCommand& c)
{
    switch (c.commandKind()) {
    case CommandKind::Timer:
        return c.value1 > 0 || c.value2 > 0;
    case CommandKind::TrainControl:
        return c.option != 0 && (c.value1 > 0 || c.value2 > 0);
    case CommandKind::PositionWait:
        return true;
    default:
        return false;
    }
}

ProgramCommand defaultCommand(CommandKind kind, int currentHour, bool layoutHasSidings)
{
    ProgramCommand c;
    c.kind = static_cast<uint8_t>(kind);
    switch (kind) {
    case CommandKind::AlarmTime:
        // The next full hour; after 23 o'clock that is 0, not an hour 24.
        c.value1 = static_cast<int16_t>((currentHour + 1) % 24);
        break;
    case CommandKind::Timer:
        c.value1 = 10;
        break;
    case CommandKind::TrainControl:
        c.option = 1;
        break;
    case CommandKind::SwitchPoint:
        c.value1 = layoutHasSidings ? 100 : 0;
        break;
    case CommandKind::PositionWait:
        c.value2 = 60;
        break;
    case CommandKind::Repeat:
        c.value1 = 1;
        break;
    case CommandKind::SoundOutput:
        c.option = 1;
        c.value1 = 1;
        break;
    case CommandKind::OptionOutput:
        c.option = 1;
        c.value1 = 7;
        break;
    case CommandKind::TrainSpeed:
        c.value1 = 100;
        break;
    case CommandKind::Turntable:
        c.option = 2;
        break;
    default:
        break;
    }
    return c;
}

} // namespace vardo
