// vardo-run: Vardo without a window. Runs one sub-command and exits with
// its status.
#include "vardo/app/cli/command_registry.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace vardo::cli {

std::vector<CommandInfo>& commandRegistry()
{
    static std::vector<CommandInfo> registry;
    return registry;
}

} // namespace vardo::cli

namespace {

void printUsage(FILE* out)
{
    auto commands = vardo::cli::commandRegistry();
    std::sort(commands.begin(), commands.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    std::fprintf(out, "usage: vardo-run COMMAND [ARGS]\n\ncommands:\n");
    for (const auto& c : commands)
        std::fprintf(out, "  %s %s\n", c.name.c_str(), c.usage.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
        printUsage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    for (const auto& command : vardo::cli::commandRegistry()) {
        if (command.name == argv[1])
            return command.run(std::vector<std::string>(argv + 2, argv + argc));
    }
    std::fprintf(stderr, "vardo-run: unknown command '%s'\n\n", argv[1]);
    printUsage(stderr);
    return 2;
}
