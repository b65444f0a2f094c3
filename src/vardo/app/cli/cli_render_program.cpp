// render-program: the program picture of a program file as the editor draws
// it, with the selection frame when asked, written as PNG (or BMP).
#include "common/byte_io.h"
#include "common/image_save.h"
#include "common/paths.h"
#include "common/string_table.h"
#include "vardo/app/cli/command_options.h"
#include "vardo/app/cli/command_registry.h"
#include "vardo/app/console_frontend.h"
#include "vardo/base/settings.h"
#include "vardo/layout/layout.h"
#include "vardo/operation/program_file.h"
#include "vardo/operation/program_picture.h"

#include <cstdio>
#include <optional>
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

// nullopt: go on; otherwise the exit status, the error already printed.
std::optional<int> parseOptions(const std::vector<std::string>& args, Options& options)
{
    CommandOptions c("render-program", "FILE.vpr OUT.png [--layout DIR] [--select SLOT]",
                     "Writes the program picture as the program view draws it.");
    c.argument("FILE.vpr", "the program file");
    c.argument("OUT.png", "the picture to write");
    c.option("layout", "DIR", "the layout folder (default: the program folder's)");
    c.option("select", "SLOT", "draw this command slot selected");
    if (auto exit = c.parse(args))
        return exit;
    if (!c.intValue("select", 0, 1 << 20, options.select))
        return kUsageError;
    options.file = c.arguments()[0];
    options.output = c.arguments()[1];
    options.layout = c.value("layout");
    return std::nullopt;
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
    if (auto exit = parseOptions(args, options))
        return *exit;
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
