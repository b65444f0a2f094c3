// render: the display picture of a layout as Vardo draws it after loading,
// with chosen points set to branch.
#include "common/bmp.h"
#include "common/paths.h"
#include "vardo/app/cli/command_options.h"
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

int render(const std::vector<std::string>& args)
{
    CommandOptions options("render", "DIR OUT.bmp [--branch K...]",
                           "Writes the display picture of a layout as Vardo draws it after "
                           "loading, with the points K set to branch.");
    options.argument("DIR", "the layout folder");
    options.argument("OUT.bmp", "the picture to write");
    options.argument("K", "with --branch: 1-based numbers of the points set to branch", false,
                     true);
    options.flag("branch", "set the points K that follow to branch");
    if (auto exit = options.parse(args))
        return *exit;
    const auto& a = options.arguments();
    if (a.size() > 2 && !options.isSet("branch"))
        return options.usageError("unexpected argument '" + a[2] + "'");
    std::vector<int> branches; // 1-based point numbers
    for (size_t i = 2; i < a.size(); ++i) {
        int k = 0;
        const char* end = a[i].data() + a[i].size();
        auto [ptr, ec] = std::from_chars(a[i].data(), end, k);
        if (ec != std::errc() || ptr != end || k < 1)
            return options.usageError("not a point number: '" + a[i] + "'");
        branches.push_back(k);
    }
    ConsoleFrontend frontend({});
    layout::Layout model(frontend);
    const std::string program = common::programFolder();
    if (!model.load({program, common::joinPath(program, "VARDO.ini"),
                     common::joinPath(program, "option.ini"), a[0]}))
        return 1;
    for (int k : branches) {
        if (!model.setPoint(k - 1, true, true))
            std::fprintf(stderr, "render: no point %d\n", k);
    }
    model.waitForAnimations();
    common::Bitmap picture;
    {
        std::lock_guard lock(model.pictures().mutex());
        picture = layout::bitmapFromImage(model.pictures().display());
    }
    if (!common::writeBitmap(a[1], picture)) {
        std::fprintf(stderr, "render: cannot write %s\n", a[1].c_str());
        return 1;
    }
    return 0;
}

CommandRegistration reg("render", "DIR OUT.bmp [--branch K...]  write the display picture",
                        &render);

} // namespace

} // namespace vardo::cli
