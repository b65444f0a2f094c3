#pragma once
// The switches Vardo takes on its command line:
//   -i<path>   a video file as the picture source ("-i\"a b.avi\"" for blanks)
//   -e         open the program editor after start-up
//   -s         open the outside-program interface
// A switch counts where a word starts (start of line or after a blank) and
// outside double quotes, so a folder such as "/opt/rail-sets" or a video
// named "my-show.avi" does not switch anything on.
#include <string>
#include <string_view>
#include <vector>

namespace vardo {

struct CommandLine {
    std::string videoPath; // empty: no -i, or -i without a path
    bool openEditor = false;
    bool openSdk = false;
};

CommandLine parseCommandLine(std::string_view line);

// The arguments as one command line, each one quoted when it holds a blank
// (for -i only the path is quoted, so the switch stays visible).
std::string joinCommandLine(const std::vector<std::string>& args);
std::string joinCommandLine(int argc, const char* const* argv);

} // namespace vardo
