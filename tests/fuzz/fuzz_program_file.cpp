// libFuzzer target: the program file reader over arbitrary bytes. What it
// accepts must load into a program, compact, lay out and save to a file
// that reads back with the same number of commands.
#include "vardo/operation/program_file.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto contents = std::make_unique<vardo::ProgramFileContents>();
    if (vardo::parseProgramFile(std::span(data, size), "fuzz.vpr", *contents) !=
        vardo::ProgramFileStatus::Ok)
        return 0;
    auto program = std::make_unique<vardo::Program>();
    vardo::applyProgramFile(*contents, *program);
    const int commands = program->count;

    // Saved as loaded, the file must read back whole.
    auto again = std::make_unique<vardo::ProgramFileContents>();
    if (vardo::parseProgramFile(vardo::serialiseProgram(*program), "fuzz.vpr", *again) !=
            vardo::ProgramFileStatus::Ok ||
        again->count != commands)
        __builtin_trap();

    // The editor's save path: compact, lay the boxes out, save, read.
    program->compact();
    program->layoutBoxes();
    if (vardo::parseProgramFile(vardo::serialiseProgram(*program), "fuzz.vpr", *again) !=
        vardo::ProgramFileStatus::Ok)
        __builtin_trap();
    return 0;
}
