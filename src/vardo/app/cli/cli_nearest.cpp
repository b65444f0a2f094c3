// nearest: the track position nearest to a point of the layout picture, as
// detection and the control loop find it.
#include "common/paths.h"
#include "vardo/app/cli/command_options.h"
#include "vardo/app/cli/command_registry.h"
#include "vardo/app/console_frontend.h"
#include "vardo/layout/layout_folder.h"
#include "vardo/layout/track.h"

#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

namespace vardo::cli {

namespace {

bool parseInt(const std::string& text, int& value)
{
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

int nearest(const std::vector<std::string>& args)
{
    CommandOptions options("nearest", "DIR X Y [POLYLINE]",
                           "Prints the track position nearest to a point of the layout picture "
                           "(-1: none).");
    options.argument("DIR", "the layout folder");
    options.argument("X", "the point's x");
    options.argument("Y", "the point's y");
    options.argument("POLYLINE", "search only this polyline (default -1: all)", false);
    if (auto exit = options.parse(args))
        return *exit;
    const auto& a = options.arguments();
    int x = 0, y = 0, polyline = -1;
    if (!parseInt(a[1], x) || !parseInt(a[2], y) || (a.size() == 4 && !parseInt(a[3], polyline)))
        return options.usageError("X, Y and POLYLINE are whole numbers");
    ConsoleFrontend frontend({});
    layoutdata::PolylineFile file;
    if (!readLayoutTrack(a[0], frontend, file))
        return 1;
    layout::Track track;
    track.assign(file);
    std::printf("%d\n", track.nearest(x, y, polyline));
    return 0;
}

CommandRegistration
    reg("nearest", "DIR X Y [POLYLINE]  print the nearest track position (-1: none)", &nearest);

} // namespace

} // namespace vardo::cli
