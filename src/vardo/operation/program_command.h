#pragma once
// One command of an automatic-operation program: a fixed 32-byte record
// that is kept in memory and written to the program file as it stands.
#include "common/byte_io.h"

#include <cstdint>

namespace vardo {

enum class CommandKind : uint8_t {
    Empty = 0, // a deleted slot
    Start = 1,
    AlarmTime = 2,
    Timer = 3,
    TrainControl = 4,
    SwitchPoint = 5,
    PositionWait = 6,
    Repeat = 7,
    SoundOutput = 8,
    EndOfOperation = 9,
    OptionOutput = 10,
    TrainSpeed = 11,
    Turntable = 12,
};

inline constexpr int kLastCommandKind = 12;

// "Start", "AlarmTime", ...; "Empty" for 0 and nullptr for an unknown kind.
const char* commandKindName(int kind);

struct ProgramCommand {
    uint8_t kind = 0;
    uint8_t option = 0;
    uint8_t unused1[2] = {};
    int16_t value1 = 0;
    int16_t value2 = 0;
    int16_t boxX = 0;
    int16_t boxY = 0;
    int16_t next = -1;
    int16_t prev = -1;
    int16_t link = -1;
    int16_t repeatLeft = 0;
    int16_t scratch = 0; // index before the last compaction
    uint8_t unused2[10] = {};

    CommandKind commandKind() const { return static_cast<CommandKind>(kind); }
    bool is(CommandKind k) const { return kind == static_cast<uint8_t>(k); }
    bool isEmpty() const { return kind == 0; }
};
static_assert(sizeof(ProgramCommand) == 32, "the command record is 32 bytes on disk");

inline constexpr size_t kCommandRecordSize = 32;

// Field by field, little-endian; the unused bytes and the scratch field are
// written as zeros and skipped when reading.
void writeCommand(common::ByteWriter& out, const ProgramCommand& command);
bool readCommand(common::ByteReader& in, ProgramCommand& command);

// Whether running the command takes time, so a loop through it cannot spin.
bool isTimeConsuming(const ProgramCommand& command);

// A fresh record of the kind with its default values, not chained.
// currentHour is the hour of the clock (0..23), for the alarm default.
ProgramCommand defaultCommand(CommandKind kind, int currentHour, bool layoutHasSidings);

} // namespace vardo
