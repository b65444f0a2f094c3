// program: shows a program file as Vardo reads it (older versions brought
// up to date), as text or as JSON, and can write its compacted form.
#include "common/byte_io.h"
#include "common/json_text.h"
#include "common/string_table.h"
#include "vardo/app/cli/command_options.h"
#include "vardo/app/cli/command_registry.h"
#include "vardo/operation/program_file.h"

#include <cstdio>
#include <string>
#include <vector>

namespace vardo::cli {

namespace {

constexpr const char* kUsage = "FILE [--json] [--compact OUT]";

const char* kindName(int kind)
{
    const char* name = commandKindName(kind);
    return name ? name : "Unknown";
}

std::string programJson(const ProgramFileContents& contents, const Program& program)
{
    common::Json commands = common::Json::array();
    for (int i = 0; i < program.count; ++i) {
        const ProgramCommand& c = program.commands[i];
        commands.push_back({{"kind", kindName(c.kind)},
                            {"option", int(c.option)},
                            {"value1", int(c.value1)},
                            {"value2", int(c.value2)},
                            {"box", {int(c.boxX), int(c.boxY)}},
                            {"next", int(c.next)},
                            {"prev", int(c.prev)},
                            {"link", int(c.link)},
                            {"repeatLeft", int(c.repeatLeft)}});
    }
    const common::Json json = {{"version", contents.version},
                               {"count", program.count},
                               {"virtualTime", program.virtualTime},
                               {"title", program.title()},
                               {"commands", std::move(commands)}};
    return common::jsonText(json, 2) + "\n";
}

void printText(const ProgramFileContents& contents, const Program& program)
{
    std::printf("version %d, %d slots, virtual time %d, title \"%s\"\n", contents.version,
                program.count, program.virtualTime, program.title().c_str());
    if (contents.clearedLinks > 0)
        std::printf("%d link(s) to no command dropped\n", contents.clearedLinks);
    for (int i = 0; i < program.count; ++i) {
        const ProgramCommand& c = program.commands[i];
        std::printf("%3d %-14s option %d values %d %d box %d,%d next %d prev %d link %d "
                    "repeatLeft %d\n",
                    i, kindName(c.kind), c.option, c.value1, c.value2, c.boxX, c.boxY, c.next,
                    c.prev, c.link, c.repeatLeft);
    }
}

int runProgram(const std::vector<std::string>& args)
{
    CommandOptions options("program", kUsage,
                           "Shows a program file as Vardo reads it (older versions brought up "
                           "to date).");
    options.argument("FILE", "the program file (.vpr)");
    options.flag("json", "print the program as JSON");
    options.option("compact", "OUT", "write the compacted program to OUT (no text printed)");
    if (auto exit = options.parse(args))
        return *exit;
    const std::string file = options.arguments()[0];
    const std::string compactOut = options.value("compact");
    const bool json = options.isSet("json");
    std::vector<uint8_t> bytes;
    if (!common::readWholeFile(file, bytes, 1u << 20)) {
        std::fprintf(stderr, "%s\n", common::messageText(common::msg::ProgramLoadFailed));
        return 1;
    }
    ProgramFileContents contents;
    if (parseProgramFile(bytes, file, contents) != ProgramFileStatus::Ok) {
        std::fprintf(stderr, "%s\n", common::messageText(common::msg::NotProgramFile));
        return 1;
    }
    Program program;
    applyProgramFile(contents, program);
    if (json)
        std::fputs(programJson(contents, program).c_str(), stdout);
    else if (compactOut.empty())
        printText(contents, program);
    if (!compactOut.empty()) {
        program.compact();
        program.layoutBoxes();
        if (!common::writeFileAtomic(compactOut, serialiseProgram(program))) {
            std::fprintf(stderr, "%s\n", common::messageText(common::msg::ProgramSaveFailed));
            return 1;
        }
    }
    return 0;
}

CommandRegistration reg("program", kUsage, &runProgram);

} // namespace

} // namespace vardo::cli
