// nearest: the track position nearest to a point of the layout picture, as
// detection and the control loop find it.
#include "common/paths.h"
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
    int x = 0, y = 0, polyline = -1;
    if (args.size() < 3 || args.size() > 4 || !parseInt(args[1], x) || !parseInt(args[2], y) ||
        (args.size() == 4 && !parseInt(args[3], polyline))) {
        std::fprintf(stderr, "usage: nearest DIR X Y [POLYLINE]\n");
        return 2;
    }
    ConsoleFrontend frontend({});
    layoutdata::PolylineFile file;
    if (!readLayoutTrack(args[0], frontend, file))
        return 1;
    layout::Track track;
    track.assign(file);
    std::printf("%d\n", track.nearest(x, y, polyline));
    return 0;
}

CommandRegistration reg("nearest", "DIR X Y [POLYLINE]  print the nearest track position (-1: none)",
                        &nearest);

} // namespace

} // namespace vardo::cli
