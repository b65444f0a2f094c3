#pragma once
// The program file (".vpr"): a 32-byte header, the command records in slot
// order and an optional zero-terminated title in code page 932. Files of
// versions 1 and 2 are brought up to the present form when read.
#include "vardo/operation/program.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vardo {

inline constexpr int kProgramFileVersion = 3;
inline constexpr size_t kProgramHeaderSize = 32;

enum class ProgramFileStatus {
    Ok,
    NotProgramFile, // wrong tag, unknown version, bad count, damaged chains
};

struct ProgramFileContents {
    int version = 0; // as stored in the file
    int count = 0;
    int virtualTime = -1;
    CommandTable commands{};
    std::string title; // UTF-8
    int clearedLinks = 0; // links to no command, dropped while reading
};

// Reads a file image. `path` names the title when the file carries none.
// Nothing in the image is trusted: counts, chain indexes and links are
// checked before use.
ProgramFileStatus parseProgramFile(std::span<const uint8_t> bytes, const std::string& path,
                                   ProgramFileContents& out);

// Puts the contents into the program: selects the start command, lays the
// boxes out, clears the undo copy and the modified flag. fileName is kept.
void applyProgramFile(const ProgramFileContents& contents, Program& program);

// The file image of the program as it stands (callers compact first).
std::vector<uint8_t> serialiseProgram(const Program& program);

// The file's name without folder and extension ('/' and '\' both split).
std::string titleFromPath(const std::string& path);

} // namespace vardo
