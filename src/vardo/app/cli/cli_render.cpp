// render: the display picture of a layout as Vardo draws it after loading,
// with chosen points set to branch.
#include "common/bmp.h"
#include "common/paths.h"
#include "vardo/app/cli/command_registry.h"
#include "vardo/app/console_frontend.h"
#include "vardo/layout/layout.h"

#include <charconv>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace vardo::cli {

namespace {

struct Options {
    std::string folder;
    std::string output;
    std::vector<int> branches; // 1-based point numbers
};

bool parseOptions(const std::vector<std::string>& args, Options& options)
{
    std::vector<std::string> plain;
    bool branchList = false;
    for (const auto& arg : args) {
        if (arg == "--branch") {
            branchList = true;
            continue;
        }
        if (arg.starts_with("--"))
            return false;
        int k = 0;
        const char* end = arg.data() + arg.size();
        if (branchList && plain.size() >= 2) {
            auto [ptr, ec] = std::from_chars(arg.data(), end, k);
            if (ec != std::errc() || ptr != end || k < 1)
                return false;
            options.branches.push_back(k);
        } else {
            plain.push_back(arg);
        }
    }
    if (plain.size() != 2)
        return false;
    options.folder = plain[0];
    options.output = plain[1];
    return true;
}

int render(const std::vector<std::string>& args)
{
    Options options;
    if (!parseOptions(args, options)) {
        std::fprintf(stderr, "usage: render DIR OUT.bmp [--branch K...]\n");
        return 2;
    }
    ConsoleFrontend frontend({});
    layout::Layout model(frontend);
    const std::string program = common::programFolder();
    if (!model.load({program, common::joinPath(program, "VARDO.ini"),
                     common::joinPath(program, "option.ini"), options.folder}))
        return 1;
    for (int k : options.branches) {
        if (!model.setPoint(k - 1, true, true))
            std::fprintf(stderr, "render: no point %d\n", k);
    }
    model.waitForAnimations();
    common::Bitmap picture;
    {
        std::lock_guard lock(model.pictures().mutex());
        picture = layout::bitmapFromImage(model.pictures().display());
    }
    if (!common::writeBitmap(options.output, picture)) {
        std::fprintf(stderr, "render: cannot write %s\n", options.output.c_str());
        return 1;
    }
    return 0;
}

CommandRegistration reg("render", "DIR OUT.bmp [--branch K...]  write the display picture",
                        &render);

} // namespace

} // namespace vardo::cli
