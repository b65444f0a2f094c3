// program: shows a program file as Vardo reads it (older versions brought
// up to date), as text or as JSON, and can write its compacted form.
#include "common/byte_io.h"
#include "common/json_writer.h"
#include "common/string_table.h"
#include "vardo/app/cli/command_registry.h"
#include "vardo/operation/program_file.h"

#include <cstdio>
#include <string>
#include <vector>

namespace vardo::cli {

namespace {

struct Options {
    std::string file;
    bool json = false;
    std::string compactOut;
};

bool parseOptions(const std::vector<std::string>& args, Options& options)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--json") {
            options.json = true;
        } else if (arg == "--compact" && i + 1 < args.size()) {
            options.compactOut = args[++i];
        } else if (arg.starts_with("--") || !options.file.empty()) {
            std::fprintf(stderr, "program: unexpected argument '%s'\n", arg.c_str());
            return false;
        } else {
            options.file = arg;
        }
    }
    if (options.file.empty()) {
        std::fprintf(stderr, "program: no program file given\n");
        return false;
    }
    return true;
}

const char* kindName(int kind)
{
    const char* name = commandKindName(kind);
    return name ? name : "Unknown";
}

std::string programJson(const ProgramFileContents& contents, const Program& program)
{
    common::JsonWriter w(2);
    w.beginObject();
    w.member("version", contents.version);
    w.member("count", program.count);
    w.member("virtualTime", program.virtualTime);
    w.member("title", program.title());
    w.key("commands").beginArray();
    for (int i = 0; i < program.count; ++i) {
        const ProgramCommand& c = program.commands[i];
        w.beginObject();
        w.member("kind", kindName(c.kind));
        w.member("option", int(c.option));
        w.member("value1", int(c.value1));
        w.member("value2", int(c.value2));
        w.key("box").beginArray().value(int(c.boxX)).value(int(c.boxY)).endArray();
        w.member("next", int(c.next));
        w.member("prev", int(c.prev));
        w.member("link", int(c.link));
        w.member("repeatLeft", int(c.repeatLeft));
        w.endObject();
    }
    w.endArray();
    w.endObject();
    return w.str() + "\n";
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
    Options options;
    if (!parseOptions(args, options))
        return 2;
    std::vector<uint8_t> bytes;
    if (!common::readWholeFile(options.file, bytes, 1u << 20)) {
        std::fprintf(stderr, "%s\n", common::messageText(common::msg::ProgramLoadFailed));
        return 1;
    }
    ProgramFileContents contents;
    if (parseProgramFile(bytes, options.file, contents) != ProgramFileStatus::Ok) {
        std::fprintf(stderr, "%s\n", common::messageText(common::msg::NotProgramFile));
        return 1;
    }
    Program program;
    applyProgramFile(contents, program);
    if (options.json)
        std::fputs(programJson(contents, program).c_str(), stdout);
    else if (options.compactOut.empty())
        printText(contents, program);
    if (!options.compactOut.empty()) {
        program.compact();
        program.layoutBoxes();
        if (!common::writeFileAtomic(options.compactOut, serialiseProgram(program))) {
            std::fprintf(stderr, "%s\n", common::messageText(common::msg::ProgramSaveFailed));
            return 1;
        }
    }
    return 0;
}

CommandRegistration reg("program", "FILE [--json] [--compact OUT]", &runProgram);

} // namespace

} // namespace vardo::cli
