// render-program: the program picture of a program file as the editor draws
// it, with the selection frame when asked, written as PNG (or BMP).
#include "common/byte_io.h"
#include "common/image_save.h"
#include "common/paths.h"
#include "common/string_table.h"
#include "vardo/app/cli/command_registry.h"
#include "vardo/app/console_frontend.h"
#include "vardo/base/settings.h"
#include "vardo/layout/layout.h"
#include "vardo/operation/program_file.h"
#include "vardo/operation/program_picture.h"

#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

namespace vardo::cli {

namespace {

struct Options {
    std::string file;
    std::string output;
    std::string layout; // empty: the program folder's layout
    int select = -1;
};

bool parseOptions(const std::vector<std::string>& args, Options& options)
{
    std::vector<std::string> plain;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--layout" && hasValue) {
            options.layout = args[++i];
        } else if (arg == "--select" && hasValue) {
            const std::string& v = args[++i];
            auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), options.select);
            if (ec != std::errc() || end != v.data() + v.size() || options.select < 0)
                return false;
        } else if (arg.starts_with("--")) {
            return false;
        } else {
            plain.push_back(arg);
        }
    }
    if (plain.size() != 2)
        return false;
    options.file = plain[0];
    options.output = plain[1];
    return true;
}

bool loadProgram(const std::string& path, Program& program)
{
    std::vector<uint8_t> bytes;
    if (!common::readWholeFile(path, bytes, 1u << 20)) {
        std::fprintf(stderr, "%s\n", common::messageText(common::msg::ProgramLoadFailed));
        return false;
    }
    ProgramFileContents contents;
    if (parseProgramFile(bytes, path, contents) != ProgramFileStatus::Ok) {
        std::fprintf(stderr, "%s\n", common::messageText(common::msg::NotProgramFile));
        return false;
    }
    applyProgramFile(contents, program);
    return true;
}

int renderProgram(const std::vector<std::string>& args)
{
    Options options;
    if (!parseOptions(args, options)) {
        std::fprintf(stderr,
                     "usage: render-program FILE.vpr OUT.png [--layout DIR] [--select SLOT]\n");
        return 2;
    }
    Program program;
    if (!loadProgram(options.file, program))
        return 1;
    if (options.select >= 0 && !program.isCommand(options.select)) {
        std::fprintf(stderr, "render-program: slot %d holds no command\n", options.select);
        return 2;
    }
    ConsoleFrontend frontend({});
    const std::string folder = common::programFolder();
    const std::string vardoIni = common::joinPath(folder, "VARDO.ini");
    const std::string optionIni = common::joinPath(folder, "option.ini");
    layout::Layout model(frontend);
    if (!model.load({folder, vardoIni, optionIni, options.layout}))
        return 1;
    model.computeHomePositions(); // the position table the crosses show
    const Settings settings(vardoIni, optionIni);
    ProgramPicture painter(ProgramPictureLayout::from(model.model()),
                           ProgramPictureStyle::read(settings, frontend));
    QImage picture = painter.draw(program);
    painter.drawSelection(picture, program, options.select);
    if (!common::saveImageAtomic(picture, QString::fromStdString(options.output))) {
        std::fprintf(stderr, "render-program: cannot write %s\n", options.output.c_str());
        return 1;
    }
    return 0;
}

CommandRegistration
    reg("render-program",
        "FILE.vpr OUT.png [--layout DIR] [--select SLOT]  write the program picture",
        &renderProgram);

} // namespace

} // namespace vardo::cli
